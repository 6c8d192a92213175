#include "simulador/motor/tipos/tipos.hpp"

#include <algorithm>
#include <cstdio>

namespace zolvek::simulador {

TipoSql TipoDaOperacaoDecimal(char operador, int p1, int s1, int p2, int s2) {
    int p = 0, s = 0;
    switch (operador) {
        case '+':
        case '-':
            s = std::max(s1, s2);
            p = std::max(p1 - s1, p2 - s2) + s + 1;
            if (p > 38) s = std::max(0, std::min(s, 38 - std::max(p1 - s1, p2 - s2)));
            break;
        case '%':
            s = std::max(s1, s2);
            p = std::min(p1 - s1, p2 - s2) + s;
            break;
        default:
            if (operador == '*') {
                p = p1 + p2 + 1;
                s = s1 + s2;
            } else {
                s = std::max(6, s1 + p2 + 1);
                p = p1 - s1 + s2 + s;
            }
            // Past 38 digits the integral part keeps its room; the scale gives way, but
            // not below 6 digits once the integral part needs more than 32.
            if (p > 38) {
                const int inteira = p - s;
                if (inteira < 32)
                    s = std::min(s, 38 - inteira);
                else if (s > 6)
                    s = 6;
            }
            break;
    }
    return TipoSql{TipoBase::Numeric, 0, std::clamp(p, 1, 38), std::clamp(s, 0, 38)};
}

std::string FormatarDecimal(double v, int escala) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", escala, v);
    std::string s = b;
    if (s == "-0" || (s.rfind("-0.", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos))
        s.erase(0, 1);
    return s;
}

}  // namespace zolvek::simulador
