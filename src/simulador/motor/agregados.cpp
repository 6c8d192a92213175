#include "simulador/motor/agregados.hpp"

#include <set>
#include <string>

#include "simulador/motor/colacao.hpp"
#include "simulador/motor/filhos_da_expressao.hpp"

namespace zolvek::simulador {

bool EhAgregado(const Chamada& c) {
    static const std::set<std::string> kAgregados = {
        "count", "count_big", "sum", "avg",  "min",      "max",
        "stdev", "stdevp",    "var", "varp", "grouping", "checksum_agg"};
    return !c.sobre && c.nome.size() == 1 && kAgregados.count(Dobrar(c.nome[0]));
}

bool TemAgregado(const Expressao& e) {
    if (const auto* c = std::get_if<Chamada>(&e.no); c && EhAgregado(*c)) return true;
    bool achou = false;
    ParaCadaFilho(e, [&](const Expressao& x) { achou = achou || TemAgregado(x); });
    return achou;
}

}  // namespace zolvek::simulador
