#include <gtest/gtest.h>

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/servidor_apoio.hpp"

using zolvek::simulador::Servidor;

using ServidorNovo = PastaDeServidor;

TEST_F(ServidorNovo, PrimeiroUsoCriaMasterComSaESistemaComoSysadmin) {
    Servidor servidor(pasta_);
    EXPECT_TRUE(std::filesystem::exists(pasta_ / "servidor.sqlite"));
    EXPECT_TRUE(std::filesystem::exists(pasta_ / "master.sqlite"));
    auto bancos = servidor.ListarBancos();
    ASSERT_EQ(bancos.size(), 1u);
    EXPECT_EQ(bancos[0].nome, "master");
    EXPECT_EQ(bancos[0].id, 1);
    EXPECT_EQ(bancos[0].arquivoSqlite, pasta_ / "master.sqlite");

    auto sa = servidor.Autenticar("SA", "");
    EXPECT_EQ(sa.nome, "sa");
    EXPECT_TRUE(sa.sysadmin);
    auto integrado = servidor.AutenticarIntegrado();
    EXPECT_EQ(integrado.nome, Servidor::UsuarioDoSistema());
    EXPECT_TRUE(integrado.sysadmin);
    // The integrated login opens only with integrated security.
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar(Servidor::UsuarioDoSistema(), ""); }),
              "Login failed for user '" + Servidor::UsuarioDoSistema() + "'.");
}

TEST_F(ServidorNovo, LoginsFalhamComATextoDoSqlServer) {
    Servidor servidor(pasta_);
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("sa", "errada"); }),
              "Login failed for user 'sa'.");
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("ninguem", ""); }),
              "Login failed for user 'ninguem'.");
}

TEST_F(ServidorNovo, LoginCriadoValeEmOutraAberturaDaPasta) {
    {
        Servidor servidor(pasta_);
        servidor.CriarLogin("Operador", "Segredo1");
        EXPECT_EQ(MensagemDe([&] { servidor.CriarLogin("OPERADOR", "x"); }),
                  "The server principal 'OPERADOR' already exists.");
    }
    Servidor servidor(pasta_);
    auto login = servidor.Autenticar("operador", "Segredo1");
    EXPECT_EQ(login.nome, "Operador");
    EXPECT_FALSE(login.sysadmin);
    // Passwords are case-sensitive.
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("operador", "segredo1"); }),
              "Login failed for user 'operador'.");
}

TEST_F(ServidorNovo, VersaoDoProdutoTemMaior11) {
    Servidor servidor(pasta_);
    EXPECT_EQ(servidor.Versao().produto, "11.0.2100.60");
    EXPECT_EQ(servidor.TextoDaVersao().rfind("Microsoft SQL Server 2012 - 11.0.2100.60", 0), 0u);
}

// A folder laid out by an earlier program (its layout of another mark, a table of today
// missing) is laid out again once at its next opening, and keeps its logins and data.
TEST_F(ServidorNovo, PastaDeAntesGanhaAsTabelasQueLheFaltam) {
    { Servidor(pasta_).CriarLogin("joao", "segredo"); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((pasta_ / "servidor.sqlite").string().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP TABLE srv_atributos_dos_logins;"
                           "UPDATE srv_parametros SET valor = '1' WHERE nome = 'versao_do_esquema'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    Servidor servidor(pasta_);
    zolvek::simulador::AlteracaoDeLogin desabilitar;
    desabilitar.desabilitado = true;
    servidor.AlterarLogin("joao", desabilitar, servidor.Autenticar("sa", ""));
    EXPECT_TRUE(servidor.AcharLogin("joao")->desabilitado);
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("joao", "segredo"); }),
              "Login failed for user 'joao'. Reason: The account is disabled.");
}
