#include "ambiente.hpp"
#include "comum/erros.hpp"

// Multi-statement table functions: the body fills its return table, whose rows are a
// table source wherever a table goes, for the arguments of each call.
class FuncoesDeTabelaTeste : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE Itens (Id int PRIMARY KEY, Nome varchar(20) NULL)");
        Sql("INSERT INTO Itens VALUES (1, 'Pao'), (2, 'Leite'), (3, 'Cafe'), (4, 'Sal')");
        Sql("CREATE FUNCTION dbo.Dobro(@x int) RETURNS int AS BEGIN RETURN @x * 2 END");
        Sql("CREATE FUNCTION dbo.Faixa(@de int, @ate int = 3)\n"
            "RETURNS @r TABLE (n int PRIMARY KEY, nome varchar(20) NULL, dobro int NULL)\n"
            "AS BEGIN\n"
            "  DECLARE @i int = @de\n"
            "  WHILE @i <= @ate BEGIN\n"
            "    INSERT @r (n) VALUES (@i)\n"
            "    SET @i = @i + 1\n"
            "  END\n"
            "  UPDATE r SET nome = i.Nome FROM @r r JOIN Itens i ON i.Id = r.n\n"
            "  UPDATE @r SET dobro = dbo.Dobro(n)\n"
            "  DELETE FROM @r WHERE nome IS NULL AND n > 10\n"
            "  RETURN\n"
            "END");
    }

    // The rows of a query, "a,b;c,d".
    std::string Linhas(const std::string& sql) {
        std::string s;
        for (const auto& l : Sql(sql).linhas) {
            if (!s.empty()) s += ";";
            for (std::size_t k = 0; k < l.size(); ++k) s += (k ? "," : "") + Texto(l[k]);
        }
        return s;
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

TEST_F(FuncoesDeTabelaTeste, CorpoEncheATabelaQueAConsultaLe) {
    EXPECT_EQ(Linhas("select * from dbo.Faixa(1, 3) order by n"), "1,Pao,2;2,Leite,4;3,Cafe,6");
    auto r = Sql("select * from dbo.Faixa(2, 2)");
    ASSERT_EQ(r.colunas.size(), 3u);
    EXPECT_EQ(r.colunas[1].nome, "nome");
    // DEFAULT takes the parameter's default; a call past the items gives rows without names
    EXPECT_EQ(Linhas("select count(*), max(n) from dbo.Faixa(2, DEFAULT)"), "2,3");
    EXPECT_EQ(Linhas("select n, nome from dbo.Faixa(4, 6) order by n"), "4,Sal;5,NULL;6,NULL");
    EXPECT_EQ(Valor("select count(*) from dbo.Faixa(5, 1)"), "0");
    // with an alias, joined, in a subquery, with arguments from variables and expressions
    EXPECT_EQ(Linhas("select i.Nome, f.dobro from Itens i join dbo.Faixa(2, 3) f on f.n = i.Id "
                     "order by i.Id"),
              "Leite,4;Cafe,6");
    EXPECT_EQ(Linhas("select Faixa.nome from dbo.Faixa(4, 4)"), "Sal");
    EXPECT_EQ(Linhas("select Nome from Itens where Id in (select n from dbo.Faixa(2, 2))"),
              "Leite");
    EXPECT_EQ(Valor("declare @a int = 2\nselect max(n) from dbo.Faixa(@a, @a + dbo.Dobro(1))"),
              "4");
    // a subquery's call takes the outer row's values, once per row
    EXPECT_EQ(Linhas("select Id, (select count(*) from dbo.Faixa(1, i.Id)) from Itens i "
                     "where Id <= 3 order by Id"),
              "1,1;2,2;3,3");
    // two calls in one statement, and its rows into a table
    EXPECT_EQ(Valor("select count(*) from dbo.Faixa(1, 2) a cross join dbo.Faixa(1, 3) b"), "6");
    Sql("CREATE TABLE Copia (n int, nome varchar(20))");
    Sql("INSERT INTO Copia SELECT n, nome FROM dbo.Faixa(1, 4)");
    EXPECT_EQ(Valor("select count(*) from Copia"), "4");
}

TEST_F(FuncoesDeTabelaTeste, ErrosDoCorpoChegamAoChamadorEATabelaVolta) {
    Sql("CREATE FUNCTION dbo.Repete(@n int) RETURNS @r TABLE (n int PRIMARY KEY) AS BEGIN\n"
        "  INSERT @r VALUES (1)\n"
        "  IF @n > 1 INSERT @r VALUES (1)\n"
        "  RETURN\n"
        "END");
    EXPECT_EQ(Valor("select count(*) from dbo.Repete(1)"), "1");
    const std::string erro = Recusa("select count(*) from dbo.Repete(2)");
    EXPECT_EQ(erro.substr(0, 6), "2627: ") << erro;
    EXPECT_EQ(Recusa("select * from dbo.Faixa(1, 1/0)"), "8134: Divide by zero error encountered.");
    // the call after a failed one starts from an empty table
    EXPECT_EQ(Valor("select count(*) from dbo.Repete(1)"), "1");
    EXPECT_EQ(Linhas("select * from dbo.Faixa(3, 3)"), "3,Cafe,6");
    // the caller's own @r lives on, apart from the function's
    EXPECT_EQ(Recusa("declare @r table (x int)\nselect * from dbo.Repete(1)"),
              "0: O simulador de SQL Server não chama uma função cuja tabela de retorno tem o "
              "nome de uma variável de tabela que já existe (@r).");
    EXPECT_EQ(Valor("declare @r table (x int)\ninsert @r values (7)\nselect x from @r"), "7");
    // functions whose return tables share a name, not their columns, in one statement
    EXPECT_EQ(Valor("select count(*) from dbo.Faixa(1, 2) a cross join dbo.Repete(1) b"), "2");
    EXPECT_EQ(Linhas("select (select count(*) from dbo.Repete(1)), n from dbo.Faixa(1, 2) "
                     "order by n"),
              "1,1;1,2");
    // the arguments do not see the tables beside the call in its FROM
    EXPECT_EQ(Recusa("select * from Itens i join dbo.Repete(i.Id) r on r.n = i.Id"),
              "4104: The multi-part identifier \"i.Id\" could not be bound.");
    EXPECT_EQ(Recusa("select * from Itens, dbo.Repete(Id) r"), "207: Invalid column name 'Id'.");
    EXPECT_EQ(Recusa("select * from dbo.Repete(1, 2)"),
              "8144: Procedure or function dbo.Repete has too many arguments specified.");
    EXPECT_EQ(Recusa("select dbo.Repete(1)"),
              "4121: Cannot find either column \"dbo\" or the user-defined function or "
              "aggregate \"dbo.Repete\", or the name is ambiguous.");
}

TEST_F(FuncoesDeTabelaTeste, CriacaoRecusaOQueOSqlServerRecusa) {
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS @r TABLE (n int) AS BEGIN "
                     "INSERT INTO Itens VALUES (9, 'x') RETURN END"),
              "443: Invalid use of a side-effecting operator 'INSERT' within a function.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS @r TABLE (n int) AS BEGIN "
                     "UPDATE Itens SET Nome = 'x' RETURN END"),
              "443: Invalid use of a side-effecting operator 'UPDATE' within a function.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS @r TABLE (n int) AS BEGIN "
                     "INSERT @r VALUES (1) RETURN 1 END"),
              "178: A RETURN statement with a return value cannot be used in this context.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS @r TABLE (n int) AS BEGIN "
                     "SELECT n FROM @r RETURN END"),
              "444: Select statements included within a function cannot return data to a "
              "client.");
    EXPECT_EQ(Recusa("CREATE FUNCTION dbo.Ruim() RETURNS @r TABLE (n int) AS BEGIN "
                     "INSERT @r VALUES (1) END"),
              "455: The last statement included within a function must be a return statement.");
    EXPECT_EQ(Valor("select count(*) from sys.objects where name = 'Ruim'"), "0");
}

TEST_F(FuncoesDeTabelaTeste, CatalogoAlterarEExcluir) {
    EXPECT_EQ(Linhas("select type, type_desc from sys.objects where name = 'Faixa'"),
              "TF,SQL_TABLE_VALUED_FUNCTION");
    EXPECT_EQ(Linhas("select objectproperty(object_id('dbo.Faixa'), 'IsTableFunction'), "
                     "objectproperty(object_id('dbo.Dobro'), 'IsTableFunction')"),
              "1,0");
    EXPECT_EQ(Linhas("select ROUTINE_TYPE, DATA_TYPE from INFORMATION_SCHEMA.ROUTINES "
                     "where ROUTINE_NAME = 'Faixa'"),
              "FUNCTION,TABLE");
    // ALTER gives new columns at once, in the same session
    Sql("ALTER FUNCTION dbo.Faixa(@de int, @ate int = 3) RETURNS @r TABLE (n int, quadrado "
        "bigint) AS BEGIN\n"
        "  INSERT @r SELECT Id, Id * Id FROM Itens WHERE Id BETWEEN @de AND @ate\n"
        "  RETURN\n"
        "END");
    EXPECT_EQ(Linhas("select * from dbo.Faixa(3, 4) order by n"), "3,9;4,16");
    Sql("DROP FUNCTION dbo.Faixa");
    EXPECT_EQ(Recusa("select * from dbo.Faixa(1, 2)"), "208: Invalid object name 'dbo.Faixa'.");
    EXPECT_EQ(Valor("select count(*) from sys.objects where type = 'TF'"), "0");
}
