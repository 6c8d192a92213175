#include "ambiente.hpp"
#include "comum/erros.hpp"

// Savepoints, the errors after which a batch goes on, and the session options.
class Transacoes : public SimuladorTeste {
  protected:
    std::string Linhas(const std::string& sql) {
        std::string s;
        for (const auto& l : Sql(sql).linhas) s += Texto(l[0]) + " ";
        return s;
    }
};

TEST_F(Transacoes, SavepointDesfazSoOQueVeioDepoisDele) {
    Sql("create table T (a int)");
    Sql("begin tran t1\ninsert into T values (1)\nsave tran s1\ninsert into T values (2)\n"
        "save tran s2\ninsert into T values (3)\nrollback tran s1\ninsert into T values (4)");
    EXPECT_EQ(Valor("select @@trancount"), "1");
    // s2 came after s1: it went with it
    EXPECT_EQ(Falha("rollback tran s2"),
              "Cannot roll back s2. No transaction or savepoint of that name was found.");
    // names are compared case by case
    EXPECT_EQ(Falha("rollback tran S1"),
              "Cannot roll back S1. No transaction or savepoint of that name was found.");
    EXPECT_EQ(Linhas("select a from T order by a"), "1 4 ");
    // back to the same savepoint again: 4 came after it too
    Sql("insert into T values (5)\nrollback tran s1\ncommit tran t1");
    EXPECT_EQ(Linhas("select a from T order by a"), "1 ");
    // a table made after the savepoint is gone with it
    Sql("begin tran\nsave tran s\ncreate table U (b int)\nrollback tran s");
    EXPECT_EQ(Valor("select count(*) from sysobjects where name = 'U'"), "0");
    // the outermost transaction's name rolls it all back
    Sql("insert into T values (6)\nrollback tran");
    Sql("begin tran fora\nbegin tran dentro\ninsert into T values (7)");
    EXPECT_EQ(Falha("rollback tran dentro"),
              "Cannot roll back dentro. No transaction or savepoint of that name was found.");
    Sql("rollback tran fora");
    EXPECT_EQ(Valor("select @@trancount"), "0");
    EXPECT_EQ(Linhas("select a from T order by a"), "1 ");
    EXPECT_EQ(Falha("save tran x"),
              "Cannot issue SAVE TRANSACTION when there is no active transaction.");
}

TEST_F(Transacoes, ErroDeInstrucaoDeixaOLoteSeguir) {
    Sql("create table T (a int primary key, b varchar(2) null)");
    // a duplicate key, a truncation, a divide by zero: the next statements still run,
    // and the batch answers with the first error
    EXPECT_EQ(Falha("insert into T values (1, 'x')\ninsert into T values (1, 'y')\n"
                    "insert into T values (2, 'abc')\ninsert into T values (3, 'z')\n"
                    "select 1/0\ninsert into T values (4, 'w')")
                  .substr(0, 36),
              "Violation of PRIMARY KEY constraint ");
    EXPECT_EQ(Linhas("select a from T order by a"), "1 3 4 ");
    // a conversion error ends the batch
    EXPECT_EQ(Falha("insert into T values ('x', 'x')\ninsert into T values (5, 'v')"),
              "Conversion failed when converting the varchar value 'x' to data type int.");
    EXPECT_EQ(Valor("select count(*) from T where a = 5"), "0");
    // XACT_ABORT ON: the first error undoes the transaction and ends the batch
    EXPECT_EQ(Falha("set xact_abort on\nbegin tran\ninsert into T values (6, 'u')\n"
                    "insert into T values (6, 'u')\ninsert into T values (7, 't')")
                  .substr(0, 36),
              "Violation of PRIMARY KEY constraint ");
    EXPECT_EQ(Valor("select @@trancount"), "0");
    EXPECT_EQ(Valor("select count(*) from T where a in (6, 7)"), "0");
}

TEST_F(Transacoes, OpcoesQueMudariamAsRespostasSaoRecusadas) {
    Sql("set ansi_nulls on\nset nocount on\nset arithabort off\nset xact_abort off\n"
        "set transaction isolation level read committed\nset quoted_identifier, ansi_padding on\n"
        "set statistics io on\nset rowcount 0\nset datefirst 7\nset deadlock_priority low");
    EXPECT_EQ(Falha("set ansi_nulls off"),
              "O simulador de SQL Server não aceita set ansi_nulls off.");
    EXPECT_EQ(Falha("set implicit_transactions on"),
              "O simulador de SQL Server não aceita set implicit_transactions on.");
    EXPECT_EQ(Falha("set quoted_identifier off"),
              "O simulador de SQL Server não aceita set quoted_identifier off.");
    EXPECT_EQ(Falha("set nada on"), "'nada' is not a recognized SET option.");
}

// What SQL Server runs and the engine does not is refused by name, never as bad syntax.
TEST_F(Transacoes, ClausulasQueOMotorNaoFazSaoRecusadasPeloNome) {
    Sql("create table T (a int identity, b int)\ninsert into T (b) values (1), (2)");
    EXPECT_EQ(Falha("select top 50 percent b from T union select 3"),
              "O simulador de SQL Server não aceita TOP ... PERCENT nem WITH TIES em UNION, "
              "EXCEPT ou INTERSECT.");
    EXPECT_EQ(Falha("dbcc checkident('T', reseed, 0)"),
              "O simulador de SQL Server não recomeça a identidade da tabela 'T' abaixo do maior "
              "valor da coluna (2).");
    EXPECT_EQ(Falha("dbcc shrinkdatabase(0)"),
              "O simulador de SQL Server não interpreta a instrução DBCC.");
    EXPECT_EQ(Falha("exec sp_helpconstraint 'T'"),
              "O simulador de SQL Server não tem o procedimento de sistema sp_helpconstraint.");
    EXPECT_EQ(Falha("EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'x' , "
                    "@level0type=N'SCHEMA',@level0name=N'dbo', "
                    "@level1type=N'TABLE',@level1name=N'T'"),
              "O simulador de SQL Server não tem o procedimento de sistema "
              "sp_addextendedproperty.");
    EXPECT_EQ(Falha("CREATE SEQUENCE [dbo].[S] AS [bigint] START WITH 1 INCREMENT BY 1"),
              "O simulador de SQL Server não interpreta a instrução CREATE SEQUENCE.");
    EXPECT_EQ(Falha("DROP SEQUENCE S"),
              "O simulador de SQL Server não interpreta a instrução DROP SEQUENCE.");
    EXPECT_EQ(Falha("CREATE SYNONYM [dbo].[S] FOR [dbo].[T]"),
              "O simulador de SQL Server não interpreta a instrução CREATE SYNONYM.");
    EXPECT_EQ(Falha("CREATE FULLTEXT CATALOG ftc AS DEFAULT"),
              "O simulador de SQL Server não interpreta a instrução CREATE FULLTEXT.");
    EXPECT_EQ(Falha("ALTER AUTHORIZATION ON DATABASE::[Teste] TO [sa]"),
              "O simulador de SQL Server não interpreta a instrução ALTER AUTHORIZATION.");
    EXPECT_EQ(Falha("exec sp_helptext 'T'"), "There is no text for object 'T'.");
    Sql("create view V as\nselect b from T");
    const auto texto = Sql("exec sp_helptext 'V'");
    ASSERT_EQ(texto.linhas.size(), 2u);
    EXPECT_EQ(Texto(texto.linhas[0][0]), "create view V as\n");
    EXPECT_EQ(Texto(texto.linhas[1][0]), "select b from T");
    // TRUNCATE counts no rows
    EXPECT_EQ(Valor("truncate table T select @@rowcount"), "0");
    EXPECT_EQ(Valor("insert into T (b) values (1), (2) begin tran select @@rowcount"), "0");
    Sql("rollback");
}

// A #table is the session's: it goes when the session ends.
TEST_F(Transacoes, TabelaTemporariaVaiComASessao) {
    auto outra = Conectar("Teste");
    Sql("create table #t (a int)\ninsert into #t values (1)\ncreate table ##g (b int)", {},
        outra.get());
    EXPECT_EQ(Texto(Sql("select count(*) from #t", {}, outra.get()).linhas.at(0)[0]), "1");
    outra.reset();
    EXPECT_EQ(Valor("select count(*) from sysobjects where name in ('#t', '##g')"), "0");
    Sql("create table #t (c int)");
}
