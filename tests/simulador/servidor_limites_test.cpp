#include "ambiente.hpp"

// SQL Server's limits on the values a statement builds: REPLICATE and SPACE of a type
// that is not max give at most 8 000 bytes, whatever the count asks.
namespace {

class LimitesDeValores : public SimuladorTeste {};

TEST_F(LimitesDeValores, ReplicateCortaEmOitoMilBytesSemMax) {
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE('x', 8001))"), "8000");
    EXPECT_EQ(Valor("SELECT DATALENGTH(REPLICATE('ab', 5000))"), "8000");
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE('abc', 3000))"), "8000");
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE(N'x', 5000))"), "4000");
    // a count that would take gigabytes is cut as any other
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE('x', 500000000))"), "8000");
    EXPECT_EQ(Valor("SELECT REPLICATE('x', -1)"), "NULL");
    EXPECT_EQ(Valor("SELECT REPLICATE('x', 3)"), "xxx");
    Sql("CREATE TABLE C (v VARCHAR(20) NULL, n NVARCHAR(20) NULL)");
    Sql("INSERT INTO C VALUES ('y', N'z')");
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE(v, 9000)) FROM C"), "8000");
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE(n, 9000)) FROM C"), "4000");
}

TEST_F(LimitesDeValores, ReplicateDeMaxPassaDeOitoMilMasNaoSemFim) {
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE(CAST('x' AS VARCHAR(MAX)), 10000))"), "10000");
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE(CONVERT(NVARCHAR(MAX), N'x'), 10000))"), "10000");
    Sql("CREATE TABLE M (v VARCHAR(MAX) NULL)");
    Sql("INSERT INTO M VALUES ('x')");
    EXPECT_EQ(Valor("SELECT LEN(REPLICATE(v, 9000)) FROM M"), "9000");
    EXPECT_EQ(Falha("SELECT LEN(REPLICATE(CAST('x' AS VARCHAR(MAX)), 500000000))"),
              "O simulador de SQL Server não monta textos de mais de 256 MB (REPLICATE).");
}

TEST_F(LimitesDeValores, SpaceDaNoMaximoOitoMilEspacos) {
    EXPECT_EQ(Valor("SELECT DATALENGTH(SPACE(9000))"), "8000");
    EXPECT_EQ(Valor("SELECT DATALENGTH(SPACE(500000000))"), "8000");
    EXPECT_EQ(Valor("SELECT DATALENGTH(SPACE(3))"), "3");
    EXPECT_EQ(Valor("SELECT SPACE(-1)"), "NULL");
}

}  // namespace
