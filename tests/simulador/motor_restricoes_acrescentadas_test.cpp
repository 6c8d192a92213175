#include "ambiente.hpp"

// CHECKs and DEFAULTs added to a table that already has rows, as the analysis adds them,
// answered as SQL Server answers.
class RestricoesAcrescentadas : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE Itens (Id INT IDENTITY(1,1), Codigo NVARCHAR(10) NOT NULL, "
            "Tipo NVARCHAR(1) NULL, Qtde DEC(10,2) NULL, Dobro AS Qtde * 2)");
        Sql("insert into Itens (Codigo, Tipo, Qtde) values ('A', 'X', -1)");
    }

    void Recusada(const std::string& sql, const std::string& instrucao,
                  const std::string& restricao, const std::string& coluna) {
        EXPECT_EQ(Falha(sql), "The " + instrucao +
                                  " statement conflicted with the CHECK "
                                  "constraint \"" +
                                  restricao +
                                  "\". The conflict occurred in database \"Teste\", table "
                                  "\"dbo.Itens\"" +
                                  (coluna.empty() ? "" : ", column '" + coluna + "'") + ".")
            << sql;
    }
};

// Added after rows exist: WITH CHECK reads them, WITH NOCHECK leaves them, and new or changed
// rows are checked as the column's collation compares; the changed row only when the
// UPDATE writes a column the CHECK reads.
TEST_F(RestricoesAcrescentadas, AcrescentadaComLinhas) {
    Recusada("ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Tipo CHECK (Tipo IN ('S','N'))",
             "ALTER TABLE", "Check_Itens_Tipo", "Tipo");
    Sql("ALTER TABLE Itens WITH NOCHECK ADD CONSTRAINT Check_Itens_Tipo CHECK (Tipo IN ('S','N'))");
    Sql("ALTER TABLE Itens WITH NOCHECK ADD CONSTRAINT Check_Itens_Qtde CHECK ([Qtde] >= 0)");
    Recusada("insert into Itens (Codigo, Tipo) values ('B', 'Y')", "INSERT", "Check_Itens_Tipo",
             "Tipo");
    Recusada("update Itens set Qtde = -2", "UPDATE", "Check_Itens_Qtde", "Qtde");
    Sql("insert into Itens (Codigo, Tipo) values ('B', 's')");
    Sql("insert into Itens (Codigo, Tipo, Qtde) values ('C', NULL, NULL)");
    Sql("update Itens set Codigo = 'Z' where Codigo = 'A'");
    EXPECT_EQ(Valor("select count(*) from Itens where Tipo = 'X' and Qtde = -1"), "1");
    // a NULL where the column takes none is told first
    EXPECT_EQ(Falha("insert into Itens (Codigo, Tipo) values (NULL, 'Y')"),
              "Cannot insert the value NULL into column 'Codigo', table 'Teste.dbo.Itens'; "
              "column does not allow nulls. INSERT fails.");
    db_ = Conectar("Teste");
    Recusada("insert into Itens (Codigo, Tipo) values ('D', 'Y')", "INSERT", "Check_Itens_Tipo",
             "Tipo");
    EXPECT_EQ(Valor("select is_not_trusted from sys.check_constraints where name = "
                    "'Check_Itens_Tipo'"),
              "1");
}

// A rebuilt table keeps its CHECKs; one dropped before the rebuild and made again the same
// after it holds again; a CHECK may read the identity and a computed column.
TEST_F(RestricoesAcrescentadas, TabelaReconstruida) {
    Sql("update Itens set Tipo = 'S', Qtde = 1");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Tipo CHECK (Tipo IN ('S','N'))");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Qtde CHECK (Qtde >= 0)");
    Sql("ALTER TABLE Itens DROP CONSTRAINT Check_Itens_Qtde");
    Sql("ALTER TABLE Itens ALTER COLUMN Codigo NVARCHAR(20) NOT NULL");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Qtde CHECK (Qtde >= 0)");
    Recusada("insert into Itens (Codigo, Tipo, Qtde) values ('B', 'Y', 1)", "INSERT",
             "Check_Itens_Tipo", "Tipo");
    Recusada("insert into Itens (Codigo, Tipo, Qtde) values ('B', 'S', -1)", "INSERT",
             "Check_Itens_Qtde", "Qtde");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Id CHECK (Id < 3)");
    Sql("insert into Itens (Codigo, Tipo, Qtde) values ('B', 'S', 1)");
    Recusada("insert into Itens (Codigo, Tipo, Qtde) values ('C', 'S', 1)", "INSERT",
             "Check_Itens_Id", "Id");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Dobro CHECK (Dobro < 10)");
    Recusada("update Itens set Qtde = 5", "UPDATE", "Check_Itens_Dobro", "Dobro");
    EXPECT_EQ(Valor("select sum(Qtde) from Itens"), "2.00");
}

// A DEFAULT that calls a function, added after the table was made, gives each new row its
// own value: in a new session, and gone with a transaction rolled back.
TEST_F(RestricoesAcrescentadas, PadraoComFuncaoAcrescentado) {
    Sql("ALTER TABLE Itens ADD Quando DATETIME NULL");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Deflt_Itens_Quando DEFAULT (getdate()) FOR Quando");
    Sql("ALTER TABLE Itens ADD Chave UNIQUEIDENTIFIER NULL");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Deflt_Itens_Chave DEFAULT (newid()) FOR Chave");
    db_ = Conectar("Teste");
    Sql("insert into Itens (Codigo) values ('S')");
    Sql("insert into Itens (Codigo) values ('N')");
    EXPECT_EQ(Valor("select count(distinct Chave) from Itens where Quando is not null"), "2");
    EXPECT_EQ(Valor("select count(*) from Itens where Quando is null"), "1");
    Sql("begin transaction");
    Sql("ALTER TABLE Itens DROP CONSTRAINT Deflt_Itens_Quando");
    Sql("insert into Itens (Codigo) values ('B')");
    EXPECT_EQ(Valor("select count(*) from Itens where Quando is null"), "2");
    Sql("rollback");
    Sql("insert into Itens (Codigo) values ('B')");
    EXPECT_EQ(Valor("select count(*) from Itens where Quando is null"), "1");
}

// A table whose rows were all deleted, made again for a DEFAULT, goes on numbering its
// identity after the last value it gave, and its computed column still computes.
TEST_F(RestricoesAcrescentadas, TabelaSemLinhasReconstruida) {
    Sql("insert into Itens (Codigo, Qtde) values ('B', 2)");
    Sql("delete from Itens");
    Sql("ALTER TABLE Itens ADD CONSTRAINT Deflt_Itens_Tipo DEFAULT ('S') FOR Tipo");
    Sql("insert into Itens (Codigo, Qtde) values ('C', 3)");
    auto r = Sql("select Id, Tipo, Dobro from Itens");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "3");
    EXPECT_EQ(Texto(r.linhas[0][1]), "S");
    EXPECT_EQ(Texto(r.linhas[0][2]), "6.00");
}
