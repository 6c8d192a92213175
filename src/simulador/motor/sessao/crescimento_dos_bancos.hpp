#pragma once

#include <sqlite3.h>

namespace zolvek::simulador {

// Caps the growth of a session's database file at what the tests of a full disk allow
// (LimitarCrescimentoDosBancosParaTestes); nothing otherwise.
void LimitarCrescimento(sqlite3* db);

}  // namespace zolvek::simulador
