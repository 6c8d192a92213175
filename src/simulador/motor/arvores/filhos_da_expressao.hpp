#pragma once

#include <variant>

#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/arvores/visitante.hpp"

namespace zolvek::simulador {

// Calls f(const Expressao&) on each expression directly under e; subqueries are
// queries of their own and are not entered.
template <typename F>
void ParaCadaFilho(const Expressao& e, F&& f) {
    auto filho = [&](const Expr& x) {
        if (x) f(*x);
    };
    std::visit(Visitante{
                   [&](const Unaria& u) { filho(u.operando); },
                   [&](const Binaria& b) {
                       filho(b.esquerda);
                       filho(b.direita);
                   },
                   [&](const Chamada& c) {
                       for (const auto& a : c.argumentos) filho(a);
                   },
                   [&](const Caso& c) {
                       filho(c.base);
                       for (const auto& [quando, entao] : c.ramos) {
                           filho(quando);
                           filho(entao);
                       }
                       filho(c.senao);
                   },
                   [&](const Em& em) {
                       filho(em.valor);
                       for (const auto& x : em.lista) filho(x);
                   },
                   [&](const Entre& b) {
                       filho(b.valor);
                       filho(b.de);
                       filho(b.ate);
                   },
                   [&](const Semelhante& s) {
                       filho(s.valor);
                       filho(s.padrao);
                       filho(s.escape);
                   },
                   [&](const EhNulo& n) { filho(n.valor); },
                   [&](const ComColacao& c) { filho(c.valor); },
                   [&](const Parenteses& p) { filho(p.dentro); },
                   [&](const auto&) {},
               },
               e.no);
}

}  // namespace zolvek::simulador
