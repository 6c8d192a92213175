#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ambiente.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/leitura/lote.hpp"

using namespace zolvek::simulador;

// Random and mutated statements, from a fixed seed: the tokenizer and the parsers
// either read them or refuse them with SQL Server's kind of message; nothing else.
namespace {

const std::vector<std::string> kSementes = {
    "SELECT TOP 1 a, b AS [x y], Nome = c + 'z' FROM dbo.T (NOLOCK) WHERE a IN (1, 2) ORDER BY 1",
    "SELECT count(*) FROM T t JOIN U u ON u.id = t.id LEFT JOIN V v ON v.a = u.a GROUP BY t.a "
    "HAVING count(*) > 1",
    "SELECT CASE WHEN a BETWEEN 1 AND 2 THEN 'x' ELSE NULL END FROM T WHERE b LIKE 'a%' ESCAPE "
    "'!'",
    "WITH q (a) AS (SELECT 1 UNION ALL SELECT 2) SELECT * FROM q WHERE NOT EXISTS (SELECT 1)",
    "INSERT INTO T (a, b) VALUES (1, N'ação'), (2, CAST('3' AS int))",
    "UPDATE T SET a = a + 1, b = DEFAULT FROM T JOIN U ON U.id = T.id WHERE U.x = ?",
    "DELETE FROM T WHERE a = 0x0f AND b IS NOT NULL",
    "CREATE TABLE [A b] (id int IDENTITY(1,1) PRIMARY KEY, v decimal(18,2) DEFAULT (0) NOT NULL, "
    "CHECK (v >= 0))",
    "IF OBJECT_ID('T') IS NOT NULL BEGIN DROP TABLE T END ELSE SELECT 1",
    "ALTER TABLE T ADD CONSTRAINT FK_T FOREIGN KEY (a) REFERENCES U (id)",
    "EXEC sp_helptext @objname = 'T', 1",
    "SELECT convert(varchar(10), getdate(), 103), datediff(day, '20200101', a) FROM T",
    "SELECT a FROM T UNION SELECT TOP (2) b FROM U ORDER BY a DESC OFFSET 1 ROWS",
};

const std::vector<std::string> kPedacos = {
    "SELECT", "FROM",     "WHERE",  "(",       ")",       ",",     "a",           "[b c]",  "\"d\"",
    "'t'",    "N'n'",     "1",      "2.5",     "0x1F",    "@v",    "@@rowcount",  "?",      "+",
    "-",      "*",        "/",      "%",       "=",       "<>",    "!<",          "AND",    "OR",
    "NOT",    "IN",       "LIKE",   "BETWEEN", "IS",      "NULL",  "CASE",        "WHEN",   "THEN",
    "ELSE",   "END",      "EXISTS", "TOP",     "UNION",   "ALL",   "ORDER",       "BY",     "GROUP",
    "JOIN",   "ON",       "AS",     "CAST",    "convert", "int",   "varchar(10)", "INSERT", "INTO",
    "VALUES", "UPDATE",   "SET",    "DELETE",  "CREATE",  "TABLE", "DROP",        "IF",     "BEGIN",
    "WITH",   "(NOLOCK)", ".",      ";",       "GO",      "--",    "/*",          "*/",     "'",
    "[",      "]",        "\n"};

// Bodies of procedures, triggers, functions and views, compiled when they are created.
const std::vector<std::string> kCorpos = {
    "CREATE PROCEDURE dbo.P @a int, @b varchar(10) = 'x' OUTPUT WITH ENCRYPTION AS BEGIN SET "
    "NOCOUNT ON DECLARE @n int = 0, @t nvarchar(max) SET @n = (SELECT count(*) FROM T) IF @n > 1 "
    "PRINT 'a' ELSE RAISERROR('b %d', 16, 1, @n) WITH NOWAIT RETURN @n END",
    "CREATE TRIGGER Tr ON T FOR INSERT, UPDATE AS DECLARE @id int declare c cursor local "
    "fast_forward for select a from inserted open c while 1=1 begin fetch next from c into @id "
    "if @@fetch_status <> 0 break if UPDATE(a) insert into U (id) values (@id) end close c "
    "deallocate c",
    "CREATE PROC Q AS BEGIN TRY BEGIN TRAN EXEC dbo.P @a = 1, @b = DEFAULT EXEC ('select ' + "
    "'1') COMMIT TRAN END TRY BEGIN CATCH ROLLBACK TRAN RETURN -1 END CATCH",
    "CREATE FUNCTION dbo.F (@v int) RETURNS int AS BEGIN DECLARE @r int SELECT @r = count(*) "
    "FROM T WHERE a = @v WHILE @r < 10 BEGIN SET @r += 1 IF @r = 5 CONTINUE END RETURN @r END",
    "CREATE FUNCTION dbo.G () RETURNS @r TABLE (a int) AS BEGIN INSERT @r SELECT a FROM T "
    "RETURN END",
    "CREATE VIEW V (x) WITH SCHEMABINDING AS SELECT a FROM dbo.T WHERE b = 'x' WITH CHECK "
    "OPTION",
};

const std::vector<std::string> kPedacosDeCorpos = {
    "DECLARE", "@n",       "@@fetch_status", "CURSOR",    "FOR",        "OPEN",
    "FETCH",   "NEXT",     "INTO",           "CLOSE",     "DEALLOCATE", "WHILE",
    "BREAK",   "CONTINUE", "RETURN",         "RAISERROR", "PRINT",      "EXEC",
    "TRY",     "CATCH",    "BEGIN",          "END",       "AS",         "+=",
    "UPDATE(", "TABLE",    "CREATE",         "TRIGGER",   "PROC",       "ON",
    "=",       "("};

std::string Mutar(std::string s, std::mt19937& rng) {
    auto pos = [&](std::size_t n) {
        return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(rng) : 0;
    };
    int passos = 1 + static_cast<int>(pos(4));
    for (int k = 0; k < passos && !s.empty(); ++k) {
        std::size_t p = pos(s.size());
        switch (pos(5)) {
            case 0:  // cut the statement short
                s.erase(p);
                break;
            case 1:  // drop a stretch
                s.erase(p, 1 + pos(8));
                break;
            case 2:  // repeat a stretch
                s.insert(p, s.substr(p, 1 + pos(12)));
                break;
            case 3:  // put a random piece in
                s.insert(p, " " + kPedacos[pos(kPedacos.size())] + " ");
                break;
            default:  // a piece of procedural T-SQL
                s.insert(p, " " + kPedacosDeCorpos[pos(kPedacosDeCorpos.size())] + " ");
                break;
        }
    }
    return s;
}

std::string Aleatoria(std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> qual(0, kPedacos.size() - 1);
    std::string s;
    int n = std::uniform_int_distribution<int>(1, 25)(rng);
    for (int k = 0; k < n; ++k) s += kPedacos[qual(rng)] + " ";
    return s;
}

// The kinds of refusal SQL Server (or the stand-in, about what it does not interpret) gives.
bool MensagemClara(const std::string& m) {
    for (const char* inicio : {"Incorrect syntax near",
                               "Unclosed quotation mark",
                               "Missing end comment mark",
                               "Must declare the scalar variable",
                               "Some part of your SQL statement is nested too",
                               "O simulador de SQL Server",
                               "Column, parameter, or variable",
                               "The size (",
                               "The scale (",
                               "The data types",
                               "Invalid ",
                               "Could not find",
                               "Cannot ",
                               "There are ",
                               "Conversion failed",
                               "The ",
                               "An explicit value",
                               "Explicit value",
                               "Table ",
                               "Database ",
                               "User ",
                               "Must ",
                               "Operand ",
                               "No value given",
                               "Command text was not set",
                               "A RETURN statement with a return value",
                               "A TOP ",
                               "ORDER BY items must appear",
                               "Windowed functions can only",
                               "Only one expression can be specified",
                               "Ambiguous column name",
                               "'"})
        if (m.rfind(inicio, 0) == 0) return true;
    return false;
}

// Tokenizes, parses and writes every statement's text for SQLite. Returns the message
// of a refusal, empty when all was read.
std::string Ler(const std::string& sql) {
    try {
        auto tokens = Tokenizar(sql);
        auto comandos = AnalisarLote(tokens, sql).comandos;
        auto ordinais = NumerarParametros(tokens);
        for (const auto& c : comandos) {
            if (const auto* s = std::get_if<instrucao::Selecionar>(&c->instrucao)) {
                ContextoDeReescrita ctx;
                ctx.ordinais = &ordinais;
                GeradorSqlite(ctx).Gerar(ArvoreDe(s->selecao));
            }
        }
    } catch (const zolvek::ErroDeBanco& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(FuzzDoAnalisador, TextosAleatoriosEMutadosTemRecusaClara) {
    std::mt19937 rng(20261208);
    for (int k = 0; k < 3000; ++k) {
        std::string sql = k % 3 == 0 ? Aleatoria(rng) : Mutar(kSementes[k % kSementes.size()], rng);
        std::string m = Ler(sql);
        EXPECT_TRUE(m.empty() || MensagemClara(m)) << "texto: " << sql << "\nmensagem: " << m;
    }
}

TEST(FuzzDoAnalisador, CorposMutadosTemRecusaClara) {
    std::mt19937 rng(20261209);
    for (int k = 0; k < 3000; ++k) {
        std::string sql = Mutar(kCorpos[k % kCorpos.size()], rng);
        std::string m = Ler(sql);
        EXPECT_TRUE(m.empty() || MensagemClara(m)) << "texto: " << sql << "\nmensagem: " << m;
    }
    for (const auto& corpo : kCorpos) EXPECT_EQ(Ler(corpo), "") << corpo;
    // deep nesting is refused, not a stack overflow
    std::string fundo = "CREATE PROC P AS ";
    for (int k = 0; k < 5000; ++k) fundo += "IF 1 = 1 BEGIN ";
    EXPECT_EQ(Ler(fundo).rfind("Some part of your SQL statement is nested too deeply", 0), 0u);
}

// The same texts run on the engine: any failure is a database error, the session lives on.
TEST_F(SimuladorTeste, FuzzDoMotorNaoDerrubaASessao) {
    Sql("CREATE TABLE T (a int, b varchar(10), id int) CREATE TABLE U (id int, x int, a int)");
    std::mt19937 rng(8122026);
    for (int k = 0; k < 300; ++k) {
        std::string sql = k % 3 == 0 ? Aleatoria(rng) : Mutar(kSementes[k % kSementes.size()], rng);
        try {
            db_->Executar(sql, {std::int64_t{1}}, 0);
        } catch (const zolvek::ErroDeBanco& e) {
            EXPECT_FALSE(std::string(e.what()).empty()) << sql;
        }
        if (db_->EmTransacao()) db_->Desfazer();
    }
    EXPECT_EQ(Valor("SELECT count(*) FROM U"), Valor("SELECT count(*) FROM U"));
    EXPECT_EQ(Valor("SELECT 1"), "1");
}
