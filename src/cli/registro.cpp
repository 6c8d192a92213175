#include "cli/registro.hpp"

#include <algorithm>

namespace zolvek::cli {

namespace {
std::vector<ComandoCli>& Registro() {
    static std::vector<ComandoCli> comandos;
    return comandos;
}
}  // namespace

const std::vector<ComandoCli>& ComandosRegistrados() { return Registro(); }

const ComandoCli* AcharComando(const std::string& nome) {
    for (const auto& c : Registro())
        if (c.nome == nome) return &c;
    return nullptr;
}

RegistrarComando::RegistrarComando(ComandoCli comando) {
    auto& comandos = Registro();
    comandos.push_back(std::move(comando));
    std::sort(comandos.begin(), comandos.end(),
              [](const ComandoCli& a, const ComandoCli& b) { return a.nome < b.nome; });
}

}  // namespace zolvek::cli
