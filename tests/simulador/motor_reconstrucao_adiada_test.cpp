#include "ambiente.hpp"

// A table changed while it has no rows (its DEFAULTs, CHECKs, nullability, indexes, foreign
// keys) is made again only before its first row goes in: the rows then get exactly what the
// catalog says, in every way a row can go in, however the change was undone or made.
class ReconstrucaoAdiada : public SimuladorTeste {
  protected:
    std::string NuloRecusado(const std::string& coluna, const std::string& tabela) {
        return "Cannot insert the value NULL into column '" + coluna + "', table 'Teste.dbo." +
               tabela + "'; column does not allow nulls. INSERT fails.";
    }
    std::string CheckRecusado(const std::string& restricao, const std::string& tabela,
                              const std::string& coluna) {
        return "The INSERT statement conflicted with the CHECK constraint \"" + restricao +
               "\". The conflict occurred in database \"Teste\", table \"dbo." + tabela +
               "\", column '" + coluna + "'.";
    }
};

// What was added holds at the first row; what was dropped (the table was made with it)
// no longer does.
TEST_F(ReconstrucaoAdiada, APrimeiraLinhaTemOQueOCatalogoDiz) {
    Sql("CREATE TABLE Pedidos (Id INT NOT NULL CONSTRAINT Check_Id CHECK (Id > 5), "
        "Cliente NVARCHAR(10) NULL, Qtde INT NULL, Obs NVARCHAR(10) NOT NULL "
        "CONSTRAINT Deflt_Obs DEFAULT ('nada'))");
    Sql("ALTER TABLE Pedidos ADD CONSTRAINT Deflt_Qtde DEFAULT (7) FOR Qtde");
    Sql("ALTER TABLE Pedidos ADD CONSTRAINT Check_Qtde CHECK (Qtde > 0)");
    Sql("ALTER TABLE Pedidos ALTER COLUMN Cliente NVARCHAR(10) NOT NULL");
    Sql("ALTER TABLE Pedidos DROP CONSTRAINT Check_Id");
    Sql("ALTER TABLE Pedidos ALTER COLUMN Id INT NULL");
    Sql("ALTER TABLE Pedidos DROP CONSTRAINT Deflt_Obs");
    Sql("ALTER TABLE Pedidos ALTER COLUMN Obs NVARCHAR(10) NULL");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Pedidos"), "0");
    EXPECT_EQ(Falha("INSERT INTO Pedidos (Id) VALUES (1)"), NuloRecusado("Cliente", "Pedidos"));
    EXPECT_EQ(Falha("INSERT INTO Pedidos (Id, Cliente, Qtde) VALUES (1, 'A', 0)"),
              CheckRecusado("Check_Qtde", "Pedidos", "Qtde"));
    Sql("INSERT INTO Pedidos (Id, Cliente) VALUES (NULL, 'A')");
    Sql("INSERT INTO Pedidos (Id, Cliente) VALUES (1, 'B')");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Pedidos WHERE Qtde = 7 AND Obs IS NULL"), "2");
    // a table with rows is made again at once, its rows checked
    EXPECT_EQ(Falha("ALTER TABLE Pedidos ALTER COLUMN Obs NVARCHAR(10) NOT NULL"),
              "Cannot insert the value NULL into column 'Obs', table 'Teste.dbo.Pedidos'; "
              "column does not allow nulls. UPDATE fails.");
}

// The making undone with the statement or the transaction that made it: the next row still
// finds the table made as the catalog says.
TEST_F(ReconstrucaoAdiada, DesfeitaComAInstrucaoOuATransacao) {
    Sql("CREATE TABLE Notas (Valor INT NULL)");
    Sql("ALTER TABLE Notas ALTER COLUMN Valor INT NOT NULL");
    Sql("BEGIN TRAN");
    EXPECT_EQ(Falha("INSERT INTO Notas VALUES (NULL)"), NuloRecusado("Valor", "Notas"));
    Sql("ROLLBACK");
    EXPECT_EQ(Falha("INSERT INTO Notas VALUES (NULL)"), NuloRecusado("Valor", "Notas"));

    // made by a trigger's INSERT, undone with the statement that fired it
    Sql("CREATE TABLE Itens (Valor INT NULL)");
    Sql("CREATE TABLE Entradas (Valor INT NULL)");
    Sql("CREATE TRIGGER Entradas_Itens ON Entradas AFTER INSERT AS "
        "INSERT INTO Itens SELECT Valor FROM inserted; SELECT 1 / 0");
    for (const char* inicio : {"", "BEGIN TRAN "}) {
        Sql("ALTER TABLE Itens ALTER COLUMN Valor INT NULL");
        Sql("ALTER TABLE Itens ALTER COLUMN Valor INT NOT NULL");
        EXPECT_EQ(Recusa(std::string(inicio) + "INSERT INTO Entradas VALUES (1)").first, 8134);
        Sql("IF @@TRANCOUNT > 0 COMMIT");
        EXPECT_EQ(Falha("INSERT INTO Itens VALUES (NULL)"), NuloRecusado("Valor", "Itens"));
    }
    // made by the failing INSERT of a table with triggers, in a transaction that goes on
    Sql("CREATE TABLE Saidas (Valor INT NULL)");
    Sql("ALTER TABLE Saidas ALTER COLUMN Valor INT NOT NULL");
    Sql("CREATE TRIGGER Saidas_Nada ON Saidas AFTER INSERT AS SET NOCOUNT ON");
    Sql("BEGIN TRAN");
    EXPECT_EQ(Falha("INSERT INTO Saidas VALUES (NULL)"), NuloRecusado("Valor", "Saidas"));
    EXPECT_EQ(Falha("INSERT INTO Saidas VALUES (NULL)"), NuloRecusado("Valor", "Saidas"));
    EXPECT_EQ(Valor("SELECT @@TRANCOUNT"), "1");
    Sql("COMMIT");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Itens") + Valor("SELECT COUNT(*) FROM Entradas") +
                  Valor("SELECT COUNT(*) FROM Saidas"),
              "000");
}

// A foreign key and an index added to a table without rows wait with it; a trigger's
// INSERT makes the table as well; the referenced side refuses once the first row is in.
TEST_F(ReconstrucaoAdiada, ChavesIndicesEGatilhos) {
    Sql("CREATE TABLE Pai (Id INT NOT NULL PRIMARY KEY)");
    Sql("CREATE TABLE Filho (Id INT NOT NULL, PaiId INT NULL)");
    Sql("ALTER TABLE Filho ADD CONSTRAINT Deflt_PaiId DEFAULT (1) FOR PaiId");
    Sql("ALTER TABLE Filho ADD CONSTRAINT FK_Filho_Pai FOREIGN KEY (PaiId) REFERENCES Pai (Id)");
    Sql("CREATE UNIQUE INDEX IX_Filho ON Filho (Id)");
    EXPECT_EQ(Recusa("INSERT INTO Filho (Id) VALUES (1)").first, 547);
    Sql("CREATE TRIGGER Pai_Filho ON Pai AFTER INSERT AS "
        "INSERT INTO Filho (Id) SELECT Id FROM inserted");
    Sql("INSERT INTO Pai VALUES (1)");
    EXPECT_EQ(Valor("SELECT CAST(Id AS VARCHAR) + '/' + CAST(PaiId AS VARCHAR) FROM Filho"), "1/1");
    EXPECT_EQ(Recusa("INSERT INTO Filho (Id) VALUES (1)").first, 2601);
    EXPECT_EQ(Recusa("DELETE FROM Pai").first, 547);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Pai"), "1");
}

// Another session makes the table at its own first row, and this one then finds it made.
TEST_F(ReconstrucaoAdiada, OutraSessao) {
    Sql("CREATE TABLE Contas (A INT NULL, B INT NULL)");
    Sql("ALTER TABLE Contas ADD CONSTRAINT Deflt_B DEFAULT (5) FOR B");
    auto outra = Conectar("Teste");
    Sql("INSERT INTO Contas (A) VALUES (1)", {}, outra.get());
    Sql("INSERT INTO Contas (A) VALUES (2)");
    Sql("ALTER TABLE Contas ADD CONSTRAINT Check_A CHECK (A < 3)");
    EXPECT_EQ(Falha("INSERT INTO Contas (A) VALUES (3)", outra.get()),
              CheckRecusado("Check_A", "Contas", "A"));
    EXPECT_EQ(Valor("SELECT SUM(B) FROM Contas"), "10");
}

// The table is made by the engine, whatever the rights of the user whose INSERT waits for it:
// one who may only insert still gets the row in, and is still refused what he may not do.
TEST_F(ReconstrucaoAdiada, UsuarioQueSoInsere) {
    Sql("CREATE TABLE Pai (Id INT NOT NULL PRIMARY KEY)");
    Sql("INSERT INTO Pai VALUES (1)");
    Sql("CREATE TABLE Registros (Id INT NULL, B INT NULL)");
    Sql("ALTER TABLE Registros ADD CONSTRAINT Deflt_B DEFAULT (1) FOR B");
    Sql("ALTER TABLE Registros ADD CONSTRAINT FK_Registros_Pai FOREIGN KEY (B) REFERENCES Pai "
        "(Id)");
    Sql("CREATE LOGIN Operador WITH PASSWORD = 'x1'");
    Sql("CREATE USER Operador FOR LOGIN Operador");
    Sql("GRANT INSERT ON Registros TO Operador");
    auto operador = Conectar("Teste", "Operador", "x1");
    Sql("INSERT INTO Registros (Id) VALUES (1)", {}, operador.get());
    EXPECT_EQ(Recusa("SELECT * FROM Registros", operador.get()).first, 229);
    EXPECT_EQ(Valor("SELECT CAST(Id AS VARCHAR) + '/' + CAST(B AS VARCHAR) FROM Registros"), "1/1");
}
