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
