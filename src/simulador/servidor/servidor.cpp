#include "simulador/servidor/servidor.hpp"

#include <sodium.h>
#include <sqlite3.h>

#include <random>
#include <string_view>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#endif

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/processos.hpp"
#include "simulador/servidor/resumo.hpp"
#include "simulador/servidor/sinal.hpp"

namespace zolvek::simulador {

using namespace interno;

namespace {

// The server's own state (logins, databases, sessions) is kept apart from the file of
// the master database: an engine transaction left open on master must never hold up
// logins, the session list or the database commands of the server.
constexpr const char* kArquivoDoServidor = "servidor.sqlite";
constexpr const char* kArquivoMaster = "master.sqlite";
constexpr const char* kArquivoDoSinal = "servidor.sinal";

// A connection writes its session's row when it opens and removes it when it closes,
// often a whole short process: srv_sessoes is kept by spid alone (no rowid of its own, no
// second index, no AUTOINCREMENT counter), so that each of those writes is one page of the
// log. A folder made before keeps its table, which the same statements work on.
constexpr const char* kEsquemaDoMaster = R"(
CREATE TABLE IF NOT EXISTS srv_parametros (
    nome TEXT PRIMARY KEY, valor TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS srv_logins (
    chave TEXT PRIMARY KEY, nome TEXT NOT NULL, senha TEXT NOT NULL,
    sysadmin INTEGER NOT NULL, integrado INTEGER NOT NULL, criacao TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS srv_atributos_dos_logins (
    chave TEXT PRIMARY KEY REFERENCES srv_logins(chave) ON DELETE CASCADE,
    desabilitado INTEGER NOT NULL DEFAULT 0, banco_padrao TEXT NOT NULL DEFAULT 'master');
CREATE TABLE IF NOT EXISTS srv_bancos (
    id INTEGER PRIMARY KEY, chave TEXT NOT NULL UNIQUE, nome TEXT NOT NULL,
    arquivo TEXT NOT NULL, criacao TEXT NOT NULL,
    usuario_unico INTEGER NOT NULL DEFAULT 0, estado TEXT NOT NULL DEFAULT 'ONLINE');
CREATE TABLE IF NOT EXISTS srv_arquivos (
    banco INTEGER NOT NULL REFERENCES srv_bancos(id) ON DELETE CASCADE, id INTEGER NOT NULL,
    nome_logico TEXT NOT NULL, nome_fisico TEXT NOT NULL, chave_fisica TEXT NOT NULL,
    tipo TEXT NOT NULL, grupo TEXT NOT NULL, tamanho_kb INTEGER NOT NULL,
    tamanho_maximo_kb INTEGER NOT NULL, crescimento INTEGER NOT NULL,
    em_porcentagem INTEGER NOT NULL, PRIMARY KEY (banco, id));
CREATE TABLE IF NOT EXISTS srv_opcoes (
    banco INTEGER NOT NULL REFERENCES srv_bancos(id) ON DELETE CASCADE, opcao TEXT NOT NULL,
    PRIMARY KEY (banco, opcao));
CREATE TABLE IF NOT EXISTS srv_sessoes (
    spid INTEGER PRIMARY KEY, chave INTEGER NOT NULL,
    login TEXT NOT NULL, chave_login TEXT NOT NULL, host TEXT NOT NULL,
    chave_host TEXT NOT NULL, programa TEXT NOT NULL, banco INTEGER NOT NULL,
    pid INTEGER NOT NULL, maquina TEXT NOT NULL, inicio_processo TEXT NOT NULL,
    hora_login TEXT NOT NULL, ultimo_lote TEXT NOT NULL, status TEXT NOT NULL) WITHOUT ROWID;
)";

// What a folder laid out by this program keeps as 'versao_do_esquema': a digest (FNV-1a)
// of the schema above, so that any change of it has the folders of before laid out again
// (their missing tables made) once.
constexpr std::uint64_t ResumoDoEsquema() {
    std::uint64_t h = 14695981039346656037ull;
    for (const char* p = kEsquemaDoMaster; *p; ++p)
        h = (h ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
    return h;
}
std::string VersaoDoEsquema() {
    return std::to_string(ResumoDoEsquema());
}

// Login passwords are kept as libsodium's Argon2id strings ("$argon2id$..."), salted
// by it. The limits are low (one pass, the least Argon2id takes): a server folder is a
// test fixture, and every connection, often a whole short process, verifies a password
// (SQL Server keeps a salted SHA-512 for each login). An empty password, that of the
// login "sa" every folder starts with, is kept as a salted SHA-256 ("salt$hex", the form
// folders from before keep for every login): any hash of it gives it away at the first
// guess, so a costly one would only slow every connection down. Folders from before
// keep "salt$sha256-hex" hashes, or Argon2id ones of other limits: those still verify
// and are replaced at that login.
constexpr unsigned long long kOperacoesDaSenha = 1;
constexpr std::size_t kMemoriaDaSenha = 1 << 20;

void IniciarSodium() {
    static const bool iniciado = sodium_init() >= 0;
    if (!iniciado) throw ErroDeBanco("A biblioteca de criptografia (libsodium) não iniciou.");
}

std::string ResumoSalgado(const std::string& sal, const std::string& senha) {
    return sal + "$" + interno::ResumoSha256(sal + senha);
}

std::string GuardarSenha(const std::string& senha) {
    IniciarSodium();
    if (senha.empty()) {
        unsigned char bytes[16];
        randombytes_buf(bytes, sizeof bytes);
        char sal[sizeof bytes * 2 + 1];
        sodium_bin2hex(sal, sizeof sal, bytes, sizeof bytes);
        return ResumoSalgado(sal, senha);
    }
    char guardada[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(guardada, senha.data(), senha.size(), kOperacoesDaSenha,
                          kMemoriaDaSenha) != 0)
        throw ErroDeBanco("Não há memória para guardar a senha do login.");
    return guardada;
}

bool EhArgon2(const std::string& guardada) {
    return guardada.rfind("$argon2", 0) == 0;
}

// Whether a hash that `senha` matched is kept in another form than GuardarSenha's.
bool EhSenhaAntiga(const std::string& guardada, const std::string& senha) {
    if (senha.empty()) return EhArgon2(guardada);
    if (!EhArgon2(guardada)) return true;
    IniciarSodium();
    return crypto_pwhash_str_needs_rehash(guardada.c_str(), kOperacoesDaSenha, kMemoriaDaSenha) !=
           0;
}

// Compares without stopping at the first difference, so that the time taken tells
// nothing of where the texts part.
bool IguaisEmTempoConstante(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char diferenca = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diferenca |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diferenca == 0;
}

// libsodium starts (probing the processor) only for an Argon2id hash: the salted
// SHA-256 of an empty password, checked at most connections, does without it.
bool SenhaConfere(const std::string& guardada, const std::string& senha) {
    if (EhArgon2(guardada)) {
        IniciarSodium();
        return crypto_pwhash_str_verify(guardada.c_str(), senha.data(), senha.size()) == 0;
    }
    const auto separador = guardada.find('$');
    if (separador == std::string::npos) return false;
    return IguaisEmTempoConstante(ResumoSalgado(guardada.substr(0, separador), senha), guardada);
}

ErroDeBanco FalhaDeLogin(const std::string& login) {
    return ErroDoServidor(18456, {login});
}

// A login with what ALTER LOGIN changed of it (logins without a row keep the defaults).
#define ZOLVEK_COLUNAS_DOS_LOGINS                                           \
    "SELECT l.nome, l.sysadmin, l.integrado, coalesce(a.desabilitado, 0), " \
    "coalesce(a.banco_padrao, 'master')"
#define ZOLVEK_ORIGEM_DOS_LOGINS \
    " FROM srv_logins l LEFT JOIN srv_atributos_dos_logins a ON a.chave = l.chave"
constexpr const char* kLerLogins = ZOLVEK_COLUNAS_DOS_LOGINS ZOLVEK_ORIGEM_DOS_LOGINS;
// The same with the password hash (column 5), for a login by password.
constexpr const char* kLerLoginComSenha = ZOLVEK_COLUNAS_DOS_LOGINS
    ", l.senha" ZOLVEK_ORIGEM_DOS_LOGINS " WHERE l.chave = ? AND l.integrado = 0";
// The same with the row's id and creation (columns 5 and 6), for the catalog views.
constexpr const char* kListarLogins =
    ZOLVEK_COLUNAS_DOS_LOGINS ", l.rowid, l.criacao" ZOLVEK_ORIGEM_DOS_LOGINS " ORDER BY l.rowid";
#undef ZOLVEK_COLUNAS_DOS_LOGINS
#undef ZOLVEK_ORIGEM_DOS_LOGINS

Login LoginLido(const Comando& ler) {
    return Login{ler.Texto(0), ler.Inteiro(1) != 0, ler.Inteiro(3) != 0, ler.Inteiro(2) != 0,
                 ler.Texto(4)};
}

void ExigirHabilitado(const Login& login) {
    if (login.desabilitado) throw ErroDoServidor(18470, {login.nome});
}

}  // namespace

namespace {

// The folder as an absolute path without "." or "..": backup paths are checked against it.
std::filesystem::path PastaAbsoluta(const std::filesystem::path& pasta) {
    std::error_code erro;
    std::filesystem::path absoluta = std::filesystem::absolute(pasta, erro);
    if (erro) absoluta = pasta;
    absoluta = absoluta.lexically_normal();
    if (!absoluta.has_filename() && absoluta.has_parent_path()) absoluta = absoluta.parent_path();
    return absoluta;
}

}  // namespace

bool Servidor::PastaCriada(const std::filesystem::path& pasta) {
    std::error_code erro;
    return std::filesystem::is_regular_file(pasta / kArquivoDoServidor, erro);
}

void Servidor::ExigirEntradaNaPastaNova(const std::string& versao, const std::string& login,
                                        const std::string& senha, bool integrada,
                                        const std::string& banco) {
    if (!versao.empty()) VersaoPedida(versao);
    // a new server has "sa" without a password and the system's user for SSPI
    if (!integrada && (ChaveDeNome(login) != "SA" || !senha.empty())) throw FalhaDeLogin(login);
    if (!ChaveDeNome(banco).empty() && ChaveDeNome(banco) != "MASTER") throw BancoNaoAbre(banco);
}

Servidor::Servidor(const std::filesystem::path& pasta, const std::string& versao)
    : pasta_(PastaAbsoluta(pasta)),
      maquina_(NomeDaMaquina()),
      pid_(PidAtual()),
      inicioDoProcesso_(InicioDoProcesso(PidAtual())) {
    std::error_code erro;
    if (!versao.empty() && !PastaCriada(pasta_)) VersaoPedida(versao);
    std::filesystem::create_directories(pasta_, erro);
    if (!std::filesystem::is_directory(pasta_, erro))
        throw ErroDeBanco("A pasta do servidor não pode ser usada: " + pasta.string());
    sinal_ = std::make_unique<interno::Sinal>(pasta_ / kArquivoDoSinal);
    master_ = AbrirArquivoSqlite((pasta_ / kArquivoDoServidor).string(), false, true);
    try {
        // Small pages for a new file (an existing one keeps its own): each connection
        // logs a few of them, and the next process reads back the whole log, checksums
        // and all, until a checkpoint empties it.
        ExecutarSql(master_, "PRAGMA page_size=1024");
        // WAL lets readers go on while another process writes; NORMAL
        // synchronisation keeps every commit across a process crash.
        ExecutarSql(master_, "PRAGMA journal_mode=WAL");
        ExecutarSql(master_, "PRAGMA synchronous=NORMAL");
        sqlite3_db_config(master_, SQLITE_DBCONFIG_ENABLE_FKEY, 1, nullptr);
        // Every connection, often a whole short process, writes its session here. The log
        // stays when the process ends: the last one out would otherwise copy it into the
        // file and delete it, syncing both, and the next would create it again (a sync of
        // the folder). Each process's first connection reads the whole log back: a
        // session writes two pages of it (one at open, one at close), so that a checkpoint
        // every forty pages, which syncs the log and the file, comes once in some twenty
        // processes and keeps that reading to twenty pages on average.
        sqlite3_db_config(master_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_wal_autocheckpoint(master_, 40);
        if (!LerEsquemaPronto(versao)) CriarEsquema(versao);
    } catch (...) {
        FecharArquivoSqlite(master_);
        throw;
    }
    RemoverSobras();
}

namespace {

// The names of the entries of a folder (none when it cannot be read). Every connection
// looks through the server folder: only the names are needed, without a path made for
// each entry.
std::vector<std::string> NomesNaPasta(const std::filesystem::path& pasta) {
    std::vector<std::string> nomes;
#ifndef _WIN32
    DIR* d = ::opendir(pasta.c_str());
    if (!d) return nomes;
    while (const dirent* e = ::readdir(d)) nomes.emplace_back(e->d_name);
    ::closedir(d);
#else
    std::error_code erro;
    for (std::filesystem::directory_iterator i(pasta, erro), fim; !erro && i != fim;
         i.increment(erro))
        nomes.push_back(i->path().filename().string());
#endif
    return nomes;
}

}  // namespace

// The scratch files of backups and restores ("restauracao-PID-N.tmp") of processes that
// are gone, killed in the middle of one.
void Servidor::RemoverSobras() noexcept {
    try {
        for (const std::string& nome : NomesNaPasta(pasta_)) {
            const std::size_t traco = nome.find('-');
            if (traco == std::string::npos) continue;
            const std::string_view tipo = std::string_view(nome).substr(0, traco);
            if (tipo != "copia" && tipo != "verificacao" && tipo != "restauracao") continue;
            const std::size_t fimDoPid = nome.find('-', traco + 1);
            if (fimDoPid == std::string::npos || nome.find(".tmp", fimDoPid) == std::string::npos)
                continue;
            const std::string pid = nome.substr(traco + 1, fimDoPid - traco - 1);
            if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos ||
                pid.size() > 18 || ProcessoVivo(std::stoll(pid)))
                continue;
            std::error_code ignorado;
            std::filesystem::remove(pasta_ / nome, ignorado);
        }
    } catch (...) {
        // out of memory: the scratch files wait for the next process
    }
}

Servidor::~Servidor() {
    std::vector<int> abertas;
    for (const auto& [spid, chave] : minhasSessoes_) abertas.push_back(spid);
    for (int spid : abertas) FecharSessao(spid);
    FecharArquivoSqlite(master_);
}

// A folder laid out by this program (its schema's digest and the version kept) is only
// read: no write transaction, which would wait for another process's. A statement that
// cannot be prepared names a table the folder does not have yet.
bool Servidor::LerEsquemaPronto(const std::string& versao) {
    sqlite3_stmt* ler = nullptr;
    if (sqlite3_prepare_v2(master_,
                           "SELECT nome, valor FROM srv_parametros "
                           "WHERE nome IN ('versao_do_esquema', 'versao_do_produto')",
                           -1, &ler, nullptr) != SQLITE_OK) {
        sqlite3_finalize(ler);
        return false;
    }
    std::string esquema, produto;
    while (sqlite3_step(ler) == SQLITE_ROW) {
        const std::string nome = reinterpret_cast<const char*>(sqlite3_column_text(ler, 0));
        (nome == "versao_do_esquema" ? esquema : produto) =
            reinterpret_cast<const char*>(sqlite3_column_text(ler, 1));
    }
    sqlite3_finalize(ler);
    if (esquema != VersaoDoEsquema() || produto.empty()) return false;
    const VersaoDoServidor& daPasta = VersaoDoProduto(produto);
    ExigirMesmaVersao(pasta_.string(), daPasta, versao);
    versao_ = &daPasta;
    return true;
}

void Servidor::CriarEsquema(const std::string& versao) {
    std::lock_guard trava(mutex_);
    const VersaoDoServidor& pedida = versao.empty() ? VersaoPadrao() : VersaoPedida(versao);
    Transacao transacao(master_);
    ExecutarSql(master_, kEsquemaDoMaster);
    Comando existe(master_, "SELECT count(*) FROM srv_bancos WHERE id = 1");
    existe.Passo();
    if (existe.Inteiro(0) == 0) {
        // An empty file for the master database: the engine lays out its catalog.
        FecharArquivoSqlite(AbrirArquivoSqlite((pasta_ / kArquivoMaster).string(), false, true));
        const std::string agora = AgoraComoTexto();
        Comando banco(master_,
                      "INSERT INTO srv_bancos (id, chave, nome, arquivo, criacao) "
                      "VALUES (1, 'MASTER', 'master', ?, ?)");
        banco.Ligar(1, std::string(kArquivoMaster)).Ligar(2, agora).Executar();
        GravarArquivos(1, {{"master", std::string(kPastaDeDadosPadrao) + "master.mdf", 'D',
                            "PRIMARY", 1, 4096, -1, 10, true},
                           {"mastlog", std::string(kPastaDeDadosPadrao) + "mastlog.ldf", 'L', "", 2,
                            1024, -1, 10, true}});
        InserirLogin("sa", "", true, false);
        InserirLogin(UsuarioDoSistemaOperacional(), "", true, true);
        Comando guardar(master_,
                        "INSERT INTO srv_parametros (nome, valor) VALUES ('versao_do_produto', ?)");
        guardar.Ligar(1, pedida.produto).Executar();
    }
    Comando(master_,
            "INSERT OR REPLACE INTO srv_parametros (nome, valor) "
            "VALUES ('versao_do_esquema', ?)")
        .Ligar(1, VersaoDoEsquema())
        .Executar();
    // A folder from before versions were kept is the default version.
    Comando ler(master_, "SELECT valor FROM srv_parametros WHERE nome = 'versao_do_produto'");
    versao_ = ler.Passo() ? &VersaoDoProduto(ler.Texto(0)) : &VersaoPadrao();
    ExigirMesmaVersao(pasta_.string(), *versao_, versao);
    transacao.Confirmar();
}

std::string Servidor::Nome() const {
    return pasta_.filename().string();
}

std::string Servidor::TextoDaVersao() const {
    return versao_->nome + " - " + versao_->produto +
           " (X64) \n\tSimulador do Zolvek sobre SQLite " + sqlite3_libversion() + "\n";
}

std::string Servidor::UsuarioDoSistema() {
    return UsuarioDoSistemaOperacional();
}

std::filesystem::path Servidor::CaminhoSqlite(const std::string& nomeDoArquivo) const {
    return pasta_ / nomeDoArquivo;
}

// ---- logins -------------------------------------------------------------------------

void Servidor::InserirLogin(const std::string& nome, const std::string& senha, bool sysadmin,
                            bool integrado) {
    Comando inserir(master_,
                    "INSERT OR IGNORE INTO srv_logins (chave, nome, senha, sysadmin, integrado, "
                    "criacao) VALUES (?, ?, ?, ?, ?, ?)");
    inserir.Ligar(1, ChaveDeNome(nome))
        .Ligar(2, nome)
        .Ligar(3, integrado ? std::string() : GuardarSenha(senha))
        .Ligar(4, std::int64_t{sysadmin})
        .Ligar(5, std::int64_t{integrado})
        .Ligar(6, AgoraComoTexto())
        .Executar();
}

Login Servidor::Autenticar(const std::string& login, const std::string& senha) {
    std::lock_guard trava(mutex_);
    Comando ler(master_, kLerLoginComSenha);
    ler.Ligar(1, ChaveDeNome(login));
    if (!ler.Passo() || !SenhaConfere(ler.Texto(5), senha)) throw FalhaDeLogin(login);
    const Login encontrado = LoginLido(ler);
    ExigirHabilitado(encontrado);
    if (EhSenhaAntiga(ler.Texto(5), senha)) {
        Comando trocar(master_, "UPDATE srv_logins SET senha = ? WHERE chave = ?");
        trocar.Ligar(1, GuardarSenha(senha)).Ligar(2, ChaveDeNome(login)).Executar();
    }
    return encontrado;
}

Login Servidor::AutenticarIntegrado() {
    std::lock_guard trava(mutex_);
    const std::string usuario = UsuarioDoSistemaOperacional();
    const auto login = AcharLogin(usuario);
    if (!login || !login->integrado) throw FalhaDeLogin(usuario);
    ExigirHabilitado(*login);
    return *login;
}

void Servidor::CriarLogin(const std::string& nome, const std::string& senha, bool sysadmin) {
    std::lock_guard trava(mutex_);
    if (ChaveDeNome(nome).empty()) throw ErroDoServidor(102, {"'LOGIN'"});
    Transacao transacao(master_);
    if (AcharLogin(nome)) throw ErroDoServidor(15025, {nome});
    InserirLogin(nome, senha, sysadmin, false);
    transacao.Confirmar();
}

void Servidor::CriarLoginIntegrado(const std::string& nome, bool sysadmin) {
    std::lock_guard trava(mutex_);
    if (ChaveDeNome(nome).empty()) throw ErroDoServidor(102, {"'LOGIN'"});
    Transacao transacao(master_);
    if (AcharLogin(nome)) throw ErroDoServidor(15025, {nome});
    InserirLogin(nome, "", sysadmin, true);
    transacao.Confirmar();
}

std::optional<Login> Servidor::AcharLogin(const std::string& nome) {
    std::lock_guard trava(mutex_);
    const std::string sql = std::string(kLerLogins) + " WHERE l.chave = ?";
    Comando ler(master_, sql.c_str());
    ler.Ligar(1, ChaveDeNome(nome));
    if (!ler.Passo()) return std::nullopt;
    return LoginLido(ler);
}

std::vector<Login> Servidor::ListarLogins() {
    std::lock_guard trava(mutex_);
    Comando ler(master_, kListarLogins);
    std::vector<Login> logins;
    while (ler.Passo()) {
        logins.push_back(LoginLido(ler));
        logins.back().id = ler.Inteiro(5);
        logins.back().criacao = LerDataHora(ler.Texto(6));
    }
    return logins;
}

}  // namespace zolvek::simulador

namespace zolvek::simulador {

namespace {

ErroDeBanco LoginInalteravel(const std::string& nome) {
    return ErroDoServidor(15151, {"alter", "login", nome});
}

}  // namespace

ErroDeBanco BancoPadraoInexistente(const std::string& banco) {
    return ErroDoServidor(
        15010,
        {banco, "Supply a valid database name. To see available databases, use sys.databases."});
}

void Servidor::AlterarLogin(const std::string& nome, const AlteracaoDeLogin& a,
                            const Login& quemPede) {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    const auto login = AcharLogin(nome);
    const bool proprio = login && ChaveDeNome(login->nome) == ChaveDeNome(quemPede.nome);
    if (!login ||
        !(quemPede.sysadmin || (proprio && !a.desabilitado && (!a.senha || a.senhaAntiga))))
        throw LoginInalteravel(nome);
    if (a.senha) {
        if (login->integrado) throw ErroDoServidor(15080);
        Comando ler(master_, "SELECT senha FROM srv_logins WHERE chave = ?");
        ler.Ligar(1, ChaveDeNome(nome));
        if (a.senhaAntiga && (!ler.Passo() || !SenhaConfere(ler.Texto(0), *a.senhaAntiga)))
            throw LoginInalteravel(nome);
        Comando trocar(master_, "UPDATE srv_logins SET senha = ? WHERE chave = ?");
        trocar.Ligar(1, GuardarSenha(*a.senha)).Ligar(2, ChaveDeNome(nome)).Executar();
    }
    Comando(master_, "INSERT OR IGNORE INTO srv_atributos_dos_logins (chave) VALUES (?)")
        .Ligar(1, ChaveDeNome(nome))
        .Executar();
    if (a.bancoPadrao) {
        const auto banco = AcharBanco(*a.bancoPadrao);
        if (!banco) throw BancoPadraoInexistente(*a.bancoPadrao);
        Comando(master_, "UPDATE srv_atributos_dos_logins SET banco_padrao = ? WHERE chave = ?")
            .Ligar(1, banco->nome)
            .Ligar(2, ChaveDeNome(nome))
            .Executar();
    }
    if (a.desabilitado)
        Comando(master_, "UPDATE srv_atributos_dos_logins SET desabilitado = ? WHERE chave = ?")
            .Ligar(1, std::int64_t{*a.desabilitado})
            .Ligar(2, ChaveDeNome(nome))
            .Executar();
    transacao.Confirmar();
}

void Servidor::DefinirSysadmin(const std::string& nome, bool sysadmin) {
    std::lock_guard trava(mutex_);
    if (!sysadmin && ChaveDeNome(nome) == ChaveDeNome("sa")) throw ErroDoServidor(15405);
    Comando(master_, "UPDATE srv_logins SET sysadmin = ? WHERE chave = ?")
        .Ligar(1, std::int64_t{sysadmin})
        .Ligar(2, ChaveDeNome(nome))
        .Executar();
}

}  // namespace zolvek::simulador
