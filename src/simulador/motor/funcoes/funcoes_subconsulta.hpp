#pragma once

struct sqlite3;

// zv_valor_unico(v): the aggregate a scalar subquery is read through. SQLite answers a
// subquery of several rows with the first; SQL Server fails with 512.
namespace zolvek::simulador {

void RegistrarFuncoesDeSubconsulta(sqlite3* db);

}  // namespace zolvek::simulador
