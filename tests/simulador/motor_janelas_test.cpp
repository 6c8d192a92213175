#include "como_sql_server.hpp"

// Window frames and the window functions of SQL Server 2012; TABLESAMPLE and WAITFOR.
namespace {

class Janelas : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Serie");
        Sql("CREATE TABLE [" + t_ + "] (id int NOT NULL, g char(1) NOT NULL, v int NOT NULL)");
        Sql("INSERT INTO [" + t_ + "] VALUES (1,'a',10),(2,'a',20),(3,'b',30),(4,'b',40)");
    }

    // The window expression over the series, in id order.
    std::string Serie(const std::string& expressao) {
        return Coluna("SELECT " + expressao + " FROM [" + t_ + "] ORDER BY id");
    }

    std::string t_;
};

TEST_P(Janelas, MoldurasDeLinhas) {
    EXPECT_EQ(Serie("SUM(v) OVER (ORDER BY id ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW)"),
              "10,30,60,100");
    EXPECT_EQ(Serie("SUM(v) OVER (ORDER BY id ROWS BETWEEN 1 PRECEDING AND 1 FOLLOWING)"),
              "30,60,90,70");
    EXPECT_EQ(Serie("SUM(v) OVER (ORDER BY id ROWS 1 PRECEDING)"), "10,30,50,70");
    EXPECT_EQ(Serie("LAST_VALUE(v) OVER (PARTITION BY g ORDER BY id ROWS BETWEEN UNBOUNDED "
                    "PRECEDING AND UNBOUNDED FOLLOWING)"),
              "20,20,40,40");
    EXPECT_EQ(Serie("LAST_VALUE(v) OVER (ORDER BY id)"), "10,20,30,40");
    EXPECT_EQ(Serie("FIRST_VALUE(v) OVER (PARTITION BY g ORDER BY id DESC)"), "20,20,40,40");
    EXPECT_EQ(Serie("COUNT(*) OVER (ORDER BY g RANGE UNBOUNDED PRECEDING)"), "2,2,4,4");
}

TEST_P(Janelas, FuncoesDeDeslocamentoEDistribuicao) {
    EXPECT_EQ(Serie("LAG(v, 1, 0) OVER (ORDER BY id)"), "0,10,20,30");
    EXPECT_EQ(Serie("LEAD(v, 2, -1) OVER (ORDER BY id)"), "30,40,-1,-1");
    EXPECT_EQ(Serie("LAG(v) OVER (PARTITION BY g ORDER BY id)"), "NULL,10,NULL,30");
    EXPECT_EQ(Serie("CUME_DIST() OVER (ORDER BY g)"), "0.5,0.5,1,1");
    EXPECT_EQ(Serie("PERCENT_RANK() OVER (ORDER BY id)"), "0,0.333333,0.666667,1");
}

TEST_P(Janelas, MoldurasQueOSqlServerRecusa) {
    EXPECT_EQ(Recusa("SELECT SUM(v) OVER (ORDER BY id RANGE BETWEEN 1 PRECEDING AND CURRENT ROW) "
                     "FROM [" +
                     t_ + "]"),
              "4194: RANGE is only supported with UNBOUNDED and CURRENT ROW window frame "
              "delimiters.");
    EXPECT_EQ(
        Recusa("SELECT SUM(v) OVER (PARTITION BY g ROWS UNBOUNDED PRECEDING) FROM [" + t_ + "]"),
        "10756: Window frame with ROWS or RANGE must have an ORDER BY clause.");
    EXPECT_EQ(Recusa("SELECT LAG(v) OVER (ORDER BY id ROWS UNBOUNDED PRECEDING) FROM [" + t_ + "]"),
              "10752: The function 'lag' may not have a window frame.");
    EXPECT_EQ(Recusa("SELECT SUM(v) OVER (ORDER BY id ROWS BETWEEN 1 FOLLOWING AND CURRENT ROW) "
                     "FROM [" +
                     t_ + "]"),
              "4193: 'BETWEEN ... FOLLOWING AND ... PRECEDING' is not a valid window frame and "
              "cannot be used with the OVER clause.");
    EXPECT_EQ(Recusa("SELECT SUM(v) OVER (ORDER BY id ROWS 1 FOLLOWING) FROM [" + t_ + "]"),
              "102: Incorrect syntax near 'FOLLOWING'.");
}

TEST_P(Janelas, OQueOSimuladorNaoFazEhRecusadoPeloNome) {
    if (GetParam() != "simulador") GTEST_SKIP() << "recusas do simulador";
    EXPECT_EQ(Falha("SELECT PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY v) OVER (PARTITION BY g) "
                    "FROM [" +
                    t_ + "]"),
              "O simulador de SQL Server não calcula PERCENTILE_CONT.");
    EXPECT_EQ(Falha("SELECT * FROM [" + t_ + "] TABLESAMPLE (50 PERCENT)"),
              "O simulador de SQL Server não aceita TABLESAMPLE.");
    EXPECT_EQ(Falha("SELECT * FROM [" + t_ + "] AS s TABLESAMPLE (10 ROWS)"),
              "O simulador de SQL Server não aceita TABLESAMPLE.");
}

TEST_P(Janelas, WaitforComHorarioInvalido) {
    EXPECT_EQ(Recusa("WAITFOR DELAY '00:00:61'"),
              "148: Incorrect time syntax in time string '00:00:61' used with WAITFOR.");
    EXPECT_EQ(Recusa("WAITFOR TIME 'meio-dia'"),
              "148: Incorrect time syntax in time string 'meio-dia' used with WAITFOR.");
    EXPECT_EQ(Recusa("WAITFOR DELAY 5"), "102: Incorrect syntax near '5'.");
    EXPECT_EQ(Valor("WAITFOR DELAY '00:00:00.001' SELECT 7"), "7");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Janelas, ::testing::Values("simulador", "mssql"));

}  // namespace
