#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

// The session-layer tests run against every backend at hand: the SQLite ODBC driver
// (always) and a real SQL Server when ZOLVEK_TESTE_MSSQL holds a connection string.
namespace zolvek::db::teste {

struct Dialeto {
    std::string nome;
    std::string textoLongo;  // a long-text column type
    std::string binario;     // a BLOB column type
    std::string agora;       // an expression of the server clock
};

inline std::string BibliotecaSqliteOdbc() {
    namespace fs = std::filesystem;
    std::error_code erro;
    for (const auto& item : fs::directory_iterator("/usr/lib", erro)) {
        const auto caminho = item.path() / "odbc" / "libsqlite3odbc.so";
        std::error_code e2;
        if (fs::exists(caminho, e2)) return caminho.string();
    }
    for (const char* c : {"/usr/lib/odbc/libsqlite3odbc.so", "/usr/lib64/libsqlite3odbc.so",
                          "/usr/local/lib/libsqlite3odbc.so"})
        if (fs::exists(c, erro)) return c;
    return "";
}

// A unique name for parallel runs (tables on a shared server, temporary files).
inline std::string NomeUnico(const std::string& base) {
    static std::atomic<int> contador{0};
    const auto agora = std::chrono::steady_clock::now().time_since_epoch().count();
    return base + "_" + std::to_string(::getpid()) + "_" + std::to_string(agora % 1000000) + "_" +
           std::to_string(contador++);
}

class BancoDeTeste : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam() == "sqlite") {
            const std::string lib = BibliotecaSqliteOdbc();
            if (lib.empty()) GTEST_SKIP() << "driver ODBC do SQLite não instalado";
            arquivo_ =
                std::filesystem::temp_directory_path() / (NomeUnico("zolvek_db") + ".sqlite");
            cadeia_ = "Driver=" + lib + ";Database=" + arquivo_.string();
            dialeto_ = {"sqlite", "text", "blob", "datetime('now')"};
        } else {
            const char* env = std::getenv("ZOLVEK_TESTE_MSSQL");
            if (!env || !*env) GTEST_SKIP() << "ZOLVEK_TESTE_MSSQL não definida";
            cadeia_ = env;
            dialeto_ = {"mssql", "nvarchar(max)", "varbinary(max)", "GetDate()"};
        }
        banco_.DefinirStringDeConexao(cadeia_);
        banco_.Abrir();
    }

    void TearDown() override {
        for (const auto& t : tabelas_) {
            try {
                Rodar("drop table " + t);
            } catch (...) {
            }
        }
        banco_.Fechar();
        if (!arquivo_.empty()) {
            std::error_code erro;
            std::filesystem::remove(arquivo_, erro);
        }
    }

    // Creates a table with a unique name and returns that name.
    std::string CriarTabela(const std::string& base, const std::string& colunas) {
        const std::string nome = NomeUnico(base);
        Rodar("create table " + nome + " (" + colunas + ")");
        tabelas_.push_back(nome);
        return nome;
    }

    std::int64_t Rodar(const std::string& sql) {
        Consulta q(&banco_);
        q.DefinirSQL(sql);
        q.Executar();
        return q.LinhasAfetadas();
    }

    std::string Um(const std::string& sql) {
        Consulta q(&banco_);
        q.DefinirSQL(sql);
        q.Abrir();
        return q.Campos().at(0).Texto();
    }

    Conexao banco_;
    std::string cadeia_;
    Dialeto dialeto_;
    std::filesystem::path arquivo_;
    std::vector<std::string> tabelas_;
};

}  // namespace zolvek::db::teste
