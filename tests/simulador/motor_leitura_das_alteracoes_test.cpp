#include <gtest/gtest.h>

#include "como_sql_server.hpp"

// The data changes are compiled with their batch, as SQL Server does: bad syntax in any
// of their clauses refuses the batch before its first statement runs.
namespace {

class LeituraDasAlteracoes : public ComoSqlServer {};

TEST_P(LeituraDasAlteracoes, ErroDeSintaxeNumaAlteracaoRecusaOLoteInteiro) {
    const std::string t = Tabela("Intocada");
    Sql("CREATE TABLE [" + t + "] (id int, nome varchar(10))");
    const std::string antes = "INSERT [" + t + "] VALUES (1, 'a'); ";
    EXPECT_EQ(Recusa(antes + "UPDATE [" + t + "] SET id = 2 WHERE id = = 1"),
              "102: Incorrect syntax near '='.");
    EXPECT_EQ(Recusa(antes + "UPDATE [" + t + "] SET id = 1 + WHERE id = 1"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa(antes + "DELETE FROM [" + t + "] WHERE id IN (1,)"),
              "102: Incorrect syntax near ')'.");
    EXPECT_EQ(Recusa(antes + "UPDATE a SET nome = 'b' FROM [" + t + "] a JOIN [" + t +
                     "] b WHERE a.id = 1"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa(antes + "DELETE a FROM [" + t + "] a, WHERE a.id = 1"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa(antes + "DELETE FROM [" + t + "] OUTPUT deleted.id + WHERE id = 1"),
              "156: Incorrect syntax near the keyword 'WHERE'.");
    EXPECT_EQ(Recusa(antes + "UPDATE [" + t + "] SET id = 2 OUTPUT inserted.id deleted.id"),
              "102: Incorrect syntax near '.'.");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t + "]"), "0");
}

TEST_P(LeituraDasAlteracoes, AlteracoesComFromProprioAchamOAlvoPeloApelido) {
    const std::string t = Tabela("Alvo"), u = Tabela("Fonte");
    Sql("CREATE TABLE [" + t + "] (id int, nome varchar(10) DEFAULT 'padrão')");
    Sql("CREATE TABLE [" + u + "] (id int, nome varchar(10))");
    Sql("INSERT [" + t + "] VALUES (1, 'a'), (2, 'b'), (3, 'c')");
    Sql("INSERT [" + u + "] VALUES (1, 'x'), (3, 'z')");
    Sql("UPDATE a SET nome = f.nome FROM dbo.[" + t + "] AS a JOIN [" + u +
        "] f ON f.id = a.id WHERE f.id > 1");
    Sql("UPDATE [" + t + "] SET nome = DEFAULT WHERE id = 2");
    Sql("DELETE x FROM [" + u + "] f, [" + t + "] x WHERE x.id = f.id AND f.nome = 'x'");
    EXPECT_EQ(Coluna("SELECT CAST(id AS varchar) + nome FROM [" + t + "] ORDER BY id"),
              "2padrão,3z");
}

}  // namespace
INSTANTIATE_TEST_SUITE_P(Servidores, LeituraDasAlteracoes, ::testing::Values("simulador", "mssql"));
