// A session's transactions: the groups its single statements are written in, their
// syncs, and BEGIN, COMMIT, ROLLBACK and savepoints over SQLite's.
#include "simulador/motor/sessao/sessao.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <random>
#include <thread>
#include <utility>

#include "comum/erros.hpp"
#include "db/conector/cancelamento.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/sessao/crescimento_dos_bancos.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// A group of autocommitted statements holds the write lock at most about this long.
constexpr auto kDuracaoDoGrupo = std::chrono::milliseconds(100);

}  // namespace

// The batch's commits reach the disk before the batch returns, whether it ends well or
// with an error: each statement stays its own transaction, seen by the other sessions
// as soon as it ends, but the log is synced once for all of them.
void Sessao::SincronizarGravacoes() {
    if (!gravacoesPendentes_ || !db_) return;
    for (int i = 0; const char* esquema = sqlite3_db_name(db_, i); ++i) {
        if (i == 1) continue;  // temp: the session's own tables
        sqlite3_file* log = nullptr;
        if (sqlite3_file_control(db_, esquema, SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK ||
            !log || !log->pMethods)
            continue;
        if (int rc = log->pMethods->xSync(log, SQLITE_SYNC_NORMAL); rc != SQLITE_OK)
            throw FalhaDoSqlite(rc, "disk I/O error");
    }
    gravacoesPendentes_ = false;
}

void Sessao::RodarAgrupada(const std::function<void()>& instrucao) {
    if (!grupoAberto_) {
        ComecarTransacao();
        grupoAberto_ = true;
        inicioDoGrupo_ = std::chrono::steady_clock::now();
    }
    ExecutarPropria(salvarPonto_, "SAVEPOINT zv_agrupada");
    adiarInterrupcao_ = true;
    const std::uint64_t reconstrucoes = reconstrucoes_;
    try {
        instrucao();
        adiarInterrupcao_ = false;
        ExecutarPropria(liberarPonto_, "RELEASE zv_agrupada");
    } catch (...) {
        adiarInterrupcao_ = false;
        if (sqlite3_get_autocommit(db_)) {
            grupoAberto_ = false;  // SQLite gave the transaction up (I/O error)
        } else {
            sqlite3_exec(db_, "ROLLBACK TO zv_agrupada", nullptr, nullptr, nullptr);
            sqlite3_exec(db_, "RELEASE zv_agrupada", nullptr, nullptr, nullptr);
        }
        if (reconstrucoes_ != reconstrucoes) RecarregarCatalogo();
        FecharGrupoSemFalhar();
        throw;
    }
    const auto agora = std::chrono::steady_clock::now();
    if (comPrazo_ && agora > prazo_) {
        FecharGrupo();
        throw ErroDeTempoEsgotado();
    }
    if (agora - inicioDoGrupo_ >= kDuracaoDoGrupo) FecharGrupo();
}

void Sessao::ExecutarPropria(sqlite3_stmt*& st, const char* sql) {
    if (!st &&
        sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
        FalharComSqlite(db_);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) FalharComSqlite(db_);
}

void Sessao::FecharGrupo() {
    if (!grupoAberto_) return;
    grupoAberto_ = false;
    if (sqlite3_get_autocommit(db_)) return;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        FalhaDoSqlite falha(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        RecarregarCatalogo();  // the group's changes of it went too
        throw falha;
    }
}

void Sessao::FecharGrupoSemFalhar() noexcept {
    try {
        FecharGrupo();
    } catch (...) {  // the error the batch raised is the one reported
    }
}

void Sessao::SincronizarSemFalhar() noexcept {
    try {
        SincronizarGravacoes();
    } catch (...) {  // the error the batch raised is the one reported
    }
}

// BEGIN TRAN takes no lock: until the transaction's first write each statement reads the
// last committed state as of its own start, as READ_COMMITTED_SNAPSHOT does, and never
// waits for another session's writes.
void Sessao::IniciarTransacao(const std::string& nome) {
    if (nivelDeTransacao_ == 0) {
        ConferirAntesDoLote();
        nomeDaTransacao_ = nome;
        transacaoCondenada_ = false;
        pontosSalvos_.clear();
        transacaoPendente_ = true;
    }
    ++nivelDeTransacao_;
}

// The transaction's first write takes the database's write lock (BEGIN IMMEDIATE, waiting
// as EsperarBloqueio allows), with the savepoints saved before it.
void Sessao::GarantirEscrita() {
    if (!transacaoPendente_) return;
    ComecarTransacao();
    transacaoPendente_ = false;
    for (std::size_t k = 0; k < pontosSalvos_.size(); ++k)
        ExecutarSql(db_, "SAVEPOINT zv_ponto_" + std::to_string(k));
}

void Sessao::ComecarTransacao() {
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (eliminada_) VerificarSessao();
        FalharComSqlite(db_);
    }
}

void Sessao::Confirmar() {
    if (nivelDeTransacao_ == 0) throw ErroDoServidor(3902);
    if (transacaoCondenada_) throw ErroDeTransacaoCondenada();
    if (nivelDeTransacao_ == 1 && !transacaoPendente_) {
        try {
            ExecutarSql(db_, "COMMIT");
        } catch (const FalhaDoSqlite& f) {
            throw ErroComoSqlServer(f.what(), banco_);
        }
    }
    if (--nivelDeTransacao_ == 0) {
        transacaoPendente_ = false;
        pontosSalvos_.clear();
        if (!emLote_) {
            SincronizarGravacoes();
            DesanexarBancos();
        }
    }
}

void Sessao::Desfazer(const std::string& nome) {
    if (nivelDeTransacao_ == 0) throw ErroDoServidor(3903);
    if (!nome.empty() && nome != nomeDaTransacao_) return VoltarAoPonto(nome);
    const bool escreveu = !transacaoPendente_;
    if (escreveu)
        DesfazerGuardandoVariaveis(
            [&] { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); });
    transacaoPendente_ = false;
    transacaoCondenada_ = false;
    nivelDeTransacao_ = 0;
    pontosSalvos_.clear();
    if (!emLote_) DesanexarBancos();
    if (escreveu) RecarregarCatalogo();
}

// The caller (a statement with triggers that failed outside a transaction) rolled
// SQLite's transaction back itself.
void Sessao::AbandonarTransacao() {
    nivelDeTransacao_ = 0;
    transacaoPendente_ = false;
    pontosSalvos_.clear();
}

// A savepoint is a SQLite savepoint of the same place; SQL Server, as SQLite, lets a
// transaction go back to one more than once and forgets those saved after it.
void Sessao::SalvarPonto(const std::string& nome) {
    if (nivelDeTransacao_ == 0) throw ErroDoServidor(628);
    // before the first write the savepoint is the transaction's start (GarantirEscrita)
    if (!transacaoPendente_)
        ExecutarSql(db_, "SAVEPOINT zv_ponto_" + std::to_string(pontosSalvos_.size()));
    pontosSalvos_.push_back(nome);
}

void Sessao::VoltarAoPonto(const std::string& nome) {
    if (transacaoCondenada_) throw ErroDoServidor(3931);
    auto it = std::find(pontosSalvos_.rbegin(), pontosSalvos_.rend(), nome);
    if (it == pontosSalvos_.rend()) throw ErroDoServidor(6401, {nome});
    const auto k = static_cast<std::size_t>(pontosSalvos_.rend() - it) - 1;
    pontosSalvos_.resize(k + 1);
    if (transacaoPendente_) return;  // nothing written since it
    DesfazerGuardandoVariaveis(
        [&] { ExecutarSql(db_, "ROLLBACK TO zv_ponto_" + std::to_string(k)); });
    RecarregarCatalogo();
}

// What was undone may have been DDL: the catalog and the prepared statements read anew.
void Sessao::RecarregarCatalogo() {
    EsquecerEstrutura();
    sqlite3_reset(lerVersao_);
    versaoDoCatalogo_.clear();
    VerificarCatalogo();
}

}  // namespace zolvek::simulador
