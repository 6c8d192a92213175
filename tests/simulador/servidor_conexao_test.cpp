#include <atomic>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "ambiente.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/sessao/sessao.hpp"

// What a client sees of the server through its connection string and its sessions.
class ConexaoAoServidor : public SimuladorTeste {};

TEST_F(ConexaoAoServidor, SenhasComPontoEVirgulaEBrancosNasFormasEntreAspas) {
    Sql("CREATE LOGIN Op1 WITH PASSWORD = 'a;b'");
    Sql("CREATE LOGIN Op2 WITH PASSWORD = ' x}y '");
    Sql("CREATE USER Op1 FOR LOGIN Op1");
    Sql("CREATE USER Op2 FOR LOGIN Op2");
    const std::string base =
        "Provider=Simulador;Data Source=" + pasta_.string() + ";Initial Catalog=Teste;User ID=";
    for (const std::string& cadeia :
         {base + "Op1;Password=\"a;b\"", base + "Op1;Password='a;b'", base + "Op1;Password={a;b}",
          base + "Op2;Password=\" x}y \"", base + "Op2;Password={ x}}y }"}) {
        auto c = zolvek::simulador::CriarConector(cadeia);
        EXPECT_NO_THROW(c->Abrir()) << cadeia;
    }
    auto errada = zolvek::simulador::CriarConector(base + "Op1;Password=a;b");
    try {
        errada->Abrir();
        ADD_FAILURE() << "a senha cortada no ';' não pode entrar";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("A string de conexão é inválida", 0), 0u) << e.what();
    }
}

// Another process's change of the catalog and its KILL reach a session before its next
// batch, though the session asks the server only when the folder's shared counter moved.
TEST_F(ConexaoAoServidor, OutroProcessoMudaOCatalogoEMataASessao) {
    Sql("CREATE TABLE T (a INT NULL)");
    EXPECT_EQ(Sql("SELECT * FROM T").colunas.size(), 1u);
    const std::string spid = Valor("SELECT @@SPID");
    // the child opens the folder afresh: no connection of the parent crosses the fork
    auto emOutroProcesso = [&](const std::string& lote) {
        const pid_t filho = fork();
        if (filho == 0) {
            try {
                auto servidor = std::make_shared<zolvek::simulador::Servidor>(pasta_);
                zolvek::simulador::Sessao sessao(servidor, servidor->Autenticar("sa", ""), "Teste",
                                                 "OUTRO-PC", "Auxiliar");
                sessao.ExecutarLote(lote, {});
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        int estado = -1;
        waitpid(filho, &estado, 0);
        return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    };
    ASSERT_EQ(emOutroProcesso("ALTER TABLE T ADD b INT NULL"), 0);
    EXPECT_EQ(Sql("SELECT * FROM T").colunas.size(), 2u);
    ASSERT_EQ(emOutroProcesso("KILL " + spid), 0);
    EXPECT_NE(Falha("SELECT 1").find("foi eliminada"), std::string::npos);
}

// A connection the new server would refuse leaves no server folder behind.
TEST_F(ConexaoAoServidor, ConexaoRecusadaNaoCriaAPasta) {
    const std::filesystem::path nova = pasta_.string() + "_nova";
    auto tentar = [&](const std::string& resto) {
        try {
            zolvek::simulador::CriarConector("Provider=Simulador;Data Source=" + nova.string() +
                                             ";" + resto)
                ->Abrir();
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("(sem erro)");
    };
    EXPECT_EQ(tentar("Initial Catalog=master;User ID=sa;Password=x"),
              "Login failed for user 'sa'.");
    EXPECT_EQ(tentar("User ID=outro"), "Login failed for user 'outro'.");
    EXPECT_NE(tentar("User ID=sa;Versao do Servidor=9.0").find("9.0"), std::string::npos);
    EXPECT_EQ(tentar("Initial Catalog=EMPRESA;User ID=sa"),
              "Cannot open database \"EMPRESA\" requested by the login. The login failed.");
    EXPECT_FALSE(std::filesystem::exists(nova));
    EXPECT_EQ(tentar("Initial Catalog=master;User ID=sa"), "(sem erro)");
    EXPECT_TRUE(std::filesystem::exists(nova / "servidor.sqlite"));
    std::filesystem::remove_all(nova);
}

namespace {

std::string Mensagem(const std::function<void()>& acao) {
    try {
        acao();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(sem erro)";
}

std::string Inserts(const std::string& tabela, int quantos) {
    std::string lote;
    for (int i = 1; i <= quantos; ++i)
        lote += "INSERT INTO " + tabela + " VALUES (" + std::to_string(i) + ")\n";
    return lote;
}

}  // namespace

// A writer holds only what it changed: connecting and every read go on at once and see
// the last committed state (READ_COMMITTED_SNAPSHOT); another writer waits LOCK_TIMEOUT.
TEST_F(ConexaoAoServidor, LeitoresNaoEsperamPeloEscritor) {
    Sql("CREATE TABLE T (x INT NOT NULL)");
    Sql("INSERT INTO T VALUES (1)");
    auto escritor = Conectar("Teste");
    escritor->IniciarTransacao();
    Sql("UPDATE T SET x = 2", {}, escritor.get());

    auto leitor = Conectar("Teste");  // connecting does not wait either
    Sql("SET LOCK_TIMEOUT 0", {}, leitor.get());
    EXPECT_EQ(Texto(Sql("SELECT 1", {}, leitor.get()).linhas.at(0)[0]), "1");
    EXPECT_EQ(Texto(Sql("SELECT x FROM T", {}, leitor.get()).linhas.at(0)[0]), "1");
    EXPECT_NO_THROW(Sql("SELECT x FROM T WITH (NOLOCK)", {}, leitor.get()));
    EXPECT_EQ(Texto(Sql("SELECT is_read_committed_snapshot_on FROM sys.databases WHERE name = "
                        "'Teste'",
                        {}, leitor.get())
                        .linhas.at(0)[0]),
              "1");
    EXPECT_EQ(Mensagem([&] { Sql("UPDATE T SET x = 3", {}, leitor.get()); }),
              "Lock request time out period exceeded.");
    // BEGIN TRAN takes no lock, nor do the reads after it: each reads the last committed
    // state as of its own start. The transaction's first write waits for the lock.
    EXPECT_EQ(Mensagem([&] { leitor->IniciarTransacao(); }), "(sem erro)");
    EXPECT_EQ(Texto(Sql("SELECT x FROM T", {}, leitor.get()).linhas.at(0)[0]), "1");
    EXPECT_EQ(Mensagem([&] { Sql("UPDATE T SET x = 3", {}, leitor.get()); }),
              "Lock request time out period exceeded.");
    escritor->Confirmar();
    EXPECT_EQ(Texto(Sql("SELECT x FROM T", {}, leitor.get()).linhas.at(0)[0]), "2");
    Sql("UPDATE T SET x = 3", {}, leitor.get());
    EXPECT_EQ(Valor("SELECT x FROM T"), "2");  // not committed yet
    leitor->Confirmar();
    EXPECT_EQ(Valor("SELECT x FROM T"), "3");
}

// A session inside a transaction (the CLI's batch transaction, an application's BEGIN
// TRAN) reads while another holds an open write transaction, and its first write waits
// for that transaction to end.
TEST_F(ConexaoAoServidor, TransacaoQueSoLeNaoEsperaPeloEscritor) {
    Sql("CREATE TABLE T (x INT NOT NULL)");
    Sql("INSERT INTO T VALUES (1)");
    Sql("CREATE PROCEDURE Contar AS SELECT COUNT(*) FROM T");
    auto escritor = Conectar("Teste");
    escritor->IniciarTransacao();
    Sql("UPDATE T SET x = 2", {}, escritor.get());

    auto leitor = Conectar("Teste");
    Sql("SET LOCK_TIMEOUT 0", {}, leitor.get());
    leitor->IniciarTransacao();
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM T", {}, leitor.get()).linhas.at(0)[0]), "1");
    EXPECT_EQ(
        Texto(Sql("BEGIN TRAN SAVE TRAN p SELECT x FROM T ROLLBACK TRAN p COMMIT", {}, leitor.get())
                  .linhas.at(0)[0]),
        "1");
    EXPECT_EQ(Texto(Sql("EXEC Contar", {}, leitor.get()).linhas.at(0)[0]), "1");
    try {
        Sql("DELETE FROM T", {}, leitor.get());
        ADD_FAILURE() << "a escrita não esperou pelo bloqueio";
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 1222);
    }
    leitor->Desfazer();

    // Without LOCK_TIMEOUT the write waits, and goes on once the other commits.
    Sql("SET LOCK_TIMEOUT -1", {}, leitor.get());
    leitor->IniciarTransacao();
    EXPECT_EQ(Texto(Sql("SELECT x FROM T", {}, leitor.get()).linhas.at(0)[0]), "1");
    std::atomic<bool> comecou{false};
    std::string falha;
    std::thread escrita([&] {
        comecou = true;
        falha = Mensagem([&] { Sql("UPDATE T SET x = x + 10", {}, leitor.get()); });
    });
    while (!comecou) std::this_thread::yield();
    escritor->Confirmar();
    escrita.join();
    EXPECT_EQ(falha, "(sem erro)");
    leitor->Confirmar();
    EXPECT_EQ(Valor("SELECT x FROM T"), "12");
}

TEST_F(ConexaoAoServidor, LeiturasDuranteUmaEscritaLonga) {
    Sql("CREATE TABLE T (x INT NOT NULL)");
    auto escritor = Conectar("Teste");
    std::atomic<bool> terminou{false};
    std::string falhaDoEscritor;
    std::thread escrita([&] {
        try {
            escritor->IniciarTransacao();
            escritor->Executar(Inserts("T", 3000), {}, 0);
            escritor->Confirmar();
        } catch (const std::exception& e) {
            falhaDoEscritor = e.what();
        }
        terminou = true;
    });
    auto leitor = Conectar("Teste");
    Sql("SET LOCK_TIMEOUT 0", {}, leitor.get());
    int leituras = 0;
    while (!terminou) {
        const std::string n =
            Texto(Sql("SELECT COUNT(*) FROM T", {}, leitor.get()).linhas.at(0)[0]);
        // Never a part of the uncommitted batch: nothing, or everything once it committed.
        EXPECT_TRUE(n == "0" || n == "3000") << n;
        ++leituras;
    }
    escrita.join();
    EXPECT_EQ(falhaDoEscritor, "");
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM T", {}, leitor.get()).linhas.at(0)[0]), "3000");
    EXPECT_GT(leituras, 0);
}

// KILL stops the running batch at its next check, rolls back its transaction and
// closes its connection.
TEST_F(ConexaoAoServidor, KillParaOLoteEmExecucao) {
    Sql("CREATE TABLE T (x INT NOT NULL)");
    Sql("INSERT INTO T VALUES (1)");
    Sql("CREATE TABLE G (x INT NOT NULL)");
    Sql(Inserts("G", 100));
    auto vitima = Conectar("Teste");
    const std::string spid = Texto(Sql("SELECT @@SPID", {}, vitima.get()).linhas.at(0)[0]);
    vitima->IniciarTransacao();
    Sql("UPDATE T SET x = 5", {}, vitima.get());
    std::string falha;
    std::thread lote([&] {
        // Far too long to ever end by itself: 10^10 rows.
        falha = Mensagem(
            [&] { Sql("SELECT COUNT(*) FROM G a, G b, G c, G d, G e", {}, vitima.get()); });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Sql("KILL " + spid);
    lote.join();
    EXPECT_NE(falha.find("foi eliminada"), std::string::npos) << falha;
    EXPECT_EQ(Valor("SELECT x FROM T"), "1");
    EXPECT_NE(Mensagem([&] { Sql("SELECT 1", {}, vitima.get()); }).find("foi e"),
              std::string::npos);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM master.dbo.sysprocesses WHERE spid = " + spid), "0");
}

// WAITFOR waits as SQL Server does: a KILL and the command's timeout end it.
TEST_F(ConexaoAoServidor, WaitforTerminaComKillOuComOPrazoDoComando) {
    Sql("WAITFOR DELAY '00:00:00.010'");
    EXPECT_EQ(Mensagem([&] { db_->Executar("WAITFOR DELAY '00:10'", {}, 1); }),
              "Query timeout expired");
    auto vitima = Conectar("Teste");
    const std::string spid = Texto(Sql("SELECT @@SPID", {}, vitima.get()).linhas.at(0)[0]);
    std::string falha;
    std::thread lote([&] {
        falha = Mensagem([&] {
            Sql("DECLARE @d varchar(12) = '00:10:00'; WAITFOR DELAY @d", {}, vitima.get());
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Sql("KILL " + spid);
    lote.join();
    EXPECT_NE(falha.find("foi eliminada"), std::string::npos) << falha;
}

// The last session out copies the database's log into its file and leaves the log, emptied,
// beside it for the next process; what it wrote is there for the next session.
TEST_F(ConexaoAoServidor, UltimaSessaoDeixaOLogDoBancoVazio) {
    Sql("CREATE TABLE P (x INT NULL)");
    Sql("insert into P values (41), (1)");
    std::filesystem::path arquivo;
    for (const auto& e : std::filesystem::directory_iterator(pasta_))
        if (e.path().filename().string().rfind("Teste_", 0) == 0 &&
            e.path().extension() == ".sqlite")
            arquivo = e.path();
    ASSERT_FALSE(arquivo.empty());
    const std::filesystem::path log = arquivo.string() + "-wal";
    EXPECT_GT(std::filesystem::file_size(log), 0u);
    db_.reset();
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
    db_ = Conectar("Teste");
    EXPECT_EQ(Valor("select sum(x) from P"), "42");
}
