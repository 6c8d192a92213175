#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/leitura/lexico.hpp"

namespace zolvek::simulador {

// Parses one batch. Raises ErroDeBanco ("Incorrect syntax near 'x'.") on what it cannot read.
std::vector<std::unique_ptr<Comando>> AnalisarLote(const std::vector<Token>& tokens,
                                                   const std::string& texto);

}  // namespace zolvek::simulador
