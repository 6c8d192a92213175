#include "ambiente.hpp"

// (VALUES (...), (...)) AS v (a, b) as a table of FROM, as SQL Server 2008 reads it.
class TabelaDeValores : public SimuladorTeste {};

TEST_F(TabelaDeValores, LinhasTiposEJuncoes) {
    auto r = Sql("select * from (values (1, 'a'), (2.5, null)) v(x, y) order by x");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(r.colunas[0].nome, "x");
    EXPECT_EQ(Texto(r.linhas[0][0]), "1.0");  // numeric(2,1), the type of 2.5
    EXPECT_EQ(Texto(r.linhas[1][1]), "NULL");
    // texts compare in the database's collation
    EXPECT_EQ(Valor("select count(*) from (values ('a'), ('B')) v(t) where t in ('A', 'b')"), "2");
    EXPECT_EQ(Valor("select sum(x) from (values (1.25), (2.5)) v(x)"), "3.75");
    Sql("create table T (id int, nome varchar(5)); insert into T values (1, 'um'), (2, 'dois')");
    r =
        Sql("select t.nome, v.n from T t join (values ('UM', 10), ('dois', 20)) as v(k, n) "
            "on v.k = t.nome order by v.n");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[1][0]), "dois");
    Sql("insert into T (id, nome) select x, y from (values (3, 'tres'), (4, null)) v(x, y)");
    EXPECT_EQ(Valor("select count(*) from T"), "4");
    Sql("select x, y into N from (values (1, 'ab'), (2, null)) v(x, y)");
    r =
        Sql("select type_name(system_type_id), max_length, is_nullable from sys.columns "
            "where object_id = object_id('N') order by column_id");
    EXPECT_EQ(Texto(r.linhas[0][0]) + Texto(r.linhas[0][1]) + Texto(r.linhas[0][2]), "int40");
    EXPECT_EQ(Texto(r.linhas[1][0]) + Texto(r.linhas[1][1]) + Texto(r.linhas[1][2]), "varchar21");
}

TEST_F(TabelaDeValores, ErrosComoSqlServer) {
    EXPECT_EQ(Falha("select * from (values (1), ('a')) v(x)"),
              "Conversion failed when converting the varchar value 'a' to data type int.");
    EXPECT_EQ(Falha("select * from (values (1, 2), (3)) v(x, y)"),
              "The number of columns for each row in a table value constructor must be the same.");
    EXPECT_EQ(Falha("select * from (values (1)) v"),
              "No column name was specified for column 1 of 'v'.");
    EXPECT_EQ(Falha("select * from (values (1, 2)) v(x)"),
              "'v' has more columns than were specified in the column list.");
    EXPECT_EQ(Falha("select * from (values (1)) v(x, y)"),
              "'v' has fewer columns than were specified in the column list.");
}

// (SELECT ...) AS x (a, b): the list after the alias names the derived table's columns by
// position, whatever its query calls them.
TEST_F(TabelaDeValores, DerivadaComNomesDeColunas) {
    auto r = Sql("select x.c1, c2 from (select 1, 2) as x (c1, c2)");
    ASSERT_EQ(r.colunas.size(), 2u);
    EXPECT_EQ(r.colunas[0].nome + r.colunas[1].nome + Texto(r.linhas[0][0]) + Texto(r.linhas[0][1]),
              "c1c212");
    Sql("create table T (id int, nome varchar(5)); insert into T values (1, 'um'), (2, 'dois')");
    // in a join, its columns typed from the query: texts compare in the collation
    r =
        Sql("select t.id, x.n from T t join (select id, upper(nome) from T) as x (k, n) "
            "on x.k = t.id where x.n = 'dois'");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]) + Texto(r.linhas[0][1]), "2DOIS");
    // a text SQLite's functions give keeps the database's collation past the parentheses
    EXPECT_EQ(Valor("select count(*) from (select upper(nome) as n from T) x where n = 'Dois'"),
              "1");
    EXPECT_EQ(Valor("select sum(v.b) from T join (values (1, 10), (2, 20)) as v (a, b) "
                    "on v.a = T.id"),
              "30");
    // a * counts the columns it stands for, however deep
    EXPECT_EQ(Valor("select str(d) + e from (select y.*, 'z' from (select 1, 2) y (a, b)) "
                    "x (c, d, e)"),
              "         2z");
    EXPECT_EQ(Valor("select max(c) from (select 1 union all select 2) as u (c)"), "2");
    EXPECT_EQ(Valor("select x.d * 3 from (select cast(1.5 as decimal(5,2))) x (d)"), "4.50");
    r =
        Sql("select t.id, a.m from T t cross apply (select t.id * 10, nome) as a (m, n) "
            "order by t.id");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[1][1]), "20");
    Sql("update T set nome = x.v from T join (select 1, 'novo') x (k, v) on x.k = T.id");
    EXPECT_EQ(Valor("select nome from T where id = 1"), "novo");
}

TEST_F(TabelaDeValores, NomesDaDerivadaComoSqlServer) {
    EXPECT_EQ(ErroNumerado("select * from (select 1 as p, 2 as q) x (c)"),
              "8158/16/1: 'x' has more columns than were specified in the column list.");
    EXPECT_EQ(ErroNumerado("select * from (select * from (select 1 a) y) x (c, d)"),
              "8159/16/1: 'x' has fewer columns than were specified in the column list.");
    EXPECT_EQ(ErroNumerado("select * from (select 1, 2) x (c, C)"),
              "8156/16/1: The column 'C' was specified multiple times for 'x'.");
    EXPECT_EQ(Recusa("select * from (values (1, 2)) v (a, a)").first, 8156);
    // the query's own names are gone
    EXPECT_EQ(Falha("select x.p from (select 1 as p) x (c)"), "Invalid column name 'p'.");
    // and a derived table without a name is no derived table
    EXPECT_EQ(ErroNumerado("select * from (select 1 a)"), "102/15/1: Incorrect syntax near ')'.");
    EXPECT_EQ(Falha("select * from (select * from (select 1 a)) x (c)"),
              "Incorrect syntax near ')'.");
    EXPECT_EQ(Falha("select * from (select 1 a) where 1 = 1"),
              "Incorrect syntax near the keyword 'where'.");
}
