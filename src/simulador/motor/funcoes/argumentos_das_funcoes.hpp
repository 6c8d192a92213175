#pragma once

#include <cstddef>
#include <string>

// How many arguments each of T-SQL's built-in functions takes, checked before SQLite
// sees the call: SQLite's own count (or none at all, for its variadic max and min)
// would answer in its words or take what SQL Server refuses.
namespace zolvek::simulador {

// Raises SQL Server's 174 or 189 when `funcao` (folded) does not take `quantos`
// arguments; a function it does not know passes.
void ExigirArgumentos(const std::string& funcao, std::size_t quantos);

}  // namespace zolvek::simulador
