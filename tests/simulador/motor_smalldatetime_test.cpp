#include <gtest/gtest.h>

#include "como_sql_server.hpp"

namespace {

// smalldatetime keeps minutes: 29.998 s goes down, 29.999 s (30.000 as a datetime) up.
TEST_P(ComoSqlServer, SmalldatetimeArredondaAoMinuto) {
    auto como121 = [&](const std::string& expressao) {
        return Valor("SELECT CONVERT(varchar(30), " + expressao + ", 121)");
    };
    EXPECT_EQ(como121("CAST('20000508 12:35:29.998' AS smalldatetime)"), "2000-05-08 12:35:00.000");
    EXPECT_EQ(como121("CAST('20000508 12:35:29.999' AS smalldatetime)"), "2000-05-08 12:36:00.000");
    EXPECT_EQ(como121("CAST('20000508 12:35:30' AS smalldatetime)"), "2000-05-08 12:36:00.000");
    EXPECT_EQ(como121("CAST('20000508 23:59:59' AS smalldatetime)"), "2000-05-09 00:00:00.000");
    EXPECT_EQ(como121("CAST(CAST('20000508 12:35:29.9999999' AS datetime2) AS smalldatetime)"),
              "2000-05-08 12:36:00.000");
    const std::string t = Tabela("Minutos");
    Sql("CREATE TABLE [" + t + "] (id int, s smalldatetime)");
    Sql("INSERT [" + t +
        "] VALUES (1, '20240102 03:04:29.998'), (2, '20240102 03:04:31'), "
        "(3, '20240102 03:05')");
    EXPECT_EQ(Coluna("SELECT CONVERT(varchar(20), s, 120) FROM [" + t + "] ORDER BY id"),
              "2024-01-02 03:04:00,2024-01-02 03:05:00,2024-01-02 03:05:00");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE s = '20240102 03:05:20' ORDER BY id"),
              "2,3");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), s, 126) FROM [" + t + "] WHERE id = 1"),
              "2024-01-02T03:04:00");
    EXPECT_EQ(Valor("SELECT CAST(s AS varchar(30)) FROM [" + t + "] WHERE id = 1"),
              "Jan  2 2024  3:04AM");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), s, 108) FROM [" + t + "] WHERE id = 2"),
              "03:05:00");
}

// smalldatetime goes from 1900-01-01 to 2079-06-06 23:59; beyond, SQL Server's message
// names where the value came from.
TEST_P(ComoSqlServer, SmalldatetimeForaDoIntervalo) {
    const std::string doTexto =
        "242: The conversion of a varchar data type to a smalldatetime data type resulted in an "
        "out-of-range value.";
    EXPECT_EQ(Recusa("SELECT CAST('18991231' AS smalldatetime)"), doTexto);
    EXPECT_EQ(Recusa("SELECT CAST('20790607' AS smalldatetime)"), doTexto);
    EXPECT_EQ(Recusa("SELECT CAST('20790606 23:59:30' AS smalldatetime)"), doTexto);
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(20), CAST('20790606 23:59:29' AS smalldatetime), 120)"),
              "2079-06-06 23:59:00");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(20), CAST('19000101' AS smalldatetime), 120)"),
              "1900-01-01 00:00:00");
    EXPECT_EQ(Recusa("SELECT CAST(CAST('18991231' AS datetime) AS smalldatetime)"),
              "298: The conversion from datetime data type to smalldatetime data type resulted "
              "in a smalldatetime overflow error.");
    EXPECT_EQ(Recusa("SELECT CAST(CAST('21000101' AS datetime2) AS smalldatetime)"),
              "242: The conversion of a datetime2 data type to a smalldatetime data type "
              "resulted in an out-of-range value.");
    EXPECT_EQ(Recusa("SELECT CAST('abc' AS smalldatetime)"),
              "295: Conversion failed when converting character string to smalldatetime data "
              "type.");
    const std::string t = Tabela("Limites");
    Sql("CREATE TABLE [" + t + "] (s smalldatetime, d datetime)");
    Sql("INSERT [" + t + "] VALUES ('20790606', '21000101')");
    EXPECT_EQ(Recusa("UPDATE [" + t + "] SET s = d"),
              "298: The conversion from datetime data type to smalldatetime data type resulted "
              "in a smalldatetime overflow error.");
    EXPECT_EQ(Recusa("SELECT DATEADD(day, 1, s) FROM [" + t + "]"),
              "517: Adding a value to a 'smalldatetime' column caused an overflow.");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(20), s, 120) FROM [" + t + "]"), "2079-06-06 00:00:00");
}

// The catalog tells each date-time column's own precision, scale and length.
TEST_P(ComoSqlServer, CatalogoDasColunasDeData) {
    const std::string t = Tabela("Escalas");
    Sql("CREATE TABLE [" + t +
        "] (a datetime2, b datetime2(3), c datetime2(0), d time, e time(2), f datetime, "
        "g smalldatetime, h date)");
    EXPECT_EQ(Coluna("SELECT CONCAT(name, ':', precision, ',', scale, ',', max_length) "
                     "FROM sys.columns WHERE object_id = OBJECT_ID('" +
                     t + "') ORDER BY column_id"),
              "a:27,7,8,b:23,3,7,c:19,0,6,d:16,7,5,e:11,2,3,f:23,3,8,g:16,0,4,h:10,0,3");
    EXPECT_EQ(Coluna("SELECT CONCAT(COLUMN_NAME, ':', DATETIME_PRECISION) FROM "
                     "INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = '" +
                     t + "' ORDER BY ORDINAL_POSITION"),
              "a:7,b:3,c:0,d:7,e:2,f:3,g:0,h:0");
    EXPECT_EQ(Coluna("SELECT CONCAT(name, ':', xprec, ',', xscale, ',', length) FROM syscolumns "
                     "WHERE id = OBJECT_ID('" +
                     t + "') AND name IN ('b', 'e') ORDER BY colid"),
              "b:23,3,7,e:11,2,3");
}

}  // namespace
