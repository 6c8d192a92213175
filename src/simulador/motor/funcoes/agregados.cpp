#include "simulador/motor/funcoes/agregados.hpp"

#include "comum/erros.hpp"
#include "simulador/motor/arvores/filhos_da_expressao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

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

namespace {

bool TemAgregadoOuSubconsulta(const Expressao& e) {
    if (std::holds_alternative<Subconsulta>(e.no) || std::holds_alternative<Existe>(e.no))
        return true;
    if (const auto* em = std::get_if<Em>(&e.no); em && em->consulta) return true;
    if (const auto* c = std::get_if<Chamada>(&e.no); c && EhAgregado(*c)) return true;
    bool achou = false;
    ParaCadaFilho(e, [&](const Expressao& x) { achou = achou || TemAgregadoOuSubconsulta(x); });
    return achou;
}

}  // namespace

void RecusarAgregadoAninhado(const Chamada& c) {
    if (!EhAgregado(c)) return;
    for (const auto& a : c.argumentos)
        if (a && TemAgregadoOuSubconsulta(*a)) throw ErroDoServidor(130);
}

}  // namespace zolvek::simulador
