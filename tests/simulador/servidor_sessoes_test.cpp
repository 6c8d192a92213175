#include <gtest/gtest.h>

#include <sqlite3.h>

#include <set>

#include "comum/erros.hpp"
#include "simulador/servidor/sinal.hpp"
#include "simulador/servidor_apoio.hpp"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using zolvek::simulador::DefinicaoDeBanco;
using zolvek::simulador::Login;
using zolvek::simulador::Servidor;

class Sessoes : public PastaDeServidor {
  protected:
    void SetUp() override {
        PastaDeServidor::SetUp();
        servidor_ = std::make_unique<Servidor>(pasta_);
        servidor_->CriarBanco(DefinicaoDeBanco{"EMPRESA", {}, {}});
        sa_ = servidor_->Autenticar("sa", "");
    }
    void TearDown() override {
        servidor_.reset();
        PastaDeServidor::TearDown();
    }
    std::unique_ptr<Servidor> servidor_;
    Login sa_;
};

TEST_F(Sessoes, DuasSessoesAparecemEFechamSemRastro) {
    auto a = servidor_->AbrirSessao(sa_, "empresa", "PC1", "Zolvek");
    auto b = servidor_->AbrirSessao(Login{"joao", false}, "", "PC2", "ERP");
    EXPECT_NE(a.spid, b.spid);
    EXPECT_GE(a.spid, 51);
    EXPECT_EQ(a.arquivoSqlite, servidor_->AcharBanco("EMPRESA")->arquivoSqlite);

    auto sessoes = servidor_->ListarSessoes();
    ASSERT_EQ(sessoes.size(), 2u);
    EXPECT_EQ(sessoes[0].login, "sa");
    EXPECT_EQ(sessoes[0].host, "PC1");
    EXPECT_EQ(sessoes[0].programa, "Zolvek");
    EXPECT_EQ(sessoes[0].banco, "EMPRESA");
    EXPECT_EQ(sessoes[1].banco, "master");
    EXPECT_EQ(sessoes[1].status, "sleeping");
    EXPECT_GE(sessoes[1].horaDoLogin.ano, 2020);

    servidor_->FecharSessao(a.spid);
    EXPECT_FALSE(servidor_->SessaoViva(a.spid));
    EXPECT_TRUE(servidor_->SessaoViva(b.spid));
    ASSERT_EQ(servidor_->ListarSessoes().size(), 1u);

    EXPECT_EQ(MensagemDe([&] { servidor_->AbrirSessao(sa_, "NADA", "PC1", "Zolvek"); }),
              "Cannot open database \"NADA\" requested by the login. The login failed.");
    EXPECT_EQ(MensagemDe([&] { servidor_->TrocarBanco(b.spid, "NADA"); }),
              "Database 'NADA' does not exist. Make sure that the name is entered correctly.");
}

TEST_F(Sessoes, UsuarioUnicoRecusaOutraSessao) {
    auto minha = servidor_->AbrirSessao(sa_, "EMPRESA", "PC1", "Zolvek");
    auto outra = servidor_->AbrirSessao(sa_, "EMPRESA", "PC2", "ERP");
    EXPECT_EQ(MensagemDe([&] { servidor_->DefinirUsuarioUnico("EMPRESA", true, minha.spid); }),
              "ALTER DATABASE failed because a lock could not be placed on database 'EMPRESA'. "
              "Try again later.");
    EXPECT_FALSE(servidor_->LerOpcao("EMPRESA", "single user"));

    servidor_->FecharSessao(outra.spid);
    servidor_->DefinirUsuarioUnico("EMPRESA", true, minha.spid);
    EXPECT_TRUE(servidor_->LerOpcao("EMPRESA", "single user"));
    EXPECT_TRUE(servidor_->AcharBanco("EMPRESA")->usuarioUnico);
    const std::string ocupado =
        "Database 'EMPRESA' is already open and can only have one user at a time.";
    EXPECT_EQ(MensagemDe([&] { servidor_->AbrirSessao(sa_, "EMPRESA", "PC2", "ERP"); }), ocupado);
    auto noMaster = servidor_->AbrirSessao(sa_, "master", "PC2", "ERP");
    EXPECT_EQ(MensagemDe([&] { servidor_->TrocarBanco(noMaster.spid, "EMPRESA"); }), ocupado);

    servidor_->DefinirUsuarioUnico("EMPRESA", false, minha.spid);
    EXPECT_FALSE(servidor_->LerOpcao("EMPRESA", "single user"));
    servidor_->TrocarBanco(noMaster.spid, "EMPRESA");
}

TEST_F(Sessoes, UsuarioUnicoComRollbackEncerraAsOutras) {
    auto minha = servidor_->AbrirSessao(sa_, "EMPRESA", "PC1", "Zolvek");
    auto outra = servidor_->AbrirSessao(sa_, "EMPRESA", "PC2", "ERP");
    servidor_->DefinirUsuarioUnico("EMPRESA", true, minha.spid, true);
    EXPECT_TRUE(servidor_->SessaoViva(minha.spid));
    EXPECT_FALSE(servidor_->SessaoViva(outra.spid));
}

TEST_F(Sessoes, MatarPorLoginEComputadorDeixaOsOutros) {
    auto joaoPc1 = servidor_->AbrirSessao(Login{"joao", false}, "EMPRESA", "PC1", "ERP");
    auto joaoPc1b = servidor_->AbrirSessao(Login{"joao", false}, "EMPRESA", "PC1", "ERP");
    auto joaoPc2 = servidor_->AbrirSessao(Login{"joao", false}, "EMPRESA", "PC2", "ERP");
    auto mariaPc1 = servidor_->AbrirSessao(Login{"maria", false}, "EMPRESA", "PC1", "ERP");
    EXPECT_EQ(servidor_->MatarSessoes("JOAO", "pc1"), 2);
    EXPECT_FALSE(servidor_->SessaoViva(joaoPc1.spid));
    EXPECT_FALSE(servidor_->SessaoViva(joaoPc1b.spid));
    EXPECT_TRUE(servidor_->SessaoViva(joaoPc2.spid));
    EXPECT_TRUE(servidor_->SessaoViva(mariaPc1.spid));

    EXPECT_EQ(MensagemDe([&] { servidor_->MatarSessao(mariaPc1.spid, mariaPc1.spid); }),
              "Cannot use KILL to kill your own process.");
    servidor_->MatarSessao(mariaPc1.spid, joaoPc2.spid);
    EXPECT_FALSE(servidor_->SessaoViva(mariaPc1.spid));
    EXPECT_EQ(MensagemDe([&] { servidor_->MatarSessao(mariaPc1.spid, joaoPc2.spid); }),
              "Process ID " + std::to_string(mariaPc1.spid) + " is not an active process ID.");
    // A killed session not closed yet keeps its number: it must not read as alive again.
    auto nova = servidor_->AbrirSessao(sa_, "EMPRESA", "PC9", "ERP");
    EXPECT_NE(nova.spid, joaoPc1.spid);
    EXPECT_TRUE(servidor_->SessaoViva(nova.spid));
    EXPECT_FALSE(servidor_->SessaoViva(joaoPc1.spid));
    servidor_->FecharSessao(joaoPc1.spid);
    EXPECT_EQ(servidor_->AbrirSessao(sa_, "EMPRESA", "PC9", "ERP").spid, joaoPc1.spid);
}

// Another server object of the folder (another process, or a listener beside the
// program) hands the killed session's number out again: the session it killed still
// reads as gone.
TEST_F(Sessoes, NumeroDeUmaSessaoMortaDadoPorOutroServidorNaoARevive) {
    Servidor outro(pasta_);
    auto morta = servidor_->AbrirSessao(sa_, "EMPRESA", "PC1", "Zolvek");
    outro.MatarSessao(morta.spid, 0);
    auto nova = outro.AbrirSessao(sa_, "EMPRESA", "PC2", "ERP");
    EXPECT_EQ(nova.spid, morta.spid);
    EXPECT_FALSE(servidor_->SessaoViva(morta.spid));
    EXPECT_TRUE(outro.SessaoViva(nova.spid));
    servidor_->FecharSessao(morta.spid);  // leaves the other server's session alone
    EXPECT_TRUE(outro.SessaoViva(nova.spid));
    ASSERT_EQ(outro.ListarSessoes().size(), 1u);
}

// A folder made before sessions were kept by spid alone keeps its table of sessions (a
// rowid key counted by AUTOINCREMENT beside a unique spid): it serves as before.
TEST_F(Sessoes, TabelaDeSessoesDeUmaPastaAntigaContinuaServindo) {
    servidor_.reset();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((pasta_ / "servidor.sqlite").string().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP TABLE srv_sessoes;"
                           "CREATE TABLE srv_sessoes ("
                           "chave INTEGER PRIMARY KEY AUTOINCREMENT, spid INTEGER NOT NULL UNIQUE,"
                           "login TEXT NOT NULL, chave_login TEXT NOT NULL, host TEXT NOT NULL,"
                           "chave_host TEXT NOT NULL, programa TEXT NOT NULL, banco INTEGER NOT "
                           "NULL, pid INTEGER NOT NULL, maquina TEXT NOT NULL, inicio_processo "
                           "TEXT NOT NULL, hora_login TEXT NOT NULL, ultimo_lote TEXT NOT NULL, "
                           "status TEXT NOT NULL)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    servidor_ = std::make_unique<Servidor>(pasta_);
    auto a = servidor_->AbrirSessao(sa_, "EMPRESA", "PC1", "Zolvek");
    auto b = servidor_->AbrirSessao(sa_, "master", "PC2", "ERP");
    EXPECT_EQ(servidor_->ListarSessoes().size(), 2u);
    servidor_->MatarSessao(b.spid, a.spid);
    EXPECT_FALSE(servidor_->SessaoViva(b.spid));
    EXPECT_TRUE(servidor_->SessaoViva(a.spid));
    EXPECT_EQ(servidor_->TrocarBanco(a.spid, "master"),
              servidor_->AcharBanco("master")->arquivoSqlite);
    servidor_->FecharSessao(a.spid);
    EXPECT_TRUE(servidor_->ListarSessoes().empty());
}

TEST_F(Sessoes, TransacaoAbertaNoBancoMasterNaoPrendeOServidor) {
    sqlite3* master = nullptr;
    ASSERT_EQ(
        sqlite3_open(servidor_->AcharBanco("master")->arquivoSqlite.string().c_str(), &master),
        SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(master, "BEGIN IMMEDIATE; CREATE TABLE t (x);", nullptr, nullptr, nullptr),
        SQLITE_OK);
    auto sessao = servidor_->AbrirSessao(sa_, "master", "PC1", "Zolvek");
    servidor_->CriarBanco(DefinicaoDeBanco{"OUTRO", {}, {}});
    EXPECT_EQ(servidor_->ListarSessoes().size(), 1u);
    servidor_->FecharSessao(sessao.spid);
    sqlite3_exec(master, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(master);
}

#ifndef _WIN32

namespace {

// A child process that opens a session on `banco` and writes its spid to the parent,
// then waits until it is killed or the parent is gone.
pid_t SessaoEmOutroProcesso(const std::filesystem::path& pasta, const std::string& banco, int& spid,
                            int& vidaDoPai) {
    int resposta[2], vida[2];
    if (pipe(resposta) != 0) return -1;
    if (pipe(vida) != 0) return -1;
    pid_t filho = fork();
    if (filho == 0) {
        close(resposta[0]);
        close(vida[1]);
        int resultado = -1;
        std::unique_ptr<Servidor> servidor;
        try {
            servidor = std::make_unique<Servidor>(pasta);
            auto login = servidor->Autenticar("sa", "");
            resultado = servidor->AbrirSessao(login, banco, "OUTRO-PC", "Auxiliar").spid;
        } catch (...) {
        }
        if (write(resposta[1], &resultado, sizeof resultado) != sizeof resultado) _exit(1);
        char c;
        while (read(vida[0], &c, 1) > 0) {
        }
        _exit(0);
    }
    close(resposta[1]);
    close(vida[0]);
    vidaDoPai = vida[1];
    spid = -1;
    if (read(resposta[0], &spid, sizeof spid) != sizeof spid) spid = -1;
    close(resposta[0]);
    return filho;
}

void Encerrar(pid_t filho, int vidaDoPai) {
    kill(filho, SIGKILL);
    waitpid(filho, nullptr, 0);
    close(vidaDoPai);
}

}  // namespace

// The counter every process of the folder maps: a change one announces, all see.
TEST_F(Sessoes, SinalCompartilhadoPelosProcessos) {
    const auto arquivo = pasta_ / "teste.sinal";
    zolvek::simulador::interno::Sinal um(arquivo), outro(arquivo);
    const auto antes = outro.Ler();
    EXPECT_EQ(um.Avisar(), antes);
    EXPECT_EQ(outro.Ler(), antes + 1);
    const pid_t filho = fork();
    if (filho == 0) {
        zolvek::simulador::interno::Sinal noFilho(arquivo);
        noFilho.Avisar();
        _exit(0);
    }
    waitpid(filho, nullptr, 0);
    EXPECT_EQ(um.Ler(), antes + 2);
    // where nothing can be mapped, every reading counts as a change
    zolvek::simulador::interno::Sinal semArquivo(pasta_ / "nao" / "existe" / "x.sinal");
    EXPECT_NE(semArquivo.Ler(), semArquivo.Ler());
}

TEST_F(Sessoes, SessaoDeOutroProcessoApareceESomeQuandoEleMorre) {
    int spid = 0, vida = -1;
    pid_t filho = SessaoEmOutroProcesso(pasta_, "EMPRESA", spid, vida);
    ASSERT_GT(filho, 0);
    ASSERT_GE(spid, 51);

    auto sessoes = servidor_->ListarSessoes();
    ASSERT_EQ(sessoes.size(), 1u);
    EXPECT_EQ(sessoes[0].spid, spid);
    EXPECT_EQ(sessoes[0].login, "sa");
    EXPECT_EQ(sessoes[0].host, "OUTRO-PC");
    EXPECT_EQ(sessoes[0].pid, filho);
    EXPECT_GE(sessoes[0].horaDoLogin.ano, 2020);
    auto minha = servidor_->AbrirSessao(sa_, "EMPRESA", "PC1", "Zolvek");
    EXPECT_NE(MensagemDe([&] { servidor_->DefinirUsuarioUnico("EMPRESA", true, minha.spid); }), "");

    Encerrar(filho, vida);
    EXPECT_TRUE(servidor_->ListarSessoes().size() == 1u);
    EXPECT_FALSE(servidor_->SessaoViva(spid));
    servidor_->DefinirUsuarioUnico("EMPRESA", true, minha.spid);
}

TEST_F(Sessoes, ProcessoMortoSemSerRecolhidoNaoSeguraOBanco) {
    int spid = 0, vida = -1;
    pid_t filho = SessaoEmOutroProcesso(pasta_, "EMPRESA", spid, vida);
    ASSERT_GT(filho, 0);
    ASSERT_GE(spid, 51);
    kill(filho, SIGKILL);
    // Not reaped yet: a zombie still answers kill(pid, 0).
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(filho), &info, WEXITED | WNOWAIT);
    EXPECT_EQ(MensagemDe([&] { servidor_->ExcluirBanco("EMPRESA"); }), "");
    waitpid(filho, nullptr, 0);
    close(vida);
}

TEST_F(Sessoes, DoisProcessosCriandoBancosAoMesmoTempo) {
    pid_t filho = fork();
    if (filho == 0) {
        int falhas = 0;
        try {
            Servidor servidor(pasta_);
            for (int i = 0; i < 8; ++i)
                servidor.CriarBanco(DefinicaoDeBanco{"FILHO" + std::to_string(i), {}, {}});
        } catch (...) {
            falhas = 1;
        }
        _exit(falhas);
    }
    for (int i = 0; i < 8; ++i)
        servidor_->CriarBanco(DefinicaoDeBanco{"PAI" + std::to_string(i), {}, {}});
    int estado = -1;
    waitpid(filho, &estado, 0);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    auto bancos = servidor_->ListarBancos();
    EXPECT_EQ(bancos.size(), 18u);
    std::set<std::filesystem::path> arquivos;
    for (const auto& b : bancos) arquivos.insert(b.arquivoSqlite);
    EXPECT_EQ(arquivos.size(), bancos.size());
}

#endif
