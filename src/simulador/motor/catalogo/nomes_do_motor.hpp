#pragma once

#include <optional>
#include <string>
#include <string_view>

// The names that belong to the engine itself (its tables, SQLite's and its own functions),
// which user T-SQL never reaches: SQL Server knows none of them.
namespace zolvek::simulador {

// A table or view of the engine or of SQLite (zv_..., sqlite_...), folded or not.
bool EhTabelaDoMotor(std::string_view nome);
// A function of SQLite or of the engine that T-SQL does not have (sqlite_version, zv_len,
// typeof, substr, ...), folded or not.
bool EhFuncaoDoMotor(std::string_view nome);

// A user's table or view may have any name, the engine's own included: in SQLite a name
// in the engine's space (zv_..., zvi_..., sqlite_..., the catalog views' sysobjects,
// syscolumns...) becomes "zv_usuario_" + name, which
// no object of the engine has; any other name stays as it is. Every name of a user's
// object, alias or WITH query goes through it on its way into SQLite's text.
std::string NomeNoSqlite(std::string_view nome);
// The same, quoted for SQLite's text.
std::string IdentificadorNoSqlite(std::string_view nome);
// The T-SQL name of the table or view SQLite names; nullopt for an object of the engine.
std::optional<std::string> NomeNoTsql(std::string_view nomeNoSqlite);

// The prefix of a function's return table set aside, dropped at the end of the statement.
inline constexpr const char* kDescartada = "zv_descartada_";

}  // namespace zolvek::simulador
