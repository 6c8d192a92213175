#include "simulador/tds/decimais_tds.hpp"

#include "comum/decimal.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador::tds {

namespace {

Decimal ComoDecimal(const db::Valor& v) {
    if (const auto* d = std::get_if<db::Decimal>(&v)) return Decimal::Ler(d->texto);
    if (const auto* n = std::get_if<std::int64_t>(&v)) return Decimal(*n);
    if (const auto* b = std::get_if<bool>(&v)) return Decimal(*b ? 1 : 0);
    if (const auto* r = std::get_if<double>(&v)) return Decimal::DeReal(*r);
    return Decimal::Ler(db::ValorComoTexto(v));
}

}  // namespace

Magnitude ComoMagnitude(const db::Valor& v, int precisao, int escala) {
    const Decimal d = ComoDecimal(v).Arredondar(escala, Arredondamento::MetadeLongeDoZero);
    if (!d.CabeEm(precisao, escala)) throw ErroDoServidor(8115, {"expression", "numeric"});
    Magnitude m;
    m.negativo = d.Negativo();
    for (char c : d.Texto())
        if (c >= '0' && c <= '9') m.valor = m.valor * 10 + static_cast<unsigned>(c - '0');
    return m;
}

std::string TextoDaMagnitude(const Magnitude& m, int escala) {
    std::string invertido;  // digits from the last one, the point among them
    Inteiro128 v = m.valor;
    for (int i = 0; v != 0 || i <= escala; ++i) {
        if (i == escala && escala > 0) invertido += '.';
        invertido += static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    }
    if (m.negativo && m.valor != 0) invertido += '-';
    return std::string(invertido.rbegin(), invertido.rend());
}

std::int64_t ComoDezMilesimos(const db::Valor& v) {
    const Magnitude m = ComoMagnitude(v, 19, 4);
    // money goes from -922337203685477.5808 to 922337203685477.5807
    const Inteiro128 limite = static_cast<Inteiro128>(INT64_MAX) + (m.negativo ? 1 : 0);
    if (m.valor > limite) throw ErroDoServidor(8115, {"expression", "money"});
    if (!m.negativo || m.valor == 0) return static_cast<std::int64_t>(m.valor);
    return -static_cast<std::int64_t>(m.valor - 1) - 1;
}

}  // namespace zolvek::simulador::tds
