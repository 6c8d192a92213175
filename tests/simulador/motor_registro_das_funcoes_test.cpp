#include <gtest/gtest.h>

#include <sqlite3.h>
#include <set>
#include <string>

#include "como_sql_server.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"
#include "simulador/motor/tipos/registro_dos_tipos.hpp"

using namespace zolvek::simulador;

namespace {

// The names of the functions a connection has, as SQLite lists them.
std::set<std::string> FuncoesDoSqlite(sqlite3* db) {
    std::set<std::string> r;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_function_list", -1, &st, nullptr) !=
        SQLITE_OK)
        return r;
    while (sqlite3_step(st) == SQLITE_ROW)
        r.insert(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return r;
}

// A row that names a function no connection registers would fail only when a statement
// first called it; a row written twice would leave one of the two unread.
TEST(RegistroDasFuncoes, CadaLinhaUnicaEComSuaFuncaoNoSqlite) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    // registering only keeps the session's address for the calls, and none is made here
    int marca = 0;
    RegistrarFuncoes(db, reinterpret_cast<SessaoDasFuncoes*>(&marca));
    const std::set<std::string> doSqlite = FuncoesDoSqlite(db);
    sqlite3_close(db);
    ASSERT_FALSE(doSqlite.empty());
    std::set<std::string> nomes;
    for (const FuncaoEmbutida& f : FuncoesEmbutidas()) {
        EXPECT_TRUE(nomes.insert(f.nome).second) << f.nome;
        EXPECT_EQ(Dobrar(f.nome), f.nome);
        EXPECT_LE(f.minimo, f.maximo) << f.nome;
        if (*f.noSqlite) {
            EXPECT_TRUE(doSqlite.count(f.noSqlite)) << f.nome << ": " << f.noSqlite;
        }
    }
    EXPECT_EQ(FuncaoEmbutidaDe("count_big")->especie, EspecieDeFuncao::Agregada);
    EXPECT_EQ(FuncaoEmbutidaDe("zv_len"), nullptr);
}

// Every type has one row, found by its base and by its name; the catalog tells types apart
// by their xtype.
TEST(RegistroDosTipos, UmaLinhaPorTipoComNomeEXtypeProprios) {
    std::set<int> xtypes;
    std::set<std::string> nomes;
    std::size_t linhas = 0;
    for (const TipoDoServidor& t : TiposDoServidor()) {
        ++linhas;
        EXPECT_EQ(&TipoDoServidorDe(t.base), &t) << t.nome;
        EXPECT_TRUE(xtypes.insert(t.xtype).second) << t.nome;
        EXPECT_TRUE(nomes.insert(t.nome).second) << t.nome;
        EXPECT_EQ(TipoPeloNome(t.nome), t.base) << t.nome;
    }
    EXPECT_EQ(linhas, static_cast<std::size_t>(TipoBase::DateTimeOffset) + 1);
    EXPECT_EQ(TipoPeloNome("Integer"), TipoBase::Int);
    EXPECT_EQ(TipoPeloNome("ROWVERSION"), TipoBase::RowVersion);
    EXPECT_EQ(TipoPeloNome("sysname"), TipoBase::NVarChar);
    EXPECT_EQ(TipoPeloNome("xml"), std::nullopt);
    EXPECT_EQ(NomeDoTipo(TipoBase::RowVersion), "timestamp");
}

TEST_P(ComoSqlServer, MinEMaxRecusamBitETextoComoSumEAvg) {
    std::string t = Tabela("Operandos");
    Sql("CREATE TABLE [" + t + "] (b bit, x text, n ntext, v varchar(5), d datetime)");
    Sql("INSERT [" + t + "] VALUES (1, 'a', N'b', 'c', '2024-01-01')");
    EXPECT_EQ(Falha("SELECT MAX(b) FROM [" + t + "]"),
              "Operand data type bit is invalid for max operator.");
    EXPECT_EQ(Falha("SELECT MIN(b) OVER () FROM [" + t + "]"),
              "Operand data type bit is invalid for min operator.");
    EXPECT_EQ(Falha("SELECT MIN(x) FROM [" + t + "]"),
              "Operand data type text is invalid for min operator.");
    EXPECT_EQ(Falha("SELECT MAX(n) FROM [" + t + "]"),
              "Operand data type ntext is invalid for max operator.");
    EXPECT_EQ(Falha("SELECT SUM(b) FROM [" + t + "]"),
              "Operand data type bit is invalid for sum operator.");
    EXPECT_EQ(Falha("SELECT VAR(d) FROM [" + t + "]"),
              "Operand data type datetime is invalid for var operator.");
    EXPECT_EQ(Valor("SELECT MAX(CAST(b AS int)) FROM [" + t + "]"), "1");
    EXPECT_EQ(Valor("SELECT MAX(v) + MIN(CONVERT(varchar(8), d, 112)) FROM [" + t + "]"),
              "c20240101");
    EXPECT_EQ(Valor("SELECT COUNT(b) + COUNT_BIG(x) FROM [" + t + "]"), "2");
}

TEST_P(ComoSqlServer, AgregadoDeAgregadoOuDeSubconsulta) {
    std::string t = Tabela("Aninhados");
    Sql("CREATE TABLE [" + t + "] (g int, v int)");
    Sql("INSERT [" + t + "] VALUES (1, 2)");
    const std::string recusa =
        "Cannot perform an aggregate function on an expression containing an aggregate or a "
        "subquery.";
    EXPECT_EQ(Falha("SELECT SUM(MAX(v)) FROM [" + t + "] GROUP BY g"), recusa);
    EXPECT_EQ(Falha("SELECT MAX((SELECT 1)) FROM [" + t + "]"), recusa);
    EXPECT_EQ(Falha("SELECT COUNT(CASE WHEN v IN (SELECT v FROM [" + t + "]) THEN 1 END) FROM [" +
                    t + "]"),
              recusa);
    EXPECT_EQ(Valor("SELECT (SELECT MAX(v) FROM [" + t + "]) + MAX(v) FROM [" + t + "]"), "4");
    EXPECT_EQ(Valor("SELECT SUM(COUNT(*)) OVER () FROM [" + t + "] GROUP BY g"), "1");
}

}  // namespace
