#include "simulador/motor/argumentos_das_funcoes.hpp"

#include "comum/erros.hpp"
#include "simulador/motor/registro_das_funcoes.hpp"

namespace zolvek::simulador {

void ExigirArgumentos(const std::string& funcao, std::size_t quantos) {
    const FuncaoEmbutida* f = FuncaoEmbutidaDe(funcao);
    if (!f) return;
    const std::size_t minimo = f->minimo, maximo = f->maximo;
    if (quantos >= minimo && quantos <= maximo) return;
    if (minimo == maximo)
        throw ErroDeBanco(
            "The " + funcao + " function requires " + std::to_string(minimo) + " argument(s).", 174,
            15, 1);
    throw ErroDeBanco("The " + funcao + " function requires " + std::to_string(minimo) + " to " +
                          std::to_string(maximo) + " arguments.",
                      189, 15, 1);
}

}  // namespace zolvek::simulador
