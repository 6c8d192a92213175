#include "comum/decimal.hpp"

#include <algorithm>
#include <boost/multiprecision/cpp_int.hpp>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "comum/erros.hpp"

namespace zolvek {

namespace {

// Wide enough for the exact product of two 76-digit coefficients and for the scaled
// dividends of a division.
using Grande = boost::multiprecision::int512_t;
constexpr int kMaiorPotencia = 150;

const Grande& Potencia10(int n) {
    static const std::vector<Grande> potencias = [] {
        std::vector<Grande> p(kMaiorPotencia + 1);
        p[0] = 1;
        for (int i = 1; i <= kMaiorPotencia; ++i) p[i] = p[i - 1] * 10;
        return p;
    }();
    if (n < 0 || n > kMaiorPotencia)
        throw ErroDeEntrada(
            "Estouro aritmético em valor decimal: escala ou expoente grande demais");
    return potencias[static_cast<std::size_t>(n)];
}

[[noreturn]] void Estouro() {
    throw ErroDeEntrada("Estouro aritmético em valor decimal: o resultado passa de " +
                        std::to_string(Decimal::kDigitosInternos) + " dígitos");
}

int DigitosDe(Grande m) {
    if (m < 0) m = -m;
    int n = 1;
    while (n <= kMaiorPotencia && m >= Potencia10(n)) ++n;
    return n;
}

// n / d rounded to an integer as asked.
Grande DividirArredondando(const Grande& n, const Grande& d, Arredondamento modo) {
    Grande q = n / d;  // toward zero
    const Grande r = n % d;
    if (r == 0 || modo == Arredondamento::Truncar) return q;
    const Grande dobro = 2 * (r < 0 ? Grande(-r) : r);
    const Grande absD = d < 0 ? Grande(-d) : d;
    const int sinal = ((n < 0) != (d < 0)) ? -1 : 1;
    bool subir = dobro > absD;
    if (dobro == absD) subir = modo == Arredondamento::MetadeLongeDoZero || (q % 2 != 0);
    if (subir) q += sinal;
    return q;
}

}  // namespace

// Conversions between the stored words and the wide integer arithmetic works in.
struct AcessoAoDecimal {
    static Grande Coeficiente(const Decimal& d) {
        Grande r = 0;
        for (int i = 3; i >= 0; --i) {
            r <<= 64;
            r |= d.palavras_[static_cast<std::size_t>(i)];
        }
        return d.negativo_ ? Grande(-r) : r;
    }

    static Decimal Montar(const Grande& c, int escala) {
        if (escala < 0 || escala > Decimal::kDigitosInternos)
            throw ErroDeEntrada("Estouro aritmético em valor decimal: escala " +
                                std::to_string(escala) + " fora do limite");
        Grande m = c < 0 ? Grande(-c) : c;
        if (m >= Potencia10(Decimal::kDigitosInternos)) Estouro();
        Decimal d;
        d.negativo_ = c < 0;
        d.escala_ = escala;
        const Grande mascara = (Grande(1) << 64) - 1;
        for (std::size_t i = 0; i < 4; ++i) {
            d.palavras_[i] = static_cast<std::uint64_t>(m & mascara);
            m >>= 64;
        }
        return d;
    }

    // Both coefficients written with the larger scale.
    static void Alinhar(const Decimal& a, const Decimal& b, Grande& ca, Grande& cb, int& escala) {
        escala = std::max(a.escala_, b.escala_);
        ca = Coeficiente(a) * Potencia10(escala - a.escala_);
        cb = Coeficiente(b) * Potencia10(escala - b.escala_);
    }
};

using A = AcessoAoDecimal;

Decimal::Decimal(std::int64_t inteiro) {
    *this = A::Montar(Grande(inteiro), 0);
}

bool Decimal::TentarLer(std::string_view texto, Decimal& saida) {
    std::size_t i = 0, fim = texto.size();
    while (i < fim && (texto[i] == ' ' || texto[i] == '\t')) ++i;
    while (fim > i && (texto[fim - 1] == ' ' || texto[fim - 1] == '\t')) --fim;
    bool negativo = false;
    if (i < fim && (texto[i] == '+' || texto[i] == '-')) negativo = texto[i++] == '-';
    std::string digitos;
    int fracao = 0;
    bool ponto = false;
    for (; i < fim; ++i) {
        const char c = texto[i];
        if (c >= '0' && c <= '9') {
            digitos += c;
            if (ponto) ++fracao;
        } else if (c == '.' && !ponto) {
            ponto = true;
        } else {
            break;
        }
    }
    if (digitos.empty()) return false;
    digitos.erase(0, std::min(digitos.find_first_not_of('0'), digitos.size()));
    long expoente = 0;
    if (i < fim && (texto[i] == 'e' || texto[i] == 'E')) {
        ++i;
        bool expNegativo = false;
        if (i < fim && (texto[i] == '+' || texto[i] == '-')) expNegativo = texto[i++] == '-';
        if (i >= fim) return false;
        for (; i < fim; ++i) {
            if (texto[i] < '0' || texto[i] > '9') return false;
            expoente = expoente * 10 + (texto[i] - '0');
            if (expoente > 1000) return false;
        }
        if (expNegativo) expoente = -expoente;
    }
    if (i != fim) return false;
    if (static_cast<int>(digitos.size()) > kDigitosInternos) return false;
    Grande c = digitos.empty() ? Grande(0) : Grande(digitos);
    long escala = fracao - expoente;
    if (escala < 0) {
        if (-escala > kDigitosInternos) return false;
        c *= Potencia10(static_cast<int>(-escala));
        escala = 0;
    }
    if (escala > kDigitosInternos) return false;
    if (c >= Potencia10(kDigitosInternos)) return false;
    saida = A::Montar(negativo ? Grande(-c) : c, static_cast<int>(escala));
    return true;
}

Decimal Decimal::Ler(std::string_view texto) {
    Decimal d;
    if (!TentarLer(texto, d))
        throw ErroDeEntrada("'" + std::string(texto) + "' não é um número decimal válido");
    return d;
}

Decimal Decimal::DeReal(double valor) {
    if (!std::isfinite(valor)) throw ErroDeEntrada("Valor real não finito não é um número decimal");
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, valor);
    return Ler(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

std::string Decimal::Texto() const {
    const Grande c = A::Coeficiente(*this);
    std::string m = (c < 0 ? Grande(-c) : c).str();
    if (static_cast<int>(m.size()) <= escala_)
        m.insert(0, static_cast<std::size_t>(escala_ - static_cast<int>(m.size()) + 1), '0');
    if (escala_ > 0) m.insert(m.size() - static_cast<std::size_t>(escala_), ".");
    return Negativo() ? "-" + m : m;
}

double Decimal::ComoReal() const {
    return std::stod(Texto());
}

std::int64_t Decimal::ComoInteiro() const {
    const Grande q = A::Coeficiente(*this) / Potencia10(escala_);
    if (q > std::numeric_limits<std::int64_t>::max() ||
        q < std::numeric_limits<std::int64_t>::min())
        throw ErroDeEntrada("O valor " + Texto() + " não cabe em um inteiro de 64 bits");
    return static_cast<std::int64_t>(q);
}

int Decimal::Digitos() const {
    return DigitosDe(A::Coeficiente(*this));
}

bool Decimal::CabeEm(int precisao, int escala) const {
    const Grande inteira = A::Coeficiente(*this) / Potencia10(escala_);
    const int digitosInteiros = inteira == 0 ? 0 : DigitosDe(inteira);
    return digitosInteiros <= precisao - escala;
}

bool Decimal::Zero() const {
    return palavras_[0] == 0 && palavras_[1] == 0 && palavras_[2] == 0 && palavras_[3] == 0;
}

Decimal Decimal::operator+(const Decimal& b) const {
    Grande ca, cb;
    int escala;
    A::Alinhar(*this, b, ca, cb, escala);
    return A::Montar(ca + cb, escala);
}

Decimal Decimal::operator-(const Decimal& b) const {
    Grande ca, cb;
    int escala;
    A::Alinhar(*this, b, ca, cb, escala);
    return A::Montar(ca - cb, escala);
}

Decimal Decimal::operator-() const {
    return A::Montar(-A::Coeficiente(*this), escala_);
}

Decimal Decimal::operator*(const Decimal& b) const {
    return A::Montar(A::Coeficiente(*this) * A::Coeficiente(b), escala_ + b.escala_);
}

Decimal Decimal::Dividir(const Decimal& divisor, int escala, Arredondamento modo) const {
    const Grande d = A::Coeficiente(divisor);
    if (d == 0) throw ErroDeEntrada("Divisão por zero");
    if (escala < 0 || escala > kDigitosInternos)
        throw ErroDeEntrada("Estouro aritmético em valor decimal: escala " +
                            std::to_string(escala) + " fora do limite");
    // (a / 10^sa) / (d / 10^sd) = a * 10^(sd - sa) / d, wanted with `escala` digits.
    const int expoente = escala + divisor.escala_ - escala_;
    Grande n = A::Coeficiente(*this);
    Grande den = d;
    if (expoente >= 0) {
        if (n != 0 && DigitosDe(n) + expoente > kMaiorPotencia) Estouro();
        n *= Potencia10(expoente);
    } else {
        den *= Potencia10(-expoente);
    }
    return A::Montar(DividirArredondando(n, den, modo), escala);
}

Decimal Decimal::operator/(const Decimal& divisor) const {
    return Dividir(divisor, std::max(6, escala_ + divisor.Digitos() + 1), Arredondamento::Truncar);
}

Decimal Decimal::Arredondar(int casas, Arredondamento modo) const {
    if (casas >= escala_) return ComEscala(std::max(casas, 0));
    const Grande q = DividirArredondando(A::Coeficiente(*this), Potencia10(escala_ - casas), modo);
    if (casas >= 0) return A::Montar(q, casas);
    return A::Montar(q * Potencia10(-casas), 0);
}

Decimal Decimal::ComEscala(int escala) const {
    if (escala < escala_)
        throw ErroDeEntrada("A escala " + std::to_string(escala) + " perderia dígitos do valor " +
                            Texto());
    return A::Montar(A::Coeficiente(*this) * Potencia10(escala - escala_), escala);
}

bool Decimal::operator==(const Decimal& b) const {
    return (*this <=> b) == std::strong_ordering::equal;
}

std::strong_ordering Decimal::operator<=>(const Decimal& b) const {
    Grande ca, cb;
    int escala;
    A::Alinhar(*this, b, ca, cb, escala);
    if (ca < cb) return std::strong_ordering::less;
    if (ca > cb) return std::strong_ordering::greater;
    return std::strong_ordering::equal;
}

}  // namespace zolvek
