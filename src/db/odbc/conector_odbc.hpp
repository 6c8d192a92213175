#pragma once

#include <memory>
#include <string>

#include "db/conector/conector.hpp"

namespace zolvek::db::odbc {

// Translates the program's OLE DB connection string into an ODBC one for the SQL
// Server driver. A string that already starts with "Driver=" or "DSN=" is kept.
std::string TraduzirParaOdbc(const std::string& cadeiaOleDb);

// The connector of the real backend (unixODBC/FreeTDS on Linux, the system driver
// manager on Windows).
std::unique_ptr<Conector> CriarConector(const std::string& cadeiaDeConexao);

// Offers ODBC to the session layer as the default backend: every provider no other
// backend registered, and strings that name a driver or DSN.
void RegistrarProvedor();

}  // namespace zolvek::db::odbc
