#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"

// Doomed transactions: an error out of a trigger, or any error under SET XACT_ABORT ON,
// that a CATCH block takes leaves the transaction open but uncommittable (XACT_STATE()
// -1): it reads, it does not write, and only a whole ROLLBACK ends it.
namespace {

const char* const kCondenada =
    "3930: The current transaction cannot be committed and cannot support operations that write "
    "to the log file. Roll back the transaction.";

class TransacoesCondenadas : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Itens");
        a_ = Tabela("Registro");
        Sql("CREATE TABLE [" + t_ + "] (id int PRIMARY KEY, qtd int NULL)");
        Sql("CREATE TABLE [" + a_ + "] (n int IDENTITY(1,1), op varchar(20) NULL, v int NULL)");
        Sql("INSERT [" + t_ + "] (id, qtd) VALUES (1, 0)");
    }

    void TearDown() override {
        if (!IsSkipped()) {
            try {
                Sql("IF @@TRANCOUNT > 0 ROLLBACK; SET XACT_ABORT OFF");
            } catch (...) {
            }
        }
        ComoSqlServer::TearDown();
    }

    // A trigger on the items whose UPDATE runs `corpo`.
    void GatilhoQueFalha(const std::string& corpo) {
        Sql("CREATE TRIGGER [Falha" + sufixo_ + "] ON [" + t_ + "] FOR UPDATE AS " + corpo);
    }

    std::string Atualizar() { return "UPDATE [" + t_ + "] SET qtd = qtd + 1"; }

    std::string t_, a_;
};

TEST_P(TransacoesCondenadas, ErroDaTriggerNoTryCondenaATransacao) {
    GatilhoQueFalha("INSERT [" + a_ + "] (op, v) VALUES ('gatilho', 1 / 0)");
    // the CATCH block sees the doomed transaction, and may read and roll it back
    EXPECT_EQ(Valor("DECLARE @e varchar(40); BEGIN TRAN; INSERT [" + a_ +
                    "] (op) VALUES ('antes'); BEGIN TRY " + Atualizar() +
                    " END TRY BEGIN CATCH SET @e = CAST(XACT_STATE() AS varchar) + ' ' + "
                    "CAST(@@TRANCOUNT AS varchar) + ' ' + CAST(ERROR_NUMBER() AS varchar) + ' ' + "
                    "CAST((SELECT COUNT(*) FROM [" +
                    a_ + "]) AS varchar) END CATCH; ROLLBACK; SELECT @e"),
              "-1 1 8134 1");
    // it neither commits nor writes; a table variable still takes rows
    EXPECT_EQ(
        Recusa("BEGIN TRAN; BEGIN TRY " + Atualizar() + " END TRY BEGIN CATCH COMMIT END CATCH"),
        kCondenada);
    EXPECT_EQ(Valor("SELECT @@TRANCOUNT"), "0");
    EXPECT_EQ(Recusa("BEGIN TRAN; BEGIN TRY " + Atualizar() + " END TRY BEGIN CATCH INSERT [" + a_ +
                     "] (op) VALUES ('no catch') END CATCH"),
              kCondenada);
    EXPECT_EQ(Valor("DECLARE @log TABLE (m varchar(100)); BEGIN TRAN; BEGIN TRY " + Atualizar() +
                    " END TRY BEGIN CATCH INSERT @log VALUES (ERROR_MESSAGE()); ROLLBACK END "
                    "CATCH; SELECT m FROM @log"),
              "Divide by zero error encountered.");
    // nor goes back to a savepoint
    EXPECT_EQ(Recusa("BEGIN TRAN; SAVE TRAN p; BEGIN TRY " + Atualizar() +
                     " END TRY BEGIN CATCH ROLLBACK TRAN p END CATCH"),
              "3931: The current transaction cannot be committed and cannot be rolled back to a "
              "savepoint. Roll back the entire transaction.");
    // a batch that ends with it open has it undone, and says so
    EXPECT_EQ(Recusa("BEGIN TRAN; INSERT [" + a_ + "] (op) VALUES ('perdida'); BEGIN TRY " +
                     Atualizar() + " END TRY BEGIN CATCH END CATCH"),
              "3998: Uncommittable transaction is detected at the end of the batch. The "
              "transaction is rolled back.");
    EXPECT_EQ(Valor("SELECT @@TRANCOUNT"), "0");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a_ + "]"), "0");
    EXPECT_EQ(Valor("SELECT qtd FROM [" + t_ + "]"), "0");
    // without a transaction of its own the statement's is gone by the CATCH block
    EXPECT_EQ(Valor("DECLARE @e int; BEGIN TRY " + Atualizar() +
                    " END TRY BEGIN CATCH SET @e = XACT_STATE() END CATCH; SELECT @e"),
              "0");
}

TEST_P(TransacoesCondenadas, TriggerQueEngoleOErroAbortaOLote) {
    // the trigger's CATCH block takes the error and leaves the doomed transaction open
    GatilhoQueFalha("BEGIN TRY INSERT [" + a_ +
                    "] (op, v) VALUES ('gatilho', 1 / 0) END TRY BEGIN CATCH IF XACT_STATE() = -1 RETURN END CATCH");
    const std::string msg =
        "3616: An error was raised during trigger execution. The batch has been aborted and the "
        "user transaction, if any, has been rolled back.";
    EXPECT_EQ(Recusa("BEGIN TRAN; INSERT [" + a_ + "] (op) VALUES ('antes'); " + Atualizar() +
                     "; INSERT [" + a_ + "] (op) VALUES ('depois')"),
              msg);
    EXPECT_EQ(Valor("SELECT @@TRANCOUNT"), "0");
    EXPECT_EQ(Recusa(Atualizar() + "; INSERT [" + a_ + "] (op) VALUES ('depois')"), msg);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a_ + "]"), "0");
    EXPECT_EQ(Valor("SELECT qtd FROM [" + t_ + "]"), "0");
}

TEST_P(TransacoesCondenadas, XactAbortNoTryCondenaSemAbortarOLote) {
    EXPECT_EQ(Valor("SELECT XACT_STATE()"), "0");
    EXPECT_EQ(Valor("BEGIN TRAN; SELECT XACT_STATE()"), "1");
    Sql("ROLLBACK");
    const std::string duplicada = "INSERT [" + t_ + "] (id, qtd) VALUES (1, 5)";
    // XACT_ABORT OFF: the duplicate key ends the statement only, and the transaction commits
    EXPECT_EQ(Valor("DECLARE @e int; BEGIN TRAN; INSERT [" + a_ +
                    "] (op) VALUES ('x'); BEGIN TRY " + duplicada +
                    " END TRY BEGIN CATCH SET @e = XACT_STATE() END CATCH; COMMIT; "
                    "SELECT @e"),
              "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a_ + "]"), "1");
    // XACT_ABORT ON: the CATCH block runs in a doomed transaction
    EXPECT_EQ(Valor("SET XACT_ABORT ON; DECLARE @e int; BEGIN TRAN; INSERT [" + a_ +
                    "] (op) VALUES ('y'); BEGIN TRY " + duplicada +
                    " END TRY BEGIN CATCH SET @e = XACT_STATE() END CATCH; ROLLBACK; SELECT @e"),
              "-1");
    EXPECT_EQ(
        Recusa("BEGIN TRAN; BEGIN TRY " + duplicada + " END TRY BEGIN CATCH COMMIT END CATCH"),
        kCondenada);
    // RAISERROR does not doom it
    EXPECT_EQ(Valor("DECLARE @e int; BEGIN TRAN; BEGIN TRY RAISERROR('x', 16, 1) END TRY BEGIN "
                    "CATCH SET @e = XACT_STATE() END CATCH; COMMIT; SELECT @e"),
              "1");
    Sql("SET XACT_ABORT OFF");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM [" + a_ + "]"), "1");
}

}  // namespace
INSTANTIATE_TEST_SUITE_P(Servidores, TransacoesCondenadas, ::testing::Values("simulador", "mssql"));
