// Computed columns: their value follows the columns they read, INSERT and UPDATE cannot
// write them, and the catalog shows them as SQL Server does.

#include "como_sql_server.hpp"

namespace {

class ColunasCalculadas : public ComoSqlServer {};

TEST_P(ColunasCalculadas, ValorSegueAsColunasLidas) {
    const std::string t = Tabela("Itens");
    Sql("CREATE TABLE [" + t + "] (id int IDENTITY, qtd int NOT NULL, preco decimal(9,2) NOT NULL, "
        "total AS qtd * preco PERSISTED, rotulo AS ('item ' + CAST(id AS varchar(10))))");
    Sql("INSERT [" + t + "] (qtd, preco) VALUES (2, 1.25), (3, 10.00)");
    EXPECT_EQ(Coluna("SELECT CAST(total AS varchar(20)) + '|' + rotulo FROM [" + t +
                     "] ORDER BY id"),
              "2.50|item 1,30.00|item 2");
    Sql("UPDATE [" + t + "] SET qtd = 4 WHERE id = 1");
    EXPECT_EQ(Valor("SELECT CAST(total AS varchar(20)) FROM [" + t + "] WHERE id = 1"), "5.00");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t + "] WHERE total > 20"), "1");
    EXPECT_EQ(Recusa("INSERT [" + t + "] (qtd, preco, total) VALUES (1, 1, 1)"),
              "271: The column \"total\" cannot be modified because it is either a computed column "
              "or is the result of a UNION operator.");
    EXPECT_EQ(Recusa("UPDATE [" + t + "] SET rotulo = 'x'"),
              "271: The column \"rotulo\" cannot be modified because it is either a computed "
              "column or is the result of a UNION operator.");
    Sql("ALTER TABLE [" + t + "] ADD dobro AS qtd * 2");
    EXPECT_EQ(Coluna("SELECT dobro FROM [" + t + "] ORDER BY id"), "8,6");
}

TEST_P(ColunasCalculadas, CatalogoMostraAsCalculadas) {
    const std::string t = Tabela("Calc");
    Sql("CREATE TABLE [" + t + "] (a int, b int, soma AS a + b PERSISTED, metade AS a / 2)");
    EXPECT_EQ(Coluna("SELECT name + ':' + CAST(is_persisted AS varchar) FROM sys.computed_columns "
                     "WHERE object_id = OBJECT_ID('" + t + "') ORDER BY column_id"),
              "soma:1,metade:0");
    EXPECT_EQ(Coluna("SELECT name FROM syscolumns WHERE id = OBJECT_ID('" + t +
                     "') AND iscomputed = 1 ORDER BY colid"),
              "soma,metade");
    EXPECT_EQ(Valor("SELECT COLUMNPROPERTY(OBJECT_ID('" + t + "'), 'soma', 'IsComputed')"), "1");
    EXPECT_EQ(Valor("SELECT TYPE_NAME(system_type_id) FROM sys.columns WHERE object_id = "
                    "OBJECT_ID('" + t + "') AND name = 'soma'"),
              "int");
    EXPECT_EQ(Recusa("CREATE TABLE [" + t + "x] (a int, b AS a + 1, c AS b + 1)"),
              "1759: Computed column 'b' in table '" + t +
                  "x' is not allowed to be used in another computed-column definition.");
}

INSTANTIATE_TEST_SUITE_P(Servidores, ColunasCalculadas, ::testing::Values("simulador", "mssql"));

}  // namespace
