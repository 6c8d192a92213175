#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>

#include <string>
#include <vector>

#include "db/conector/conector.hpp"

namespace zolvek::db::odbc {

// Every diagnostic record of the handle, in order, one message a line (the driver
// tags such as "[FreeTDS][SQL Server]" removed, so the server's own text remains).
// `soAvisos` tells whether all records were warnings (SQLSTATE class 01).
std::string LerDiagnosticos(SQLSMALLINT tipo, SQLHANDLE h, bool* soAvisos = nullptr);

// The diagnostics of the handle as the error to raise: every message, and the native
// error number, SQLSTATE, severity and state of the first record that is not a mere
// warning (severity and state when the driver tells them, otherwise 0).
struct Diagnostico {
    std::string mensagens;
    bool soAvisos = true;
    int nativo = 0;
    std::string estadoSql;
    int severidade = 0;
    int estado = 0;
    std::vector<Mensagem> avisos;  // each warning (PRINT, RAISERROR up to 10), no result yet
};
Diagnostico LerDiagnostico(SQLSMALLINT tipo, SQLHANDLE h);

// Raises ErroDeBanco with the diagnostics unless the call succeeded. A success "with
// info" whose records are not mere warnings is an error the driver let through.
void Verificar(SQLRETURN rc, SQLSMALLINT tipo, SQLHANDLE h, const char* operacao);

}  // namespace zolvek::db::odbc
