#include "admin/revisao_do_banco.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;

class RevisaoDoBanco : public ::testing::Test {
  protected:
    // Connects to `nome` (the test database unless given) and puts it in maintenance.
    void ConectarEmManutencao(const std::string& nome = "") {
        const std::string alvo = nome.empty() ? banco.Nome() : nome;
        modulo.Banco.DefinirStringDeConexao(banco.Cadeia(alvo));
        modulo.Conectar();
        consulta.DefinirConexao(&modulo.Banco);
        consulta.DefinirSQL("ALTER DATABASE " + db::EntreColchetes(alvo) + " SET SINGLE_USER");
        consulta.Executar();
    }

    std::string Acesso(const std::string& nome) {
        consulta.Fechar();
        consulta.DefinirSQL("select user_access_desc from sys.databases where name=" +
                            db::EntreApostrofos(nome));
        consulta.Abrir();
        return consulta.Campos().at(0).Texto();
    }

    BancoDeTeste banco;
    db::TModuloDados modulo;
    db::Consulta consulta;
};

TEST_F(RevisaoDoBanco, GravaARevisaoEmPempresaVaziaELibera) {
    banco.CriarTabelasDaEmpresa();
    ConectarEmManutencao();
    AtualizarRevisaoDoBanco(consulta, 120, banco.Nome());
    EXPECT_EQ(consulta.TextoSQL(), "ALTER DATABASE [EMPRESA] SET MULTI_USER");
    EXPECT_EQ(Acesso(banco.Nome()), "MULTI_USER");
    modulo.Banco.Fechar();
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"120"});
}

TEST_F(RevisaoDoBanco, SubstituiARevisaoDaLinhaExistente) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', NULL)");
    ConectarEmManutencao();
    AtualizarRevisaoDoBanco(consulta, 121, banco.Nome());
    modulo.Banco.Fechar();
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"121"});
    EXPECT_EQ(banco.Coluna("select RAZAO_SOC from PEMPRESA"), std::vector<std::string>{"ACME"});
}

TEST_F(RevisaoDoBanco, RevisaoZeroOuNegativaSoLibera) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', '7')");
    ConectarEmManutencao();
    AtualizarRevisaoDoBanco(consulta, -1, banco.Nome());
    EXPECT_EQ(Acesso(banco.Nome()), "MULTI_USER");
    AtualizarRevisaoDoBanco(consulta, 0, banco.Nome());
    modulo.Banco.Fechar();
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"7"});
}

TEST_F(RevisaoDoBanco, NomeComEspacoHifenEApostrofo) {
    const std::string nome = "Em presa-D'Ávila";
    banco.Executar("CREATE DATABASE " + db::EntreColchetes(nome), "master");
    ConectarEmManutencao(nome);
    EXPECT_EQ(Acesso(nome), "SINGLE_USER");
    AtualizarRevisaoDoBanco(consulta, -1, nome);
    EXPECT_EQ(Acesso(nome), "MULTI_USER");
    EXPECT_EQ(ComandoDeMultiplosUsuarios("a]b"), "ALTER DATABASE [a]]b] SET MULTI_USER");
}

TEST_F(RevisaoDoBanco, SemPempresaAFalhaChegaAoChamadorEOBancoContinuaEmManutencao) {
    ConectarEmManutencao();
    EXPECT_THROW(AtualizarRevisaoDoBanco(consulta, 5, banco.Nome()), ErroDeBanco);
    EXPECT_EQ(Acesso(banco.Nome()), "SINGLE_USER");
}

}  // namespace
}  // namespace zolvek::admin
