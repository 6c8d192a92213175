// zolvek-cli versionamento: the texts the analysis would install, without a database.
#include <gtest/gtest.h>

#include <fstream>

#include "auxiliares.hpp"
#include "banco_simulado.hpp"
#include "cli/rodar_cli.hpp"
#include "dictionary/escritor.hpp"

namespace zolvek::versionamento {
namespace {

using teste::Campo;
using teste::Tabela;

class ComandoVersionamento : public ::testing::Test {
  protected:
    ComandoVersionamento() : pasta(banco.Pasta()) {
        dicionario::ConteudoDoDicionario conteudo;
        conteudo.tabelas = {
            Tabela("FERIADOS", {Campo("DATA", 'D')}),
            Tabela("Pedido", {Campo("Id", 'S'), Campo("Nome", 'C', 60), Campo("Emissao", 'D')}),
            Tabela("PARFN", {Campo("Código", 'N', 9), Campo("Nome", 'C', 30)}),
        };
        dicionario::GravarDicionario(pasta / "teste.DicD", conteudo);
    }

    teste::Execucao Rodar(const std::string& argumentos) {
        return teste::RodarCli(pasta, "versionamento --dicionario " +
                                          teste::Aspas((pasta / "teste.DicD").string()) + " " +
                                          argumentos);
    }

    teste::BancoSimulado banco;  // only for its folder
    std::filesystem::path pasta;
};

TEST_F(ComandoVersionamento, MostraOsComandosDeUmaTabelaSeparadosPorGo) {
    const auto r = Rodar("--tabela parfn");
    ASSERT_EQ(r.status, 0) << r.erros;
    const auto linhas = teste::Linhas(r.saida);
    ASSERT_GE(linhas.size(), 5u);
    EXPECT_EQ(linhas[0], "-- Tabela PARFN, histórico em RegVer\r");
    EXPECT_EQ(linhas[1],
              "if exists (select * from sysobjects where id = object_id('Trigr_PARFN_RegVer_Ins')) "
              "drop trigger dbo.[Trigr_PARFN_RegVer_Ins]\r");
    EXPECT_EQ(linhas[2], "GO\r");
    EXPECT_EQ(linhas[3], "CREATE TRIGGER [Trigr_PARFN_RegVer_Ins] ON [PARFN]\r");
    EXPECT_EQ(linhas[linhas.size() - 2], "execute dbo.[Stprc_PARFN_RegVer_Build]\r");
    EXPECT_EQ(linhas.back(), "GO\r");
    EXPECT_EQ(r.saida.find("Pedido"), std::string::npos);
}

TEST_F(ComandoVersionamento, SemTabelaMostraAsDuasClassesNaOrdemDaAnalise) {
    const auto r = Rodar("");
    ASSERT_EQ(r.status, 0) << r.erros;
    const auto pedido = r.saida.find("-- Tabela Pedido, histórico em RegTab\r\n");
    const auto parfn = r.saida.find("-- Tabela PARFN, histórico em RegVer\r\n");
    ASSERT_NE(pedido, std::string::npos);
    ASSERT_NE(parfn, std::string::npos);
    EXPECT_LT(pedido, parfn);
    EXPECT_EQ(r.saida.find("FERIADOS"), std::string::npos);
    EXPECT_NE(
        r.saida.find("   insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) "
                     "values (@IUD, 'Pedido',@Id, 'Id',@Id)\r\n"),
        std::string::npos);
}

TEST_F(ComandoVersionamento, SaidaRodaComoScriptNoSimulador) {
    banco.Executar(
        "CREATE TABLE RegVer (id int IDENTITY(1,1), Operacao char(1), Tabela "
        "varchar(60), idTabela int, Campo varchar(60), ValorEmString varchar(50))");
    banco.Executar("CREATE TABLE PARFN ([Código] int NULL, Nome varchar(30) NULL)");
    const auto r = Rodar("--tabela PARFN");
    ASSERT_EQ(r.status, 0) << r.erros;
    { std::ofstream(pasta / "script.sql", std::ios::binary) << r.saida; }
    const auto sql = teste::RodarCli(pasta, "sql --conexao " + teste::Aspas(banco.Cadeia()) + " " +
                                                teste::Aspas((pasta / "script.sql").string()));
    EXPECT_EQ(sql.status, 0) << sql.saida << sql.erros;
    EXPECT_EQ(banco.Objetos(),
              (std::vector<std::string>{"Stprc_PARFN_RegVer_Build P", "Trigr_PARFN_RegVer_Del TR",
                                        "Trigr_PARFN_RegVer_Ins TR", "Trigr_PARFN_RegVer_Upd TR"}));
}

TEST_F(ComandoVersionamento, TabelaForaDoVersionamentoOuDoDicionario) {
    auto r = Rodar("--tabela FERIADOS");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros, "A tabela FERIADOS não tem versionamento de registros\n");
    r = Rodar("--tabela CLIENTE");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros, "A tabela CLIENTE não está no dicionário de dados\n");
}

TEST_F(ComandoVersionamento, TabelaSemChaveFalhaSemSaidaPelaMetade) {
    dicionario::ConteudoDoDicionario conteudo;
    conteudo.tabelas = {Tabela("Pedido", {Campo("Id", 'S')}),
                        Tabela("REF", {Campo("NUMREF", 'N', 9)})};
    dicionario::GravarDicionario(pasta / "teste.DicD", conteudo);
    const auto r = Rodar("");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.saida, "");
    EXPECT_EQ(
        r.erros.rfind("Tabela 'REF' não tem campo chave identity\r\n\r\nArquivo: FLibRegVer", 0),
        0u)
        << r.erros;
}

TEST_F(ComandoVersionamento, DicionarioDeDemonstracaoGeraTodasAsTabelas) {
    const auto r = teste::RodarCli(pasta, "versionamento");
    ASSERT_EQ(r.status, 0) << r.erros;
    EXPECT_NE(r.saida.find("CREATE TRIGGER [Trigr_CLIENTE_RegTab_Ins] ON [CLIENTE]\r\n"),
              std::string::npos);
    EXPECT_NE(r.saida.find("CREATE PROCEDURE dbo.[Stprc_PEMPRESA_RegVer_Build]\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zolvek::versionamento
