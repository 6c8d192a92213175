#pragma once

#include <string>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/leitura/lexico.hpp"

// The key under which INSERT ... VALUES statements that differ only in their literals
// share one compiled form (execucao/formas_de_insercao.hpp), read with the batch.
namespace zolvek::simulador {

// The key of an INSERT's form: its tokens as written, except that a text stands for
// its kind (N'' or '') and a short integer for its number of digits, which is all the
// compiler reads of them. Other literals (decimals, dates in texts with NUL, binaries,
// long numbers) stand for themselves. "" when the statement takes the caller's
// parameters (its form is not shared). The key of IDENTITY_INSERT off.
std::string ChaveDaForma(const std::vector<Token>& tokens, Faixa faixa);

// A short integer written without leading zeros: its type (int of so many digits) its
// number of digits tells alone.
bool DigitosCurtos(const std::string& n);

}  // namespace zolvek::simulador
