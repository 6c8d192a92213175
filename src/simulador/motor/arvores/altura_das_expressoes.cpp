#include <algorithm>
#include <utility>

#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/arvores/filhos_da_expressao.hpp"
#include "simulador/motor/mensagens/falhas.hpp"

namespace zolvek::simulador {

namespace {

// The walks over a tree (typing it, writing SQLite's text, the executor's checks, even
// freeing it) recurse once per level, on a stack of a few megabytes.
constexpr int kAlturaMaxima = 2000;

thread_local int maiorAltura = 0;

const Consulta* ConsultaDoNo(const Expressao& e) {
    if (const auto* s = std::get_if<Subconsulta>(&e.no)) return s->consulta.get();
    if (const auto* x = std::get_if<Existe>(&e.no)) return x->consulta.get();
    if (const auto* em = std::get_if<Em>(&e.no)) return em->consulta.get();
    return nullptr;
}

}  // namespace

int AlturaDoNo(const Expressao& e) {
    int altura = 0;
    ParaCadaFilho(e, [&](const Expressao& filho) { altura = std::max(altura, filho.altura); });
    if (const Consulta* q = ConsultaDoNo(e)) altura = std::max(altura, q->altura);
    if (++altura > kAlturaMaxima) throw ErroDeAninhamento();
    maiorAltura = std::max(maiorAltura, altura);
    return altura;
}

int TomarMaiorAltura(int novaAltura) {
    return std::exchange(maiorAltura, novaAltura);
}

}  // namespace zolvek::simulador
