#include "simulador/motor/catalogo/nomes_do_motor.hpp"

#include <cctype>
#include <string>

#include "simulador/motor/catalogo/textos_das_visoes.hpp"
#include "simulador/motor/leitura/lexico.hpp"

namespace zolvek::simulador {

namespace {

std::string Minusculas(std::string_view nome) {
    std::string s(nome);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ComecaCom(const std::string& s, std::string_view prefixo) {
    return s.compare(0, prefixo.size(), prefixo) == 0;
}

constexpr std::string_view kPrefixoDoUsuario = "zv_usuario_";

// The names of SQLite's objects and of the engine's tables, views, triggers and indexes,
// the catalog views of each connection (sysobjects...) among them.
bool NoEspacoDoMotor(const std::string& minusculas) {
    return ComecaCom(minusculas, "zv_") || ComecaCom(minusculas, "zvi_") ||
           ComecaCom(minusculas, "sqlite_") || EhVisaoDoCatalogo(minusculas);
}

}  // namespace

std::string NomeNoSqlite(std::string_view nome) {
    if (!NoEspacoDoMotor(Minusculas(nome))) return std::string(nome);
    return std::string(kPrefixoDoUsuario) + std::string(nome);
}

std::string IdentificadorNoSqlite(std::string_view nome) {
    return ComoIdentificador(NomeNoSqlite(nome));
}

std::optional<std::string> NomeNoTsql(std::string_view nomeNoSqlite) {
    const std::string s = Minusculas(nomeNoSqlite);
    if (ComecaCom(s, kPrefixoDoUsuario))
        return std::string(nomeNoSqlite.substr(kPrefixoDoUsuario.size()));
    if (NoEspacoDoMotor(s)) return std::nullopt;
    return std::string(nomeNoSqlite);
}

bool EhTabelaDoMotor(std::string_view nome) {
    const std::string s = Minusculas(nome);
    return ComecaCom(s, "zv_") || ComecaCom(s, "sqlite_");
}

bool EhFuncaoDoMotor(std::string_view nome) {
    const std::string s = Minusculas(nome);
    for (std::string_view prefixo : {"zv_", "sqlite_", "json", "pragma_", "fts", "rtree"})
        if (ComecaCom(s, prefixo)) return true;
    // SQLite's own functions under names T-SQL does not have
    static const char* const kDoSqlite[] = {
        "typeof",         "printf",     "instr",         "hex",
        "unhex",          "quote",      "random",        "randomblob",
        "zeroblob",       "total",      "group_concat",  "glob",
        "like",           "likelihood", "likely",        "unlikely",
        "load_extension", "changes",    "total_changes", "last_insert_rowid",
        "julianday",      "date",       "time",          "datetime",
        "strftime",       "unixepoch",  "timediff",      "substr",
        "ifnull",         "length",     "octet_length",  "generate_series",
        "dbstat",         "subtype",    "match",         "regexp",
        "highlight",      "snippet",    "bm25",          "offsets",
        "matchinfo",      "optimize",   "geopoly_json",  "median",
        "percentile",     "carray",
    };
    for (const char* f : kDoSqlite)
        if (s == f) return true;
    return false;
}

}  // namespace zolvek::simulador
