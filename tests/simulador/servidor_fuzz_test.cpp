#include <sqlite3.h>

#include <random>

#include "ambiente.hpp"
#include "simulador/motor/tipos/colacao.hpp"

// Seeded random statements, hostile ones among them, on a scratch server folder: after
// each one the folder still opens, the kept row is still there and SQLite finds the
// database file whole. Short enough for every run; the seed makes a failure repeatable.
namespace {

const char* const kFragmentos[] = {"SELECT",
                                   "INSERT INTO",
                                   "UPDATE",
                                   "DELETE FROM",
                                   "CREATE TABLE",
                                   "DROP TABLE",
                                   "ALTER TABLE",
                                   "TRUNCATE TABLE",
                                   "BEGIN TRAN",
                                   "COMMIT",
                                   "ROLLBACK",
                                   "EXEC",
                                   "SET",
                                   "WHERE",
                                   "FROM",
                                   "VALUES",
                                   "(",
                                   ")",
                                   ",",
                                   ";",
                                   "'",
                                   "''",
                                   "\"",
                                   "[",
                                   "]",
                                   "--",
                                   "/*",
                                   "*/",
                                   "=",
                                   "<>",
                                   "+",
                                   "-",
                                   "*",
                                   "/",
                                   "%",
                                   "1",
                                   "0",
                                   "-1",
                                   "1e308",
                                   "9999999999999999999",
                                   "NULL",
                                   "N'x'",
                                   "0x00",
                                   "@@SPID",
                                   "@x",
                                   "?",
                                   "Fuzz",
                                   "Guardada",
                                   "Outra",
                                   "x",
                                   "id",
                                   "sqlite_master",
                                   "zv_config",
                                   "zv_objetos",
                                   "sys.objects",
                                   "sysobjects",
                                   "master..",
                                   "GO",
                                   "\n",
                                   " ",
                                   "\t",
                                   "KILL",
                                   "BACKUP DATABASE",
                                   "RESTORE DATABASE",
                                   "USE",
                                   "DISK =",
                                   "'C:\\..\\..\\x.bak'",
                                   "REPLICATE('x', 100)",
                                   "CAST(",
                                   "AS",
                                   "INT",
                                   "VARCHAR(10)",
                                   "WITH (NOLOCK)",
                                   "ORDER BY",
                                   "GROUP BY",
                                   "UNION ALL",
                                   "TOP 1",
                                   "LIKE",
                                   "'%'",
                                   "IS",
                                   "NOT",
                                   "AND",
                                   "OR",
                                   "CASE WHEN",
                                   "THEN",
                                   "END",
                                   "EXISTS",
                                   "IN",
                                   "ATTACH",
                                   "PRAGMA",
                                   "load_extension('x')",
                                   "char(0)",
                                   "sqlite_version()",
                                   "REPLACE",
                                   "INTO",
                                   "DEFAULT"};

std::string TextoAleatorio(std::mt19937& gerador) {
    std::uniform_int_distribution<int> tamanho(1, 14);
    std::uniform_int_distribution<std::size_t> fragmento(0, std::size(kFragmentos) - 1);
    std::uniform_int_distribution<int> chance(0, 19);
    std::string sql;
    const int n = tamanho(gerador);
    for (int i = 0; i < n; ++i) {
        if (chance(gerador) == 0)
            sql += static_cast<char>(gerador() % 256);  // a raw byte, NUL included
        else
            sql += kFragmentos[fragmento(gerador)];
        sql += ' ';
    }
    return sql;
}

// Statements that parse, so that the fuzzing also reaches the data.
std::string Plausivel(std::mt19937& gerador) {
    const int n = static_cast<int>(gerador() % 1000);
    switch (gerador() % 8) {
        case 0:
            return "INSERT INTO Fuzz (id, x) VALUES (" + std::to_string(n) + ", 'v')";
        case 1:
            return "UPDATE Fuzz SET x = 'u' WHERE id = " + std::to_string(n);
        case 2:
            return "DELETE FROM Fuzz WHERE id = " + std::to_string(n);
        case 3:
            return "DELETE FROM Guardada WHERE id = 1 AND 1 = 0";
        case 4:
            return "SELECT * FROM Guardada WHERE id = " + std::to_string(n);
        case 5:
            return "BEGIN TRAN\nDELETE FROM Guardada\nROLLBACK TRAN";
        case 6:
            return "CREATE TABLE Outra" + std::to_string(n) + " (a INT)";
        default:
            return "DROP TABLE Outra" + std::to_string(n);
    }
}

// The first word of SQLite's own messages found in a refusal ("" when none).
std::string VocabularioDoSqlite(const std::string& mensagem) {
    static const char* const kPalavras[] = {"SQLite",
                                            "syntax error",
                                            "incomplete input",
                                            "parser stack",
                                            "datatype mismatch",
                                            "too big",
                                            "no such ",
                                            "unrecognized token",
                                            "constraint failed",
                                            "misuse of",
                                            "already exists",
                                            "near \"",
                                            "too many terms",
                                            "database is locked",
                                            "malformed",
                                            "compound SELECT",
                                            "wrong number of arguments",
                                            "zvb_"};
    for (const char* p : kPalavras)
        if (mensagem.find(p) != std::string::npos) return p;
    return "";
}

std::string Integridade(const std::filesystem::path& arquivo) {
    sqlite3* banco = nullptr;
    std::string r;
    if (sqlite3_open_v2(arquivo.string().c_str(), &banco, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        // The engine's indexes use its collations.
        zolvek::simulador::RegistrarColacao(banco);
        char* erro = nullptr;
        sqlite3_exec(
            banco, "PRAGMA quick_check",
            [](void* saida, int, char** valores, char**) {
                *static_cast<std::string*>(saida) += valores[0] ? valores[0] : "";
                return 0;
            },
            &r, &erro);
        if (erro) r += erro;
        sqlite3_free(erro);
    }
    sqlite3_close(banco);
    return r;
}

}  // namespace

class FuzzDeInstrucoes : public SimuladorTeste {};

TEST_F(FuzzDeInstrucoes, NadaSePerdeNemSeCorrompe) {
    // The kept row lives in a database the inputs never name; the inputs work on Teste.
    Conectar("master")->Executar("CREATE DATABASE Cofre", {}, 0);
    auto cofre = Conectar("Cofre");
    cofre->Executar("CREATE TABLE Guardada (id INT NOT NULL, valor VARCHAR(20) NOT NULL)", {}, 0);
    cofre->Executar("INSERT INTO Guardada VALUES (1, 'preciosa')", {}, 0);
    cofre.reset();
    Sql("CREATE TABLE Guardada (id INT NOT NULL PRIMARY KEY, valor VARCHAR(20) NOT NULL)");
    Sql("INSERT INTO Guardada VALUES (1, 'x')");
    Sql("CREATE TABLE Fuzz (id INT NULL, x VARCHAR(10) NULL)");
    std::vector<std::filesystem::path> arquivos;
    for (const auto& e : std::filesystem::directory_iterator(pasta_))
        if (e.path().extension() == ".sqlite") arquivos.push_back(e.path());
    const unsigned semente = 20261208;
    std::mt19937 gerador(semente);
    for (int i = 0; i < 200; ++i) {
        const std::string sql = gerador() % 3 == 0 ? Plausivel(gerador) : TextoAleatorio(gerador);
        try {
            db_->Executar(sql, {std::string("p")}, 0);
        } catch (const std::exception& e) {
            // Refusals are expected; what matters is what they leave behind, and that
            // they read as SQL Server's.
            EXPECT_EQ(VocabularioDoSqlite(e.what()), "") << sql;
        }
        if (db_->EmTransacao()) db_->Desfazer();
        if (!db_->Aberto() || i % 25 == 0) db_ = Conectar("Teste");
        SCOPED_TRACE("semente " + std::to_string(semente) + ", entrada " + std::to_string(i) +
                     ": " + sql);
        auto outra = Conectar("Cofre");
        auto r = outra->Executar("SELECT valor FROM Guardada WHERE id = 1", {}, 0);
        ASSERT_EQ(r.size(), 1u);
        ASSERT_EQ(r[0].linhas.size(), 1u);
        ASSERT_EQ(Texto(r[0].linhas[0][0]), "preciosa");
        for (const auto& a : arquivos) ASSERT_EQ(Integridade(a), "ok") << a;
    }
}
