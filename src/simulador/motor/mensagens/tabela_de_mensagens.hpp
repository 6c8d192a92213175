#pragma once

#include <span>
#include <string_view>

// The rows of the catalog of SQL Server's messages, one file per range of numbers.
namespace zolvek::simulador {

struct LinhaDeMensagem {
    int numero;
    int severidade;
    int estado;              // the usual one; a call may raise the message in another
    std::string_view texto;  // %1, %2...: the values, in order
};

// Each in number order; together, the whole catalog.
std::span<const LinhaDeMensagem> MensagensAte999();
std::span<const LinhaDeMensagem> MensagensDe1000A4999();
std::span<const LinhaDeMensagem> MensagensDe5000EmDiante();

}  // namespace zolvek::simulador
