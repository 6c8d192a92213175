#include <gtest/gtest.h>

#include "analysis/procedimentos_do_script.hpp"
#include "versionamento/banco_simulado.hpp"

namespace zolvek::analysis {
namespace {

TEST(LotesDoScript, GoEmQualquerCaixaSozinhoNaLinhaSeparaOsLotes) {
    EXPECT_EQ(LotesDoScript({"a", "GO", "b", "go", "c", "Go", "d"}),
              (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(LotesDoScript({"a", " GO", "b", "GO ", "c", "GO;", "d"}),
              (std::vector<std::string>{"a\n GO\nb\nGO \nc\nGO;\nd"}));
}

TEST(LotesDoScript, UltimoLoteSemGoSoQuandoNaoEstaEmBranco) {
    EXPECT_EQ(LotesDoScript({"a", "GO", "b", "c"}), (std::vector<std::string>{"a", "b\nc"}));
    EXPECT_EQ(LotesDoScript({"a", "GO", "  ", ""}), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(LotesDoScript({}).empty());
}

TEST(LotesDoScript, LotesVaziosEntreGosNaoSaoEnviados) {
    EXPECT_EQ(LotesDoScript({"GO", "a", "GO", "GO", " ", "GO", "b", "GO"}),
              (std::vector<std::string>{"a", "b"}));
}

TEST(SemPrefixoTabelasZAV, RemoveCadaOcorrenciaEmQualquerCaixa) {
    EXPECT_EQ(SemPrefixoTabelasZAV("select * from TabelasZAV..CLIENTES"), "select * from CLIENTES");
    EXPECT_EQ(SemPrefixoTabelasZAV("tabelaszav..A join TABELASZAV..B on tabelasZav..A.x=1"),
              "A join B on A.x=1");
    EXPECT_EQ(SemPrefixoTabelasZAV("TabelasZAV.dbo.A TabelasZAV. .B"),
              "TabelasZAV.dbo.A TabelasZAV. .B");
    EXPECT_EQ(SemPrefixoTabelasZAV("ÇTabelasZAV..ção"), "Çção");
}

class ScriptNoSimulador : public ::testing::Test {
  protected:
    AdicionarErroDoLote Coletar() {
        return [this](const LinhaDeErro& e) { erros.push_back(e); };
    }
    zolvek::teste::BancoSimulado banco;
    std::vector<LinhaDeErro> erros;
    const std::vector<std::string> script = {
        "IF EXISTS (SELECT * FROM sysobjects WHERE id = object_id('Somar')) DROP PROCEDURE Somar",
        "GO", "CREATE PROCEDURE Somar AS select count(*) from TabelasZAV..FERIADOS", "GO"};
};

TEST_F(ScriptNoSimulador, RemocaoSoExecutaOsLotesDeIfExistsSelect) {
    banco.Executar("CREATE TABLE FERIADOS (DATA datetime NULL)");
    banco.Executar("CREATE PROCEDURE Somar AS select 1");
    RemoverProcedimentosDoScript(banco.conexao, script, Coletar());
    EXPECT_TRUE(banco.Objetos().empty());
    EXPECT_TRUE(erros.empty());
    // Written in small letters it is still a drop batch.
    banco.Executar("CREATE PROCEDURE Somar AS select 1");
    RemoverProcedimentosDoScript(
        banco.conexao,
        {"if exists (select name from sysobjects where name = 'Somar')", "  drop procedure Somar"},
        Coletar());
    EXPECT_TRUE(banco.Objetos().empty());
}

TEST_F(ScriptNoSimulador, CriacaoExecutaTodosOsLotesSemTabelasZAV) {
    banco.Executar("CREATE TABLE FERIADOS (DATA datetime NULL)");
    CriarProcedimentosDoScript(banco.conexao, script, Coletar());
    CriarProcedimentosDoScript(banco.conexao, script, Coletar());  // drops it first
    EXPECT_TRUE(erros.empty()) << erros.at(0).descricao;
    EXPECT_EQ(banco.Objetos(), std::vector<std::string>{"Somar P"});
}

TEST_F(ScriptNoSimulador, LoteQueFalhaViraLinhaDeErroEOSeguinteExecuta) {
    banco.Executar("CREATE PROCEDURE Somar AS select 1");
    CriarProcedimentosDoScript(
        banco.conexao,
        {"CREATE PROCEDURE Somar AS select 2", "GO", "CREATE PROCEDURE Outro AS select 3"},
        Coletar());
    ASSERT_EQ(erros.size(), 1u);
    EXPECT_EQ(erros[0].tabela, "");
    EXPECT_EQ(erros[0].campo, "");
    EXPECT_EQ(erros[0].funcao, "Criar procedimento");
    EXPECT_EQ(erros[0].descricao, "There is already an object named 'Somar' in the database.");
    EXPECT_EQ(erros[0].comando, "CREATE PROCEDURE Somar AS select 2");
    EXPECT_EQ(banco.Objetos(), (std::vector<std::string>{"Outro P", "Somar P"}));

    erros.clear();
    RemoverProcedimentosDoScript(
        banco.conexao,
        {"IF EXISTS (SELECT * FROM sysobjects) DROP PROCEDURE Nenhum", "GO",
         "IF EXISTS (SELECT * FROM sysobjects WHERE name = 'Outro') DROP PROCEDURE Outro"},
        Coletar());
    ASSERT_EQ(erros.size(), 1u);
    EXPECT_EQ(erros[0].funcao, "Remover procedimento");
    EXPECT_EQ(erros[0].comando, "IF EXISTS (SELECT * FROM sysobjects) DROP PROCEDURE Nenhum");
    EXPECT_EQ(banco.Objetos(), std::vector<std::string>{"Somar P"});
}

}  // namespace
}  // namespace zolvek::analysis
