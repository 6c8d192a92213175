#include <gtest/gtest.h>

#include "como_sql_server.hpp"

namespace {

TEST_P(ComoSqlServer, IsnumericMoedaEQuotename) {
    for (const char* sim : {"$", "+", "-", ".", ",", "1e5", "$1,234.56", " 12 ", "2d1"})
        EXPECT_EQ(Valor(std::string("SELECT ISNUMERIC('") + sim + "')"), "1") << sim;
    for (const char* nao : {"abc", "", "1e", "1-", "+-1", "$$1"})
        EXPECT_EQ(Valor(std::string("SELECT ISNUMERIC('") + nao + "')"), "0") << nao;
    EXPECT_EQ(Valor("SELECT CAST(CAST('1,234.56' AS money) AS varchar(20))"), "1234.56");
    EXPECT_EQ(Valor("SELECT CAST(CAST('$12' AS money) AS varchar(20))"), "12.00");
    EXPECT_EQ(Valor("SELECT CAST(CAST(' -$3.5 ' AS money) AS varchar(20))"), "-3.50");
    EXPECT_EQ(Falha("SELECT CAST('1x' AS money)"),
              "Cannot convert a char value to money. The char value has incorrect syntax.");
    EXPECT_EQ(Valor("SELECT QUOTENAME('a]b')"), "[a]]b]");
    EXPECT_EQ(Valor("SELECT QUOTENAME('x', '''')"), "'x'");
    EXPECT_EQ(Valor("SELECT QUOTENAME('a\"b', '\"')"), "\"a\"\"b\"");
    EXPECT_EQ(Valor("SELECT QUOTENAME('x', '(')"), "(x)");
    EXPECT_EQ(Valor("SELECT QUOTENAME('x', 'a')"), "NULL");
    EXPECT_EQ(Valor("SELECT QUOTENAME(REPLICATE('a', 129))"), "NULL");
}

TEST_P(ComoSqlServer, FuncoesDeCaracteres) {
    const std::pair<const char*, const char*> casos[] = {
        {"STUFF('abcdef', 2, 3, 'XY')", "aXYef"},
        {"STUFF('abc', 2, 10, NULL)", "a"},
        {"STUFF('abc', 4, 1, 'x')", "NULL"},
        {"STUFF('abc', 1, -1, 'x')", "NULL"},
        {"ASCII('A')", "65"},
        {"ASCII('é')", "233"},
        {"ASCII('')", "NULL"},
        {"CHAR(65)", "A"},
        {"CHAR(128)", "€"},
        {"CHAR(256)", "NULL"},
        {"NCHAR(8364)", "€"},
        {"UNICODE(N'€uro')", "8364"},
        {"PATINDEX('%c_e%', 'abcde')", "3"},
        {"PATINDEX('%[0-9]%', 'ab12')", "3"},
        {"PATINDEX('ab%', 'abc')", "1"},
        {"PATINDEX('%z%', 'abc')", "0"},
        {"SOUNDEX('Smith') + SOUNDEX('Smythe') + SOUNDEX('Robert')", "S530S530R163"},
        {"DIFFERENCE('Smithers', 'Smythers')", "4"},
        {"DIFFERENCE('Anothers', 'Brothers')", "2"},
        {"CONVERT(varchar(40), HASHBYTES('MD5', 'abc'), 2)", "900150983CD24FB0D6963F7D28E17F72"},
        {"CONVERT(varchar(40), HASHBYTES('SHA1', 'abc'), 2)",
         "A9993E364706816ABA3E25717850C26C9CD0D89D"},
        {"CONVERT(varchar(70), HASHBYTES('SHA2_256', 'abc'), 2)",
         "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        {"CONVERT(varchar(40), HASHBYTES('MD5', N'abc'), 2)", "CE1473CF80C6B3FDA8E3DFC006ADC315"},
        {"HASHBYTES('XYZ', 'abc')", "NULL"},
        // searches compare as the collation: without case, with accents and blanks
        {"REPLACE('aXa', 'x', 'y')", "aya"},
        {"REPLACE(N'Ação', N'Ç', N'c')", "Acão"},
        {"REPLACE('aaa', 'aa', 'b')", "ba"},
        {"REPLACE('abc', '', 'z')", "abc"},
        {"REPLACE(123, '2', 'x')", "1x3"},
        {"CHARINDEX(' ', 'a b')", "2"},
        {"CHARINDEX('B', 'abc')", "2"},
        {"CHARINDEX('a', N'çãa', 2)", "3"},
        {"CHARINDEX('', 'abc')", "0"},
    };
    for (const auto& [expressao, valor] : casos)
        EXPECT_EQ(Valor(std::string("SELECT ") + expressao), valor) << expressao;
    EXPECT_EQ(Falha("SELECT STUFF('a', 1, 1)"), "The stuff function requires 4 argument(s).");
}

TEST_P(ComoSqlServer, ColunasETiposPeloCatalogo) {
    std::string t = Tabela("Colunas");
    Sql("CREATE TABLE [" + t +
        "] (id int IDENTITY NOT NULL, nome nvarchar(40), v decimal(10,2), "
        "texto varchar(max))");
    const std::string id = "OBJECT_ID('" + t + "')";
    const std::pair<std::string, const char*> casos[] = {
        {"COL_LENGTH('" + t + "', 'nome')", "80"},
        {"COL_LENGTH('" + t + "', 'texto')", "-1"},
        {"COL_LENGTH('" + t + "', 'nada')", "NULL"},
        {"COL_NAME(" + id + ", 2)", "nome"},
        {"COL_NAME(" + id + ", 9)", "NULL"},
        {"COLUMNPROPERTY(" + id + ", 'id', 'IsIdentity')", "1"},
        {"COLUMNPROPERTY(" + id + ", 'id', 'AllowsNull')", "0"},
        {"COLUMNPROPERTY(" + id + ", 'nome', 'AllowsNull')", "1"},
        {"COLUMNPROPERTY(" + id + ", 'v', 'Precision')", "10"},
        {"COLUMNPROPERTY(" + id + ", 'v', 'Scale')", "2"},
        {"COLUMNPROPERTY(" + id + ", 'nome', 'CharMaxLen')", "40"},
        {"COLUMNPROPERTY(" + id + ", 'v', 'IsComputed')", "0"},
        {"COLUMNPROPERTY(" + id + ", 'v', 'Outra')", "NULL"},
        {"TYPE_ID('int')", "56"},
        {"TYPE_ID('sysname')", "256"},
        {"TYPE_NAME(231)", "nvarchar"},
        {"TYPE_NAME(TYPE_ID('datetime'))", "datetime"},
        {"TYPE_ID('nada')", "NULL"},
    };
    for (const auto& [expressao, valor] : casos)
        EXPECT_EQ(Valor("SELECT " + expressao), valor) << expressao;
    EXPECT_EQ(Coluna("SELECT CAST(max_length AS varchar) + '/' + CAST(precision AS varchar) + '/' "
                     "+ CAST(scale AS varchar) + '/' + CAST(is_nullable AS varchar) FROM sys.types "
                     "WHERE name IN ('int', 'decimal', 'nvarchar', 'sysname', 'datetime') "
                     "ORDER BY name"),
              "8/23/3/1,17/38/38/1,4/10/0/1,8000/0/0/1,256/0/0/0");
}

TEST_P(ComoSqlServer, AgregadosEstatisticosRandETentativas) {
    std::string t = Tabela("Estatisticas");
    Sql("CREATE TABLE [" + t + "] (g int, v decimal(10,2), nome varchar(10))");
    Sql("INSERT [" + t +
        "] VALUES (1, 2, 'a'), (1, 4, 'b'), (1, 4, 'c'), (1, 4, 'd'), "
        "(1, 5, 'e'), (1, 5, 'f'), (1, 7, 'g'), (1, 9, 'h'), (2, 1, 'i'), (2, NULL, 'j')");
    EXPECT_EQ(Coluna("SELECT CAST(STDEVP(v) AS varchar) + ' ' + CAST(VARP(v) AS varchar) + ' ' + "
                     "CAST(ROUND(VAR(v), 4) AS varchar) FROM [" +
                     t + "] GROUP BY g ORDER BY g"),
              "2 4 4.5714,NULL");
    EXPECT_EQ(Valor("SELECT STDEV(v) FROM [" + t + "] WHERE g = 2"), "NULL");
    EXPECT_EQ(Falha("SELECT STDEV(nome) FROM [" + t + "]"),
              "Operand data type varchar is invalid for stdev operator.");
    EXPECT_EQ(Valor("SELECT CASE WHEN RAND() >= 0 AND RAND() < 1 THEN 1 END"), "1");
    EXPECT_EQ(Valor("SELECT CASE WHEN RAND(7) = RAND(7) THEN 1 END"), "1");
    EXPECT_EQ(Valor("SELECT TRY_CAST('12' AS int) + 1"), "13");
    EXPECT_EQ(Valor("SELECT TRY_CAST('x' AS int)"), "NULL");
    EXPECT_EQ(Valor("SELECT TRY_CONVERT(datetime, '31/02/2024', 103)"), "NULL");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), TRY_CONVERT(datetime, '29/02/2024', 103), 120)"),
              "2024-02-29");
    EXPECT_EQ(Valor("SELECT @@MAX_CONNECTIONS"), "32767");
    // the functions' own types: the text beside them converts to int, as SQL Server does
    EXPECT_EQ(Valor("SELECT COUNT(*) WHERE DATEPART(month, '2024-03-05') = '03'"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) WHERE ASCII('A') = '065'"), "1");
    EXPECT_EQ(Valor("SELECT PARSE('1.234,56' AS decimal(10,2) USING 'pt-BR')"), "1234.56");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), PARSE('12/31/2024' AS datetime USING 'en-US'), "
                    "120)"),
              "2024-12-31");
    EXPECT_EQ(Valor("SELECT TRY_PARSE('abc' AS int)"), "NULL");
    EXPECT_EQ(Falha("SELECT PARSE('abc' AS int)"),
              "Error converting string value 'abc' into data type int using culture ''.");
}

// A number too long for the text it is cast to: int shows '*' in (var)char and fails in
// n(var)char; decimal, money and float fail.
TEST_P(ComoSqlServer, NumeroEmTextoCurtoDemais) {
    std::string t = Tabela("Curtos");
    Sql("CREATE TABLE [" + t + "] (i int, d decimal(10,2), f float, m money)");
    Sql("INSERT [" + t + "] VALUES (12, 12.5, 1.5, 12.5)");
    const std::string de = " FROM [" + t + "]";
    EXPECT_EQ(Valor("SELECT CAST(12 AS varchar(1))"), "*");
    EXPECT_EQ(Valor("SELECT CAST(i AS char(1))" + de), "*");
    EXPECT_EQ(Valor("SELECT CAST(i AS varchar(2))" + de), "12");
    EXPECT_EQ(Valor("SELECT CAST(d AS varchar(5))" + de), "12.50");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(20), 0x4142, 1) + CONVERT(varchar(20), 0x4142, 2)"),
              "0x41424142");
    const char* const kNumerico =
        "Arithmetic overflow error converting numeric to data type varchar.";
    EXPECT_EQ(Falha("SELECT CAST(12.5 AS varchar(2))"), kNumerico);
    EXPECT_EQ(Falha("SELECT CAST(d AS varchar(4))" + de), kNumerico);
    EXPECT_EQ(Falha("SELECT CAST(12 AS nvarchar(1))"),
              "Arithmetic overflow error converting expression to data type nvarchar.");
    EXPECT_EQ(Falha("SELECT CAST(f AS varchar(2))" + de),
              "Arithmetic overflow error converting float to data type varchar.");
    EXPECT_EQ(Falha("SELECT CAST(m AS varchar(3))" + de),
              "Arithmetic overflow error converting expression to data type varchar.");
    EXPECT_EQ(Valor("SELECT TRY_CAST(12.5 AS varchar(2))"), "NULL");
    // a float in text has at most six digits
    Sql("UPDATE [" + t + "] SET f = 1234567");
    EXPECT_EQ(Valor("SELECT CAST(f AS varchar(20))" + de), "1.23457e+006");
    Sql("UPDATE [" + t + "] SET f = 123456.7");
    EXPECT_EQ(Valor("SELECT CAST(f AS varchar(20))" + de), "123457");
    Sql("UPDATE [" + t + "] SET f = 0.1");
    EXPECT_EQ(Valor("SELECT CAST(f AS varchar(20)) + CAST(12.5 AS varchar(5))" + de), "0.112.5");
}

}  // namespace
