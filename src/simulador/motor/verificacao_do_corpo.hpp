#pragma once

#include <memory>
#include <vector>

#include "simulador/motor/arvore.hpp"

// SQL Server compiles a procedure, trigger or function when it is created: every
// expression and query of its body must read. Tables are resolved only when it runs.
namespace zolvek::simulador {

// Raises ErroDeBanco ("Incorrect syntax near 'x'.") on the first expression or query of
// the statements that does not read.
void VerificarCorpo(const std::vector<Token>& tokens,
                    const std::vector<std::unique_ptr<Comando>>& instrucoes);

}  // namespace zolvek::simulador
