#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>

// What SQLite itself holds of a test's database file, read beside the engine.

// The SQLite file of the database `banco` in the server folder `pasta`.
inline std::filesystem::path ArquivoDoBanco(const std::filesystem::path& pasta,
                                            const std::string& banco = "Teste") {
    for (const auto& e : std::filesystem::recursive_directory_iterator(pasta)) {
        const std::string nome = e.path().filename().string();
        if (nome.rfind(banco + "_", 0) == 0 && e.path().extension() == ".sqlite") return e.path();
    }
    return {};
}

// SQLite's count of changes to the file's schema: every DDL of the engine moves it.
inline int VersaoDoEsquema(const std::filesystem::path& arquivo) {
    sqlite3* banco = nullptr;
    sqlite3_open(arquivo.string().c_str(), &banco);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(banco, "PRAGMA schema_version", -1, &q, nullptr);
    sqlite3_step(q);
    const int n = sqlite3_column_int(q, 0);
    sqlite3_finalize(q);
    sqlite3_close(banco);
    return n;
}
