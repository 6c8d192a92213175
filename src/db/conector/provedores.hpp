#pragma once

#include <memory>
#include <string>

#include "db/conector/conector.hpp"

// The backends a program offers, by the Provider name of the connection string. Each
// backend registers itself (simulador::RegistrarProvedor, odbc::RegistrarProvedor) and
// the programs call the registration of the ones they link, at start.
namespace zolvek::db {

using FabricaDeConector = std::unique_ptr<Conector> (*)(const std::string& cadeiaDeConexao);

// Registers the backend of a Provider name (compared without letter case). The
// default backend takes every other provider and the strings that name an ODBC
// driver or DSN. Registering again replaces the earlier one.
void RegistrarProvedor(const std::string& provedor, FabricaDeConector fabrica);
void RegistrarProvedorPadrao(FabricaDeConector fabrica);

// The backend for a connection string, not yet open. Raises ErroDeEntrada for a
// malformed string and ErroDeBanco when no registered backend takes it.
std::unique_ptr<Conector> CriarConectorDaCadeia(const std::string& cadeiaDeConexao);

}  // namespace zolvek::db
