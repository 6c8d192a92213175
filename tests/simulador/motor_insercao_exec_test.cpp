#include "ambiente.hpp"

// INSERT ... EXEC: the rows of every result set of the call go into the table.
class InsercaoExec : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("create table T (id int identity, n varchar(10), v decimal(9,2))");
        Sql("create procedure P1 @x int as select 'a' + cast(@x as varchar), 1.5 "
            "union all select 'b', null; select 'c', 2");
    }
};

TEST_F(InsercaoExec, ProcedimentoTextoESpExecutesql) {
    auto r = Sql("insert into T exec P1 5");
    EXPECT_EQ(r.linhasAfetadas, 3);
    EXPECT_EQ(r.colunas.size(), 0u);  // the call's rows are not the client's
    EXPECT_EQ(Valor("select n from T where v = 1.5"), "a5");
    EXPECT_EQ(Valor("select count(*) from T where v is null"), "1");
    EXPECT_EQ(Sql("insert into T (n) exec ('select ''z'' union all select ''w''')").linhasAfetadas,
              2);
    Sql("insert T (n, v) exec sp_executesql N'select @a, 3', N'@a varchar(10)', @a = 'q'");
    EXPECT_EQ(Valor("select v from T where n = 'q'"), "3.00");
    EXPECT_EQ(Valor("declare @t table(b varchar(5), c decimal(5,1)); insert @t exec P1 1; "
                    "select sum(c) from @t"),
              "3.5");
    // inside a procedure too
    Sql("create procedure P2 as insert into T (n) exec ('select ''p'''); select count(*) from T");
    EXPECT_EQ(Valor("exec P2"), "7");
}

TEST_F(InsercaoExec, ErrosDesfazemAChamada) {
    EXPECT_EQ(Falha("insert into T exec ('select 1')"),
              "Column name or number of supplied values does not match table definition.");
    Sql("create procedure P3 as insert into T (n) values ('s'); select 1, 2");
    EXPECT_EQ(Falha("insert into T (n) exec P3"),
              "Insert Error: Column name or number of supplied values does not match table "
              "definition.");
    EXPECT_EQ(Valor("select count(*) from T"), "0");
    Sql("create procedure P4 as begin tran; insert into T (n) values ('r'); rollback");
    EXPECT_EQ(Falha("insert into T (n) exec P4"),
              "Cannot use the ROLLBACK statement within an INSERT-EXEC statement.");
    Sql("create procedure P5 as insert into T (n) exec ('select ''x''')");
    EXPECT_EQ(Falha("create table U (a int); insert into U exec P5"),
              "An INSERT EXEC statement cannot be nested.");
    EXPECT_EQ(Valor("select count(*) from T"), "0");
}
