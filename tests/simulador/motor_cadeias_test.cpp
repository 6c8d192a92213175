#include <string>

#include "ambiente.hpp"
#include "comum/erros.hpp"

// Flat chains (a + b + c ..., x = 1 OR x = 2 ...) cost no nesting: they run as long as
// generated queries and scripts write them, work left to right as SQL Server does, and
// no length of them brings the process down.
namespace {

class Cadeias : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        std::string colunas;
        for (int i = 0; i < 20; ++i)
            colunas += "c" + std::to_string(i) + " INT NULL, d" + std::to_string(i) +
                       " DECIMAL(15,2) NULL, ";
        Sql("CREATE TABLE W (" + colunas + "t VARCHAR(10) NULL)");
        Sql("INSERT INTO W (c1, c2, d1, d2, t) VALUES (1, 2, 1.50, 2.25, 'x')");
    }

    // terms joined by `juncao`, the k-th made by `termo(k)`
    template <typename F>
    static std::string Juntar(int n, const std::string& juncao, F termo) {
        std::string s;
        for (int k = 0; k < n; ++k) s += (k ? juncao : "") + termo(k);
        return s;
    }

    int Numero(const std::string& sql) {
        try {
            Sql(sql);
        } catch (const zolvek::ErroDeBanco& e) {
            return e.Numero();
        }
        return 0;
    }
};

TEST_F(Cadeias, SomasLongasDeConstantesColunasETextos) {
    auto uns = [&](int n) { return Juntar(n, "+", [](int) { return std::string("1"); }); };
    EXPECT_EQ(Valor("SELECT " + uns(20)), "20");
    EXPECT_EQ(Valor("SELECT " + uns(100)), "100");
    EXPECT_EQ(Valor("SELECT " + uns(1000)), "1000");
    EXPECT_EQ(
        Valor("SELECT " +
              Juntar(20, " + ", [](int k) { return "ISNULL(c" + std::to_string(k) + ", 1)"; }) +
              " FROM W"),
        "21");
    EXPECT_EQ(
        Valor("SELECT " +
              Juntar(20, " + ", [](int k) { return "ISNULL(d" + std::to_string(k) + ", 1)"; }) +
              " FROM W"),
        "21.75");
    EXPECT_EQ(Valor("SELECT LEN(" + Juntar(300, " + ", [](int) { return std::string("t"); }) +
                    ") FROM W"),
              "300");
    // a chain of a thousand terms and more holds no more than others
    EXPECT_EQ(Numero("SELECT " + uns(20000)), 191);
    EXPECT_EQ(Numero("SELECT " + uns(100000)), 191);
    EXPECT_EQ(Numero("SELECT 1 FROM W WHERE " +
                     Juntar(100000, " OR ", [](int k) { return "c1 = " + std::to_string(k); })),
              191);
}

// Each step as the nested calls did it: its own type, overflow, NULL and conversions.
TEST_F(Cadeias, CadaPassoComoOSqlServer) {
    EXPECT_EQ(Falha("SELECT 2147483647 + 1 - 1"),
              "Arithmetic overflow error converting expression to data type int.");
    EXPECT_EQ(Valor("SELECT 2147483647 + CAST(1 AS BIGINT) + 1"), "2147483649");
    EXPECT_EQ(Valor("SELECT 1 + 2 + NULL + 3"), "NULL");
    EXPECT_EQ(Valor("SELECT 10 - 2 * 3 - 1 + 7 / 2"), "6");
    EXPECT_EQ(Valor("SELECT CAST(1.25 AS DECIMAL(5,2)) + 1 - 0.5 + 2"), "3.75");
    EXPECT_EQ(Valor("SELECT '1' + 1 + 1"), "3");
    EXPECT_EQ(Valor("SELECT 'a' + 'b' + CAST(1 AS VARCHAR) + 'c'"), "ab1c");
    EXPECT_EQ(Falha("SELECT 'a' + 'b' + 1"),
              "Conversion failed when converting the varchar value 'ab' to data type int.");
    EXPECT_EQ(Valor("SELECT CONVERT(VARCHAR(10), CAST('20200101' AS DATETIME) + 1 + 1, 112)"),
              "20200103");
    EXPECT_EQ(Valor("SELECT 0x01 + 1 + 1"), "3");
    EXPECT_EQ(Valor("SELECT (1 + 2) + (3 + 4) + 5"), "15");
}

TEST_F(Cadeias, PredicadosLongosDeConsultasGeradas) {
    for (int n : {91, 255, 1000})
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM W WHERE " +
                        Juntar(n, " OR ", [](int k) { return "c1 = " + std::to_string(k); })),
                  "1")
            << n;
    // 255 terms in 229 parentheses: nested from the left, from the right, and in groups
    std::string esquerda = "c1 = 0", direita = "c1 = 0";
    for (int k = 1; k < 230; ++k) {
        esquerda = "(" + esquerda + " OR c1 = " + std::to_string(k) + ")";
        direita = "(c2 = " + std::to_string(k) + " AND " + direita + ")";
    }
    esquerda += Juntar(25, "", [](int k) { return " OR c2 = " + std::to_string(k + 100); });
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM W WHERE " + esquerda), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM W WHERE " + direita), "0");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM W WHERE " +
                    Juntar(127, " AND ",
                           [](int k) { return "(c1 = " + std::to_string(k) + " OR c2 = 2)"; })),
              "1");
    EXPECT_EQ(Valor("SELECT " + std::string(250, '(') + "1" + std::string(250, ')')), "1");
}

// Real nesting keeps its limit, and refusing it never brings the process down.
TEST_F(Cadeias, AninhamentoRealTemLimite) {
    std::string alternado = "c1 = 0";
    for (int k = 1; k < 300; ++k)
        alternado =
            "(" + alternado + (k % 2 ? " OR " : " AND ") + "c2 = " + std::to_string(k) + ")";
    EXPECT_EQ(Numero("SELECT COUNT(*) FROM W WHERE " + alternado), 191);
    EXPECT_EQ(Numero("SELECT " + std::string(20000, '(') + "1" + std::string(20000, ')')), 191);
    std::string abs;
    for (int k = 0; k < 5000; ++k) abs += "ABS(";
    EXPECT_EQ(Numero("SELECT " + abs + "1" + std::string(5000, ')')), 191);
    EXPECT_EQ(Valor("SELECT 1"), "1");
}

}  // namespace
