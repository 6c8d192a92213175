#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>

#include <string>

namespace zolvek::db::odbc {

// Every diagnostic record of the handle, in order, one message a line (the driver
// tags such as "[FreeTDS][SQL Server]" removed, so the server's own text remains).
// `soAvisos` tells whether all records were warnings (SQLSTATE class 01).
std::string LerDiagnosticos(SQLSMALLINT tipo, SQLHANDLE h, bool* soAvisos = nullptr);

// Raises ErroDeBanco with the diagnostics unless the call succeeded. A success "with
// info" whose records are not mere warnings is an error the driver let through.
void Verificar(SQLRETURN rc, SQLSMALLINT tipo, SQLHANDLE h, const char* operacao);

}  // namespace zolvek::db::odbc
