#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/execucao/formas_de_insercao.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/servidor/servidor.hpp"

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

// One session of the stand-in: a login connected to one database file. It parses
// each batch, runs what it can itself (DDL, catalog, server statements) and hands
// queries and data changes to SQLite after the rewrite.
namespace zolvek::simulador {

class Sessao final : public SessaoDeExecucao {
  public:
    Sessao(std::shared_ptr<Servidor> servidor, const Login& login, const std::string& banco,
           const std::string& host, const std::string& programa);
    ~Sessao();
    Sessao(const Sessao&) = delete;
    Sessao& operator=(const Sessao&) = delete;

    // timeoutSegundos 0: no limit; otherwise a statement still running then fails with
    // "Query timeout expired".
    std::vector<db::Resultado> ExecutarLote(const std::string& sql,
                                            const std::vector<db::Valor>& parametros,
                                            int timeoutSegundos = 0);
    std::vector<db::Resultado> ExecutarProcedimento(
        const std::string& nome, const std::vector<std::pair<std::string, db::Valor>>& parametros);

    // PRINT and RAISERROR of severity 10 or less of the last batch or procedure, in order.
    std::vector<db::Mensagem> TomarMensagens() { return std::exchange(mensagens_, {}); }
    void Informar(db::Mensagem mensagem) override { mensagens_.push_back(std::move(mensagem)); }

    // The primary-key columns of a table ("T", "[T]" or "dbo.[T]"), in key order.
    std::vector<std::string> ColunasChave(const std::string& tabela);

    void IniciarTransacao(const std::string& nome = "") override;
    void Confirmar() override;
    // ROLLBACK [TRAN name]: the whole transaction, or back to the savepoint of that name.
    void Desfazer(const std::string& nome = "") override;
    void SalvarPonto(const std::string& nome) override;  // SAVE TRAN name
    // A #table this session made: dropped when the session ends.
    void AnotarTemporaria(const std::string& nome) override { temporarias_.insert({banco_, nome}); }
    bool EmTransacao() const override { return nivelDeTransacao_ > 0; }
    // DECLARE @t TABLE: the session keeps its table variables in SQLite's temp schema and
    // in the catalog's in-memory copy only (sessao_variaveis_de_tabela.cpp). A ROLLBACK
    // leaves their rows as they were, as on SQL Server.
    void CriarVariavelDeTabela(Tabela t) override;
    void ExcluirVariavelDeTabela(const std::string& nome) noexcept override;
    // A table function's return table while its body runs. Its caller's statement is
    // running, and SQLite drops no table then: the table stays, empty, for the next call
    // of the same `definicao`, known to no statement in between.
    const Tabela& EmprestarVariavelDeTabela(Tabela t, const std::string& definicao) override;
    void DevolverVariavelDeTabela(const std::string& nome) noexcept override;

    // For the SQL functions.
    const std::string& Banco() const override { return banco_; }
    const std::string& NomeDoLogin() const override { return login_.nome; }
    std::string NomeDoUsuario() override;
    bool Sysadmin() const override { return login_.sysadmin; }
    int Spid() const override { return spid_; }
    int NivelDeTransacao() const override { return nivelDeTransacao_; }
    // XACT_STATE(): 1 in a transaction that can commit, -1 in one an error doomed (only a
    // whole ROLLBACK ends it, and nothing may write before it), 0 outside a transaction.
    int EstadoDaTransacao() const override {
        return nivelDeTransacao_ == 0 ? 0 : (transacaoCondenada_ ? -1 : 1);
    }
    bool TransacaoCondenada() const override { return EstadoDaTransacao() < 0; }
    void CondenarTransacao() override { transacaoCondenada_ = nivelDeTransacao_ > 0; }
    // @@IDENTITY: the identity value of the session's last insert into a table with an
    // identity column; inserts into other tables leave it as it was.
    const std::optional<std::int64_t>& UltimaIdentidade() const override {
        return ultimaIdentidade_;
    }
    const std::string& Host() const override { return host_; }
    const std::string& Programa() const override { return programa_; }
    // The current database's catalog, read on first use: most connections never need it,
    // and reading it grows with the schema.
    Catalogo& CatalogoAtual() override;
    // The catalog is read again at its next use (a rollback or a failed change).
    void EsquecerCatalogo() override { catalogoEmDia_ = false; }
    Servidor& ServidorAtual() override { return *servidor_; }
    // IS_MEMBER: 1, 0, or -1 when the role does not exist.
    int EhMembro(const std::string& papel) override;
    // The user's rights in the current database, as of the batch's start.
    const DireitosDoUsuario& Direitos() const override { return direitos_; }

    // Prepares a new database file: metadata tables and its owner.
    static void PrepararArquivo(const std::string& arquivo, const std::string& dono);
    // USE: moves the session to another database.
    void Usar(const std::string& banco) override;
    // SET LOCK_TIMEOUT: how long a statement waits for another session's lock before it
    // fails with "Lock request time out period exceeded."; -1 waits as long as the
    // command may run.
    void DefinirTempoDeBloqueio(int milissegundos) override { tempoDeBloqueioMs_ = milissegundos; }
    int TempoDeBloqueio() const { return tempoDeBloqueioMs_; }
    // KILL from another session reaches a running batch here: at most every few tenths
    // of a second the server is asked, and a killed session rolls back, is closed and
    // raises ErroDeBanco. A cancel asked for by the client raises here too.
    void VerificarSeFoiEliminada() override;
    // The client's cancel, from another thread while a batch runs: the batch stops at
    // its next check as a timeout stops it. The connector clears it when the call ends.
    void PedirCancelamento() noexcept { cancelamentoPedido_ = true; }
    void DescartarCancelamento() noexcept { cancelamentoPedido_ = false; }

    // DB.dbo.T and DB..T: the SQLite schema another database of the server is attached
    // as for this session ("" for the current database). SQL Server's error for one
    // that does not exist, is being restored or the login cannot open. SQLite attaches
    // only outside a transaction: a batch that names other databases attaches them
    // before its transaction begins, and they stay until the transaction ends.
    std::string EsquemaDoBanco(const std::string& banco) override;
    // The catalog of a schema ("main" or an attached database's); null for others.
    Catalogo* CatalogoDoEsquema(const std::string& esquema) override;
    // The database an attached schema stands for ("" for none).
    std::string BancoDoEsquema(const std::string& esquema) const override;
    // The table a statement named bare but SQLite found only in an attached database.
    const std::string& TabelaNegada() const override { return tabelaNegada_; }
    std::uint64_t Reconstrucoes() const override { return reconstrucoes_; }

    // The rest of what the executor asks of the session (sessao_de_execucao.hpp).
    sqlite3* Conexao() override { return db_; }
    bool EmCadeiaDeDono() const override { return cadeiaDeDono_; }
    void DefinirCadeiaDeDono(bool ligada) override { cadeiaDeDono_ = ligada; }
    void AbandonarTransacao() override;
    OpcoesDaSessao& Opcoes() override { return opcoes_; }
    void AnotarIdentidade(std::int64_t valor) override { ultimaIdentidade_ = valor; }
    bool FoiEliminada() const override { return eliminada_; }
    FormasDeInsercao& Formas() override { return formas_; }
    void EsquecerEstrutura() override;
    void PrepararBanco(const std::string& arquivo, const std::string& dono) override {
        PrepararArquivo(arquivo, dono);
    }

  private:
    void Abrir(const std::string& arquivo);
    void Fechar() noexcept;
    // Syncs the log of what the session committed since the last time.
    void SincronizarGravacoes();
    void SincronizarSemFalhar() noexcept;
    // Autocommitted INSERT ... VALUES statements that follow one another in a batch share
    // one SQLite transaction (a commit costs more than such a statement), each inside a
    // savepoint of its own: one that fails is undone alone, as on SQL Server. Whatever
    // else comes next, the end of the batch, an error or a KILL commits the group first,
    // and nobody sees its rows before that: neither another session nor the caller.
    bool PodeAgrupar() const override {
        return emLote_ && nivelDeTransacao_ == 0 && !transacaoPendente_;
    }
    void RodarAgrupada(const std::function<void()>& instrucao) override;
    void FecharGrupo() override;
    void FecharGrupoSemFalhar() noexcept;
    // Runs one of the session's own statements, prepared the first time.
    void ExecutarPropria(sqlite3_stmt*& st, const char* sql);
    void VerificarSessao();
    void ConferirAntesDoLote();
    void AvisarCatalogoAlterado() noexcept;
    // SQLite's busy handler: waits for another session's lock while LOCK_TIMEOUT, the
    // command's deadline and the session's life allow.
    static int EsperarBloqueio(void* sessao, int tentativas);
    // SQLite's authorizer: the tables a user statement reads and writes need the
    // user's rights (the engine's own statements and its triggers are not checked).
    static int Autorizar(void* sessao, int acao, const char* a, const char* b, const char* banco,
                         const char* dentro);
    void AtualizarDireitos();
    bool Interromper() override;
    void VerificarCatalogo();
    void LerVersaoInicial();
    void MarcarCatalogoAlterado() override;
    // A new version of the catalog for the other sessions, this one's prepared statements kept.
    void GravarNovaVersaoDoCatalogo();
    void EsquecerPreparadas() override;
    // SQLite's authorizer, at an INSERT into `tabela` of `esquema`: true (the statement is
    // refused) when the table's rebuild waits; Preparar makes it and prepares again.
    bool InsercaoEsperaReconstrucao(const char* esquema, const char* tabela);
    void ConsolidarAdiadas();
    void AtualizarTabelasDoServidor(int tabelas) override;
    // True when it had to make them. `faltando`: the table a statement missed, which may
    // be one of the views made only when named.
    bool GarantirVisoes(std::string_view faltando = {});
    std::shared_ptr<PlanoDeLote> Planejar(const std::string& sql) override;
    void PercorrerTrechos(const std::string& sql, const std::function<void(PlanoDeLote&)>& f);
    std::vector<db::Resultado> ExecutarLoteTraduzido(const std::string& sql,
                                                     const std::vector<db::Valor>& parametros,
                                                     int timeoutSegundos);
    Preparada Preparar(const std::string& sql) override;
    void AnexarBancosCitados(const std::vector<Token>& tokens);
    void DesanexarBancos() noexcept;
    bool PodeAbrir(const std::string& esquema);
    // A transaction takes the database's write lock at its first write (and not before:
    // its reads never wait), in every statement that writes a database file.
    void GarantirEscrita() override;
    void ExcluirTemporarias() noexcept;
    struct CopiaDasVariaveis;
    std::vector<std::vector<sqlite3_value*>> LinhasDaVariavel(const Tabela& t) override;
    // ROLLBACK: the rows of the table variables before it, put back after it.
    void DesfazerGuardandoVariaveis(const std::function<void()>& desfazer);
    void VoltarAoPonto(const std::string& nome);
    void RecarregarCatalogo();
    void ComecarTransacao();
    // The end of a batch with a doomed transaction: it is undone, and the client told so
    // when no error of the batch told it already.
    void DesfazerCondenada(bool comErro);

    struct BancoAnexado {
        std::string nome;
        std::string esquema;
        Catalogo catalogo;
    };

    std::shared_ptr<Servidor> servidor_;
    Login login_;
    std::string banco_;
    std::string host_;
    std::string programa_;
    int spid_ = 0;
    sqlite3* db_ = nullptr;
    bool gravacoesPendentes_ = false;  // committed, not yet synced
    bool grupoAberto_ = false;         // see RodarAgrupada
    std::chrono::steady_clock::time_point inicioDoGrupo_{};
    bool adiarInterrupcao_ = false;  // a grouped statement finishes before a timeout or KILL
    Catalogo catalogo_;
    bool catalogoEmDia_ = false;
    std::string versaoDoCatalogo_;
    int nivelDeTransacao_ = 0;
    bool transacaoPendente_ = false;   // a transaction that wrote nothing yet: no SQLite one
    bool transacaoCondenada_ = false;  // see EstadoDaTransacao
    std::vector<db::Mensagem> mensagens_;
    std::set<std::pair<std::string, std::string>> temporarias_;  // database, #table
    std::map<std::string, Tabela> variaveisDeTabela_;            // by folded @name
    std::int64_t ultimaVariavelDeTabela_ = 0;                    // their ids count down from -1
    std::map<std::string, std::string> tabelasDeRetorno_;        // by folded @name: the definition
    std::string nomeDaTransacao_;                                // of the outermost BEGIN TRAN
    std::vector<std::string> pontosSalvos_;  // SAVE TRAN names; SQLite's are zv_ponto_<index>
    OpcoesDaSessao opcoes_;
    bool emLote_ = false;
    std::map<std::string, BancoAnexado> anexados_;  // by folded database name
    std::set<std::string> nomesQualificados_;       // "zvb_5.t" the statement being prepared names
    std::string tabelaNegada_;
    std::optional<std::int64_t> ultimaIdentidade_;
    std::unordered_map<std::string, std::shared_ptr<PlanoDeLote>> planos_;
    std::unordered_map<std::string, sqlite3_stmt*> preparadas_;
    std::size_t tamanhoDasPreparadas_ = 0;  // their texts' bytes
    // INSERT forms by ChaveDaForma, forgotten with the prepared statements
    FormasDeInsercao formas_;
    sqlite3_stmt* lerVersao_ = nullptr;
    sqlite3_stmt* salvarPonto_ = nullptr;  // SAVEPOINT and RELEASE of a grouped statement
    sqlite3_stmt* liberarPonto_ = nullptr;
    std::string motivoDoFechamento_;
    std::chrono::steady_clock::time_point prazo_{};
    bool comPrazo_ = false;
    int tempoDeBloqueioMs_ = -1;
    std::chrono::steady_clock::time_point inicioDaEspera_{};
    std::chrono::steady_clock::time_point ultimaVerificacao_{};
    std::uint64_t sinalDaInterrupcao_ = 0;  // the server's counter when Interromper last asked
    std::uint64_t sinalVisto_ = 0;          // and when ConferirAntesDoLote last did
    std::chrono::steady_clock::time_point conferidoEm_{};
    bool catalogoAlterado_ = false;  // a change of the catalog not committed yet
    bool eliminada_ = false;         // KILL seen while a statement ran
    std::atomic<bool> cancelamentoPedido_{false};
    DireitosDoUsuario direitos_;
    bool autorizando_ = false;            // a user statement is being prepared
    bool cadeiaDeDono_ = false;           // a procedure's or trigger's body is running
    std::optional<ErroDeBanco> negacao_;  // why the authorizer refused it
    std::set<std::string> adiadas_;       // tables it waits for (ConsolidarAdiadas)
    std::uint64_t reconstrucoes_ = 0;     // tables made so, for the undoing of a statement
    // names of other databases' tables the statement being prepared writes out in full
    const std::set<std::string>* qualificados_ = nullptr;
};

}  // namespace zolvek::simulador
