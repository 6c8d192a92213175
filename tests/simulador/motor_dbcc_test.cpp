// CHECKPOINT, DBCC CHECKIDENT, DBCC CHECKDB and UPDATE STATISTICS, with SQL Server's messages.

#include "como_sql_server.hpp"

namespace {

class Dbcc : public ComoSqlServer {
  protected:
    // The informational messages of the batch, one a line.
    std::string Mensagens(const std::string& sql) {
        Sql(sql);
        std::string s;
        for (const auto& m : banco_.ConectorAberto().TomarMensagens()) s += m.texto + "\n";
        return s;
    }
};

const char* const kFim =
    "DBCC execution completed. If DBCC printed error messages, contact your system "
    "administrator.\n";

std::string Identidade(const std::string& atual, const std::string& coluna) {
    return "Checking identity information: current identity value '" + atual +
           "', current column value '" + coluna + "'.\n" + kFim;
}

TEST_P(Dbcc, CheckidentConfereERecomeca) {
    const std::string t = Tabela("Ident");
    Sql("CREATE TABLE [" + t + "] (id int IDENTITY(1,1) PRIMARY KEY, v int)");
    EXPECT_EQ(Mensagens("DBCC CHECKIDENT ('" + t + "', NORESEED)"), Identidade("NULL", "NULL"));
    Sql("INSERT [" + t + "] (v) VALUES (1), (2), (3)");
    EXPECT_EQ(Mensagens("DBCC CHECKIDENT ('dbo." + t + "', NORESEED)"), Identidade("3", "3"));
    EXPECT_EQ(Mensagens("DBCC CHECKIDENT ('" + t + "', RESEED, 10)"),
              std::string("Checking identity information: current identity value '3'.\n") + kFim);
    Sql("INSERT [" + t + "] (v) VALUES (4)");
    EXPECT_EQ(Valor("SELECT MAX(id) FROM [" + t + "]"), "11");
    const std::string p = Objeto("PROCEDURE", "VerIdent");
    Sql("CREATE PROCEDURE [" + p + "] AS CHECKPOINT; DBCC CHECKIDENT ([" + t + "])");
    EXPECT_EQ(Mensagens("EXEC [" + p + "]"), Identidade("11", "11"));
    EXPECT_EQ(Mensagens("DBCC CHECKIDENT ('" + t + "', RESEED, 20) WITH NO_INFOMSGS"), "");
    EXPECT_EQ(Valor("SELECT IDENT_CURRENT('" + t + "')"), "20");
    Sql("DELETE FROM [" + t + "]");
    Sql("DBCC CHECKIDENT ('" + t + "', RESEED, 0)");
    Sql("INSERT [" + t + "] (v) VALUES (5)");
    EXPECT_EQ(Valor("SELECT MAX(id) FROM [" + t + "]"), "1");
    EXPECT_EQ(Recusa("DBCC CHECKIDENT ('" + t + "', RESEED, NULL)"),
              "156: Incorrect syntax near the keyword 'NULL'.");
    EXPECT_EQ(Recusa("DECLARE @n int; DBCC CHECKIDENT ('" + t + "', RESEED, @n)"),
              "102: Incorrect syntax near '@n'.");

    const std::string s = Tabela("SemIdent");
    Sql("CREATE TABLE [" + s + "] (v int)");
    EXPECT_EQ(Recusa("DBCC CHECKIDENT ('" + s + "')"),
              "7997: '" + s + "' does not contain an identity column.");
    EXPECT_EQ(Recusa("DBCC CHECKIDENT ('Nada" + t + "')"),
              "2501: Cannot find a table or object with the name \"Nada" + t +
                  "\". Check the system catalog.");
}

TEST_P(Dbcc, CheckdbECheckpoint) {
    const std::string banco = Valor("SELECT DB_NAME()");
    EXPECT_EQ(Mensagens("DBCC CHECKDB WITH NO_INFOMSGS"), "");
    Sql("DBCC CHECKDB (0, NOINDEX) WITH NO_INFOMSGS, ALL_ERRORMSGS");
    const std::string todas = Mensagens("DBCC CHECKDB ('" + banco + "')");
    EXPECT_EQ(todas.rfind("DBCC results for '" + banco + "'.\n", 0), 0u) << todas;
    EXPECT_NE(todas.find("CHECKDB found 0 allocation errors and 0 consistency errors in "
                         "database '" +
                         banco + "'.\n" + kFim),
              std::string::npos)
        << todas;
    EXPECT_EQ(Recusa("DBCC CHECKDB ('Nada" + sufixo_ + "')"),
              "2520: Could not find database 'Nada" + sufixo_ +
                  "'. The database either does not exist, or was dropped before a statement "
                  "tried to use it. Verify if the database exists by querying the sys.databases "
                  "catalog view.");
    const std::string t = Tabela("Ponto");
    Sql("CREATE TABLE [" + t + "] (v int)");
    Sql("INSERT [" + t + "] VALUES (1); CHECKPOINT");
    EXPECT_EQ(Mensagens("CHECKPOINT 5"), "");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "]"), "1");
    Sql("BEGIN TRAN; INSERT [" + t + "] VALUES (2); CHECKPOINT; COMMIT");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "]"), "2");
    // a reserved word starts the next statement: it is never a column's alias
    Sql("SELECT v AS x FROM [" + t + "]\nCHECKPOINT");
    EXPECT_EQ(Recusa("SELECT v file FROM [" + t + "]"),
              "156: Incorrect syntax near the keyword 'file'.");
}

TEST_P(Dbcc, UpdateStatistics) {
    const std::string t = Tabela("Estat");
    Sql("CREATE TABLE [" + t + "] (id int PRIMARY KEY, v int)");
    Sql("CREATE INDEX [IX_" + t + "] ON [" + t + "] (v)");
    Sql("INSERT [" + t + "] VALUES (1, 1), (2, 1)");
    const std::string antes = Valor("SELECT COUNT(*) FROM sys.objects");
    Sql("UPDATE STATISTICS [" + t + "]\nUPDATE STATISTICS dbo.[" + t + "] [IX_" + t +
        "] WITH FULLSCAN\nUPDATE STATISTICS [" + t + "] ([IX_" + t +
        "]) WITH SAMPLE 50 PERCENT, NORECOMPUTE");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.objects"), antes);
    EXPECT_EQ(Recusa("UPDATE STATISTICS [Nada" + t + "]"),
              "1088: Cannot find the object \"Nada" + t +
                  "\" because it does not exist or you do not have permissions.");
}

// Each message comes with its number and the class the client sees (a severity of 10 as
// 0): PRINT 0, RAISERROR of a text 50000, DBCC's closing line SQL Server's 2528.
TEST_P(Dbcc, MensagensComNumeroEClasse) {
    auto numeradas = [&](const std::string& sql) {
        Sql(sql);
        std::string r;
        for (const auto& m : banco_.ConectorAberto().TomarMensagens())
            r += std::to_string(m.numero) + "/" + std::to_string(m.severidade) + ": " + m.texto +
                 "\n";
        return r;
    };
    EXPECT_EQ(numeradas("PRINT 'p'"), "0/0: p\n");
    EXPECT_EQ(numeradas("RAISERROR('r%d', 10, 3, 7)"), "50000/0: r7\n");
    EXPECT_EQ(numeradas("RAISERROR('baixa', 5, 2)"), "50000/5: baixa\n");
    const std::string t = Tabela("Numeradas");
    Sql("CREATE TABLE [" + t + "] (id int IDENTITY(1,1), v int)");
    const std::string dbcc = numeradas("DBCC CHECKIDENT ('" + t + "', NORESEED)");
    EXPECT_EQ(dbcc.substr(dbcc.find('\n') + 1), std::string("2528/0: ") + kFim);
}

INSTANTIATE_TEST_SUITE_P(Servidores, Dbcc, ::testing::Values("simulador", "mssql"));

}  // namespace
