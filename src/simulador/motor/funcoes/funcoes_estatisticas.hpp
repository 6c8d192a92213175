#pragma once

struct sqlite3;

// T-SQL's STDEV, STDEVP, VAR and VARP (aggregates and window functions, in float) and
// RAND.
namespace zolvek::simulador {

void RegistrarFuncoesEstatisticas(sqlite3* db);

}  // namespace zolvek::simulador
