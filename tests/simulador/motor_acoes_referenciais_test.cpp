// ON DELETE and ON UPDATE CASCADE, SET NULL and SET DEFAULT, and what SQL Server refuses
// of them.

#include "como_sql_server.hpp"

namespace {

class AcoesReferenciais : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        p_ = Tabela("Pais");
        Sql("CREATE TABLE [" + p_ + "] (id int PRIMARY KEY, nome varchar(10))");
        Sql("INSERT [" + p_ + "] VALUES (1, 'a'), (2, 'b'), (3, 'c')");
    }
    std::string p_;
};

TEST_P(AcoesReferenciais, CascataExcluiEAtualizaAsFilhas) {
    const std::string f = Tabela("Filhas"), n = Tabela("Netas");
    Sql("CREATE TABLE [" + f + "] (id int PRIMARY KEY, pai int REFERENCES [" + p_ +
        "](id) ON DELETE CASCADE ON UPDATE CASCADE)");
    Sql("CREATE TABLE [" + n + "] (id int, filha int CONSTRAINT [FK_" + n + "] FOREIGN KEY "
        "REFERENCES [" + f + "](id) ON DELETE CASCADE)");
    Sql("INSERT [" + f + "] VALUES (10, 1), (11, 1), (20, 2)");
    Sql("INSERT [" + n + "] VALUES (100, 10), (200, 20)");
    EXPECT_EQ(Sql("DELETE FROM [" + p_ + "] WHERE id = 1").linhasAfetadas, 1);
    EXPECT_EQ(Coluna("SELECT id FROM [" + f + "] ORDER BY id"), "20");
    EXPECT_EQ(Coluna("SELECT id FROM [" + n + "] ORDER BY id"), "200");
    Sql("UPDATE [" + p_ + "] SET id = 5 WHERE id = 2");
    EXPECT_EQ(Valor("SELECT pai FROM [" + f + "] WHERE id = 20"), "5");
    EXPECT_EQ(Valor("SELECT delete_referential_action_desc + '/' + update_referential_action_desc "
                    "FROM sys.foreign_keys WHERE name = 'FK_" + n + "'"),
              "CASCADE/NO_ACTION");
}

TEST_P(AcoesReferenciais, SetNullESetDefault) {
    const std::string f = Tabela("Anuladas");
    Sql("CREATE TABLE [" + f + "] (id int, pai int NULL DEFAULT 3 CONSTRAINT [FK_" + f +
        "] REFERENCES [" + p_ + "](id) ON DELETE SET NULL ON UPDATE SET DEFAULT)");
    Sql("INSERT [" + f + "] VALUES (1, 1), (2, 2)");
    Sql("DELETE FROM [" + p_ + "] WHERE id = 1");
    Sql("UPDATE [" + p_ + "] SET id = 7 WHERE id = 2");
    EXPECT_EQ(Coluna("SELECT ISNULL(CAST(pai AS varchar), 'NULL') FROM [" + f + "] ORDER BY id"),
              "NULL,3");
    EXPECT_EQ(Valor("SELECT DELETE_RULE + '/' + UPDATE_RULE FROM "
                    "INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_NAME = 'FK_" +
                    f + "'"),
              "SET NULL/SET DEFAULT");
}

TEST_P(AcoesReferenciais, RecusasDoServidor) {
    const std::string f = Tabela("Recusadas");
    EXPECT_EQ(Recusa("CREATE TABLE [" + f + "] (id int PRIMARY KEY, pai int NOT NULL CONSTRAINT "
                     "[FK_" + f + "] REFERENCES [" + p_ + "](id) ON DELETE SET NULL)"),
              "1761: Cannot create the foreign key \"FK_" + f +
                  "\" with the SET NULL referential action, because one or more referencing "
                  "columns are not nullable.\nCould not create constraint or index. See previous "
                  "errors.");
    EXPECT_EQ(Recusa("CREATE TABLE [" + f + "] (id int PRIMARY KEY, acima int CONSTRAINT [FK_" + f +
                     "] REFERENCES [" + f + "](id) ON DELETE CASCADE)"),
              "1785: Introducing FOREIGN KEY constraint 'FK_" + f + "' on table '" + f +
                  "' may cause cycles or multiple cascade paths. Specify ON DELETE NO ACTION or "
                  "ON UPDATE NO ACTION, or modify other FOREIGN KEY constraints.\nCould not "
                  "create constraint or index. See previous errors.");
}

INSTANTIATE_TEST_SUITE_P(Servidores, AcoesReferenciais, ::testing::Values("simulador", "mssql"));

}  // namespace
