#include "ambiente.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/mensagens/falhas.hpp"

// User T-SQL sees only SQL Server's names: the engine's tables and SQLite's own
// functions answer as unknown names do on SQL Server, and SQLite's wording never
// reaches the user.
namespace {

class NomesDoMotor : public SimuladorTeste {};

TEST_F(NomesDoMotor, TabelasDoMotorSaoNomesDesconhecidos) {
    EXPECT_EQ(Recusa("SELECT * FROM sqlite_master"),
              std::make_pair(208, std::string("Invalid object name 'sqlite_master'.")));
    EXPECT_EQ(Recusa("SELECT * FROM zv_objetos"),
              std::make_pair(208, std::string("Invalid object name 'zv_objetos'.")));
    EXPECT_EQ(Recusa("SELECT * FROM dbo.ZV_CONFIG"),
              std::make_pair(208, std::string("Invalid object name 'dbo.ZV_CONFIG'.")));
    EXPECT_EQ(Recusa("SELECT * FROM main.sqlite_master"),
              std::make_pair(208, std::string("Invalid object name 'main.sqlite_master'.")));
    EXPECT_EQ(Recusa("SELECT name FROM temp.sysobjects"),
              std::make_pair(208, std::string("Invalid object name 'temp.sysobjects'.")));
    EXPECT_EQ(Recusa("SELECT * FROM zv_sysprocesses").first, 208);
    EXPECT_EQ(Recusa("SELECT 1 WHERE EXISTS (SELECT 1 FROM sqlite_sequence)").first, 208);
    EXPECT_EQ(Recusa("INSERT INTO zv_config (chave, valor) VALUES ('a', 'b')").first, 208);
    // nor do the names the engine gives SQL Server's catalog views
    EXPECT_EQ(Recusa("SELECT * FROM sys.nada"),
              std::make_pair(208, std::string("Invalid object name 'sys.nada'.")));
    EXPECT_EQ(Recusa("SELECT * FROM INFORMATION_SCHEMA.Nada"),
              std::make_pair(208, std::string("Invalid object name 'INFORMATION_SCHEMA.Nada'.")));
    EXPECT_EQ(Recusa("SELECT * FROM Teste.sys.zv_sys_tables"),
              std::make_pair(208, std::string("Invalid object name 'Teste.sys.zv_sys_tables'.")));
    EXPECT_EQ(Recusa("SELECT * FROM zv_sys_tables").first, 208);
    EXPECT_EQ(Recusa("SELECT * FROM zv_is_columns").first, 208);
    // SQL Server's own catalog is still there
    Sql("CREATE TABLE T (id INT NOT NULL)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysobjects WHERE name = 'T'"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.objects WHERE name = 'T'"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.sysobjects WHERE name = 'T'"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = 'T'"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM master..sysprocesses WHERE spid = @@SPID"), "1");
}

TEST_F(NomesDoMotor, FuncoesDoSqliteNaoSaoDoSqlServer) {
    EXPECT_EQ(Recusa("SELECT sqlite_version()"),
              std::make_pair(195, std::string("'sqlite_version' is not a recognized built-in "
                                              "function name.")));
    EXPECT_EQ(Recusa("SELECT zv_getdate()").first, 195);
    EXPECT_EQ(Recusa("SELECT typeof(1)").first, 195);
    EXPECT_EQ(Recusa("SELECT substr('abc', 1, 1)").first, 195);
    EXPECT_EQ(Recusa("SELECT * FROM pragma_table_info('T')").first, 195);
    EXPECT_EQ(Recusa("SELECT dbo.sqlite_version()").first, 4121);
    // T-SQL's own functions go on working
    EXPECT_EQ(Valor("SELECT SUBSTRING('abc', 2, 1) + ISNULL(NULL, 'x') + LTRIM(' y')"), "bxy");
    EXPECT_EQ(Valor("SELECT DATALENGTH('abc') + LEN('ab') + ABS(-1)"), "6");
}

TEST_F(NomesDoMotor, MensagensDoSqliteViramAsDoSqlServer) {
    std::string aninhado = "SELECT ";
    for (int k = 0; k < 300; ++k) aninhado += "(";
    aninhado += "1";
    for (int k = 0; k < 300; ++k) aninhado += ")";
    EXPECT_EQ(Recusa(aninhado),
              std::make_pair(191, std::string("Some part of your SQL statement is nested too "
                                              "deeply. Rewrite the query or break it up into "
                                              "smaller queries.")));
    std::string uniao = "SELECT 1";
    for (int k = 0; k < 600; ++k) uniao += " UNION ALL SELECT 1";
    EXPECT_EQ(Recusa(uniao).first, 8623);
}

TEST(TraducaoDoSqlite, CadaMensagemTemSuaContraparte) {
    using zolvek::simulador::ErroComoSqlServer;
    auto numero = [](const std::string& m) { return ErroComoSqlServer(m, "B").Numero(); };
    EXPECT_EQ(numero("parser stack overflow"), 191);
    EXPECT_EQ(numero("too many terms in compound SELECT"), 8623);
    EXPECT_EQ(numero("string or blob too big"), 7119);
    EXPECT_EQ(numero("datatype mismatch"), 8114);
    EXPECT_EQ(numero("incomplete input"), 102);
    EXPECT_EQ(numero("too many SQL variables"), 8003);
    EXPECT_EQ(numero("integer overflow"), 8115);
    EXPECT_EQ(numero("database or disk is full"), 1101);
    EXPECT_STREQ(ErroComoSqlServer("unrecognized token: \"#\"", "B").what(),
                 "Incorrect syntax near '#'.");
    EXPECT_STREQ(ErroComoSqlServer("table \"ZV_CONFIG\" already exists", "B").what(),
                 "There is already an object named 'ZV_CONFIG' in the database.");
    EXPECT_STREQ(ErroComoSqlServer("no such index: IX", "B").what(),
                 "Cannot drop the index 'IX', because it does not exist or you do not have "
                 "permission.");
    EXPECT_STREQ(ErroComoSqlServer("anything else SQLite may say", "B").what(),
                 "O simulador de SQL Server não conseguiu executar esta instrução.");
}

}  // namespace
