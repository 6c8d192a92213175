#include <gtest/gtest.h>

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
