#include "simulador/motor/sessao.hpp"

#include <sqlite3.h>

#include <random>
#include <thread>
#include <utility>

#include "comum/erros.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/executor.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/lexico.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/sqlite.hpp"
#include "simulador/motor/visoes.hpp"

namespace zolvek::simulador {

namespace {

constexpr std::size_t kMaximoDePlanos = 256;
// A running batch asks the server whether its session was killed this often.
constexpr auto kIntervaloDeVerificacao = std::chrono::milliseconds(200);
// A lock wait with neither LOCK_TIMEOUT nor a command deadline still ends (BEGIN TRAN
// waits here for another writer, which SQL Server's never does).
constexpr auto kEsperaSemLimite = std::chrono::seconds(30);

sqlite3* AbrirArquivo(const std::string& arquivo) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(arquivo.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw ErroDeBanco("Não foi possível abrir o arquivo do banco de dados '" + arquivo +
                          "': " + msg);
    }
    sqlite3_busy_timeout(db, 30000);
    sqlite3_extended_result_codes(db, 0);
    RegistrarColacao(db);
    return db;
}

void ConfigurarArquivo(sqlite3* db) {
    ExecutarSql(db, "PRAGMA journal_mode = WAL");
    ExecutarSql(db, "PRAGMA synchronous = FULL");
    ExecutarSql(db, "PRAGMA legacy_alter_table = ON");
    ExecutarSql(db, "PRAGMA foreign_keys = OFF");
    ExecutarSql(db, "PRAGMA recursive_triggers = OFF");
}

void GarantirEsquema(sqlite3* db, const std::string& dono) {
    // A file already laid out needs no write (which would wait for another session's
    // open transaction).
    {
        Instrucao q(db, "SELECT 1 FROM sqlite_master WHERE name = 'zv_contador'");
        if (q.Passo()) {
            Instrucao c(db, "SELECT 1 FROM zv_contador");
            if (c.Passo()) return;
        }
    }
    ExecutarSql(db, "BEGIN IMMEDIATE");
    try {
        Catalogo::Preparar(db);
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
    SessaoAberta aberta = servidor_->AbrirSessao(login_, banco, host_, programa_);
    spid_ = aberta.spid;
    auto info = servidor_->AcharBanco(banco.empty() ? "master" : banco);
    banco_ = info ? info->nome : banco;
    try {
        Abrir(aberta.arquivoSqlite.string());
    } catch (...) {
        Fechar();
        servidor_->FecharSessao(spid_);
        throw;
    }
}

Sessao::~Sessao() {
    Fechar();
    servidor_->FecharSessao(spid_);
}

void Sessao::PrepararArquivo(const std::string& arquivo, const std::string& dono) {
    sqlite3* db = AbrirArquivo(arquivo);
    try {
        ConfigurarArquivo(db);
        GarantirEsquema(db, dono);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

void Sessao::Abrir(const std::string& arquivo) {
    db_ = AbrirArquivo(arquivo);
    ConfigurarArquivo(db_);
    GarantirEsquema(db_, "sa");
    RegistrarFuncoes(db_, this);
    sqlite3_busy_handler(db_, &Sessao::EsperarBloqueio, this);
    sqlite3_set_authorizer(db_, &Sessao::Autorizar, this);
    sqlite3_progress_handler(
        db_, 10000, [](void* p) { return static_cast<Sessao*>(p)->Interromper() ? 1 : 0; }, this);
    CriarVisoesDoCatalogo(db_);
    catalogo_.Carregar(db_);
    Instrucao q(db_, "SELECT valor FROM zv_config WHERE chave='versao'");
    if (q.Passo()) versaoDoCatalogo_ = q.Texto(0);
    if (sqlite3_prepare_v3(db_, "SELECT valor FROM zv_config WHERE chave='versao'", -1,
                           SQLITE_PREPARE_PERSISTENT, &lerVersao_, nullptr) != SQLITE_OK)
        throw ErroDeBanco(sqlite3_errmsg(db_));
    // A login that is not sysadmin needs a user in the database (or to own it).
    if (!login_.sysadmin && !IguaisCiAs(banco_, "master") && NomeDoUsuario() == "guest")
        throw ErroDeBanco("Cannot open database \"" + banco_ +
                          "\" requested by the login. The login failed.\nLogin failed for user '" +
                          login_.nome + "'.");
    direitos_ = DireitosDoUsuario{};
    AtualizarDireitos();
}

void Sessao::Fechar() noexcept {
    for (auto& [k, st] : preparadas_) sqlite3_finalize(st);
    preparadas_.clear();
    planos_.clear();
    if (lerVersao_) sqlite3_finalize(lerVersao_);
    lerVersao_ = nullptr;
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    nivelDeTransacao_ = 0;
}

void Sessao::Usar(const std::string& banco) {
    if (nivelDeTransacao_ > 0)
        throw ErroDeBanco(
            "O simulador de SQL Server não troca de banco de dados dentro de uma transação.");
    auto arquivo = servidor_->TrocarBanco(spid_, banco);
    Fechar();
    auto info = servidor_->AcharBanco(banco);
    banco_ = info ? info->nome : banco;
    identityInsert_.clear();
    Abrir(arquivo.string());
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
    static const char* fixos[] = {"db_owner",      "db_accessadmin",    "db_securityadmin",
                                  "db_ddladmin",   "db_backupoperator", "db_datareader",
                                  "db_datawriter", "db_denydatareader", "db_denydatawriter"};
    if (IguaisCiAs(papel, "public")) return 1;
    bool fixo = false;
    for (const char* f : fixos)
        if (IguaisCiAs(papel, f)) fixo = true;
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

void Sessao::VerificarSessao() {
    if (!db_)
        throw ErroDeBanco(motivoDoFechamento_.empty() ? "A conexão não está aberta."
                                                      : motivoDoFechamento_);
    if (!eliminada_ && servidor_->SessaoViva(spid_)) return;
    // A killed session loses its open transaction and lets go of the file.
    if (nivelDeTransacao_ > 0 || !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    Fechar();
    eliminada_ = false;
    motivoDoFechamento_ = "A conexão com o servidor foi encerrada: a sessão " +
                          std::to_string(spid_) +
                          " foi eliminada no servidor. Conecte-se novamente.";
    throw ErroDeBanco(motivoDoFechamento_);
}

void Sessao::AtualizarDireitos() {
    if (login_.sysadmin) return;
    auto novos = LerDireitos(db_, NomeDoUsuario());
    // Statements prepared under other rights were authorized for those.
    if (novos == direitos_) return;
    direitos_ = std::move(novos);
    EsquecerPreparadas();
}

int Sessao::Autorizar(void* p, int acao, const char* a, const char*, const char*,
                      const char* dentro) {
    auto* s = static_cast<Sessao*>(p);
    if (!s->autorizando_) return SQLITE_OK;
    const char* permissao = acao == SQLITE_READ     ? "SELECT"
                            : acao == SQLITE_INSERT ? "INSERT"
                            : acao == SQLITE_UPDATE ? "UPDATE"
                            : acao == SQLITE_DELETE ? "DELETE"
                                                    : nullptr;
    if (!permissao || !a) return SQLITE_OK;
    std::int64_t objeto = 0;
    std::string nome;
    if (dentro) {
        // Through a view the user needs SELECT on the view only; the engine's own
        // triggers and views check nothing more.
        const ObjetoProgramado* v = s->catalogo_.AcharObjeto(dentro);
        if (!v || v->tipo != "V") return SQLITE_OK;
        objeto = v->id;
        nome = v->nome;
    } else {
        Tabela* t = s->catalogo_.AcharTabela(a);
        if (!t) return SQLITE_OK;  // the engine's tables and the catalog views
        objeto = t->id;
        nome = t->nome;
    }
    if (s->direitos_.Permite(permissao, objeto)) return SQLITE_OK;
    if (s->negacao_.empty()) s->negacao_ = PermissaoNegada(permissao, nome, s->banco_);
    return SQLITE_DENY;
}

bool Sessao::Interromper() {
    const auto agora = std::chrono::steady_clock::now();
    if (comPrazo_ && agora > prazo_) return true;
    if (agora - ultimaVerificacao_ >= kIntervaloDeVerificacao) {
        ultimaVerificacao_ = agora;
        if (!servidor_->SessaoViva(spid_)) eliminada_ = true;
    }
    return eliminada_;
}

void Sessao::VerificarSeFoiEliminada() {
    Interromper();
    // The statement stops here; ExecutarLote rolls back and closes the session.
    if (eliminada_)
        throw ErroDeBanco("A conexão com o servidor foi encerrada: a sessão " +
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

void Sessao::VerificarCatalogo() {
    sqlite3_reset(lerVersao_);
    std::string v;
    if (sqlite3_step(lerVersao_) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(lerVersao_, 0);
        v = t ? reinterpret_cast<const char*>(t) : "";
    }
    sqlite3_reset(lerVersao_);
    if (v != versaoDoCatalogo_) {
        catalogo_.Carregar(db_);
        planos_.clear();
        EsquecerPreparadas();
        versaoDoCatalogo_ = v;
    }
}

void Sessao::MarcarCatalogoAlterado() {
    static thread_local std::mt19937_64 g{std::random_device{}()};
    std::string v = std::to_string(g());
    Instrucao(db_, "UPDATE zv_config SET valor=? WHERE chave='versao'").Ligar(1, v).Executar();
    versaoDoCatalogo_ = v;
    planos_.clear();
    EsquecerPreparadas();
}

// Statements prepared before a structure change keep the old column lists of "*".
void Sessao::EsquecerPreparadas() {
    for (auto& [k, st] : preparadas_) sqlite3_finalize(st);
    preparadas_.clear();
}

void Sessao::AtualizarTabelasDoServidor(bool processos, bool bancos) {
    if (processos) PreencherProcessos(db_, servidor_->ListarSessoes());
    if (bancos) PreencherBancos(db_, servidor_->ListarBancos());
}

sqlite3_stmt* Sessao::Preparar(const std::string& sql) {
    auto it = preparadas_.find(sql);
    if (it != preparadas_.end()) return it->second;
    if (preparadas_.size() > kMaximoDePlanos) EsquecerPreparadas();
    sqlite3_stmt* st = nullptr;
    autorizando_ = !direitos_.irrestrito;
    negacao_.clear();
    const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    autorizando_ = false;
    if (rc != SQLITE_OK) {
        if (!negacao_.empty()) throw ErroDeBanco(std::exchange(negacao_, {}));
        throw ErroDeBanco(sqlite3_errmsg(db_));
    }
    if (!st) throw ErroDeBanco("Incorrect syntax near the end of the batch.");
    preparadas_.emplace(sql, st);
    return st;
}

std::shared_ptr<PlanoDeLote> Sessao::Planejar(const std::string& sql) {
    auto it = planos_.find(sql);
    if (it != planos_.end()) return it->second;
    auto plano = std::make_shared<PlanoDeLote>();
    plano->texto = sql;
    plano->tokens = Tokenizar(sql);
    plano->ordinais = NumerarParametros(plano->tokens);
    plano->comandos = AnalisarLote(plano->tokens, plano->texto);
    if (planos_.size() > kMaximoDePlanos) planos_.clear();
    planos_.emplace(sql, plano);
    return plano;
}

std::vector<db::Resultado> Sessao::ExecutarLote(const std::string& sql,
                                                const std::vector<db::Valor>& parametros,
                                                int timeoutSegundos) {
    VerificarSessao();
    if (sql.find_first_not_of(" \t\r\n") == std::string::npos)
        throw ErroDeBanco("Command text was not set for the command object.");
    comPrazo_ = timeoutSegundos > 0;
    prazo_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSegundos);
    struct Fim {
        bool& f;
        ~Fim() { f = false; }
    } fim{comPrazo_};
    VerificarCatalogo();
    AtualizarDireitos();
    std::vector<db::Resultado> todos;
    try {
        for (const auto& lote : DividirLotes(sql)) {
            auto plano = Planejar(lote);
            Executor ex(*this, *plano, parametros);
            auto r = ex.Executar();
            for (auto& x : r) todos.push_back(std::move(x));
        }
    } catch (const ErroDeBanco&) {
        // KILL stopped the batch: its transaction goes and the connection is closed.
        if (eliminada_) VerificarSessao();
        throw;
    }
    return todos;
}

std::vector<db::Resultado> Sessao::ExecutarProcedimento(
    const std::string& nome, const std::vector<std::pair<std::string, db::Valor>>& parametros) {
    VerificarSessao();
    VerificarCatalogo();
    AtualizarDireitos();
    PlanoDeLote plano;
    std::vector<db::Valor> nenhum;
    Executor ex(*this, plano, nenhum);
    ex.Procedimento(nome, parametros);
    return ex.Executar();
}

std::vector<std::string> Sessao::ColunasChave(const std::string& tabela) {
    VerificarSessao();
    VerificarCatalogo();
    std::string nome;
    for (const auto& t : Tokenizar(tabela))
        if (EhNome(t)) nome = t.texto;
    std::vector<std::string> r;
    if (Tabela* t = catalogo_.AcharTabela(nome))
        for (const auto& i : t->indices)
            if (i.primario)
                for (const auto& c : i.colunas) r.push_back(c.nome);
    return r;
}

void Sessao::IniciarTransacao() {
    if (nivelDeTransacao_ == 0) {
        VerificarSessao();
        if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            if (eliminada_) VerificarSessao();
            FalharComSqlite(db_);
        }
    }
    ++nivelDeTransacao_;
}

void Sessao::Confirmar() {
    if (nivelDeTransacao_ == 0)
        throw ErroDeBanco("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
    if (nivelDeTransacao_ == 1) ExecutarSql(db_, "COMMIT");
    --nivelDeTransacao_;
}

void Sessao::Desfazer() {
    if (nivelDeTransacao_ == 0)
        throw ErroDeBanco(
            "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    nivelDeTransacao_ = 0;
    catalogo_.Carregar(db_);
    planos_.clear();
    EsquecerPreparadas();
    sqlite3_reset(lerVersao_);
    versaoDoCatalogo_.clear();
    VerificarCatalogo();
}

}  // namespace zolvek::simulador
