#include <string>

#include "ambiente.hpp"
#include "comum/erros.hpp"

// SQL Server's refusals of options, types, expressions, databases and backups reach the
// client as SQL Server raises them: its text, number, severity and state.
namespace {

class MensagensNumeradas : public SimuladorTeste {};

TEST_F(MensagensNumeradas, OpcoesTiposEExpressoes) {
    EXPECT_EQ(ErroNumerado("SET DATEFORMAT xyz"),
              "2741/16/1: SET DATEFORMAT date order 'xyz' is invalid.");
    EXPECT_EQ(ErroNumerado("SET DATEFIRST 8"), "2742/16/1: SET DATEFIRST 8 is out of range.");
    EXPECT_EQ(ErroNumerado("DECLARE @d decimal(2, 3)"),
              "183/15/1: The scale (3) for column '' must be within the range 0 to 2.");
    EXPECT_EQ(ErroNumerado("SELECT 0xff | 0x100"),
              "402/16/1: The data types varbinary and varbinary are incompatible in the '|' "
              "operator.");
    EXPECT_EQ(ErroNumerado("SELECT TODATETIMEOFFSET(SYSDATETIME(), '+25:00')"),
              "9812/16/1: The timezone provided to builtin function todatetimeoffset is invalid.");
    EXPECT_EQ(ErroNumerado("SELECT 1 AS a FOR XML PATH, ROOT('')"),
              "6861/16/1: Empty root tag name can't be specified with FOR XML.");
}

TEST_F(MensagensNumeradas, BancosECopias) {
    auto master = Conectar("master");
    EXPECT_EQ(ErroNumerado("DROP DATABASE master", master.get()),
              "3708/16/1: Cannot drop the database 'master' because it is a system database.");
    EXPECT_EQ(ErroNumerado("ALTER DATABASE master SET SINGLE_USER", master.get()),
              "5058/16/1: Option 'SINGLE_USER' cannot be set in database 'master'.");
    Sql("BACKUP DATABASE Teste TO DISK = 'm.bak'");
    EXPECT_EQ(ErroNumerado("RESTORE FILELISTONLY FROM DISK = 'm.bak' WITH FILE = 2"),
              "4038/16/1: Cannot find file ID 2 on device 'm.bak'.");
    EXPECT_EQ(
        ErroNumerado("RESTORE DATABASE master FROM DISK = 'm.bak' WITH REPLACE", master.get()),
        "3108/16/1: To restore the master database, the server must be running in "
        "single-user mode. For information on starting in single-user mode, see \"How to: "
        "Start an Instance of SQL Server (sqlservr.exe)\" in Books Online.");
    const std::string dobrado = ErroNumerado(
        "RESTORE DATABASE Nova FROM DISK = 'm.bak' WITH MOVE 'Teste' TO 'C:\\d\\n.mdf', "
        "MOVE 'Teste_log' TO 'C:\\d\\n.mdf'",
        master.get());
    EXPECT_EQ(dobrado.rfind("3176/16/1: File '", 0), 0u) << dobrado;
    EXPECT_NE(dobrado.find("' is claimed by 'Teste'(1) and 'Teste_log'(2). The WITH MOVE clause "
                           "can be used to relocate one or more files."),
              std::string::npos)
        << dobrado;
    EXPECT_EQ(ErroNumerado("SELECT COUNT(*) FROM sys.databases WHERE name = 'Nova'"), "(sem erro)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.databases WHERE name = 'Nova'"), "0");
}

class MensagensDoSpDboption : public MensagensNumeradas {
  protected:
    void SetUp() override {
        versao_ = "10.50";  // the last version with sp_dboption
        MensagensNumeradas::SetUp();
    }
};

TEST_F(MensagensDoSpDboption, OpcoesEDireitos) {
    EXPECT_EQ(ErroNumerado("EXEC sp_dboption 'Teste', 'nada'"),
              "15011/16/1: Database option 'nada' does not exist. Specify a valid database "
              "option.");
    EXPECT_EQ(ErroNumerado("EXEC sp_dboption 'Teste', 'a'"),
              "15242/16/1: Database option 'a' is not unique.");
    EXPECT_EQ(ErroNumerado("EXEC sp_dboption 'Teste', 'autoshrink', 'talvez'"),
              "15241/16/1: Usage: sp_dboption [dbname [,optname [,'true' | 'false']]]");
    Sql("CREATE LOGIN ana WITH PASSWORD = 'Senha-123'");
    auto ana = Conectar("master", "ana", "Senha-123");
    EXPECT_EQ(ErroNumerado("EXEC sp_dboption 'Teste', 'autoshrink', 'true'", ana.get()),
              "15244/16/1: Only members of the sysadmin role or the database owner may set "
              "database options.");
}

}  // namespace
