#pragma once

#include <string>

// Details of the translation of OLE DB strings, apart so that they can be tested.
namespace zolvek::db::odbc {

constexpr int kTimeoutDeConexaoPadrao = 15;

// The same as TraduzirParaOdbc(cadeia) with the driver to use when the string names
// none (empty: the environment's choice, see DriverPadrao).
std::string TraduzirParaOdbc(const std::string& cadeiaOleDb, const std::string& driverPadrao);

// ZOLVEK_DRIVER_ODBC when set; otherwise, on Linux, "FreeTDS" when odbcinst knows it,
// else the path of FreeTDS's library; on Windows the system's "SQL Server" driver.
std::string DriverPadrao();

// The path of libtdsodbc found in the usual library folders; "" when not installed.
std::string CaminhoDaBibliotecaFreeTds();

// Seconds to wait for the server when connecting ("Connect Timeout"; 15 by default).
int TimeoutDeConexao(const std::string& cadeia);

}  // namespace zolvek::db::odbc
