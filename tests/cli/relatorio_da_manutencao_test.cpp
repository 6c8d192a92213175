#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/esquema_do_relatorio.hpp"
#include "cli/rodar_cli.hpp"
#include "manutencao/banco_fiscal.hpp"

// --relatorio of zolvek-cli atualizar-tributos and importar, checked against the schema of
// the README.
namespace {

using zolvek::teste::Aspas;
using zolvek::teste::Execucao;
using zolvek::teste::LerRelatorio;

class RelatorioDaManutencao : public ::testing::Test {
  protected:
    void SetUp() override {
        servidor.CriarBanco("FISCAL");
        zolvek::db::Conexao banco;
        banco.DefinirStringDeConexao(servidor.Cadeia("FISCAL"));
        banco.Abrir();
        zolvek::teste::CriarTabelasFiscais(banco);
        auto x = [&](const std::string& sql) {
            zolvek::teste::ServidorDeTeste::Executar(banco, sql);
        };
        x("INSERT INTO DOCREC (TIPO, CLIENTE, LOCAL, CODFIS, DESCINC, TOTITENS) VALUES ('Venda', "
          "10, 'L1', '5102', 0, 100)");
        x("INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS) VALUES (1, 2, 'N', "
          "100, 18)");
        x("INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS) VALUES (1, 2, 'N', "
          "13.13, 18)");
        pasta = std::filesystem::temp_directory_path() /
                ("zolvek_cli_relatorio_" + std::to_string(::getpid()));
        std::filesystem::create_directories(pasta);
    }
    void TearDown() override { std::filesystem::remove_all(pasta); }

    zolvek::teste::ServidorDeTeste servidor;
    std::filesystem::path pasta;
};

TEST_F(RelatorioDaManutencao, AtualizarTributosEImportar) {
    const auto arquivo = pasta / "t.json";
    Execucao e = zolvek::teste::RodarCli(pasta, "atualizar-tributos --sim --conexao " +
                                                    Aspas(servidor.Cadeia("FISCAL")) +
                                                    " --relatorio " + Aspas(arquivo.string()));
    EXPECT_EQ(e.status, 1) << e.saida;
    auto x = LerRelatorio(arquivo)["execucoes"][0];
    EXPECT_EQ(x["classe"], "com_erros");
    EXPECT_EQ(x["contagens"]["itens"], 1);
    EXPECT_EQ(x["erros"].size(), 1u);
    EXPECT_EQ(x["erros"][0]["tabela"], "DOCRECIT");
    EXPECT_EQ(x["desfecho"],
              "Atualização dos tributos dos itens  executada até o fim com 1 erro(s)");

    servidor.CriarBanco("DESTINO");
    {
        zolvek::db::Conexao destino;
        destino.DefinirStringDeConexao(servidor.Cadeia("DESTINO"));
        destino.Abrir();
        zolvek::teste::CriarTabelasFiscais(destino);
    }
    const auto importacao = pasta / "i.json";
    e = zolvek::teste::RodarCli(pasta, "importar --conexao " + Aspas(servidor.Cadeia("DESTINO")) +
                                           " --origem " + Aspas(servidor.Cadeia("FISCAL")) +
                                           " --relatorio " + Aspas(importacao.string()));
    x = LerRelatorio(importacao)["execucoes"][0];
    EXPECT_EQ(x["banco"], "DESTINO");
    EXPECT_GE(x["contagens"]["linhas"].get<int>(), 3);
    EXPECT_EQ(x["opcoes"]["acrescentar"], "Não");
    EXPECT_EQ(x["saida"], e.status);
}

}  // namespace
