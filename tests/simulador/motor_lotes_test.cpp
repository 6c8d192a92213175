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
    EXPECT_EQ(Falha("RESTORE VERIFYONLY FROM DISK = '" + copia + "'", master.get()),
              "Cannot perform a backup or restore operation within a transaction.\nRESTORE "
              "VERIFYONLY is terminating abnormally.");
    EXPECT_EQ(Falha("KILL 999", master.get()),
              "KILL command cannot be used inside user transactions.");
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
    // a duplicate key ends its statement only: the batch goes on with the next one
    EXPECT_EQ(Valor("select count(*) from T"), "3");
    auto outra = Conectar("Teste");
    EXPECT_EQ(Texto(Sql("select sum(v) from T", {}, outra.get()).linhas.at(0)[0]), "6");
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
    EXPECT_EQ(Valor("select count(*) from T"), "6");
    try {  // a loop of statements too short for SQLite's own check stops all the same
        db_->Executar("DECLARE @i INT = 0\nWHILE 1 = 1 SET @i = @i + 1", {}, 1);
        ADD_FAILURE() << "the loop should have hit its time limit";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Query timeout expired");
    }
    EXPECT_EQ(Falha("insert into T values (7, 7)\nrollback"),
              "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
    EXPECT_EQ(Valor("insert into T values (8, 8) insert into T values (9, 9) select @@TRANCOUNT"),
              "0");
    Sql("insert into T values (10, 10)\nbegin tran\ninsert into T values (11, 11)\nrollback\n"
        "insert into T values (12, 12)");
    EXPECT_EQ(Valor("select count(*) from T"), "11");
    EXPECT_EQ(Valor("select count(*) from T where id in (7, 10, 12)"), "3");
    EXPECT_EQ(Texto(Sql("select count(*) from T", {}, outra.get()).linhas.at(0)[0]), "11");
}

// INSERTs of one shape with other values each store their own values, whatever their
// type, and fail as their own values make them fail.
TEST_F(LotesETransacoes, InsercoesDaMesmaFormaGuardamCadaUmSeusValores) {
    Sql("CREATE TABLE V (i INT NULL, g BIGINT NULL, t VARCHAR(6) NULL, n NVARCHAR(6) NULL, "
        "d DECIMAL(9,2) NULL, h DATETIME NULL, b BIT NULL)");
    Sql("insert into V values (1, 2147483648, 'a''b', N'ção', 1.5, '20240131', 1)\n"
        "insert into V values (-2, -12, '', N'', 2, '20240229 10:00', 0)\n"
        "insert into V values (NULL, 007, '12', N'x', -3, NULL, NULL)");
    auto r = Sql("select i, g, t, n, d, convert(varchar(19), h, 120), b from V order by g");
    ASSERT_EQ(r.linhas.size(), 3u);
    auto linha = [&](std::size_t k) {
        std::string s;
        for (const auto& v : r.linhas[k]) s += Texto(v) + "|";
        return s;
    };
    EXPECT_EQ(linha(0), "-2|-12|||2.00|2024-02-29 10:00:00|0|");
    EXPECT_EQ(linha(1), "NULL|7|12|x|-3.00|NULL|NULL|");
    EXPECT_EQ(linha(2), "1|2147483648|a'b|ção|1.50|2024-01-31 00:00:00|1|");
    EXPECT_EQ(Falha("insert into V (i, t) values (3, 'abcdefg')"),
              "String or binary data would be truncated.");
    EXPECT_EQ(Falha("insert into V (i, h) values (4, '20241399')").substr(0, 19),
              "The conversion of a");
    EXPECT_EQ(Valor("select count(*) from V"), "3");
}

// A VALUES of several rows converts each value to its column, rows in their order, whether
// the rows' values are of one type or not.
TEST_F(LotesETransacoes, ValoresDeVariasLinhasConvertidosEmOrdem) {
    Sql("CREATE TABLE W (id INT IDENTITY(1,1) NOT NULL, d DECIMAL(9,2) NULL, "
        "t VARCHAR(3) NULL CONSTRAINT DF_W_t DEFAULT 'pd', f FLOAT NULL)");
    Sql("insert into W (d, t, f) values (1.5, 'a', 1), (2, N'b', 2.25), (-3, 'c', 3)");
    Sql("insert into W (d, t, f) values (4, DEFAULT, 4), (5.125, 'e', 5)");
    EXPECT_EQ(Valor("select @@IDENTITY"), "5");
    auto r = Sql("select id, d, t, f from W order by id");
    std::string s;
    for (const auto& l : r.linhas)
        for (const auto& v : l) s += Texto(v) + " ";
    EXPECT_EQ(s, "1 1.50 a 1 2 2.00 b 2.25 3 -3.00 c 3 4 4.00 pd 4 5 5.13 e 5 ");
    Sql("update W set t = DEFAULT where id = 5");
    EXPECT_EQ(Valor("select t from W where id = 5"), "pd");
    EXPECT_EQ(Falha("insert into W (d, t) values (1, 'x'), (2, 'long')"),
              "String or binary data would be truncated.");
    EXPECT_EQ(Valor("select count(*) from W"), "5");
}

// Texts and integers that fit their columns go in as they are; at the edges each still
// converts as SQL Server does: trailing blanks past the length cut, char padded, a text
// longer in bytes than in characters kept, a number out of its type's range refused.
TEST_F(LotesETransacoes, ValoresNosLimitesDasColunas) {
    Sql("CREATE TABLE L (id INT NOT NULL PRIMARY KEY, v VARCHAR(3) NULL, n NVARCHAR(3) NULL, "
        "c CHAR(3) NULL, s SMALLINT NULL, b TINYINT NULL, m VARCHAR(MAX) NULL)");
    Sql("insert into L values (1, 'abc', N'ção', 'a', 32767, 255, 'longo'), "
        "(2, 'ab  ', 'çã', 'xyz', -32768, 0, ''), (3, 'çãõ', N'a', NULL, 7, 1, NULL)");
    auto r = Sql("select id, v, datalength(v), n, c + '|', s, b, m from L order by id");
    std::string s;
    for (const auto& l : r.linhas)
        for (const auto& v : l) s += Texto(v) + " ";
    EXPECT_EQ(s,
              "1 abc 3 ção a  | 32767 255 longo 2 ab  3 çã xyz| -32768 0  3 çãõ 3 a NULL 7 1 "
              "NULL ");
    EXPECT_EQ(Falha("insert into L (id, v) values (4, 'abcd'), (5, 'a')"),
              "String or binary data would be truncated.");
    EXPECT_EQ(Falha("insert into L (id, b) values (4, 1), (5, 256)"),
              "Arithmetic overflow error converting expression to data type tinyint.");
    EXPECT_EQ(Falha("insert into L (id, s) values (4, 32768), (5, 1)"),
              "Arithmetic overflow error converting expression to data type smallint.");
    EXPECT_EQ(Valor("select count(*) from L"), "3");
}

// INSERTs that differ only in their literals share one compiled form, each binding its
// own values; a literal of another kind, a NULL, a sign, another table definition or
// another IDENTITY_INSERT setting makes another form.
TEST_F(LotesETransacoes, FormasDeInsercaoCompartilhadasSoEntreIguais) {
    Sql("CREATE TABLE F (id INT NOT NULL PRIMARY KEY, i INT NULL, t VARCHAR(6) NULL, "
        "d DECIMAL(9,2) NULL)");
    Sql("insert into F values (1, 5, 'x', 1)\ninsert into F values (2, 7, N'x', 1.5)\n"
        "insert into F values (3, 1.5, 1, '2.25')\ninsert into F values (4, -7, 1.5, 2)\n"
        "insert into F values (5, -8, 'it''s', 3)\ninsert into F values (6, NULL, NULL, 4)\n"
        "insert into F values (7, 2147483647, 'abcdef', 5)");
    auto r = Sql("select id, i, t, d from F order by id");
    std::string s;
    for (const auto& l : r.linhas)
        for (const auto& v : l) s += Texto(v) + " ";
    EXPECT_EQ(s,
              "1 5 x 1.00 2 7 x 1.50 3 1 1 2.25 4 -7 1.5 2.00 5 -8 it's 3.00 6 NULL NULL 4.00 "
              "7 2147483647 abcdef 5.00 ");
    // each fails by its own value, not by the one its form was made with
    EXPECT_EQ(Falha("insert into F values (8, 2147483648, 'a', 1)"),
              "Arithmetic overflow error converting expression to data type int.");
    EXPECT_EQ(Falha("insert into F values (8, 1, 'abcdefg', 1)"),
              "String or binary data would be truncated.");
    const std::string duplicada = Falha(
        "insert into F values (9, 1, 'a', 1)\n"
        "insert into F values (3, 1, 'a', 1)");
    EXPECT_NE(duplicada.find("The duplicate key value is (3)."), std::string::npos) << duplicada;
    EXPECT_EQ(Valor("select count(*) from F"), "8");
    // a changed column is written with its new type
    Sql("UPDATE F SET t = NULL\nALTER TABLE F ALTER COLUMN t VARCHAR(2) NULL");
    EXPECT_EQ(Falha("insert into F values (0, 1, 'abc', 1)"),
              "String or binary data would be truncated.");
    Sql("insert into F values (0, 1, 'ab', 1)");
    Sql("CREATE TABLE G (id INT IDENTITY(1,1) NOT NULL, v VARCHAR(3) NULL)");
    Sql("SET IDENTITY_INSERT G ON\ninsert into G (id, v) values (7, 'a')");
    EXPECT_EQ(Falha("SET IDENTITY_INSERT G OFF\ninsert into G (id, v) values (8, 'b')"),
              "Cannot insert explicit value for identity column in table 'G' when "
              "IDENTITY_INSERT is set to OFF.");
    EXPECT_EQ(Valor("select count(*) from G"), "1");
}

// A long VALUES list (some hundreds of rows, the usual bulk load) binds its literals: the
// next list of the same shape reuses the prepared statement with its own values, one that
// fails by a value of its own takes none of its rows in, and one that also reads a variable
// still gives each row its values.
TEST_F(LotesETransacoes, ListasLongasDeValoresReusadasComSeusValores) {
    Sql("CREATE TABLE M (id INT NOT NULL PRIMARY KEY, t VARCHAR(6) NULL, d DECIMAL(9,2) NULL)");
    auto lista = [](int primeiro, int linhas, const std::string& ultimoTexto) {
        std::string s = "insert into M (id, t, d) values ";
        for (int i = 0; i < linhas; ++i) {
            const int id = primeiro + i;
            s += (i ? ", (" : "(") + std::to_string(id) + ", '" +
                 (i + 1 == linhas ? ultimoTexto : "t" + std::to_string(id % 1000)) + "', " +
                 std::to_string(id % 7) + ".5)";
        }
        return s;
    };
    Sql(lista(1, 300, "fim"));
    Sql(lista(301, 300, "outro"));
    EXPECT_EQ(Valor("select count(*) from M"), "600");
    EXPECT_EQ(Valor("select sum(id) from M"), "180300");
    EXPECT_EQ(Valor("select sum(d) from M"), "2100.00");
    EXPECT_EQ(Valor("select t from M where id = 300") + Valor("select t from M where id = 600") +
                  Valor("select t from M where id = 457"),
              "fimoutrot457");
    EXPECT_EQ(Falha(lista(601, 300, "longo!!")), "String or binary data would be truncated.");
    EXPECT_EQ(Valor("select count(*) from M"), "600");
    std::string comVariavel = "declare @x varchar(6) = 'var'\ninsert into M (id, t, d) values ";
    for (int i = 0; i < 100; ++i)
        comVariavel += (i ? ", (" : "(") + std::to_string(1001 + i) +
                       (i % 2 ? ", @x, " : ", 'l', ") + std::to_string(i) + ")";
    Sql(comVariavel);
    EXPECT_EQ(Valor("select count(*) from M where t = 'var'"), "50");
    EXPECT_EQ(Valor("select sum(d) from M where id > 1000"), "4950.00");
}
