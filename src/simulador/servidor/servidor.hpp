#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/valor.hpp"
#include "simulador/servidor/versoes.hpp"

struct sqlite3;

namespace zolvek::simulador::interno {
class Sinal;
class Comando;
}  // namespace zolvek::simulador::interno

// The server side of the SQL Server stand-in. A "server" is a folder: the file
// servidor.sqlite holds everything that belongs to the server (logins, databases and
// their files and options, sessions); each database, master included, is a SQLite file
// of the folder whose inside belongs to the engine. Several processes may work on the
// same folder at once: every change to the server's state is one SQLite transaction,
// so a process that dies leaves it consistent, and its sessions vanish once its pid is
// gone.
//
// Failures raise ErroDeBanco with SQL Server's own message text. Permission checks
// are the engine's (it knows the database roles); the server only says who is
// sysadmin. One object may be shared by the threads of a process (calls are
// serialized); each process opens its own.
namespace zolvek::simulador {

// The product version of a folder created without a choice of version (versoes.hpp).
inline constexpr const char* kVersaoDoProduto = "11.0.2100.60";
// Where the physical file names of a database point when its creation gives none.
inline constexpr const char* kPastaDeDadosPadrao =
    "C:\\Program Files\\Microsoft SQL Server\\MSSQL11.MSSQLSERVER\\MSSQL\\DATA\\";

struct Login {
    std::string nome;
    bool sysadmin = false;
    bool desabilitado = false;           // ALTER LOGIN ... DISABLE
    bool integrado = false;              // FROM WINDOWS
    std::string bancoPadrao = "master";  // DEFAULT_DATABASE
    std::int64_t id = 0;                 // its row in the server file: the order of creation
    db::DataHora criacao{};              // shown by ListarLogins only
};

// ALTER LOGIN x WITH PASSWORD = ... [OLD_PASSWORD = ...], DEFAULT_DATABASE = ..., and
// ENABLE/DISABLE: what is to change.
struct AlteracaoDeLogin {
    std::optional<std::string> senha;
    std::optional<std::string> senhaAntiga;
    std::optional<std::string> bancoPadrao;
    std::optional<bool> desabilitado;
};

// One file of a database, as sys.master_files, sp_helpfile and RESTORE FILELISTONLY
// show it. Sizes are metadata only (the SQLite file holds the data).
struct ArquivoDoBanco {
    std::string nomeLogico;  // NAME = ...
    std::string nomeFisico;  // FILENAME = '...', as given (a path as the server sees it)
    char tipo = 'D';         // 'D' data, 'L' log
    std::string grupo;       // "PRIMARY" for data files, empty for the log
    int id = 1;              // file_id: 1 the primary data file, 2 the first log file, ...
    std::int64_t tamanhoKb = 0;
    std::int64_t tamanhoMaximoKb = -1;  // -1 unlimited
    std::int64_t crescimento = 10;      // percent when crescimentoEmPorcentagem, else KB
    bool crescimentoEmPorcentagem = true;
};

// CREATE DATABASE: an empty list of data (or log) files gets the default file.
struct DefinicaoDeBanco {
    std::string nome;
    std::vector<ArquivoDoBanco> dados;
    std::vector<ArquivoDoBanco> log;
};

struct InfoDoBanco {
    std::string nome;
    int id = 0;  // database_id: master is 1, user databases from 5
    db::DataHora criacao;
    bool usuarioUnico = false;  // user_access_desc SINGLE_USER / MULTI_USER
    std::string estado;         // state_desc: "ONLINE" or "RESTORING"
    std::vector<ArquivoDoBanco> arquivos;
    std::vector<std::string> opcoesLigadas;  // sp_dboption names of the options set
    std::filesystem::path arquivoSqlite;     // the SQLite file the engine opens
};

// A row of master.dbo.sysprocesses.
struct InfoDaSessao {
    int spid = 0;
    std::string login;         // loginame
    std::string host;          // hostname (the client's Workstation ID)
    std::string programa;      // program_name
    std::string banco;         // DB_NAME(dbid)
    int idDoBanco = 0;         // dbid
    std::int64_t pid = 0;      // hostprocess
    db::DataHora horaDoLogin;  // login_time (local clock)
    db::DataHora ultimoLote;   // last_batch
    std::string status;        // "sleeping" or "runnable"
};

struct SessaoAberta {
    int spid = 0;
    std::filesystem::path arquivoSqlite;  // the file of the session's database
    std::string banco;                    // its name (the login's default when none was asked)
};

// BACKUP ... WITH NOINIT (the set is appended to the media set), INIT (it replaces the
// media's sets) or FORMAT (a new media set over whatever the file held).
enum class ModoDaMidia { Acrescentar, Iniciar, Formatar };

// MOVE 'logical' TO 'physical' of RESTORE DATABASE.
struct Movimento {
    std::string nomeLogico;
    std::string nomeFisico;
};

// DEFAULT_DATABASE naming a database there is not (15010).
ErroDeBanco BancoPadraoInexistente(const std::string& banco);

class Servidor {
  public:
    // Opens the server folder, creating it on first use with the server's state file, an
    // empty master database, the login "sa"
    // (empty password, sysadmin) and the operating-system user as a sysadmin login for
    // integrated security. Raises ErroDeBanco when the folder cannot be used.
    // `versao` ("10.50", "11.0", ...; empty: the default) is the version a new folder
    // is created as; an existing folder of another version is refused (ErroDeEntrada).
    explicit Servidor(const std::filesystem::path& pasta, const std::string& versao = {});
    // Whether the folder is a server already (else the constructor creates one).
    static bool PastaCriada(const std::filesystem::path& pasta);
    // A connection to a folder that is no server yet, which the new server would refuse
    // (an unknown version, another login than "sa" without a password, a database other
    // than master), is refused before the folder is made, with the same errors.
    static void ExigirEntradaNaPastaNova(const std::string& versao, const std::string& login,
                                         const std::string& senha, bool integrada,
                                         const std::string& banco);
    ~Servidor();
    Servidor(const Servidor&) = delete;
    Servidor& operator=(const Servidor&) = delete;

    const std::filesystem::path& Pasta() const { return pasta_; }
    // @@SERVERNAME: the folder's name.
    std::string Nome() const;
    // The SQL Server version the folder was created as: xp_msver, SERVERPROPERTY.
    const VersaoDoServidor& Versao() const { return *versao_; }
    // @@VERSION.
    std::string TextoDaVersao() const;

    // ---- logins -----------------------------------------------------------------
    // "Login failed for user 'x'." for an unknown login or a wrong password.
    Login Autenticar(const std::string& login, const std::string& senha);
    // Integrated Security=SSPI: the operating-system user ("MAQUINA\usuario" form is
    // not used; the bare user name is the login).
    Login AutenticarIntegrado();
    static std::string UsuarioDoSistema();
    // "The server principal 'x' already exists."
    void CriarLogin(const std::string& nome, const std::string& senha, bool sysadmin = false);
    // CREATE LOGIN [x] FROM WINDOWS: a login that only integrated security opens.
    void CriarLoginIntegrado(const std::string& nome, bool sysadmin = false);
    std::optional<Login> AcharLogin(const std::string& nome);
    std::vector<Login> ListarLogins();
    // ALTER LOGIN by `quemPede`: a sysadmin changes anything of any login; another login
    // changes its own password (giving the old one) and default database. Otherwise
    // "Cannot alter the login 'x', because it does not exist or you do not have
    // permission." (15151), as for a wrong old password.
    void AlterarLogin(const std::string& nome, const AlteracaoDeLogin& alteracao,
                      const Login& quemPede);
    // ALTER SERVER ROLE sysadmin ADD/DROP MEMBER, sp_addsrvrolemember.
    void DefinirSysadmin(const std::string& nome, bool sysadmin);

    // ---- sessions -----------------------------------------------------------------
    // Opens a session of `login` on `banco` ("master" when empty). pid 0 means this
    // process. Refused with the login's failure texts when the database does not exist
    // ("Cannot open database "X" requested by the login. The login failed."), is in
    // single-user mode with another session in it, or is being restored.
    SessaoAberta AbrirSessao(const Login& login, const std::string& banco, const std::string& host,
                             const std::string& programa, std::int64_t pid = 0);
    // USE X: moves an open session to another database (same refusals, with the
    // texts of USE). Returns the file of the new database.
    std::filesystem::path TrocarBanco(int spid, const std::string& banco);
    // Silent; a session already gone is fine.
    void FecharSessao(int spid) noexcept;
    // False once the session was killed (KILL, MatarProcesso, restore or drop with
    // rollback) or closed. The engine asks before each batch.
    bool SessaoViva(int spid);
    // A counter the processes of the folder share that moves whenever a session is killed
    // or a database's catalog changes (AvisarMudanca, after the change is committed): a
    // session asks SessaoViva and reads its catalog's version again only when it moved.
    std::uint64_t Sinal();
    // Returns the value before.
    std::uint64_t AvisarMudanca();
    // Marks the session busy/idle and stamps last_batch.
    void MarcarLote(int spid, bool emExecucao);
    // Every live session, ordered by spid; sessions of dead processes are removed first.
    std::vector<InfoDaSessao> ListarSessoes();
    std::optional<InfoDaSessao> AcharSessao(int spid);
    // MatarProcesso: ends every session of that login on that host (case-insensitive),
    // the caller's own included when it matches. Returns how many ended.
    int MatarSessoes(const std::string& login, const std::string& host);
    // KILL n. "Process ID n is not an active process ID." /
    // "Cannot use KILL to kill your own process."
    void MatarSessao(int spid, int spidQuePede);

    // ---- databases ------------------------------------------------------------------
    std::vector<InfoDoBanco> ListarBancos();
    // Names compare without letter case.
    std::optional<InfoDoBanco> AcharBanco(const std::string& nome);
    std::optional<InfoDoBanco> AcharBancoPorId(int id);
    // A database sessions may enter: "Database 'X' does not exist. ..." / "... cannot be
    // opened. It is in the middle of a restore." otherwise.
    InfoDoBanco AcharBancoOnline(const std::string& nome);
    // "Database 'X' already exists. Choose a different database name."; an empty SQLite
    // file is created for the engine.
    InfoDoBanco CriarBanco(const DefinicaoDeBanco& definicao);
    // DROP DATABASE. "Cannot drop database "X" because it is currently in use." when
    // any session (the caller's too) is in it.
    void ExcluirBanco(const std::string& nome);

    // sp_dboption. Option names as sp_dboption lists them ('single user',
    // 'trunc. log on chkpt.', 'select into/bulkcopy', 'autoshrink', ...); a unique
    // prefix is accepted. Values 'true'/'on'/'false'/'off'.
    static std::vector<std::string> OpcoesValidas();
    // The canonical option name; "Database option 'x' does not exist. Specify a valid
    // database option." otherwise.
    static std::string NomeDaOpcao(const std::string& opcao);
    bool LerOpcao(const std::string& banco, const std::string& opcao);
    void DefinirOpcao(const std::string& banco, const std::string& opcao, const std::string& valor,
                      int spidQuePede);
    // ALTER DATABASE X SET SINGLE_USER [WITH ROLLBACK IMMEDIATE] / SET MULTI_USER.
    // Without rollback, another session in the database makes it fail with "ALTER
    // DATABASE failed because a lock could not be placed on database 'X'. Try again
    // later."; with it, the other sessions are killed. The caller's own session may
    // stay in the database.
    void DefinirUsuarioUnico(const std::string& banco, bool usuarioUnico, int spidQuePede,
                             bool encerrarOutras = false);

    // ---- backup and restore -----------------------------------------------------------
    // Where a path given in BACKUP/RESTORE ... DISK = '...' lands, always inside the server
    // folder: relative ones under its "Backup" folder, a Windows drive path
    // ("D:\Copias\x.bak") under its "discos/D", an absolute path of this machine only when
    // it lies inside the folder (else "... Operating system error 5(Access is denied.)."). A
    // ".." that climbs out of the drive or the server folder, and network paths, are refused
    // with "Cannot open backup device '...'. Operating system error 3(The system cannot find
    // the path specified.)."; a path through a symbolic link with error 5.
    std::filesystem::path CaminhoDeDisco(const std::string& disco) const;
    // BACKUP DATABASE X TO DISK = '...': a consistent copy with its file list and a
    // checksum of each page, written as a backup set of the media set in the file (see
    // ModoDaMidia). Only regular files are written, never a device, and never a file at
    // the top of the server folder, where the live database files are.
    void FazerBackup(const std::string& banco, const std::string& disco,
                     ModoDaMidia modo = ModoDaMidia::Acrescentar);
    // RESTORE FILELISTONLY FROM DISK = '...' WITH FILE = n (sets count from 1). "Cannot
    // open backup device '...'. Operating system error 2(The system cannot find the file
    // specified.)." / "The media family on device '...' is incorrectly formed. ..." /
    // "Cannot find file ID n on device '...'."
    std::vector<ArquivoDoBanco> ListarArquivosDoBackup(const std::string& disco, int conjunto = 1);
    // The name of the database set n was taken from.
    std::string BancoDoBackup(const std::string& disco, int conjunto = 1);
    // RESTORE VERIFYONLY: the checks of a restore (each page's checksum, the database's
    // structure) without restoring. "RESTORE detected an error on page (1:n) in database
    // "X" as read from the backup set." or "Damage to the backup set was detected." when the
    // set is damaged. Rows that break an untrusted CHECK constraint are data, not damage.
    void VerificarBackup(const std::string& disco, int conjunto = 1);
    // RESTORE DATABASE X FROM DISK = '...' WITH [REPLACE], MOVE ..., FILE = n. The set
    // is checked as VerificarBackup does before anything is replaced. Refused while any
    // session is in X. Creates X when it does not exist. Without REPLACE an existing
    // database of another name is refused. The files of X become the backup's logical
    // files at the physical names given by MOVE (else the backup's own).
    void Restaurar(const std::string& banco, const std::string& disco,
                   const std::vector<Movimento>& movimentos, bool substituir, int conjunto = 1);

  private:
    // The database's row alone, without its files and options: what a session's opening
    // needs (a query fewer on every connection).
    std::optional<InfoDoBanco> AcharLinhaDoBanco(const std::string& nome);
    InfoDoBanco LinhaDoBanco(const interno::Comando& ler) const;
    void LerArquivosEOpcoes(InfoDoBanco& info);
    bool LerEsquemaPronto(const std::string& versao);
    void RemoverSobras() noexcept;
    void CriarEsquema(const std::string& versao);
    void InserirLogin(const std::string& nome, const std::string& senha, bool sysadmin,
                      bool integrado);
    // Inside a master transaction: removes the sessions of processes of this machine
    // that are gone. Returns the spids of the sessions left.
    std::set<int> LimparSessoesMortas();
    int ContarSessoesNoBanco(int idDoBanco, int excetoSpid);
    std::string NovoNomeDeArquivo(const std::string& banco);
    void ExigirArquivosLivres(const std::vector<ArquivoDoBanco>& arquivos, int idDoBanco,
                              bool criando);
    void GravarArquivos(int idDoBanco, const std::vector<ArquivoDoBanco>& arquivos);
    std::filesystem::path CaminhoSqlite(const std::string& nomeDoArquivo) const;
    bool DentroDaPasta(std::vector<std::string>& partes) const;
    std::filesystem::path SemLigacoes(const std::filesystem::path& caminho,
                                      const std::string& disco) const;

    std::filesystem::path pasta_;
    const VersaoDoServidor* versao_ = nullptr;
    sqlite3* master_ = nullptr;  // the server's state file
    std::unique_ptr<interno::Sinal> sinal_;
    std::recursive_mutex mutex_;
    std::map<int, std::int64_t> minhasSessoes_;  // spid -> the row's unique key
    std::string maquina_;
    std::int64_t pid_ = 0;
    std::string inicioDoProcesso_;
};

}  // namespace zolvek::simulador
