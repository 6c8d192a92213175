#include "simulador/motor/geracao/materializacao.hpp"

#include <stdexcept>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/acoes_referenciais.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

std::string Id(const std::string& s) {
    return ComoIdentificador(s);
}

// A user's table in SQLite's text.
std::string Tab(const std::string& nome) {
    return IdentificadorNoSqlite(nome);
}

std::string NomeDoIndice(const Tabela& t, const Indice& i) {
    return Id("zvi_" + std::to_string(t.id) + "_" + std::to_string(i.indid));
}

// The rows with a NULL in a key column of a unique index: SQL Server holds them to one per
// key as it does values, SQLite lets any number in. A partial unique index over those rows
// tells a NULL apart from every value ((c IS NULL), ifnull(c, 0)) and holds them to one.
std::string NomeDoIndiceDeNulos(const Tabela& t, const Indice& i) {
    return Id("zvn_" + std::to_string(t.id) + "_" + std::to_string(i.indid));
}

std::string ColacaoDoTipo(const TipoSql& t) {
    if (EhTexto(t.base)) return std::string(" COLLATE ") + kColacao;
    if (EhDataHora(t.base)) return std::string(" COLLATE ") + kColacaoDeData;
    if (EhNumericoExato(t.base)) return std::string(" COLLATE ") + kColacaoDecimal;
    return "";
}

// A filtered index's WHERE in SQLite's text, after `antes`; "" for an index without one.
std::string FiltroNoSqlite(const Tabela& t, const Indice& i, const std::string& antes) {
    return i.filtro.empty() ? "" : antes + ExpressaoDaTabela(t, i.filtro);
}

void CriarIndiceDeNulos(sqlite3* db, const Tabela& t, const Indice& i) {
    std::string colunas, nulos;
    for (const auto& c : i.colunas) {
        const ColunaDaTabela* col = t.Coluna(c.nome);
        const std::string id = Id(c.nome);
        colunas += colunas.empty() ? "" : ", ";
        if (!col || !col->anulavel) {
            colunas += id;
            continue;
        }
        colunas += "(" + id + " IS NULL), ifnull(" + id + ", 0)" + ColacaoDoTipo(col->tipo);
        nulos += (nulos.empty() ? "" : " OR ") + id + " IS NULL";
    }
    if (nulos.empty()) return;
    ExecutarSql(db, "CREATE UNIQUE INDEX " + NomeDoIndiceDeNulos(t, i) + " ON " + Tab(t.nome) +
                        " (" + colunas + ") WHERE (" + nulos + ")" + FiltroNoSqlite(t, i, " AND "));
}

// "c = (expressão), ..." of a table's computed columns, each value as its column's type;
// "" when it has none.
std::string ColunasCalculadas(const Tabela& t) {
    std::string s;
    for (const auto& c : t.colunas) {
        if (c.calculo.empty()) continue;
        std::string valor = ExpressaoDaTabela(t, c.calculo);
        if (c.tipo.base != TipoBase::SqlVariant) valor = ChamadaDeConversao(valor, c.tipo);
        s += (s.empty() ? "" : ", ") + Id(c.nome) + " = " + valor;
    }
    return s;
}

// A key value as SQL Server writes it in its messages: NULL as <NULL>, binaries in hex.
std::string TextoDoValorDaChave(sqlite3_stmt* st, int c) {
    switch (sqlite3_column_type(st, c)) {
        case SQLITE_NULL:
            return "<NULL>";
        case SQLITE_BLOB: {
            static const char kHex[] = "0123456789ABCDEF";
            const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(st, c));
            std::string h = "0x";
            for (int k = 0; k < sqlite3_column_bytes(st, c); ++k)
                h += {kHex[p[k] >> 4], kHex[p[k] & 15]};
            return h;
        }
        default:
            return reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    }
}

// " The duplicate key value is (a, b)." for the first key that rows of `tabela` (SQLite's
// name) share; "" when it cannot be told.
std::string ChaveRepetida(sqlite3* db, const std::string& tabela,
                          const std::vector<std::string>& colunas, const std::string& filtro = "") {
    std::string lista;
    for (const auto& c : colunas) lista += (lista.empty() ? "" : ", ") + Id(c);
    try {
        Instrucao q(db, "SELECT " + lista + " FROM " + tabela + filtro + " GROUP BY " + lista +
                            " HAVING count(*) > 1 LIMIT 1");
        if (!q.Passo()) return "";
        std::string valores;
        for (int k = 0; k < static_cast<int>(colunas.size()); ++k)
            valores += (k ? ", " : "") + TextoDoValorDaChave(q.Bruta(), k);
        return " The duplicate key value is (" + valores + ").";
    } catch (const ErroDeBanco&) {
        return "";
    }
}

[[noreturn]] void FalharPorChaveDuplicada(const Tabela& t, const Indice& i,
                                          const std::string& valor) {
    const ErroDeBanco erro = ErroDoServidor(1505, {t.nome, i.nome, valor});
    throw i.restricao != 0 ? ComMensagemSeguinte(erro, 1750) : erro;
}

std::vector<std::string> NomesDasColunas(const std::vector<ColunaDeIndice>& colunas) {
    std::vector<std::string> r;
    for (const auto& c : colunas) r.push_back(c.nome);
    return r;
}

std::string Colunas(const std::vector<ColunaDeIndice>& cols) {
    std::string s;
    for (const auto& c : cols) {
        if (!s.empty()) s += ", ";
        s += Id(c.nome);
        if (c.decrescente) s += " DESC";
    }
    return s;
}

}  // namespace

std::string DefinicaoDasLinhas(const Tabela& t, const std::string& nome) {
    std::string s = "CREATE TEMP TABLE " + nome + " (";
    for (std::size_t k = 0; k < t.colunas.size(); ++k) {
        const ColunaDaTabela& c = t.colunas[k];
        s += (k ? ", " : "") + Id(c.nome) + " " + (c.identidade ? "INTEGER" : TipoSqlite(c.tipo));
        // a sql_variant compares its texts as the server's collation does
        if (EhTexto(c.tipo.base) || c.tipo.base == TipoBase::SqlVariant)
            s += std::string(" COLLATE ") + kColacao;
        if (EhDataHora(c.tipo.base)) s += std::string(" COLLATE ") + kColacaoDeData;
        if (EhNumericoExato(c.tipo.base)) s += std::string(" COLLATE ") + kColacaoDecimal;
    }
    return s + ")";
}

namespace {

std::string DefinicaoSqlite(const Tabela& t, const std::string& nome) {
    std::string s = "CREATE TABLE " + Tab(nome) + " (";
    const ColunaDaTabela* chave = ChaveNaLinha(t);
    bool primeiro = true;
    for (const auto& c : t.colunas) {
        if (!primeiro) s += ", ";
        primeiro = false;
        s += Id(c.nome);
        if (c.identidade) {
            s += " INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL";
            continue;
        }
        if (&c == chave) {
            s += " INTEGER PRIMARY KEY NOT NULL";
            continue;
        }
        s += " ";
        s += TipoSqlite(c.tipo);
        if (!c.calculo.empty()) {  // its value is written by the table's triggers
            s += ColacaoDoTipo(c.tipo);
            continue;
        }
        if (EhTexto(c.tipo.base)) s += std::string(" COLLATE ") + kColacao;
        if (EhDataHora(c.tipo.base)) s += std::string(" COLLATE ") + kColacaoDeData;
        if (EhNumericoExato(c.tipo.base)) s += std::string(" COLLATE ") + kColacaoDecimal;
        if (!c.anulavel && c.tipo.base != TipoBase::RowVersion) s += " NOT NULL";
        if (const Restricao* d = t.PadraoDaColuna(c.nome))
            s += " DEFAULT (" + ChamadaDeConversao(ExpressaoParaSqlite(d->texto), c.tipo) + ")";
    }
    for (const auto& r : t.restricoes) {
        if (r.tipo != "C" || r.desabilitada) continue;
        s += ", CONSTRAINT " + Id(r.nome) + " CHECK (" + ExpressaoParaSqlite(r.texto) + ")";
    }
    return s + ")";
}

std::string Texto(const std::string& s) {
    return ComoTexto(s);
}

std::string Condicoes(const std::vector<ColunaDeIndice>& locais,
                      const std::vector<std::string>& remotas, const std::string& prefixo) {
    std::string s;
    for (std::size_t k = 0; k < locais.size() && k < remotas.size(); ++k) {
        if (!s.empty()) s += " AND ";
        s += Id(remotas[k]) + " = " + prefixo + "." + Id(locais[k].nome);
    }
    return s;
}

}  // namespace

// Whether the SQLite table keeps index i as its row key (it was made so when the table
// last was), so that no index of its own is there.
bool IndiceNaLinha(sqlite3* db, const Tabela& t, const Indice& i) {
    if (!i.primario || i.colunas.size() != 1 || i.colunas[0].decrescente) return false;
    const ColunaDaTabela* c = t.Coluna(i.colunas[0].nome);
    if (!c || c->identidade || !EhInteiro(c->tipo.base)) return false;
    Instrucao q(db, "SELECT 1 FROM pragma_table_info(?) WHERE pk = 1 AND name = ? COLLATE NOCASE");
    q.Ligar(1, NomeNoSqlite(t.nome));
    q.Ligar(2, c->nome);
    return q.Passo();
}

// A unique index over the identity alone adds nothing to SQLite's row key, which the
// identity is: the table keeps no index of its own for it. Each index made costs SQLite a
// pass over its whole schema, and the analysis makes a table's again at every change of
// its CHECKs, DEFAULTs and nullability.
bool IndiceDaIdentidade(const Tabela& t, const Indice& i) {
    if (!i.unico || i.colunas.size() != 1 || !i.filtro.empty()) return false;
    const ColunaDaTabela* c = t.Coluna(i.colunas[0].nome);
    return c && c->identidade;
}

void CriarIndiceSqlite(sqlite3* db, const Tabela& t, const Indice& i) {
    if (IndiceNaLinha(db, t, i) || IndiceDaIdentidade(t, i)) return;
    std::string sql = std::string("CREATE ") + (i.unico ? "UNIQUE " : "") + "INDEX " +
                      NomeDoIndice(t, i) + " ON " + Tab(t.nome) + " (" + Colunas(i.colunas) + ")" +
                      FiltroNoSqlite(t, i, " WHERE ");
    try {
        ExecutarSql(db, sql);
        if (i.unico) CriarIndiceDeNulos(db, t, i);
    } catch (const FalhaDoSqlite& f) {
        if (f.Codigo() != SQLITE_CONSTRAINT_UNIQUE) throw;
        FalharPorChaveDuplicada(t, i,
                                ChaveRepetida(db, Tab(t.nome), NomesDasColunas(i.colunas),
                                              FiltroNoSqlite(t, i, " WHERE ")));
    }
}

void ExcluirIndiceSqlite(sqlite3* db, const Tabela& t, const Indice& i) {
    if (IndiceNaLinha(db, t, i))
        throw std::logic_error("a row key goes only with its table rebuilt without it");
    ExecutarSql(db, "DROP INDEX IF EXISTS " + NomeDoIndice(t, i));
    ExecutarSql(db, "DROP INDEX IF EXISTS " + NomeDoIndiceDeNulos(t, i));
}

const Indice* IndiceDoSqlite(const Tabela& t, const std::string& nome) {
    for (const auto& i : t.indices)
        for (const std::string& n : {NomeDoIndice(t, i), NomeDoIndiceDeNulos(t, i)})
            if (n == Id(nome)) return &i;
    return nullptr;
}

void CriarIndicesSqlite(sqlite3* db, const Tabela& t) {
    for (const auto& i : t.indices) CriarIndiceSqlite(db, t, i);
}

const ColunaDaTabela* ChaveNaLinha(const Tabela& t) {
    if (t.Identidade()) return nullptr;
    for (const auto& i : t.indices) {
        if (!i.primario) continue;
        if (i.colunas.size() != 1 || i.colunas[0].decrescente) return nullptr;
        const ColunaDaTabela* c = t.Coluna(i.colunas[0].nome);
        if (!c || !EhInteiro(c->tipo.base) || t.PadraoDaColuna(c->nome)) return nullptr;
        return c;
    }
    return nullptr;
}

std::string GuardaDaChave(const Tabela& t, const ColunaDaTabela& c, std::string valor) {
    if (ChaveNaLinha(t) != &c) return valor;
    return "zv_chave(" + valor + ", " + Texto(NomeNoSqlite(t.nome) + "." + c.nome) + ")";
}

std::string ColunaDaLinha(const Tabela& t) {
    for (const char* nome : {"rowid", "_rowid_", "oid"})
        if (!t.Coluna(nome)) return nome;
    throw Recusa("O simulador de SQL Server não trabalha com a tabela '" + t.nome +
                 "', que tem colunas chamadas rowid, _rowid_ e oid.");
}

namespace {

// SQLite's triggers of the engine go in groups, each dropped and made as one, named
// <group>_1, <group>_2...: zv_t<table id> for a table's rowversion and computed columns,
// zv_f<referencing table id>x<key name> and zv_r<...> for a foreign key on its referencing
// and on its referenced table. Changing one key touches only its own groups: each DDL costs
// SQLite a pass over its whole schema. A key's triggers refuse only while the catalog has
// the key in force, so that a key dropped or disabled costs no DDL, and made again the same
// finds them in place. Files made before have zv_<table id> for all the triggers on a table,
// or zv_c<key id> and zv_p<key id>, which go once those tables' or keys' are made again.
std::string GrupoDaTabela(const Tabela& t) {
    return "zv_t" + std::to_string(t.id);
}

std::string GrupoAntigo(const Tabela& t) {
    return "zv_" + std::to_string(t.id);
}

std::string GrupoAntigoDaFilha(const Restricao& r) {
    return "zv_c" + std::to_string(r.id);
}

std::string GrupoAntigoDaReferida(const Restricao& r) {
    return "zv_p" + std::to_string(r.id);
}

std::string NomeDaChaveNoGrupo(const std::string& nome) {
    static const char* kHex = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : Dobrar(nome)) {
        hex += kHex[c >> 4];
        hex += kHex[c & 15];
    }
    return hex;
}

std::string GrupoDaChave(char lado, std::int64_t filha, const Restricao& r) {
    return std::string("zv_") + lado + std::to_string(filha) + "x" + NomeDaChaveNoGrupo(r.nome);
}

std::string GrupoDaFilha(const Tabela& filha, const Restricao& r) {
    return GrupoDaChave('f', filha.id, r);
}

std::string GrupoDaReferida(const Tabela& filha, const Restricao& r) {
    return GrupoDaChave('r', filha.id, r);
}

// The test a key's triggers end with: the catalog still has the key, enabled.
std::string ChaveEmVigor(const Tabela& filha, const Restricao& r) {
    return "EXISTS (SELECT 1 FROM zv_objetos WHERE pai = " + std::to_string(filha.id) +
           " AND tipo = 'F' AND nocheck < 2 AND nome = " + Texto(r.nome) + ")";
}

// The triggers are dropped by the names they were made with, which the catalog counts:
// reading SQLite's schema for them would cost every change as much as the whole schema.
void ExcluirGrupo(sqlite3* db, Catalogo& catalogo, const std::string& grupo) {
    for (int k = catalogo.GatilhosNoSqlite(grupo); k >= 1; --k)
        ExecutarSql(db, "DROP TRIGGER IF EXISTS main." + Id(grupo + "_" + std::to_string(k)));
    catalogo.AnotarGatilhosNoSqlite(grupo, 0);
}

// Names a group's new triggers in turn; the catalog counts those made, also when a
// CREATE fails half way.
class NovoGrupo {
  public:
    NovoGrupo(Catalogo& catalogo, std::string grupo)
        : catalogo_(catalogo), grupo_(std::move(grupo)) {}
    NovoGrupo(const NovoGrupo&) = delete;
    NovoGrupo& operator=(const NovoGrupo&) = delete;
    ~NovoGrupo() { catalogo_.AnotarGatilhosNoSqlite(grupo_, n_); }
    std::string Proximo() { return Id(grupo_ + "_" + std::to_string(++n_)); }

  private:
    Catalogo& catalogo_;
    std::string grupo_;
    int n_ = 0;
};

// Makes a group of the statements `textos`, which name its triggers in turn.
void CriarGrupo(sqlite3* db, Catalogo& catalogo, const std::string& grupo,
                const std::vector<std::string>& textos) {
    {
        NovoGrupo novo(catalogo, grupo);
        for (const auto& texto : textos) {
            novo.Proximo();
            ExecutarSql(db, texto);
        }
    }
    catalogo.AnotarTextosDoGrupo(grupo, textos);
}

// A group made of `textos` unless SQLite has it so already.
void GarantirGrupo(sqlite3* db, Catalogo& catalogo, const std::string& grupo,
                   const std::vector<std::string>& textos) {
    if (catalogo.TextosDoGrupo(grupo) == textos &&
        catalogo.GatilhosNoSqlite(grupo) == static_cast<int>(textos.size()))
        return;
    ExcluirGrupo(db, catalogo, grupo);
    CriarGrupo(db, catalogo, grupo, textos);
}

void CriarGatilhosDaTabela(sqlite3* db, Catalogo& catalogo, const Tabela& t) {
    NovoGrupo grupo(catalogo, GrupoDaTabela(t));
    const std::string tabela = Tab(t.nome);
    if (const ColunaDaTabela* rv = t.VersaoDeLinha()) {
        const std::string linha = ColunaDaLinha(t);
        std::string corpo = " BEGIN UPDATE zv_contador SET valor = valor + 1; UPDATE " + tabela +
                            " SET " + Id(rv->nome) +
                            " = zv_bytes8((SELECT valor FROM zv_contador)) WHERE " + linha +
                            " = NEW." + linha + "; END";
        ExecutarSql(db, "CREATE TRIGGER " + grupo.Proximo() + " AFTER INSERT ON " + tabela + corpo);
        ExecutarSql(db, "CREATE TRIGGER " + grupo.Proximo() + " AFTER UPDATE ON " + tabela + corpo);
    }
    if (const std::string calculadas = ColunasCalculadas(t); !calculadas.empty()) {
        const std::string linha = ColunaDaLinha(t);
        const std::string corpo = " BEGIN UPDATE " + tabela + " SET " + calculadas + " WHERE " +
                                  linha + " = NEW." + linha + "; END";
        ExecutarSql(db, "CREATE TRIGGER " + grupo.Proximo() + " AFTER INSERT ON " + tabela + corpo);
        ExecutarSql(db, "CREATE TRIGGER " + grupo.Proximo() + " AFTER UPDATE ON " + tabela + corpo);
    }
}

// The triggers on the referencing table: a new or changed row must find its referenced one.
std::vector<std::string> LadoDaFilha(const Tabela& filha, const Restricao& r) {
    const std::string grupo = GrupoDaFilha(filha, r);
    const std::string tabela = Tab(filha.nome);
    std::string naoNulos, colunas;
    for (const auto& c : r.colunas) {
        naoNulos += "NEW." + Id(c.nome) + " IS NOT NULL AND ";
        if (!colunas.empty()) colunas += ", ";
        colunas += Id(c.nome);
    }
    std::string teste = " WHEN " + naoNulos + "NOT EXISTS (SELECT 1 FROM " + Tab(r.tabelaReferida) +
                        " WHERE " + Condicoes(r.colunas, r.colunasReferidas, "NEW") + ") AND " +
                        ChaveEmVigor(filha, r);
    return {"CREATE TRIGGER " + Id(grupo + "_1") + " BEFORE INSERT ON " + tabela + " FOR EACH ROW" +
                teste + " BEGIN SELECT RAISE(ABORT, " + Texto("zvfk|INSERT|" + r.nome) + "); END",
            "CREATE TRIGGER " + Id(grupo + "_2") + " BEFORE UPDATE OF " + colunas + " ON " +
                tabela + " FOR EACH ROW" + teste + " BEGIN SELECT RAISE(ABORT, " +
                Texto("zvfk|UPDATE|" + r.nome) + "); END"};
}

// The triggers on the referenced table that refuse to delete or change a row still
// referenced, for the events without a referential action; `nome` names each in turn.
std::vector<std::string> RecusasDaReferida(const Tabela& t, const Tabela& filha, const Restricao& r,
                                           const std::function<std::string()>& nome) {
    const std::string tabela = Tab(t.nome);
    std::vector<ColunaDeIndice> locais;
    for (const auto& c : r.colunasReferidas) locais.push_back({c, false});
    std::vector<std::string> remotas;
    for (const auto& c : r.colunas) remotas.push_back(c.nome);
    const std::string existe = "EXISTS (SELECT 1 FROM " + Tab(filha.nome) + " WHERE " +
                               Condicoes(locais, remotas, "OLD") + ") AND " +
                               ChaveEmVigor(filha, r);
    std::vector<std::string> textos;
    if (r.aoExcluir.empty())
        textos.push_back("CREATE TRIGGER " + nome() + " BEFORE DELETE ON " + tabela +
                         " FOR EACH ROW WHEN " + existe + " BEGIN SELECT RAISE(ABORT, " +
                         Texto("zvref|DELETE|" + r.nome) + "); END");
    if (!r.aoAtualizar.empty()) return textos;
    std::string mudou, colunas;
    for (const auto& c : r.colunasReferidas) {
        if (!mudou.empty()) mudou += " OR ";
        mudou += "OLD." + Id(c) + " IS NOT NEW." + Id(c);
        if (!colunas.empty()) colunas += ", ";
        colunas += Id(c);
    }
    textos.push_back("CREATE TRIGGER " + nome() + " BEFORE UPDATE OF " + colunas + " ON " + tabela +
                     " FOR EACH ROW WHEN (" + mudou + ") AND " + existe +
                     " BEGIN SELECT RAISE(ABORT, " + Texto("zvref|UPDATE|" + r.nome) + "); END");
    return textos;
}

// Those of a key without referential actions, named as its group's.
std::vector<std::string> RecusasDaReferida(const Tabela& t, const Tabela& filha,
                                           const Restricao& r) {
    int n = 0;
    const std::string grupo = GrupoDaReferida(filha, r);
    return RecusasDaReferida(t, filha, r, [&] { return Id(grupo + "_" + std::to_string(++n)); });
}

bool ComAcoes(const Restricao& r) {
    return !r.aoExcluir.empty() || !r.aoAtualizar.empty();
}

// The triggers on the referenced table of a key with referential actions: its actions,
// and the refusal for the event without one. Always made anew, and dropped with the key.
void CriarAcoesDaReferida(sqlite3* db, Catalogo& catalogo, const Tabela& t, const Tabela& filha,
                          const Restricao& r) {
    NovoGrupo grupo(catalogo, GrupoDaReferida(filha, r));
    CriarGatilhosDasAcoes(db, t, filha, r, [&] { return grupo.Proximo(); });
    for (const auto& texto : RecusasDaReferida(t, filha, r, [&] { return grupo.Proximo(); }))
        ExecutarSql(db, texto);
}

void CriarLadoDaReferida(sqlite3* db, Catalogo& catalogo, const Tabela& t, const Tabela& filha,
                         const Restricao& r) {
    if (ComAcoes(r))
        CriarAcoesDaReferida(db, catalogo, t, filha, r);
    else
        CriarGrupo(db, catalogo, GrupoDaReferida(filha, r), RecusasDaReferida(t, filha, r));
}

}  // namespace

void ExcluirGruposSemChave(sqlite3* db, Catalogo& catalogo) {
    for (const std::string& grupo : catalogo.TomarGruposSemChave()) {
        const auto x = grupo.find('x');
        bool emVigor = false;
        if (x != std::string::npos && x > 4)
            if (Tabela* filha = catalogo.TabelaPeloId(std::stoll(grupo.substr(4, x - 4))))
                for (const auto& r : filha->restricoes)
                    if (r.tipo == "F" && !r.desabilitada &&
                        GrupoDaChave(grupo[3], filha->id, r) == grupo)
                        emVigor = true;
        if (!emVigor) ExcluirGrupo(db, catalogo, grupo);
    }
}

void RecriarGatilhos(sqlite3* db, Catalogo& catalogo, const Tabela& t) {
    ExcluirGruposSemChave(db, catalogo);
    ExcluirGrupo(db, catalogo, GrupoAntigo(t));
    ExcluirGrupo(db, catalogo, GrupoDaTabela(t));
    CriarGatilhosDaTabela(db, catalogo, t);
    for (const auto& r : t.restricoes) {
        if (r.tipo != "F") continue;
        ExcluirGrupo(db, catalogo, GrupoAntigoDaFilha(r));
        ExcluirGrupo(db, catalogo, GrupoDaFilha(t, r));
        if (!r.desabilitada) CriarGrupo(db, catalogo, GrupoDaFilha(t, r), LadoDaFilha(t, r));
    }
    for (Tabela* filha : catalogo.TabelasQueReferem(t.nome))
        for (const auto& r : filha->restricoes) {
            if (r.tipo != "F" || !IguaisCiAs(r.tabelaReferida, t.nome)) continue;
            ExcluirGrupo(db, catalogo, GrupoAntigoDaReferida(r));
            ExcluirGrupo(db, catalogo, GrupoDaReferida(*filha, r));
            if (!r.desabilitada) CriarLadoDaReferida(db, catalogo, t, *filha, r);
        }
}

void AtualizarGatilhosDaChave(sqlite3* db, Catalogo& catalogo, const std::string& filha,
                              const Restricao& r, LadosDaChave lados) {
    Tabela* dela = catalogo.AcharTabela(filha);
    const Restricao* atual = dela ? catalogo.RestricaoPeloId(r.id) : nullptr;
    const bool vale = atual && atual->tipo == "F" && !atual->desabilitada;
    auto antigo = [&](const Tabela& x) { return catalogo.GatilhosNoSqlite(GrupoAntigo(x)) > 0; };
    if (lados != LadosDaChave::Referida && dela) {
        if (antigo(*dela)) {
            RecriarGatilhos(db, catalogo, *dela);
        } else {
            ExcluirGrupo(db, catalogo, GrupoAntigoDaFilha(r));
            if (vale)
                GarantirGrupo(db, catalogo, GrupoDaFilha(*dela, *atual),
                              LadoDaFilha(*dela, *atual));
            else
                catalogo.AnotarGrupoSemChave(GrupoDaFilha(*dela, r));
        }
    }
    if (lados == LadosDaChave::Filha) return;
    Tabela* referida = catalogo.AcharTabela(vale ? atual->tabelaReferida : r.tabelaReferida);
    if (referida && antigo(*referida)) {
        RecriarGatilhos(db, catalogo, *referida);
        return;
    }
    ExcluirGrupo(db, catalogo, GrupoAntigoDaReferida(r));
    if (!dela) {
        // the referencing table went, and its groups on the referenced one with it
        ExcluirGruposSemChave(db, catalogo);
        return;
    }
    const std::string grupo = GrupoDaReferida(*dela, vale ? *atual : r);
    if (vale && referida && !ComAcoes(*atual)) {
        GarantirGrupo(db, catalogo, grupo, RecusasDaReferida(*referida, *dela, *atual));
    } else if (vale && referida) {
        ExcluirGrupo(db, catalogo, grupo);
        CriarAcoesDaReferida(db, catalogo, *referida, *dela, *atual);
    } else if (ComAcoes(r)) {
        ExcluirGrupo(db, catalogo, grupo);
    } else {
        catalogo.AnotarGrupoSemChave(grupo);
    }
}

void CriarTabelaSqlite(sqlite3* db, Catalogo& catalogo, const Tabela& t) {
    ExecutarSql(db, DefinicaoSqlite(t, t.nome));
    if (const ColunaDaTabela* id = t.Identidade(); id && id->semente != 1) {
        Instrucao(db, "INSERT INTO main.sqlite_sequence(name, seq) VALUES (?, ?)")
            .Ligar(1, NomeNoSqlite(t.nome))
            .Ligar(2, id->semente - 1)
            .Executar();
    }
    CriarIndicesSqlite(db, t);
    RecriarGatilhos(db, catalogo, t);
}

void CriarTabelaTemporariaSqlite(sqlite3* db, const Tabela& t) {
    ExecutarSql(db, "DROP TABLE IF EXISTS temp." + Tab(t.nome));
    ExecutarSql(db, "CREATE TEMP" + DefinicaoSqlite(t, t.nome).substr(6));
    if (const ColunaDaTabela* id = t.Identidade(); id && id->semente != 1)
        Instrucao(db, "INSERT INTO temp.sqlite_sequence(name, seq) VALUES (?, ?)")
            .Ligar(1, NomeNoSqlite(t.nome))
            .Ligar(2, id->semente - 1)
            .Executar();
    CriarIndicesSqlite(db, t);
}

namespace {

// The duplicate key of a primary key that a rebuilt table's rows break, read from the copy
// of its rows (whose columns have their old names).
std::string ChaveNaCopia(sqlite3* db, const std::string& copia, const Indice& i,
                         const std::map<std::string, std::string>& origem) {
    std::vector<std::string> colunas;
    for (const auto& c : i.colunas) {
        auto it = origem.find(Dobrar(c.nome));
        if (it == origem.end() || it->second.empty()) return "";
        colunas.push_back(it->second);
    }
    return ChaveRepetida(db, "temp." + Id(copia), colunas);
}

}  // namespace

namespace {

bool TemLinhas(sqlite3* db, const Tabela& t) {
    Instrucao q(db, "SELECT 1 FROM main." + Tab(t.nome) + " LIMIT 1");
    return q.Passo();
}

// The rows wait in a temporary copy while the table is made again under its own name:
// renaming would have SQLite reparse the whole schema, for every table changed. The
// copy's columns have no type, so that no value is converted.
void CopiarLinhas(sqlite3* db, const Tabela& antiga, const std::string& velha) {
    std::string colunas;
    for (const auto& c : antiga.colunas) colunas += ", " + Id(c.nome);
    ExecutarSql(db, "DROP TABLE IF EXISTS temp." + Id(velha));
    ExecutarSql(db, "CREATE TEMP TABLE " + Id(velha) + " (" + colunas.substr(2) + ")");
    ExecutarSql(db, "INSERT INTO temp." + Id(velha) + " SELECT " + colunas.substr(2) +
                        " FROM main." + Tab(antiga.nome));
}

// Brings the copy's rows into the table made again, each column from the one `origem` names,
// converted to its new type; SQLite's CHECKs wait, as the statement validated the rows.
void DevolverLinhas(sqlite3* db, const Tabela& nova, const Tabela& antiga,
                    const std::map<std::string, std::string>& origem, const std::string& velha) {
    std::string destino, fonte;
    for (const auto& c : nova.colunas) {
        auto it = origem.find(Dobrar(c.nome));
        if (it == origem.end()) continue;
        const ColunaDaTabela* anterior = antiga.Coluna(it->second);
        if (!destino.empty()) {
            destino += ", ";
            fonte += ", ";
        }
        destino += Id(c.nome);
        if (it->second.empty() || !anterior) {
            fonte += "NULL";
        } else if (anterior->tipo == c.tipo || c.identidade) {
            fonte += Id(anterior->nome);
        } else {
            fonte += ChamadaDeConversao(Id(anterior->nome), c.tipo, anterior->tipo);
        }
    }
    ExecutarSql(db, "PRAGMA ignore_check_constraints = ON");
    try {
        if (!destino.empty())
            ExecutarSql(db, "INSERT INTO main." + Tab(nova.nome) + " (" + destino + ") SELECT " +
                                fonte + " FROM temp." + Id(velha));
    } catch (const FalhaDoSqlite& f) {
        ExecutarSql(db, "PRAGMA ignore_check_constraints = OFF");
        if (f.Codigo() == SQLITE_CONSTRAINT_PRIMARYKEY)
            for (const auto& i : nova.indices)
                if (i.primario)
                    FalharPorChaveDuplicada(nova, i, ChaveNaCopia(db, velha, i, origem));
        throw;
    } catch (...) {
        ExecutarSql(db, "PRAGMA ignore_check_constraints = OFF");
        throw;
    }
    ExecutarSql(db, "PRAGMA ignore_check_constraints = OFF");
    ExecutarSql(db, "DROP TABLE temp." + Id(velha));
}

}  // namespace

// A table without rows, as the analysis changes the tables it has just made, is only made
// again: no copy of its rows.
void ReconstruirTabela(sqlite3* db, Catalogo& catalogo, const Tabela& nova, const Tabela& antiga,
                       const std::map<std::string, std::string>& origem) {
    std::int64_t sequencia = -1;
    if (ExisteTabelaNoSqlite(db, "main", "sqlite_sequence")) {
        Instrucao q(db, "SELECT seq FROM main.sqlite_sequence WHERE name=?");
        q.Ligar(1, NomeNoSqlite(antiga.nome));
        if (q.Passo()) sequencia = q.Inteiro(0);
    }
    const std::string velha = "zv_velha_" + std::to_string(antiga.id);
    const bool comLinhas = TemLinhas(db, antiga);
    if (comLinhas) CopiarLinhas(db, antiga, velha);
    ExecutarSql(db, "DROP TABLE main." + Tab(antiga.nome));
    ExecutarSql(db, DefinicaoSqlite(nova, nova.nome));
    if (comLinhas) DevolverLinhas(db, nova, antiga, origem, velha);
    if (sequencia >= 0 && nova.Identidade()) {
        Instrucao(db, "DELETE FROM main.sqlite_sequence WHERE name=?")
            .Ligar(1, NomeNoSqlite(nova.nome))
            .Executar();
        Instrucao(db,
                  "INSERT INTO main.sqlite_sequence(name, seq) VALUES (?, max(?, coalesce((SELECT "
                  "max(" +
                      ColunaDaLinha(nova) + ") FROM " + Tab(nova.nome) + "), 0)))")
            .Ligar(1, NomeNoSqlite(nova.nome))
            .Ligar(2, sequencia)
            .Executar();
    }
    CriarIndicesSqlite(db, nova);
    RecriarGatilhos(db, catalogo, nova);
    if (const std::string calculadas = ColunasCalculadas(nova); comLinhas && !calculadas.empty())
        ExecutarSql(db, "UPDATE main." + Tab(nova.nome) + " SET " + calculadas);
}

}  // namespace zolvek::simulador
