#include "como_sql_server.hpp"

// Decimal and money values inside expressions, functions, windows and compound queries
// keep SQL Server's types and exact values.
namespace {

using zolvek::db::TipoDeCampo;

class DecimaisEmExpressoes : public ComoSqlServer {
  protected:
    // "value precision/scale" of the first column of a one-row query
    std::string Tipado(const std::string& sql) {
        auto r = Sql(sql);
        if (r.linhas.empty()) return "(vazio)";
        return SimuladorTeste::Texto(r.linhas[0][0]) + " " +
               std::to_string(r.colunas.at(0).precisao) + "/" +
               std::to_string(r.colunas.at(0).escala);
    }
};

// BETWEEN, IN, MIN and MAX of computed decimals go by value, not by text; beside a
// float a decimal is compared as a float.
TEST_P(DecimaisEmExpressoes, ComparacoesDeValoresCalculados) {
    const std::string t = Tabela("Comparados");
    Sql("CREATE TABLE [" + t + "] (a decimal(10,2) NOT NULL, f float NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1.25, 1.25), (9.50, 0.1), (10.00, 10)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a * 2 BETWEEN 2.4 AND 2.6"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a + 0 NOT BETWEEN 9.6 AND 100"), "2");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a * 1 IN (9.5, 10)"), "2");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a - 0 NOT IN (1.25)"), "2");
    EXPECT_EQ(Valor("SELECT MAX(a * 1) FROM [" + t + "]"), "10.00");
    EXPECT_EQ(Valor("SELECT MIN(-a) FROM [" + t + "]"), "-10.00");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a * 1 > f"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a * 1 = f"), "2");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a < 1e-5 OR a > 9.9e0"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE a * 2.0 IN (SELECT a + 1.25 FROM [" +
                    t + "])"),
              "1");
    EXPECT_EQ(Coluna("SELECT ISNULL(NULLIF(a, 1.25), 0) FROM [" + t + "] ORDER BY a"),
              "0.00,9.50,10.00");
}

// ABS and SIGN keep the type, CEILING and FLOOR drop the scale of a decimal, POWER
// rounds to the scale of its base; money stays money.
TEST_P(DecimaisEmExpressoes, FuncoesMatematicasTemOTipoDoSqlServer) {
    const std::string t = Tabela("Funcoes");
    Sql("CREATE TABLE [" + t + "] (id int NOT NULL, a decimal(38,10) NOT NULL, m money NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1, 1234567890123456789.0123456789, 12.3456)");
    Sql("INSERT INTO [" + t + "] VALUES (2, -0.0000000001, -2.5)");
    const std::string um = " FROM [" + t + "] WHERE id = 1",
                      dois = " FROM [" + t + "] WHERE id = 2";
    EXPECT_EQ(Tipado("SELECT ABS(a)" + dois), "0.0000000001 38/10");
    EXPECT_EQ(Tipado("SELECT CEILING(a)" + um), "1234567890123456790 38/0");
    EXPECT_EQ(Tipado("SELECT FLOOR(a)" + um), "1234567890123456789 38/0");
    EXPECT_EQ(Valor("SELECT CEILING(a)" + dois), "0");
    EXPECT_EQ(Valor("SELECT FLOOR(a)" + dois), "-1");
    EXPECT_EQ(Tipado("SELECT SIGN(a)" + dois), "-1.0000000000 38/10");
    EXPECT_EQ(Valor("SELECT ABS(m)" + dois), "2.5000");
    EXPECT_EQ(Valor("SELECT CEILING(m)" + um), "13.0000");
    EXPECT_EQ(Valor("SELECT FLOOR(m)" + dois), "-3.0000");
    EXPECT_EQ(Valor("SELECT SIGN(m)" + um), "1.0000");
    EXPECT_EQ(Tipado("SELECT POWER(0.5, 2)"), "0.3 38/1");
    EXPECT_EQ(Valor("SELECT POWER(CAST(2.5 AS decimal(3,1)), 3)"), "15.6");
    EXPECT_EQ(Valor("SELECT POWER(2.00, -1)"), "0.50");
    EXPECT_EQ(Valor("SELECT POWER(m, 2)" + dois), "6.2500");
    EXPECT_EQ(Valor("SELECT STR(m, 8, 1)" + um), "    12.3");
    // RADIANS and DEGREES keep the scale of a decimal (at precision 38) and money
    EXPECT_EQ(Tipado("SELECT RADIANS(180.00)"), "3.14 38/2");
    EXPECT_EQ(Valor("SELECT DEGREES(m)" + dois), "-143.2394");
}

TEST_P(DecimaisEmExpressoes, SomaEMediaEmJanelaSaoExatas) {
    const std::string t = Tabela("Janela");
    Sql("CREATE TABLE [" + t + "] (g int NOT NULL, a decimal(38,10) NOT NULL)");
    Sql("INSERT INTO [" + t +
        "] VALUES (1, 1234567890123456789.0123456789), (1, 0.0000000001), "
        "(2, 5)");
    EXPECT_EQ(Coluna("SELECT SUM(a) OVER (PARTITION BY g) FROM [" + t + "] ORDER BY g, a"),
              "1234567890123456789.0123456790,1234567890123456789.0123456790,5.0000000000");
    EXPECT_EQ(Coluna("SELECT AVG(a) OVER (PARTITION BY g) FROM [" + t + "] ORDER BY g, a"),
              "617283945061728394.5061728395,617283945061728394.5061728395,5.0000000000");
    EXPECT_EQ(Coluna("SELECT SUM(a) OVER (ORDER BY a) FROM [" + t + "] ORDER BY a"),
              "0.0000000001,5.0000000001,1234567890123456794.0123456790");
    auto r = Sql("SELECT SUM(a) OVER () FROM [" + t + "]");
    EXPECT_EQ(r.colunas.at(0).precisao, 38);
    EXPECT_EQ(r.colunas.at(0).escala, 10);
}

// AVG of integers is an integer: the sum divided as integers divide, toward zero.
TEST_P(DecimaisEmExpressoes, MediaDeInteirosEInteira) {
    const std::string t = Tabela("MediaInt");
    Sql("CREATE TABLE [" + t + "] (g int, v int, p smallint)");
    Sql("INSERT INTO [" + t + "] VALUES (1, 51, 1), (1, 85, 2), (2, 91, 2)");
    EXPECT_EQ(Valor("SELECT CAST(AVG(v) AS varchar) + '/' + CAST(AVG(-v) AS varchar) + '/' + "
                    "CAST(AVG(DISTINCT p) AS varchar) FROM [" +
                    t + "]"),
              "75/-75/1");
    EXPECT_EQ(Coluna("SELECT AVG(v) OVER (ORDER BY v) FROM [" + t + "] ORDER BY v"), "51,68,75");
    EXPECT_EQ(Coluna("SELECT g FROM [" + t + "] GROUP BY g HAVING AVG(v) = 68"), "1");
}

// $12.34 is a money constant; money becomes text with two places (style 0), with
// thousands separators (style 1) or with four (style 2).
TEST_P(DecimaisEmExpressoes, DinheiroLiteralEComoTexto) {
    auto r = Sql("SELECT $12.34");
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas.at(0).at(0)), "12.3400");
    EXPECT_EQ(r.colunas.at(0).tipo, TipoDeCampo::Currency);
    EXPECT_EQ(Valor("SELECT $12.34 + 1"), "13.3400");
    EXPECT_EQ(Valor("SELECT CEILING($-123.45)"), "-123.0000");
    EXPECT_EQ(Valor("SELECT -$5"), "-5.0000");
    EXPECT_EQ(Valor("SELECT CAST(CAST(1234.5678 AS money) AS varchar(30))"), "1234.57");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(1234567.5 AS money), 1)"), "1,234,567.50");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(30), CAST(1234.5678 AS money), 2)"), "1234.5678");
    EXPECT_EQ(Valor("SELECT CAST($-0.5 AS nvarchar(10))"), "-0.50");
    const std::string t = Tabela("DinheiroTexto");
    Sql("CREATE TABLE [" + t + "] (m smallmoney NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES ($7.125)");
    EXPECT_EQ(Valor("SELECT 'R$ ' + CAST(m AS varchar(20)) FROM [" + t + "]"), "R$ 7.13");
}

// COALESCE, CASE and UNION take the widest integral part and the largest scale of their
// decimals; ISNULL keeps the type of its first argument.
TEST_P(DecimaisEmExpressoes, TiposDeResultadosCombinados) {
    const std::string t = Tabela("Combinados");
    Sql("CREATE TABLE [" + t + "] (a decimal(10,2) NULL, b decimal(12,4) NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1.25, 2.5)");
    EXPECT_EQ(Tipado("SELECT COALESCE(a, b) FROM [" + t + "]"), "1.2500 12/4");
    EXPECT_EQ(Tipado("SELECT ISNULL(a, b) FROM [" + t + "]"), "1.25 10/2");
    EXPECT_EQ(Tipado("SELECT CASE WHEN a > 0 THEN a ELSE b END FROM [" + t + "]"), "1.2500 12/4");
    EXPECT_EQ(Tipado("SELECT IIF(a > 0, a, b) FROM [" + t + "]"), "1.2500 12/4");
    EXPECT_EQ(Coluna("SELECT a FROM [" + t + "] UNION SELECT b FROM [" + t + "] ORDER BY 1"),
              "1.2500,2.5000");
    EXPECT_EQ(Coluna("SELECT a FROM [" + t + "] UNION ALL SELECT 7 ORDER BY 1"), "1.25,7.00");
    EXPECT_EQ(Coluna("SELECT a * 4 FROM [" + t + "] UNION SELECT 10 ORDER BY 1 DESC"),
              "10.00,5.00");
}

INSTANTIATE_TEST_SUITE_P(Servidores, DecimaisEmExpressoes, ::testing::Values("simulador", "mssql"));

}  // namespace
