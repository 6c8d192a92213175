#include <gtest/gtest.h>

#include <fstream>

#include "admin/banco_de_teste.hpp"
#include "cli/rodar_cli.hpp"
#include "dictionary/escritor.hpp"

namespace {

using zolvek::teste::Aspas;
using zolvek::teste::BancoDeTeste;
using zolvek::teste::Execucao;

// zolvek-cli's administration commands on a company database of a stand-in server,
// with a dictionary of revision 12.
class Administracao : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.CriarTabelasDaEmpresa();
        banco.Executar(
            "CREATE TABLE RegMov (idRegMov int IDENTITY(1,1), Hora datetime NOT NULL DEFAULT "
            "getdate(), Operador varchar(128) NOT NULL, Tipo varchar(20) NOT NULL, Complemento "
            "varchar(255) NULL)");
        zolvek::dicionario::ConteudoDoDicionario conteudo;
        conteudo.revisao = 12;
        zolvek::dicionario::GravarDicionario(dicionario, conteudo);
    }

    Execucao Rodar(const std::string& argumentos) {
        return zolvek::teste::RodarCli(banco.Pasta(), argumentos);
    }
    // A command that connects to the company database.
    Execucao RodarNoBanco(const std::string& comando) {
        return Rodar(comando + " --conexao " + Aspas(banco.Cadeia()) + " --dicionario " +
                     Aspas(dicionario.string()));
    }
    void EmManutencao() { banco.Executar("ALTER DATABASE EMPRESA SET SINGLE_USER"); }
    std::string Acesso() {
        return banco.Coluna("select user_access_desc from sys.databases where name='EMPRESA'")
            .at(0);
    }

    BancoDeTeste banco;
    std::filesystem::path dicionario = banco.Pasta() / "teste.DicD";
};

TEST_F(Administracao, LiberarComSimSemSimEJaLiberado) {
    EmManutencao();
    const auto semSim = RodarNoBanco("liberar");
    EXPECT_EQ(semSim.status, 1) << semSim.saida << semSim.erros;
    EXPECT_EQ(semSim.saida, "");
    EXPECT_NE(semSim.erros.find("O banco de dados será liberado, você confirma ? Não"),
              std::string::npos)
        << semSim.erros;
    EXPECT_EQ(Acesso(), "SINGLE_USER");

    const auto comSim = RodarNoBanco("liberar --sim");
    EXPECT_EQ(comSim.status, 0) << comSim.saida << comSim.erros;
    EXPECT_EQ(comSim.saida, "Banco de dados liberado com sucesso\n");
    EXPECT_EQ(Acesso(), "MULTI_USER");
    EXPECT_EQ(banco.Coluna("select Tipo from RegMov"), std::vector<std::string>{"Liberar"});

    const auto outra = RodarNoBanco("liberar --sim");
    EXPECT_EQ(outra.status, 0);
    EXPECT_EQ(outra.saida, "Banco de dados já está liberado\n");
    EXPECT_EQ(banco.Coluna("select count(*) from RegMov"), std::vector<std::string>{"1"});
}

TEST_F(Administracao, ValidarEHistorico) {
    EmManutencao();
    const auto semSim = RodarNoBanco("validar");
    EXPECT_EQ(semSim.status, 1);
    EXPECT_NE(semSim.erros.find("Banco de dados será validado para a revisão [12]"),
              std::string::npos)
        << semSim.erros;
    const auto validado = RodarNoBanco("validar --sim");
    EXPECT_EQ(validado.status, 0) << validado.saida << validado.erros;
    EXPECT_EQ(validado.saida, "Banco de dados validado com sucesso\n");
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"12"});
    EXPECT_EQ(Acesso(), "MULTI_USER");
    const auto denovo = RodarNoBanco("validar");
    EXPECT_EQ(denovo.status, 0);
    EXPECT_EQ(denovo.saida, "Banco de dados já está validado\n");

    banco.Executar(
        "insert RegMov (Hora, Operador, Tipo, Complemento) values ('20200506 07:08:09', 'ana', "
        "'Analisar', 'ok')");
    const auto historico = RodarNoBanco("historico");
    EXPECT_EQ(historico.status, 0) << historico.saida;
    EXPECT_EQ(historico.saida,
              "Operador\tHora\tTipo\tComplemento\nana\t06/05/2020 07:08:09\tAnalisar\tok\n");
}

TEST_F(Administracao, UsoIncorreto) {
    EXPECT_EQ(Rodar("liberar --conexao x sobra").status, 2);
    EXPECT_EQ(Rodar("novo --nome X").status, 2);
    EXPECT_EQ(Rodar("novo --servidor S --nome ' '").status, 2);
    EXPECT_EQ(Rodar("novo --servidor S --nome X --log-maximo 4").status, 2);
    EXPECT_EQ(Rodar("novo --servidor S --nome X --log-maximo 5x").status, 2);
    EXPECT_EQ(Rodar("restaurar --arquivo a --destino b").status, 2);
    for (const char* comando : {"liberar", "validar", "historico", "novo", "restaurar"}) {
        const auto ajuda = Rodar(std::string(comando) + " --help");
        EXPECT_EQ(ajuda.status, 0) << comando;
        EXPECT_TRUE(ajuda.saida.starts_with("Uso: zolvek-cli ")) << comando;
    }
}

TEST_F(Administracao, NovoERestaurar) {
    const std::string servidor = Aspas(banco.Pasta().string());
    const auto novo = Rodar("novo --servidor " + servidor +
                            " --nome ' COPIA ' --pasta 'D:\\Dados' --log-maximo 50 --senha ''");
    EXPECT_EQ(novo.status, 0) << novo.saida << novo.erros;
    EXPECT_EQ(novo.saida, "Banco de Dados foi criado com sucesso\n");
    const auto repetido = Rodar("novo --servidor " + servidor + " --nome COPIA");
    EXPECT_EQ(repetido.status, 1);
    EXPECT_EQ(repetido.saida,
              "Database 'COPIA' already exists. Choose a different database name.\n");

    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('ACME')");
    banco.Executar("BACKUP DATABASE EMPRESA TO DISK = 'empresa.bak'");
    const auto restaurada = Rodar("restaurar --arquivo empresa.bak --destino COPIA --servidor " +
                                  servidor + " --login sa");
    EXPECT_EQ(restaurada.status, 0) << restaurada.saida << restaurada.erros;
    EXPECT_EQ(restaurada.saida, "Cópia de segurança foi restaurada com sucesso\n");
    const auto entrada = banco.Pasta() / "consulta.sql";
    std::ofstream(entrada) << "select RAZAO_SOC from PEMPRESA\nGO\nsp_helpfile\n";
    const auto copia =
        zolvek::teste::RodarCli(banco.Pasta(), "sql --conexao " + Aspas(banco.Cadeia("COPIA")) +
                                                   " " + Aspas(entrada.string()));
    EXPECT_EQ(copia.status, 0) << copia.saida;
    EXPECT_TRUE(copia.saida.starts_with("RAZAO_SOC\nACME\n")) << copia.saida;
    EXPECT_NE(copia.saida.find("\nEMPRESA\t1\tD:\\Dados\\COPIA_dat.mdf\t"), std::string::npos)
        << copia.saida;
    EXPECT_NE(copia.saida.find("\nEMPRESA_log\t2\tD:\\Dados\\COPIA_log.ldf\t"), std::string::npos);

    const auto semDestino =
        Rodar("restaurar --arquivo empresa.bak --destino FALTA --servidor " + servidor);
    EXPECT_EQ(semDestino.status, 1);
    EXPECT_NE(semDestino.saida.find("FALTA"), std::string::npos) << semDestino.saida;
}

}  // namespace
