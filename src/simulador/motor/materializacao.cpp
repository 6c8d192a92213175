#include "simulador/motor/materializacao.hpp"

#include <stdexcept>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/lexico.hpp"
#include "simulador/motor/nomes_do_motor.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/sqlite.hpp"

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

[[noreturn]] void FalharPorChaveDuplicada(const Tabela& t, const Indice& i) {
    throw ErroDeBanco(
        "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found for "
        "the object name 'dbo." +
            t.nome + "' and the index name '" + i.nome + "'." +
            (i.restricao != 0 ? "\nCould not create constraint or index. See previous errors."
                              : ""),
        1505, 16, 1);
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

std::string ExpressaoParaSqlite(const std::string& texto) {
    auto tokens = Tokenizar(texto);
    ContextoDeReescrita ctx;
    ctx.funcaoDoUsuario = FuncoesDoUsuarioEmCurso();  // a default or check may call one
    return Reescrever(tokens, {0, tokens.size()}, ctx);
}

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

void CriarIndiceSqlite(sqlite3* db, const Tabela& t, const Indice& i) {
    if (IndiceNaLinha(db, t, i)) return;
    std::string sql = std::string("CREATE ") + (i.unico ? "UNIQUE " : "") + "INDEX " +
                      NomeDoIndice(t, i) + " ON " + Tab(t.nome) + " (" + Colunas(i.colunas) + ")";
    try {
        ExecutarSql(db, sql);
    } catch (const FalhaDoSqlite& f) {
        if (f.Codigo() != SQLITE_CONSTRAINT_UNIQUE) throw;
        FalharPorChaveDuplicada(t, i);
    }
}

void ExcluirIndiceSqlite(sqlite3* db, const Tabela& t, const Indice& i) {
    if (IndiceNaLinha(db, t, i))
        throw std::logic_error("a row key goes only with its table rebuilt without it");
    ExecutarSql(db, "DROP INDEX IF EXISTS " + NomeDoIndice(t, i));
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

std::string MensagemDeNulo(const std::string& banco, const Tabela& t, const std::string& coluna,
                           char operacao) {
    return "Cannot insert the value NULL into column '" + coluna + "', table '" + banco + ".dbo." +
           t.nome + "'; column does not allow nulls. " + (operacao == 'I' ? "INSERT" : "UPDATE") +
           " fails.";
}

std::string ColunaDaLinha(const Tabela& t) {
    for (const char* nome : {"rowid", "_rowid_", "oid"})
        if (!t.Coluna(nome)) return nome;
    throw ErroDeBanco("O simulador de SQL Server não trabalha com a tabela '" + t.nome +
                      "', que tem colunas chamadas rowid, _rowid_ e oid.");
}

// The triggers are dropped by the names they were made with, which the catalog counts:
// reading SQLite's schema for them would cost every change as much as the whole schema.
void RecriarGatilhos(sqlite3* db, Catalogo& catalogo, const Tabela& t) {
    auto nomeDo = [&](int k) { return Id("zv_" + std::to_string(t.id) + "_" + std::to_string(k)); };
    for (int k = catalogo.GatilhosNoSqlite(t.id); k >= 1; --k)
        ExecutarSql(db, "DROP TRIGGER IF EXISTS main." + nomeDo(k));
    int n = 0;
    struct Contagem {
        Catalogo& catalogo;
        std::int64_t id;
        int& n;
        ~Contagem() { catalogo.AnotarGatilhosNoSqlite(id, n); }
    } contagem{catalogo, t.id, n};
    auto nome = [&]() { return nomeDo(++n); };
    std::string tabela = Tab(t.nome);
    if (const ColunaDaTabela* rv = t.VersaoDeLinha()) {
        const std::string linha = ColunaDaLinha(t);
        std::string corpo = " BEGIN UPDATE zv_contador SET valor = valor + 1; UPDATE " + tabela +
                            " SET " + Id(rv->nome) +
                            " = zv_bytes8((SELECT valor FROM zv_contador)) WHERE " + linha +
                            " = NEW." + linha + "; END";
        ExecutarSql(db, "CREATE TRIGGER " + nome() + " AFTER INSERT ON " + tabela + corpo);
        ExecutarSql(db, "CREATE TRIGGER " + nome() + " AFTER UPDATE ON " + tabela + corpo);
    }
    // This table as the referencing side.
    for (const auto& r : t.restricoes) {
        if (r.tipo != "F" || r.desabilitada) continue;
        std::string naoNulos;
        std::string colunas;
        for (const auto& c : r.colunas) {
            naoNulos += "NEW." + Id(c.nome) + " IS NOT NULL AND ";
            if (!colunas.empty()) colunas += ", ";
            colunas += Id(c.nome);
        }
        std::string teste = " WHEN " + naoNulos + "NOT EXISTS (SELECT 1 FROM " +
                            Tab(r.tabelaReferida) + " WHERE " +
                            Condicoes(r.colunas, r.colunasReferidas, "NEW") + ")";
        ExecutarSql(db, "CREATE TRIGGER " + nome() + " BEFORE INSERT ON " + tabela +
                            " FOR EACH ROW" + teste + " BEGIN SELECT RAISE(ABORT, " +
                            Texto("zvfk|INSERT|" + r.nome) + "); END");
        ExecutarSql(db, "CREATE TRIGGER " + nome() + " BEFORE UPDATE OF " + colunas + " ON " +
                            tabela + " FOR EACH ROW" + teste + " BEGIN SELECT RAISE(ABORT, " +
                            Texto("zvfk|UPDATE|" + r.nome) + "); END");
    }
    // This table as the referenced side.
    for (Tabela* filha : catalogo.TabelasQueReferem(t.nome)) {
        for (const auto& r : filha->restricoes) {
            if (r.tipo != "F" || r.desabilitada || !IguaisCiAs(r.tabelaReferida, t.nome)) continue;
            std::vector<ColunaDeIndice> locais;
            for (const auto& c : r.colunasReferidas) locais.push_back({c, false});
            std::vector<std::string> remotas;
            for (const auto& c : r.colunas) remotas.push_back(c.nome);
            std::string existe = "EXISTS (SELECT 1 FROM " + Tab(filha->nome) + " WHERE " +
                                 Condicoes(locais, remotas, "OLD") + ")";
            ExecutarSql(db, "CREATE TRIGGER " + nome() + " BEFORE DELETE ON " + tabela +
                                " FOR EACH ROW WHEN " + existe + " BEGIN SELECT RAISE(ABORT, " +
                                Texto("zvref|DELETE|" + r.nome) + "); END");
            std::string mudou, colunas;
            for (const auto& c : r.colunasReferidas) {
                if (!mudou.empty()) mudou += " OR ";
                mudou += "OLD." + Id(c) + " IS NOT NEW." + Id(c);
                if (!colunas.empty()) colunas += ", ";
                colunas += Id(c);
            }
            ExecutarSql(db, "CREATE TRIGGER " + nome() + " BEFORE UPDATE OF " + colunas + " ON " +
                                tabela + " FOR EACH ROW WHEN (" + mudou + ") AND " + existe +
                                " BEGIN SELECT RAISE(ABORT, " + Texto("zvref|UPDATE|" + r.nome) +
                                "); END");
        }
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

void ReconstruirTabela(sqlite3* db, Catalogo& catalogo, const Tabela& nova, const Tabela& antiga,
                       const std::map<std::string, std::string>& origem) {
    std::int64_t sequencia = -1;
    bool temSequencias = false;
    {
        Instrucao q(db, "SELECT 1 FROM main.sqlite_master WHERE name='sqlite_sequence'");
        temSequencias = q.Passo();
    }
    if (temSequencias) {
        Instrucao q(db, "SELECT seq FROM main.sqlite_sequence WHERE name=?");
        q.Ligar(1, NomeNoSqlite(antiga.nome));
        if (q.Passo()) sequencia = q.Inteiro(0);
    }
    // The rows wait in a temporary copy while the table is made again under its own
    // name: renaming would have SQLite reparse the whole schema, for every table
    // changed. The copy's columns have no type, so that no value is converted.
    std::string velha = "zv_velha_" + std::to_string(antiga.id);
    std::string colunasDaCopia;
    for (const auto& c : antiga.colunas) colunasDaCopia += ", " + Id(c.nome);
    ExecutarSql(db, "DROP TABLE IF EXISTS temp." + Id(velha));
    ExecutarSql(db, "CREATE TEMP TABLE " + Id(velha) + " (" + colunasDaCopia.substr(2) + ")");
    ExecutarSql(db, "INSERT INTO temp." + Id(velha) + " SELECT " + colunasDaCopia.substr(2) +
                        " FROM main." + Tab(antiga.nome));
    ExecutarSql(db, "DROP TABLE main." + Tab(antiga.nome));
    ExecutarSql(db, DefinicaoSqlite(nova, nova.nome));
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
                if (i.primario) FalharPorChaveDuplicada(nova, i);
        throw;
    } catch (...) {
        ExecutarSql(db, "PRAGMA ignore_check_constraints = OFF");
        throw;
    }
    ExecutarSql(db, "PRAGMA ignore_check_constraints = OFF");
    ExecutarSql(db, "DROP TABLE temp." + Id(velha));
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
}

}  // namespace zolvek::simulador
