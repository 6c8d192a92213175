#include "ambiente.hpp"

// Procedures, triggers, views and functions are stored with their text (and run); a rolled-back
// transaction takes DDL back with it.
TEST_F(SimuladorTeste, GatilhosEProcedimentosDoVersionamento) {
    Sql("CREATE TABLE [Clientes]([Id] INT IDENTITY(1,1),[Nome] NVARCHAR(60) NULL,[Emissao] "
        "DATETIME NULL)");
    Sql("CREATE TABLE [RegTab]([id] INT IDENTITY(1,1),[Operacao] NCHAR(1),[Tabela] "
        "NVARCHAR(60),[idTabela] INT,"
        "[Campo] NVARCHAR(60),[ValorEmString] NVARCHAR(50))");
    const std::string gatilho =
        "CREATE TRIGGER [Trigr_Clientes_RegTab_Ins] ON [Clientes]\r\nWITH ENCRYPTION\r\nFOR "
        "INSERT\r\nAS\r\n"
        "DECLARE @IUD char(1),@nRegsEmPar int,@Id varchar(50), @Nome varchar(max), @Emissao "
        "varchar(50)\r\nBEGIN\r\n"
        "SET ANSI_NULLS ON\r\nSET NOCOUNT ON\r\nSET @IUD = 'I'\r\ndeclare regs cursor local "
        "fast_forward for\r\n"
        "select n.[Id], n.[Nome], convert(varchar(23), n.[Emissao], 121) from inserted n\r\nopen "
        "regs\r\n"
        "while 1=1\r\n   begin\r\n   fetch next from regs\r\n   into @Id, @Nome, @Emissao\r\n"
        "   if @@fetch_status <> 0\r\n      break\r\n"
        "   insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, "
        "'Clientes',@Id, "
        "'Id',@Id)\r\n   end\r\nclose regs\r\ndeallocate regs\r\nend\r\n";
    db_->IniciarTransacao();
    Sql("if exists (select * from sysobjects where id = object_id('Trigr_Clientes_RegTab_Ins')) "
        "drop trigger "
        "dbo.[Trigr_Clientes_RegTab_Ins]");
    Sql(gatilho);
    Sql("CREATE PROCEDURE dbo.[Stprc_Clientes_RegVer_Build]\r\nWITH "
        "ENCRYPTION\r\nAS\r\nBEGIN\r\nSET NOCOUNT ON\r\nend\r\n");
    Sql("execute dbo.Stprc_Clientes_RegVer_Build");
    db_->Confirmar();
    EXPECT_EQ(
        Valor("select xtype from sysobjects where id = object_id('Trigr_Clientes_RegTab_Ins')"),
        "TR");
    // the trigger records the new row's key in the history
    Sql("insert into Clientes (Nome) values ('Ana')");
    EXPECT_EQ(Valor("select Operacao + ' ' + Campo + ' ' + ValorEmString from RegTab"), "I Id 1");
    EXPECT_EQ(Falha(gatilho),
              "There is already an object named 'Trigr_Clientes_RegTab_Ins' in the database.");
    // a class step that fails is rolled back with everything it dropped
    db_->IniciarTransacao();
    Sql("if exists (select * from sysobjects where id = object_id('Trigr_Clientes_RegTab_Ins')) "
        "drop trigger "
        "dbo.[Trigr_Clientes_RegTab_Ins]");
    Sql("if exists (select * from sysobjects where id = object_id('Stprc_Clientes_RegVer_Build')) "
        "drop procedure "
        "dbo.[Stprc_Clientes_RegVer_Build]");
    EXPECT_EQ(Sql("select * from sysobjects where id = object_id('Trigr_Clientes_RegTab_Ins')")
                  .linhas.size(),
              0u);
    db_->Desfazer();
    EXPECT_EQ(Valor("select count(*) from sysobjects where xtype in ('TR','P')"), "2");
    EXPECT_EQ(Falha("execute dbo.Nenhum"), "Could not find stored procedure 'Nenhum'.");
}

TEST_F(SimuladorTeste, RollbackDesfazTabelasEColunas) {
    Sql("CREATE TABLE [A]([X] INT NULL)");
    Sql("insert into A values (1)");
    db_->IniciarTransacao();
    Sql("CREATE TABLE [B]([Y] INT NULL)");
    Sql("ALTER TABLE [A] ADD [Z] NVARCHAR(10)");
    Sql("ALTER TABLE [A] ALTER COLUMN [X] BIGINT NOT NULL");
    Sql("DROP TABLE [A]");
    db_->Desfazer();
    EXPECT_EQ(Falha("select * from B"), "Invalid object name 'B'.");
    auto r = Sql("select * from A");
    ASSERT_EQ(r.colunas.size(), 1u);
    EXPECT_EQ(r.colunas[0].tipo, zolvek::db::TipoDeCampo::Integer);
    EXPECT_EQ(Valor("select X from A"), "1");
    // a statement that fails inside a transaction undoes only itself
    db_->IniciarTransacao();
    Sql("insert into A values (2)");
    EXPECT_EQ(Falha("insert into A values (1/0)"), "Divide by zero error encountered.");
    db_->Confirmar();
    EXPECT_EQ(Valor("select count(*) from A"), "2");
    // a conversion error ends the batch and rolls the whole transaction back, as SQL
    // Server does even with XACT_ABORT OFF
    db_->IniciarTransacao();
    Sql("insert into A values (3)");
    EXPECT_EQ(Falha("insert into A values ('x')"),
              "Conversion failed when converting the varchar value 'x' to data type int.");
    EXPECT_FALSE(db_->EmTransacao());
    EXPECT_EQ(Valor("select count(*) from A"), "2");
}

TEST_F(SimuladorTeste, VisoesFuncoesEPermissoes) {
    Sql("CREATE TABLE [LibAgr]([idLibAgr] INT IDENTITY(1,1),[Ordem] INT NULL,[itemDe] INT NULL)");
    Sql("CREATE TABLE [PrgAgr]([idPrgAgr] INT IDENTITY(1,1),[Ordem] INT NULL,[Tipo] NVARCHAR(20) "
        "NULL,"
        "[Nome] NVARCHAR(60) NULL,[Fonte] NVARCHAR(max),[Linguagem] NVARCHAR(10) NULL,[Status] "
        "NVARCHAR(10) NULL,"
        "[fkLibAgr] INT NULL)");
    Sql("insert into LibAgr (Ordem, itemDe) values (1, NULL)");
    Sql("insert into PrgAgr (Ordem, Tipo, Nome, Linguagem, Status, fkLibAgr) values (1, "
        "'Procedimento', 'P7', 'SQL', "
        "'Ativo', 1)");
    Sql("insert into PrgAgr (Ordem, Tipo, Nome, Linguagem, Status, fkLibAgr) values (2, 'Vista', "
        "'V3', 'SQL', 'Ativo', "
        "NULL)");
    const std::string arvore =
        "select idLibAgr,idPrgAgr,Ordem,Tipo from(\r\nselect idLibAgr,0 as idPrgAgr,Ordem,'' as "
        "Tipo from LibAgr\r\n"
        "where itemDe is null\r\nunion all\r\nselect 0 as idLibAgr,idPrgAgr,Ordem,Tipo from PrgAgr "
        "where "
        "Linguagem='SQL' and Status='Ativo' and Tipo not in "
        "('Gatilho','Cálculo','Validação','Propagação','Apoio')\r\n"
        "and fkLibAgr is null\r\n) t order by Ordem";
    auto r = Sql(arvore);
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "1");
    EXPECT_EQ(Texto(r.linhas[1][1]), "2");
    r =
        Sql("select idLibAgr,idPrgAgr,Ordem,Tipo from(\r\nselect idLibAgr,0 as idPrgAgr,Ordem,'' "
            "as Tipo from LibAgr\r\n"
            "where itemDe=? /*Linha 2*/\r\nunion all\r\nselect 0 as idLibAgr,idPrgAgr,Ordem,Tipo "
            "from PrgAgr where "
            "Linguagem='SQL'\r\nand fkLibAgr=? /*Linha 5*/\r\n) t order by Ordem",
            {std::int64_t{1}, std::int64_t{1}});
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][1]), "1");
    Sql("CREATE VIEW [V3] AS select Nome from PrgAgr");
    EXPECT_EQ(Valor("select count(*) from V3"), "2");
    Sql("grant select on dbo.[V3] to public");
    Sql("GRANT SELECT,INSERT,UPDATE,DELETE ON [PrgAgr] TO PUBLIC");
    Sql("if exists (select * from sysobjects where id = object_id('V3')) drop view dbo.[V3]");
    EXPECT_EQ(Falha("select * from V3"), "Invalid object name 'V3'.");
    EXPECT_EQ(
        Falha("GRANT SELECT ON [Nada] TO PUBLIC"),
        "Cannot find the object 'Nada', because it does not exist or you do not have permission.");
    EXPECT_EQ(
        Falha("GRANT SELECT ON [PrgAgr] TO Fulano"),
        "Cannot find the user 'Fulano', because it does not exist or you do not have permission.");
}

TEST_F(SimuladorTeste, VisaoTipadaEInstrucoesNaoInterpretadas) {
    Sql("CREATE TABLE [Precos]([Item] NVARCHAR(10) NOT NULL,[Valor] MONEY NULL,[Data] DATETIME "
        "NULL)");
    Sql("insert Precos values ('a', 1.5, '20210101')");
    Sql("CREATE VIEW [VPrecos] AS select Item, Valor, Data from Precos where Valor > 0");
    auto r = Sql("select * from VPrecos");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(r.colunas[1].tipo, zolvek::db::TipoDeCampo::Currency);
    EXPECT_EQ(Texto(r.linhas[0][1]), "1.5000");
    EXPECT_EQ(r.colunas[0].tabelaBase, "Precos");
    EXPECT_EQ(Falha("CREATE VIEW [VErrada] AS select Nada from Precos"),
              "Invalid column name 'Nada'.");
    EXPECT_EQ(Falha("select * from VErrada"), "Invalid object name 'VErrada'.");
    EXPECT_EQ(Falha("SET @x = 1"), "Must declare the scalar variable \"@x\".");
    EXPECT_EQ(Falha("DECLARE @t TABLE (a int) select * from @u"),
              "Must declare the table variable \"@u\".");
    EXPECT_EQ(Falha("select @x"), "Must declare the scalar variable \"@x\".");
    EXPECT_EQ(
        Falha(
            "ALTER TABLE [Precos] ADD CONSTRAINT [F1] FOREIGN KEY ([Item]) REFERENCES [Nada]([X])"),
        "Foreign key 'F1' references invalid table 'Nada'.\nCould not create constraint or index. "
        "See previous "
        "errors.");
    Sql("SET NOCOUNT ON");
    Sql("PRINT 'nada'");
}

TEST_F(SimuladorTeste, TransacaoDeOutraSessaoNaoImpedeConectar) {
    Sql("CREATE TABLE [A]([X] INT NULL)");
    db_->IniciarTransacao();
    Sql("insert A values (1)");
    auto outra = Conectar("Teste");
    EXPECT_EQ(Texto(Sql("select count(*) from A", {}, outra.get()).linhas[0][0]), "0");
    db_->Confirmar();
    EXPECT_EQ(Texto(Sql("select count(*) from A", {}, outra.get()).linhas[0][0]), "1");
}

TEST_F(SimuladorTeste, ObjectPropertyNoRoteiroDeExclusao) {
    Sql("CREATE TABLE [Tab]([X] INT NULL)");
    Sql("create procedure dbo.Proc1 as select 1");
    EXPECT_EQ(Valor("select objectproperty(object_id('Proc1'), N'IsProcedure')"), "1");
    EXPECT_EQ(Valor("select objectproperty(object_id('Tab'), 'IsProcedure')"), "0");
    EXPECT_EQ(Valor("select objectproperty(object_id('Tab'), 'IsUserTable')"), "1");
    EXPECT_EQ(Valor("select objectproperty(object_id('Nada'), 'IsUserTable')"), "NULL");
    Sql("if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Proc1]') and "
        "OBJECTPROPERTY(id, N'IsProcedure') = 1) drop procedure [dbo].[Proc1]");
    EXPECT_EQ(Valor("select count(*) from sysobjects where name = 'Proc1'"), "0");
}
