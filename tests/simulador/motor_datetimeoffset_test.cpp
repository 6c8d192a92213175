#include <gtest/gtest.h>

#include "como_sql_server.hpp"

namespace {

// A datetimeoffset keeps its date-time in its own offset, shows both, and compares and
// orders by its UTC instant.
TEST_P(ComoSqlServer, DatetimeoffsetGuardaOFusoEComparaEmUtc) {
    const std::string t = Tabela("Fusos");
    Sql("CREATE TABLE [" + t + "] (id int, a datetimeoffset, b datetimeoffset(3))");
    Sql("INSERT [" + t +
        "] VALUES (1, '2021-02-03 10:00:00 +01:00', '2021-02-03 10:00:00.1234 +01:00'), "
        "(2, '2021-02-03 09:30:00', NULL), (3, '2021-02-03T12:00:00.5+05:00', NULL)");
    EXPECT_EQ(Coluna("SELECT CAST(a AS varchar(40)) FROM [" + t + "] ORDER BY id"),
              "2021-02-03 10:00:00.0000000 +01:00,2021-02-03 09:30:00.0000000 +00:00,"
              "2021-02-03 12:00:00.5000000 +05:00");
    EXPECT_EQ(Valor("SELECT CAST(b AS varchar(40)) FROM [" + t + "] WHERE id = 1"),
              "2021-02-03 10:00:00.123 +01:00");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] ORDER BY a"), "3,1,2");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE a = '2021-02-03 09:00:00 +00:00'"), "1");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE a > '2021-02-03T08:00:00Z' ORDER BY id"),
              "1,2");
    EXPECT_EQ(Valor("SELECT CAST(MIN(a) AS varchar(40)) FROM [" + t + "]"),
              "2021-02-03 12:00:00.5000000 +05:00");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(40), a, 121) FROM [" + t + "] WHERE id = 1"),
              "2021-02-03 10:00:00.0000000 +01:00");
    EXPECT_EQ(Valor("SELECT DATEPART(tz, a) FROM [" + t + "] WHERE id = 3"), "300");
    EXPECT_EQ(Valor("SELECT DATEPART(hour, a) FROM [" + t + "] WHERE id = 3"), "12");
    EXPECT_EQ(Valor("SELECT DATENAME(tzoffset, a) FROM [" + t + "] WHERE id = 1"), "+01:00");
    EXPECT_EQ(Valor("SELECT DATEDIFF(minute, x.a, y.a) FROM [" + t + "] x, [" + t +
                    "] y WHERE x.id = 3 AND y.id = 1"),
              "120");
    EXPECT_EQ(
        Valor("SELECT CAST(DATEADD(hour, 1, a) AS varchar(40)) FROM [" + t + "] WHERE id = 1"),
        "2021-02-03 11:00:00.0000000 +01:00");
    EXPECT_EQ(Valor("SELECT DATEPART(tzoffset, '2007-05-10 00:00:01.1234567 +05:10')"), "310");
}

// Converting drops the offset (the date-time stays as written) or adds +00:00.
TEST_P(ComoSqlServer, DatetimeoffsetConverteDeEParaOsOutrosTipos) {
    const std::string fonte = "CAST('2021-02-03 23:30:00.1234567 -03:00' AS datetimeoffset)";
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(" + fonte + " AS datetime2), 121)"),
              "2021-02-03 23:30:00.1234567");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(" + fonte + " AS datetime), 121)"),
              "2021-02-03 23:30:00.123");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CAST(" + fonte + " AS date), 120)"), "2021-02-03");
    EXPECT_EQ(Valor("SELECT CAST(CAST(" + fonte + " AS time(0)) AS varchar(20))"), "23:30:00");
    EXPECT_EQ(Valor("SELECT CAST(CAST(CAST('20210203 10:00' AS datetime) AS datetimeoffset(0)) "
                    "AS varchar(40))"),
              "2021-02-03 10:00:00 +00:00");
    EXPECT_EQ(Valor("SELECT CASE WHEN CAST(CAST('2021-02-03' AS date) AS datetimeoffset) = "
                    "'2021-02-02 21:00:00 -03:00' THEN 1 ELSE 0 END"),
              "1");
    EXPECT_EQ(Recusa("SELECT CAST('2021-02-03 10:00 +15:00' AS datetimeoffset)"),
              "241: Conversion failed when converting date and/or time from character string.");
    EXPECT_EQ(Recusa("CREATE TABLE [" + Tabela("Escala") + "] (a datetimeoffset(8))"),
              "1002: Specified scale 8 is invalid.");
    EXPECT_EQ(Valor("DECLARE @d datetimeoffset(2) = '2021-02-03 10:00:00.129 +02:00'; "
                    "SELECT CAST(@d AS varchar(40))"),
              "2021-02-03 10:00:00.13 +02:00");
}

// TODATETIMEOFFSET says at which offset a date-time was; SWITCHOFFSET moves the instant to
// another offset.
TEST_P(ComoSqlServer, FuncoesDeFusoHorario) {
    EXPECT_EQ(Valor("SELECT CAST(TODATETIMEOFFSET(CAST('2021-02-03 10:00' AS datetime2), "
                    "'+05:30') AS varchar(40))"),
              "2021-02-03 10:00:00.0000000 +05:30");
    EXPECT_EQ(Valor("SELECT CAST(TODATETIMEOFFSET(CAST('2021-02-03 10:00' AS datetime2(0)), -120) "
                    "AS varchar(40))"),
              "2021-02-03 10:00:00 -02:00");
    EXPECT_EQ(Valor("SELECT CAST(SWITCHOFFSET(CAST('2021-02-03 10:00 +01:00' AS datetimeoffset), "
                    "'-03:00') AS varchar(40))"),
              "2021-02-03 06:00:00.0000000 -03:00");
    EXPECT_EQ(Valor("SELECT LEN(CAST(SYSDATETIMEOFFSET() AS varchar(40)))"), "34");
    EXPECT_EQ(Valor("SELECT CASE WHEN ABS(DATEDIFF(second, SYSDATETIMEOFFSET(), SYSUTCDATETIME())) "
                    "< 5 THEN 1 ELSE 0 END"),
              "1");
    const std::string t = Tabela("FusoNoCatalogo");
    Sql("CREATE TABLE [" + t + "] (a datetimeoffset, b datetimeoffset(0))");
    EXPECT_EQ(Coluna("SELECT CONCAT(name, ':', TYPE_NAME(system_type_id), ',', precision, ',', "
                     "scale, ',', max_length) FROM sys.columns WHERE object_id = OBJECT_ID('" +
                     t + "') ORDER BY column_id"),
              "a:datetimeoffset,34,7,10,b:datetimeoffset,26,0,8");
    EXPECT_EQ(Coluna("SELECT DATETIME_PRECISION FROM INFORMATION_SCHEMA.COLUMNS WHERE "
                     "TABLE_NAME = '" +
                     t + "' ORDER BY ORDINAL_POSITION"),
              "7,0");
}

}  // namespace
