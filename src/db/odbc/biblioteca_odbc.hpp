#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

namespace zolvek::db::odbc {

// The driver manager's functions the backend calls. The library is opened at the first
// ODBC connection, not at the program's start: a command on the stand-in never pays
// for loading it.
struct FuncoesOdbc {
    decltype(&::SQLAllocHandle) SQLAllocHandle;
    decltype(&::SQLFreeHandle) SQLFreeHandle;
    decltype(&::SQLSetEnvAttr) SQLSetEnvAttr;
    decltype(&::SQLSetConnectAttr) SQLSetConnectAttr;
    decltype(&::SQLSetStmtAttr) SQLSetStmtAttr;
    decltype(&::SQLDriverConnectW) SQLDriverConnectW;
    decltype(&::SQLDisconnect) SQLDisconnect;
    decltype(&::SQLDrivers) SQLDrivers;
    decltype(&::SQLEndTran) SQLEndTran;
    decltype(&::SQLExecDirectW) SQLExecDirectW;
    decltype(&::SQLCancel) SQLCancel;
    decltype(&::SQLBindParameter) SQLBindParameter;
    decltype(&::SQLNumResultCols) SQLNumResultCols;
    decltype(&::SQLRowCount) SQLRowCount;
    decltype(&::SQLMoreResults) SQLMoreResults;
    decltype(&::SQLFetch) SQLFetch;
    decltype(&::SQLGetData) SQLGetData;
    decltype(&::SQLDescribeColW) SQLDescribeColW;
    decltype(&::SQLColAttributeW) SQLColAttributeW;
    decltype(&::SQLPrimaryKeysW) SQLPrimaryKeysW;
    decltype(&::SQLGetDiagField) SQLGetDiagField;
    decltype(&::SQLGetDiagRecW) SQLGetDiagRecW;
};

// The functions of the library `nome`; ErroDeBanco, saying which library and why, when
// it cannot be loaded or lacks one of them.
FuncoesOdbc CarregarFuncoesOdbc(const std::string& nome);

// The functions of the system's driver manager, loaded at the first call.
const FuncoesOdbc& Odbc();

}  // namespace zolvek::db::odbc
