#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/leitura/lexico.hpp"

namespace zolvek::simulador {

// A batch as read: its statements, and every name it writes that is not followed by "."
// (tables, aliases, common table expressions, derived tables among them), by which a
// failure tells a column its source lacks ("t.x") from a prefix that binds to nothing.
struct LoteLido {
    std::vector<std::unique_ptr<Comando>> comandos;
    std::vector<std::string> fontes;  // each once, as first written
};

// Parses one batch. Raises ErroDeBanco ("Incorrect syntax near 'x'.") on what it cannot read.
LoteLido AnalisarLote(const std::vector<Token>& tokens, const std::string& texto);

}  // namespace zolvek::simulador
