#include "simulador/motor/falhas.hpp"

#include <string_view>

namespace zolvek::simulador {

namespace {

struct NumeroDaMensagem {
    std::string_view inicio;
    int numero;
    int severidade;
    int estado;
};

// SQL Server's number, severity and state of each message the functions raise.
constexpr NumeroDaMensagem kNumeros[] = {
    {"String or binary data would be truncated.", 8152, 16, 14},
    {"Conversion failed when converting date and/or time", 241, 16, 1},
    {"The conversion of a varchar data type to a datetime data type resulted in an "
     "out-of-range value.",
     242, 16, 3},
    {"Conversion failed when converting the", 245, 16, 1},
    {"Error converting data type", 8114, 16, 5},
    {"Arithmetic overflow error", 8115, 16, 8},
    {"Divide by zero error encountered.", 8134, 16, 1},
    {"Type ", 243, 16, 2},
    {"' is not a recognized datediff option.", 155, 15, 1},
    {"' is not a recognized datepart option.", 155, 15, 1},
    {"Invalid length parameter passed to the", 537, 16, 3},
    {"Argument data type", 8116, 16, 1},
};

thread_local std::optional<ErroDeBanco> falhaGuardada;

bool Casa(std::string_view mensagem, std::string_view trecho) {
    if (!trecho.empty() && trecho.front() == '\'')  // a name comes first
        return mensagem.find(trecho) != std::string_view::npos;
    return mensagem.substr(0, trecho.size()) == trecho;
}

}  // namespace

void GuardarFalhaDeFuncao(const std::string& mensagem) {
    for (const auto& n : kNumeros)
        if (Casa(mensagem, n.inicio)) {
            falhaGuardada.emplace(mensagem, n.numero, n.severidade, n.estado);
            return;
        }
    falhaGuardada.emplace(mensagem, 0, 16, 1);
}

std::optional<ErroDeBanco> TomarFalhaDeFuncao() {
    auto f = std::move(falhaGuardada);
    falhaGuardada.reset();
    return f;
}

}  // namespace zolvek::simulador
