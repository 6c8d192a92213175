#include <gtest/gtest.h>

#include "auxiliares.hpp"
#include "banco_simulado.hpp"
#include "comum/erros.hpp"
#include "versioning/comandos_das_triggers.hpp"
#include "versioning/comandos_de_instalacao.hpp"
#include "versioning/versionamento.hpp"

namespace zolvek::versionamento {
namespace {

using teste::Campo;
using teste::Tabela;

const ClasseDeVersionamento F = ClasseDeVersionamento::F;
const ClasseDeVersionamento P = ClasseDeVersionamento::P;

TEST(ComandosDeInstalacao, RemoveCriaEExecutaNaOrdem) {
    const auto parfn = Tabela("PARFN", {Campo("Código", 'N', 9), Campo("Nome", 'C', 30)});
    const auto comandos = ComandosDeInstalacao(parfn, P);
    ASSERT_EQ(comandos.size(), 9u);
    EXPECT_EQ(comandos[0],
              "if exists (select * from sysobjects where id = object_id('Trigr_PARFN_RegVer_Ins')) "
              "drop trigger dbo.[Trigr_PARFN_RegVer_Ins]");
    EXPECT_EQ(comandos[1].rfind("CREATE TRIGGER [Trigr_PARFN_RegVer_Ins] ON [PARFN]\r\n", 0), 0u);
    EXPECT_EQ(comandos[2],
              "if exists (select * from sysobjects where id = object_id('Trigr_PARFN_RegVer_Upd')) "
              "drop trigger dbo.[Trigr_PARFN_RegVer_Upd]");
    EXPECT_EQ(comandos[4],
              "if exists (select * from sysobjects where id = object_id('Trigr_PARFN_RegVer_Del')) "
              "drop trigger dbo.[Trigr_PARFN_RegVer_Del]");
    EXPECT_EQ(
        comandos[6],
        "if exists (select * from sysobjects where id = "
        "object_id('Stprc_PARFN_RegVer_Build')) drop procedure dbo.[Stprc_PARFN_RegVer_Build]");
    EXPECT_EQ(comandos[7].rfind("CREATE PROCEDURE dbo.[Stprc_PARFN_RegVer_Build]\r\n", 0), 0u);
    EXPECT_EQ(comandos[8], "execute dbo.[Stprc_PARFN_RegVer_Build]");
    EXPECT_EQ(ComandosDeInstalacao(Tabela("REF", {Campo("NUMREF", 'S')}), F).size(), 6u);
}

// A company database with both history tables, a document table and a parameter table.
class VersionamentoNoSimulador : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* h : {"RegTab", "RegVer"})
            banco.Executar(std::string("CREATE TABLE ") + h +
                           " (id int IDENTITY(1,1) PRIMARY KEY, Operacao char(1) NOT NULL, "
                           "Tabela varchar(60) NOT NULL, idTabela int NULL, Campo varchar(60) "
                           "NULL, ValorEmString varchar(50) NULL, ValorEmTexto text NULL, "
                           "ValorEmBinario varbinary(max) NULL)");
        banco.Executar(
            "CREATE TABLE CLIENTE (CLIENTE int NOT NULL PRIMARY KEY, Nome varchar(60) NULL, "
            "Nascimento datetime NULL)");
        banco.Executar("CREATE TABLE PARFN ([Código] int NULL, Nome varchar(30) NULL)");
        banco.Executar("CREATE TABLE REF (NUMREF int NOT NULL, Descricao varchar(40) NULL)");
        dicionario.Tabelas() = {
            Tabela("CLIENTE", {Campo("CLIENTE", 'N', 9, true), Campo("Nome", 'C', 60),
                               Campo("Nascimento", 'D')}),
            Tabela("PARFN", {Campo("Código", 'N', 9), Campo("Nome", 'C', 30)}),
        };
    }

    std::string IdDoObjeto(const std::string& nome) {
        return banco.Coluna("select object_id('" + nome + "')").at(0);
    }

    teste::BancoSimulado banco;
    dicionario::DicionarioDeDados dicionario;
    teste::InterfaceSilenciosa interface;
};

const std::vector<std::string> kObjetosDoDicionario = {
    "Stprc_PARFN_RegVer_Build P",  "Trigr_CLIENTE_RegTab_Del TR", "Trigr_CLIENTE_RegTab_Ins TR",
    "Trigr_CLIENTE_RegTab_Upd TR", "Trigr_PARFN_RegVer_Del TR",   "Trigr_PARFN_RegVer_Ins TR",
    "Trigr_PARFN_RegVer_Upd TR"};

TEST_F(VersionamentoNoSimulador, InstalaAsTriggersEOProcedimentoDasDuasClasses) {
    GerarVersionamento(banco.conexao, dicionario, F, interface);
    GerarVersionamento(banco.conexao, dicionario, P, interface);
    EXPECT_EQ(banco.Objetos(), kObjetosDoDicionario);
    EXPECT_FALSE(banco.conexao.EmTransacao());
}

TEST_F(VersionamentoNoSimulador, SegundaExecucaoSubstituiCadaObjeto) {
    GerarVersionamento(banco.conexao, dicionario, F, interface);
    GerarVersionamento(banco.conexao, dicionario, P, interface);
    const std::string antes = IdDoObjeto("Trigr_CLIENTE_RegTab_Ins");
    const std::string procedimento = IdDoObjeto("Stprc_PARFN_RegVer_Build");
    GerarVersionamento(banco.conexao, dicionario, F, interface);
    GerarVersionamento(banco.conexao, dicionario, P, interface);
    EXPECT_EQ(banco.Objetos(), kObjetosDoDicionario);
    EXPECT_NE(IdDoObjeto("Trigr_CLIENTE_RegTab_Ins"), antes);
    EXPECT_NE(IdDoObjeto("Stprc_PARFN_RegVer_Build"), procedimento);
}

TEST_F(VersionamentoNoSimulador, FalhaNoMeioDesfazAClasseInteira) {
    GerarVersionamento(banco.conexao, dicionario, F, interface);
    const std::string antes = IdDoObjeto("Trigr_CLIENTE_RegTab_Ins");
    // CLIENTE is replaced and REF installed before FORNEC, which has no record key.
    banco.Executar("CREATE TABLE FORNEC (FORNECEDOR int NULL)");
    dicionario.Tabelas().push_back(
        Tabela("REF", {Campo("NUMREF", 'S'), Campo("Descricao", 'C', 40)}));
    dicionario.Tabelas().push_back(Tabela("FORNEC", {Campo("FORNECEDOR", 'N', 9)}));
    try {
        GerarVersionamento(banco.conexao, dicionario, F, interface);
        FAIL() << "devia falhar";
    } catch (const Erro& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Tabela 'FORNEC' não tem campo chave identity", 0),
                  0u);
    }
    EXPECT_FALSE(banco.conexao.EmTransacao());
    EXPECT_EQ(banco.Objetos(), (std::vector<std::string>{"Trigr_CLIENTE_RegTab_Del TR",
                                                         "Trigr_CLIENTE_RegTab_Ins TR",
                                                         "Trigr_CLIENTE_RegTab_Upd TR"}));
    EXPECT_EQ(IdDoObjeto("Trigr_CLIENTE_RegTab_Ins"), antes);
}

TEST_F(VersionamentoNoSimulador, TabelaSemCampoGravadoFalhaNoServidorEDesfazAClasse) {
    banco.Executar("CREATE TABLE PARHIS (LctoContabilEmEdicao char(1) NULL)");
    dicionario.Tabelas().push_back(Tabela("PARHIS", {Campo("LctoContabilEmEdicao", 'L', 1)}));
    try {
        GerarVersionamento(banco.conexao, dicionario, P, interface);
    } catch (const ErroDeBanco&) {
        EXPECT_FALSE(banco.conexao.EmTransacao());
        EXPECT_TRUE(banco.Objetos().empty());
        return;
    }
    GTEST_SKIP() << "o simulador aceita uma trigger com a lista do select vazia "
                    "(\"select  from inserted n\"), que o SQL Server recusa: ainda não analisa "
                    "os corpos de triggers e procedimentos";
}

TEST_F(VersionamentoNoSimulador, RemoveSoAsTriggersAntigasDeRegMov) {
    banco.Executar("CREATE TRIGGER [Trigr_CLIENTE_RegMov_Ins] ON [CLIENTE] FOR INSERT AS return");
    banco.Executar("CREATE TRIGGER [Trigr_PARFN_RegMov_Del] ON [PARFN] FOR DELETE AS return");
    banco.Executar("CREATE TRIGGER [Trigr_REF_RegMov_Upd] ON [REF] FOR UPDATE AS return");
    GerarVersionamento(banco.conexao, dicionario, F, interface);
    RemoverTriggersDeRegMov(banco.conexao, dicionario, interface);
    // REF is not in this dictionary: its trigger stays.
    EXPECT_EQ(banco.Objetos(), (std::vector<std::string>{
                                   "Trigr_CLIENTE_RegTab_Del TR", "Trigr_CLIENTE_RegTab_Ins TR",
                                   "Trigr_CLIENTE_RegTab_Upd TR", "Trigr_REF_RegMov_Upd TR"}));
}

TEST_F(VersionamentoNoSimulador, RegTabGuardaOsValoresAnterioresACadaMudanca) {
    GerarVersionamento(banco.conexao, dicionario, F, interface);
    banco.Executar("insert into CLIENTE (CLIENTE, Nome) values (7, 'Ana')");
    banco.Executar("update CLIENTE set Nome = 'Bia', Nascimento = '20010203' where CLIENTE = 7");
    banco.Executar("update CLIENTE set Nome = 'Bia' where CLIENTE = 7");  // changes nothing
    banco.Executar("delete from CLIENTE where CLIENTE = 7");
    EXPECT_EQ(
        banco.Coluna("select Operacao + ' ' + cast(idTabela as varchar) + ' ' + Campo + ' ' + "
                     "coalesce(ValorEmString, cast(ValorEmTexto as varchar(60)), '<NULL>') "
                     "from RegTab order by id"),
        (std::vector<std::string>{"I 7 CLIENTE 7", "U 7 Nome Ana", "U 7 Nascimento <NULL>",
                                  "D 7 CLIENTE 7", "D 7 Nome Bia",
                                  "D 7 Nascimento 2001-02-03 00:00:00.000"}));
}

TEST_F(VersionamentoNoSimulador, RegVerTiraOInstantaneoUmaVezEGuardaOsNovosValores) {
    banco.Executar("insert into PARFN ([Código], Nome) values (1, 'Matriz')");
    GerarVersionamento(banco.conexao, dicionario, P, interface);
    GerarVersionamento(banco.conexao, dicionario, P, interface);  // the snapshot is not taken again
    banco.Executar("update PARFN set Nome = NULL");
    EXPECT_EQ(
        banco.Coluna("select Operacao + ' ' + cast(idTabela as varchar) + ' ' + Campo + ' ' + "
                     "coalesce(ValorEmString, '<NULL>') from RegVer order by id"),
        (std::vector<std::string>{"B 1 Código 1", "B 1 Nome Matriz", "U 1 Nome <NULL>"}));
}

}  // namespace
}  // namespace zolvek::versionamento
