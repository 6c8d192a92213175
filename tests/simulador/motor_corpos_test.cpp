#include "ambiente.hpp"
#include "comum/erros.hpp"

// The bodies of procedures, triggers, functions and views are compiled when they are
// created, as SQL Server does: bad syntax, a misplaced CREATE and undeclared or doubly
// declared variables are refused with SQL Server's message and number; tables are
// resolved only when the body runs.
class CorposTeste : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE Clientes (Id int IDENTITY(1,1) PRIMARY KEY, Nome nvarchar(60) NULL, "
            "Saldo money NULL)");
    }

    // "número: mensagem" of a batch that must fail
    std::string Recusa(const std::string& sql) {
        try {
            Sql(sql);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + ": " + e.what();
        }
        return "(sem erro)";
    }

    std::string Existe(const std::string& nome) {
        return Valor("select count(*) from sysobjects where id = object_id('" + nome + "')");
    }
};

TEST_F(CorposTeste, ProcedimentoComCadaConstrucaoEhAceito) {
    const std::string texto =
        "CREATE PROCEDURE dbo.Completo @id int, @nome varchar(60) = NULL, @total money OUTPUT\r\n"
        "WITH ENCRYPTION\r\nAS\r\nBEGIN\r\n"
        "  SET NOCOUNT ON\r\n"
        "  DECLARE @n int = 0, @texto nvarchar(max), @data datetime\r\n"
        "  DECLARE @t TABLE (id int PRIMARY KEY, v decimal(18,2) NULL)\r\n"
        "  DECLARE c CURSOR LOCAL FAST_FORWARD FOR SELECT Id, Nome FROM Clientes WHERE Id > @id\r\n"
        "  SET @n = (SELECT count(*) FROM Clientes)\r\n"
        "  SET @n += 1\r\n"
        "  SELECT @texto = Nome, @data = getdate() FROM Clientes WHERE Id = @id\r\n"
        "  IF @n > 10 AND @nome IS NOT NULL\r\n"
        "     PRINT 'muitos'\r\n"
        "  ELSE IF EXISTS (SELECT 1 FROM Clientes) BEGIN PRINT 'alguns: ' + @texto END\r\n"
        "  ELSE\r\n"
        "     RAISERROR('Nenhum cliente %s', 16, 1, @nome) WITH NOWAIT\r\n"
        "  OPEN c\r\n"
        "  FETCH NEXT FROM c INTO @n, @texto\r\n"
        "  WHILE @@FETCH_STATUS = 0\r\n"
        "  BEGIN\r\n"
        "     IF @n = 3 CONTINUE\r\n"
        "     IF @n > 5 BREAK\r\n"
        "     INSERT INTO @t (id, v) VALUES (@n, 0)\r\n"
        "     UPDATE Clientes SET Nome = @texto WHERE Id = @n\r\n"
        "     DELETE FROM Historico WHERE idTabela = @n\r\n"  // a table made later
        "     FETCH NEXT FROM c INTO @n, @texto\r\n"
        "  END\r\n"
        "  CLOSE c\r\n"
        "  DEALLOCATE c\r\n"
        "  BEGIN TRY\r\n"
        "     BEGIN TRAN\r\n"
        "     EXEC dbo.Outro @p = @n, @q = 'x'\r\n"
        "     EXEC ('select * from ' + @texto)\r\n"
        "     COMMIT TRAN\r\n"
        "  END TRY\r\n"
        "  BEGIN CATCH\r\n"
        "     ROLLBACK TRANSACTION\r\n"
        "     RAISERROR('falhou', 16, 1)\r\n"
        "     RETURN -1\r\n"
        "  END CATCH\r\n"
        "  SELECT @total = sum(v) FROM @t\r\n"
        "  RETURN 0\r\n"
        "END\r\n";
    Sql(texto);
    EXPECT_EQ(Valor("select xtype from sysobjects where id = object_id('Completo')"), "P");
    // it runs: without clients it raises its own error, a NULL argument shown as (null)
    EXPECT_EQ(Recusa("exec dbo.Completo 1, @total = NULL"), "50000: Nenhum cliente (null)");
    EXPECT_EQ(Valor("select count(*) from Clientes"), "0");
}

TEST_F(CorposTeste, GatilhosFuncoesEVisoesSaoCompilados) {
    // UPDATE(col), inserted and deleted in a trigger
    Sql("CREATE TRIGGER TrClientes ON Clientes AFTER INSERT, UPDATE AS\n"
        "IF UPDATE(Nome) OR UPDATE(Saldo)\n"
        "  INSERT INTO Historico (Tabela, idTabela) SELECT 'Clientes', i.Id FROM inserted i "
        "JOIN deleted d ON d.Id = i.Id\n"
        "ELSE IF NOT UPDATE(Id) RETURN");
    Sql("CREATE TRIGGER TrEmVez ON Clientes INSTEAD OF DELETE AS SET NOCOUNT ON; "
        "DELETE FROM Clientes WHERE Id IN (SELECT Id FROM deleted)");
    Sql("CREATE FUNCTION dbo.Dobro (@v int) RETURNS int AS BEGIN RETURN @v * 2 END");
    Sql("CREATE FUNCTION dbo.DosClientes (@minimo money = 0) RETURNS TABLE AS RETURN "
        "(SELECT Id, Nome FROM Clientes WHERE Saldo >= @minimo)");
    Sql("CREATE FUNCTION dbo.Lista () RETURNS @r TABLE (Id int, Nome nvarchar(60)) AS BEGIN "
        "INSERT INTO @r SELECT Id, Nome FROM Clientes RETURN END");
    Sql("CREATE VIEW VClientes (Codigo, Nome) WITH SCHEMABINDING AS SELECT Id, Nome FROM "
        "dbo.Clientes WHERE Saldo > 0 WITH CHECK OPTION");
    EXPECT_EQ(Valor("select count(*) from VClientes"), "0");
    EXPECT_EQ(Valor("select count(*) from sysobjects where xtype in ('TR','FN','IF','TF','V')"),
              "6");
    // a variable declared inside a block lives to the end of the body
    Sql("CREATE PROCEDURE Escopo AS IF 1 = 1 BEGIN DECLARE @x int END SET @x = 1");
    Sql("CREATE PROC Argumentos AS EXEC sp_executesql N'select @a', N'@a int', @a = 1");
    Sql("EXEC Escopo");
    EXPECT_EQ(Valor("EXEC Argumentos"), "1");
    EXPECT_EQ(Valor("SELECT dbo.Dobro(2)"), "4");
    EXPECT_EQ(Valor("SELECT count(*) FROM dbo.DosClientes(0)"), "0");
}

TEST_F(CorposTeste, CorpoComErroDeSintaxeEhRecusado) {
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS SELECT * FROM WHERE Id = 1"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS BEGIN UPDATE Clientes SET Nome = WHERE Id = 1 END"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS IF 1 = PRINT 'x'"),
              "156: Incorrect syntax near the keyword 'PRINT'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS RAISERROR('x')"), "102: Incorrect syntax near ')'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS BEGIN END"),
              "156: Incorrect syntax near the keyword 'END'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS SELECT 1 END"),
              "156: Incorrect syntax near the keyword 'END'.");
    EXPECT_EQ(Recusa("CREATE TRIGGER Ruim ON Clientes FOR INSERT AS WHILE BEGIN PRINT 1 END"),
              "156: Incorrect syntax near the keyword 'BEGIN'.");
    EXPECT_EQ(Recusa("CREATE TRIGGER Ruim ON Clientes FOR MERGE AS PRINT 1"),
              "156: Incorrect syntax near the keyword 'MERGE'.");
    EXPECT_EQ(Recusa("CREATE FUNCTION Ruim (@a int) RETURNS int AS RETURN @a"),
              "156: Incorrect syntax near the keyword 'RETURN'.");
    EXPECT_EQ(Recusa("CREATE VIEW Ruim AS SELECT 1 AS a SELECT 2 AS b"),
              "156: Incorrect syntax near the keyword 'SELECT'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS DECLARE c CURSOR FOR UPDATE Clientes SET Nome = 1"),
              "156: Incorrect syntax near the keyword 'UPDATE'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim @a nada AS PRINT 1"),
              "2715: Column, parameter, or variable #1: Cannot find data type nada.");
    EXPECT_EQ(Existe("Ruim"), "0");
    EXPECT_EQ(Recusa("CREATE PROCEDURE Ruim AS USE master"),
              "154: a USE database statement is not allowed in a procedure, function or "
              "trigger.");
    EXPECT_EQ(Recusa("CREATE FUNCTION Ruim () RETURNS int AS BEGIN IF 1 = 1 RETURN 1 END"),
              "455: The last statement included within a function must be a return statement.");
    EXPECT_EQ(Recusa("CREATE FUNCTION Ruim () RETURNS int AS BEGIN TRY RETURN 1 END TRY BEGIN "
                     "CATCH RETURN 2 END CATCH"),
              "102: Incorrect syntax near 'TRY'.");
    EXPECT_EQ(Existe("Ruim"), "0");
    // what SQL Server compiles but the engine does not run is kept, as SQL Server keeps it
    Sql("CREATE PROCEDURE Espera AS WAITFOR DELAY '00:00:01' SELECT Id INTO #t FROM Clientes");
    EXPECT_EQ(Existe("Espera"), "1");
    // outside a body such statements are refused clearly
    EXPECT_EQ(Recusa("SET NOCOUNT ON; DBCC FREEPROCCACHE"),
              "0: O simulador de SQL Server não interpreta a instrução DBCC.");
    EXPECT_EQ(Recusa("ALTER USER dbo WITH DEFAULT_SCHEMA = dbo"),
              "0: O simulador de SQL Server não interpreta a instrução ALTER USER.");
}

TEST_F(CorposTeste, CriacaoForaDoInicioDoLoteEhRecusada) {
    EXPECT_EQ(Recusa("SELECT 1\nCREATE TRIGGER Tr ON Clientes FOR INSERT AS PRINT 1"),
              "111: 'CREATE TRIGGER' must be the first statement in a query batch.");
    EXPECT_EQ(Recusa("SET NOCOUNT ON CREATE PROCEDURE P AS PRINT 1"),
              "111: 'CREATE/ALTER PROCEDURE' must be the first statement in a query batch.");
    EXPECT_EQ(Recusa("CREATE TABLE U (a int) CREATE VIEW V AS SELECT a FROM U"),
              "111: 'CREATE VIEW' must be the first statement in a query batch.");
    EXPECT_EQ(Recusa("PRINT 1 CREATE FUNCTION F () RETURNS int AS BEGIN RETURN 1 END"),
              "111: 'CREATE FUNCTION' must be the first statement in a query batch.");
    EXPECT_EQ(Recusa("IF 1 = 1 CREATE VIEW V AS SELECT 1 AS a"),
              "156: Incorrect syntax near the keyword 'VIEW'.");
    EXPECT_EQ(Existe("U"), "0");
    // a trigger's body runs to the end of the batch: a second CREATE is part of it
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS PRINT 1\nCREATE PROCEDURE Q AS PRINT 2"),
              "111: 'CREATE/ALTER PROCEDURE' must be the first statement in a query batch.");
    EXPECT_EQ(Existe("P"), "0");
}

TEST_F(CorposTeste, VariaveisSaoDeclaradasUmaVez) {
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS SELECT @x"),
              "137: Must declare the scalar variable \"@x\".");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS SET @x = 1 DECLARE @x int"),
              "137: Must declare the scalar variable \"@x\".");
    EXPECT_EQ(Recusa("CREATE TRIGGER T ON Clientes FOR INSERT AS DECLARE @a int FETCH NEXT "
                     "FROM c INTO @a, @b"),
              "137: Must declare the scalar variable \"@b\".");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P @a int AS DECLARE @A int"),
              "134: The variable name '@A' has already been declared. Variable names must be "
              "unique within a query batch or stored procedure.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS DECLARE @a int, @b int DECLARE @b char(1)"),
              "134: The variable name '@b' has already been declared. Variable names must be "
              "unique within a query batch or stored procedure.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS EXEC @r = dbo.Outro"),
              "137: Must declare the scalar variable \"@r\".");
    EXPECT_EQ(Existe("P"), "0");
    // a batch is compiled the same way
    EXPECT_EQ(Recusa("SET @x = 1"), "137: Must declare the scalar variable \"@x\".");
}

// Columns of tables that exist are resolved when the body is created; a statement that
// names a table not made yet is resolved when it runs.
TEST_F(CorposTeste, ColunasDeTabelasExistentesSaoResolvidasNaCriacao) {
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS SELECT Nada FROM Clientes"),
              "207: Invalid column name 'Nada'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS UPDATE Clientes SET Nada = 1 WHERE Id = 1"),
              "207: Invalid column name 'Nada'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P @id int AS DELETE FROM Clientes WHERE Codigo = @id"),
              "207: Invalid column name 'Codigo'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS INSERT INTO Clientes (Nome, Cidade) VALUES ('a', 'b')"),
              "207: Invalid column name 'Cidade'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS IF EXISTS (SELECT 1 FROM Clientes WHERE Ativo = 1) "
                     "PRINT 1"),
              "207: Invalid column name 'Ativo'.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS BEGIN DECLARE @n int SET @n = (SELECT MAX(c.Limite) "
                     "FROM dbo.Clientes c) END"),
              "207: Invalid column name 'Limite'.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.F (@id int) RETURNS TABLE AS RETURN (SELECT Nome, Email "
                     "FROM Clientes WHERE Id = @id)"),
              "207: Invalid column name 'Email'.");
    EXPECT_EQ(Recusa("CREATE TRIGGER T ON Clientes FOR UPDATE AS UPDATE c SET Nome = i.Apelido "
                     "FROM Clientes c JOIN inserted i ON i.Id = c.Id"),
              "207: Invalid column name 'Apelido'.");
    EXPECT_EQ(Recusa("CREATE TRIGGER T ON Clientes FOR DELETE AS IF EXISTS (SELECT 1 FROM deleted "
                     "WHERE Bloqueado = 1) RAISERROR('x', 16, 1)"),
              "207: Invalid column name 'Bloqueado'.");
    EXPECT_EQ(Existe("P") + Existe("F") + Existe("T"), "000");
    Sql("CREATE PROCEDURE Futura @id int AS SELECT Nada FROM TabelaFutura WHERE Id = @id "
        "UPDATE c SET Nome = t.Nada FROM Clientes c JOIN #Temp t ON t.Id = c.Id "
        "SELECT Nome, Saldo FROM Clientes WHERE Id = @id "
        "DECLARE @n nvarchar(60) UPDATE Clientes SET @n = Nome = Nome + 'x' WHERE Id = @id");
    EXPECT_EQ(Existe("Futura"), "1");
    // outside a body the same names are told apart from an alias that binds to nothing
    EXPECT_EQ(Recusa("SELECT c.Nada FROM Clientes c"), "207: Invalid column name 'Nada'.");
    EXPECT_EQ(Recusa("SELECT z.Nome FROM Clientes c"),
              "4104: The multi-part identifier \"z.Nome\" could not be bound.");
}

// A function changes nothing outside itself and returns no rows to the client.
TEST_F(CorposTeste, FuncaoSemEfeitosColaterais) {
    const std::string f = "CREATE FUNCTION dbo.F () RETURNS int AS BEGIN ";
    EXPECT_EQ(Recusa(f + "INSERT INTO Clientes (Nome) VALUES ('x') RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'INSERT' within a function.");
    EXPECT_EQ(Recusa(f + "IF 1 = 1 UPDATE Clientes SET Nome = 'x' RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'UPDATE' within a function.");
    EXPECT_EQ(Recusa(f + "DELETE FROM Clientes RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'DELETE' within a function.");
    EXPECT_EQ(Recusa(f + "PRINT 'x' RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'PRINT' within a function.");
    EXPECT_EQ(Recusa(f + "EXEC ('select 1') RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'EXECUTE STRING' within a function.");
    EXPECT_EQ(Recusa(f + "SELECT Nome FROM Clientes RETURN 1 END"),
              "444: Select statements included within a function cannot return data to a "
              "client.");
    EXPECT_EQ(Existe("F"), "0");
    Sql("CREATE FUNCTION dbo.Lista () RETURNS @r TABLE (a int) AS BEGIN INSERT INTO @r VALUES (1) "
        "UPDATE @r SET a = 2 DELETE FROM @r WHERE a = 3 RETURN END");
    Sql(f +
        "DECLARE @t TABLE (a int) DECLARE @n int UPDATE x SET a = 1 FROM @t x "
        "SELECT @n = COUNT(*) FROM Clientes RETURN @n END");
    EXPECT_EQ(Existe("Lista") + Existe("F"), "11");
}

TEST_F(CorposTeste, RotulosCursoresETabelasVariaveis) {
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS IF 1 = 1 GOTO fim PRINT 1"),
              "133: A GOTO statement references the label 'fim' but the label has not been "
              "declared.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS a: PRINT 1 A: PRINT 2"),
              "132: The label 'A' has already been declared. Label names must be unique within "
              "a query batch or stored procedure.");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS INSERT INTO @t (a) VALUES (1)"),
              "1087: Must declare the table variable \"@t\".");
    EXPECT_EQ(Recusa("CREATE PROCEDURE P AS SELECT * FROM @t"),
              "1087: Must declare the table variable \"@t\".");
    EXPECT_EQ(Existe("P"), "0");
    Sql("CREATE PROCEDURE Saltos AS IF 1 = 1 GOTO fim PRINT 1\nfim: RETURN");
    Sql("CREATE PROCEDURE Cursor1 AS DECLARE @c CURSOR SET @c = CURSOR LOCAL FAST_FORWARD FOR "
        "SELECT Id FROM Clientes OPEN @c CLOSE @c DEALLOCATE @c");
    Sql("CREATE PROCEDURE Captura AS CREATE TABLE #t (a int) INSERT INTO #t EXEC dbo.Saltos "
        "INSERT #t EXEC ('select 1')");
    EXPECT_EQ(Existe("Saltos") + Existe("Cursor1") + Existe("Captura"), "111");
    // a label runs as nothing, in a batch as in a body
    EXPECT_EQ(Valor("inicio:\nSELECT 7"), "7");
    Sql("CREATE PROCEDURE Rotulado AS inicio: SELECT 3");
    EXPECT_EQ(Valor("EXEC Rotulado"), "3");
}

// SQL Server compiles a whole batch first: a later statement's bad syntax stops it before
// its first statement runs.
TEST_F(CorposTeste, LoteComErroDeSintaxeNaoRodaNada) {
    EXPECT_EQ(Recusa("INSERT INTO Clientes (Nome) VALUES ('a')\nSELECT * FROM WHERE"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa("UPDATE Clientes SET Nome = 'b'\nINSERT INTO Clientes (Nome) VALUES ("),
              "102: Incorrect syntax near '('.");
    EXPECT_EQ(Valor("select count(*) from Clientes"), "0");
}
