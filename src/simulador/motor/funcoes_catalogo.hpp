#pragma once

struct sqlite3;

// T-SQL's functions about columns and types: COL_LENGTH, COL_NAME, COLUMNPROPERTY,
// TYPE_ID and TYPE_NAME, answered from the session's catalog.
namespace zolvek::simulador {

void RegistrarFuncoesDeCatalogo(sqlite3* db, void* sessao);

}  // namespace zolvek::simulador
