#pragma once

struct sqlite3;

// SQLite computes integers in 64 bits and gives NULL for a division by zero; SQL Server
// keeps each integer type's range and fails. These SQL functions do the integer
// operators as SQL Server does:
//   zv_inteira(op, a, b, tipo)  a op b for + - * / %, checked against the range of
//                               `tipo` ("int", "bigint", "smallint", "tinyint");
//   zv_divisor(b)               b itself, or "Divide by zero error encountered." at zero.
namespace zolvek::simulador {

void RegistrarFuncoesInteiras(sqlite3* db);

}  // namespace zolvek::simulador
