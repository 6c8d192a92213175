#pragma once

struct sqlite3;

// FORMAT(valor, formato[, cultura]): dates and numbers written with .NET's format strings
// in the cultures the stand-in knows (pt-BR, en-US, en-GB); it refuses clearly the
// formats it does not write.
namespace zolvek::simulador {

void RegistrarFuncaoFormat(sqlite3* db);

}  // namespace zolvek::simulador
