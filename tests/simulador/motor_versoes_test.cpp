#include "ambiente.hpp"
#include "comum/erros.hpp"

// A server folder answers as the SQL Server version it was created as: 10.50 (SQL
// Server 2008 R2) still has sp_dboption, 11.0 and later do not.
class VersoesDoServidor : public SimuladorTeste {
  protected:
    std::string Versao(zolvek::db::Conector* c = nullptr) {
        auto r = (c ? c : db_.get())
                     ->ExecutarProcedimento("master.dbo.xp_msver",
                                            {{"optname", std::string("ProductVersion")}}, 0);
        return Texto(r.at(0).linhas.at(0)[3]) + " " + Texto(r.at(0).linhas.at(0)[2]);
    }
};

class Versao2008R2 : public VersoesDoServidor {
  protected:
    void SetUp() override {
        versao_ = "10.50";
        VersoesDoServidor::SetUp();
    }
};

TEST_F(VersoesDoServidor, OPadraoE2012SemSpDboption) {
    EXPECT_EQ(Versao(), "11.0.2100.60 720896");
    EXPECT_EQ(Valor("select serverproperty('ProductVersion')"), "11.0.2100.60");
    EXPECT_EQ(Valor("select @@version").rfind("Microsoft SQL Server 2012 - 11.0.2100.60", 0), 0u);
    EXPECT_EQ(Falha("exec sp_dboption 'Teste', 'single user'"),
              "Could not find stored procedure 'sp_dboption'.");
    EXPECT_EQ(Falha("sp_dboption"), "Could not find stored procedure 'sp_dboption'.");
    try {
        Sql("exec master..sp_dboption 'Teste', 'single user', 'true'");
        FAIL();
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 2812);
    }
}

TEST_F(Versao2008R2, TemSpDboptionEInformaAVersao) {
    EXPECT_EQ(Versao(), "10.50.1600.1 655410");
    EXPECT_EQ(Valor("select serverproperty('ProductVersion')"), "10.50.1600.1");
    EXPECT_EQ(
        Valor("select @@version").rfind("Microsoft SQL Server 2008 R2 (RTM) - 10.50.1600.1", 0),
        0u);
    EXPECT_EQ(Texto(Sql("exec sp_dboption Teste, 'single user'").linhas.at(0)[1]), "OFF");
    EXPECT_EQ(Sql("exec sp_dboption").colunas.at(0).nome, "Settable database options:");
    // the functions SQL Server 2012 brought are unknown here
    EXPECT_EQ(Falha("select iif(1 = 1, 'a', 'b')"),
              "'iif' is not a recognized built-in function name.");
    EXPECT_EQ(Falha("select CONCAT('a', 'b')"),
              "'CONCAT' is not a recognized built-in function name.");
    // the version stays with the folder: later connections need not name it
    versao_.clear();
    auto outra = Conectar("Teste");
    EXPECT_EQ(Versao(outra.get()), "10.50.1600.1 655410");
}

class Versao2016 : public VersoesDoServidor {
  protected:
    void SetUp() override {
        versao_ = "13.0";
        VersoesDoServidor::SetUp();
    }
};

// DROP ... IF EXISTS came with SQL Server 2016: before it the whole batch is a syntax error,
// wherever the statement stands in it, and nothing of it runs.
TEST_F(VersoesDoServidor, DropIfExistsEErroDeSintaxeAntesDe2016) {
    EXPECT_EQ(ErroNumerado("drop table if exists T"),
              "156/15/1: Incorrect syntax near the keyword 'if'.");
    EXPECT_EQ(Falha("create table A (x int); drop view IF EXISTS V"),
              "Incorrect syntax near the keyword 'IF'.");
    EXPECT_EQ(Valor("select count(*) from sys.tables where name = 'A'"), "0");
    EXPECT_EQ(Falha("if 1 = 1 begin print 'x' drop procedure if exists P end"),
              "Incorrect syntax near the keyword 'if'.");
    EXPECT_EQ(Falha("create procedure P as drop function if exists F"),
              "Incorrect syntax near the keyword 'if'.");
    EXPECT_EQ(Falha("exec ('drop index if exists I on T')"),
              "Incorrect syntax near the keyword 'if'.");
    for (const char* objeto : {"trigger", "type", "user", "database"})
        EXPECT_EQ(Recusa(std::string("drop ") + objeto + " if exists X").first, 156) << objeto;
}

TEST_F(Versao2016, DropIfExistsSoExcluiOQueExiste) {
    Sql("create table T (x int)");
    Sql("create view V as select x from T");
    Sql("drop view if exists V; drop view if exists V; drop table if exists T, Nenhuma");
    EXPECT_EQ(Valor("select count(*) from sys.objects where name in ('T', 'V')"), "0");
    Sql("create procedure P as select 1");
    Sql("if 1 = 1 drop procedure if exists P");
    EXPECT_EQ(Valor("select count(*) from sys.procedures"), "0");
}

class Versao2017 : public VersoesDoServidor {
  protected:
    void SetUp() override {
        versao_ = "14.0";
        VersoesDoServidor::SetUp();
    }
};

// CREATE OR ALTER came with 2016's first service pack: the stand-in's 13.0 is 2016 without
// it, so a syntax error there; from 14.0 it creates what is missing and alters what is
// there, of the same kind only (as ALTER, which turned a procedure into a view).
TEST_F(Versao2016, CreateOrAlterEErroDeSintaxeAntesDe2017) {
    EXPECT_EQ(ErroNumerado("create or alter procedure P as select 1"),
              "156/15/1: Incorrect syntax near the keyword 'or'.");
}

TEST_F(Versao2017, CreateOrAlterCriaOuAltera) {
    Sql("create table T (a int)");
    for (const char* corpo : {"select 1 as x", "select a as x from T"}) {
        Sql(std::string("create or alter procedure P as ") + corpo);
        Sql(std::string("CREATE OR ALTER VIEW V AS ") + corpo);
    }
    Sql("create or alter function F () returns int as begin return 5 end");
    Sql("create or alter trigger G on T after insert as update T set a = a + 1");
    Sql("create or alter procedure P as select 2 as x");
    EXPECT_EQ(Valor("exec P"), "2");
    Sql("insert into T values (1)");
    EXPECT_EQ(Valor("select x + dbo.F() from V"), "7");
    EXPECT_EQ(Falha("create or alter view P as select 1 as z"),
              "Cannot perform alter on 'P' because it is an incompatible object type.");
    EXPECT_EQ(Recusa("alter function V () returns int as begin return 1 end").first, 2010);
    EXPECT_EQ(Valor("exec P"), "2");
    EXPECT_EQ(Falha("create or alter table Q (a int)"),
              "Incorrect syntax near the keyword 'table'.");
}

TEST_F(VersoesDoServidor, VersaoSoSeEscolheParaPastaNova) {
    versao_ = "10.50";
    try {
        Conectar("Teste");
        FAIL() << "a pasta já existe com 11.0";
    } catch (const zolvek::ErroDeEntrada& e) {
        EXPECT_NE(std::string(e.what()).find("já existe com a versão 11.0"), std::string::npos)
            << e.what();
    }
    versao_ = "11";  // the same version, by its major number
    EXPECT_NO_THROW(Conectar("Teste"));
    pasta_ /= "outra";
    versao_ = "9.0";
    try {
        Conectar("master");
        FAIL() << "versão desconhecida";
    } catch (const zolvek::ErroDeEntrada& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Versão do servidor desconhecida para o simulador: '9.0'. Use uma destas: "
                  "10.50, 11.0, 12.0, 13.0, 14.0, 15.0, 16.0.");
    }
    versao_ = "16.0";
    auto nova = Conectar("master");
    EXPECT_EQ(Versao(nova.get()), "16.0.1000.6 1048576");
}

// The recovery model and auto-shrink are one state, whether set by ALTER DATABASE or by
// sp_dboption's flags.
TEST_F(Versao2008R2, RecuperacaoEAutoShrinkPorAlterDatabaseOuSpDboption) {
    auto estado = [&] {
        return Valor(
            "select recovery_model_desc + ' ' + cast(is_auto_shrink_on as varchar(1)) "
            "from sys.databases where name = 'Teste'");
    };
    EXPECT_EQ(estado(), "FULL 0");
    Sql("ALTER DATABASE Teste SET RECOVERY BULK_LOGGED");
    EXPECT_EQ(estado(), "BULK_LOGGED 0");
    EXPECT_EQ(Texto(Sql("exec sp_dboption Teste, 'select into/bulkcopy'").linhas.at(0)[1]), "ON");
    Sql("ALTER DATABASE [Teste] SET RECOVERY SIMPLE");
    Sql("ALTER DATABASE Teste SET AUTO_SHRINK ON");
    EXPECT_EQ(estado(), "SIMPLE 1");
    Sql("exec sp_dboption Teste, 'trunc. log on chkpt.', 'false'");
    Sql("exec sp_dboption Teste, 'autoshrink', 'false'");
    EXPECT_EQ(estado(), "FULL 0");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET RECOVERY PARCIAL"),
              "Incorrect syntax near 'PARCIAL'.");
    Sql("ALTER DATABASE Teste SET COMPATIBILITY_LEVEL = 100");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET COMPATIBILITY_LEVEL = 90"),
              "O simulador de SQL Server não interpreta outro nível de compatibilidade que o do "
              "servidor (100).");
    // options SQL Server 2012 brought are a syntax error before it
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET TARGET_RECOVERY_TIME = 60 SECONDS"),
              "Incorrect syntax near 'TARGET_RECOVERY_TIME'.");
}

// A generated script states every option of the database; those whose value is what the
// stand-in does anyway run, any other value is refused by name, never taken silently.
TEST_F(VersoesDoServidor, OpcoesDoBancoComOValorQueOSimuladorSegue) {
    for (const char* opcao : {"COMPATIBILITY_LEVEL = 110",
                              "ANSI_NULL_DEFAULT OFF",
                              "ANSI_NULLS OFF",
                              "ANSI_PADDING ON",
                              "ANSI_WARNINGS OFF",
                              "ARITHABORT OFF",
                              "AUTO_CLOSE OFF",
                              "AUTO_UPDATE_STATISTICS ON",
                              "CURSOR_CLOSE_ON_COMMIT OFF",
                              "CURSOR_DEFAULT  GLOBAL",
                              "CONCAT_NULL_YIELDS_NULL OFF",
                              "NUMERIC_ROUNDABORT OFF",
                              "QUOTED_IDENTIFIER OFF",
                              "RECURSIVE_TRIGGERS OFF",
                              " DISABLE_BROKER",
                              "AUTO_UPDATE_STATISTICS_ASYNC OFF",
                              "DATE_CORRELATION_OPTIMIZATION OFF",
                              "TRUSTWORTHY OFF",
                              "ALLOW_SNAPSHOT_ISOLATION OFF",
                              "PARAMETERIZATION SIMPLE",
                              "READ_COMMITTED_SNAPSHOT ON",
                              "HONOR_BROKER_PRIORITY OFF",
                              "PAGE_VERIFY CHECKSUM  ",
                              "DB_CHAINING OFF",
                              "FILESTREAM( NON_TRANSACTED_ACCESS = OFF )",
                              "TARGET_RECOVERY_TIME = 0 SECONDS",
                              " READ_WRITE",
                              "ONLINE"})
        EXPECT_NO_THROW(Sql(std::string("ALTER DATABASE [Teste] SET ") + opcao)) << opcao;
    EXPECT_EQ(Valor("select recovery_model_desc + ' ' + cast(is_read_committed_snapshot_on as "
                    "varchar(1)) + ' ' + cast(compatibility_level as varchar(3)) from "
                    "sys.databases where name = 'Teste'"),
              "FULL 1 110");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET READ_COMMITTED_SNAPSHOT OFF"),
              "O simulador de SQL Server não interpreta a opção 'READ_COMMITTED_SNAPSHOT OFF' de "
              "ALTER DATABASE.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET ARITHABORT ON"),
              "O simulador de SQL Server não interpreta a opção 'ARITHABORT ON' de ALTER "
              "DATABASE.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET FILESTREAM (NON_TRANSACTED_ACCESS = FULL)"),
              "O simulador de SQL Server não interpreta a opção 'FILESTREAM' de ALTER DATABASE "
              "com acesso não transacional.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET QUERY_STORE = OFF"),
              "Incorrect syntax near 'QUERY_STORE'.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET COMPATIBILITY_LEVEL = 100"),
              "O simulador de SQL Server não interpreta outro nível de compatibilidade que o do "
              "servidor (110).");
    // full-text search is not installed: a generated script's test of it skips its procedure
    EXPECT_EQ(Valor("IF (1 = FULLTEXTSERVICEPROPERTY('IsFullTextInstalled')) "
                    "EXEC [Teste].[dbo].[sp_fulltext_database] @action = 'enable' "
                    "SELECT SERVERPROPERTY('IsFullTextInstalled')"),
              "0");
    EXPECT_EQ(Falha("ALTER DATABASE Teste COLLATE Latin1_General_CI_AS"),
              "O simulador de SQL Server não muda a colação de um banco de dados.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET ENABLE_BROKER"),
              "O simulador de SQL Server não interpreta a opção 'ENABLE_BROKER' de ALTER "
              "DATABASE.");
    EXPECT_EQ(Falha("ALTER DATABASE Nenhum SET ANSI_NULLS OFF"),
              Falha("ALTER DATABASE Nenhum SET RECOVERY FULL"));
}
