#include "admin/status_do_banco.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;
using teste::InterfaceDaAdministracao;

TEST(TextoDeErros, BlocosPorErroEFechamento) {
    EXPECT_EQ(MontarTextoDeErros({}), "");
    std::vector<LinhaDeErro> erros(3);
    erros[0] = {"CLIENTES", "CODIGO", "Criar índice", "Falhou", "CREATE INDEX x"};
    const std::string texto = MontarTextoDeErros(erros);
    const std::string hifens81(81, '-');
    EXPECT_EQ(texto.substr(0, texto.find("Erro 2")),
              "Erro 1 " + hifens81 +
                  "\r\nTabela=CLIENTES\r\nCampo=CODIGO\r\nFunção=Criar índice\r\n"
                  "Descrição=Falhou\r\nComando=CREATE INDEX x\r\n");
    EXPECT_NE(texto.find("\r\nErro 2 " + hifens81 + "\r\nTabela=\r\n"), std::string::npos);
    EXPECT_NE(texto.find("\r\nErro 3 " + hifens81 + "\r\n"), std::string::npos);
    EXPECT_TRUE(texto.ends_with("Comando=\r\n" + std::string(90, '-') + "\r\n"));
}

class StatusDoBanco : public ::testing::Test {
  protected:
    void Conectar() {
        modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
        modulo.Conectar();
        consulta.DefinirConexao(&modulo.Banco);
    }

    BancoDeTeste banco;
    db::TModuloDados modulo;
    db::Consulta consulta;
    InterfaceDaAdministracao interface;
};

TEST_F(StatusDoBanco, SemConexaoNadaAcrescenta) {
    std::vector<std::string> linhas;
    EXPECT_TRUE(ObterStatusDoBanco(modulo, linhas));
    ObterParametrosDoBanco(modulo, linhas);
    EXPECT_TRUE(linhas.empty());
}

TEST_F(StatusDoBanco, TabelaVaziaSemInformacao) {
    banco.CriarTabelasDaEmpresa();
    Conectar();
    std::vector<std::string> linhas;
    EXPECT_FALSE(ObterStatusDoBanco(modulo, linhas));
    EXPECT_EQ(linhas, std::vector<std::string>{"*** Sem informação sobre o banco de dados ***"});
}

TEST_F(StatusDoBanco, SemPempresaARevisaoLevaOErro) {
    Conectar();
    std::vector<std::string> linhas;
    EXPECT_FALSE(ObterStatusDoBanco(modulo, linhas));
    ASSERT_EQ(linhas.size(), 1u);
    EXPECT_TRUE(linhas[0].starts_with("Revisão do banco de dados: *** Erro ao abrir 'PEMPRESA': "))
        << linhas[0];
    EXPECT_TRUE(linhas[0].ends_with(" ***"));
}

TEST_F(StatusDoBanco, InicioDaAnaliseCriaALinhaEEsvaziaARevisao) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar(
        "INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD, Script) VALUES ('ACME', '120', "
        "'  exec X  ')");
    Conectar();
    modulo.AbrirParametros();
    RegistrarInicioDaAnalise(modulo, {"Verificar=S", "Indices=N"}, consulta, interface);
    EXPECT_FALSE(consulta.Aberto());
    EXPECT_TRUE(interface.perguntas.empty());
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"<NULL>"});
    EXPECT_EQ(banco.Coluna("select Procedimentos from StatusBD"),
              std::vector<std::string>{"exec X"});

    std::vector<std::string> linhas;
    EXPECT_TRUE(ObterStatusDoBanco(modulo, linhas));
    ASSERT_EQ(linhas.size(), 12u);
    EXPECT_EQ(linhas[0], "[Analisar]");
    EXPECT_EQ(linhas[1], "Em análise...");
    EXPECT_TRUE(linhas[2].starts_with("Início=") && linhas[2].size() > 10) << linhas[2];
    EXPECT_EQ(linhas[3], "Final=");
    EXPECT_EQ(linhas[4], "Duração=");
    EXPECT_EQ(linhas[5], "Operador=sa");
    EXPECT_EQ(linhas[6], "Revisão do banco de dados: INCONSISTENTE");
    EXPECT_EQ(linhas[7], "");
    EXPECT_EQ(linhas[8], "Parâmetros utilizados:");
    EXPECT_EQ(linhas[9], "Verificar=S\r\nIndices=N");
    EXPECT_EQ(linhas[10], "Procedimentos internos:");
    EXPECT_EQ(linhas[11], "exec X");
}

TEST_F(StatusDoBanco, FimDaAnaliseLiberacaoEValidacao) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar(
        "INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD, Script) VALUES ('ACME', '  ', "
        "' p ')");
    Conectar();
    modulo.AbrirParametros();
    RegistrarInicioDaAnalise(modulo, {"A=1"}, consulta, interface);
    const db::DataHora inicio{2024, 3, 10, 8, 0, 0, 0};
    std::vector<LinhaDeErro> erros{{"T1", "C1", "F1", "D1", "SQL1"}, {"T2", "C2", "F2", "D2", ""}};
    RegistrarFimDaAnalise(modulo, inicio,
                          "Dicionário de dados revisão 7, executado até o fim com 2 erro(s)",
                          {"A=1"}, erros, consulta, interface);
    EXPECT_FALSE(consulta.Aberto());
    EXPECT_EQ(banco.Coluna("select Erros from StatusBD"),
              std::vector<std::string>{MontarTextoDeErros(erros)});
    // At the end the procedures are kept as they are, blanks and all.
    EXPECT_EQ(banco.Coluna("select Procedimentos from StatusBD"), std::vector<std::string>{" p "});

    RegistrarLiberacao(modulo, consulta, interface);
    RegistrarValidacao(modulo, consulta, interface);
    EXPECT_TRUE(interface.mensagens.empty());

    std::vector<std::string> linhas;
    EXPECT_TRUE(ObterStatusDoBanco(modulo, linhas));
    EXPECT_EQ(linhas[1], "Dicionário de dados revisão 7, executado até o fim com 2 erro(s)");
    EXPECT_TRUE(linhas[2].starts_with("Liberado por sa em ")) << linhas[2];
    EXPECT_TRUE(linhas[3].starts_with("Validado por sa em ")) << linhas[3];
    EXPECT_EQ(linhas[4], "Início=10/03/2024 08:00:00");
    EXPECT_TRUE(linhas[6].starts_with("Duração=") && linhas[6].size() >= 17) << linhas[6];
    EXPECT_EQ(linhas[8], "Revisão do banco de dados: INCONSISTENTE");
    EXPECT_TRUE(linhas[10].starts_with("Erro 1 ---")) << linhas[10];
    EXPECT_TRUE(linhas[10].ends_with(std::string(90, '-')));
    EXPECT_EQ(linhas[11], "Parâmetros utilizados:");

    // A run without errors leaves no error block; a new run forgets the release.
    RegistrarFimDaAnalise(modulo, inicio, "ok", {}, {}, consulta, interface);
    EXPECT_EQ(banco.Coluna("select Erros from StatusBD"), std::vector<std::string>{"<NULL>"});
    RegistrarInicioDaAnalise(modulo, {}, consulta, interface);
    linhas.clear();
    ObterStatusDoBanco(modulo, linhas);
    for (const auto& linha : linhas) {
        EXPECT_FALSE(linha.starts_with("Erro 1")) << linha;
        EXPECT_FALSE(linha.starts_with("Liberado por")) << linha;
    }
}

TEST_F(StatusDoBanco, DuracaoPassaDeUmDia) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("INSERT INTO PEMPRESA (RevisaoDoBD) VALUES ('9')");
    banco.Executar(
        "INSERT INTO StatusBD (Inicio, Final, Status) VALUES ('20240310 08:00:00', "
        "'20240311 10:01:02.700', 'ok')");
    Conectar();
    std::vector<std::string> linhas;
    EXPECT_TRUE(ObterStatusDoBanco(modulo, linhas));
    EXPECT_EQ(linhas[2], "Início=10/03/2024 08:00:00");
    EXPECT_EQ(linhas[3], "Final=11/03/2024 10:01:02");
    EXPECT_EQ(linhas[4], "Duração=26:01:02");
    EXPECT_EQ(linhas[6], "Revisão do banco de dados: 9");
}

TEST_F(StatusDoBanco, SemColunasDeValidacao) {
    banco.CriarTabelasDaEmpresa(true, false);
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', '12')");
    Conectar();
    modulo.AbrirParametros();
    RegistrarInicioDaAnalise(modulo, {}, consulta, interface);
    EXPECT_TRUE(interface.perguntas.empty());
    RegistrarLiberacao(modulo, consulta, interface);
    // The command that stamps says what failed; nothing is shown here.
    EXPECT_THROW(RegistrarValidacao(modulo, consulta, interface), Erro);
    EXPECT_TRUE(interface.mensagens.empty());
    EXPECT_FALSE(consulta.Aberto());
    std::vector<std::string> linhas;
    EXPECT_TRUE(ObterStatusDoBanco(modulo, linhas));
    EXPECT_TRUE(linhas[2].starts_with("Liberado por sa em "));
    EXPECT_TRUE(linhas[3].starts_with("Início=")) << linhas[3];
    EXPECT_EQ(linhas.back(), "Não há Procedimentos internos");
}

TEST_F(StatusDoBanco, FalhaNoInicioPerguntaSeContinua) {
    Conectar();  // neither StatusBD nor PEMPRESA exist
    interface.resposta = Resposta::Sim;
    RegistrarInicioDaAnalise(modulo, {}, consulta, interface);
    ASSERT_EQ(interface.perguntas.size(), 2u);
    const std::string meio =
        ", o 'Analisar' poderá ser executado normalmente mas favor informar este problema ao "
        "suporte\r\n\r\nDescrição do erro: ";
    EXPECT_TRUE(interface.perguntas[0].starts_with(
        "Erro ao limpar registros de análise em 'StatusBD'" + meio));
    EXPECT_TRUE(interface.perguntas[1].starts_with(
        "Erro ao registrar início de análise em 'PEMPRESA'" + meio));
    EXPECT_TRUE(interface.perguntas[1].ends_with("\r\n\r\nVoce quer continuar a execução ?"));

    interface.resposta = Resposta::Nao;
    EXPECT_THROW(RegistrarInicioDaAnalise(modulo, {}, consulta, interface), Cancelamento);
    EXPECT_EQ(interface.perguntas.size(), 3u);
    EXPECT_FALSE(consulta.Aberto());
}

TEST_F(StatusDoBanco, FimDaAnaliseExigeAsColunas) {
    banco.Executar("CREATE TABLE StatusBD (Inicio datetime NULL)");
    Conectar();
    EXPECT_THROW(RegistrarFimDaAnalise(modulo, {}, "x", {}, {}, consulta, interface), Erro);
    EXPECT_FALSE(consulta.Aberto());
}

TEST_F(StatusDoBanco, TabelaDeStatusSemColunaChegaAoChamador) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("DROP TABLE StatusBD");
    banco.Executar("CREATE TABLE StatusBD (Status varchar(50) NULL)");
    banco.Executar("INSERT INTO StatusBD (Status) VALUES ('ok')");
    Conectar();
    std::vector<std::string> linhas;
    try {
        ObterStatusDoBanco(modulo, linhas);
        FAIL() << "a coluna ausente deveria chegar ao chamador";
    } catch (const Erro& e) {
        EXPECT_NE(std::string(e.what()).find("Hora da liberação"), std::string::npos) << e.what();
    }
}

TEST_F(StatusDoBanco, RelatorioDasTabelasDeParametros) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar(
        "INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD, Script) VALUES ('ACME', '5', "
        "'segredo')");
    banco.Executar("INSERT INTO PARFN (CODIGO, Nome) VALUES (2, 'b')");
    banco.Executar("INSERT INTO PARFN (CODIGO, Nome) VALUES (1, 'a')");
    banco.Executar("CREATE TABLE PARFROTA (Foto image NULL)");
    Conectar();
    std::vector<std::string> linhas;
    ObterParametrosDoBanco(modulo, linhas);
    ASSERT_EQ(linhas.size(), 6u);
    EXPECT_EQ(linhas[0], "Parâmetros de PEMPRESA:");
    EXPECT_EQ(linhas[1], "RAZAO_SOC=ACME\r\nRevisaoDoBD=5");  // Script left out
    EXPECT_EQ(linhas[2], "Parâmetros de PARFN:*** Tabela contém mais de um registro ***");
    EXPECT_EQ(linhas[3], "CODIGO=1\r\nCODIGO=2\r\nNome=a\r\nNome=b");
    EXPECT_EQ(linhas[4], "*** Tabela 'PARFROTA' está vazia ***");
    EXPECT_TRUE(linhas[5].starts_with("*** Erro ao abrir 'PARHIS': ")) << linhas[5];
    EXPECT_TRUE(linhas[5].ends_with(" ***"));

    banco.Executar("INSERT INTO PARFROTA (Foto) VALUES (0x0102)");
    db::Consulta propria(&modulo.Banco);
    linhas.clear();
    ListarParametrosDaTabela(linhas, propria, "PARFROTA");
    EXPECT_EQ(linhas, (std::vector<std::string>{"Parâmetros de PARFROTA:", "Foto=<Blob>"}));
    EXPECT_FALSE(propria.Aberto());
}

}  // namespace
}  // namespace zolvek::admin
