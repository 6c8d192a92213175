#include "ambiente.hpp"
#include "comum/erros.hpp"

// What one batch may hold: GO is not the engine's to split, and the server statements
// SQL Server refuses inside a transaction.
class LotesETransacoes : public SimuladorTeste {};

TEST_F(LotesETransacoes, GoDentroDoLoteEhErroDeSintaxe) {
    Sql("create table T (X int)");
    // the script runner keeps " GO" (not alone on its line) in the batch
    EXPECT_EQ(Falha("insert into T values (1)\n GO\ninsert into T values (2)"),
              "Incorrect syntax near 'GO'.");
    EXPECT_EQ(Falha("insert into T values (1)\nGO\ninsert into T values (2)"),
              "Incorrect syntax near 'GO'.");
    EXPECT_EQ(Valor("select count(*) from T"), "0");
    EXPECT_EQ(Valor("select 'GO'"), "GO");
}

TEST_F(LotesETransacoes, ComandosDeServidorRecusadosEmTransacao) {
    const std::string copia = (pasta_ / "Backup" / "t.bak").string();
    auto master = Conectar("master");
    Sql("BACKUP DATABASE Teste TO DISK = '" + copia + "'", {}, master.get());
    master->IniciarTransacao();
    EXPECT_EQ(Falha("CREATE DATABASE Outro", master.get()),
              "CREATE DATABASE statement not allowed within multi-statement transaction.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET MULTI_USER", master.get()),
              "ALTER DATABASE statement not allowed within multi-statement transaction.");
    EXPECT_EQ(Falha("BACKUP DATABASE Teste TO DISK = '" + copia + "'", master.get()),
              "Cannot perform a backup or restore operation within a transaction.\nBACKUP "
              "DATABASE is terminating abnormally.");
    EXPECT_EQ(Falha("RESTORE DATABASE Outro FROM DISK = '" + copia + "'", master.get()),
              "Cannot perform a backup or restore operation within a transaction.\nRESTORE "
              "DATABASE is terminating abnormally.");
    try {
        Sql("begin tran create database Outro", {}, master.get());
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 226);
    }
    master->Desfazer();
    EXPECT_EQ(Valor("select count(*) from sys.databases where name = 'Outro'"), "0");
    try {
        Sql("begin transaction\nbackup database Teste to disk = '" + copia + "'", {}, master.get());
        FAIL();
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 3021);
    }
    // outside a transaction they run
    master = Conectar("master");
    Sql("CREATE DATABASE Outro", {}, master.get());
    EXPECT_EQ(Valor("select count(*) from sys.databases where name = 'Outro'"), "1");
}

// INSERTs that follow one another outside a transaction each commit on their own: an error
// or a time limit later in the batch takes none of them back, and another connection sees
// and writes the table as soon as the batch returns.
TEST_F(LotesETransacoes, InsercoesSeguidasFicamQuandoOLoteFalhaDepois) {
    Sql("CREATE TABLE T (id INT NOT NULL PRIMARY KEY, v INT NULL)");
    EXPECT_EQ(Falha("insert into T values (1, 1)\ninsert into T values (2, 2)\n"
                    "insert into T values (1, 3)\ninsert into T values (3, 3)")
                  .substr(0, 33),
              "Violation of PRIMARY KEY constrai");
    EXPECT_EQ(Valor("select count(*) from T"), "2");
    auto outra = Conectar("Teste");
    EXPECT_EQ(Texto(Sql("select sum(v) from T", {}, outra.get()).linhas.at(0)[0]), "3");
    Sql("insert into T values (4, 4)", {}, outra.get());
    const std::string longa =
        "WITH c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 200000000) SELECT count(*) "
        "FROM c";
    try {
        db_->Executar("insert into T values (5, 5)\ninsert into T values (6, 6)\n" + longa, {}, 1);
        ADD_FAILURE() << "the query should have hit its time limit";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Query timeout expired");
    }
    EXPECT_EQ(Valor("select count(*) from T"), "5");
    EXPECT_EQ(Falha("insert into T values (7, 7)\nrollback"),
              "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
    EXPECT_EQ(Valor("insert into T values (8, 8) insert into T values (9, 9) select @@TRANCOUNT"),
              "0");
    Sql("insert into T values (10, 10)\nbegin tran\ninsert into T values (11, 11)\nrollback\n"
        "insert into T values (12, 12)");
    EXPECT_EQ(Valor("select count(*) from T"), "10");
    EXPECT_EQ(Valor("select count(*) from T where id in (7, 10, 12)"), "3");
    EXPECT_EQ(Texto(Sql("select count(*) from T", {}, outra.get()).linhas.at(0)[0]), "10");
}
