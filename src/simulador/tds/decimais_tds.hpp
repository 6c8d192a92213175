#pragma once

#include <cstdint>
#include <string>

#include "db/conector/valor.hpp"

// Exact numbers on the wire: decimal and numeric as a sign and a magnitude at the
// column's scale, money as ten-thousandths.
namespace zolvek::simulador::tds {

// 38 digits need 127 bits.
__extension__ typedef unsigned __int128 Inteiro128;

struct Magnitude {
    bool negativo = false;
    Inteiro128 valor = 0;
};

// The value at `escala` digits after the point (rounded half away from zero, as SQL
// Server converts); ErroDeEntrada when it needs more than `precisao` digits.
Magnitude ComoMagnitude(const db::Valor& v, int precisao, int escala);
// "-12.3400" of a magnitude at that scale.
std::string TextoDaMagnitude(const Magnitude& m, int escala);

// money and smallmoney: the value in ten-thousandths.
std::int64_t ComoDezMilesimos(const db::Valor& v);

}  // namespace zolvek::simulador::tds
