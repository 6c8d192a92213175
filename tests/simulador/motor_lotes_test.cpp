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
