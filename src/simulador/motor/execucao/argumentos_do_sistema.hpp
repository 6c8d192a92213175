#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/conector/valor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// A value as the text a system procedure takes ("" for NULL).
std::string ComoTextoDeValor(const db::Valor& v);

// Argument i of a system procedure's call, given by its position or as @nome; nothing when
// it is missing or NULL.
inline std::optional<std::string> ArgumentoDoSistema(
    const std::vector<std::pair<std::string, db::Valor>>& args, std::size_t i,
    std::string_view nome) {
    auto texto = [](const db::Valor& v) {
        return db::EhNulo(v) ? std::nullopt : std::optional(ComoTextoDeValor(v));
    };
    for (const auto& [n, v] : args)  // a named one is kept without its @
        if (!n.empty() && IguaisCiAs(n, nome)) return texto(v);
    std::size_t k = 0;
    for (const auto& [n, v] : args)
        if (n.empty() && k++ == i) return texto(v);
    return std::nullopt;
}

// Whether argument i was given, even as NULL.
inline bool ArgumentoFornecido(const std::vector<std::pair<std::string, db::Valor>>& args,
                               std::size_t i, std::string_view nome) {
    std::size_t posicionais = 0;
    for (const auto& [n, v] : args)
        if (n.empty() ? posicionais++ == i : IguaisCiAs(n, nome)) return true;
    return false;
}

}  // namespace zolvek::simulador
