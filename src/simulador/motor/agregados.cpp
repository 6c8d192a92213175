#include "simulador/motor/agregados.hpp"

#include "simulador/motor/colacao.hpp"
#include "simulador/motor/filhos_da_expressao.hpp"
#include "simulador/motor/registro_das_funcoes.hpp"

namespace zolvek::simulador {

bool EhAgregado(const Chamada& c) {
    if (c.sobre || c.nome.size() != 1) return false;
    const FuncaoEmbutida* f = FuncaoEmbutidaDe(Dobrar(c.nome[0]));
    return f && f->especie == EspecieDeFuncao::Agregada;
}

bool TemAgregado(const Expressao& e) {
    if (const auto* c = std::get_if<Chamada>(&e.no); c && EhAgregado(*c)) return true;
    bool achou = false;
    ParaCadaFilho(e, [&](const Expressao& x) { achou = achou || TemAgregado(x); });
    return achou;
}

}  // namespace zolvek::simulador
