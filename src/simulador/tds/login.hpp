#pragma once

#include <string>

#include "simulador/tds/login7.hpp"
#include "simulador/tds/sessao_tds.hpp"

namespace zolvek::simulador::tds {

// Opens the stand-in session of a LOGIN7 on the folder and answers it: LOGINACK and
// the ENVCHANGE and INFO of the database, language, collation and packet size, or the
// login's failure (18456, 4060, 18452). True when the client is logged in.
bool Entrar(SessaoTds& s, const Login7& login, const std::string& pasta);

}  // namespace zolvek::simulador::tds
