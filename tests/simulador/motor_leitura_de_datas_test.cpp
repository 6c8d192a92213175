#include <gtest/gtest.h>

#include "como_sql_server.hpp"

namespace {

const std::string kFalhaDeData =
    "241: Conversion failed when converting date and/or time from character string.";

// datetime reads at most three fraction digits from a text, wherever the text meets it;
// datetime2 reads up to seven.
TEST_P(ComoSqlServer, DatetimeNaoLeMaisDeTresCasasDoTexto) {
    EXPECT_EQ(Recusa("SELECT CAST('2021-02-03T10:00:00.1234' AS datetime)"), kFalhaDeData);
    EXPECT_EQ(Recusa("SELECT CONVERT(datetime, '20210203 10:00:00.1234', 121)"), kFalhaDeData);
    EXPECT_EQ(Recusa("DECLARE @d datetime = '20210203 10:00:00.1234567'"), kFalhaDeData);
    EXPECT_EQ(Recusa("DECLARE @s varchar(30) = '20210203 10:00:00.1234'; "
                     "SELECT CAST(@s AS datetime)"),
              kFalhaDeData);
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST('20210203 10:00:00.123' AS datetime), 121)"),
              "2021-02-03 10:00:00.123");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST('20210203 10:00:00.1234' AS datetime2), "
                    "121)"),
              "2021-02-03 10:00:00.1234000");
    const std::string t = Tabela("Casas");
    Sql("CREATE TABLE [" + t + "] (d datetime, a datetime2)");
    EXPECT_EQ(Recusa("INSERT [" + t + "] (d) VALUES ('20210203 10:00:00.1234')"), kFalhaDeData);
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t + "]"), "0");
    Sql("INSERT [" + t + "] VALUES ('20210203 10:00:00.123', '20210203 10:00:00.1234567')");
    EXPECT_EQ(Recusa("SELECT count(*) FROM [" + t + "] WHERE d = '20210203 10:00:00.1230'"),
              kFalhaDeData);
    // a datetime2's own digits are no text: it converts, rounded to the 1/300 s
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(a AS datetime), 121) FROM [" + t + "]"),
              "2021-02-03 10:00:00.123");
    Sql("UPDATE [" + t + "] SET d = a");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), d, 121) FROM [" + t + "]"),
              "2021-02-03 10:00:00.123");
}

// Under dmy (or ydm, or a language that reads dmy) datetime and smalldatetime read
// 'yyyy-mm-dd' as yyyy-dd-mm; date, datetime2 and the unambiguous forms ('yyyymmdd',
// ISO 8601 with 'T') do not depend on the order.
TEST_P(ComoSqlServer, DateformatDmyLeAnoDiaMesEmDatetime) {
    Sql("SET DATEFORMAT dmy");
    auto como120 = [&](const std::string& valor, const std::string& tipo) {
        return Valor("SELECT CONVERT(varchar(19), CAST('" + valor + "' AS " + tipo + "), 120)");
    };
    EXPECT_EQ(como120("2021-02-03", "datetime"), "2021-03-02 00:00:00");
    EXPECT_EQ(como120("2021-02-03 10:11:12", "smalldatetime"), "2021-03-02 10:11:00");
    EXPECT_EQ(como120("2021/02/03", "datetime"), "2021-03-02 00:00:00");
    EXPECT_EQ(como120("2021-02-03", "date"), "2021-02-03");
    EXPECT_EQ(como120("2021-02-03 10:11:12", "datetime2"), "2021-02-03 10:11:12");
    EXPECT_EQ(como120("20210203", "datetime"), "2021-02-03 00:00:00");
    EXPECT_EQ(como120("2021-02-03T10:11:12", "datetime"), "2021-02-03 10:11:12");
    EXPECT_EQ(como120("03/02/2021", "datetime"), "2021-02-03 00:00:00");
    EXPECT_EQ(Recusa("SELECT CAST('2021-02-13' AS datetime)"),
              "242: The conversion of a varchar data type to a datetime data type resulted in "
              "an out-of-range value.");
    const std::string t = Tabela("Ordem");
    Sql("CREATE TABLE [" + t + "] (d datetime, x date)");
    Sql("INSERT [" + t + "] VALUES ('2021-02-03', '2021-02-03')");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), d, 120) FROM [" + t + "]"), "2021-03-02");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t + "] WHERE d = '2021-02-03'"), "1");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t + "] WHERE x = '2021-02-03'"), "1");
    // a stored datetime converts by its value, never by the session's order
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CAST(d AS date), 120) FROM [" + t + "]"),
              "2021-03-02");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CAST(x AS datetime), 120) FROM [" + t + "]"),
              "2021-02-03");
    Sql("SET DATEFORMAT ydm");
    EXPECT_EQ(como120("2021-02-03", "datetime"), "2021-03-02 00:00:00");
    Sql("SET DATEFORMAT mdy");
    EXPECT_EQ(como120("2021-02-03", "datetime"), "2021-02-03 00:00:00");
    Sql("SET LANGUAGE british");
    EXPECT_EQ(como120("2021-02-03", "datetime"), "2021-03-02 00:00:00");
    EXPECT_EQ(como120("2021-02-03", "datetime2"), "2021-02-03 00:00:00");
    Sql("SET LANGUAGE us_english");
    EXPECT_EQ(como120("2021-02-03", "datetime"), "2021-02-03 00:00:00");
}

}  // namespace
