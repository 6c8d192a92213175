#include "simulador/motor/funcoes/argumentos_das_funcoes.hpp"

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

namespace zolvek::simulador {

void ExigirArgumentos(const std::string& funcao, std::size_t quantos) {
    const FuncaoEmbutida* f = FuncaoEmbutidaDe(funcao);
    if (!f) return;
    const std::size_t minimo = f->minimo, maximo = f->maximo;
    if (quantos >= minimo && quantos <= maximo) return;
    if (minimo == maximo) throw ErroDoServidor(174, {funcao, std::to_string(minimo)});
    throw ErroDoServidor(189, {funcao, std::to_string(minimo), std::to_string(maximo)});
}

}  // namespace zolvek::simulador
