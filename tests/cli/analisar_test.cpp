#include <gtest/gtest.h>

#include <fstream>

#include "cli/empresa_demo.hpp"

// zolvek-cli analisar on the demo company database, with the demo dictionary beside
// the program.
namespace {

using zolvek::teste::Aspas;
using zolvek::teste::Execucao;

const std::string kSucesso = "Dicionário de dados revisão 12, executado com sucesso";

class AnalisarPelaLinhaDeComando : public zolvek::teste::EmpresaDemoPelaLinhaDeComando {
  protected:
    Execucao Rodar(const std::string& argumentos, const std::string& entrada = "/dev/null") {
        return RodarComando("analisar", argumentos, entrada);
    }
};

TEST(AnalisarUso, OpcoesInvalidasSaoErroDeUso) {
    const auto pasta = zolvek::teste::PastaTemporariaUnica("zolvek_cli_analisar_");
    auto rodar = [&](const std::string& argumentos) {
        return zolvek::teste::RodarCli(pasta, "analisar --conexao x " + argumentos);
    };
    EXPECT_EQ(rodar("--sem Nada").status, 2);
    const auto acoplada = rodar("--sem RemoverIndices");
    EXPECT_EQ(acoplada.status, 2);
    EXPECT_NE(acoplada.erros.find("--sem GerarIndices"), std::string::npos) << acoplada.erros;
    EXPECT_EQ(rodar("--sem GerarIndices --sem RemoverIndices --erros").status, 2);
    EXPECT_EQ(rodar("sobra").status, 2);
    const auto ajuda = zolvek::teste::RodarCli(pasta, "analisar --help");
    EXPECT_EQ(ajuda.status, 0);
    EXPECT_NE(ajuda.saida.find("--sim-para-todos"), std::string::npos);
    std::filesystem::remove_all(pasta);
}

TEST_F(AnalisarPelaLinhaDeComando, BancoDeDemonstracaoFicaLiberadoENormal) {
    const auto csv = banco.Pasta() / "erros.csv";
    const auto e = Rodar("--erros " + Aspas(csv.string()));
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida, kSucesso + "\n");
    EXPECT_NE(e.erros.find("== Analisando banco de dados\n"), std::string::npos);
    EXPECT_NE(e.erros.find("Criando tabela \"CLIENTE\" - Clientes...\n"), std::string::npos);
    EXPECT_EQ(zolvek::teste::LerArquivo(csv),
              "\"Tabela\",\"Campo\",\"Função\",\"Descrição\",\"Comando\"\r\n");
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"12"});
    const auto info =
        zolvek::teste::RodarCli(banco.Pasta(), "info --conexao " + Aspas(banco.Cadeia()));
    EXPECT_EQ(info.status, 0) << info.saida;
}

// A run that finds the status row still "Em análise..." (the previous run was killed or
// aborted) says why it processes every table, and ends normally.
TEST_F(AnalisarPelaLinhaDeComando, ExecucaoAnteriorSemFimEAvisadaNaSaida) {
    ASSERT_EQ(Rodar("").status, 0);
    banco.Executar("UPDATE StatusBD SET Status = 'Em análise...', Final = NULL");
    const auto e = Rodar("");
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida.rfind("Informação: A análise anterior deste banco de dados, iniciada em ", 0),
              0u)
        << e.saida;
    EXPECT_NE(e.saida.find(" por sa, não registrou o seu fim: pode ter parado com chaves, "
                           "índices, valores padrão ou validações de uma tabela removidos. Todas "
                           "as tabelas serão processadas nesta execução.\n" +
                           kSucesso + "\n"),
              std::string::npos)
        << e.saida;
    EXPECT_NE(e.erros.find("Criando índices da tabela \"CLIENTE\" - Clientes...\n"),
              std::string::npos);
}

TEST_F(AnalisarPelaLinhaDeComando, ErrosNaSaidaENoCsv) {
    banco.Executar("CREATE TABLE CLIENTE (CLIENTE INT NOT NULL, LIMITE FLOAT NULL)");
    const auto csv = banco.Pasta() / "erros.csv";
    const auto e = Rodar("--erros " + Aspas(csv.string()));
    EXPECT_EQ(e.status, 1) << e.saida << e.erros;
    EXPECT_EQ(e.saida.rfind("Dicionário de dados revisão 12, executado até o fim com 3 erro(s)\n"
                            "Erro 1\n  Tabela=CLIENTE\n",
                            0),
              0u)
        << e.saida;
    EXPECT_NE(e.saida.find("Campo 'LIMITE' deveria ser decimal 12,2."), std::string::npos);
    // The table's work ended before its key was created: the key of DOCREC fails too.
    EXPECT_NE(e.saida.find("Erro 2\n  Tabela=DOCREC\n  Campo=CLIENTE\n  Função=Criar "
                           "relacionamento\n"),
              std::string::npos);
    // CLIENTE never got its CONTICMS column: the server refuses the versioning trigger
    // that reads it from inserted
    EXPECT_NE(e.saida.find("Erro 3\n  Tabela=RegTab\n  Campo=\n  Função=\n  Descrição=Invalid "
                           "column name 'CONTICMS'.\n"),
              std::string::npos);
    const std::string texto = zolvek::teste::LerArquivo(csv);
    EXPECT_NE(texto.find("\r\n\"CLIENTE\",\"\",\"\",\"Campo 'LIMITE' deveria ser decimal 12,2."),
              std::string::npos)
        << texto;
}

TEST_F(AnalisarPelaLinhaDeComando, PerguntasSemTerminalCancelam) {
    const auto e = Rodar("--confirmar");
    EXPECT_EQ(e.status, 3) << e.saida << e.erros;
    EXPECT_EQ(e.saida, "Análise interrompida: nada foi registrado\n");
    EXPECT_NE(e.erros.find("Atenção: Será necessário atualizar a estrutura da tabela "
                           "\"PEMPRESA\" - Dados da empresa. Atualizar agora ?"),
              std::string::npos)
        << e.erros;
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects where name = 'RegMov'"),
              std::vector<std::string>{"0"});
    const auto sim = Rodar("--confirmar --sim-para-todos");
    EXPECT_EQ(sim.status, 0) << sim.saida << sim.erros;
    EXPECT_EQ(sim.saida, kSucesso + "\n");
}

// A database made by "novo" has no company row yet: the first analysis gives every
// parameter table its row of defaults and ends as a success.
TEST_F(AnalisarPelaLinhaDeComando, BancoNovoTerminaComSucesso) {
    const auto novo =
        zolvek::teste::RodarCli(banco.Pasta(), "novo --servidor " + Aspas(banco.Pasta().string()) +
                                                   " --nome 'Empresa Nova' --senha ''");
    ASSERT_EQ(novo.status, 0) << novo.saida << novo.erros;
    const auto e = zolvek::teste::RodarCli(
        banco.Pasta(), "analisar --conexao " + Aspas(banco.Cadeia("Empresa Nova")));
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida, kSucesso + "\n");
    EXPECT_EQ(banco.Coluna("select count(*) from [Empresa Nova]..PEMPRESA"),
              std::vector<std::string>{"1"});
}

TEST_F(AnalisarPelaLinhaDeComando, OutraSessaoImpedeOAcessoUnico) {
    zolvek::db::Conexao outra;
    outra.DefinirStringDeConexao(banco.Cadeia());
    outra.Abrir();
    const auto e = Rodar("");
    EXPECT_EQ(e.status, 3) << e.saida << e.erros;
    EXPECT_NE(e.saida.find("Usuários ativos em EMPRESA_DEMO:"), std::string::npos) << e.saida;
    EXPECT_NE(e.saida.find("Análise interrompida: nada foi registrado"), std::string::npos);
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects where name = 'RegMov'"),
              std::vector<std::string>{"0"});
}

}  // namespace
