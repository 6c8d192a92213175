// A unique key takes one NULL, as a value, and SQL Server's words for the refusals that
// name a key, a column or a permission.

#include "como_sql_server.hpp"

namespace {

class UnicosERecusas : public ComoSqlServer {};

TEST_P(UnicosERecusas, ChaveUnicaAceitaUmNuloSo) {
    const std::string t = Tabela("Unicos");
    Sql("CREATE TABLE [" + t + "] (a int NULL CONSTRAINT [UQ_" + t + "] UNIQUE, b int NULL)");
    Sql("INSERT [" + t + "] (a) VALUES (NULL), (1)");
    EXPECT_EQ(Recusa("INSERT [" + t + "] (a) VALUES (NULL)"),
              "2627: Violation of UNIQUE KEY constraint 'UQ_" + t +
                  "'. Cannot insert duplicate key in object 'dbo." + t +
                  "'. The duplicate key value is (<NULL>).");
    Sql("INSERT [" + t + "] (a, b) VALUES (2, NULL), (3, NULL)");
    EXPECT_EQ(Recusa("CREATE UNIQUE INDEX [IX_" + t + "] ON [" + t + "] (b)"),
              "1505: The CREATE UNIQUE INDEX statement terminated because a duplicate key was "
              "found for the object name 'dbo." +
                  t + "' and the index name 'IX_" + t + "'. The duplicate key value is (<NULL>).");
    const std::string d = Tabela("Duplas");
    Sql("CREATE TABLE [" + d + "] (x int NULL, y int NULL)");
    Sql("CREATE UNIQUE INDEX [IX_" + d + "] ON [" + d + "] (x, y)");
    Sql("INSERT [" + d + "] VALUES (NULL, 1), (NULL, 2), (1, NULL), (NULL, NULL)");
    EXPECT_EQ(Recusa("UPDATE [" + d + "] SET y = 1 WHERE y = 2"),
              "2601: Cannot insert duplicate key row in object 'dbo." + d +
                  "' with unique index 'IX_" + d + "'. The duplicate key value is (<NULL>, 1).");
    EXPECT_EQ(Recusa("INSERT [" + d + "] VALUES (NULL, NULL)").substr(0, 5), "2601:");
}

TEST_P(UnicosERecusas, ChaveRepetidaAoCriarOIndice) {
    const std::string t = Tabela("Repetidos");
    Sql("CREATE TABLE [" + t + "] (nome varchar(10), n int)");
    Sql("INSERT [" + t + "] VALUES ('abc', 1), ('x', 2), ('ABC', 3)");
    EXPECT_EQ(Recusa("CREATE UNIQUE INDEX [IX_" + t + "] ON [" + t + "] (nome)").substr(0, 6),
              "1505: ");
    EXPECT_NE(Recusa("CREATE UNIQUE INDEX [IX_" + t + "] ON [" + t + "] (nome)")
                  .find("The duplicate key value is (abc)."),
              std::string::npos);
}

TEST_P(UnicosERecusas, IndiceFiltradoSoValeNasLinhasDoFiltro) {
    const std::string t = Tabela("Filtrados");
    Sql("CREATE TABLE [" + t + "] (codigo varchar(10), ativo bit)");
    Sql("INSERT [" + t + "] VALUES ('a', 0), ('a', 0), ('a', 1)");
    Sql("CREATE UNIQUE INDEX [IX_" + t + "] ON [" + t + "] (codigo) WHERE ativo = 1");
    Sql("INSERT [" + t + "] VALUES ('a', 0)");
    EXPECT_EQ(Recusa("INSERT [" + t + "] VALUES ('a', 1)"),
              "2601: Cannot insert duplicate key row in object 'dbo." + t +
                  "' with unique index 'IX_" + t + "'. The duplicate key value is (a).");
    EXPECT_EQ(Valor("SELECT CAST(has_filter AS varchar) + filter_definition FROM sys.indexes "
                    "WHERE name = 'IX_" +
                    t + "'"),
              "1([ativo]=(1))");
    EXPECT_EQ(Recusa("CREATE UNIQUE INDEX [IX2_" + t + "] ON [" + t + "] (codigo) WHERE ativo = 0")
                  .substr(0, 5),
              "1505:");
}

TEST_P(UnicosERecusas, ColunaQueNaoExisteETimestampExplicito) {
    const std::string t = Tabela("Colunas");
    Sql("CREATE TABLE [" + t + "] (a int, v timestamp)");
    EXPECT_EQ(Recusa("ALTER TABLE [" + t + "] ALTER COLUMN nada int"),
              "4924: ALTER TABLE ALTER COLUMN failed because column 'nada' does not exist in "
              "table '" +
                  t + "'.");
    EXPECT_EQ(Recusa("INSERT [" + t + "] (a, v) VALUES (1, 0x01)"),
              "273: Cannot insert an explicit value into a timestamp column. Use INSERT with a "
              "column list to exclude the timestamp column, or insert a DEFAULT into the "
              "timestamp column.");
}

TEST_P(UnicosERecusas, ExecuteNaoCabeEmFuncaoDeTabela) {
    const std::string f = Objeto("FUNCTION", "Linhas");
    Sql("CREATE FUNCTION [" + f + "] () RETURNS TABLE AS RETURN SELECT 1 AS x");
    EXPECT_EQ(Recusa("GRANT EXECUTE ON [" + f + "] TO public"),
              "4606: Granted or revoked privilege EXECUTE is not compatible with object.");
    Sql("GRANT SELECT ON [" + f + "] TO public");
}

// An object named in a schema the database does not have is never made in dbo instead.
TEST_P(UnicosERecusas, EsquemaQueNaoExiste) {
    const std::string semEsquema =
        "2760: The specified schema name \"zv_sem_esquema\" either does not exist or you do not "
        "have permission to use it.";
    const std::string t = Tabela("ForaDoEsquema");
    for (const std::string& sql :
         {"CREATE TABLE zv_sem_esquema.[" + t + "] (x int)",
          "CREATE VIEW zv_sem_esquema.[" + t + "] AS SELECT 1 AS a",
          "CREATE PROCEDURE zv_sem_esquema.[" + t + "] AS SELECT 1",
          "CREATE FUNCTION zv_sem_esquema.[" + t + "] () RETURNS int AS BEGIN RETURN 1 END",
          "SELECT 1 AS x INTO zv_sem_esquema.[" + t + "]"})
        EXPECT_EQ(Recusa(sql), semEsquema) << sql;
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.objects WHERE name = '" + t + "'"), "0");
}

INSTANTIATE_TEST_SUITE_P(Servidores, UnicosERecusas, ::testing::Values("simulador", "mssql"));

}  // namespace
