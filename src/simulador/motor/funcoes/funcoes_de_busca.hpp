#pragma once

struct sqlite3;

// CHARINDEX and REPLACE find text as the collation compares it: without case, with
// accents and trailing blanks ('aXa' has two x's), counting positions in characters.
namespace zolvek::simulador {

void RegistrarFuncoesDeBusca(sqlite3* db);

}  // namespace zolvek::simulador
