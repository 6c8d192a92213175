#include "ambiente.hpp"

// What SQL Server refuses in DDL, with its messages.
class Ddl : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE [T]([Id] INT IDENTITY(1,1),[A] NVARCHAR(10) NULL,[B] INT NULL)");
    }
};

TEST_F(Ddl, ObjetosRepetidosOuAusentes) {
    EXPECT_EQ(Falha("CREATE TABLE [t]([X] INT)"),
              "There is already an object named 't' in the database.");
    EXPECT_EQ(Falha("CREATE TABLE [U]([X] INT, [x] INT)"),
              "Column names in each table must be unique. Column name 'x' in table 'U' is "
              "specified more than once.");
    EXPECT_EQ(Falha("CREATE TABLE [U]([X] INT IDENTITY, [Y] INT IDENTITY)"),
              "Multiple identity columns specified for table 'U'. Only one identity column per "
              "table is allowed.");
    EXPECT_EQ(
        Falha("CREATE TABLE [U]([X] NVARCHAR(5000))"),
        "The size (5000) given to the parameter 'nvarchar' exceeds the maximum allowed (4000).");
    EXPECT_EQ(Falha("CREATE TABLE [U]([X] VARCHAR(8001))"),
              "The size (8001) given to the type 'varchar' exceeds the maximum allowed for any "
              "data type (8000).");
    EXPECT_EQ(Falha("CREATE TABLE [U]([X] TIPOX)"),
              "Column, parameter, or variable #1: Cannot find data type TIPOX.");
    EXPECT_EQ(Falha("DROP TABLE [U]"),
              "Cannot drop the table 'U', because it does not exist or you do not have "
              "permission.");
    // SQL Server 2012, the default, reads no IF EXISTS after DROP
    EXPECT_EQ(Falha("DROP TABLE IF EXISTS [U]"), "Incorrect syntax near the keyword 'IF'.");
    EXPECT_EQ(Falha("DROP INDEX [T].[Nada]"),
              "Cannot drop the index 'T.Nada', because it does not exist or you do "
              "not have permission.");
    EXPECT_EQ(Falha("CREATE INDEX [I] ON [T]([Nada])"),
              "Column name 'Nada' does not exist in the target table or view.");
    EXPECT_EQ(Falha("drop procedure dbo.[Nada]"),
              "Cannot drop the procedure 'Nada', because it does not exist or you do not have "
              "permission.");
    EXPECT_EQ(Falha("ALTER TABLE [T] ADD [A] INT"),
              "Column names in each table must be unique. Column name 'A' in table 'T' is "
              "specified more than once.");
    EXPECT_EQ(Falha("ALTER TABLE [T] ALTER COLUMN [Id] INT IDENTITY(1,1)"),
              "Incorrect syntax near the keyword 'IDENTITY'.");
    EXPECT_EQ(Falha("ALTER TABLE [T] ADD CONSTRAINT [D1] DEFAULT (1) FOR [Id]"),
              "Defaults cannot be created on columns with an IDENTITY attribute. Table 'T', column "
              "'Id'.\nCould not "
              "create constraint or index. See previous errors.");
    Sql("ALTER TABLE [T] ADD CONSTRAINT [D1] DEFAULT (1) FOR [B]");
    EXPECT_EQ(Falha("ALTER TABLE [T] ADD CONSTRAINT [D2] DEFAULT (2) FOR [B]"),
              "Column already has a DEFAULT bound to it.\nCould not create constraint or index. "
              "See previous errors.");
    EXPECT_EQ(Falha("ALTER TABLE [T] ADD CONSTRAINT [D1] DEFAULT ('x') FOR [A]"),
              "There is already an object named 'D1' in the database.\nCould not create constraint "
              "or index. See "
              "previous errors.");
}

// SET ANSI_PADDING OFF, which generated scripts leave after a table, is taken; a column it
// would keep unpadded is refused where it would be made, and ON makes them again.
TEST_F(Ddl, AnsiPaddingDesligadoRecusaSoAsColunasQueMudaria) {
    Sql("SET ANSI_PADDING OFF");
    Sql("CREATE TABLE [U]([X] INT, [N] NVARCHAR(10), [M] VARCHAR(MAX))");
    EXPECT_EQ(Falha("CREATE TABLE [V]([X] INT, [C] CHAR(3) NULL)"),
              "O simulador de SQL Server não cria a coluna 'C' (char(3)) com SET ANSI_PADDING "
              "OFF.");
    EXPECT_EQ(Falha("ALTER TABLE [U] ADD [B] VARBINARY(8) NULL"),
              "O simulador de SQL Server não cria a coluna 'B' (varbinary(8)) com SET "
              "ANSI_PADDING OFF.");
    EXPECT_EQ(Falha("DECLARE @t TABLE([V] VARCHAR(5)); SELECT * FROM @t"),
              "O simulador de SQL Server não cria a coluna 'V' (varchar(5)) com SET ANSI_PADDING "
              "OFF.");
    EXPECT_EQ(Falha("SELECT [A] INTO [W] FROM [T]"),
              "O simulador de SQL Server não executa SELECT ... INTO com SET ANSI_PADDING OFF.");
    Sql("SET ANSI_PADDING ON");
    Sql("CREATE TABLE [V]([C] CHAR(3) NULL); INSERT INTO [V] VALUES ('a')");
    EXPECT_EQ(Valor("SELECT DATALENGTH([C]) FROM [V]"), "3");
}

TEST_F(Ddl, ColunasExcluidasEDependencias) {
    Sql("insert T (A, B) values ('x', 1)");
    Sql("CREATE INDEX [IB] ON [T]([B])");
    EXPECT_EQ(Falha("ALTER TABLE [T] DROP COLUMN [B]"),
              "The index 'IB' is dependent on column 'B'.\nALTER TABLE DROP COLUMN B failed "
              "because one or more "
              "objects access this column.");
    Sql("DROP INDEX [IB] ON [T]");
    Sql("ALTER TABLE [T] DROP COLUMN [B]");
    auto r = Sql("select * from T");
    ASSERT_EQ(r.colunas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[0][1]), "x");
    // identity values go on after a rebuild
    Sql("insert T (A) values ('y')");
    EXPECT_EQ(Valor("select max(Id) from T"), "2");
    // an identity column added to a table with rows numbers them
    Sql("CREATE TABLE [W]([X] NVARCHAR(1) NULL)");
    Sql("insert W values ('a') insert W values ('b')");
    Sql("ALTER TABLE [W] ADD [N] INT IDENTITY(1,1)");
    EXPECT_EQ(Valor("select sum(N) from W"), "3");
    // a nullable column added with a default keeps NULL in the rows there; NOT NULL takes it
    Sql("ALTER TABLE [W] ADD [P] INT NULL CONSTRAINT [Dp] DEFAULT (7), [Q] INT NOT NULL CONSTRAINT "
        "[Dq] DEFAULT (8)");
    EXPECT_EQ(Valor("select count(*) from W where P is null and Q = 8"), "2");
}

TEST_F(Ddl, TransacoesNoTexto) {
    Sql("BEGIN TRANSACTION");
    Sql("insert T (A) values ('a')");
    EXPECT_EQ(Valor("select @@trancount"), "1");
    Sql("ROLLBACK TRANSACTION");
    EXPECT_EQ(Valor("select count(*) from T"), "0");
    EXPECT_EQ(Falha("COMMIT"),
              "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
    Sql("begin tran insert T (A) values ('b') commit tran");
    EXPECT_EQ(Valor("select count(*) from T"), "1");
    EXPECT_FALSE(db_->EmTransacao());
}

TEST_F(Ddl, AdicaoDeColunasSeguidaDeOutraInstrucaoNoLote) {
    Sql("insert T (A) values ('a')");
    Sql("begin tran alter table T add C int null, D varchar(2) not null default 'x' "
        "rollback tran");
    EXPECT_EQ(Falha("select C from T"), "Invalid column name 'C'.");
    auto r = Sql("alter table T add E int not null default 4 with values; select E from T");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "4");
    // a nullable column's default reaches the rows already there only WITH VALUES
    Sql("alter table T add F int null default 7 with values, G int null default 8");
    EXPECT_EQ(Valor("select cast(F as varchar) + '|' + isnull(cast(G as varchar), 'NULL') from T"),
              "7|NULL");
    // a collation the stand-in does not compare by is refused, not taken as the default
    EXPECT_EQ(Falha("alter table T add H varchar(5) collate Latin1_General_CS_AS null"),
              "O simulador de SQL Server só conhece a colação Latin1_General_CI_AS.");
    Sql("alter table T add I varchar(5) collate SQL_Latin1_General_CP1_CI_AS null");
}

TEST_F(Ddl, DuasSessoesVeemOMesmoCatalogo) {
    auto outra = Conectar("Teste");
    Sql("select * from T", {}, outra.get());
    Sql("ALTER TABLE [T] ADD [C] NVARCHAR(5) NULL");
    EXPECT_EQ(Sql("select * from T", {}, outra.get()).colunas.size(), 4u);
    Sql("insert T (C) values ('abc')", {}, outra.get());
    EXPECT_EQ(Falha("insert T (C) values ('abcdef')", outra.get()),
              "String or binary data would be truncated.");
    EXPECT_EQ(Valor("select C from T"), "abc");
    EXPECT_EQ(Valor("select count(*) from master.dbo.sysprocesses where DB_NAME(dbid) = 'Teste'"),
              "2");
}

TEST_F(Ddl, TempoLimiteDoComando) {
    const std::string longa =
        "WITH c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 200000000) SELECT count(*) "
        "FROM c";
    try {
        db_->Executar(longa, {}, 1);
        ADD_FAILURE() << "the statement should have hit its time limit";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Query timeout expired");
    }
    EXPECT_EQ(Valor("select 1"), "1");
}

TEST_F(Ddl, AtualizacaoEExclusaoComJuncao) {
    Sql("CREATE TABLE [A]([Id] INT NOT NULL,[V] INT NULL)");
    Sql("CREATE TABLE [B]([Id] INT NOT NULL,[W] INT NULL)");
    Sql("insert A values (1, 0) insert A values (2, 0) insert B values (1, 10)");
    EXPECT_EQ(Sql("update a set V = b.W from A a inner join B b on a.Id = b.Id").linhasAfetadas, 1);
    EXPECT_EQ(Valor("select sum(V) from A"), "10");
    Sql("update A set V = V + 1 from A join B on A.Id = B.Id where B.W > 5");
    EXPECT_EQ(Valor("select V from A where Id = 1"), "11");
    Sql("delete A from A join B on A.Id = B.Id");
    EXPECT_EQ(Valor("select count(*) from A"), "1");
    Sql("delete x from A x where x.Id = 2");
    EXPECT_EQ(Valor("select count(*) from A"), "0");
}

TEST_F(Ddl, AlteracaoDeColunaComPadraoOuValidacao) {
    Sql("CREATE TABLE [G]([A] VARCHAR(5) NOT NULL CONSTRAINT [DF_G_A] DEFAULT 'x',"
        "[N] DECIMAL(9,2) NULL CONSTRAINT [DF_G_N] DEFAULT 0,"
        "[C] VARCHAR(4) NULL CONSTRAINT [CK_G_C] CHECK ([C] <> 'z'))");
    // another length, precision or scale of the same type keeps the default
    Sql("ALTER TABLE [G] ALTER COLUMN [A] VARCHAR(10) NOT NULL");
    Sql("ALTER TABLE [G] ALTER COLUMN [N] DECIMAL(12,3) NULL");
    // a CHECK lets a variable-length column change its length
    Sql("ALTER TABLE [G] ALTER COLUMN [C] VARCHAR(8) NULL");
    auto r =
        Sql("select length, xprec, xscale from syscolumns where id = object_id('G') "
            "order by colid");
    ASSERT_EQ(r.linhas.size(), 3u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "10");
    EXPECT_EQ(Texto(r.linhas[1][1]) + "," + Texto(r.linhas[1][2]), "12,3");
    EXPECT_EQ(Texto(r.linhas[2][0]), "8");
    EXPECT_EQ(Falha("ALTER TABLE [G] ALTER COLUMN [A] NVARCHAR(10) NOT NULL"),
              "The object 'DF_G_A' is dependent on column 'A'.\nALTER TABLE ALTER COLUMN A "
              "failed because one or more objects access this column.");
    EXPECT_EQ(Falha("ALTER TABLE [G] ALTER COLUMN [C] INT NULL"),
              "The object 'CK_G_C' is dependent on column 'C'.\nALTER TABLE ALTER COLUMN C "
              "failed because one or more objects access this column.");
}
