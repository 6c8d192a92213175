#include "ambiente.hpp"
#include "comum/erros.hpp"

// User functions in a table's DEFAULT and CHECK constraints: each insert and update runs
// them, and the function cannot be dropped or altered while a constraint calls it.
class FuncoesEmRestricoesTeste : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE FUNCTION dbo.Taxa() RETURNS decimal(5,2) AS BEGIN RETURN 1.25 END");
        Sql("CREATE FUNCTION dbo.Valido(@v decimal(10,2)) RETURNS bit AS BEGIN "
            "RETURN CASE WHEN @v > 0 THEN 1 ELSE 0 END END");
        Sql("CREATE TABLE Pedidos (Id int PRIMARY KEY,\n"
            "  Valor decimal(10,2) NULL CONSTRAINT CK_Pedidos_Valor CHECK (dbo.Valido(Valor) = "
            "1),\n"
            "  Taxa decimal(5,2) NULL CONSTRAINT DF_Pedidos_Taxa DEFAULT dbo.Taxa())");
    }

    // "número: mensagem" of a batch that must fail
    std::string Recusa(const std::string& sql) {
        try {
            Sql(sql);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + ": " + e.what();
        }
        return "(sem erro)";
    }
};

TEST_F(FuncoesEmRestricoesTeste, InsercoesEAtualizacoesRodamAsFuncoes) {
    Sql("INSERT INTO Pedidos (Id, Valor) VALUES (1, 10)");
    Sql("INSERT INTO Pedidos (Id, Valor, Taxa) VALUES (2, 5, DEFAULT)");
    Sql("INSERT INTO Pedidos (Id, Valor, Taxa) VALUES (3, 7, 2)");
    Sql("INSERT INTO Pedidos (Id, Valor) SELECT 4, 8");
    EXPECT_EQ(Valor("select count(*) from Pedidos where Taxa = 1.25"), "3");
    EXPECT_EQ(Valor("select sum(Taxa) from Pedidos"), "5.75");
    EXPECT_EQ(Recusa("INSERT INTO Pedidos (Id, Valor) VALUES (5, -1)"),
              "547: The INSERT statement conflicted with the CHECK constraint "
              "\"CK_Pedidos_Valor\". The conflict occurred in database \"Teste\", table "
              "\"dbo.Pedidos\", column 'Valor'.");
    EXPECT_EQ(Recusa("UPDATE Pedidos SET Valor = 0 WHERE Id = 1"),
              "547: The UPDATE statement conflicted with the CHECK constraint "
              "\"CK_Pedidos_Valor\". The conflict occurred in database \"Teste\", table "
              "\"dbo.Pedidos\", column 'Valor'.");
    EXPECT_EQ(Valor("select Valor from Pedidos where Id = 1"), "10.00");
    // a constraint added later checks the rows there
    Sql("CREATE FUNCTION dbo.Limite() RETURNS int AS BEGIN RETURN 9 END");
    EXPECT_EQ(Recusa("ALTER TABLE Pedidos ADD CONSTRAINT CK_Limite CHECK (Valor < dbo.Limite())"),
              "547: The ALTER TABLE statement conflicted with the CHECK constraint "
              "\"CK_Limite\". The conflict occurred in database \"Teste\", table "
              "\"dbo.Pedidos\", column 'Valor'.");
    Sql("ALTER TABLE Pedidos ADD CONSTRAINT DF_Valor DEFAULT (dbo.Limite() - 1) FOR Valor");
    Sql("INSERT INTO Pedidos (Id) VALUES (6)");
    EXPECT_EQ(Valor("select Valor from Pedidos where Id = 6"), "8.00");
}

TEST_F(FuncoesEmRestricoesTeste, FuncaoChamadaPorRestricaoNaoSaiNemMuda) {
    EXPECT_EQ(Recusa("DROP FUNCTION dbo.Valido"),
              "3729: Cannot DROP FUNCTION 'dbo.Valido' because it is being referenced by object "
              "'CK_Pedidos_Valor'.");
    EXPECT_EQ(Recusa("ALTER FUNCTION dbo.Taxa() RETURNS decimal(5,2) AS BEGIN RETURN 2 END"),
              "3729: Cannot ALTER 'dbo.Taxa' because it is being referenced by object "
              "'DF_Pedidos_Taxa'.");
    Sql("INSERT INTO Pedidos (Id, Valor) VALUES (1, 10)");
    EXPECT_EQ(Valor("select Taxa from Pedidos"), "1.25");
    // without the constraint, both go
    Sql("ALTER TABLE Pedidos DROP CONSTRAINT DF_Pedidos_Taxa");
    Sql("ALTER FUNCTION dbo.Taxa() RETURNS decimal(5,2) AS BEGIN RETURN 2 END");
    Sql("DROP FUNCTION dbo.Taxa");
    EXPECT_EQ(Recusa("CREATE TABLE Outra (Id int, T int DEFAULT dbo.Nada())"),
              "4121: Cannot find either column \"dbo\" or the user-defined function or "
              "aggregate \"dbo.Nada\", or the name is ambiguous.");
}
