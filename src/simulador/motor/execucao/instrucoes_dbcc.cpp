// CHECKPOINT, DBCC CHECKIDENT and DBCC CHECKDB.

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/instrucoes_do_servidor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/funcoes/funcoes_catalogo.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

std::string IdentidadeComoTexto(const std::optional<std::int64_t>& v) {
    return v ? std::to_string(*v) : "NULL";
}

// The largest value of the table's identity column; nullopt for an empty table.
std::optional<std::int64_t> MaiorValorDaColuna(sqlite3* db, const Tabela& t) {
    Instrucao q(db, "SELECT max(" + IdentificadorNoSqlite(t.Identidade()->nome) + ") FROM main." +
                        IdentificadorNoSqlite(t.nome));
    if (!q.Passo() || q.Nulo(0)) return std::nullopt;
    return q.Inteiro(0);
}

// The identity's next row takes `ultimo` + 1. Identity columns are SQLite's AUTOINCREMENT
// row ids, which never go back below the largest row id the table holds.
void GravarUltimaIdentidade(sqlite3* db, const Tabela& t, std::int64_t ultimo) {
    if (const auto maior = MaiorValorDaColuna(db, t); maior && ultimo < *maior)
        throw Recusa("O simulador de SQL Server não recomeça a identidade da tabela '" + t.nome +
                     "' abaixo do maior valor da coluna (" + std::to_string(*maior) + ").");
    Instrucao(db, "DELETE FROM main.sqlite_sequence WHERE name=?")
        .Ligar(1, NomeNoSqlite(t.nome))
        .Executar();
    Instrucao(db, "INSERT INTO main.sqlite_sequence(name, seq) VALUES (?, ?)")
        .Ligar(1, NomeNoSqlite(t.nome))
        .Ligar(2, ultimo)
        .Executar();
}

// "ok", or SQLite's list of what is wrong: how many faults the file has. A file SQLite
// cannot read counts as one.
int FalhasDoArquivo(sqlite3* db) {
    try {
        Instrucao q(db, "PRAGMA main.integrity_check");
        int falhas = 0;
        while (q.Passo())
            if (q.Texto(0) != "ok") ++falhas;
        return falhas;
    } catch (const FalhaDoSqlite& f) {
        if ((f.Codigo() & 0xff) == SQLITE_CORRUPT || (f.Codigo() & 0xff) == SQLITE_NOTADB) return 1;
        throw;
    }
}

int FalhasDoArquivo(const std::filesystem::path& arquivo) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(arquivo.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return 1;
    }
    try {
        const int falhas = FalhasDoArquivo(db);
        sqlite3_close(db);
        return falhas;
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
}

}  // namespace

// CHECKPOINT: the database's write-ahead log goes into its file as far as no reader holds it.
void InstrucoesDoServidor::Rodar(const instrucao::PontoDeControle&) {
    if (!DonoDoBanco() && s_.EhMembro("db_backupoperator") != 1)
        throw ErroDoServidor(262, {"CHECKPOINT", s_.Banco()});
    // inside the session's own transaction SQLite moves nothing (SQLITE_LOCKED): what it
    // holds goes into the file at a later checkpoint, as a passive one leaves what it cannot
    const int r = sqlite3_wal_checkpoint_v2(s_.Conexao(), "main", SQLITE_CHECKPOINT_PASSIVE,
                                            nullptr, nullptr);
    if (r != SQLITE_OK && !(r == SQLITE_LOCKED && !sqlite3_get_autocommit(s_.Conexao())))
        FalharComSqlite(s_.Conexao());
}

// UPDATE STATISTICS: SQLite's own statistics of the table and its indexes, which its planner
// reads as SQL Server's optimizer reads its statistics.
void InstrucoesDoServidor::Rodar(const instrucao::AtualizarEstatisticas& c) {
    const Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t) throw ErroDoServidor(1088, {c.objeto.Nome()});
    ExecutarSql(s_.Conexao(), "ANALYZE main." + IdentificadorNoSqlite(t->nome));
}

void InstrucoesDoServidor::Rodar(const instrucao::Dbcc& c) {
    if (c.comando == "CHECKIDENT")
        VerificarIdentidade(c);
    else
        VerificarBanco(c);
    if (!c.semInformacoes) Informar(TextoDoServidor(2528), 2528);
}

// DBCC CHECKIDENT: NORESEED tells the values; RESEED without a value raises the identity to
// the column's largest value; RESEED with one sets it (a table that never had a row takes
// the value itself as its first identity).
void InstrucoesDoServidor::VerificarIdentidade(const instrucao::Dbcc& c) {
    bool outroBanco = false;
    const std::string nome = NomeSimples(c.objeto, outroBanco, s_.Banco());
    if (outroBanco)
        throw Recusa(
            "O simulador de SQL Server só roda DBCC CHECKIDENT em tabelas do banco "
            "atual.");
    const Tabela* t = s_.CatalogoAtual().AcharTabela(nome);
    if (!t) throw ErroDoServidor(2501, {c.objeto});
    if (!DonoDoBanco() && s_.EhMembro("db_ddladmin") != 1)
        throw ErroDoServidor(2557, {s_.NomeDoUsuario(), t->nome});
    const ColunaDaTabela* col = t->Identidade();
    if (!col) throw ErroDoServidor(7997, {t->nome});
    const auto atual = UltimaIdentidade(s_.Conexao(), *t);
    const auto maior = MaiorValorDaColuna(s_.Conexao(), *t);
    std::string informacao = "Checking identity information: current identity value '" +
                             IdentidadeComoTexto(atual) + "'";
    if (!c.valor.Vazia()) {
        const db::Valor v =
            Interpretador(execucao_).ValorConvertido(c.valor, TipoSql{TipoBase::BigInt, 0, 0, 0});
        if (db::EhNulo(v)) throw *c.valorNulo;
        const std::int64_t novo = std::get<std::int64_t>(v);
        GravarUltimaIdentidade(s_.Conexao(), *t, atual ? novo : novo - col->incremento);
        informacao += ".";
    } else {
        if (c.modo != "NORESEED" && maior && (!atual || *atual < *maior))
            GravarUltimaIdentidade(s_.Conexao(), *t, *maior);
        informacao += ", current column value '" + IdentidadeComoTexto(maior) + "'.";
    }
    if (!c.semInformacoes) Informar(informacao);
}

// DBCC CHECKDB: SQLite's check of the whole file, in SQL Server's words.
void InstrucoesDoServidor::VerificarBanco(const instrucao::Dbcc& c) {
    Servidor& srv = s_.ServidorAtual();
    std::string nome = c.objeto.empty() || c.objeto == "0" ? s_.Banco() : c.objeto;
    if (nome.size() > 2 && nome.front() == '[') nome = nome.substr(1, nome.size() - 2);
    const auto info = srv.AcharBanco(nome);
    if (!info) throw ErroDoServidor(2520, {nome});
    const bool atual = IguaisCiAs(info->nome, s_.Banco());
    if (!s_.Sysadmin() && !(atual && s_.EhMembro("db_owner") == 1))
        throw ErroDoServidor(7983, {s_.NomeDoUsuario(), info->nome});
    srv.AcharBancoOnline(info->nome);  // refuses a database being restored
    const int falhas = atual ? FalhasDoArquivo(s_.Conexao()) : FalhasDoArquivo(info->arquivoSqlite);
    if (!c.semInformacoes) Informar("DBCC results for '" + info->nome + "'.");
    const ErroDeBanco resumo = ErroDoServidor(8989, {std::to_string(falhas), info->nome});
    if (falhas > 0) throw resumo;
    if (!c.semInformacoes) Informar(resumo.what(), resumo.Numero());
}

}  // namespace zolvek::simulador
