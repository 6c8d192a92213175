#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "como_sql_server.hpp"

// The data changes are compiled with their batch, as SQL Server does: bad syntax in any
// of their clauses refuses the batch before its first statement runs.
namespace {

class LeituraDasAlteracoes : public ComoSqlServer {};

TEST_P(LeituraDasAlteracoes, ErroDeSintaxeNumaAlteracaoRecusaOLoteInteiro) {
    const std::string t = Tabela("Intocada");
    Sql("CREATE TABLE [" + t + "] (id int, nome varchar(10))");
    // each statement after an INSERT, with T for the table, and SQL Server's refusal
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"UPDATE T SET id = 2 WHERE id = = 1", "102: Incorrect syntax near '='."},
        {"UPDATE T SET id = 1 + WHERE id = 1", "156: Incorrect syntax near the keyword 'WHERE'."},
        {"DELETE FROM T WHERE id IN (1,)", "102: Incorrect syntax near ')'."},
        {"UPDATE a SET nome = 'b' FROM T a JOIN T b WHERE a.id = 1",
         "156: Incorrect syntax near the keyword 'WHERE'."},
        {"DELETE a FROM T a, WHERE a.id = 1", "156: Incorrect syntax near the keyword 'WHERE'."},
        {"DELETE FROM T OUTPUT deleted.id + WHERE id = 1",
         "156: Incorrect syntax near the keyword 'WHERE'."},
        {"UPDATE T SET id = 2 OUTPUT inserted.id deleted.id", "102: Incorrect syntax near '.'."},
    };
    for (const auto& [instrucao, recusa] : casos) {
        std::string sql = "INSERT T VALUES (1, 'a'); " + instrucao;
        for (std::size_t k = sql.find(" T"); k != std::string::npos; k = sql.find(" T", k + 1))
            if (k + 2 >= sql.size() || sql[k + 2] == ' ') sql.replace(k + 1, 1, "[" + t + "]");
        EXPECT_EQ(Recusa(sql), recusa) << sql;
    }
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
    // named by its table: the one reference to it in the FROM, whatever its alias
    Sql("UPDATE [" + t + "] SET nome = 'n' + f.nome FROM [" + t + "] a JOIN [" + u +
        "] f ON f.id = a.id");
    Sql("DELETE [" + t + "] FROM [" + t + "] a WHERE a.id = 2");
    EXPECT_EQ(Coluna("SELECT CAST(id AS varchar) + nome FROM [" + t + "] ORDER BY id"), "3nz");
    EXPECT_EQ(Recusa("UPDATE [" + t + "] SET nome = 'm' FROM [" + t + "] a JOIN [" + t +
                     "] b ON b.id = a.id"),
              "8154: The table '" + t + "' is ambiguous.");
}

}  // namespace
INSTANTIATE_TEST_SUITE_P(Servidores, LeituraDasAlteracoes, ::testing::Values("simulador", "mssql"));
