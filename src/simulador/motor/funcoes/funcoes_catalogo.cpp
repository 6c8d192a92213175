#include "simulador/motor/funcoes/funcoes_catalogo.hpp"

#include <sqlite3.h>

#include <string>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/sessao_das_funcoes.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

Tabela* TabelaPeloNome(sqlite3_context* c, sqlite3_value* v) {
    bool outro = false;
    const std::string nome = NomeSimples(TextoDe(v), outro, Dono(c)->Banco());
    return outro ? nullptr : Dono(c)->CatalogoAtual().AcharTabela(nome);
}

namespace {

constexpr int kXTypeSysname = 256;

Tabela* TabelaPeloId(sqlite3_context* c, sqlite3_value* v) {
    return Dono(c)->CatalogoAtual().TabelaPeloId(sqlite3_value_int64(v));
}

// COL_LENGTH('tabela', 'coluna'): the column's bytes (-1 for the max types).
void FnColLength(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0]) || Nulo(a[1])) return sqlite3_result_null(c);
    const Tabela* t = TabelaPeloNome(c, a[0]);
    const ColunaDaTabela* col = t ? t->Coluna(TextoDe(a[1])) : nullptr;
    if (!col) return sqlite3_result_null(c);
    sqlite3_result_int(c, ComprimentoEmBytes(col->tipo));
}

// COL_NAME(id da tabela, número da coluna).
void FnColName(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0]) || Nulo(a[1])) return sqlite3_result_null(c);
    const Tabela* t = TabelaPeloId(c, a[0]);
    const std::int64_t n = sqlite3_value_int64(a[1]);
    if (!t || n < 1 || n > static_cast<std::int64_t>(t->colunas.size()))
        return sqlite3_result_null(c);
    ResultadoTexto(c, t->colunas[static_cast<std::size_t>(n - 1)].nome);
}

bool EhDeCaracteres(TipoBase b) {
    return b == TipoBase::Char || b == TipoBase::VarChar || b == TipoBase::NChar ||
           b == TipoBase::NVarChar || b == TipoBase::Binary || b == TipoBase::VarBinary ||
           b == TipoBase::Text || b == TipoBase::NText || b == TipoBase::Image;
}

// COLUMNPROPERTY(id, 'coluna', 'propriedade'); NULL for a property it does not know.
void FnColumnProperty(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0]) || Nulo(a[1]) || Nulo(a[2])) return sqlite3_result_null(c);
    const Tabela* t = TabelaPeloId(c, a[0]);
    const ColunaDaTabela* col = t ? t->Coluna(TextoDe(a[1])) : nullptr;
    if (!col) return sqlite3_result_null(c);
    const std::string p = Dobrar(TextoDe(a[2]));
    const TipoSql& tipo = col->tipo;
    if (p == "allowsnull") return sqlite3_result_int(c, col->anulavel ? 1 : 0);
    if (p == "isidentity") return sqlite3_result_int(c, col->identidade ? 1 : 0);
    if (p == "iscomputed") return sqlite3_result_int(c, col->calculo.empty() ? 0 : 1);
    if (p == "isrowguidcol" || p == "isfulltextindexed") return sqlite3_result_int(c, 0);
    if (p == "precision")
        return sqlite3_result_int(c, tipo.tamanho == -1 ? -1 : PrecisaoDoCatalogo(tipo));
    if (p == "scale") {
        if (EhDeCaracteres(tipo.base)) return sqlite3_result_null(c);
        return sqlite3_result_int(c, EscalaDoCatalogo(tipo));
    }
    if (p == "charmaxlen") {
        if (!EhDeCaracteres(tipo.base)) return sqlite3_result_null(c);
        return sqlite3_result_int(c, tipo.tamanho == -1 ? -1 : PrecisaoDoCatalogo(tipo));
    }
    if (p == "ordinal") {
        for (std::size_t k = 0; k < t->colunas.size(); ++k)
            if (&t->colunas[k] == col) return sqlite3_result_int64(c, static_cast<int>(k) + 1);
    }
    sqlite3_result_null(c);
}

// TYPE_ID('int') and TYPE_NAME(56), over the system types and the database's alias types.
void FnTypeId(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    std::string nome = TextoDe(a[0]);
    if (nome.size() > 2 && nome.front() == '[' && nome.back() == ']')
        nome = nome.substr(1, nome.size() - 2);
    if (IguaisCiAs(nome, "sysname")) return sqlite3_result_int(c, kXTypeSysname);
    if (const TipoDoUsuario* u = Dono(c)->CatalogoAtual().AcharTipo(nome))
        return sqlite3_result_int64(c, u->id);
    // the names SQL Server lists in sys.types, not the synonyms CAST takes
    const auto b = TipoPeloNome(Dobrar(nome));
    if (!b || !IguaisCiAs(NomeDoTipo(*b), nome)) return sqlite3_result_null(c);
    sqlite3_result_int(c, XType(*b));
}

void FnTypeName(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    const std::int64_t id = sqlite3_value_int64(a[0]);
    if (id == kXTypeSysname) return ResultadoTexto(c, "sysname");
    for (const auto& u : Dono(c)->CatalogoAtual().TiposDoUsuario())
        if (u.id == id) return ResultadoTexto(c, u.nome);
    for (int k = 0; k <= static_cast<int>(TipoBase::DateTimeOffset); ++k)
        if (XType(static_cast<TipoBase>(k)) == id)
            return ResultadoTexto(c, NomeDoTipo(static_cast<TipoBase>(k)));
    sqlite3_result_null(c);
}

// zv_atributo_da_coluna(tabela, colid, 'calculo' | 'persistida' | 'tipo'): what the catalog
// views show of a computed column and of a column of an alias type; NULL for none.
void FnAtributoDaColuna(sqlite3_context* c, int, sqlite3_value** a) {
    const Tabela* t = TabelaPeloId(c, a[0]);
    const std::int64_t n = sqlite3_value_int64(a[1]);
    if (!t || n < 1 || n > static_cast<std::int64_t>(t->colunas.size()))
        return sqlite3_result_null(c);
    const ColunaDaTabela& col = t->colunas[static_cast<std::size_t>(n - 1)];
    const std::string qual = TextoDe(a[2]);
    if (qual == "calculo" && !col.calculo.empty()) return ResultadoTexto(c, col.calculo);
    if (qual == "persistida" && !col.calculo.empty())
        return sqlite3_result_int(c, col.persistida ? 1 : 0);
    if (qual == "tipo" && !col.tipoDoUsuario.empty()) return ResultadoTexto(c, col.tipoDoUsuario);
    sqlite3_result_null(c);
}

// zv_filtro_do_indice(tabela, indid): a filtered index's WHERE, as SQL Server writes it.
void FnFiltroDoIndice(sqlite3_context* c, int, sqlite3_value** a) {
    const Tabela* t = TabelaPeloId(c, a[0]);
    const std::int64_t indid = sqlite3_value_int64(a[1]);
    if (t)
        for (const auto& i : t->indices)
            if (i.indid == indid && !i.filtro.empty()) return ResultadoTexto(c, i.filtro);
    sqlite3_result_null(c);
}

// zv_acao_referencial(id, 'ao_excluir' | 'ao_atualizar'): a foreign key's action, "" for
// NO ACTION.
void FnAcaoReferencial(sqlite3_context* c, int, sqlite3_value** a) {
    const Restricao* r = Dono(c)->CatalogoAtual().RestricaoPeloId(sqlite3_value_int64(a[0]));
    if (!r) return ResultadoTexto(c, "");
    ResultadoTexto(c, TextoDe(a[1]) == "ao_excluir" ? r->aoExcluir : r->aoAtualizar);
}

}  // namespace

void RegistrarFuncoesDeCatalogo(sqlite3* db, void* sessao) {
    const int nd = SQLITE_UTF8;
    sqlite3_create_function(db, "zv_col_length", 2, nd, sessao, FnColLength, nullptr, nullptr);
    sqlite3_create_function(db, "zv_col_name", 2, nd, sessao, FnColName, nullptr, nullptr);
    sqlite3_create_function(db, "zv_columnproperty", 3, nd, sessao, FnColumnProperty, nullptr,
                            nullptr);
    sqlite3_create_function(db, "zv_atributo_da_coluna", 3, nd, sessao, FnAtributoDaColuna, nullptr,
                            nullptr);
    sqlite3_create_function(db, "zv_acao_referencial", 2, nd, sessao, FnAcaoReferencial, nullptr,
                            nullptr);
    sqlite3_create_function(db, "zv_filtro_do_indice", 2, nd, sessao, FnFiltroDoIndice, nullptr,
                            nullptr);
    // the alias types are the database's: not deterministic
    sqlite3_create_function(db, "zv_type_id", 1, nd, sessao, FnTypeId, nullptr, nullptr);
    sqlite3_create_function(db, "zv_type_name", 1, nd, sessao, FnTypeName, nullptr, nullptr);
    RegistrarFuncoesDeObjetos(db, sessao);
}

}  // namespace zolvek::simulador
