#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"

// AFTER triggers: they fire once per statement with its inserted and deleted rows,
// within its atomicity, and nest.
namespace {

class Gatilhos : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Itens");
        a_ = Tabela("Auditoria");
        Sql("CREATE TABLE [" + t_ + "] (id int PRIMARY KEY, nome varchar(20) NULL, qtd int NULL)");
        Sql("CREATE TABLE [" + a_ +
            "] (n int IDENTITY(1,1), op char(1), id int NULL, antes varchar(20) NULL, depois "
            "varchar(20) NULL, linhas int NULL)");
    }

    // "op id antes>depois linhas" of each audit row, in order.
    std::string Auditoria() {
        return Coluna(
            "SELECT op + ' ' + ISNULL(CAST(id AS varchar), '-') + ' ' + "
            "ISNULL(antes, '-') + '>' + ISNULL(depois, '-') + ' ' + CAST(linhas AS "
            "varchar) FROM [" +
            a_ + "] ORDER BY n");
    }

    std::string t_, a_;
};

TEST_P(Gatilhos, AuditoriaVeAsLinhasNovasEAntigasDeCadaInstrucao) {
    Sql("CREATE TRIGGER [Ins" + sufixo_ + "] ON [" + t_ +
        "] FOR INSERT AS SET NOCOUNT ON; INSERT [" + a_ +
        "] (op, id, depois, linhas) SELECT 'I', id, nome, @@ROWCOUNT FROM inserted");
    Sql("CREATE TRIGGER [Upd" + sufixo_ + "] ON [" + t_ + "] AFTER UPDATE AS INSERT [" + a_ +
        "] (op, id, antes, depois, linhas) SELECT 'U', d.id, d.nome, i.nome, @@ROWCOUNT FROM "
        "deleted d JOIN inserted i ON i.id = d.id");
    // a second trigger of the same action fires too, also for a statement of no rows
    Sql("CREATE TRIGGER [Upd2" + sufixo_ + "] ON [" + t_ + "] FOR UPDATE AS INSERT [" + a_ +
        "] (op, linhas) SELECT 'C', COUNT(*) FROM inserted");
    Sql("CREATE TRIGGER [Del" + sufixo_ + "] ON [" + t_ + "] FOR DELETE AS INSERT [" + a_ +
        "] (op, id, antes, linhas) SELECT 'D', id, nome, @@ROWCOUNT FROM deleted");
    // the statement's own count reaches the client: the trigger's NOCOUNT does not leak
    EXPECT_EQ(Sql("INSERT [" + t_ + "] (id, nome) VALUES (1, 'um'), (2, 'dois')").linhasAfetadas,
              2);
    EXPECT_EQ(Sql("INSERT [" + t_ + "] (id, nome) SELECT 3, 'tres'").linhasAfetadas, 1);
    Sql("UPDATE [" + t_ + "] SET nome = nome + 'x' WHERE id >= 2");
    Sql("UPDATE [" + t_ + "] SET nome = 'nada' WHERE id = 99");
    Sql("DELETE FROM [" + t_ + "] WHERE id = 1");
    EXPECT_EQ(Auditoria(),
              "I 1 ->um 2,I 2 ->dois 2,I 3 ->tres 1,U 2 dois>doisx 2,U 3 tres>tresx 2,C - -"
              ">- 2,C - ->- 0,D 1 um>- 1");
    EXPECT_EQ(Coluna("SELECT nome FROM [" + t_ + "] ORDER BY id"), "doisx,tresx");
    // TRUNCATE TABLE fires none
    Sql("TRUNCATE TABLE [" + t_ + "]");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a_ + "] WHERE op = 'D'"), "1");
}

TEST_P(Gatilhos, UpdateDeColunaDizOQueOSetNomeou) {
    Sql("CREATE TRIGGER [Col" + sufixo_ + "] ON [" + t_ +
        "] FOR INSERT, UPDATE AS IF UPDATE(nome) INSERT [" + a_ +
        "] (op, depois) VALUES ('N', 'nome') ELSE INSERT [" + a_ +
        "] (op, depois) VALUES ('N', 'outra')");
    Sql("INSERT [" + t_ + "] (id) VALUES (1)");  // an INSERT sets every column
    Sql("UPDATE [" + t_ + "] SET qtd = 5");
    Sql("UPDATE [" + t_ + "] SET qtd = 6, nome = nome");
    EXPECT_EQ(Coluna("SELECT depois FROM [" + a_ + "] ORDER BY n"), "nome,outra,nome");
    // UPDATE starts a statement of its own: the WHERE before it has no condition
    EXPECT_EQ(Recusa("SELECT 1 WHERE UPDATE(nome)"),
              "156: Incorrect syntax near the keyword 'UPDATE'.");
}

TEST_P(Gatilhos, RollbackNaTriggerDesfazTudoEAbortaOLote) {
    Sql("CREATE TRIGGER [Veto" + sufixo_ + "] ON [" + t_ +
        "] FOR INSERT, DELETE AS IF EXISTS (SELECT * FROM inserted WHERE nome = 'proibido') OR "
        "EXISTS (SELECT * FROM deleted WHERE qtd > 0) ROLLBACK TRANSACTION");
    const std::string msg =
        "3609: The transaction ended in the trigger. The batch has been aborted.";
    EXPECT_EQ(Recusa("INSERT [" + t_ + "] (id, nome) VALUES (1, 'ok'), (2, 'proibido'); INSERT [" +
                     t_ + "] (id, nome) VALUES (3, 'depois')"),
              msg);
    EXPECT_EQ(Recusa("BEGIN TRAN; INSERT [" + t_ + "] (id, nome) VALUES (4, 'ok'); INSERT [" + t_ +
                     "] (id, nome) VALUES (5, 'proibido')"),
              msg);
    EXPECT_EQ(Valor("SELECT @@TRANCOUNT"), "0");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "0");
    Sql("INSERT [" + t_ + "] (id, nome, qtd) VALUES (6, 'a', 0), (7, 'b', 1)");
    EXPECT_EQ(Recusa("DELETE FROM [" + t_ + "]"), msg);
    EXPECT_EQ(Coluna("SELECT id FROM [" + t_ + "] ORDER BY id"), "6,7");
    // an error in a trigger undoes its statement and ends the batch
    Sql("CREATE TRIGGER [Erro" + sufixo_ + "] ON [" + t_ + "] FOR UPDATE AS UPDATE [" + a_ +
        "] SET linhas = 1 / 0");
    Sql("INSERT [" + a_ + "] (op) VALUES ('x')");
    EXPECT_EQ(Recusa("UPDATE [" + t_ + "] SET qtd = 9; INSERT [" + a_ + "] (op) VALUES ('y')"),
              "8134: Divide by zero error encountered.");
    EXPECT_EQ(Coluna("SELECT qtd FROM [" + t_ + "] ORDER BY id"), "0,1");
    EXPECT_EQ(Coluna("SELECT op FROM [" + a_ + "]"), "x");
    // RAISERROR neither undoes the transaction nor ends the batch, even under XACT_ABORT
    EXPECT_EQ(Recusa("SET XACT_ABORT ON; BEGIN TRAN; RAISERROR('aviso', 16, 1); INSERT [" + a_ +
                     "] (op) VALUES ('z')"),
              "50000: aviso");
    EXPECT_EQ(Valor("SELECT @@TRANCOUNT"), "1");
    Sql("COMMIT; SET XACT_ABORT OFF");
    EXPECT_EQ(Coluna("SELECT op FROM [" + a_ + "] ORDER BY n"), "x,z");
}

TEST_P(Gatilhos, TriggersAninhamSemSeDispararDeNovo) {
    const std::string b = Tabela("Outra");
    Sql("CREATE TABLE [" + b + "] (id int, nome varchar(20))");
    // T's trigger writes to B, whose trigger writes to the audit table; T's own UPDATE of T
    // does not fire it again
    Sql("CREATE TRIGGER [TparaB" + sufixo_ + "] ON [" + t_ +
        "] FOR INSERT, UPDATE AS BEGIN "
        "INSERT [" +
        b + "] SELECT id, nome FROM inserted; UPDATE [" + t_ +
        "] SET qtd = ISNULL(qtd, 0) + 1 WHERE id IN (SELECT id FROM inserted) END");
    Sql("CREATE TRIGGER [BparaA" + sufixo_ + "] ON [" + b + "] FOR INSERT AS INSERT [" + a_ +
        "] (op, id, depois, linhas) SELECT 'B', id, nome, @@NESTLEVEL FROM inserted");
    Sql("INSERT [" + t_ + "] (id, nome) VALUES (1, 'um')");
    EXPECT_EQ(Auditoria(), "B 1 ->um 2");
    EXPECT_EQ(Valor("SELECT qtd FROM [" + t_ + "]"), "1");
    // a trigger that fires itself through another table stops at the nesting limit
    Sql("CREATE TRIGGER [BparaT" + sufixo_ + "] ON [" + b + "] FOR INSERT AS INSERT [" + t_ +
        "] (id) SELECT MAX(id) + 1 FROM [" + t_ + "]");
    EXPECT_EQ(Recusa("INSERT [" + t_ + "] (id, nome) VALUES (10, 'dez')"),
              "217: Maximum stored procedure, function, trigger, or view nesting level exceeded "
              "(limit 32).");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + t_ + "]"), "1");
    // an INSTEAD OF trigger runs in the statement's place
    const std::string v = Tabela("EmVez");
    Sql("CREATE TABLE [" + v + "] (id int)");
    Sql("CREATE TRIGGER [SemEfeito" + sufixo_ + "] ON [" + v + "] INSTEAD OF INSERT AS RETURN");
    Sql("INSERT [" + v + "] VALUES (1)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + v + "]"), "0");
    // generated scripts enable each trigger after making it: it stays as it was
    Sql("ALTER TABLE [" + v + "] ENABLE TRIGGER [SemEfeito" + sufixo_ + "]");
    Sql("ALTER TABLE [" + t_ + "] ENABLE TRIGGER ALL");
    Sql("INSERT [" + v + "] VALUES (1)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + v + "]"), "0");
    if (GetParam() == "simulador") {
        EXPECT_EQ(Recusa("ALTER TABLE [" + t_ + "] ENABLE TRIGGER [SemEfeito" + sufixo_ + "]"),
                  "4920: ALTER TABLE failed because trigger 'SemEfeito" + sufixo_ +
                      "' does not belong to table '" + t_ + "'.");
        // turning triggers off is refused, not ignored
        EXPECT_EQ(Recusa("ALTER TABLE [" + t_ + "] DISABLE TRIGGER ALL"),
                  "0: O simulador de SQL Server não interpreta a instrução DISABLE TRIGGER.");
        EXPECT_EQ(Recusa("DISABLE TRIGGER [BparaT" + sufixo_ + "] ON [" + b + "]"),
                  "0: O simulador de SQL Server não interpreta a instrução DISABLE TRIGGER.");
    }
}

// A trigger's statements have their own values and sources: the statement that fires it
// goes on with its own after them.
TEST_P(Gatilhos, InstrucoesDaTriggerTemValoresEFontesProprios) {
    Sql("CREATE TRIGGER [Marca" + sufixo_ + "] ON [" + t_ +
        "] FOR UPDATE AS BEGIN SET NOCOUNT ON; INSERT [" + a_ +
        "] (op, id, depois, linhas) VALUES ('U', 7, 'sete', 1); UPDATE x SET antes = i.nome "
        "FROM [" +
        a_ + "] AS x JOIN inserted AS i ON i.id = x.id WHERE x.op = 'I' END");
    Sql("INSERT [" + t_ + "] (id, nome) VALUES (1, 'um'), (2, 'dois')");
    Sql("INSERT [" + a_ + "] (op, id, depois, linhas) VALUES ('I', 1, 'x', 0), ('I', 2, 'y', 0)");
    // an UPDATE with a FROM of its own fires it
    EXPECT_EQ(Sql("UPDATE t SET nome = n.novo FROM [" + t_ +
                  "] AS t JOIN (VALUES (1, 'UM')) AS n (id, novo) ON n.id = t.id")
                  .linhasAfetadas,
              1);
    EXPECT_EQ(Auditoria(), "I 1 UM>x 0,I 2 ->y 0,U 7 ->sete 1");
    // a MERGE's update fires it before the MERGE inserts
    Sql("MERGE [" + t_ +
        "] AS t USING (SELECT 2 AS id, 'DOIS' AS nome UNION ALL SELECT 3, 'tres') AS f ON "
        "f.id = t.id WHEN "
        "MATCHED THEN UPDATE SET nome = f.nome WHEN NOT MATCHED THEN INSERT (id, nome) VALUES "
        "(f.id, f.nome);");
    EXPECT_EQ(Auditoria(), "I 1 UM>x 0,I 2 DOIS>y 0,U 7 ->sete 1,U 7 ->sete 1");
    EXPECT_EQ(Coluna("SELECT nome FROM [" + t_ + "] ORDER BY id"), "UM,DOIS,tres");
}

}  // namespace
INSTANTIATE_TEST_SUITE_P(Servidores, Gatilhos, ::testing::Values("simulador", "mssql"));
