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

// For a short process (zolvek-cli), before its first use of SQLite: SQLite keeps no count
// of the memory it holds, which costs a global lock at every allocation and free (some
// thousands of them to open a session). A process that started SQLite already keeps it.
void DispensarContagemDeMemoriaDoSqlite();

// For tests of a full disk: every database file that a session opens from now on may
// grow by at most `paginas` pages of its SQLite file (0, as at start: no limit).
void LimitarCrescimentoDosBancosParaTestes(int paginas);

}  // namespace zolvek::simulador
