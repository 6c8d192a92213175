#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"

// The WHEN clauses a MERGE may have, as SQL Server checks them before it runs anything.
namespace {

class ClausulasDaMescla : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Saldo");
        Sql("CREATE TABLE [" + t_ + "] (id int PRIMARY KEY, v int NULL)");
        Sql("INSERT [" + t_ + "] (id, v) VALUES (1, 10), (2, 20)");
    }

    // A MERGE of the table with a source of ids 1 and 3, with these WHEN clauses.
    std::string Mesclar(const std::string& clausulas) {
        return Recusa("MERGE [" + t_ +
                      "] AS d USING (SELECT 1 AS id, 5 AS v UNION ALL SELECT 3, 7) AS s ON d.id "
                      "= s.id " +
                      clausulas + ";");
    }

    // The table's rows as "id:v", in order of id.
    std::string Linhas() {
        return Coluna("SELECT CAST(id AS varchar) + ':' + CAST(v AS varchar) FROM [" + t_ +
                      "] ORDER BY id");
    }

    std::string t_;
};

TEST_P(ClausulasDaMescla, AcaoForaDaSuaClausulaEhRecusada) {
    EXPECT_EQ(Mesclar("WHEN MATCHED THEN INSERT (id, v) VALUES (s.id, s.v)"),
              "10711: An action of type 'INSERT' is not allowed in the 'WHEN MATCHED' clause of "
              "a MERGE statement.");
    EXPECT_EQ(Mesclar("WHEN NOT MATCHED THEN UPDATE SET v = s.v"),
              "10711: An action of type 'UPDATE' is not allowed in the 'WHEN NOT MATCHED' clause "
              "of a MERGE statement.");
    EXPECT_EQ(Mesclar("WHEN NOT MATCHED BY TARGET THEN DELETE"),
              "10711: An action of type 'DELETE' is not allowed in the 'WHEN NOT MATCHED' clause "
              "of a MERGE statement.");
    EXPECT_EQ(Mesclar("WHEN NOT MATCHED BY SOURCE THEN INSERT (id, v) VALUES (9, 9)"),
              "10711: An action of type 'INSERT' is not allowed in the 'WHEN NOT MATCHED BY "
              "SOURCE' clause of a MERGE statement.");
    EXPECT_EQ(Valor("SELECT SUM(v) FROM [" + t_ + "]"), "30");
}

TEST_P(ClausulasDaMescla, ClausulasRepetidasOuSemCondicaoAntesDeOutra) {
    EXPECT_EQ(Mesclar("WHEN MATCHED AND s.v > 1 THEN UPDATE SET v = 1 WHEN MATCHED THEN UPDATE "
                      "SET v = 2"),
              "10714: An action of type 'WHEN MATCHED' cannot appear more than once in a "
              "'UPDATE' clause of a MERGE statement.");
    EXPECT_EQ(Mesclar("WHEN MATCHED AND s.v > 1 THEN DELETE WHEN MATCHED AND s.v > 2 THEN "
                      "UPDATE SET v = 2 WHEN MATCHED THEN DELETE"),
              "10714: An action of type 'WHEN MATCHED' cannot appear more than once in a "
              "'DELETE' clause of a MERGE statement.");
    EXPECT_EQ(Mesclar("WHEN NOT MATCHED THEN INSERT (id, v) VALUES (s.id, s.v) WHEN NOT MATCHED "
                      "BY TARGET AND s.v > 0 THEN INSERT (id) VALUES (s.id)"),
              "10714: An action of type 'WHEN NOT MATCHED' cannot appear more than once in a "
              "'INSERT' clause of a MERGE statement.");
    EXPECT_EQ(Mesclar("WHEN MATCHED THEN DELETE WHEN MATCHED AND s.v > 1 THEN UPDATE SET v = 1"),
              "5324: In a MERGE statement, a 'WHEN MATCHED' clause with a search condition "
              "cannot appear after a 'WHEN MATCHED' clause with no search condition.");
    EXPECT_EQ(Mesclar("WHEN NOT MATCHED BY SOURCE THEN DELETE WHEN NOT MATCHED BY SOURCE AND "
                      "d.v > 0 THEN UPDATE SET v = 0"),
              "5324: In a MERGE statement, a 'WHEN NOT MATCHED BY SOURCE' clause with a search "
              "condition cannot appear after a 'WHEN NOT MATCHED BY SOURCE' clause with no search "
              "condition.");
    EXPECT_EQ(Valor("SELECT SUM(v) FROM [" + t_ + "]"), "30");
    // an UPDATE and a DELETE, the first with AND, is what SQL Server takes
    EXPECT_EQ(Mesclar("WHEN MATCHED AND s.v > 100 THEN DELETE WHEN MATCHED THEN UPDATE SET v = "
                      "d.v + s.v WHEN NOT MATCHED THEN INSERT (id, v) VALUES (s.id, s.v) WHEN NOT "
                      "MATCHED BY SOURCE AND d.v > 15 THEN DELETE"),
              "(sem erro)");
    EXPECT_EQ(Linhas(), "1:15,3:7");
}

// A MERGE is compiled with its batch: bad syntax in its condition, assignments or values
// stops the batch before its first statement runs.
TEST_P(ClausulasDaMescla, SintaxeErradaRecusaOLoteAntesDeRodar) {
    const std::string antes = "UPDATE [" + t_ + "] SET v = 99 WHERE id = 1; ";
    EXPECT_EQ(Recusa(antes + "MERGE [" + t_ + "] AS d USING [" + t_ +
                     "] AS s ON d.id = = s.id WHEN MATCHED THEN DELETE;"),
              "102: Incorrect syntax near '='.");
    EXPECT_EQ(Recusa(antes + "MERGE [" + t_ +
                     "] AS d USING (SELECT 3 AS id) AS s ON d.id = s.id "
                     "WHEN NOT MATCHED THEN INSERT (id, v) VALUES (s.id, 1 +);"),
              "102: Incorrect syntax near ')'.");
    EXPECT_EQ(Recusa(antes + "MERGE [" + t_ +
                     "] AS d USING (SELECT 1 AS id FROM) AS s ON d.id "
                     "= s.id WHEN MATCHED AND s.id > THEN UPDATE SET v = 1;"),
              "102: Incorrect syntax near ')'.");
    EXPECT_EQ(Valor("SELECT SUM(v) FROM [" + t_ + "]"), "30");
    // a table source with its own alias, and the values of several clauses, run
    EXPECT_EQ(Recusa("MERGE [" + t_ +
                     "] AS d USING (SELECT 2 AS id, 4 AS v UNION ALL SELECT 5, 6) "
                     "AS s ON d.id = s.id WHEN MATCHED AND s.v > 3 THEN UPDATE SET v = d.v * s.v "
                     "WHEN NOT MATCHED THEN INSERT (id, v) VALUES (s.id, s.v + 1);"),
              "(sem erro)");
    EXPECT_EQ(Recusa("MERGE [" + t_ + "] AS d USING [" + t_ +
                     "] AS s ON d.id = s.id AND s.v > 50 "
                     "WHEN MATCHED THEN DELETE;"),
              "(sem erro)");
    EXPECT_EQ(Linhas(), "1:10,5:7");
}

// A source of rows written in the statement, (VALUES ...) AS s (a, b) or a query whose alias
// names its columns: each column typed from its values, as a table's would be.
TEST_P(ClausulasDaMescla, FonteDeValoresComNomesDeColunas) {
    EXPECT_EQ(
        Recusa("MERGE INTO [" + t_ + "] USING (VALUES (1, 'a'), (3, 'b')) AS s (id, t) ON [" + t_ +
               "].id = s.id WHEN MATCHED THEN UPDATE SET v = v + LEN(s.t) WHEN NOT MATCHED "
               "THEN INSERT (id, v) VALUES (s.id, ASCII(s.t));"),
        "(sem erro)");
    EXPECT_EQ(Linhas(), "1:11,2:20,3:98");
    EXPECT_EQ(Recusa("MERGE [" + t_ +
                     "] d USING (SELECT 2, 2.5 UNION ALL SELECT 4, 1) s (k, f) ON d.id = s.k "
                     "WHEN MATCHED THEN UPDATE SET v = d.v * s.f WHEN NOT MATCHED THEN INSERT "
                     "VALUES (s.k, s.f * 3);"),
              "(sem erro)");
    EXPECT_EQ(Linhas(), "1:11,2:50,3:98,4:3");
    EXPECT_EQ(Recusa("MERGE [" + t_ +
                     "] d USING (VALUES (1, 2)) s ON d.id = s.id WHEN MATCHED THEN DELETE;"),
              "8155: No column name was specified for column 1 of 's'.");
    EXPECT_EQ(Recusa("MERGE [" + t_ +
                     "] d USING (SELECT 1, 2) s (id) ON d.id = s.id WHEN MATCHED THEN DELETE;"),
              "8158: 's' has more columns than were specified in the column list.");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "4");
}

}  // namespace
INSTANTIATE_TEST_SUITE_P(Servidores, ClausulasDaMescla, ::testing::Values("simulador", "mssql"));
