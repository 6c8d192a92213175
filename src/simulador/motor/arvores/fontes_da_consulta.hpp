#pragma once

#include <vector>

#include "simulador/motor/arvores/expressao.hpp"

namespace zolvek::simulador {

// Calls f(const Fonte&) on each table source of a FROM, those of joins in parentheses
// included, in the order they are written; a join in parentheses is not one itself.
template <typename F>
void ParaCadaFonte(const std::vector<Juncao>& de, F&& f) {
    for (const auto& j : de) {
        if (j.fonte.juncoes.empty())
            f(j.fonte);
        else
            ParaCadaFonte(j.fonte.juncoes, f);
    }
}

}  // namespace zolvek::simulador
