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

}  // namespace
