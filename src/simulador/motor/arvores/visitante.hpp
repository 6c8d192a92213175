#pragma once

// std::visit over a set of lambdas, one per alternative.
namespace zolvek::simulador {

template <class... F>
struct Visitante : F... {
    using F::operator()...;
};
template <class... F>
Visitante(F...) -> Visitante<F...>;

}  // namespace zolvek::simulador
