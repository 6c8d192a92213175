// TOP (n) [PERCENT] of DELETE, UPDATE and INSERT, TOP ... PERCENT and WITH TIES of SELECT,
// and SET ROWCOUNT, which stops SELECT, INSERT, UPDATE and DELETE after n rows.

#include "como_sql_server.hpp"

namespace {

class TopoEContagem : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Numeros");
        Sql("CREATE TABLE [" + t_ + "] (n int PRIMARY KEY, grupo int, marca char(1) NULL)");
        Sql("INSERT [" + t_ + "] (n, grupo) VALUES (1, 1), (2, 1), (3, 2), (4, 2), (5, 3)");
    }
    std::string t_;
};

TEST_P(TopoEContagem, ExcluiAtualizaEInsereSoAsPrimeirasLinhas) {
    EXPECT_EQ(Sql("UPDATE TOP (2) [" + t_ + "] SET marca = 'x' WHERE grupo > 1").linhasAfetadas, 2);
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t_ + "] WHERE marca = 'x' AND grupo > 1"), "2");
    EXPECT_EQ(Sql("DELETE TOP (1) FROM [" + t_ + "] WHERE marca IS NULL").linhasAfetadas, 1);
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t_ + "]"), "4");
    const std::string c = Tabela("Copia");
    Sql("CREATE TABLE [" + c + "] (n int)");
    EXPECT_EQ(Sql("INSERT TOP (3) INTO [" + c + "] SELECT n FROM [" + t_ + "]").linhasAfetadas, 3);
    Sql("DECLARE @k int = 2; DELETE TOP (@k) [" + c + "]");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + c + "]"), "1");
}

TEST_P(TopoEContagem, PorcentagemArredondaParaCima) {
    EXPECT_EQ(Sql("DELETE TOP (50) PERCENT FROM [" + t_ + "]").linhasAfetadas, 3);
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t_ + "]"), "2");
    Sql("INSERT [" + t_ + "] (n, grupo) VALUES (10, 5), (11, 5), (12, 6)");
    EXPECT_EQ(Coluna("SELECT TOP 40 PERCENT n FROM [" + t_ + "] ORDER BY n DESC"), "12,11");
}

// TOP takes any value: a variable, an expression, a subquery's; a fraction is dropped
// from a count; a negative one is refused, written in the statement or when it runs.
TEST_P(TopoEContagem, QuantidadeDeUmaExpressao) {
    EXPECT_EQ(
        Coluna("SELECT TOP (SELECT COUNT(*) - 3 FROM [" + t_ + "]) n FROM [" + t_ + "] ORDER BY n"),
        "1,2");
    EXPECT_EQ(Coluna("DECLARE @k float = 2.9; SELECT TOP (@k) n FROM [" + t_ + "] ORDER BY n"),
              "1,2");
    EXPECT_EQ(Coluna("DECLARE @k int = 1; SELECT TOP (@k + 1) PERCENT n FROM [" + t_ +
                     "] ORDER BY n DESC"),
              "5");
    EXPECT_EQ(Sql("UPDATE TOP (SELECT MIN(n) FROM [" + t_ + "]) [" + t_ + "] SET marca = 'y'")
                  .linhasAfetadas,
              1);
    EXPECT_EQ(Sql("DELETE TOP ((SELECT 2)) FROM [" + t_ + "] WHERE marca IS NULL").linhasAfetadas,
              2);
    EXPECT_EQ(Recusa("SELECT TOP (-1) n FROM [" + t_ + "]"),
              "127: A TOP N value may not be negative.");
    const std::string negativo = "1014: A TOP N or FETCH rows count value may not be negative.";
    EXPECT_EQ(Recusa("DECLARE @k int = -1; SELECT TOP (@k) n FROM [" + t_ + "]"), negativo);
    EXPECT_EQ(Recusa("DECLARE @k int = -1; DELETE TOP (@k) FROM [" + t_ + "]"), negativo);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "3");
}

// OFFSET and FETCH take whole counts, OFFSET none below zero and FETCH at least one row;
// neither goes with TOP in one query.
TEST_P(TopoEContagem, DeslocamentoEBuscaComoOSqlServerLe) {
    const std::string q = "SELECT n FROM [" + t_ + "] ORDER BY n ";
    EXPECT_EQ(Coluna("DECLARE @k int = 1; " + q + "OFFSET @k ROWS FETCH NEXT @k + 1 ROWS ONLY"),
              "2,3");
    EXPECT_EQ(Coluna(q + "OFFSET 3 ROWS"), "4,5");
    EXPECT_EQ(Recusa(q + "OFFSET -1 ROWS"),
              "10742: The offset specified in an OFFSET clause may not be negative.");
    EXPECT_EQ(Recusa("DECLARE @k int = -2; " + q + "OFFSET @k ROWS"),
              "10742: The offset specified in an OFFSET clause may not be negative.");
    EXPECT_EQ(Recusa(q + "OFFSET 1.5 ROWS"),
              "10743: The number of rows provided for an OFFSET clause must be an integer.");
    const std::string nenhuma =
        "10744: The number of rows provided for a FETCH clause must be greater then zero.";
    EXPECT_EQ(Recusa(q + "OFFSET 0 ROWS FETCH NEXT 0 ROWS ONLY"), nenhuma);
    EXPECT_EQ(Recusa("DECLARE @k int = 0; " + q + "OFFSET 0 ROWS FETCH FIRST @k ROWS ONLY"),
              nenhuma);
    EXPECT_EQ(Recusa("SELECT TOP 2 n FROM [" + t_ + "] ORDER BY n OFFSET 1 ROWS"),
              "10741: A TOP cannot be used in the same query or sub-query as an OFFSET.");
}

TEST_P(TopoEContagem, ComEmpatesTrazOsIguaisAoUltimo) {
    EXPECT_EQ(Coluna("SELECT n FROM (SELECT TOP (3) WITH TIES n, grupo FROM [" + t_ +
                     "] ORDER BY grupo) x ORDER BY n"),
              "1,2,3,4");
    EXPECT_EQ(Coluna("SELECT TOP 1 WITH TIES grupo FROM [" + t_ + "] ORDER BY grupo DESC"), "3");
}

TEST_P(TopoEContagem, RowcountLimitaConsultasEAlteracoes) {
    Sql("SET ROWCOUNT 2");
    EXPECT_EQ(Sql("SELECT n FROM [" + t_ + "] ORDER BY n").linhas.size(), 2u);
    EXPECT_EQ(Sql("UPDATE [" + t_ + "] SET marca = 'r'").linhasAfetadas, 2);
    EXPECT_EQ(Sql("DELETE FROM [" + t_ + "] WHERE marca IS NULL").linhasAfetadas, 2);
    // an explicit TOP of a change is not limited by it
    EXPECT_EQ(Sql("UPDATE TOP (3) [" + t_ + "] SET marca = 's'").linhasAfetadas, 3);
    Sql("DECLARE @n int = 0; SET ROWCOUNT @n");
    EXPECT_EQ(Sql("SELECT n FROM [" + t_ + "]").linhas.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Servidores, TopoEContagem, ::testing::Values("simulador", "mssql"));

}  // namespace
