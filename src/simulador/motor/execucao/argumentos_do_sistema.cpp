#include "simulador/motor/execucao/argumentos_do_sistema.hpp"

#include <string>
#include <variant>

#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

std::string ComoTextoDeValor(const db::Valor& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return "";
            else if constexpr (std::is_same_v<T, bool>)
                return x ? "1" : "0";
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return std::to_string(x);
            else if constexpr (std::is_same_v<T, double>)
                return std::to_string(x);
            else if constexpr (std::is_same_v<T, db::Decimal>)
                return x.texto;
            else if constexpr (std::is_same_v<T, std::string>)
                return x;
            else if constexpr (std::is_same_v<T, db::Bytes>)
                return std::string(x.begin(), x.end());
            else
                return FormatarDataHora(x);
        },
        v);
}

}  // namespace zolvek::simulador
