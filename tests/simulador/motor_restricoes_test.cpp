#include "ambiente.hpp"

// Data rules and the structure changes the analysis makes, with SQL Server's messages.
class Restricoes : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE [Pedidos]([Id] INT IDENTITY(1,1),[Cliente] NVARCHAR(10) NOT NULL,[Tipo] "
            "NVARCHAR(1) NULL,"
            "[Total] DEC(10,2) NULL)");
        Sql("insert into Pedidos (Cliente, Tipo, Total) values ('A', 'S', 1)");
        Sql("insert into Pedidos (Cliente, Tipo, Total) values ('B', NULL, 2)");
    }
};

TEST_F(Restricoes, NuloETamanho) {
    EXPECT_EQ(Falha("insert into Pedidos (Tipo) values ('S')"),
              "Cannot insert the value NULL into column 'Cliente', table 'Teste.dbo.Pedidos'; "
              "column does not allow "
              "nulls. INSERT fails.");
    EXPECT_EQ(Falha("insert into Pedidos (Cliente) values ('12345678901')"),
              "String or binary data would be truncated.");
    EXPECT_EQ(Falha("update Pedidos set Cliente = NULL"),
              "Cannot insert the value NULL into column 'Cliente', table 'Teste.dbo.Pedidos'; "
              "column does not allow "
              "nulls. UPDATE fails.");
    EXPECT_EQ(Falha("insert into Pedidos (Cliente, Total) values ('C', 123456789)"),
              "Arithmetic overflow error converting int to data type numeric.");
    EXPECT_EQ(Falha("insert into Pedidos (Cliente, Total) values ('C', 'abc')"),
              "Error converting data type varchar to numeric.");
    EXPECT_EQ(Valor("select count(*) from Pedidos"), "2");
}

TEST_F(Restricoes, IdentidadeEIdentityInsert) {
    EXPECT_EQ(Falha("insert into Pedidos (Id, Cliente) values (10, 'C')"),
              "Cannot insert explicit value for identity column in table 'Pedidos' when "
              "IDENTITY_INSERT is set to OFF.");
    Sql("set identity_insert Pedidos on");
    Sql("insert into Pedidos (Id, Cliente) values (10, 'C')");
    Sql("set identity_insert Pedidos off");
    Sql("insert Pedidos (Cliente) values ('D')");
    EXPECT_EQ(Valor("select max(Id) from Pedidos"), "11");
    EXPECT_EQ(Falha("update Pedidos set Id = 5"), "Cannot update identity column 'Id'.");
}

TEST_F(Restricoes, PadraoEVerificacao) {
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Deflt_Pedidos_Tipo] DEFAULT ('S') FOR [Tipo]");
    Sql("UPDATE [Pedidos] SET [Tipo]='S' WHERE [Tipo] IS NULL");
    Sql("insert into Pedidos (Cliente) values ('E')");
    EXPECT_EQ(Valor("select Tipo from Pedidos where Cliente = 'e'"), "S");
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Check_Pedidos_Tipo] CHECK ([Tipo] IN ('S','N'))");
    EXPECT_EQ(Falha("insert into Pedidos (Cliente, Tipo) values ('F', 'X')"),
              "The INSERT statement conflicted with the CHECK constraint \"Check_Pedidos_Tipo\". "
              "The conflict occurred "
              "in database \"Teste\", table \"dbo.Pedidos\", column 'Tipo'.");
    Sql("if exists (select * from sysobjects where id = object_id('Check_Pedidos_Tipo')) ALTER "
        "TABLE [Pedidos] DROP "
        "CONSTRAINT [Check_Pedidos_Tipo]");
    Sql("insert into Pedidos (Cliente, Tipo) values ('F', 'X')");
    // WITH CHECK validates the rows already there; WITH NOCHECK does not
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ADD CONSTRAINT [Check_Pedidos_Tipo] CHECK ([Tipo] IN "
                    "('S','N'))"),
              "The ALTER TABLE statement conflicted with the CHECK constraint "
              "\"Check_Pedidos_Tipo\". The conflict "
              "occurred in database \"Teste\", table \"dbo.Pedidos\", column 'Tipo'.");
    Sql("ALTER TABLE [Pedidos] WITH NOCHECK ADD CONSTRAINT [Check_Pedidos_Tipo] CHECK ([Tipo] IN "
        "('S','N'))");
    EXPECT_EQ(Valor("select count(*) from Pedidos where Tipo = 'X'"), "1");
    EXPECT_NE(Falha("update Pedidos set Tipo = 'Y'"), "(sem erro)");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] DROP CONSTRAINT [Nada]"),
              "'Nada' is not a constraint.\nCould not drop constraint. See previous errors.");
}

TEST_F(Restricoes, ChavePrimariaEIndiceUnico) {
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ADD CONSTRAINT [Chvpr_Pedidos] PRIMARY KEY ([Tipo])"),
              "Cannot define PRIMARY KEY constraint on nullable column in table 'Pedidos'.\nCould "
              "not create "
              "constraint or index. See previous errors.");
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Chvpr_Pedidos] PRIMARY KEY ([Cliente])");
    EXPECT_EQ(db_->ColunasChave("dbo.[Pedidos]"), std::vector<std::string>{"Cliente"});
    auto r = Sql("select * from Pedidos");
    EXPECT_TRUE(r.colunas[1].chave);
    EXPECT_FALSE(r.colunas[0].chave);
    EXPECT_EQ(Falha("insert into Pedidos (Cliente) values ('a')"),
              "Violation of PRIMARY KEY constraint 'Chvpr_Pedidos'. Cannot insert duplicate key in "
              "object "
              "'dbo.Pedidos'. The duplicate key value is (a).");
    Sql("insert into Pedidos (Cliente, Tipo) values ('C', 'S')");
    EXPECT_NE(Falha("CREATE UNIQUE INDEX [Tipo] ON [Pedidos]([Tipo])"), "(sem erro)");
    Sql("CREATE INDEX [Tipo] ON [Pedidos]([Tipo] DESC, [Total])");
    EXPECT_EQ(Falha("CREATE INDEX [Tipo] ON [Pedidos]([Total])"),
              "The operation failed because an index or statistics with name 'Tipo' already exists "
              "on table 'Pedidos'.");
    EXPECT_EQ(Falha("DROP INDEX [Pedidos].[Chvpr_Pedidos]"),
              "An explicit DROP INDEX is not allowed on index 'Pedidos.Chvpr_Pedidos'. It is being "
              "used for PRIMARY "
              "KEY constraint enforcement.");
}

// An integer primary key is kept as SQLite's row key: a NULL for it must still be refused,
// never taken as "make a new key", and dropping the key must stop enforcing it.
TEST_F(Restricoes, ChavePrimariaInteiraRecusaNuloEDeixaDeValerAoSerExcluida) {
    Sql("CREATE TABLE Itens (Id int NOT NULL CONSTRAINT PK_Itens PRIMARY KEY, Nome varchar(9))");
    Sql("insert into Itens values (2, 'b'), (1, 'a')");
    const std::string nulo =
        "Cannot insert the value NULL into column 'Id', table 'Teste.dbo.Itens'; column does not "
        "allow nulls. ";
    EXPECT_EQ(Falha("insert into Itens (Nome) values ('c')"), nulo + "INSERT fails.");
    EXPECT_EQ(Falha("insert into Itens default values"), nulo + "INSERT fails.");
    EXPECT_EQ(Falha("insert into Itens values (NULL, 'c')"), nulo + "INSERT fails.");
    EXPECT_EQ(Falha("insert into Itens (Nome) select 'c'"), nulo + "INSERT fails.");
    EXPECT_EQ(Falha("insert into Itens select NULL, 'c'"), nulo + "INSERT fails.");
    EXPECT_EQ(Falha("update Itens set Id = NULL where Id = 1"), nulo + "UPDATE fails.");
    Sql("insert into Itens (Nome) select 'c' where 1 = 0");
    EXPECT_EQ(Falha("insert into Itens values (1, 'x')"),
              "Violation of PRIMARY KEY constraint 'PK_Itens'. Cannot insert duplicate key in "
              "object 'dbo.Itens'. The duplicate key value is (1).");
    EXPECT_EQ(Valor("select count(*) from Itens"), "2");
    Sql("ALTER TABLE Itens DROP CONSTRAINT PK_Itens");
    Sql("insert into Itens values (1, 'x')");
    EXPECT_EQ(Valor("select count(*) from Itens where Id = 1"), "2");
    EXPECT_EQ(Falha("ALTER TABLE Itens ADD CONSTRAINT PK_Itens PRIMARY KEY (Id)"),
              "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found for "
              "the object name 'dbo.Itens' and the index name 'PK_Itens'. The duplicate key value "
              "is (1).\nCould not create constraint or index. See previous errors.");
    EXPECT_EQ(Falha("ALTER TABLE Itens ADD CONSTRAINT PK_Itens PRIMARY KEY (Id), CONSTRAINT "
                    "CK_Itens CHECK (Id > 0)"),
              "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found for "
              "the object name 'dbo.Itens' and the index name 'PK_Itens'. The duplicate key value "
              "is (1).\nCould not create constraint or index. See previous errors.");
    EXPECT_EQ(Valor("select count(*) from Itens"), "3");
    Sql("delete from Itens where Nome = 'x'");
    // the key comes back with a rebuild (a default and a check in the same statement)
    Sql("ALTER TABLE Itens ADD CONSTRAINT PK_Itens PRIMARY KEY (Id), CONSTRAINT CK_Itens CHECK "
        "(Id > 0)");
    EXPECT_EQ(Falha("insert into Itens values (2, 'y')"),
              "Violation of PRIMARY KEY constraint 'PK_Itens'. Cannot insert duplicate key in "
              "object 'dbo.Itens'. The duplicate key value is (2).");
    EXPECT_EQ(Falha("insert into Itens (Nome) values ('c')"), nulo + "INSERT fails.");
}

TEST_F(Restricoes, ChavesEstrangeirasSimplesECompostas) {
    Sql("CREATE TABLE [Notas]([Serie] NVARCHAR(3) NOT NULL,[Numero] INT NOT NULL,[Cliente] "
        "NVARCHAR(10) NULL)");
    Sql("ALTER TABLE [Notas] ADD CONSTRAINT [Chvpr_Notas] PRIMARY KEY ([Serie],[Numero])");
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Chvpr_Pedidos] PRIMARY KEY ([Cliente])");
    Sql("CREATE TABLE [Itens]([Serie] NVARCHAR(3) NULL,[Numero] INT NULL,[Cliente] NVARCHAR(10) "
        "NULL)");
    Sql("ALTER TABLE [Itens] ADD CONSTRAINT [Rlcto_Itens_Numero] FOREIGN KEY ([Serie],[Numero]) "
        "REFERENCES "
        "[Notas]([Serie],[Numero])");
    Sql("ALTER TABLE [Itens] ADD CONSTRAINT [Rlcto_Itens_Cliente] FOREIGN KEY ([Cliente]) "
        "REFERENCES "
        "[Pedidos]([Cliente])");
    Sql("insert into Notas values ('1', 10, 'A')");
    Sql("insert into Itens values ('1', 10, 'a')");
    Sql("insert into Itens values (NULL, 99, NULL)");
    EXPECT_EQ(Falha("insert into Itens values ('1', 11, NULL)"),
              "The INSERT statement conflicted with the FOREIGN KEY constraint "
              "\"Rlcto_Itens_Numero\". The conflict "
              "occurred in database \"Teste\", table \"dbo.Notas\", column 'Serie'.");
    EXPECT_EQ(Falha("delete Pedidos where Cliente = 'A'"),
              "The DELETE statement conflicted with the REFERENCE constraint "
              "\"Rlcto_Itens_Cliente\". The conflict "
              "occurred in database \"Teste\", table \"dbo.Itens\", column 'Cliente'.");
    EXPECT_EQ(
        Falha("DROP TABLE [Notas]"),
        "Could not drop object 'Notas' because it is referenced by a FOREIGN KEY constraint.");
    EXPECT_EQ(Falha("ALTER TABLE [Itens] ADD CONSTRAINT [Rlcto_Itens_Serie] FOREIGN KEY ([Serie]) "
                    "REFERENCES "
                    "[Notas]([Serie])"),
              "There are no primary or candidate keys in the referenced table 'Notas' that match "
              "the referencing "
              "column list in the foreign key 'Rlcto_Itens_Serie'.\nCould not create constraint or "
              "index. See "
              "previous errors.");
    // WITH NOCHECK accepts rows that break the key; WITH CHECK refuses them
    Sql("ALTER TABLE [Itens] DROP CONSTRAINT [Rlcto_Itens_Cliente]");
    Sql("insert into Itens values (NULL, NULL, 'ZZ')");
    EXPECT_NE(Falha("ALTER TABLE [Itens] ADD CONSTRAINT [Rlcto_Itens_Cliente] FOREIGN KEY "
                    "([Cliente]) REFERENCES "
                    "[Pedidos]([Cliente])"),
              "(sem erro)");
    Sql("ALTER TABLE [Itens] WITH NOCHECK ADD CONSTRAINT [Rlcto_Itens_Cliente] FOREIGN KEY "
        "([Cliente]) REFERENCES "
        "[Pedidos]([Cliente])");
    Sql("delete Itens");
    Sql("DROP TABLE [Itens]");
    Sql("DROP TABLE [Notas]");
    Sql("delete Pedidos");
}

TEST_F(Restricoes, AlterarEAcrescentarColunas) {
    Sql("ALTER TABLE [Pedidos] ADD [Obs] NVARCHAR(20),[Data] DATETIME");
    EXPECT_EQ(Valor("select count(*) from syscolumns where id = object_id('Pedidos')"), "6");
    Sql("ALTER TABLE [Pedidos] ALTER COLUMN [Cliente] NVARCHAR(30) NOT NULL");
    EXPECT_EQ(
        Valor("select prec from syscolumns where id = object_id('Pedidos') and name = 'Cliente'"),
        "30");
    EXPECT_EQ(Valor("select Cliente from Pedidos where Total = 2"), "B");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ALTER COLUMN [Tipo] NVARCHAR(1) NOT NULL"),
              "Cannot insert the value NULL into column 'Tipo', table 'Teste.dbo.Pedidos'; column "
              "does not allow "
              "nulls. UPDATE fails.");
    Sql("update Pedidos set Obs = 'abcdef'");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ALTER COLUMN [Obs] NVARCHAR(3)"),
              "String or binary data would be truncated.");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ALTER COLUMN [Obs] INT"),
              "Conversion failed when converting the varchar value 'abcdef' to data type int.");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ADD [Novo] INT NOT NULL"),
              "ALTER TABLE only allows columns to be added that can contain nulls, or have a "
              "DEFAULT definition "
              "specified, or the column being added is an identity or timestamp column, or "
              "alternatively if none of "
              "the previous conditions are satisfied the table must be empty to allow addition of "
              "this column. Column "
              "'Novo' cannot be added to non-empty table 'Pedidos' because it does not satisfy "
              "these conditions.");
    // without NULL or NOT NULL the column becomes nullable
    Sql("ALTER TABLE [Pedidos] ALTER COLUMN [Cliente] NVARCHAR(30)");
    EXPECT_EQ(Valor("select isnullable from syscolumns where id = object_id('Pedidos') and name = "
                    "'Cliente'"),
              "1");
    // indexes and constraints hold their columns
    Sql("CREATE INDEX [IxObs] ON [Pedidos]([Obs])");
    Sql("ALTER TABLE [Pedidos] ALTER COLUMN [Obs] NVARCHAR(40)");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ALTER COLUMN [Obs] VARCHAR(40)"),
              "The index 'IxObs' is dependent on column 'Obs'.\nALTER TABLE ALTER COLUMN Obs "
              "failed because one or "
              "more objects access this column.");
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Deflt_Pedidos_Total] DEFAULT (0) FOR [Total]");
    // a default lets the precision change, not the type
    Sql("ALTER TABLE [Pedidos] ALTER COLUMN [Total] DEC(12,2)");
    EXPECT_EQ(Falha("ALTER TABLE [Pedidos] ALTER COLUMN [Total] FLOAT"),
              "The object 'Deflt_Pedidos_Total' is dependent on column 'Total'.\nALTER TABLE ALTER "
              "COLUMN Total failed "
              "because one or more objects access this column.");
    Sql("ALTER TABLE [Pedidos] ALTER COLUMN [Total] DEC(10,2) NULL");
    Sql("insert into Pedidos (Cliente) values ('Z')");
    EXPECT_EQ(Valor("select Total from Pedidos where Cliente = 'Z'"), "0.00");
    EXPECT_EQ(Valor("select max(Id) from Pedidos"), "3");
}

TEST_F(Restricoes, LinhasDeParametroEValoresPadrao) {
    Sql("CREATE TABLE [PARFN]([Script] NVARCHAR(max),[Opcao] NVARCHAR(1) NULL CONSTRAINT "
        "[Deflt_PARFN_Opcao] "
        "DEFAULT ('N'))");
    Sql("if not exists (select * from [PARFN]) INSERT INTO [PARFN] DEFAULT VALUES");
    Sql("if not exists (select * from [PARFN]) INSERT INTO [PARFN] DEFAULT VALUES");
    EXPECT_EQ(Valor("select count(*) from PARFN"), "1");
    EXPECT_EQ(Valor("select Opcao from PARFN"), "N");
}

TEST_F(Restricoes, TudoSobreviveAReconexao) {
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Chvpr_Pedidos] PRIMARY KEY ([Cliente])");
    Sql("ALTER TABLE [Pedidos] ADD CONSTRAINT [Deflt_Pedidos_Tipo] DEFAULT ('N') FOR [Tipo]");
    Sql("ALTER TABLE [Pedidos] WITH NOCHECK ADD CONSTRAINT [Check_Pedidos_Tipo] CHECK ([Tipo] IN "
        "('S','N'))");
    Sql("CREATE INDEX [Total] ON [Pedidos]([Total] DESC)");
    db_.reset();
    db_ = Conectar("Teste");
    EXPECT_EQ(Valor("select count(*) from sysobjects where parent_obj = object_id('Pedidos')"),
              "3");
    EXPECT_EQ(Valor("select count(*) from sys.indexes where object_id = object_id('Pedidos') and "
                    "name is not null"),
              "2");
    EXPECT_EQ(Valor("select COLUMN_DEFAULT from information_schema.columns where table_name = "
                    "'Pedidos' and "
                    "column_name = 'Tipo'"),
              "('N')");
    Sql("insert Pedidos (Cliente) values ('C')");
    EXPECT_EQ(Valor("select Tipo from Pedidos where Cliente = 'C'"), "N");
    EXPECT_NE(Falha("insert Pedidos (Cliente, Tipo) values ('D', 'X')"), "(sem erro)");
    EXPECT_NE(Falha("insert Pedidos (Cliente) values ('c')"), "(sem erro)");
    EXPECT_EQ(Valor("select max(Id) from Pedidos"), "3");
}
