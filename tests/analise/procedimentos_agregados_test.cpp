#include <gtest/gtest.h>

#include "analysis/procedimentos_agregados.hpp"
#include "comum/erros.hpp"
#include "versionamento/banco_simulado.hpp"

namespace zolvek::analysis {
namespace {

TEST(ConsultaDaPasta, LinhasExatasDaRaizEDeUmaPasta) {
    const std::vector<std::string> pasta = {
        "select idLibAgr,idPrgAgr,Ordem,Tipo from(",
        "select idLibAgr,0 as idPrgAgr,Ordem,'' as Tipo from LibAgr",
        "where itemDe=:idLibAgr /*Linha 2*/",
        "union all",
        "select 0 as idLibAgr,idPrgAgr,Ordem,Tipo from PrgAgr where Linguagem='SQL' and "
        "Status='Ativo' and Tipo not in ('Gatilho','Cálculo','Validação','Propagação','Apoio')",
        "and fkLibAgr=:idLibAgr /*Linha 5*/",
        ") t order by Ordem"};
    EXPECT_EQ(ConsultaDaPasta(false), pasta);
    auto raiz = pasta;
    raiz[2] = "where itemDe is null";
    raiz[5] = "and fkLibAgr is null";
    EXPECT_EQ(ConsultaDaPasta(true), raiz);
}

class BibliotecaNoSimulador : public ::testing::Test {
  protected:
    BibliotecaNoSimulador() {
        banco.Executar(
            "CREATE TABLE LibAgr (idLibAgr int NOT NULL, Nome varchar(60) NULL, Ordem int NULL, "
            "itemDe int NULL)");
        banco.Executar(
            "CREATE TABLE PrgAgr (idPrgAgr int NOT NULL, Tipo varchar(20) NOT NULL, Nome "
            "varchar(128) NOT NULL, Fonte text NULL, Ordem int NULL, Linguagem varchar(10) NULL, "
            "Status varchar(10) NULL, fkLibAgr int NULL)");
    }
    void Pasta(int id, int ordem, const std::string& itemDe) {
        banco.Executar("insert into LibAgr values (" + std::to_string(id) + ", 'P', " +
                       std::to_string(ordem) + ", " + itemDe + ")");
    }
    void Programa(int id, int ordem, const std::string& pasta,
                  const std::string& tipo = "Procedimento", const std::string& linguagem = "SQL",
                  const std::string& status = "Ativo") {
        banco.Executar("insert into PrgAgr values (" + std::to_string(id) + ", '" + tipo + "', 'p" +
                       std::to_string(id) + "', 'select 1', " + std::to_string(ordem) + ", '" +
                       linguagem + "', '" + status + "', " + pasta + ")");
    }
    zolvek::teste::BancoSimulado banco;
};

TEST_F(BibliotecaNoSimulador, PastaEProgramaDaRaizIntercaladosPelaOrdem) {
    Pasta(1, 1, "null");
    Programa(7, 1, "1");
    Programa(3, 2, "null");
    EXPECT_EQ(ListarProgramasDaBiblioteca(banco.conexao), (std::vector<std::string>{"7", "3"}));
}

TEST_F(BibliotecaNoSimulador, PercorreEmProfundidadeSoOsProgramasSqlAtivos) {
    Pasta(1, 1, "null");  // A
    Programa(10, 2, "null");
    Pasta(2, 3, "null");  // B
    Pasta(3, 1, "1");     // C inside A, before program 11
    Programa(11, 2, "1");
    Programa(12, 5, "3");
    Programa(13, 1, "2");
    Programa(14, 0, "null", "Gatilho");
    Programa(15, 0, "null", "Apoio");
    Programa(16, 0, "null", "Cálculo");
    Programa(17, 0, "null", "Procedimento", "Script");
    Programa(18, 0, "null", "Procedimento", "SQL", "Inativo");
    Programa(19, 9, "null", "Pós-analisar");
    Programa(20, 0, "2", "Função");
    EXPECT_EQ(ListarProgramasDaBiblioteca(banco.conexao),
              (std::vector<std::string>{"12", "11", "10", "20", "13", "19"}));
}

TEST_F(BibliotecaNoSimulador, PastaDentroDeSiMesmaNaoPrendeOPercurso) {
    Pasta(5, 1, "null");
    Pasta(5, 1, "5");
    Programa(8, 2, "5");
    EXPECT_EQ(ListarProgramasDaBiblioteca(banco.conexao), std::vector<std::string>{"8"});
}

TEST_F(BibliotecaNoSimulador, ProgramaApagadoNaoEEncontrado) {
    Programa(7, 1, "null", "Vista");
    db::Consulta consulta(&banco.conexao);
    consulta.DefinirSQL(kConsultaDoPrograma);
    const auto programa = ObterProgramaAgregado(consulta, "7");
    EXPECT_EQ(programa.Tipo, "Vista");
    EXPECT_EQ(programa.Nome, "p7");
    EXPECT_EQ(programa.Fonte, "select 1");
    banco.Executar("delete from PrgAgr");
    try {
        ObterProgramaAgregado(consulta, "7");
        FAIL() << "devia falhar";
    } catch (const Erro& e) {
        EXPECT_STREQ(e.what(), "Programa agregado nº 7 não encontrado");
    }
}

}  // namespace
}  // namespace zolvek::analysis
