#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"

using namespace zolvek::simulador;

namespace {

// The SQLite text the engine makes of a whole T-SQL run.
std::string ParaSqlite(const std::string& tsql) {
    auto t = Tokenizar(tsql);
    auto ordinais = NumerarParametros(t);
    ContextoDeReescrita ctx;
    ctx.ordinais = &ordinais;
    return Reescrever(t, {0, t.size()}, ctx);
}

}  // namespace

TEST(ArvoreDeExpressoes, GeraOTextoDoSqlite) {
    EXPECT_EQ(ParaSqlite("select top 2 Nome = a + 'x', b from dbo.T (nolock) where c !< ? "
                         "order by 1 desc"),
              "SELECT zv_mais(a, 'x') AS \"Nome\", b FROM \"T\" WHERE c >= ?1 ORDER BY 1 DESC "
              "LIMIT 2");
    EXPECT_EQ(ParaSqlite("select id from T union select top 1 id from [U] with (nolock) "
                         "order by id"),
              "SELECT id FROM \"T\" UNION SELECT * FROM (SELECT id FROM \"U\" LIMIT 1) ORDER "
              "BY id");
    EXPECT_EQ(ParaSqlite("cast(x as decimal(18, 4)) + convert(varchar(10), getdate(), 103)"),
              "zv_mais(zv_cast(x, 'decimal(18,4)'), zv_convert('varchar(10)', zv_getdate(), "
              "103))");
    // DATEDIFF is an int: the text beside it converts to int, as SQL Server converts it
    EXPECT_EQ(ParaSqlite("case when a between 1 and 2 then datediff(day, b, c) end = 'x'"),
              "CASE WHEN a BETWEEN 1 AND 2 THEN zv_datediff('day', b, c) END = "
              "zv_conv('x',0,0,0,0)");
    EXPECT_EQ(ParaSqlite("not exists (select * from sys.objects o where o.name like 'a%')"),
              "NOT EXISTS (SELECT * FROM zv_sys_objects AS \"o\" WHERE \"o\".\"name\" LIKE 'a%')");
    EXPECT_EQ(ParaSqlite("- -1"), "-(-1)");
    EXPECT_EQ(ParaSqlite("(select 1) union (select 2) order by 1"),
              "SELECT * FROM (SELECT 1) UNION SELECT * FROM (SELECT 2) ORDER BY 1");
}

TEST(ArvoreDeExpressoes, RecusaOQueNaoLe) {
    auto falha = [](const std::string& sql) -> std::string {
        try {
            ParaSqlite(sql);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(sem erro)";
    };
    EXPECT_EQ(falha("select a from T where"), "Incorrect syntax near the end of the batch.");
    EXPECT_EQ(falha("select (a from T"), "Incorrect syntax near the keyword 'from'.");
    EXPECT_EQ(falha("select a from T x y"), "Incorrect syntax near 'y'.");
    EXPECT_EQ(falha("select @x"), "Must declare the scalar variable \"@x\".");
    EXPECT_EQ(falha(std::string(300, '(') + "1" + std::string(300, ')')),
              "Some part of your SQL statement is nested too deeply. Rewrite the query or break "
              "it up into smaller queries.");
}

INSTANTIATE_TEST_SUITE_P(Servidores, ComoSqlServer, ::testing::Values("simulador", "mssql"));

TEST_P(ComoSqlServer, TopNumRamoDoUnionLimitaSoORamo) {
    std::string t = Tabela("T"), u = Tabela("U");
    Sql("CREATE TABLE [" + t + "] (id int)");
    Sql("CREATE TABLE [" + u + "] (id int)");
    Sql("INSERT [" + t + "] VALUES (1) INSERT [" + t + "] VALUES (2)");
    Sql("INSERT [" + u + "] VALUES (3)");
    EXPECT_EQ(
        Coluna("SELECT id FROM [" + t + "] UNION SELECT TOP 1 id FROM [" + u + "] ORDER BY id"),
        "1,2,3");
    EXPECT_EQ(Coluna("SELECT TOP 1 id FROM [" + t + "] UNION ALL SELECT id FROM [" + u +
                     "] ORDER BY id DESC"),
              "3,1");
}

TEST_P(ComoSqlServer, DicaDeTabelaEntreColchetes) {
    std::string t = Tabela("Ordem");
    Sql("CREATE TABLE [" + t + "] (id int)");
    Sql("INSERT [" + t + "] VALUES (7)");
    EXPECT_EQ(Valor("SELECT id FROM [" + t + "](NOLOCK)"), "7");
    EXPECT_EQ(Valor("SELECT x.id FROM [dbo].[" + t + "] x (NOLOCK)"), "7");
    EXPECT_EQ(Valor("SELECT x.id FROM [" + t + "] AS x WITH (NOLOCK, INDEX(0))"), "7");
}

TEST_P(ComoSqlServer, ObjectIdDeNomeComBrancos) {
    std::string t = Tabela("Ordem de Serviço");
    Sql("CREATE TABLE [" + t + "] (id int)");
    for (const std::string& nome : {t, "dbo." + t, "[dbo].[" + t + "]", " " + t})
        EXPECT_EQ(Valor("SELECT CASE WHEN OBJECT_ID('" + nome + "') = OBJECT_ID('[" + t +
                        "]') THEN 1 ELSE 0 END"),
                  "1")
            << nome;
    EXPECT_EQ(Valor("SELECT CASE WHEN OBJECT_ID('Outra " + t + "') IS NULL THEN 1 END"), "1");
}

TEST_P(ComoSqlServer, ColunaDesconhecidaEntreColchetesOuAspas) {
    std::string t = Tabela("Situacoes");
    Sql("CREATE TABLE [" + t + "] (id int, [Situação] char(1))");
    Sql("INSERT [" + t + "] VALUES (1, 'A')");
    EXPECT_EQ(Falha("SELECT [Nao Existe] FROM [" + t + "]"), "Invalid column name 'Nao Existe'.");
    EXPECT_EQ(Falha("SELECT \"Nao Existe\" FROM [" + t + "]"), "Invalid column name 'Nao Existe'.");
    EXPECT_EQ(Falha("UPDATE [" + t + "] SET id = 2 WHERE [Situacao] = 'A'"),
              "Invalid column name 'Situacao'.");
    std::string u = Tabela("ComCheck");
    EXPECT_EQ(Falha("CREATE TABLE [" + u +
                    "] (id int, [Situação] char(1), CHECK ([Situacao] IN ('A','F')))"),
              "Invalid column name 'Situacao'.");
    EXPECT_EQ(Valor("SELECT \"Situação\" FROM [" + t + "]"), "A");
}

TEST_P(ComoSqlServer, InteiroEmHexadecimal) {
    EXPECT_EQ(Valor("SELECT 13 & 0xf"), "13");
    EXPECT_EQ(Valor("SELECT 0x0A + 1"), "11");
    EXPECT_EQ(Valor("SELECT 0xff | 256"), "511");
    EXPECT_EQ(Falha("SELECT 0xff | 0x100"),
              "The data types varbinary and varbinary are incompatible in the '|' operator.");
    EXPECT_EQ(Valor("SELECT CASE WHEN 0x1 = 0x01 THEN 'sim' END"), "sim");
}

TEST_P(ComoSqlServer, DatalengthContaBytes) {
    std::string t = Tabela("Textos");
    Sql("CREATE TABLE [" + t + "] (n nvarchar(10), v varchar(10))");
    Sql("INSERT [" + t + "] VALUES (N'ação', 'ab')");
    EXPECT_EQ(Valor("SELECT datalength(N'abc')"), "6");
    EXPECT_EQ(Valor("SELECT datalength('abc')"), "3");
    EXPECT_EQ(Valor("SELECT datalength(n) FROM [" + t + "]"), "8");
    EXPECT_EQ(Valor("SELECT datalength(x.v) FROM [" + t + "] x"), "2");
    EXPECT_EQ(Valor("SELECT (SELECT datalength(y.n) FROM [" + t + "] y) FROM [" + t + "]"), "8");
}

TEST_P(ComoSqlServer, DataForaDoIntervalo) {
    const std::string fora =
        "The conversion of a varchar data type to a datetime data type resulted in an "
        "out-of-range value.";
    EXPECT_EQ(Falha("SELECT CONVERT(datetime, '20201301')"), fora);
    EXPECT_EQ(Falha("SELECT CAST('20200230' AS datetime)"), fora);
    EXPECT_EQ(Falha("SELECT CAST('1700-01-01' AS datetime)"), fora);
    EXPECT_EQ(Falha("SELECT CAST('abc' AS datetime)"),
              "Conversion failed when converting date and/or time from character string.");
    std::string t = Tabela("Datas");
    Sql("CREATE TABLE [" + t + "] (d datetime)");
    EXPECT_EQ(Falha("INSERT [" + t + "] VALUES ('20231232')"), fora);
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t + "]"), "0");
}

TEST_P(ComoSqlServer, SetDateformatESetLanguage) {
    std::string t = Tabela("Nascimentos");
    Sql("CREATE TABLE [" + t + "] (d datetime)");
    Sql("SET DATEFORMAT mdy INSERT [" + t + "] VALUES ('02/19/1952') INSERT [" + t +
        "] VALUES ('12/08/1948')");
    EXPECT_EQ(Coluna("SELECT CONVERT(varchar(10), d, 120) FROM [" + t + "] ORDER BY d"),
              "1948-12-08,1952-02-19");
    // the setting lasts for the session, as on SQL Server
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t + "] WHERE d = '12/08/1948'"), "1");
    Sql("SET DATEFORMAT dmy");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CONVERT(datetime, '12/08/1948'), 120)"),
              "1948-08-12");
    EXPECT_EQ(Falha("SELECT CONVERT(datetime, '02/19/1952')"),
              "The conversion of a varchar data type to a datetime data type resulted in an "
              "out-of-range value.");
    Sql("SET LANGUAGE us_english");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CONVERT(datetime, '02/19/1952'), 120)"),
              "1952-02-19");
    Sql("SET DATEFORMAT ymd");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CONVERT(datetime, '1952/02/19'), 120)"),
              "1952-02-19");
    EXPECT_EQ(Falha("SET DATEFORMAT xyz"), "SET DATEFORMAT date order 'xyz' is invalid.");
}

// The stand-in's logins have Portuguese (Brazil) as their default language.
TEST_F(SimuladorTeste, FormatoDeDataPadraoEhDiaMesAno) {
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CONVERT(datetime, '12/08/1948'), 120)"),
              "1948-08-12");
    Sql("SET DATEFORMAT mdy");
    auto outra = Conectar("Teste");
    EXPECT_EQ(Valor("SELECT CONVERT(varchar(10), CONVERT(datetime, '12/08/1948'), 120)"),
              "1948-12-08");
    auto r =
        outra->Executar("SELECT CONVERT(varchar(10), CONVERT(datetime, '12/08/1948'), 120)", {}, 0);
    EXPECT_EQ(Texto(r.back().linhas[0][0]), "1948-08-12");
}

// POWER of an integer is an integer of its type: truncated, and overflowing it as any
// integer arithmetic does; an impossible power is SQL Server's floating point error.
TEST_P(ComoSqlServer, PotenciaDeInteiroEhInteira) {
    EXPECT_EQ(Valor("SELECT POWER(2, -1)"), "0");
    EXPECT_EQ(Valor("SELECT POWER(2, 0.5)"), "1");
    EXPECT_EQ(Valor("SELECT POWER(-3, 3)"), "-27");
    EXPECT_EQ(Valor("SELECT POWER(CAST(2 AS tinyint), 9)"), "512");
    EXPECT_EQ(Valor("SELECT POWER(CAST(2 AS bigint), 62)"), "4611686018427387904");
    EXPECT_EQ(Valor("SELECT POWER(2e0, -1)"), "0.5");
    EXPECT_EQ(Recusa("SELECT POWER(10, 10)"),
              "8115: Arithmetic overflow error converting expression to data type int.");
    EXPECT_EQ(Recusa("SELECT POWER(CAST(2 AS bigint), 63)"),
              "8115: Arithmetic overflow error converting expression to data type bigint.");
    EXPECT_EQ(Recusa("SELECT POWER(-8, 0.5)"),
              "3623: An invalid floating point operation occurred.");
}

// ISNULL's value has its first argument's type: a longer text is cut to it, a char padded,
// a decimal or float truncated to its integer.
TEST_P(ComoSqlServer, IsnullConverteAoTipoDoPrimeiro) {
    const std::string t = Tabela("Isnull");
    Sql("CREATE TABLE [" + t + "] (d varchar(5) NULL, n int NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (NULL, NULL)");
    EXPECT_EQ(Valor("SELECT ISNULL(d, 'abcdefgh') FROM [" + t + "]"), "abcde");
    EXPECT_EQ(Valor("SELECT ISNULL(n, 2.7) FROM [" + t + "]"), "2");
    EXPECT_EQ(Valor("SELECT ISNULL(n, -2.7e0) FROM [" + t + "]"), "-2");
    EXPECT_EQ(Valor("SELECT ISNULL(CAST(NULL AS char(3)), 'x') + '|'"), "x  |");
    EXPECT_EQ(Valor("SELECT ISNULL(CAST(NULL AS nvarchar(2)), N'ção')"), "çã");
    EXPECT_EQ(Valor("SELECT COALESCE(d, 'abcdefgh') FROM [" + t + "]"), "abcdefgh");
    EXPECT_EQ(Valor("SELECT ISNULL(NULL, 1.5)"), "1.5");
}

// A text beside an integer in arithmetic converts to the integer as CAST converts it: a
// fraction or a word fails, the sum keeps the integer's range; a blank text is zero.
TEST_P(ComoSqlServer, TextoNaAritmeticaDeInteiros) {
    EXPECT_EQ(Valor("SELECT 1 + ' 2 '"), "3");
    EXPECT_EQ(Valor("SELECT '7' % 2"), "1");
    EXPECT_EQ(Valor("SELECT 1.5e0 + '2.5'"), "4");
    EXPECT_EQ(Recusa("SELECT 1 + '1.5'"),
              "245: Conversion failed when converting the varchar value '1.5' to data type int.");
    EXPECT_EQ(Recusa("SELECT 1 - 'a'"),
              "245: Conversion failed when converting the varchar value 'a' to data type int.");
    EXPECT_EQ(Recusa("SELECT 2147483647 + '1'"),
              "8115: Arithmetic overflow error converting expression to data type int.");
    EXPECT_EQ(Recusa("SELECT 7 / '0'"), "8134: Divide by zero error encountered.");
    EXPECT_EQ(Valor("SELECT CAST('' AS int) + CAST(' ' AS float) + 1 + ''"), "1");
    EXPECT_EQ(Recusa("SELECT CAST('' AS decimal(5,2))"),
              "8114: Error converting data type varchar to numeric.");
    EXPECT_EQ(Valor("SELECT ISNULL(CAST(NULL AS varchar), 'abcdefghijklmnopqrstuvwxyz0123456789')"),
              "abcdefghijklmnopqrstuvwxyz0123");
}

// LOG is the natural logarithm, LOG(x, base) the other; out of their domain the math
// functions fail as SQL Server's do, never answer NULL.
TEST_P(ComoSqlServer, FuncoesMatematicasDoSqlServer) {
    EXPECT_EQ(Valor("SELECT CAST(LOG(10) AS decimal(10,8))"), "2.30258509");
    EXPECT_EQ(Valor("SELECT LOG(8, 2)"), "3");
    EXPECT_EQ(Valor("SELECT LOG10(1000)"), "3");
    EXPECT_EQ(Valor("SELECT CAST(ATN2(1, 1) AS decimal(10,8))"), "0.78539816");
    EXPECT_EQ(Valor("SELECT CAST(COT(1) AS decimal(10,8))"), "0.64209262");
    EXPECT_EQ(Valor("SELECT SQRT(CAST(NULL AS float))"), "NULL");
    const std::string invalida = "3623: An invalid floating point operation occurred.";
    EXPECT_EQ(Recusa("SELECT SQRT(-1)"), invalida);
    EXPECT_EQ(Recusa("SELECT LOG(0)"), invalida);
    EXPECT_EQ(Recusa("SELECT LOG10(-5)"), invalida);
    EXPECT_EQ(Recusa("SELECT ASIN(2)"), invalida);
    // a text is read as the float they take, never as 0 or NULL
    const std::string texto = "8114: Error converting data type varchar to float.";
    EXPECT_EQ(Recusa("SELECT SQRT('abc')"), texto);
    EXPECT_EQ(Recusa("SELECT SIN('x')"), texto);
    EXPECT_EQ(Recusa("SELECT RADIANS('x')"), texto);
    EXPECT_EQ(Valor("SELECT SQRT('16') + LOG10('100')"), "6");
    const std::string estouro =
        "8115: Arithmetic overflow error converting expression to data type float.";
    EXPECT_EQ(Recusa("SELECT EXP(1000)"), estouro);
    // float's own arithmetic past its range, never SQLite's Inf
    EXPECT_EQ(Recusa("SELECT CAST(1e308 AS float) * 10"), estouro);
    EXPECT_EQ(Recusa("SELECT CAST(1e308 AS float) + CAST(1e308 AS float) - 1"), estouro);
    EXPECT_EQ(Valor("SELECT CAST(1.5 AS float) * 2 + 1"), "4");
    // % takes no float or real (SQLite would cut them to integers)
    EXPECT_EQ(Recusa("SELECT CAST(5.5 AS float) % 2"),
              "402: The data types float and int are incompatible in the modulo operator.");
    EXPECT_EQ(Recusa("SELECT 7 % CAST(2 AS real)"),
              "402: The data types int and real are incompatible in the modulo operator.");
    EXPECT_EQ(Valor("SELECT 7.5 % 2"), "1.5");
}

// float past its range is SQL Server's overflow, never SQLite's Inf: its arithmetic, sums,
// powers, a literal and a text read as float; real computes in its own precision and range.
TEST_P(ComoSqlServer, FloatERealForaDoAlcance) {
    const std::string estouro =
        "8115: Arithmetic overflow error converting expression to data type float.";
    const std::string real =
        "8115: Arithmetic overflow error converting expression to data type real.";
    EXPECT_EQ(Recusa("SELECT 1e308 * 10"), estouro);
    EXPECT_EQ(Recusa("SELECT -1e308 - 1e308"), estouro);
    EXPECT_EQ(Recusa("SELECT POWER(10e0, 400)"), estouro);
    EXPECT_EQ(Recusa("SELECT SQUARE(1e200)"), estouro);
    const std::string t = Tabela("Estouro");
    Sql("CREATE TABLE [" + t + "] (f float NOT NULL, r real NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1e308, 3e38), (1e308, 3e38)");
    EXPECT_EQ(Recusa("SELECT SUM(f) FROM [" + t + "]"), estouro);
    EXPECT_EQ(Recusa("SELECT AVG(f) FROM [" + t + "]"), estouro);
    EXPECT_EQ(Recusa("SELECT SUM(f) OVER () FROM [" + t + "]"), estouro);
    EXPECT_EQ(Recusa("UPDATE [" + t + "] SET f = f * 10"), estouro);
    EXPECT_EQ(Recusa("SELECT r * 2 FROM [" + t + "]"), real);
    EXPECT_EQ(Recusa("SELECT r + r FROM [" + t + "]"), real);
    EXPECT_EQ(Recusa("DECLARE @r real = 1e39"), real);
    EXPECT_EQ(Recusa("INSERT INTO [" + t + "] VALUES (1, 1e39)"), real);
    EXPECT_EQ(Recusa("SELECT 1e400"),
              "168: The floating point value '1e400' is out of the range of computer "
              "representation (8 bytes).");
    EXPECT_EQ(Recusa("SELECT CAST('1e400' AS float)"),
              "8114: Error converting data type varchar to float.");
    EXPECT_EQ(Valor("SELECT CAST(r * 2e0 AS varchar(30)) FROM [" + t + "]"), "6e+038");
    EXPECT_EQ(Valor("SELECT CASE WHEN CAST(CAST(1 AS real) / 3 AS float) = "
                    "CAST(CAST(1e0 / 3 AS real) AS float) THEN 'real' ELSE 'float' END"),
              "real");
}

// RADIANS and DEGREES of an integer are an integer of its kind, truncated, and overflow
// it; of a float or a bit they are a float.
TEST_P(ComoSqlServer, RadianosEGrausTemOTipoDoArgumento) {
    EXPECT_EQ(Valor("SELECT RADIANS(180)"), "3");
    EXPECT_EQ(Valor("SELECT DEGREES(1)"), "57");
    EXPECT_EQ(Valor("SELECT RADIANS(-180)"), "-3");
    EXPECT_EQ(Valor("SELECT DEGREES(CAST(1 AS bigint)) + 2147483647"), "2147483704");
    EXPECT_EQ(Valor("SELECT RADIANS(CAST(180 AS tinyint)) / 2"), "1");
    EXPECT_EQ(Valor("SELECT DEGREES(PI() / 2)"), "90");
    EXPECT_EQ(Valor("SELECT CAST(DEGREES(CAST(1 AS bit)) / 2 AS decimal(9,4))"), "28.6479");
    EXPECT_EQ(Valor("SELECT RADIANS(CAST(NULL AS int))"), "NULL");
    EXPECT_EQ(Recusa("SELECT DEGREES(2147483647)"),
              "8115: Arithmetic overflow error converting expression to data type int.");
    EXPECT_EQ(Recusa("SELECT RADIANS(1, 2)"), "174: The radians function requires 1 argument(s).");
}

// x op ALL/ANY/SOME (subquery) answers true, false or unknown as SQL Server does: ALL over
// no rows is true and ANY false, whatever x; a NULL on either side makes a comparison
// unknown, which only another value's answer can settle.
TEST_P(ComoSqlServer, ComparacoesComTodosEAlgum) {
    const std::string t = Tabela("Quantificados");
    Sql("CREATE TABLE [" + t + "] (id int NOT NULL, a int NULL, g char(1) NOT NULL)");
    Sql("INSERT INTO [" + t +
        "] VALUES (1, 1, 'u'), (2, 5, 'u'), (3, NULL, 'x'), (4, 2, 'n'), "
        "(5, NULL, 'n'), (6, 3, 'u')");
    // T, F or U of each row's a against the values of group g (u: 1, 5, 3; n: 2, NULL; v: none)
    auto logica = [&](const std::string& comparacao, const std::string& g) {
        const std::string p =
            "a " + comparacao + " (SELECT a FROM [" + t + "] WHERE g = '" + g + "')";
        return Coluna("SELECT CASE WHEN " + p + " THEN 'T' WHEN NOT (" + p +
                      ") THEN 'F' ELSE 'U' END FROM [" + t + "] WHERE id IN (1, 2, 3) ORDER BY id");
    };
    EXPECT_EQ(logica("> ALL", "n"), "F,U,U");
    EXPECT_EQ(logica(">= ALL", "u"), "F,T,U");
    EXPECT_EQ(logica("> ALL", "v"), "T,T,T");
    EXPECT_EQ(logica("< ANY", "n"), "T,U,U");
    EXPECT_EQ(logica("= ANY", "u"), "T,T,U");
    EXPECT_EQ(logica("= SOME", "v"), "F,F,F");
    EXPECT_EQ(logica("<> ALL", "u"), "F,F,U");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE a >= ALL (SELECT a FROM [" + t +
                     "] WHERE a IS NOT NULL) ORDER BY id"),
              "2");
    // correlated, and under NOT an unknown still keeps the row out
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] AS o WHERE a < SOME (SELECT a FROM [" + t +
                     "] AS i WHERE i.g = o.g) ORDER BY id"),
              "1,6");
    EXPECT_EQ(Coluna("SELECT id FROM [" + t + "] WHERE NOT (a > ALL (SELECT a FROM [" + t +
                     "] WHERE g = 'n')) ORDER BY id"),
              "1,4");
    EXPECT_EQ(Valor("SELECT CASE WHEN 'abc' = ANY (SELECT 'ABC') THEN 1 ELSE 0 END"), "1");
    EXPECT_EQ(Valor("SELECT CASE WHEN 2.50 > ALL (SELECT 2.4 UNION SELECT 10.0 / 5) THEN 1 "
                    "ELSE 0 END"),
              "1");
    EXPECT_EQ(Recusa("SELECT 1 WHERE 1 > ALL (SELECT a, id FROM [" + t + "])"),
              "116: Only one expression can be specified in the select list when the subquery "
              "is not introduced with EXISTS.");
}

// ORDER BY of a UNION names what its select list gives; a window function computes over
// the rows WHERE, ON, GROUP BY and HAVING choose, so it is refused there.
TEST_P(ComoSqlServer, OrdemDaUniaoEJanelasForaDoSelect) {
    const std::string t = Tabela("Uniao");
    Sql("CREATE TABLE [" + t + "] (a int NOT NULL, b int NOT NULL)");
    Sql("INSERT INTO [" + t + "] VALUES (1, 4), (3, 2)");
    EXPECT_EQ(Recusa("SELECT a FROM [" + t + "] UNION SELECT a FROM [" + t + "] ORDER BY b"),
              "104: ORDER BY items must appear in the select list if the statement contains a "
              "UNION, INTERSECT or EXCEPT operator.");
    EXPECT_EQ(
        Coluna("SELECT a AS x FROM [" + t + "] UNION SELECT b FROM [" + t + "] ORDER BY x DESC"),
        "4,3,2,1");
    // the names are the first query's: neither the second's nor a column its alias hides
    const std::string uniao = "SELECT a AS x FROM [" + t + "] UNION SELECT b FROM [" + t + "] ";
    EXPECT_EQ(Recusa(uniao + "ORDER BY b").substr(0, 4), "104:");
    EXPECT_EQ(Recusa(uniao + "ORDER BY a").substr(0, 4), "104:");
    EXPECT_EQ(Coluna("SELECT a * 10 FROM [" + t + "] UNION ALL SELECT b FROM [" + t +
                     "] ORDER BY a * 10"),
              "2,4,10,30");
    EXPECT_EQ(Coluna("SELECT u.a FROM [" + t + "] AS u EXCEPT SELECT 3 ORDER BY u.a DESC"), "1");
    const std::string janela =
        "4108: Windowed functions can only appear in the SELECT or ORDER BY clauses.";
    EXPECT_EQ(Recusa("SELECT a FROM [" + t + "] WHERE ROW_NUMBER() OVER (ORDER BY a) = 1"), janela);
    EXPECT_EQ(Recusa("SELECT a FROM [" + t + "] GROUP BY a HAVING SUM(a) OVER () > 1"), janela);
    EXPECT_EQ(Recusa("SELECT COUNT(*) FROM [" + t + "] GROUP BY RANK() OVER (ORDER BY b)"), janela);
    EXPECT_EQ(Recusa("SELECT 1 FROM [" + t + "] x JOIN [" + t +
                     "] y ON ROW_NUMBER() OVER (ORDER BY x.a) = y.a"),
              janela);
    EXPECT_EQ(Recusa("UPDATE [" + t + "] SET a = 0 WHERE ROW_NUMBER() OVER (ORDER BY a) = 1"),
              janela);
    // in a subquery of the WHERE it is that subquery's own
    EXPECT_EQ(Coluna("SELECT a FROM [" + t +
                     "] WHERE a IN (SELECT ROW_NUMBER() OVER (ORDER BY "
                     "b) FROM [" +
                     t + "]) ORDER BY a"),
              "1");
}
