#pragma once

#include <memory>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/leitura/lexico.hpp"

// SQL Server compiles a procedure, trigger or function when it is created: every
// expression and query of its body must read. Tables are resolved only when it runs.
namespace zolvek::simulador {

// Raises ErroDeBanco ("Incorrect syntax near 'x'.") on the first expression or query of
// the statements that does not read; in a function's body (`funcao`), also on the first
// statement with an effect outside it (443) or that returns rows to the client (444); in
// a table function's (`funcaoDeTabela`), also on a RETURN with a value (178).
void VerificarCorpo(const std::vector<Token>& tokens,
                    const std::vector<std::unique_ptr<Comando>>& instrucoes, bool funcao,
                    bool funcaoDeTabela = false);

}  // namespace zolvek::simulador
