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
#include "simulador/motor/leitura/lote.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/sessao/crescimento_dos_bancos.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

constexpr std::size_t kMaximoDePlanos = 256;
// Plans and prepared statements are kept for texts that may come again: a long text
// (a multi-row VALUES, a script) seldom does, and its prepared form takes a hundred
// times its size. The kept texts together stay under a bound too.
constexpr std::size_t kTextoGuardavel = 8 * 1024;
// An INSERT of a long VALUES list with its literals bound comes again with other values:
// its text, a parameter a value, is kept prepared up to this size.
constexpr std::size_t kInstrucaoGuardavel = 48 * 1024;
constexpr std::size_t kTextosGuardados = 256 * 1024;
// A batch longer than this is read, parsed and run a piece at a time, so that the
// memory it takes does not grow with its number of statements.
constexpr std::size_t kLoteEmTrechos = 256 * 1024;
// The pieces are small enough for their tokens (some 15 bytes of text make a token of
// 56) to stay in the processor's cache between the reading and the parse.
constexpr std::size_t kTamanhoDoTrecho = 32 * 1024;
// A running batch asks the server whether its session was killed this often, and at once
// when the server's shared counter moves.
constexpr auto kIntervaloDeVerificacao = std::chrono::milliseconds(200);
// Before a batch the session asks only when the counter moved, or when this much went by
// (a process that died between its change and its moving the counter).
constexpr auto kConferenciaMaxima = std::chrono::seconds(1);
// A lock wait with neither LOCK_TIMEOUT nor a command deadline still ends, where SQL
// Server's would go on: a session that forgot its transaction must not hang the others.
constexpr auto kEsperaSemLimite = std::chrono::seconds(30);

sqlite3* AbrirArquivo(const std::string& arquivo) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(arquivo.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const int codigo = db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM;
        sqlite3_close(db);
        throw ErroDeBanco("Não foi possível abrir o arquivo do banco de dados '" + arquivo +
                          "' (código " + std::to_string(codigo) + " do SQLite).");
    }
    sqlite3_busy_timeout(db, 30000);
    sqlite3_extended_result_codes(db, 0);
    // "name" is always a name, as in SQL Server: an unknown one fails instead of
    // becoming a text
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    RegistrarColacao(db);
    return db;
}

// A session's connection syncs its log once a batch (Sessao::SincronizarGravacoes)
// instead of at each commit; any other connection syncs at each commit.
void ConfigurarArquivo(sqlite3* db, bool sincronizaPorLote) {
    ExecutarSql(db, "PRAGMA journal_mode = WAL");
    ExecutarSql(db,
                sincronizaPorLote ? "PRAGMA synchronous = NORMAL" : "PRAGMA synchronous = FULL");
    // as PRAGMA legacy_alter_table = ON and foreign_keys = OFF, without a statement each
    sqlite3_db_config(db, SQLITE_DBCONFIG_LEGACY_ALTER_TABLE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_FKEY, 0, nullptr);
    ExecutarSql(db, "PRAGMA recursive_triggers = OFF");
    // Every DDL makes SQLite read its whole schema table; a database of some thousand
    // tables has it larger than the default 2 MB of cache, and each read would go to the
    // file. The pages are taken only as they are read.
    ExecutarSql(db, "PRAGMA cache_size = -65536");
    if (!sincronizaPorLote) return;
    // The last session out still copies the log into the file, but leaves the log and its
    // index beside it, emptied, instead of deleting them: the next process, often a
    // short one, then opens both instead of creating them.
    int persistir = 1;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persistir);
    ExecutarSql(db, "PRAGMA journal_size_limit = 67108864");
}

int VersaoDoArquivo(sqlite3* db) {
    Instrucao q(db, "PRAGMA main.user_version");
    return q.Passo() ? static_cast<int>(q.Inteiro(0)) : 0;
}

void GarantirEsquema(sqlite3* db, const std::string& dono) {
    // A file laid out as this version lays it needs no write (which would wait for
    // another session's open transaction).
    if (VersaoDoArquivo(db) >= Catalogo::kVersao) return;
    ExecutarSql(db, "BEGIN IMMEDIATE");
    try {
        Catalogo::Preparar(db);
        ExecutarSql(db, "PRAGMA main.user_version = " + std::to_string(Catalogo::kVersao));
        ExecutarSql(
            db, "INSERT INTO zv_contador SELECT 2000 WHERE NOT EXISTS (SELECT 1 FROM zv_contador)");
        Instrucao(db, "INSERT OR IGNORE INTO zv_config(chave, valor) VALUES ('dono', ?)")
            .Ligar(1, dono)
            .Executar();
        ExecutarSql(db, "INSERT OR IGNORE INTO zv_config(chave, valor) VALUES ('versao', '0')");
        ExecutarSql(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace

Sessao::Sessao(std::shared_ptr<Servidor> servidor, const Login& login, const std::string& banco,
               const std::string& host, const std::string& programa)
    : servidor_(std::move(servidor)), login_(login), host_(host), programa_(programa) {
    // The server's counter before this session exists: a KILL of it, or a change of the
    // catalog it is about to read, moves it later, and only then does a batch ask.
    sinalVisto_ = sinalDaInterrupcao_ = servidor_->Sinal();
    conferidoEm_ = ultimaVerificacao_ = std::chrono::steady_clock::now();
    SessaoAberta aberta = servidor_->AbrirSessao(login_, banco, host_, programa_);
    spid_ = aberta.spid;
    banco_ = aberta.banco;
    try {
        Abrir(aberta.arquivoSqlite.string());
    } catch (const FalhaDoSqlite& f) {
        Fechar();
        servidor_->FecharSessao(spid_);
        throw ErroComoSqlServer(f.what(), banco_);
    } catch (const ErroDeBanco& e) {
        Fechar();
        servidor_->FecharSessao(spid_);
        // the login's default database, which it cannot enter
        if (banco.empty() && e.Numero() == 4060)
            throw ComMensagemSeguinte(ErroDoServidor(4064), 18456, {login_.nome});
        throw;
    } catch (...) {
        Fechar();
        servidor_->FecharSessao(spid_);
        throw;
    }
}

Sessao::~Sessao() {
    ExcluirTemporarias();
    Fechar();
    servidor_->FecharSessao(spid_);
}

void Sessao::PrepararArquivo(const std::string& arquivo, const std::string& dono) {
    sqlite3* db = AbrirArquivo(arquivo);
    try {
        ConfigurarArquivo(db, false);
        GarantirEsquema(db, dono);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

void Sessao::Abrir(const std::string& arquivo) {
    db_ = AbrirArquivo(arquivo);
    ConfigurarArquivo(db_, true);
    LimitarCrescimento(db_);
    // Told of each commit to a database file (not to the session's temp tables); the
    // checkpoint every 1000 pages is SQLite's own, which this hook replaces.
    sqlite3_wal_hook(
        db_,
        [](void* p, sqlite3* db, const char* esquema, int paginas) {
            auto* s = static_cast<Sessao*>(p);
            s->gravacoesPendentes_ = true;
            if (s->catalogoAlterado_) s->AvisarCatalogoAlterado();
            if (paginas >= 1000) sqlite3_wal_checkpoint(db, esquema);
            return SQLITE_OK;
        },
        this);
    GarantirEsquema(db_, "sa");
    SincronizarGravacoes();
    // A transaction that wrote nothing yet runs its statements in SQLite's autocommit
    // (GarantirEscrita): a write that got there without taking the lock would commit by
    // itself and escape the transaction's ROLLBACK. It is undone, and fails.
    sqlite3_commit_hook(
        db_,
        [](void* p) {
            auto* s = static_cast<Sessao*>(p);
            return s->transacaoPendente_ && sqlite3_txn_state(s->db_, "main") == SQLITE_TXN_WRITE
                       ? 1
                       : 0;
        },
        this);
    RegistrarFuncoes(db_, this);
    sqlite3_busy_handler(db_, &Sessao::EsperarBloqueio, this);
    sqlite3_set_authorizer(db_, &Sessao::Autorizar, this);
    sqlite3_progress_handler(
        db_, 10000,
        [](void* p) {
            auto* s = static_cast<Sessao*>(p);
            // an interrupted write would take the whole group's transaction with it
            return !s->adiarInterrupcao_ && s->Interromper() ? 1 : 0;
        },
        this);
    EsquecerCatalogo();
    if (sqlite3_prepare_v3(db_, "SELECT valor FROM zv_config WHERE chave='versao'", -1,
                           SQLITE_PREPARE_PERSISTENT, &lerVersao_, nullptr) != SQLITE_OK)
        throw FalhaDoSqlite(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
    LerVersaoInicial();
    // A login that is not sysadmin needs a user in the database (or to own it).
    if (!login_.sysadmin && !IguaisCiAs(banco_, "master") && NomeDoUsuario() == "guest")
        throw ComMensagemSeguinte(ErroDoServidor(4060, {banco_}), 18456, {login_.nome});
    direitos_ = DireitosDoUsuario{};
    AtualizarDireitos();
}

// The #tables of the session's current database go with it; one made in a database the
// session has left stays (the engine keeps them in their database, not in tempdb).
void Sessao::ExcluirTemporarias() noexcept {
    if (!db_) return;
    try {
        if (nivelDeTransacao_ > 0) Desfazer();
        for (const auto& [banco, nome] : temporarias_)
            if (IguaisCiAs(banco, banco_) && CatalogoAtual().AcharTabela(nome))
                ExecutarLote("DROP TABLE [" + nome + "]", {});
    } catch (...) {
        // a session that ends cannot fail: the table stays, as after a crash
    }
    temporarias_.clear();
}

void Sessao::Fechar() noexcept {
    SincronizarSemFalhar();
    anexados_.clear();
    transacaoPendente_ = false;
    EsquecerPreparadas();
    planos_.clear();
    for (sqlite3_stmt** st : {&lerVersao_, &salvarPonto_, &liberarPonto_}) {
        sqlite3_finalize(*st);
        *st = nullptr;
    }
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    nivelDeTransacao_ = 0;
    pontosSalvos_.clear();
}

std::string Sessao::NomeDoUsuario() {
    if (login_.sysadmin) return "dbo";
    Instrucao dono(db_, "SELECT valor FROM zv_config WHERE chave='dono'");
    if (dono.Passo() && IguaisCiAs(dono.Texto(0), login_.nome)) return "dbo";
    Instrucao q(db_, "SELECT nome FROM zv_usuarios WHERE login=? AND papel=0");
    q.Ligar(1, login_.nome);
    if (q.Passo()) return q.Texto(0);
    return "guest";
}

int Sessao::EhMembro(const std::string& papel) {
    if (IguaisCiAs(papel, "public")) return 1;
    const bool fixo = NomeDoPapelFixo(papel) != nullptr;
    std::string usuario = NomeDoUsuario();
    if (!fixo) {
        Instrucao q(db_, "SELECT 1 FROM zv_usuarios WHERE nome=? AND papel=1");
        q.Ligar(1, papel);
        if (!q.Passo()) return -1;
    }
    if (usuario == "dbo") return IguaisCiAs(papel, "db_owner") ? 1 : 0;
    Instrucao m(db_,
                "SELECT 1 FROM zv_membros WHERE papel=? AND (membro=? OR membro IN "
                "(SELECT papel FROM zv_membros WHERE membro=?))");
    m.Ligar(1, papel).Ligar(2, usuario).Ligar(3, usuario);
    return m.Passo() ? 1 : 0;
}

// Before a batch: a KILL and another session's change of the catalog are learned of through
// the server's shared counter, asked about only when it moved.
void Sessao::ConferirAntesDoLote() {
    const auto sinal = servidor_->Sinal();
    const auto agora = std::chrono::steady_clock::now();
    const bool mudou = sinal != sinalVisto_ || agora - conferidoEm_ >= kConferenciaMaxima;
    if (mudou) {
        sinalVisto_ = sinal;
        conferidoEm_ = agora;
    }
    if (mudou || eliminada_ || !db_) VerificarSessao();
    if (mudou) VerificarCatalogo();
}

// A change of the catalog, once committed, moves the server's counter for the other
// sessions; this one's own catalog is current already.
void Sessao::AvisarCatalogoAlterado() noexcept {
    catalogoAlterado_ = false;
    if (servidor_->AvisarMudanca() == sinalVisto_) ++sinalVisto_;
}

void Sessao::VerificarSessao() {
    if (!db_) {
        if (motivoDoFechamento_.empty()) throw ErroDeBanco("A conexão não está aberta.");
        throw ErroDeBanco(ErroDeBanco::TipoDeFalha::SessaoEncerrada, motivoDoFechamento_);
    }
    if (!eliminada_ && servidor_->SessaoViva(spid_)) return;
    // A killed session loses its open transaction and lets go of the file.
    if (nivelDeTransacao_ > 0 || !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    Fechar();
    eliminada_ = false;
    motivoDoFechamento_ = "A conexão com o servidor foi encerrada: a sessão " +
                          std::to_string(spid_) +
                          " foi eliminada no servidor. Conecte-se novamente.";
    throw ErroDeBanco(ErroDeBanco::TipoDeFalha::SessaoEncerrada, motivoDoFechamento_);
}

bool Sessao::Interromper() {
    if (cancelamentoPedido_) return true;
    const auto agora = std::chrono::steady_clock::now();
    if (comPrazo_ && agora > prazo_) return true;
    const auto sinal = servidor_->Sinal();
    if (sinal != sinalDaInterrupcao_ || agora - ultimaVerificacao_ >= kIntervaloDeVerificacao) {
        sinalDaInterrupcao_ = sinal;
        ultimaVerificacao_ = agora;
        if (!servidor_->SessaoViva(spid_)) eliminada_ = true;
    }
    return eliminada_;
}

void Sessao::VerificarSeFoiEliminada() {
    // The client's cancel stops a batch between statements and in loops too.
    if (cancelamentoPedido_) throw db::ErroDeCancelamento();
    Interromper();
    // The statement stops here; ExecutarLote rolls back and closes the session.
    if (eliminada_)
        throw ErroDeBanco(ErroDeBanco::TipoDeFalha::SessaoEncerrada,
                          "A conexão com o servidor foi encerrada: a sessão " +
                              std::to_string(spid_) +
                              " foi eliminada no servidor. Conecte-se novamente.");
}

int Sessao::EsperarBloqueio(void* p, int tentativas) {
    auto* s = static_cast<Sessao*>(p);
    const auto agora = std::chrono::steady_clock::now();
    if (tentativas == 0) s->inicioDaEspera_ = agora;
    if (s->Interromper()) return 0;
    const auto esperado = agora - s->inicioDaEspera_;
    if (s->tempoDeBloqueioMs_ >= 0 && esperado >= std::chrono::milliseconds(s->tempoDeBloqueioMs_))
        return 0;
    if (s->tempoDeBloqueioMs_ < 0 && !s->comPrazo_ && esperado >= kEsperaSemLimite) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(tentativas < 10 ? 1 : 5));
    return 1;
}

Catalogo& Sessao::CatalogoAtual() {
    if (!catalogoEmDia_) {
        catalogo_.Carregar(db_);
        for (const auto& [nome, t] : variaveisDeTabela_) catalogo_.AnotarTabela(t);
        AtualizarTiposDoUsuario(db_, catalogo_.TiposDoUsuario());
        catalogoEmDia_ = true;
    }
    return catalogo_;
}

// The catalog's version the session starts from, read by the statement every batch asks
// again (a statement fewer to prepare at each connection).
void Sessao::LerVersaoInicial() {
    versaoDoCatalogo_.clear();
    const int rc = sqlite3_step(lerVersao_);
    if (rc == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(lerVersao_, 0);
        if (t) versaoDoCatalogo_ = reinterpret_cast<const char*>(t);
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        const FalhaDoSqlite falha(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
        sqlite3_reset(lerVersao_);
        throw falha;
    }
    sqlite3_reset(lerVersao_);
}

void Sessao::VerificarCatalogo() {
    sqlite3_reset(lerVersao_);
    std::string v;
    if (sqlite3_step(lerVersao_) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(lerVersao_, 0);
        v = t ? reinterpret_cast<const char*>(t) : "";
    }
    sqlite3_reset(lerVersao_);
    if (v != versaoDoCatalogo_) {
        EsquecerEstrutura();
        versaoDoCatalogo_ = v;
    }
}

void Sessao::EsquecerEstrutura() {
    EsquecerCatalogo();
    planos_.clear();
    EsquecerPreparadas();
}

void Sessao::MarcarCatalogoAlterado() {
    GravarNovaVersaoDoCatalogo();
    planos_.clear();
    EsquecerPreparadas();
}

void Sessao::GravarNovaVersaoDoCatalogo() {
    GarantirEscrita();
    catalogoAlterado_ = true;
    static thread_local std::mt19937_64 g{std::random_device{}()};
    std::string v = std::to_string(g());
    Instrucao(db_, "UPDATE zv_config SET valor=? WHERE chave='versao'").Ligar(1, v).Executar();
    versaoDoCatalogo_ = v;
}

// Statements prepared before a structure change keep the old column lists of "*".
void Sessao::EsquecerPreparadas() {
    for (auto& [k, st] : preparadas_) sqlite3_finalize(st);
    preparadas_.clear();
    tamanhoDasPreparadas_ = 0;
    formas_.clear();
}

// The catalog views are made the first time a statement needs them: most connections
// never read them, and making them costs more than opening the file. A rollback may
// take them back, so their absence is what is looked at.
bool Sessao::GarantirVisoes(std::string_view faltando) {
    Instrucao q(db_, "SELECT 1 FROM sqlite_temp_master WHERE name = 'sysobjects'");
    if (q.Passo()) return CriarVisoesDeChavesQueFaltam(db_, faltando);
    CriarVisoesDoCatalogo(db_);
    if (catalogoEmDia_) AtualizarTiposDoUsuario(db_, catalogo_.TiposDoUsuario());
    return true;
}

void Sessao::AtualizarTabelasDoServidor(int tabelas) {
    using C = ContextoDeReescrita;
    GarantirVisoes();
    if (tabelas & C::kProcessos) PreencherProcessos(db_, servidor_->ListarSessoes());
    if (tabelas & C::kBancos) PreencherBancos(db_, servidor_->ListarBancos());
    if (tabelas & C::kLogins)
        PreencherLogins(db_, servidor_->ListarLogins(), NomeDoLogin(), Sysadmin());
}

namespace {

// "zvb_5.t" for each zvb_5."T" of the rewritten text: the tables of other databases a
// statement names itself.
std::set<std::string> NomesQualificados(const std::string& sql) {
    std::set<std::string> nomes;
    for (std::size_t p = sql.find("zvb_"); p != std::string::npos; p = sql.find("zvb_", p + 1)) {
        std::size_t q = p + 4;
        while (q < sql.size() && std::isdigit(static_cast<unsigned char>(sql[q]))) ++q;
        if (q + 1 >= sql.size() || sql[q] != '.' || sql[q + 1] != '"') continue;
        std::string nome;
        std::size_t k = q + 2;
        for (; k < sql.size(); ++k) {
            if (sql[k] == '"') {
                if (k + 1 < sql.size() && sql[k + 1] == '"') {
                    nome += '"';
                    ++k;
                    continue;
                }
                break;
            }
            nome += sql[k];
        }
        nomes.insert(sql.substr(p, q - p) + "." + Dobrar(nome));
    }
    return nomes;
}

}  // namespace

Preparada Sessao::Preparar(const std::string& sql) {
    auto it = preparadas_.find(sql);
    // a user function's body runs inside its caller's statement: a statement still being
    // stepped (the same query of a recursive call) is never handed out or finalized
    const bool emUso = it != preparadas_.end() && sqlite3_stmt_busy(it->second);
    if (it != preparadas_.end() && !emUso) return Preparada(it->second, false);
    // SQLite stops reading at a NUL; the rewrite writes none, and a text with one must
    // never run cut short.
    if (sql.find('\0') != std::string::npos) throw ErroDoServidor(102, {"the end of the batch"});
    const bool semVerificar = direitos_.irrestrito || cadeiaDeDono_;
    // a statement a body prepared unchecked must not serve the user's own batches
    bool guardar =
        !emUso && sql.size() <= kInstrucaoGuardavel && semVerificar == direitos_.irrestrito;
    if (guardar && (preparadas_.size() >= kMaximoDePlanos ||
                    tamanhoDasPreparadas_ + sql.size() > kTextosGuardados)) {
        if (std::any_of(preparadas_.begin(), preparadas_.end(),
                        [](const auto& p) { return sqlite3_stmt_busy(p.second) != 0; }))
            guardar = false;
        else
            EsquecerPreparadas();
    }
    sqlite3_stmt* st = nullptr;
    const std::set<std::string> qualificados =
        anexados_.empty() ? std::set<std::string>{} : NomesQualificados(sql);
    struct Autorizando {  // the authorizer looks only at the user's own statements
        Sessao& s;
        ~Autorizando() {
            s.autorizando_ = false;
            s.qualificados_ = nullptr;
        }
    } autorizando{*this};
    autorizando_ = !semVerificar;
    qualificados_ = anexados_.empty() ? nullptr : &qualificados;
    negacao_.reset();
    tabelaNegada_.clear();
    auto preparar = [&] {
        adiadas_.clear();
        const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                          guardar ? SQLITE_PREPARE_PERSISTENT : 0u, &st, nullptr);
        return rc == SQLITE_OK ? std::optional<FalhaDoSqlite>()
                               : FalhaDoSqlite(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
    };
    auto falha = preparar();
    constexpr std::string_view kSemTabela = "no such table: ";
    while (falha) {
        if (!adiadas_.empty()) {
            ConsolidarAdiadas();
        } else if (std::string_view(falha->what()).substr(0, kSemTabela.size()) != kSemTabela ||
                   !GarantirVisoes(std::string_view(falha->what()).substr(kSemTabela.size()))) {
            break;
        }
        falha = preparar();
    }
    if (falha) {
        if (negacao_) throw *std::exchange(negacao_, std::nullopt);
        throw *falha;
    }
    if (!st) throw ErroDoServidor(102, {"the end of the batch"});
    if (!guardar) return Preparada(st, true);
    preparadas_.emplace(sql, st);
    tamanhoDasPreparadas_ += sql.size();
    return Preparada(st, false);
}

namespace {

// Reads the plan's text into its tokens (kept in the memory `tokens` already has), its
// parameters, its statements and the names it may give a table or alias.
void LerPlano(PlanoDeLote& plano) {
    Tokenizar(plano.texto, plano.tokens);
    plano.ordinais = NumerarParametros(plano.tokens);
    LoteLido lido = AnalisarLote(plano.tokens, plano.texto);
    plano.comandos = std::move(lido.comandos);
    plano.fontes = std::move(lido.fontes);
}

}  // namespace

std::shared_ptr<PlanoDeLote> Sessao::Planejar(const std::string& sql) {
    auto it = planos_.find(sql);
    if (it != planos_.end()) return it->second;
    auto plano = std::make_shared<PlanoDeLote>();
    plano->texto = sql;
    LerPlano(*plano);
    if (sql.size() > kTextoGuardavel) return plano;
    if (planos_.size() >= kMaximoDePlanos) planos_.clear();
    planos_.emplace(sql, plano);
    return plano;
}

namespace {

// Where the piece of `sql` that starts at `inicio` ends: the first line break after
// `tamanho` bytes, or the end of the text.
std::size_t FimDoTrecho(const std::string& sql, std::size_t inicio, std::size_t tamanho) {
    if (sql.size() - inicio <= tamanho) return sql.size();
    const auto p = sql.find('\n', inicio + tamanho);
    return p == std::string::npos ? sql.size() : p + 1;
}

// Whether the piece's last statement is whole: an INSERT closed by ';' at the end of the
// piece, which nothing after it can go on with (IF, WHILE, TRY and bodies are statements
// of their own around it). Such a one need not be read again at the start of the next
// piece, as a script of long VALUES statements, a line each, would otherwise be by half.
// Parameters are numbered from the start of each piece: a piece with them keeps the rule.
bool UltimaInstrucaoCompleta(const PlanoDeLote& plano) {
    const Comando& ultima = *plano.comandos.back();
    if (!std::holds_alternative<instrucao::Inserir>(ultima.instrucao) || plano.tokens.empty() ||
        !EhSimbolo(plano.tokens.back(), ";") || ultima.faixa.fim + 1 < plano.tokens.size())
        return false;
    return std::none_of(plano.ordinais.begin(), plano.ordinais.end(), [](int o) { return o > 0; });
}

}  // namespace

// Parses a long batch piece by piece and hands each piece's plan to `f`. A piece ends
// at a line break; its last statement may go on in the next piece, so it starts the
// next one. A piece that does not parse, or holds only that last statement, is taken
// again twice as long, up to the whole rest of the batch, which gives the batch's own
// error. Only the first statement of the batch may be one that must come first.
void Sessao::PercorrerTrechos(const std::string& sql, const std::function<void(PlanoDeLote&)>& f) {
    std::size_t inicio = 0, tamanho = kTamanhoDoTrecho;
    std::vector<Token> reserva;  // the memory of the tokens, from piece to piece
    while (inicio < sql.size()) {
        std::size_t fim = FimDoTrecho(sql, inicio, tamanho);
        const bool ultimo = fim == sql.size();
        PlanoDeLote plano;
        plano.tokens = std::move(reserva);
        struct Devolver {
            PlanoDeLote& plano;
            std::vector<Token>& reserva;
            ~Devolver() { reserva = std::move(plano.tokens); }
        } devolver{plano, reserva};
        plano.texto = sql.substr(inicio, fim - inicio);
        try {
            LerPlano(plano);
        } catch (const ErroDeBanco&) {
            if (ultimo) throw;
            tamanho *= 2;
            continue;
        }
        if (!ultimo && !(plano.comandos.size() > 0 && UltimaInstrucaoCompleta(plano))) {
            if (plano.comandos.size() < 2) {
                tamanho *= 2;
                continue;
            }
            fim = inicio + plano.tokens[plano.comandos.back()->faixa.inicio].inicio;
            plano.comandos.pop_back();
        }
        if (inicio > 0 && !plano.comandos.empty() &&
            std::holds_alternative<instrucao::CriarObjeto>(plano.comandos.front()->instrucao))
            AnalisarLote(Tokenizar(sql), sql);  // raises SQL Server's error for it
        f(plano);
        inicio = fim;
        tamanho = kTamanhoDoTrecho;
    }
}

std::vector<db::Resultado> Sessao::ExecutarLote(const std::string& sql,
                                                const std::vector<db::Valor>& parametros,
                                                int timeoutSegundos) {
    try {
        auto resultados = ExecutarLoteTraduzido(sql, parametros, timeoutSegundos);
        SincronizarGravacoes();
        return resultados;
    } catch (const FalhaDoSqlite& f) {
        SincronizarSemFalhar();
        throw ErroComoSqlServer(f.what(), banco_);
    } catch (...) {
        SincronizarSemFalhar();
        throw;
    }
}

std::vector<db::Resultado> Sessao::ExecutarLoteTraduzido(const std::string& sql,
                                                         const std::vector<db::Valor>& parametros,
                                                         int timeoutSegundos) {
    ConferirAntesDoLote();
    mensagens_.clear();
    if (sql.find_first_not_of(" \t\r\n") == std::string::npos)
        throw ErroDeBanco("Command text was not set for the command object.");
    comPrazo_ = timeoutSegundos > 0;
    prazo_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSegundos);
    struct Fim {
        bool& f;
        ~Fim() { f = false; }
    } fim{comPrazo_};
    AtualizarDireitos();
    TomarFalhaDeFuncao();  // nothing left over from an earlier batch
    // One text is one batch: GO belongs to the tools that split scripts, and the
    // server reads it as any other word. A long batch without parameters is read in
    // pieces: all of them parse before the first runs, as SQL Server compiles the
    // whole batch first.
    const bool emTrechos = sql.size() > kLoteEmTrechos && parametros.empty();
    std::shared_ptr<PlanoDeLote> plano;
    if (emTrechos)
        PercorrerTrechos(sql, [&](PlanoDeLote& p) { AnexarBancosCitados(p.tokens); });
    else
        plano = Planejar(sql);
    try {
        if (plano) AnexarBancosCitados(plano->tokens);
        struct FimDoLote {
            Sessao& s;
            ~FimDoLote() {
                s.FecharGrupoSemFalhar();  // an error or a KILL: what ran before it stays
                s.emLote_ = false;
                if (s.nivelDeTransacao_ == 0) s.DesanexarBancos();
            }
        } fimDoLote{*this};
        emLote_ = true;
        std::vector<db::Resultado> resultados;
        if (plano)
            resultados = Executor(*this, *plano, parametros).Executar();
        else
            PercorrerTrechos(sql, [&](PlanoDeLote& p) {
                for (auto& r : Executor(*this, p, parametros).Executar())
                    resultados.push_back(std::move(r));
            });
        FecharGrupo();
        DesfazerCondenada(false);
        return resultados;
    } catch (const ErroDeBanco&) {
        // KILL stopped the batch: its transaction goes and the connection is closed.
        if (eliminada_) VerificarSessao();
        DesfazerCondenada(true);
        throw;
    }
}

std::vector<db::Resultado> Sessao::ExecutarProcedimento(
    const std::string& nome, const std::vector<std::pair<std::string, db::Valor>>& parametros) {
    ConferirAntesDoLote();
    mensagens_.clear();
    AtualizarDireitos();
    try {
        PlanoDeLote plano;
        std::vector<db::Valor> nenhum;
        Executor ex(*this, plano, nenhum);
        ex.Procedimento(nome, parametros);
        auto resultados = ex.Executar();
        DesfazerCondenada(false);
        SincronizarGravacoes();
        return resultados;
    } catch (const FalhaDoSqlite& f) {
        SincronizarSemFalhar();
        throw ErroComoSqlServer(f.what(), banco_);
    } catch (const ErroDeBanco&) {
        DesfazerCondenada(true);
        SincronizarSemFalhar();
        throw;
    } catch (...) {
        SincronizarSemFalhar();
        throw;
    }
}

void Sessao::DesfazerCondenada(bool comErro) {
    if (!TransacaoCondenada()) return;
    Desfazer();
    if (!comErro) throw ErroDoServidor(3998);
}

std::vector<std::string> Sessao::ColunasChave(const std::string& tabela) {
    ConferirAntesDoLote();
    std::string nome;
    for (const auto& t : Tokenizar(tabela))
        if (EhNome(t)) nome = t.texto;
    std::vector<std::string> r;
    if (Tabela* t = CatalogoAtual().AcharTabela(nome))
        for (const auto& i : t->indices)
            if (i.primario)
                for (const auto& c : i.colunas) r.push_back(c.nome);
    return r;
}

}  // namespace zolvek::simulador
