#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/rodar_cli.hpp"
#include "manutencao/banco_fiscal.hpp"

namespace {

using zolvek::teste::Aspas;
using zolvek::teste::Execucao;
using zolvek::teste::ServidorDeTeste;

class ManutencaoNaLinhaDeComando : public ::testing::Test {
  protected:
    void SetUp() override {
        servidor.CriarBanco("FISCAL");
        banco.DefinirStringDeConexao(servidor.Cadeia("FISCAL"));
        banco.Abrir();
        zolvek::teste::CriarTabelasFiscais(banco);
        pasta = std::filesystem::temp_directory_path() /
                ("zolvek_cli_manut_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(pasta);
    }
    void TearDown() override { std::filesystem::remove_all(pasta); }

    Execucao Rodar(const std::string& argumentos) {
        return zolvek::teste::RodarCli(pasta, argumentos);
    }
    void X(const std::string& sql) { ServidorDeTeste::Executar(banco, sql); }

    ServidorDeTeste servidor;
    zolvek::db::Conexao banco;
    std::filesystem::path pasta;
};

TEST_F(ManutencaoNaLinhaDeComando, ErrosDeUso) {
    const std::string conexao = "--conexao " + Aspas(servidor.Cadeia("FISCAL"));
    EXPECT_EQ(Rodar("atualizar-tributos " + conexao).status, 2);  // no terminal, no --sim
    EXPECT_EQ(Rodar("atualizar-tributos " + conexao + " --sim sobra").status, 2);
    EXPECT_EQ(Rodar("importar " + conexao).status, 2);  // no --origem
    EXPECT_EQ(Rodar("importar " + conexao + " --origem x --erros=").status, 2);
    const Execucao ajuda = Rodar("importar --help");
    EXPECT_EQ(ajuda.status, 0);
    EXPECT_NE(ajuda.saida.find("--acrescentar"), std::string::npos);
}

TEST_F(ManutencaoNaLinhaDeComando, AtualizacaoComUmErroSaiComUmEGravaOCsv) {
    X("INSERT INTO DOCREC (TIPO, CLIENTE, LOCAL, CODFIS, DESCINC, TOTITENS) VALUES ('Venda', 10, "
      "'L1', '5102', 0, 100)");
    X("INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS) VALUES (1, 2, 'N', 100, "
      "18)");
    X("INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS) VALUES (1, 2, 'N', "
      "13.13, 18)");
    banco.Fechar();  // the run needs the database to itself
    const auto csv = pasta / "erros.csv";
    const Execucao e = Rodar("atualizar-tributos --sim --conexao " +
                             Aspas(servidor.Cadeia("FISCAL")) + " --erros " + Aspas(csv.string()));
    EXPECT_EQ(e.status, 1) << e.saida << e.erros;
    EXPECT_NE(e.saida.find("Atualização dos tributos dos itens  executada até o fim com 1 erro(s)"),
              std::string::npos)
        << e.saida;
    const std::string texto = zolvek::teste::LerArquivo(csv);
    EXPECT_EQ(texto.rfind("\"Tabela\",\"Campo\",\"Função\",\"Descrição\",\"Comando\"\r\n"
                          "\"DOCRECIT\",\"\",\"\",\"",
                          0),
              0u)
        << texto;
    EXPECT_NE(texto.find("\"DOCRECIT Numint=1 Id_item=2\"\r\n"), std::string::npos) << texto;
}

TEST_F(ManutencaoNaLinhaDeComando, OutroUsuarioConectadoListaOsUsuariosAtivos) {
    // `banco` stays open: the run cannot have the database to itself.
    const Execucao e =
        Rodar("atualizar-tributos --sim --conexao " + Aspas(servidor.Cadeia("FISCAL")));
    EXPECT_EQ(e.status, 3) << e.saida << e.erros;
    EXPECT_NE(e.saida.find("Ocorreu o seguinte erro ao tentar acesso único ao banco de dados: "),
              std::string::npos)
        << e.saida;
    EXPECT_NE(e.saida.find("Usuários ativos em FISCAL:"), std::string::npos) << e.saida;
    EXPECT_NE(e.saida.find("Encerre as outras conexões ao banco de dados FISCAL"),
              std::string::npos)
        << e.saida;
    EXPECT_NE(e.saida.find("Atualização interrompida: nada foi registrado"), std::string::npos);
}

TEST_F(ManutencaoNaLinhaDeComando, OrigemInexistenteInterrompeAImportacao) {
    banco.Fechar();
    const Execucao e = Rodar("importar --conexao " + Aspas(servidor.Cadeia("FISCAL")) +
                             " --origem " + Aspas(servidor.Cadeia("NADA")));
    EXPECT_EQ(e.status, 3) << e.saida << e.erros;
    EXPECT_NE(e.saida.find("Importação interrompida"), std::string::npos) << e.saida;
}

}  // namespace
