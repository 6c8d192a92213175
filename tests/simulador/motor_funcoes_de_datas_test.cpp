#include <gtest/gtest.h>

#include "como_sql_server.hpp"

namespace {

TEST_P(ComoSqlServer, PartesDeDataSeguemDatefirstEIdioma) {
    Sql("SET LANGUAGE us_english");
    EXPECT_EQ(Valor("SELECT DATEPART(week, '2024-03-05')"), "10");
    EXPECT_EQ(Valor("SELECT DATEPART(dy, '2024-03-05')"), "65");
    EXPECT_EQ(Valor("SELECT DATEPART(iso_week, '2024-03-05')"), "10");
    EXPECT_EQ(Valor("SELECT DATEPART(isowk, '2021-01-03')"), "53");
    EXPECT_EQ(Valor("SELECT DATEPART(dw, '2024-03-05')"), "3");
    EXPECT_EQ(Valor("SELECT DATEPART(week, '2000-12-31')"), "54");
    EXPECT_EQ(Valor("SELECT @@LANGUAGE + ' ' + CAST(@@DATEFIRST AS varchar) + ' ' + "
                    "CAST(@@LANGID AS varchar)"),
              "us_english 7 0");
    EXPECT_EQ(Valor("SELECT DATENAME(month, '2024-03-05') + ' ' + DATENAME(dw, '2024-03-05') + "
                    "' ' + DATENAME(day, '2024-03-05')"),
              "March Tuesday 5");
    EXPECT_EQ(Valor("SELECT DATENAME(month, NULL)"), "NULL");
    Sql("SET DATEFIRST 1");
    EXPECT_EQ(Valor("SELECT DATEPART(dw, '2024-03-05')"), "2");
    EXPECT_EQ(Valor("SELECT DATEPART(wk, '2024-03-03')"), "9");
    EXPECT_EQ(Falha("SET DATEFIRST 8"), "SET DATEFIRST 8 is out of range.");
    EXPECT_EQ(Falha("SELECT DATEPART(semana, '2024-03-05')"),
              "'semana' is not a recognized datepart option.");
    Sql("SET LANGUAGE Brazilian");
    EXPECT_EQ(Valor("SELECT @@LANGUAGE + ' ' + CAST(@@DATEFIRST AS varchar)"),
              "Português (Brasil) 7");
    EXPECT_EQ(Valor("SELECT DATENAME(month, '2024-03-05') + ' ' + DATENAME(weekday, '2024-03-05')"),
              "Março Terça-Feira");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(11), CAST('20240205' AS datetime), 106)"),
              "05 Fev 2024");
}

TEST_P(ComoSqlServer, DatefrompartsEEomonth) {
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), DATEFROMPARTS(2024, 2, 29), 120)"), "2024-02-29");
    EXPECT_EQ(Valor("SELECT DATEFROMPARTS(2024, NULL, 1)"), "NULL");
    EXPECT_EQ(Falha("SELECT DATEFROMPARTS(2023, 2, 29)"),
              "Cannot construct data type date, some of the arguments have values which are not "
              "valid.");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), EOMONTH('2024-02-10'), 120)"), "2024-02-29");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), EOMONTH('2024-01-31', 1), 120)"), "2024-02-29");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), EOMONTH('2024-03-31', -13), 120)"), "2023-02-28");
    EXPECT_EQ(Falha("SELECT DATEFROMPARTS(2024, 1)"),
              "The datefromparts function requires 3 argument(s).");
}

// Each CONVERT style of a datetime, as SQL Server writes 2024-03-05 14:03:04.123.
TEST_P(ComoSqlServer, ConvertEscreveCadaEstiloDeData) {
    Sql("SET LANGUAGE us_english");
    std::string t = Tabela("Estilos");
    Sql("CREATE TABLE [" + t + "] (d datetime)");
    Sql("INSERT [" + t + "] VALUES ('2024-03-05 14:03:04.123')");
    const std::pair<int, const char*> casos[] = {
        {0, "Mar  5 2024  2:03PM"},
        {100, "Mar  5 2024  2:03PM"},
        {1, "03/05/24"},
        {101, "03/05/2024"},
        {2, "24.03.05"},
        {102, "2024.03.05"},
        {3, "05/03/24"},
        {103, "05/03/2024"},
        {4, "05.03.24"},
        {104, "05.03.2024"},
        {5, "05-03-24"},
        {105, "05-03-2024"},
        {6, "05 Mar 24"},
        {106, "05 Mar 2024"},
        {7, "Mar 05, 24"},
        {107, "Mar 05, 2024"},
        {8, "14:03:04"},
        {108, "14:03:04"},
        {9, "Mar  5 2024  2:03:04:123PM"},
        {109, "Mar  5 2024  2:03:04:123PM"},
        {10, "03-05-24"},
        {110, "03-05-2024"},
        {11, "24/03/05"},
        {111, "2024/03/05"},
        {12, "240305"},
        {112, "20240305"},
        {13, "05 Mar 2024 14:03:04:123"},
        {113, "05 Mar 2024 14:03:04:123"},
        {14, "14:03:04:123"},
        {114, "14:03:04:123"},
        {20, "2024-03-05 14:03:04"},
        {120, "2024-03-05 14:03:04"},
        {21, "2024-03-05 14:03:04.123"},
        {121, "2024-03-05 14:03:04.123"},
        {22, "03/05/24  2:03:04 PM"},
        {23, "2024-03-05"},
        {126, "2024-03-05T14:03:04.123"},
        {127, "2024-03-05T14:03:04.123"},
    };
    for (const auto& [estilo, texto] : casos)
        EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), d, " + std::to_string(estilo) + ") FROM [" +
                        t + "]"),
                  texto)
            << "estilo " << estilo;
    EXPECT_EQ(Valor("SELECT CAST(d AS varchar(30)) FROM [" + t + "]"), "Mar  5 2024  2:03PM");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST('2024-03-05 00:00' AS datetime), 126)"),
              "2024-03-05T00:00:00");
    EXPECT_EQ(Falha("SELECT CONVERT(varchar(30), d, 15) FROM [" + t + "]"),
              "15 is not a valid style number when converting from datetime to a character "
              "string.");
}

TEST_P(ComoSqlServer, ConvertLeDataNoEstiloDado) {
    const std::pair<const char*, int> casos[] = {
        {"05/03/2024", 103},          {"03/05/2024", 101},
        {"2024.03.05", 102},          {"05.03.2024", 104},
        {"05-03-2024", 105},          {"20240305", 112},
        {"2024-03-05 10:00:00", 120}, {"2024-03-05T10:00:00.000", 126},
    };
    for (const auto& [texto, estilo] : casos)
        EXPECT_EQ(Valor(std::string("SELECT CONVERT(varchar(10), CONVERT(datetime, '") + texto +
                        "', " + std::to_string(estilo) + "), 120)"),
                  "2024-03-05")
            << texto;
    EXPECT_EQ(Falha("SELECT CONVERT(datetime, '31/02/2024', 103)"),
              "The conversion of a varchar data type to a datetime data type resulted in an "
              "out-of-range value.");
    EXPECT_EQ(Falha("SELECT CONVERT(datetime, 'abc', 103)"),
              "Conversion failed when converting date and/or time from character string.");
    EXPECT_EQ(Falha("SELECT CONVERT(datetime, '05/03/2024', 99)"),
              "99 is not a valid style number when converting to datetime.");
}

TEST_P(ComoSqlServer, FormatDeDatasENumeros) {
    const std::pair<const char*, const char*> casos[] = {
        {"FORMAT(CAST('2024-03-05T14:03:04.123' AS datetime), 'yyyy')", "2024"},
        {"FORMAT(CAST('2024-03-05T14:03:04.123' AS datetime), 'dd/MM/yy HH:mm:ss.fff', 'en-US')",
         "05/03/24 14:03:04.123"},
        {"FORMAT(CAST('2024-03-05T14:03:04' AS datetime), 'M/d/yyyy h:mm tt', 'en-US')",
         "3/5/2024 2:03 PM"},
        {"FORMAT(CAST('20240305' AS datetime), 'dddd, d ''de'' MMMM', 'pt-BR')",
         "terça-feira, 5 de março"},
        {"FORMAT(CAST('20240305' AS datetime), 'd', 'en-US')", "3/5/2024"},
        {"FORMAT(CAST('20240305' AS datetime), 'd', 'pt-BR')", "05/03/2024"},
        {"FORMAT(1234.567, 'N2', 'en-US')", "1,234.57"},
        {"FORMAT(1234.567, 'N2', 'pt-BR')", "1.234,57"},
        {"FORMAT(-1234.5, 'N0', 'en-US')", "-1,235"},
        {"FORMAT(1234.5, 'F2', 'en-US')", "1234.50"},
        {"FORMAT(42, 'D5', 'en-US')", "00042"},
        {"FORMAT(0.5, '0.00', 'en-US')", "0.50"},
        {"FORMAT(1234567.891, '#,##0.00', 'en-US')", "1,234,567.89"},
        {"FORMAT(CAST(2.5 AS money), '#,##0.0', 'pt-BR')", "2,5"},
        {"FORMAT(NULL, 'N2')", "NULL"},
    };
    for (const auto& [expressao, texto] : casos)
        EXPECT_EQ(Valor(std::string("SELECT ") + expressao), texto) << expressao;
    EXPECT_EQ(Falha("SELECT FORMAT(1, 'N2', 'xx-YY')"),
              "The culture parameter 'xx-YY' provided in the function call is not supported.");
}

}  // namespace
