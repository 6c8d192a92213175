#include "como_sql_server.hpp"

// GROUP BY ROLLUP, CUBE, GROUPING SETS and WITH ROLLUP/CUBE, with GROUPING and GROUPING_ID.
namespace {

class Agrupamentos : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Vendas");
        Sql("CREATE TABLE [" + t_ + "] (g varchar(10) NULL, h varchar(10) NULL, v decimal(10,2))");
        Sql("INSERT INTO [" + t_ + "] VALUES ('a','x',1.10),('a','y',2.20),('b','x',3.30)");
    }

    // Every row, columns joined by "," and rows by ";".
    std::string Linhas(const std::string& sql) {
        std::string s;
        for (const auto& l : Sql(sql).linhas) {
            s += s.empty() ? "" : ";";
            for (std::size_t k = 0; k < l.size(); ++k)
                s += (k ? "," : "") + SimuladorTeste::Texto(l[k]);
        }
        return s;
    }

    std::string t_;
};

TEST_P(Agrupamentos, RollupDaSubtotaisETotalGeralExatos) {
    const std::string ordem = " ORDER BY GROUPING(g), g, GROUPING(h), h";
    EXPECT_EQ(Linhas("SELECT g, h, SUM(v) FROM [" + t_ + "] GROUP BY ROLLUP(g, h)" + ordem),
              "a,x,1.10;a,y,2.20;a,NULL,3.30;b,x,3.30;b,NULL,3.30;NULL,NULL,6.60");
    EXPECT_EQ(Linhas("SELECT g, h, SUM(v) FROM [" + t_ + "] GROUP BY g, h WITH ROLLUP" + ordem),
              "a,x,1.10;a,y,2.20;a,NULL,3.30;b,x,3.30;b,NULL,3.30;NULL,NULL,6.60");
    auto r = Sql("SELECT g, SUM(v) AS total, COUNT(*) FROM [" + t_ +
                 "] GROUP BY ROLLUP(g) ORDER BY total");
    ASSERT_EQ(r.colunas.size(), 3u);
    EXPECT_EQ(r.colunas[0].nome, "g");
    EXPECT_EQ(r.colunas[1].nome, "total");
    EXPECT_EQ(r.colunas[2].nome, "");
    EXPECT_EQ(r.colunas[1].escala, 2);
    EXPECT_EQ(Linhas("SELECT g, SUM(v) AS total, COUNT(*) FROM [" + t_ +
                     "] GROUP BY ROLLUP(g) ORDER BY total DESC, g"),
              "NULL,6.60,3;a,3.30,2;b,3.30,1");
    // the grand total of no rows is still a row
    EXPECT_EQ(Linhas("SELECT g, COUNT(*) FROM [" + t_ + "] WHERE v > 100 GROUP BY ROLLUP(g)"),
              "NULL,0");
}

TEST_P(Agrupamentos, CuboEConjuntosComGroupingId) {
    EXPECT_EQ(Linhas("SELECT g, h, GROUPING_ID(g, h), COUNT(*) FROM [" + t_ +
                     "] GROUP BY CUBE(g, h) ORDER BY 3, g, h"),
              "a,x,0,1;a,y,0,1;b,x,0,1;a,NULL,1,2;b,NULL,1,1;NULL,x,2,2;NULL,y,2,1;NULL,NULL,3,3");
    EXPECT_EQ(Linhas("SELECT g, h, SUM(v) FROM [" + t_ +
                     "] GROUP BY g, h WITH CUBE HAVING GROUPING(g) = 1 ORDER BY h"),
              "NULL,NULL,6.60;NULL,x,4.40;NULL,y,2.20");
    EXPECT_EQ(Linhas("SELECT g, h, COUNT(*) AS n FROM [" + t_ +
                     "] GROUP BY GROUPING SETS ((g), (h), ()) ORDER BY GROUPING(g), g, h"),
              "a,NULL,2;b,NULL,1;NULL,NULL,3;NULL,x,2;NULL,y,1");
    EXPECT_EQ(Linhas("SELECT g, h, COUNT(*) FROM [" + t_ +
                     "] GROUP BY g, ROLLUP(h) HAVING g = 'b' ORDER BY GROUPING(h)"),
              "b,x,1;b,NULL,1");
    EXPECT_EQ(Linhas("SELECT UPPER(g) AS G2, COUNT(*) FROM [" + t_ +
                     "] GROUP BY ROLLUP(UPPER(g)) ORDER BY G2"),
              "NULL,3;A,2;B,1");
}

TEST_P(Agrupamentos, GroupingForaDoGroupByEhRecusado) {
    EXPECT_EQ(Recusa("SELECT g, GROUPING(h) FROM [" + t_ + "] GROUP BY ROLLUP(g)"),
              "8161: Argument 1 of the GROUPING function does not match any of the expressions in "
              "the GROUP BY clause.");
    EXPECT_EQ(Recusa("SELECT g, h FROM [" + t_ + "] GROUP BY ROLLUP(g)"),
              "8120: Column '" + t_ +
                  ".h' is invalid in the select list because it is not contained in either an "
                  "aggregate function or the GROUP BY clause.");
    EXPECT_EQ(Valor("SELECT GROUPING(g) FROM [" + t_ + "] GROUP BY g"), "0");
}

TEST_P(Agrupamentos, PivotAgrupaPelasOutrasColunas) {
    const std::string m = Tabela("Meses");
    Sql("CREATE TABLE [" + m + "] (ano int NOT NULL, mes varchar(3) NOT NULL, v decimal(10,2))");
    Sql("INSERT INTO [" + m +
        "] VALUES (2020,'jan',1.10),(2020,'fev',2.20),(2021,'jan',3.30),(2021,'JAN',0.05)");
    auto r =
        Sql("SELECT * FROM [" + m + "] PIVOT (SUM(v) FOR mes IN ([jan], [fev])) AS p ORDER BY ano");
    ASSERT_EQ(r.colunas.size(), 3u);
    EXPECT_EQ(r.colunas[1].nome, "jan");
    EXPECT_EQ(Linhas("SELECT p.ano, p.[fev], p.jan FROM [" + m +
                     "] PIVOT (SUM(v) FOR mes IN ([jan], [fev])) AS p ORDER BY p.ano"),
              "2020,2.20,1.10;2021,NULL,3.35");
    EXPECT_EQ(Linhas("SELECT * FROM (SELECT g, v FROM [" + t_ +
                     "]) s PIVOT (COUNT(v) FOR g IN ([a], [b], [c])) p"),
              "2,1,0");
    EXPECT_EQ(Recusa("SELECT * FROM [" + m + "] PIVOT (SUM(v) FOR dia IN ([1])) AS p"),
              "207: Invalid column name 'dia'.");
}

TEST_P(Agrupamentos, UnpivotDeixaOsNulosDeFora) {
    const std::string q = Tabela("Quadro");
    Sql("CREATE TABLE [" + q + "] (id int NOT NULL, a int NULL, b int NULL, c varchar(5) NULL)");
    Sql("INSERT INTO [" + q + "] VALUES (1, 10, NULL, 'u'), (2, 20, 30, 'v')");
    EXPECT_EQ(Linhas("SELECT id, c, coluna, valor FROM [" + q +
                     "] UNPIVOT (valor FOR coluna IN (a, b)) AS u ORDER BY id, coluna"),
              "1,u,a,10;2,v,a,20;2,v,b,30");
    EXPECT_EQ(Recusa("SELECT * FROM [" + q + "] UNPIVOT (valor FOR coluna IN (a, c)) AS u"),
              "8167: The type of column \"c\" conflicts with the type of other columns "
              "specified in the UNPIVOT list.");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Agrupamentos, ::testing::Values("simulador", "mssql"));

}  // namespace
