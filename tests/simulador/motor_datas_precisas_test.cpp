#include <gtest/gtest.h>

#include "como_sql_server.hpp"

namespace {

// datetime2 and time keep 100 ns and round to their scale; datetime its 1/300 s.
TEST_P(ComoSqlServer, Datetime2ETimeGuardamAFracaoDaEscala) {
    Sql("SET DATEFORMAT ymd");  // datetime reads 'yyyy-mm-dd' in the session's order
    const std::string t = Tabela("Precisas");
    Sql("CREATE TABLE [" + t +
        "] (a datetime2, b datetime2(0), c time, d time(3), h datetime2(3), s smalldatetime)");
    Sql("INSERT [" + t +
        "] VALUES ('2024-01-02 03:04:05.1234567', '2024-01-02 03:04:05.5', '12:34:56.1234567', "
        "'12:34:56.1235', '2024-01-02 03:04:05.1235', '2024-01-02 03:04:35')");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(40), a, 121) FROM [" + t + "]"),
              "2024-01-02 03:04:05.1234567");
    EXPECT_EQ(Valor("SELECT CAST(a AS varchar(40)) FROM [" + t + "]"),
              "2024-01-02 03:04:05.1234567");
    EXPECT_EQ(Valor("SELECT CAST(b AS varchar(40)) FROM [" + t + "]"), "2024-01-02 03:04:06");
    EXPECT_EQ(Valor("SELECT CAST(c AS varchar(40)) FROM [" + t + "]"), "12:34:56.1234567");
    EXPECT_EQ(Valor("SELECT CAST(d AS varchar(40)) FROM [" + t + "]"), "12:34:56.124");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(40), h, 126) FROM [" + t + "]"),
              "2024-01-02T03:04:05.124");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(40), a, 127) FROM [" + t + "]"),
              "2024-01-02T03:04:05.1234567");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(20), s, 120) FROM [" + t + "]"), "2024-01-02 03:05:00");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(a AS datetime), 121) FROM [" + t + "]"),
              "2024-01-02 03:04:05.123");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(CAST('2024-01-02 03:04:05.1259' AS "
                    "datetime2) AS datetime), 121)"),
              "2024-01-02 03:04:05.127");
    EXPECT_EQ(Valor("SELECT CAST(CAST('12:34:56.1234567' AS time) AS varchar(20))"),
              "12:34:56.1234567");
    EXPECT_EQ(Valor("SELECT CAST(CAST('2024-01-02 03:04:05.1234567' AS datetime2(4)) AS "
                    "varchar(30))"),
              "2024-01-02 03:04:05.1235");
    EXPECT_EQ(Valor("SELECT CAST(CAST('2024-01-02 23:59:59.9999999' AS datetime2(0)) AS "
                    "varchar(30))"),
              "2024-01-03 00:00:00");
    EXPECT_EQ(Valor("SELECT CAST(CAST('2024-01-02 03:04:05' AS date) AS varchar(20))"),
              "2024-01-02");
    EXPECT_EQ(Valor("DECLARE @t time(2) = '12:34:56.789'; SELECT CAST(@t AS varchar(20))"),
              "12:34:56.79");
    EXPECT_EQ(Valor("SELECT LEN(CONVERT(varchar(30), SYSDATETIME(), 121))"), "27");
    EXPECT_EQ(Falha("SELECT CAST('2024-01-02 03:04:05.12345678' AS datetime2)"),
              "Conversion failed when converting date and/or time from character string.");
    EXPECT_EQ(Recusa("CREATE TABLE [" + Tabela("Escala") + "] (a datetime2(8))"),
              "1002: Specified scale 8 is invalid.");
}

TEST_P(ComoSqlServer, Datetime2ComparaEOrdenaPelos100ns) {
    Sql("SET DATEFORMAT ymd");
    const std::string t = Tabela("Ordem");
    Sql("CREATE TABLE [" + t + "] (id int, a datetime2, d datetime)");
    Sql("INSERT [" + t +
        "] VALUES (1, '2024-01-02 03:04:05.1234567', '2024-01-02 03:04:05.123'), "
        "(2, '2024-01-02 03:04:05.123', '2024-01-02 03:04:05.127'), "
        "(3, '2024-01-02 03:04:05.1230001', '2024-01-02 03:04:05')");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] ORDER BY a"), "2,3,1");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE a = '2024-01-02 03:04:05.1230001'"), "3");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE a > '20240102 03:04:05.123' ORDER BY id"),
              "1,3");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE a > d ORDER BY id"), "1,3");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE CAST(a AS datetime2(0)) = d"), "3");
}

TEST_P(ComoSqlServer, PartesAbaixoDoMilissegundoEmDateaddEDatediff) {
    const std::string t = Tabela("Partes");
    Sql("CREATE TABLE [" + t + "] (a datetime2, c time, d datetime)");
    Sql("INSERT [" + t +
        "] VALUES ('2024-01-02 03:04:05.1234567', '12:34:56.1234567', '2024-01-02 03:04:05')");
    EXPECT_EQ(Valor("SELECT DATEPART(ns, a) FROM [" + t + "]"), "123456700");
    EXPECT_EQ(Valor("SELECT DATEPART(microsecond, a) FROM [" + t + "]"), "123456");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), DATEADD(ns, 100, a), 121) FROM [" + t + "]"),
              "2024-01-02 03:04:05.1234568");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), DATEADD(mcs, -1, a), 121) FROM [" + t + "]"),
              "2024-01-02 03:04:05.1234557");
    EXPECT_EQ(Valor("SELECT CAST(DATEADD(hour, 25, c) AS varchar(20)) FROM [" + t + "]"),
              "13:34:56.1234567");
    EXPECT_EQ(Valor("SELECT DATEDIFF(ns, a, DATEADD(mcs, 3, a)) FROM [" + t + "]"), "3000");
    EXPECT_EQ(Valor("SELECT DATEDIFF(mcs, '2024-01-01', '2024-01-01 00:00:01.5')"), "1500000");
    EXPECT_EQ(Recusa("SELECT DATEDIFF(ns, '2024-01-01', '2024-01-02')"),
              "535: The datediff function resulted in an overflow. The number of dateparts "
              "separating two date/time instances is too large. Try to use datediff with a less "
              "precise datepart.");
    EXPECT_EQ(Recusa("SELECT DATEADD(ns, 1, d) FROM [" + t + "]"),
              "9810: The datepart nanosecond is not supported by date function dateadd for data "
              "type datetime.");
}

}  // namespace
