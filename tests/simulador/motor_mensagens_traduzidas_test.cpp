#include "ambiente.hpp"
#include "comum/erros.hpp"

// Where SQLite would fail in its own words (a function called with too few or too many
// arguments, an ORDER BY position past the select list, a value an identity column
// does not take), the stand-in answers with SQL Server's message and number, and takes
// what SQL Server takes.
namespace {

class MensagensTraduzidas : public SimuladorTeste {};

// An error raised inside one of the engine's SQL functions reaches the batch with the
// number, severity and state it was raised with, however deep in the expression.
TEST_F(MensagensTraduzidas, ErrosDasFuncoesPeloSqlite) {
    Sql("create table T (Id int not null, Texto varchar(10) null)");
    Sql("insert into T values (0, 'abc')");
    EXPECT_EQ(ErroNumerado("select 1 + 10 / Id from T"),
              "8134/16/1: Divide by zero error encountered.");
    EXPECT_EQ(ErroNumerado("select abs(2.5 / (Id * 1.0)) from T"),
              "8134/16/1: Divide by zero error encountered.");
    EXPECT_EQ(ErroNumerado("select len(cast(Texto as int)) from T"),
              "245/16/1: Conversion failed when converting the varchar value 'abc' to data type "
              "int.");
    EXPECT_EQ(ErroNumerado("select 1 from T where convert(datetime, Texto) > 0"),
              "241/16/1: Conversion failed when converting date and/or time from character "
              "string.");
    EXPECT_EQ(Valor("select isnull(try_convert(int, Texto), -1) from T"), "-1");
}

TEST_F(MensagensTraduzidas, QuantidadeDeArgumentos) {
    EXPECT_EQ(ErroNumerado("SELECT LEN('a', 'b')"),
              "174/15/1: The len function requires 1 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT ISNULL(1)"),
              "174/15/1: The isnull function requires 2 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT GETDATE(1)"),
              "174/15/1: The getdate function requires 0 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT SUBSTRING('abc', 1)"),
              "174/15/1: The substring function requires 3 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT DATEADD(day, 1)"),
              "174/15/1: The dateadd function requires 3 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT Upper()"),
              "174/15/1: The upper function requires 1 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT REPLACE('a', 'b')"),
              "174/15/1: The replace function requires 3 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT MAX(1, 2)"),
              "174/15/1: The max function requires 1 argument(s).");
    EXPECT_EQ(ErroNumerado("SELECT ROUND(1)"),
              "189/15/1: The round function requires 2 to 3 arguments.");
    EXPECT_EQ(ErroNumerado("SELECT CHARINDEX('a')"),
              "189/15/1: The charindex function requires 2 to 3 arguments.");
    // the right counts go on working
    EXPECT_EQ(Valor("SELECT SUBSTRING('abc', 2, 1) + LEFT('xy', 1) + STR(ROUND(1.26, 1), 3, 1)"),
              "bx1.3");
    EXPECT_EQ(Valor("SELECT CHARINDEX('b', 'abc') + CHARINDEX('b', 'abcb', 3) + COUNT(*)"), "7");
    EXPECT_EQ(Valor("SELECT DATEDIFF(day, '2024-01-01', '2024-01-03')"), "2");
}

TEST_F(MensagensTraduzidas, PosicoesDoOrderByEConstantes) {
    Sql("CREATE TABLE T (a INT NULL, b INT NULL)");
    Sql("INSERT INTO T VALUES (1, 20), (2, 10)");
    EXPECT_EQ(ErroNumerado("SELECT a, b FROM T ORDER BY 3"),
              "108/16/1: The ORDER BY position number 3 is out of range of the number of items "
              "in the select list.");
    EXPECT_EQ(ErroNumerado("SELECT a FROM T ORDER BY 0"),
              "108/16/1: The ORDER BY position number 0 is out of range of the number of items "
              "in the select list.");
    EXPECT_EQ(ErroNumerado("SELECT a FROM T UNION SELECT b FROM T ORDER BY 2"),
              "108/16/1: The ORDER BY position number 2 is out of range of the number of items "
              "in the select list.");
    EXPECT_EQ(ErroNumerado("SELECT a FROM T ORDER BY a, 'x'"),
              "408/16/1: A constant expression was encountered in the ORDER BY list, position 2.");
    EXPECT_EQ(ErroNumerado("SELECT a, COUNT(*) FROM T GROUP BY 1"),
              "164/15/1: Each GROUP BY expression must contain at least one column that is not "
              "an outer reference.");
    EXPECT_EQ(Valor("SELECT TOP 1 a FROM T ORDER BY 1 DESC"), "2");
    EXPECT_EQ(Valor("SELECT TOP 1 a, b FROM T ORDER BY 2, 1"), "2");
    EXPECT_EQ(Valor("SELECT TOP 1 a FROM (SELECT a, b FROM T) x ORDER BY x.b"), "2");
}

TEST_F(MensagensTraduzidas, ValoresDaColunaDeIdentidade) {
    Sql("CREATE TABLE T (id INT IDENTITY(1,1) NOT NULL, v INT NULL)");
    Sql("CREATE TABLE D (id DECIMAL(10,0) IDENTITY(1,1) NOT NULL, v INT NULL)");
    Sql("SET IDENTITY_INSERT T ON");
    EXPECT_EQ(ErroNumerado("INSERT INTO T (id, v) VALUES ('abc', 1)"),
              "245/16/1: Conversion failed when converting the varchar value 'abc' to data type "
              "int.");
    EXPECT_EQ(ErroNumerado("INSERT INTO T (id, v) VALUES (99999999999, 1)").substr(0, 12),
              "8115/16/8: A");
    EXPECT_EQ(ErroNumerado("INSERT INTO T (id, v) SELECT 'x', 2"),
              "245/16/1: Conversion failed when converting the varchar value 'x' to data type "
              "int.");
    // SQL Server converts what converts: a decimal loses its fraction, a text its quotes
    Sql("INSERT INTO T (id, v) VALUES (1.5, 1), ('7', 2)");
    Sql("SET IDENTITY_INSERT T OFF");
    Sql("SET IDENTITY_INSERT D ON");
    Sql("INSERT INTO D (id, v) VALUES (2.5, 1)");
    EXPECT_EQ(ErroNumerado("INSERT INTO D (id, v) VALUES ('abc', 1)"),
              "8114/16/5: Error converting data type varchar to numeric.");
    Sql("SET IDENTITY_INSERT D OFF");
    Sql("INSERT INTO T (v) VALUES (3)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T WHERE id IN (1, 7, 8)"), "3");
    EXPECT_EQ(Valor("SELECT id FROM D"), "3");
}

}  // namespace
