#pragma once

#include <string_view>

// The names that belong to the engine itself (its tables, SQLite's and its own functions),
// which user T-SQL never reaches: SQL Server knows none of them.
namespace zolvek::simulador {

// A table or view of the engine or of SQLite (zv_..., sqlite_...), folded or not.
bool EhTabelaDoMotor(std::string_view nome);
// A function of SQLite or of the engine that T-SQL does not have (sqlite_version, zv_len,
// typeof, substr, ...), folded or not.
bool EhFuncaoDoMotor(std::string_view nome);

}  // namespace zolvek::simulador
