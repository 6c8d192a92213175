#pragma once

#include <string>
#include <vector>

#include "db/conector/valor.hpp"

namespace zolvek::simulador {

// RAISERROR's message with its %s, %d ... replaced by the arguments, as printf does.
std::string FormatarMensagem(const std::string& formato, const std::vector<db::Valor>& args);

}  // namespace zolvek::simulador
