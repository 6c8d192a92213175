#include "ambiente.hpp"

// DECLARE @t TABLE: a table of the batch or procedure call that declares it.
class VariaveisDeTabela : public SimuladorTeste {};

TEST_F(VariaveisDeTabela, InsereAtualizaExcluiEJunta) {
    auto r = Sql(
        "declare @t table(id int primary key, n varchar(10) not null default 'x', v decimal(9,2)); "
        "insert into @t (id) values (1); insert @t values (2, 'b', 2.5), (3, 'c', null); "
        "update @t set v = 7 where id = 1; delete from @t where id = 3; "
        "select id, n, v from @t order by id");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[0][1]) + Texto(r.linhas[0][2]), "x7.00");
    EXPECT_EQ(Texto(r.linhas[1][1]) + Texto(r.linhas[1][2]), "b2.50");
    Sql("create table T (id int, nome varchar(5)); insert into T values (1, 'um'), (2, 'dois')");
    r =
        Sql("declare @t table(id int); insert @t select id from T; "
            "update x set id = id + 10 from @t x where x.id = 2; "
            "select T.nome, x.id from T join @t x on x.id - 10 = T.id");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]) + Texto(r.linhas[0][1]), "dois12");
    // the next batch no longer has it, and no catalog shows it
    EXPECT_EQ(Falha("select * from @t"), "Must declare the table variable \"@t\".");
    EXPECT_EQ(
        Valor("declare @t table(a int); select count(*) from sysobjects where name like '@%'"),
        "0");
}

TEST_F(VariaveisDeTabela, RollbackNaoDesfazEProcedimentoTemAsSuas) {
    auto r =
        Sql("declare @t table(id int identity, n varchar(5)); begin tran; "
            "insert @t (n) values ('a'); rollback; select count(*) from @t");
    EXPECT_EQ(Texto(r.linhas.at(0)[0]), "1");
    Sql("create procedure P as declare @t table(id int); insert @t values (5); "
        "select count(*) from @t");
    EXPECT_EQ(Valor("exec P; exec P"), "1");
}

TEST_F(VariaveisDeTabela, ErrosComoSqlServer) {
    EXPECT_EQ(Falha("insert into @x values (1)"), "Must declare the table variable \"@x\".");
    EXPECT_EQ(Falha("declare @t table(a int); select @t"),
              "Must declare the scalar variable \"@t\".");
    EXPECT_EQ(Falha("declare @t table(id int, n varchar(3) not null); insert @t (id) values (1)"),
              "Cannot insert the value NULL into column 'n', table '@t'; column does not allow "
              "nulls. INSERT fails.");
    const std::string e =
        Falha("declare @t table(id int primary key); insert @t values (1); insert @t values (1)");
    EXPECT_EQ(e.substr(0, 38), "Violation of PRIMARY KEY constraint 'P");
    EXPECT_NE(e.find("Cannot insert duplicate key in object 'dbo.@t'."), std::string::npos);
}
