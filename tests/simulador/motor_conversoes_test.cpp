#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"

namespace {

const char* const kTransbordaInt =
    "Arithmetic overflow error converting expression to data type int.";
const char* const kDivisaoPorZero = "Divide by zero error encountered.";

TEST_P(ComoSqlServer, AritmeticaInteiraGuardaOIntervaloDoTipoEFalhaNaDivisaoPorZero) {
    EXPECT_EQ(Falha("SELECT 2147483647 * 2"), kTransbordaInt);
    EXPECT_EQ(Falha("SELECT 2147483647 + 1"), kTransbordaInt);
    EXPECT_EQ(Valor("SELECT CAST(9223372036854775807 AS bigint)"), "9223372036854775807");
    EXPECT_EQ(Falha("SELECT CAST(9223372036854775808 AS bigint)"),
              "Arithmetic overflow error converting expression to data type bigint.");
    EXPECT_EQ(Falha("SELECT CAST(9223372036854775807 AS bigint) + 1"),
              "Arithmetic overflow error converting expression to data type bigint.");
    EXPECT_EQ(Falha("SELECT CAST(32767 AS smallint) + CAST(1 AS smallint)"),
              "Arithmetic overflow error converting expression to data type smallint.");
    EXPECT_EQ(Valor("SELECT CAST(32767 AS smallint) + 1"), "32768");
    EXPECT_EQ(Valor("SELECT CAST(2147483647 AS bigint) * 2"), "4294967294");
    EXPECT_EQ(Valor("SELECT -7 / 2"), "-3");
    EXPECT_EQ(Valor("SELECT -7 % 3"), "-1");
    EXPECT_EQ(Valor("SELECT 7 / NULL"), "NULL");
    EXPECT_EQ(Falha("SELECT 1 / 0"), kDivisaoPorZero);
    EXPECT_EQ(Falha("SELECT 5 % 0"), kDivisaoPorZero);
    EXPECT_EQ(Falha("SELECT 1e0 / 0"), kDivisaoPorZero);

    std::string t = Tabela("Numeros");
    Sql("CREATE TABLE [" + t + "] (v int, z int, f float)");
    Sql("INSERT [" + t + "] VALUES (2147483647, 0, 0)");
    EXPECT_EQ(Falha("SELECT v + 1 FROM [" + t + "]"), kTransbordaInt);
    EXPECT_EQ(Falha("SELECT v / z FROM [" + t + "]"), kDivisaoPorZero);
    EXPECT_EQ(Falha("SELECT 1 / f FROM [" + t + "]"), kDivisaoPorZero);
    EXPECT_EQ(Falha("UPDATE [" + t + "] SET v = v + 1"), kTransbordaInt);
    EXPECT_EQ(Valor("SELECT v FROM [" + t + "]"), "2147483647");
}

TEST_P(ComoSqlServer, ComparacaoConverteOTextoParaOTipoDoOutroLado) {
    std::string t = Tabela("Conversoes");
    Sql("CREATE TABLE [" + t + "] (id int, nome varchar(10), d datetime)");
    Sql("INSERT [" + t + "] VALUES (1, '1', '2024-01-02')");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE id = '1'"), "1");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE nome = 1"), "1");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE d > '2024-01-01'"), "1");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE id = '1x'"),
              "Conversion failed when converting the varchar value '1x' to data type int.");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE d > 'lixo'"),
              "Conversion failed when converting date and/or time from character string.");
    Sql("INSERT [" + t + "] VALUES (2, 'a', NULL)");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE nome = 1"),
              "Conversion failed when converting the varchar value 'a' to data type int.");
    Sql("ALTER TABLE [" + t + "] ADD v decimal(10,2)");
    Sql("UPDATE [" + t + "] SET v = 10.5");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE v = '10.50' ORDER BY id"), "1,2");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE v = 'x'"),
              "Error converting data type varchar to numeric.");
    // text against text stays a text comparison
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE nome = 'A' ORDER BY id"), "2");
}

TEST_P(ComoSqlServer, CaseTemOTipoDeMaiorPrecedenciaEntreOsResultados) {
    EXPECT_EQ(Valor("SELECT CASE WHEN 1 = 1 THEN '7' ELSE 1 END + 1"), "8");
    EXPECT_EQ(Falha("SELECT CASE WHEN 1 = 1 THEN 'x' ELSE 1 END"),
              "Conversion failed when converting the varchar value 'x' to data type int.");
    EXPECT_EQ(Valor("SELECT CASE WHEN 1 = 0 THEN 'x' ELSE 1 END"), "1");
    EXPECT_EQ(Valor("SELECT CASE WHEN 1 = 1 THEN 'x' ELSE 'y' END"), "x");
}

TEST_P(ComoSqlServer, SomaEMediaSoDeNumerosECondicaoNaoEhValor) {
    std::string t = Tabela("Agregados");
    Sql("CREATE TABLE [" + t + "] (nome varchar(10), d datetime, n int)");
    Sql("INSERT [" + t + "] VALUES ('a', '2024-01-01', 1)");
    EXPECT_EQ(Falha("SELECT SUM(nome) FROM [" + t + "]"),
              "Operand data type varchar is invalid for sum operator.");
    EXPECT_EQ(Falha("SELECT AVG(d) FROM [" + t + "]"),
              "Operand data type datetime is invalid for avg operator.");
    EXPECT_EQ(Valor("SELECT SUM(n) FROM [" + t + "]"), "1");
    EXPECT_EQ(Falha("SELECT 'a' < 'b'"), "Incorrect syntax near '<'.");
    EXPECT_EQ(Falha("SELECT n IS NULL FROM [" + t + "]"),
              "Incorrect syntax near the keyword 'IS'.");
    EXPECT_EQ(Falha("SELECT exists (SELECT 1)"), "Incorrect syntax near the keyword 'exists'.");
    EXPECT_EQ(Valor("SELECT Total = n + 1 FROM [" + t + "]"), "2");
}

TEST_P(ComoSqlServer, AgrupamentoDistinctESubconsultaComoSqlServerVerifica) {
    std::string t = Tabela("Grupos");
    Sql("CREATE TABLE [" + t + "] (id int, nome varchar(10), d datetime)");
    Sql("INSERT [" + t + "] VALUES (1, 'a', '2024-01-01')");
    Sql("INSERT [" + t + "] VALUES (2, 'a', '2024-02-01')");
    EXPECT_EQ(Falha("SELECT id, COUNT(*) FROM [" + t + "]"),
              "Column '" + t +
                  ".id' is invalid in the select list because it is not contained in either an "
                  "aggregate function or the GROUP BY clause.");
    EXPECT_EQ(Falha("SELECT x.id FROM [" + t + "] x GROUP BY nome"),
              "Column 'x.id' is invalid in the select list because it is not contained in either "
              "an aggregate function or the GROUP BY clause.");
    EXPECT_EQ(Falha("SELECT nome FROM [" + t + "] GROUP BY nome HAVING id > 1"),
              "Column '" + t +
                  ".id' is invalid in the HAVING clause because it is not contained in either an "
                  "aggregate function or the GROUP BY clause.");
    EXPECT_EQ(Coluna("SELECT x.nome FROM [" + t + "] x GROUP BY nome"), "a");
    EXPECT_EQ(Coluna("SELECT YEAR(d) + 1, COUNT(*) FROM [" + t + "] GROUP BY YEAR(d)"), "2025");
    EXPECT_EQ(Coluna("SELECT COUNT(*) OVER () FROM [" + t + "] WHERE id = 1"), "1");
    EXPECT_EQ(Falha("SELECT DISTINCT nome FROM [" + t + "] ORDER BY id"),
              "ORDER BY items must appear in the select list if SELECT DISTINCT is specified.");
    EXPECT_EQ(Coluna("SELECT DISTINCT nome AS n FROM [" + t + "] ORDER BY n"), "a");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE id = (SELECT id FROM [" + t + "])"),
              "Subquery returned more than 1 value. This is not permitted when the subquery "
              "follows =, !=, <, <= , >, >= or when the subquery is used as an expression.");
    EXPECT_EQ(Coluna("SELECT (SELECT MAX(y.id) FROM [" + t + "] y WHERE y.id <= x.id) FROM [" + t +
                     "] x ORDER BY x.id"),
              "1,2");
    EXPECT_EQ(Valor("SELECT (SELECT id FROM [" + t + "] WHERE id = 3)"), "NULL");
}

TEST_P(ComoSqlServer, TextosTomamOTipoDosOutrosValoresOndeSeEncontram) {
    std::string t = Tabela("Encontros");
    Sql("CREATE TABLE [" + t + "] (id int, nome varchar(10), v decimal(10,2))");
    Sql("INSERT [" + t + "] VALUES (1, 'a', NULL)");
    const std::string a =
        "Conversion failed when converting the varchar value 'a' to data type int.";
    EXPECT_EQ(Falha("SELECT COALESCE(nome, 1) FROM [" + t + "]"), a);
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] UNION SELECT nome FROM [" + t + "]"), a);
    EXPECT_EQ(Falha("SELECT 1 UNION ALL SELECT 'x'"),
              "Conversion failed when converting the varchar value 'x' to data type int.");
    EXPECT_EQ(Coluna("SELECT 1 UNION ALL SELECT '2' ORDER BY 1"), "1,2");
    EXPECT_EQ(Falha("SELECT IIF(id > 0, nome, 0) FROM [" + t + "]"), a);
    EXPECT_EQ(Falha("SELECT ISNULL(v, 'x') FROM [" + t + "]"),
              "Error converting data type varchar to numeric.");
    EXPECT_EQ(Valor("SELECT ISNULL(nome, 0) FROM [" + t + "]"), "a");
    EXPECT_EQ(Valor("SELECT NULLIF(id, '1') FROM [" + t + "]"), "NULL");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE nome IN (1, 2)"), a);
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE id IN ('1', 2)"), "1");
    EXPECT_EQ(Falha("SELECT id FROM [" + t + "] WHERE id BETWEEN 'a' AND 'b'"), a);
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE nome IN ('a', 'b')"), "1");
}

TEST_P(ComoSqlServer, ReverseIsdateEConcat) {
    EXPECT_EQ(Valor("SELECT REVERSE(N'ação')"), "oãça");
    EXPECT_EQ(Valor("SELECT REVERSE(NULL)"), "NULL");
    EXPECT_EQ(Valor("SELECT ISDATE('2024-02-29') + ISDATE('2024-02-30') + ISDATE(NULL)"), "1");
    EXPECT_EQ(Valor("SELECT CONCAT('a', NULL, 1, CAST(1.5 AS money), 2.50)"), "a11.502.50");
    EXPECT_EQ(Falha("SELECT CONCAT('a')"), "The concat function requires 2 to 254 arguments.");
}

// Older generated scripts write date-times as their bytes.
TEST_P(ComoSqlServer, DataHoraPelosSeusBytes) {
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(23), CAST(0x000092FF00000000 AS DateTime), 121)"),
              "2003-01-12 00:00:00.000");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(23), CAST(0x0000A07100AD1A99 AS datetime), 121)"),
              "2012-06-15 10:30:15.123");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(16), CAST(0xA0710276 AS smalldatetime), 121)"),
              "2012-06-15 10:30");
}

TEST_P(ComoSqlServer, HoraSozinhaEhDoPrimeiroDiaDe1900) {
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(23), CAST('10:11:12.5' AS datetime), 121)"),
              "1900-01-01 10:11:12.500");
    EXPECT_EQ(Valor("SELECT ISDATE('10:11')"), "1");
    EXPECT_EQ(Valor("SELECT ISDATE('10:61')"), "0");
}

TEST_P(ComoSqlServer, TextoEBinarioConvertemPelosBytesQueCadaTipoGuarda) {
    // varchar keeps Windows-1252, nvarchar UTF-16 little-endian
    EXPECT_EQ(Valor("SELECT CAST('ação' AS varbinary(10))"), "0x61E7E36F");
    EXPECT_EQ(Valor("SELECT CAST(N'ação' AS varbinary(10))"), "0x6100E700E3006F00");
    EXPECT_EQ(Valor("SELECT CAST(0x61E7E36F AS varchar(10))"), "ação");
    EXPECT_EQ(Valor("SELECT CAST(0x6100E700 AS nvarchar(10))"), "aç");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(20), 0x4142, 1)"), "0x4142");
    EXPECT_EQ(Valor("SELECT CONVERT(varbinary(4), '0x4142', 1)"), "0x4142");
    EXPECT_EQ(Valor("SELECT CONVERT(varbinary(4), '4142', 2)"), "0x4142");
    EXPECT_EQ(Falha("SELECT CONVERT(varbinary(4), '0x41G2', 1)"),
              "Error converting data type varchar to varbinary.");
    std::string t = Tabela("Bytes");
    Sql("CREATE TABLE [" + t + "] (v varbinary(20), n nvarchar(10))");
    Sql("INSERT [" + t + "] VALUES (CAST(N'ã' AS varbinary(20)), N'ã')");
    EXPECT_EQ(Valor("SELECT v FROM [" + t + "]"), "0xE300");
    EXPECT_EQ(Valor("SELECT CAST(v AS nvarchar(10)) FROM [" + t + "]"), "ã");
    EXPECT_EQ(Valor("SELECT CAST(n AS varbinary(10)) FROM [" + t + "]"), "0xE300");
}

}  // namespace
