#pragma once

#include <string>
#include <vector>

#include "comum/comando.hpp"

namespace zolvek::cli {

// Writes a command's error rows as CSV ("Tabela","Campo","Função","Descrição","Comando",
// CR LF line ends). Raises ErroDeEntrada when the file cannot be created or written.
void GravarErrosEmCsv(const std::string& arquivo, const std::vector<LinhaDeErro>& erros);

}  // namespace zolvek::cli
