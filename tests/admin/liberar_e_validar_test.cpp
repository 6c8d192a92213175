#include "admin/liberar_e_validar.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;
using teste::InterfaceDaAdministracao;

const char* const kCriarRegMov =
    "CREATE TABLE RegMov (idRegMov int IDENTITY(1,1) NOT NULL, "
    "Hora datetime NOT NULL DEFAULT getdate(), Operador varchar(128) NOT NULL, "
    "Tipo varchar(20) NOT NULL, Complemento varchar(255) NULL)";

class LiberarEValidar : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.CriarTabelasDaEmpresa();
        banco.Executar(kCriarRegMov);
    }

    void Conectar(bool emManutencao) {
        modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
        modulo.Conectar();
        if (!emManutencao) return;
        db::Consulta alterar(&modulo.Banco);
        alterar.DefinirSQL("ALTER DATABASE EMPRESA SET SINGLE_USER");
        alterar.Executar();
    }

    // Read after the program's connection is closed, as another user would.
    std::vector<std::string> Coluna(const std::string& sql) {
        modulo.Banco.Fechar();
        return banco.Coluna(sql);
    }

    BancoDeTeste banco;
    db::TModuloDados modulo;
    InterfaceDaAdministracao interface;
};

TEST(ConsultaDeUsuarioUnico, FormaPelaVersaoDoServidor) {
    EXPECT_EQ(ConsultaDeUsuarioUnico(10, "EMPRESA"), "sp_dboption 'EMPRESA', 'single user'");
    EXPECT_EQ(ConsultaDeUsuarioUnico(11, "D'Ávila"),
              "select case when user_access_desc='SINGLE_USER' then 'ON' else 'OFF' end as "
              "CurrentSetting from sys.databases where name='D''Ávila'");
    EXPECT_EQ(ConsultaDeUsuarioUnico(9, "D'Ávila"), "sp_dboption 'D''Ávila', 'single user'");
}

TEST_F(LiberarEValidar, LiberaBancoDeUsuarioUnico) {
    Conectar(true);
    int atualizacoes = 0;
    interface.resposta = Resposta::Sim;
    EXPECT_EQ(Liberar(modulo, interface, [&] { ++atualizacoes; }), ResultadoDaLiberacao::Liberado);
    EXPECT_EQ(interface.perguntas, std::vector<std::string>{kPerguntaLiberar});
    EXPECT_EQ(interface.mensagens, std::vector<std::string>{"Banco de dados liberado com sucesso"});
    EXPECT_EQ(atualizacoes, 1);
    EXPECT_EQ(Coluna("select user_access_desc from sys.databases where name='EMPRESA'"),
              std::vector<std::string>{"MULTI_USER"});
    EXPECT_EQ(banco.Coluna("select Operador + '|' + Tipo from RegMov"),
              std::vector<std::string>{"sa|Liberar"});
    EXPECT_EQ(banco.Coluna("select [Liberado por] from StatusBD"), std::vector<std::string>{"sa"});
    EXPECT_EQ(banco.Coluna("select count(*) from StatusBD where [Hora da liberação] is not null"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(banco.Coluna("select count(*) from PEMPRESA"), std::vector<std::string>{"0"});
}

TEST_F(LiberarEValidar, BancoJaLiberadoSoAMensagem) {
    Conectar(false);
    EXPECT_EQ(Liberar(modulo, interface), ResultadoDaLiberacao::JaLiberado);
    EXPECT_TRUE(interface.perguntas.empty());
    EXPECT_EQ(interface.mensagens, std::vector<std::string>{"Banco de dados já está liberado"});
    EXPECT_EQ(Coluna("select count(*) from RegMov"), std::vector<std::string>{"0"});
    EXPECT_EQ(banco.Coluna("select count(*) from StatusBD"), std::vector<std::string>{"0"});
}

TEST_F(LiberarEValidar, RespostaNaoNadaMuda) {
    Conectar(true);
    EXPECT_EQ(Liberar(modulo, interface), ResultadoDaLiberacao::NaoConfirmado);
    EXPECT_EQ(interface.perguntas.size(), 1u);
    EXPECT_TRUE(interface.mensagens.empty());
    db::Consulta consulta(&modulo.Banco);
    consulta.DefinirSQL("select user_access_desc from sys.databases where name='EMPRESA'");
    consulta.Abrir();
    EXPECT_EQ(consulta.Campos().at(0).Texto(), "SINGLE_USER");
    EXPECT_EQ(Coluna("select count(*) from RegMov"), std::vector<std::string>{"0"});
}

TEST_F(LiberarEValidar, FalhaNoRegMovAparecEALiberacaoSegue) {
    banco.Executar("DROP TABLE RegMov");
    Conectar(true);
    interface.resposta = Resposta::Sim;
    EXPECT_EQ(Liberar(modulo, interface), ResultadoDaLiberacao::Liberado);
    ASSERT_EQ(interface.mensagens.size(), 2u);
    EXPECT_NE(interface.mensagens[0].find("RegMov"), std::string::npos) << interface.mensagens[0];
    EXPECT_EQ(interface.mensagens[1], kMensagemLiberado);
    EXPECT_EQ(Coluna("select user_access_desc from sys.databases where name='EMPRESA'"),
              std::vector<std::string>{"MULTI_USER"});
}

TEST_F(LiberarEValidar, NomeComEspacoEApostrofoLibera) {
    const std::string nome = "Em presa-D'Ávila";
    banco.Executar("CREATE DATABASE " + db::EntreColchetes(nome), "master");
    banco.Executar(kCriarRegMov, nome);
    modulo.Banco.DefinirStringDeConexao(banco.Cadeia(nome));
    modulo.Conectar();
    db::Consulta alterar(&modulo.Banco);
    alterar.DefinirSQL("ALTER DATABASE " + db::EntreColchetes(nome) + " SET SINGLE_USER");
    alterar.Executar();
    interface.resposta = Resposta::Sim;
    int atualizacoes = 0;
    // Without a StatusBD the stamp fails: the release stands, the panel is refreshed,
    // and the one message says both, with no success after it.
    try {
        Liberar(modulo, interface, [&] { ++atualizacoes; });
        FAIL() << "a falha do registro da liberação não apareceu";
    } catch (const Erro& e) {
        EXPECT_EQ(std::string(e.what()).rfind("O banco de dados foi liberado, mas a liberação "
                                              "não foi registrada em 'StatusBD': Invalid object "
                                              "name 'StatusBD",
                                              0),
                  0u)
            << e.what();
    }
    EXPECT_EQ(atualizacoes, 1);
    EXPECT_TRUE(interface.mensagens.empty());
    EXPECT_EQ(Liberar(modulo, interface), ResultadoDaLiberacao::JaLiberado);
}

TEST_F(LiberarEValidar, ValidaPempresaVazia) {
    Conectar(true);
    EXPECT_TRUE(PrecisaValidar(modulo, 12, interface));
    EXPECT_EQ(TextoDaValidacao(12), "Banco de dados será validado para a revisão [12]");
    db::Consulta qryComando(&modulo.Banco);
    ValidarBanco(modulo, qryComando, 12, interface);
    EXPECT_TRUE(interface.mensagens.empty());
    EXPECT_EQ(Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"12"});
    EXPECT_EQ(banco.Coluna("select user_access_desc from sys.databases where name='EMPRESA'"),
              std::vector<std::string>{"MULTI_USER"});
    EXPECT_EQ(banco.Coluna("select Operador + '|' + Tipo from RegMov"),
              std::vector<std::string>{"sa|Validar"});
    EXPECT_EQ(banco.Coluna("select [Validado por] from StatusBD"), std::vector<std::string>{"sa"});
    EXPECT_EQ(banco.Coluna("select count(*) from StatusBD where [Hora da liberação] is null"),
              std::vector<std::string>{"1"});
}

TEST(Validar, FalhaNoRegistroDaValidacaoEhOResultado) {
    BancoDeTeste banco;
    banco.CriarTabelasDaEmpresa(true, false);  // a StatusBD without the validation columns
    banco.Executar(kCriarRegMov);
    db::TModuloDados modulo;
    modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
    modulo.Conectar();
    InterfaceDaAdministracao interface;
    db::Consulta qryComando(&modulo.Banco);
    try {
        ValidarBanco(modulo, qryComando, 12, interface);
        FAIL() << "a falha do registro da validação não apareceu";
    } catch (const Erro& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "O banco de dados foi validado, mas a validação não foi registrada em "
                      "'StatusBD': ",
                      0),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(interface.mensagens.empty());
    modulo.Banco.Fechar();
    EXPECT_EQ(banco.Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"12"});
}

TEST_F(LiberarEValidar, JaNaRevisaoSoAMensagem) {
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', ' 12 ')");
    Conectar(false);
    EXPECT_FALSE(PrecisaValidar(modulo, 12, interface));
    EXPECT_EQ(interface.mensagens, std::vector<std::string>{"Banco de dados já está validado"});
    EXPECT_TRUE(PrecisaValidar(modulo, 13, interface));
    EXPECT_EQ(Coluna("select count(*) from RegMov"), std::vector<std::string>{"0"});
}

TEST_F(LiberarEValidar, RevisaoNulaOuEmBrancoPrecisaValidar) {
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', NULL)");
    Conectar(true);
    EXPECT_TRUE(PrecisaValidar(modulo, 12, interface));
    db::Consulta qryComando(&modulo.Banco);
    ValidarBanco(modulo, qryComando, 12, interface);
    EXPECT_FALSE(PrecisaValidar(modulo, 12, interface));
    modulo.Banco.Fechar();
    banco.Executar("UPDATE PEMPRESA SET RevisaoDoBD = '   '");
    Conectar(false);
    EXPECT_TRUE(PrecisaValidar(modulo, 0, interface));
    EXPECT_EQ(Coluna("select count(*) from PEMPRESA"), std::vector<std::string>{"1"});
}

}  // namespace
}  // namespace zolvek::admin
