#include "cli/registro.hpp"

#include <algorithm>

namespace zolvek::cli {

namespace {
std::vector<ComandoCli>& Registro() {
    static std::vector<ComandoCli> comandos;
    return comandos;
}
}  // namespace

const std::vector<ComandoCli>& ComandosRegistrados() {
    return Registro();
}

const ComandoCli* AcharComando(const std::string& nome) {
    for (const auto& c : Registro())
        if (c.nome == nome) return &c;
    return nullptr;
}

// Kept in the order of the names: each one goes in at its place.
RegistrarComando::RegistrarComando(ComandoCli comando) {
    auto& comandos = Registro();
    const auto lugar =
        std::upper_bound(comandos.begin(), comandos.end(), comando.nome,
                         [](std::string_view nome, const ComandoCli& c) { return nome < c.nome; });
    comandos.insert(lugar, comando);
}

}  // namespace zolvek::cli
