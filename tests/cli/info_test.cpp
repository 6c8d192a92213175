#include <gtest/gtest.h>

#include <fstream>

#include "admin/banco_de_teste.hpp"
#include "cli/rodar_cli.hpp"
#include "dictionary/escritor.hpp"

namespace {

using zolvek::teste::BancoDeTeste;

using zolvek::teste::Aspas;
using zolvek::teste::Execucao;

// Runs "zolvek-cli info ARGUMENTOS" (environment assignments in `ambiente`).
Execucao Rodar(const std::string& argumentos, const std::string& ambiente = "") {
    const auto pasta = zolvek::teste::PastaTemporariaUnica("zolvek_cli_info_");
    auto e = zolvek::teste::RodarCli(pasta, "info " + argumentos, "/dev/null", ambiente);
    std::filesystem::remove_all(pasta);
    return e;
}

TEST(InfoUso, AjudaEErrosDeUso) {
    const auto ajuda = Rodar("--help");
    EXPECT_EQ(ajuda.status, 0);
    for (const char* texto :
         {"--conexao", "--dicionario", "ZOLVEK_CONEXAO", "ZOLVEK_LOG", "ZOLVEK_PASTA_LOG"})
        EXPECT_NE(ajuda.saida.find(texto), std::string::npos) << texto;
    EXPECT_EQ(Rodar("").status, 2);  // no connection given
    EXPECT_EQ(Rodar("--conexao x --desconhecida").status, 2);
    EXPECT_EQ(Rodar("--conexao x sobra").status, 2);
}

class InfoNoBanco : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.CriarTabelasDaEmpresa();
        banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', '57')");
        banco.Executar(
            "INSERT INTO StatusBD (Inicio, Final, Operador, [Parâmetros], Status) "
            "VALUES (GetDate(), GetDate(), 'sa', 'A=1', 'ok')");
        zolvek::dicionario::ConteudoDoDicionario conteudo;
        conteudo.revisao = 88;
        zolvek::dicionario::GravarDicionario(dicionario, conteudo);
    }
    std::string Opcoes() const {
        return "--conexao " + Aspas(banco.Cadeia()) + " --dicionario " + Aspas(dicionario.string());
    }

    BancoDeTeste banco;
    std::filesystem::path dicionario = banco.Pasta() / "teste.DicD";
};

TEST_F(InfoNoBanco, PainelNormalSaiComZero) {
    const auto e = Rodar(Opcoes());
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_TRUE(e.saida.starts_with("Zolvek Versão: ")) << e.saida;
    EXPECT_NE(e.saida.find("\nRevisão do banco de dados: 57\n"), std::string::npos);
    EXPECT_NE(e.saida.find("\nDicionário de dados no.: 88\n"), std::string::npos);
    EXPECT_NE(e.saida.find("\nBanco de dados liberado\n\n[Analisar]\nok\n"), std::string::npos);
    EXPECT_NE(e.saida.find("\nParâmetros utilizados:\nA=1\n"), std::string::npos);
    EXPECT_EQ(e.saida.find('\r'), std::string::npos);

    // The same through the environment.
    EXPECT_EQ(Rodar("--dicionario " + Aspas(dicionario.string()),
                    "ZOLVEK_CONEXAO=" + Aspas(banco.Cadeia()))
                  .status,
              0);
}

TEST_F(InfoNoBanco, PainelVermelhoSaiComUm) {
    banco.Executar("UPDATE PEMPRESA SET RevisaoDoBD=NULL");
    const auto e = Rodar(Opcoes());
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(e.saida.find("\nRevisão do banco de dados: INCONSISTENTE\n"), std::string::npos);
}

TEST_F(InfoNoBanco, FalhasDeConexaoNaSaidaPadrao) {
    const auto semDicionario =
        Rodar("--conexao " + Aspas(banco.Cadeia()) + " --dicionario /nao/existe.DicD");
    EXPECT_EQ(semDicionario.status, 1);
    EXPECT_EQ(semDicionario.saida,
              "Arquivo '/nao/existe.DicD' com o dicionário de dados não foi encontrado\n");

    banco.Executar("CREATE LOGIN maria WITH PASSWORD='m1'", "master");
    banco.Executar("CREATE USER maria FOR LOGIN maria");
    const auto recusado = Rodar("--conexao " + Aspas(banco.Cadeia("", "maria", "m1")) +
                                " --dicionario " + Aspas(dicionario.string()));
    EXPECT_EQ(recusado.status, 1);
    EXPECT_EQ(recusado.saida,
              "Só usuário com atributo de 'db_owner' pode usar o sistema de manutenção\n");
}

}  // namespace
