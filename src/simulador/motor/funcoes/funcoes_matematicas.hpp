#pragma once

struct sqlite3;

// SQLite's own LOG is base 10 and its math functions give NULL outside their domain;
// SQL Server's LOG is natural (LOG(x, base) the other) and fails there. These SQL
// functions do LOG, LOG10, EXP, SQRT, ASIN, ACOS, ATN2 and COT as SQL Server does:
// "An invalid floating point operation occurred." outside the domain, float's overflow
// beyond its range.
namespace zolvek::simulador {

void RegistrarFuncoesMatematicas(sqlite3* db);

}  // namespace zolvek::simulador
