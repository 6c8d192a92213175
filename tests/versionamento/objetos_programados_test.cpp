#include <gtest/gtest.h>

#include "banco_simulado.hpp"
#include "comum/erros.hpp"
#include "versioning/objetos_programados.hpp"

namespace zolvek::versionamento {
namespace {

TEST(TipoDeObjeto, PeloTipoDoPrograma) {
    for (const char* tipo : {"Procedimento", "Cálculo", "Validação", "Propagação"})
        EXPECT_EQ(TipoDeObjeto(tipo), "procedure") << tipo;
    EXPECT_EQ(TipoDeObjeto("Gatilho"), "trigger");
    EXPECT_EQ(TipoDeObjeto("Função"), "function");
    EXPECT_EQ(TipoDeObjeto("Vista"), "view");
    EXPECT_EQ(TipoDeObjeto("View"), "view");
    EXPECT_EQ(TipoDeObjeto("trigger"), "trigger");
    EXPECT_EQ(TipoDeObjeto("Apoio"), "apoio");
}

TEST(ComandoParaRemoverObjeto, TextoExatoComONomeProtegido) {
    EXPECT_EQ(ComandoParaRemoverObjeto("Trigr_X_RegTab_Ins", "trigger"),
              "if exists (select * from sysobjects where id = object_id('Trigr_X_RegTab_Ins')) "
              "drop trigger dbo.[Trigr_X_RegTab_Ins]");
    // object_id reads its text as a name: one with a bracket goes in brackets there too.
    EXPECT_EQ(ComandoParaRemoverObjeto("D'a]b", "view"),
              "if exists (select * from sysobjects where id = object_id('[D''a]]b]')) drop view "
              "dbo.[D'a]]b]");
}

class ObjetosNoSimulador : public ::testing::Test {
  protected:
    // True when the grant of that type sends a statement: on a missing object the
    // server then refuses it.
    bool Concede(const std::string& tipo) {
        try {
            ConcederAcessoAoObjeto(banco.conexao, "Inexistente", tipo);
            return false;
        } catch (const ErroDeBanco&) {
            return true;
        }
    }
    teste::BancoSimulado banco;
};

TEST_F(ObjetosNoSimulador, SubstituirRemoveCriaEConcede) {
    banco.Executar("CREATE TABLE T (n int NULL)");
    SubstituirObjeto(banco.conexao, "Lista", "CREATE VIEW Lista AS select n from T", "Vista");
    SubstituirObjeto(banco.conexao, "Lista", "CREATE VIEW Lista AS select n, n as m from T",
                     "Vista");
    SubstituirObjeto(banco.conexao, "Rodar", "CREATE PROCEDURE Rodar AS select 1", "Procedimento");
    SubstituirObjeto(banco.conexao, "Rodar", "CREATE PROCEDURE Rodar AS select 2", "Cálculo");
    SubstituirObjeto(banco.conexao, "Vt", "CREATE VIEW Vt AS select 1 as a", "View");
    SubstituirObjeto(banco.conexao, "Vt", "CREATE VIEW Vt AS select 2 as a", "View");
    EXPECT_EQ(banco.Objetos(), (std::vector<std::string>{"Lista V", "Rodar P", "Vt V"}));
    EXPECT_EQ(banco.Coluna("select m from Lista"), std::vector<std::string>{});
}

TEST_F(ObjetosNoSimulador, RemoverSoOsTiposDeObjetoProgramado) {
    banco.Executar("CREATE TABLE T (n int NULL)");
    banco.Executar("CREATE PROCEDURE P1 AS select 1");
    RemoverObjeto(banco.conexao, "T", "Apoio");       // no kind: nothing is sent
    RemoverObjeto(banco.conexao, "Nada", "Gatilho");  // missing: nothing to drop
    RemoverObjeto(banco.conexao, "P1", "Validação");
    EXPECT_TRUE(banco.Objetos().empty());
    EXPECT_EQ(banco.Coluna("select count(*) from T"), std::vector<std::string>{"0"});
}

TEST_F(ObjetosNoSimulador, ConcessaoPeloTipoDoPrograma) {
    for (const char* tipo :
         {"Procedimento", "Cálculo", "Validação", "Propagação", "View", "Função"})
        EXPECT_TRUE(Concede(tipo)) << tipo;
    for (const char* tipo : {"Vista", "Gatilho", "Apoio", "Pré-analisar", "trigger", "procedure"})
        EXPECT_FALSE(Concede(tipo)) << tipo;
}

}  // namespace
}  // namespace zolvek::versionamento
