#include "como_sql_server.hpp"
#include "comum/erros.hpp"

// Decimal, numeric and money values are exact, with SQL Server's precision and scale.
namespace {

using zolvek::db::TipoDeCampo;

class Decimais : public ComoSqlServer {};

TEST_P(Decimais, SomaDeMilLinhasEhExataComEscalaDaColuna) {
    const std::string d = Tabela("Digitos"), t = Tabela("Valores");
    Sql("CREATE TABLE [" + d + "] (n int NOT NULL)");
    Sql("INSERT INTO [" + d + "] (n) VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9)");
    Sql("CREATE TABLE [" + t + "] (id int IDENTITY(1,1) PRIMARY KEY, v decimal(15,2) NOT NULL)");
    Sql("INSERT INTO [" + t + "] (v) SELECT a.n * 1111.11 + b.n * 0.07 + c.n * 123456.01 FROM [" +
        d + "] a CROSS JOIN [" + d + "] b CROSS JOIN [" + d + "] c");
    auto r = Sql("SELECT SUM(v) AS total FROM [" + t + "]");
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas.at(0).at(0)), "560552355.00");
    EXPECT_EQ(r.colunas.at(0).precisao, 38);
    EXPECT_EQ(r.colunas.at(0).escala, 2);
    EXPECT_EQ(Valor("SELECT AVG(v) FROM [" + t + "] WHERE v IN (0.07, 0.14, 0.28)"), "0.163333");
    EXPECT_EQ(Valor("SELECT MAX(v) FROM [" + t + "]"), "1121104.71");
}

TEST_P(Decimais, ConversaoArredondaSemPassarPorPontoFlutuante) {
    EXPECT_EQ(Valor("SELECT CAST(1234567890123.4567 AS decimal(18,4))"), "1234567890123.4567");
    EXPECT_EQ(Valor("SELECT CAST(2.345 AS decimal(5,2))"), "2.35");
    EXPECT_EQ(Valor("SELECT CAST(-2.345 AS decimal(5,2))"), "-2.35");
    EXPECT_EQ(Valor("SELECT CONVERT(numeric(10,1), '7.25')"), "7.3");
    EXPECT_EQ(Valor("SELECT CAST(CAST(7.99 AS decimal(5,2)) AS int)"), "7");
}

TEST_P(Decimais, DivisaoTemAEscalaDoSqlServer) {
    auto r = Sql("SELECT 10.0/4");
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas.at(0).at(0)), "2.500000");
    EXPECT_EQ(r.colunas.at(0).precisao, 8);
    EXPECT_EQ(r.colunas.at(0).escala, 6);
    EXPECT_EQ(Valor("SELECT 1.0/3"), "0.333333");
    EXPECT_EQ(Valor("SELECT 1.50 * 2.25"), "3.3750");
    EXPECT_EQ(Valor("SELECT 1.5 + 2.25 - 1"), "2.75");
    EXPECT_EQ(Recusa("SELECT 1.5 / 0"), "8134: Divide by zero error encountered.");
}

TEST_P(Decimais, Precisao18IdaEVoltaSomaEDivisao) {
    const std::string t = Tabela("P18");
    Sql("CREATE TABLE [" + t + "] (v decimal(18,4) NOT NULL)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (12345678901234.5678)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (0.0001)");
    EXPECT_EQ(Coluna("SELECT v FROM [" + t + "] ORDER BY v DESC"), "12345678901234.5678,0.0001");
    EXPECT_EQ(Valor("SELECT SUM(v) FROM [" + t + "]"), "12345678901234.5679");
    EXPECT_EQ(Valor("SELECT SUM(v) / 3 FROM [" + t + "]"), "4115226300411.522633");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "] WHERE v = 12345678901234.5678"), "1");
}

TEST_P(Decimais, Precisao38IdaEVoltaSomaEDivisao) {
    const std::string t = Tabela("P38");
    Sql("CREATE TABLE [" + t + "] (id int NOT NULL, v decimal(38,10) NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1, 1234567890123456789012345678.0123456789)");
    Sql("INSERT INTO [" + t + "] VALUES (2, 9876543210987654321.9876543210)");
    EXPECT_EQ(Valor("SELECT v FROM [" + t + "] WHERE id = 1"),
              "1234567890123456789012345678.0123456789");
    EXPECT_EQ(Valor("SELECT v / 3 FROM [" + t + "] WHERE id = 1"),
              "411522630041152263004115226.0041152263");
    EXPECT_EQ(Valor("SELECT SUM(v) FROM [" + t + "]"), "1234567899999999999999999999.9999999999");
    EXPECT_EQ(Valor("SELECT SUM(v) / 7 FROM [" + t + "]"),
              "176366842857142857142857142.8571428571");
    auto r = Sql("SELECT v FROM [" + t + "] WHERE id = 2");
    EXPECT_EQ(r.colunas.at(0).precisao, 38);
    EXPECT_EQ(r.colunas.at(0).escala, 10);
}

TEST_P(Decimais, DinheiroGuardaQuatroCasas) {
    const std::string t = Tabela("Dinheiro");
    Sql("CREATE TABLE [" + t + "] (v money NOT NULL)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (12.3456)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (0.1)");
    auto r = Sql("SELECT SUM(v) FROM [" + t + "]");
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas.at(0).at(0)), "12.4456");
    EXPECT_EQ(r.colunas.at(0).tipo, TipoDeCampo::Currency);
    EXPECT_EQ(Coluna("SELECT v * 2 FROM [" + t + "] ORDER BY v"), "0.2000,24.6912");
    EXPECT_EQ(Valor("SELECT CAST(12.34565 AS money)"), "12.3457");
    EXPECT_EQ(Valor("SELECT CAST(10 AS money) / 3"), "3.3333");
    EXPECT_EQ(Recusa("SELECT CAST(922337203685478 AS money)"),
              "8115: Arithmetic overflow error converting expression to data type money.");
}

TEST_P(Decimais, EstouroDaPrecisaoEhOErro8115) {
    const std::string t = Tabela("Estouro");
    Sql("CREATE TABLE [" + t + "] (v decimal(4,1) NULL)");
    EXPECT_EQ(Recusa("SELECT CAST(123.456 AS decimal(4,2))"),
              "8115: Arithmetic overflow error converting numeric to data type numeric.");
    EXPECT_EQ(Recusa("INSERT INTO [" + t + "] (v) VALUES (1000.5)"),
              "8115: Arithmetic overflow error converting numeric to data type numeric.");
    EXPECT_EQ(Recusa("SELECT ROUND(748.58, -3)"),
              "8115: Arithmetic overflow error converting expression to data type numeric.");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "]"), "0");
}

TEST_P(Decimais, OrdemComparacaoEChaveSaoPorValor) {
    const std::string t = Tabela("Ordem");
    Sql("CREATE TABLE [" + t + "] (v decimal(6,2) NOT NULL PRIMARY KEY)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (9.5)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (10)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (-2.25)");
    Sql("INSERT INTO [" + t + "] (v) VALUES (100)");
    EXPECT_EQ(Coluna("SELECT v FROM [" + t + "] ORDER BY v"), "-2.25,9.50,10.00,100.00");
    EXPECT_EQ(Coluna("SELECT v FROM [" + t + "] WHERE v > 9.6 ORDER BY v"), "10.00,100.00");
    EXPECT_EQ(Coluna("SELECT v FROM [" + t + "] WHERE v = 10"), "10.00");
    EXPECT_EQ(Coluna("SELECT v * 10 FROM [" + t + "] WHERE v * 10 > 95 ORDER BY 1"),
              "100.00,1000.00");
    EXPECT_EQ(Valor("SELECT ROUND(v, 0) FROM [" + t + "] WHERE v < 10 AND v > 0"), "10.00");
    EXPECT_EQ(Recusa("INSERT INTO [" + t + "] (v) VALUES (9.50)").substr(0, 6), "2627: ");
    Sql("UPDATE [" + t + "] SET v = v + 0.005 WHERE v = 100");
    EXPECT_EQ(Valor("SELECT MAX(v) FROM [" + t + "]"), "100.01");
}

TEST_P(Decimais, DecimalViraInteiroPeloValor) {
    const std::string t = Tabela("ParaInteiro"), u = Tabela("Inteiros");
    Sql("CREATE TABLE [" + t + "] (d decimal(10,2) NOT NULL, i int NULL)");
    Sql("CREATE TABLE [" + u + "] (i int NOT NULL)");
    Sql("INSERT INTO [" + t + "] (d) VALUES (7.99)");
    Sql("UPDATE [" + t + "] SET i = d");
    EXPECT_EQ(Valor("SELECT i FROM [" + t + "]"), "7");
    Sql("INSERT INTO [" + u + "] (i) SELECT d FROM [" + t + "]");
    EXPECT_EQ(Valor("SELECT i FROM [" + u + "]"), "7");
    EXPECT_EQ(Valor("SELECT SUM(CASE WHEN d > 100 THEN d ELSE 0 END) FROM [" + t + "]"), "0.00");
    Sql("UPDATE [" + t + "] SET d = 8");
    Sql("ALTER TABLE [" + t + "] ALTER COLUMN d int NOT NULL");
    EXPECT_EQ(Valor("SELECT d FROM [" + t + "]"), "8");
}

TEST_P(Decimais, AtualizacaoComJuncaoSomaOsValores) {
    const std::string a = Tabela("Contas"), b = Tabela("Lancamentos");
    Sql("CREATE TABLE [" + a + "] (id int NOT NULL, v decimal(10,2) NOT NULL)");
    Sql("CREATE TABLE [" + b + "] (id int NOT NULL, w decimal(10,2) NOT NULL)");
    Sql("INSERT INTO [" + a + "] VALUES (1, 12.50)");
    Sql("INSERT INTO [" + b + "] VALUES (1, 1.25)");
    Sql("UPDATE x SET v = x.v + y.w FROM [" + a + "] x JOIN [" + b + "] y ON y.id = x.id");
    EXPECT_EQ(Valor("SELECT v FROM [" + a + "]"), "13.75");
    Sql("DELETE x FROM [" + a + "] x JOIN [" + b + "] y ON y.id = x.id WHERE x.v - y.w = 12.4");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a + "]"), "1");
    Sql("DELETE FROM [" + a + "] WHERE v * 2 = 27.5");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a + "]"), "0");
}

// A derived table's or WITH query's columns keep their decimal type: + adds, never joins texts.
TEST_P(Decimais, TabelaDerivadaEWithSomamComoDecimais) {
    const std::string t = Tabela("Derivada");
    Sql("CREATE TABLE [" + t + "] (a decimal(5,2) NOT NULL, b decimal(5,2) NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1.5, 2)");
    EXPECT_EQ(Valor("SELECT x.a + x.b FROM (SELECT a, b FROM [" + t + "]) x"), "3.50");
    EXPECT_EQ(Valor("SELECT y.s + 1 FROM (SELECT x.a + x.b AS s FROM (SELECT a, b FROM [" + t +
                    "]) x) y"),
              "4.50");
    EXPECT_EQ(Valor("WITH w (p, q) AS (SELECT a, b FROM [" + t + "]) SELECT p + q FROM w"), "3.50");
    EXPECT_EQ(Valor("SELECT SUM(x.a) FROM (SELECT a FROM [" + t + "]) x"), "1.50");
    EXPECT_EQ(Valor("SELECT x.t + x.u FROM (SELECT 'a' AS t, 'b' AS u) x"), "ab");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Decimais, ::testing::Values("simulador", "mssql"));

}  // namespace
