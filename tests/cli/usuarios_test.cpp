// zolvek-cli usuarios: the active users as the window lists them, and ending the
// processes of one of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "admin/banco_de_teste.hpp"
#include "cli/rodar_cli.hpp"
#include "comum/erros.hpp"
#include "dictionary/escritor.hpp"

namespace {

using zolvek::teste::Aspas;
using zolvek::teste::BancoDeTeste;
using zolvek::teste::Execucao;

class Usuarios : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.Executar(
            "CREATE PROCEDURE MatarProcesso @NOME varchar(128), @HOST varchar(128) AS select 1");
        zolvek::dicionario::GravarDicionario(dicionario, {});
    }

    Execucao Rodar(const std::string& argumentos) {
        return zolvek::teste::RodarCli(banco.Pasta(), "usuarios " + argumentos + " --conexao " +
                                                          Aspas(banco.Cadeia()) + " --dicionario " +
                                                          Aspas(dicionario.string()));
    }

    // A session of another program, from the computer `host`; returns its number.
    int Conectar(const std::string& host) {
        auto conexao = std::make_unique<zolvek::db::Conexao>();
        conexao->DefinirStringDeConexao(banco.Cadeia() + ";Workstation ID=" + host);
        conexao->Abrir();
        zolvek::db::Consulta spid(conexao.get());
        spid.DefinirSQL("select @@SPID as spid");
        spid.Abrir();
        const int numero = static_cast<int>(spid.CampoPorNome("spid").Inteiro());
        conexoes.push_back(std::move(conexao));
        return numero;
    }

    static bool Viva(zolvek::db::Conexao& conexao) {
        try {
            zolvek::db::Consulta consulta(&conexao);
            consulta.DefinirSQL("select 1 as Um");
            consulta.Abrir();
            return true;
        } catch (const zolvek::ErroDeBanco&) {
            return false;
        }
    }

    BancoDeTeste banco;
    std::filesystem::path dicionario = banco.Pasta() / "teste.DicD";
    std::vector<std::unique_ptr<zolvek::db::Conexao>> conexoes;
};

TEST_F(Usuarios, ListaComoAJanelaComOsNumerosDasSessoes) {
    const int a = Conectar("PC2");
    const int b = Conectar("PC2");
    const auto e = Rodar("");
    ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida.rfind("Usuários ativos em EMPRESA:\n"
                            "Usuário                        Computador              Minutos "
                            "Processos\n",
                            0),
              0u)
        << e.saida;
    EXPECT_NE(e.saida.find("\nsa                             PC2                           0 " +
                           std::to_string(a) + "," + std::to_string(b) + "\n"),
              std::string::npos)
        << e.saida;
    EXPECT_NE(e.saida.find("\nSessão deste programa: "), std::string::npos) << e.saida;
}

TEST_F(Usuarios, EliminarPedeConfirmacaoEEncerraOsProcessosDoUsuarioNoComputador) {
    const int a = Conectar("PC2");
    Conectar("PC2");
    Conectar("PC3");

    auto e = Rodar("--eliminar " + std::to_string(a));
    EXPECT_EQ(e.status, 1) << e.saida << e.erros;
    EXPECT_NE(e.erros.find("Os processos do usuário sa no computador PC2 (processo " +
                           std::to_string(a) + ") serão eliminados, você confirma ? Não"),
              std::string::npos)
        << e.erros;
    EXPECT_TRUE(Viva(*conexoes[0]));

    e = Rodar("--eliminar " + std::to_string(a) + " --sim");
    ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida.rfind("Processos do usuário sa no computador PC2 eliminados\n"
                            "Usuários ativos em EMPRESA:\n",
                            0),
              0u)
        << e.saida;
    EXPECT_EQ(e.saida.find("\nsa                             PC2"), std::string::npos) << e.saida;
    EXPECT_FALSE(Viva(*conexoes[0]));
    EXPECT_FALSE(Viva(*conexoes[1]));
    EXPECT_TRUE(Viva(*conexoes[2]));

    // Nothing to end: a session that is not there.
    e = Rodar("--eliminar 99999 --sim");
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.saida, "O processo 99999 não está conectado ao banco de dados EMPRESA\n");
    EXPECT_TRUE(Viva(*conexoes[2]));
}

// MatarProcesso ends every process of the login on the computer: a session of the
// program's own login and computer would take the program's connection with it.
TEST_F(Usuarios, RecusaASessaoDoMesmoUsuarioEComputadorDoPrograma) {
    char maquina[256] = {};
    ASSERT_EQ(gethostname(maquina, sizeof maquina - 1), 0);
    const int mesmo = Conectar(maquina);
    const auto e = Rodar("--eliminar " + std::to_string(mesmo) + " --sim");
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.saida, "O processo " + std::to_string(mesmo) + " é do usuário sa no computador " +
                           maquina +
                           ", os mesmos desta sessão: eliminar os processos dele encerraria "
                           "também a conexão deste programa\n");
    EXPECT_TRUE(Viva(*conexoes[0]));
}

TEST_F(Usuarios, UsoIncorreto) {
    EXPECT_EQ(Rodar("--eliminar abc").status, 2);
    EXPECT_EQ(Rodar("--eliminar 0").status, 2);
    EXPECT_EQ(Rodar("--sim").status, 2);
    EXPECT_EQ(Rodar("PC2").status, 2);
}

}  // namespace
