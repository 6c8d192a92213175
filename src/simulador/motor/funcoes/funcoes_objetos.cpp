#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/funcoes/funcoes_catalogo.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/sessao_das_funcoes.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

// T-SQL's functions about objects and schemas: OBJECT_DEFINITION, OBJECTPROPERTY,
// OBJECT_SCHEMA_NAME, SCHEMA_NAME, SCHEMA_ID and the IDENT_ ones.
namespace zolvek::simulador {

namespace {

// The schemas every database has; the stand-in's objects all live in dbo.
const std::vector<std::pair<std::string, int>>& Esquemas() {
    static const std::vector<std::pair<std::string, int>> e = {{"dbo", 1},
                                                               {"guest", 2},
                                                               {"INFORMATION_SCHEMA", 3},
                                                               {"sys", 4},
                                                               {"db_owner", 16384},
                                                               {"db_accessadmin", 16385},
                                                               {"db_securityadmin", 16386},
                                                               {"db_ddladmin", 16387},
                                                               {"db_backupoperator", 16389},
                                                               {"db_datareader", 16390},
                                                               {"db_datawriter", 16391},
                                                               {"db_denydatareader", 16392},
                                                               {"db_denydatawriter", 16393}};
    return e;
}

struct ObjetoPeloId {
    std::string tipo, texto;
};

std::optional<ObjetoPeloId> AcharPeloId(sqlite3_context* c, sqlite3_value* id) {
    Instrucao q(sqlite3_context_db_handle(c),
                "SELECT tipo, texto FROM main.zv_objetos WHERE id = ?");
    q.Ligar(1, sqlite3_value_int64(id));
    if (!q.Passo()) return std::nullopt;
    return ObjetoPeloId{q.Texto(0), q.Nulo(1) ? "" : q.Texto(1)};
}

Tabela* TabelaPeloId(sqlite3_context* c, std::int64_t id) {
    return Dono(c)->CatalogoAtual().TabelaPeloId(id);
}

// A database id given to OBJECT_NAME or OBJECT_SCHEMA_NAME other than this database's:
// an unknown one names nothing; another database's catalog is not read here.
bool OutroBanco(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n < 2 || Nulo(a[1])) return false;
    const int id = sqlite3_value_int(a[1]);
    const auto atual = Dono(c)->ServidorAtual().AcharBanco(Dono(c)->Banco());
    if (atual && atual->id == id) return false;
    if (Dono(c)->ServidorAtual().AcharBancoPorId(id))
        FalharNaFuncao(c, Recusa("O simulador de SQL Server não lê o catálogo de outro banco (id " +
                                 std::to_string(id) + ")."));
    else
        sqlite3_result_null(c);
    return true;
}

// OBJECT_DEFINITION(id): the text of a module or of a check or default; NULL otherwise.
void FnObjectDefinition(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    static const std::vector<std::string> comTexto = {"P", "V", "TR", "FN", "IF", "TF", "C", "D"};
    const auto o = AcharPeloId(c, a[0]);
    if (!o || std::find(comTexto.begin(), comTexto.end(), o->tipo) == comTexto.end())
        return sqlite3_result_null(c);
    ResultadoTexto(c, o->texto);
}

void FnObjectName(sqlite3_context* c, int n, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    if (OutroBanco(c, n, a)) return;
    Instrucao q(sqlite3_context_db_handle(c), "SELECT nome FROM main.zv_objetos WHERE id = ?");
    q.Ligar(1, sqlite3_value_int64(a[0]));
    if (!q.Passo()) return sqlite3_result_null(c);
    ResultadoTexto(c, q.Texto(0));
}

void FnObjectSchemaName(sqlite3_context* c, int n, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    if (OutroBanco(c, n, a)) return;
    if (!AcharPeloId(c, a[0])) return sqlite3_result_null(c);
    ResultadoTexto(c, "dbo");
}

void FnSchemaName(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n == 0) return ResultadoTexto(c, "dbo");
    if (Nulo(a[0])) return sqlite3_result_null(c);
    for (const auto& [nome, id] : Esquemas())
        if (id == sqlite3_value_int64(a[0])) return ResultadoTexto(c, nome);
    sqlite3_result_null(c);
}

void FnSchemaId(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n == 0) return sqlite3_result_int(c, 1);
    if (Nulo(a[0])) return sqlite3_result_null(c);
    for (const auto& [nome, id] : Esquemas())
        if (IguaisCiAs(nome, TextoDe(a[0]))) return sqlite3_result_int(c, id);
    sqlite3_result_null(c);
}

// The events a trigger fires on, read from its text: the words after FOR, AFTER or
// INSTEAD OF up to AS.
bool GatilhoDe(const ObjetoProgramado& g, std::string_view evento) {
    bool nosEventos = false;
    try {
        for (const Token& t : Tokenizar(g.texto)) {
            if (EhPalavra(t, "AS")) return false;
            if (EhPalavra(t, "FOR") || EhPalavra(t, "AFTER") || EhPalavra(t, "OF"))
                nosEventos = true;
            else if (nosEventos && EhPalavra(t, evento))
                return true;
        }
    } catch (const std::exception&) {
    }
    return false;
}

bool TemRestricao(const Tabela& t, std::string_view tipo) {
    return std::any_of(t.restricoes.begin(), t.restricoes.end(),
                       [&](const Restricao& r) { return r.tipo == tipo; });
}

// OBJECTPROPERTY's TableHas... properties of a table; nullopt for one it does not know.
std::optional<bool> PropriedadeDaTabela(sqlite3_context* c, const Tabela& t, const std::string& p) {
    auto colunaDe = [&](std::initializer_list<TipoBase> tipos) {
        return std::any_of(t.colunas.begin(), t.colunas.end(), [&](const ColunaDaTabela& col) {
            return std::find(tipos.begin(), tipos.end(), col.tipo.base) != tipos.end();
        });
    };
    auto indice = [&](bool agrupado) {
        return std::any_of(t.indices.begin(), t.indices.end(),
                           [&](const Indice& i) { return (i.indid == 1) == agrupado; });
    };
    auto gatilho = [&](std::string_view evento) {
        for (const ObjetoProgramado* g : Dono(c)->CatalogoAtual().GatilhosDe(t.id))
            if (GatilhoDe(*g, evento)) return true;
        return false;
    };
    if (p == "tablehasidentity") return t.Identidade() != nullptr;
    if (p == "tablehasprimarykey") return TemRestricao(t, "PK");
    if (p == "tablehasuniquecnst") return TemRestricao(t, "UQ");
    if (p == "tablehasforeignkey") return TemRestricao(t, "F");
    if (p == "tablehascheckcnst") return TemRestricao(t, "C");
    if (p == "tablehasdefaultcnst") return TemRestricao(t, "D");
    if (p == "tablehasindex" || p == "isindexed") return !t.indices.empty();
    if (p == "tablehasclustindex") return indice(true);
    if (p == "tablehasnonclustindex") return indice(false);
    if (p == "tablehastimestamp") return t.VersaoDeLinha() != nullptr;
    if (p == "tablehastextntextimage")
        return colunaDe({TipoBase::Text, TipoBase::NText, TipoBase::Image});
    if (p == "tablehasrowguidcol" || p == "tablehasvardecimalstorageformat" ||
        p == "tablehasactivefulltextindex" || p == "tableisfake")
        return false;
    if (p == "tablehasinserttrigger") return gatilho("INSERT");
    if (p == "tablehasupdatetrigger") return gatilho("UPDATE");
    if (p == "tablehasdeletetrigger") return gatilho("DELETE");
    if (p == "tablehasforeignref") {
        for (Tabela* outra : Dono(c)->CatalogoAtual().TabelasQueReferem(t.nome))
            for (const Restricao& r : outra->restricoes)
                if (r.tipo == "F" && IguaisCiAs(r.tabelaReferida, t.nome)) return true;
        return false;
    }
    return std::nullopt;
}

// OBJECTPROPERTY(id, 'IsProcedure' ...): 1 or 0; NULL for an unknown object or property,
// and for a table's property asked of anything but a table.
void FnObjectProperty(sqlite3_context* c, int, sqlite3_value** a) {
    static const std::map<std::string, std::vector<std::string>> tipos = {
        {"isprocedure", {"P"}},
        {"isusertable", {"U"}},
        {"istable", {"U"}},
        {"isview", {"V"}},
        {"istrigger", {"TR"}},
        {"isscalarfunction", {"FN"}},
        {"istablefunction", {"TF", "IF"}},
        {"isinlinefunction", {"IF"}},
        {"isconstraint", {"C", "D", "F", "PK", "UQ"}},
        {"isprimarykey", {"PK"}},
        {"isforeignkey", {"F"}},
        {"ischeckcnst", {"C"}},
        {"isdefaultcnst", {"D"}},
        {"isuniquecnst", {"UQ"}},
        {"isexecuted", {"P", "V", "TR", "FN", "IF", "TF"}},
        {"issystemtable", {}},
        {"ismsshipped", {}},
    };
    if (Nulo(a[0]) || Nulo(a[1])) return sqlite3_result_null(c);
    const auto o = AcharPeloId(c, a[0]);
    if (!o) return sqlite3_result_null(c);
    const std::string p = Dobrar(TextoDe(a[1]));
    if (auto it = tipos.find(p); it != tipos.end())
        return sqlite3_result_int(
            c, std::find(it->second.begin(), it->second.end(), o->tipo) != it->second.end());
    if (p == "ownerid") return sqlite3_result_int(c, 1);
    const Tabela* t = o->tipo == "U" ? TabelaPeloId(c, sqlite3_value_int64(a[0])) : nullptr;
    const auto r = t ? PropriedadeDaTabela(c, *t, p) : std::nullopt;
    if (!r) return sqlite3_result_null(c);
    sqlite3_result_int(c, *r ? 1 : 0);
}

// The identity column of the table IDENT_CURRENT, IDENT_SEED or IDENT_INCR names.
const ColunaDaTabela* IdentidadeDe(sqlite3_context* c, sqlite3_value* v, const Tabela*& t) {
    t = Nulo(v) ? nullptr : TabelaPeloNome(c, v);
    return t ? t->Identidade() : nullptr;
}

// IDENT_CURRENT: the last value given, or the seed while none was.
void FnIdentCurrent(sqlite3_context* c, int, sqlite3_value** a) {
    const Tabela* t = nullptr;
    const ColunaDaTabela* col = IdentidadeDe(c, a[0], t);
    if (!col) return sqlite3_result_null(c);
    sqlite3_result_int64(c,
                         UltimaIdentidade(sqlite3_context_db_handle(c), *t).value_or(col->semente));
}

void FnIdentSeed(sqlite3_context* c, int, sqlite3_value** a) {
    const Tabela* t = nullptr;
    const ColunaDaTabela* col = IdentidadeDe(c, a[0], t);
    if (!col) return sqlite3_result_null(c);
    sqlite3_result_int64(c, col->semente);
}

void FnIdentIncr(sqlite3_context* c, int, sqlite3_value** a) {
    const Tabela* t = nullptr;
    const ColunaDaTabela* col = IdentidadeDe(c, a[0], t);
    if (!col) return sqlite3_result_null(c);
    sqlite3_result_int64(c, col->incremento);
}

// zv_ultima_identidade(object_id): sys.identity_columns.last_value.
void FnUltimaIdentidade(sqlite3_context* c, int, sqlite3_value** a) {
    const Tabela* t = TabelaPeloId(c, sqlite3_value_int64(a[0]));
    const auto v = t ? UltimaIdentidade(sqlite3_context_db_handle(c), *t) : std::nullopt;
    if (!v) return sqlite3_result_null(c);
    sqlite3_result_int64(c, *v);
}

// CHOOSE(i, a, b ...): the i-th of the values (the index comes converted to int).
void FnChoose(sqlite3_context* c, int n, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    const std::int64_t i = sqlite3_value_int64(a[0]);
    if (i < 1 || i >= n) return sqlite3_result_null(c);
    sqlite3_result_value(c, a[i]);
}

// An exception may not cross SQLite's C frames: it fails the call as the function's error.
template <void (*F)(sqlite3_context*, int, sqlite3_value**)>
void Protegida(sqlite3_context* c, int n, sqlite3_value** a) {
    try {
        F(c, n, a);
    } catch (const ErroDeBanco& e) {
        FalharNaFuncao(c, e);
    } catch (const std::exception& e) {
        FalharNaFuncao(c, ErroDeBanco(e.what()));
    }
}

}  // namespace

std::optional<std::int64_t> UltimaIdentidade(sqlite3* db, const Tabela& t) {
    const ColunaDaTabela* col = t.Identidade();
    if (!col) return std::nullopt;
    if (!ExisteTabelaNoSqlite(db, "main", "sqlite_sequence")) return std::nullopt;
    Instrucao q(db, "SELECT seq FROM main.sqlite_sequence WHERE name = ? COLLATE NOCASE");
    q.Ligar(1, NomeNoSqlite(t.nome));
    // a new or truncated table keeps the seed less one increment
    if (!q.Passo() || q.Inteiro(0) == col->semente - col->incremento) return std::nullopt;
    return q.Inteiro(0);
}

void RegistrarFuncoesDeObjetos(sqlite3* db, void* sessao) {
    struct Funcao {
        const char* nome;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    static const Funcao funcoes[] = {
        {"zv_object_definition", 1, Protegida<FnObjectDefinition>},
        {"zv_object_name", 1, Protegida<FnObjectName>},
        {"zv_object_name", 2, Protegida<FnObjectName>},
        {"zv_object_schema_name", 1, Protegida<FnObjectSchemaName>},
        {"zv_object_schema_name", 2, Protegida<FnObjectSchemaName>},
        {"zv_schema_name", 0, Protegida<FnSchemaName>},
        {"zv_schema_name", 1, Protegida<FnSchemaName>},
        {"zv_schema_id", 0, Protegida<FnSchemaId>},
        {"zv_schema_id", 1, Protegida<FnSchemaId>},
        {"zv_objectproperty", 2, Protegida<FnObjectProperty>},
        {"zv_ident_current", 1, Protegida<FnIdentCurrent>},
        {"zv_ident_seed", 1, Protegida<FnIdentSeed>},
        {"zv_ident_incr", 1, Protegida<FnIdentIncr>},
        {"zv_ultima_identidade", 1, Protegida<FnUltimaIdentidade>},
    };
    for (const auto& f : funcoes)
        sqlite3_create_function(db, f.nome, f.args, SQLITE_UTF8, sessao, f.fn, nullptr, nullptr);
    sqlite3_create_function(db, "zv_choose", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            FnChoose, nullptr, nullptr);
}

}  // namespace zolvek::simulador
