#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"

// The OUTPUT clause of INSERT, UPDATE and DELETE: the rows each statement wrote, to the
// client or INTO a table.
namespace {

class Saida : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Itens");
        Sql("CREATE TABLE [" + t_ +
            "] (id int IDENTITY(1,1) PRIMARY KEY, nome varchar(20) NULL, v int NULL, "
            "preco decimal(10,2) NULL)");
    }

    // "coluna,coluna|valor,valor|..." of a result: its names, then its rows.
    static std::string Tabulado(const zolvek::db::Resultado& r) {
        std::string s;
        for (const auto& c : r.colunas) s += (s.empty() ? "" : ",") + c.nome;
        for (const auto& l : r.linhas) {
            s += "|";
            for (std::size_t k = 0; k < l.size(); ++k)
                s += (k ? "," : "") + SimuladorTeste::Texto(l[k]);
        }
        return s;
    }

    std::string t_;
};

TEST_P(Saida, DevolveAsLinhasEscritasComOsNomesDoSqlServer) {
    EXPECT_EQ(Tabulado(Sql("INSERT INTO [" + t_ +
                           "] (nome, v, preco) OUTPUT inserted.id, inserted.nome VALUES ('a', 1, "
                           "1.5), ('b', 2, 2.25)")),
              "id,nome|1,a|2,b");
    // an alias names it; an expression without one has no name
    EXPECT_EQ(Tabulado(Sql("INSERT [" + t_ +
                           "] (nome, v) OUTPUT inserted.id AS novo, inserted.nome + '!' SELECT "
                           "'c', 3")),
              "novo,|3,c!");
    EXPECT_EQ(Valor("SELECT @@ROWCOUNT"), "1");
    EXPECT_EQ(Tabulado(Sql("UPDATE [" + t_ +
                           "] SET v = v + 1 OUTPUT deleted.v, inserted.v, inserted.preco WHERE "
                           "id >= 2")),
              "v,v,preco|2,3,2.25|3,4,NULL");
    EXPECT_EQ(Tabulado(Sql("DELETE FROM [" + t_ + "] OUTPUT deleted.* WHERE id = 1")),
              "id,nome,v,preco|1,a,1,1.50");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "2");
    EXPECT_EQ(Recusa("INSERT [" + t_ + "] (nome) OUTPUT deleted.id VALUES ('x')"),
              "4104: The multi-part identifier \"deleted.id\" could not be bound.");
}

TEST_P(Saida, IntoGravaNumaTabelaSemTriggersEAsTriggersDoAlvoDisparam) {
    const std::string l = Tabela("Log"), a = Tabela("Auditoria");
    Sql("CREATE TABLE [" + l + "] (id int, antes varchar(20) NULL, depois varchar(20) NULL)");
    Sql("CREATE TABLE [" + a + "] (id int, op char(1))");
    Sql("INSERT [" + t_ + "] (nome) VALUES ('a'), ('b')");
    Sql("CREATE TRIGGER [Upd" + sufixo_ + "] ON [" + t_ + "] FOR UPDATE AS INSERT [" + a +
        "] SELECT id, 'U' FROM inserted");
    auto r = Sql("UPDATE [" + t_ + "] SET nome = nome + 'x' OUTPUT inserted.id, deleted.nome, " +
                 "inserted.nome INTO [" + l + "] WHERE id = 2");
    EXPECT_EQ(r.linhasAfetadas, 1);
    EXPECT_EQ(Tabulado(Sql("SELECT * FROM [" + l + "]")), "id,antes,depois|2,b,bx");
    EXPECT_EQ(Tabulado(Sql("SELECT * FROM [" + a + "]")), "id,op|2,U");
    Sql("DELETE [" + t_ + "] OUTPUT deleted.id INTO [" + l + "] (id) WHERE id = 1");
    EXPECT_EQ(Coluna("SELECT ISNULL(antes, '-') FROM [" + l + "] ORDER BY id"), "-,b");
    // rows to the client from a table whose trigger fires are refused; nothing changes
    EXPECT_EQ(Recusa("UPDATE [" + t_ + "] SET nome = 'z' OUTPUT inserted.id"),
              "334: The target table '" + t_ +
                  "' of the DML statement cannot have any enabled triggers if the statement "
                  "contains an OUTPUT clause without INTO clause.");
    EXPECT_EQ(Coluna("SELECT nome FROM [" + t_ + "]"), "bx");
    EXPECT_EQ(Recusa("DELETE [" + l + "] OUTPUT deleted.id INTO [" + t_ + "] (v)"),
              "331: The target table '" + t_ +
                  "' of the OUTPUT INTO clause cannot have any enabled triggers.");
    EXPECT_EQ(Recusa("DELETE [" + t_ + "] OUTPUT deleted.id INTO [" + l + "]"),
              "213: Column name or number of supplied values does not match table definition.");
    EXPECT_EQ(Coluna("SELECT COUNT(*) FROM [" + t_ + "]"), "1");
    EXPECT_EQ(Coluna("SELECT COUNT(*) FROM [" + l + "]"), "2");
}

TEST_P(Saida, ProcedimentoDevolveAsLinhasExcluidas) {
    Sql("INSERT [" + t_ + "] (nome) VALUES ('a'), ('b')");
    const std::string p = Tabela("Pr");
    Sql("CREATE PROCEDURE [" + p + "] @id int AS DELETE FROM [" + t_ +
        "] OUTPUT deleted.id, deleted.nome WHERE id = @id");
    EXPECT_EQ(Tabulado(Sql("EXEC [" + p + "] 2")), "id,nome|2,b");
    Sql("DROP PROCEDURE [" + p + "]");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Saida, ::testing::Values("simulador", "mssql"));

}  // namespace

namespace {

// MERGE: each row takes the first WHEN clause that holds for it; @@ROWCOUNT counts them all.
TEST_P(Saida, MergeAtualizaInsereEExcluiComoOSqlServer) {
    Sql("INSERT [" + t_ + "] (nome, v) VALUES ('a', 1), ('b', 2), ('c', 3)");
    const std::string merge = "MERGE [" + t_ +
                              "] AS d USING (SELECT 'A' nome, 5 v UNION ALL SELECT 'n', 7) s ON "
                              "d.nome = s.nome WHEN MATCHED AND d.v > 0 THEN UPDATE SET v = d.v "
                              "+ s.v WHEN NOT MATCHED BY TARGET THEN INSERT (nome, v) VALUES "
                              "(s.nome, s.v) WHEN NOT MATCHED BY SOURCE AND d.nome = 'b' THEN "
                              "DELETE OUTPUT $action, inserted.nome, deleted.v;";
    EXPECT_EQ(Tabulado(Sql(merge)), "$action,nome,v|UPDATE,a,1|DELETE,NULL,2|INSERT,n,NULL");
    EXPECT_EQ(Coluna("SELECT nome + ':' + CAST(v AS varchar) FROM [" + t_ + "] ORDER BY nome"),
              "a:6,c:3,n:7");
    EXPECT_EQ(Recusa("MERGE [" + t_ + "] d USING [" + t_ + "] s ON 1 = 1 WHEN MATCHED THEN DELETE;")
                  .substr(0, 71),
              "8672: The MERGE statement attempted to UPDATE or DELETE the same row mo");
    EXPECT_EQ(Recusa("MERGE [" + t_ + "] d USING [" + t_ +
                     "] s ON d.id = s.id WHEN MATCHED THEN "
                     "DELETE"),
              "10713: A MERGE statement must be terminated by a semi-colon (;).");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "3");
}

// $action inside an expression takes its alias from it; bad syntax in the list refuses the
// whole batch before any of it runs.
TEST_P(Saida, MergeDevolveAAcaoEmExpressoesERecusaOLoteMalEscrito) {
    Sql("INSERT [" + t_ + "] (nome, v) VALUES ('a', 1)");
    const std::string merge = "MERGE [" + t_ +
                              "] AS d USING (SELECT 'a' nome UNION ALL SELECT 'z') s ON d.nome "
                              "= s.nome WHEN MATCHED THEN UPDATE SET v = 9 WHEN NOT MATCHED "
                              "THEN INSERT (nome) VALUES (s.nome) OUTPUT LOWER($action) AS a, "
                              "$action, inserted.nome";
    EXPECT_EQ(Tabulado(Sql(merge + ";")), "a,$action,nome|update,UPDATE,a|insert,INSERT,z");
    EXPECT_EQ(Recusa("DELETE FROM [" + t_ + "]; " + merge + " +;"),
              "102: Incorrect syntax near ';'.");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "2");
}

}  // namespace
