#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

// An exact decimal number: a signed integer coefficient and a scale (the number of
// digits after the point), value = coefficient / 10^scale. Money and tax figures, and
// the stand-in's DECIMAL and NUMERIC values, are computed with it and never pass
// through binary floating point.
namespace zolvek {

enum class Arredondamento {
    MetadeParaPar,      // 0.125 -> 0.12, 0.135 -> 0.14 (banker's rounding)
    MetadeLongeDoZero,  // 0.125 -> 0.13, -0.125 -> -0.13 (SQL Server's ROUND)
    Truncar,            // drops the digits, toward zero
};

class Decimal {
  public:
    // SQL Server's largest precision. Values themselves are exact up to twice that, so
    // the product of two 38-digit values is kept whole; the SQL layer applies its own
    // 38-digit limit with CabeEm.
    static constexpr int kPrecisaoMaxima = 38;
    static constexpr int kDigitosInternos = 76;

    Decimal() = default;
    Decimal(std::int64_t inteiro);  // NOLINT: an integer is a decimal of scale 0
    Decimal(int inteiro) : Decimal(static_cast<std::int64_t>(inteiro)) {}

    // Reads "[+-]digits[.digits][e[+-]digits]" (also ".5" and "5."), blanks around
    // allowed; the scale is the number of digits written after the point. Text that is
    // not such a number raises ErroDeEntrada.
    static Decimal Ler(std::string_view texto);
    static bool TentarLer(std::string_view texto, Decimal& saida);
    // The shortest decimal text that reads back as the same double.
    static Decimal DeReal(double valor);

    // "-12.3400": all scale digits, a leading "0" before the point, no exponent.
    std::string Texto() const;
    double ComoReal() const;
    // The integer part (toward zero); ErroDeEntrada when it does not fit in 64 bits.
    std::int64_t ComoInteiro() const;

    int Escala() const { return escala_; }
    // Digits of the coefficient (at least 1): the precision the value needs as written.
    int Digitos() const;
    // True when the value can be held as DECIMAL(precisao, escala) without losing
    // digits: rounding to `escala` is the caller's business.
    bool CabeEm(int precisao, int escala) const;
    bool Zero() const;
    bool Negativo() const { return negativo_ && !Zero(); }
    int Sinal() const { return Zero() ? 0 : (negativo_ ? -1 : 1); }

    // Exact: the scale of a sum is the larger scale, of a product the sum of scales.
    // A result beyond kDigitosInternos digits raises ErroDeEntrada.
    Decimal operator+(const Decimal& b) const;
    Decimal operator-(const Decimal& b) const;
    Decimal operator*(const Decimal& b) const;
    Decimal operator-() const;
    Decimal& operator+=(const Decimal& b) { return *this = *this + b; }
    Decimal& operator-=(const Decimal& b) { return *this = *this - b; }
    Decimal& operator*=(const Decimal& b) { return *this = *this * b; }

    // The quotient with `escala` digits after the point. Division by zero raises
    // ErroDeEntrada "Divisão por zero".
    Decimal Dividir(const Decimal& divisor, int escala, Arredondamento modo) const;
    // SQL Server's rule for DECIMAL division: scale max(6, scale + divisor digits + 1),
    // the remaining digits dropped.
    Decimal operator/(const Decimal& divisor) const;

    // The value with `casas` digits after the point (a negative count rounds to tens,
    // hundreds...), rounded as asked. The result keeps exactly max(casas, 0) digits.
    Decimal Arredondar(int casas, Arredondamento modo = Arredondamento::MetadeParaPar) const;
    Decimal Truncar(int casas) const { return Arredondar(casas, Arredondamento::Truncar); }
    // The same value written with more digits after the point (never loses digits;
    // for fewer digits use Arredondar).
    Decimal ComEscala(int escala) const;

    // Compares values, whatever their scales: 1.50 == 1.5.
    bool operator==(const Decimal& b) const;
    std::strong_ordering operator<=>(const Decimal& b) const;

  private:
    friend struct AcessoAoDecimal;
    // Magnitude of the coefficient, least significant word first.
    std::array<std::uint64_t, 4> palavras_{};
    bool negativo_ = false;
    int escala_ = 0;
};

}  // namespace zolvek
