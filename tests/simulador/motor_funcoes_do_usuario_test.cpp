#include "ambiente.hpp"
#include "comum/erros.hpp"

// User functions run as SQL Server runs them: a scalar one per row wherever a value goes,
// with its parameters and result converted to their declared types; an inline table one
// as the rows of its query.
class FuncoesDoUsuarioTeste : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE Itens (Id int PRIMARY KEY, Nome varchar(20) NULL, Preco "
            "decimal(10,2) NULL)");
        Sql("INSERT INTO Itens VALUES (1, 'Pao', 1.50), (2, 'Leite', 4.25), (3, 'Cafe', NULL)");
        Sql("CREATE FUNCTION dbo.Dobro(@x int) RETURNS int AS BEGIN RETURN @x * 2 END");
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

TEST_F(FuncoesDoUsuarioTeste, EscalarRodaEmCadaLinhaEOndeCabeUmValor) {
    EXPECT_EQ(Valor("select dbo.Dobro(21)"), "42");
    // parameters and result take their declared types: 2.9 becomes the int 2
    EXPECT_EQ(Valor("select dbo.Dobro(2.9)"), "4");
    Sql("CREATE FUNCTION dbo.ComTaxa(@p decimal(10,2), @taxa decimal(5,2) = 10) "
        "RETURNS decimal(12,3) AS BEGIN\n"
        "  DECLARE @r decimal(12,3)\n"
        "  IF @p IS NULL RETURN 0\n"
        "  SET @r = @p * (1 + @taxa / 100)\n"
        "  RETURN @r\n"
        "END");
    auto r =
        Sql("select Id, dbo.ComTaxa(Preco, DEFAULT) from Itens where dbo.Dobro(Id) >= 4 "
            "order by Id");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[0][1]), "4.675");
    EXPECT_EQ(Texto(r.linhas[1][1]), "0.000");
    EXPECT_EQ(Valor("select dbo.ComTaxa(100, 5)"), "105.000");
    // a body reads tables; nested calls and SET @v = of a batch
    Sql("CREATE FUNCTION dbo.NomeDe(@id int) RETURNS varchar(5) AS BEGIN "
        "RETURN (SELECT Nome FROM Itens WHERE Id = @id) END");
    EXPECT_EQ(Valor("declare @v varchar(30)\nset @v = dbo.NomeDe(dbo.Dobro(1)) + '!'\nselect @v"),
              "Leite!");
    EXPECT_EQ(Valor("select count(*) from Itens where dbo.NomeDe(Id) = 'LEITE'"), "1");
    // ALTER takes effect at once
    Sql("ALTER FUNCTION dbo.Dobro(@x int) RETURNS int AS BEGIN RETURN @x * 3 END");
    EXPECT_EQ(Valor("select dbo.Dobro(2)"), "6");
}

TEST_F(FuncoesDoUsuarioTeste, ChamadasErradasTemAsMensagensDoSqlServer) {
    EXPECT_EQ(Recusa("select Dobro(1)"),
              "195: 'Dobro' is not a recognized built-in function name.");
    EXPECT_EQ(Recusa("select dbo.Dobro()"),
              "313: An insufficient number of arguments were supplied for the procedure or "
              "function dbo.Dobro.");
    EXPECT_EQ(Recusa("select dbo.Dobro(1, 2)"),
              "8144: Procedure or function dbo.Dobro has too many arguments specified.");
    EXPECT_EQ(Recusa("select dbo.Dobro(DEFAULT)"),
              "313: An insufficient number of arguments were supplied for the procedure or "
              "function dbo.Dobro.");
    EXPECT_EQ(Recusa("select dbo.Nada(1)"),
              "4121: Cannot find either column \"dbo\" or the user-defined function or "
              "aggregate \"dbo.Nada\", or the name is ambiguous.");
    EXPECT_EQ(Recusa("select dbo.Dobro('x')"),
              "245: Conversion failed when converting the varchar value 'x' to data type int.");
    EXPECT_EQ(Recusa("select * from dbo.Dobro(1)"), "208: Invalid object name 'dbo.Dobro'.");
}

TEST_F(FuncoesDoUsuarioTeste, ErrosDoCorpoERecursaoChegamAoChamador) {
    Sql("CREATE FUNCTION dbo.Razao(@a int, @b int) RETURNS int AS BEGIN RETURN @a / @b END");
    EXPECT_EQ(Recusa("select Id, dbo.Razao(10, Id - 2) from Itens"),
              "8134: Divide by zero error encountered.");
    Sql("CREATE FUNCTION dbo.Fatorial(@n int) RETURNS bigint AS BEGIN\n"
        "  IF @n <= 1 RETURN 1\n"
        "  RETURN @n * dbo.Fatorial(@n - 1)\n"
        "END");
    EXPECT_EQ(Valor("select dbo.Fatorial(20)"), "2432902008176640000");
    EXPECT_EQ(Recusa("select dbo.Fatorial(40)"),
              "217: Maximum stored procedure, function, trigger, or view nesting level exceeded "
              "(limit 32).");
    // the batch goes on afterwards: nothing of the failed calls stays behind
    EXPECT_EQ(Valor("select dbo.Fatorial(5)"), "120");
}

TEST_F(FuncoesDoUsuarioTeste, CorpoComEfeitoColateralEhRecusadoAoCriar) {
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS int AS BEGIN "
                     "INSERT INTO Itens VALUES (9, 'x', 1) RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'INSERT' within a function.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS int AS BEGIN "
                     "RAISERROR('x', 16, 1) RETURN 1 END"),
              "443: Invalid use of a side-effecting operator 'RAISERROR' within a function.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS int AS BEGIN "
                     "SELECT Nome FROM Itens RETURN 1 END"),
              "444: Select statements included within a function cannot return data to a "
              "client.");
}

TEST_F(FuncoesDoUsuarioTeste, FuncaoDeTabelaEmLinhaEhUmaTabelaDerivada) {
    Sql("CREATE FUNCTION dbo.Caros(@minimo decimal(10,2) = 2) RETURNS TABLE AS RETURN "
        "(SELECT Id, Nome, Preco FROM Itens WHERE Preco >= @minimo)");
    auto r = Sql("select * from dbo.Caros(1) order by Id");
    ASSERT_EQ(r.linhas.size(), 2u);
    ASSERT_EQ(r.colunas.size(), 3u);
    EXPECT_EQ(Texto(r.linhas[1][2]), "4.25");
    EXPECT_EQ(Valor("select count(*) from dbo.Caros(DEFAULT)"), "1");
    EXPECT_EQ(Valor("declare @m int = 4\n"
                    "select i.Nome from Itens i join dbo.Caros(@m) c on c.Id = i.Id"),
              "Leite");
    EXPECT_EQ(Valor("select Caros.Nome from dbo.Caros(4)"), "Leite");
    EXPECT_EQ(Recusa("select dbo.Caros(1)"),
              "4121: Cannot find either column \"dbo\" or the user-defined function or "
              "aggregate \"dbo.Caros\", or the name is ambiguous.");
    Sql("CREATE FUNCTION dbo.Lista() RETURNS @r TABLE (Id int) AS BEGIN "
        "INSERT INTO @r SELECT Id FROM Itens RETURN END");
    EXPECT_EQ(Valor("select count(*) from dbo.Lista()"), "3");
}
