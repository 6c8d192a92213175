#pragma once

#include <memory>
#include <string>

#include "db/conector/conector.hpp"

namespace zolvek::simulador {

// The connector of the embedded SQL Server stand-in, for a connection string whose
// Provider is "Simulador": Data Source is the server folder, Initial Catalog the
// database, User ID/Password or Integrated Security=SSPI the login.
std::unique_ptr<db::Conector> CriarConector(const std::string& cadeiaDeConexao);

// Offers the stand-in to the session layer as the provider "Simulador".
void RegistrarProvedor();

// For tests of a full disk: every database file that a session opens from now on may
// grow by at most `paginas` pages of its SQLite file (0, as at start: no limit).
void LimitarCrescimentoDosBancosParaTestes(int paginas);

}  // namespace zolvek::simulador
