#include "comum/texto.hpp"

#include <array>
#include <cstdint>
#include <cstdio>

#include "comum/erros.hpp"

namespace zolvek::texto {

namespace {

// The characters of bytes 0x80-0x9F; the rest of Windows-1252 is Latin-1.
constexpr std::array<char32_t, 32> kFaixa80a9F = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int ByteWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (size_t i = 0; i < kFaixa80a9F.size(); ++i)
        if (kFaixa80a9F[i] == c) return static_cast<int>(0x80 + i);
    return -1;
}

char32_t ParaMaiuscula(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A: upper/lower pairs side by side.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
}

char32_t ParaMinuscula(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? c : c + 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    return c;
}

// Applies a character mapping; bytes that are not valid UTF-8 pass through untouched.
template <typename Mapa>
std::string Mapear(std::string_view s, Mapa mapa) {
    std::string saida;
    saida.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        char32_t c;
        if (LerUtf8(s, pos, c)) {
            AcrescentarUtf8(saida, mapa(c));
        } else {
            saida += s[pos++];
        }
    }
    return saida;
}

bool EhBranco(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

void AcrescentarUtf8(std::string& saida, char32_t c) {
    if (c < 0x80) {
        saida += static_cast<char>(c);
    } else if (c < 0x800) {
        saida += static_cast<char>(0xC0 | (c >> 6));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        saida += static_cast<char>(0xE0 | (c >> 12));
        saida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        saida += static_cast<char>(0xF0 | (c >> 18));
        saida += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        saida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool LerUtf8(std::string_view s, size_t& pos, char32_t& c) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        c = b0;
        ++pos;
        return true;
    }
    size_t extras;
    char32_t minimo;
    if ((b0 & 0xE0) == 0xC0) {
        extras = 1;
        c = b0 & 0x1F;
        minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extras = 2;
        c = b0 & 0x0F;
        minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extras = 3;
        c = b0 & 0x07;
        minimo = 0x10000;
    } else {
        return false;
    }
    if (s.size() - pos <= extras) return false;
    for (size_t i = 1; i <= extras; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return false;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    pos += extras + 1;
    return true;
}

std::string DeWindows1252(std::string_view bytes) {
    std::string saida;
    saida.reserve(bytes.size() + bytes.size() / 8);
    size_t i = 0;
    while (i < bytes.size()) {
        // Plain ASCII runs are copied whole.
        size_t fim = i;
        while (fim < bytes.size() && static_cast<unsigned char>(bytes[fim]) < 0x80) ++fim;
        saida.append(bytes.substr(i, fim - i));
        if (fim == bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[fim]);
        i = fim + 1;
        if (b < 0xA0) {
            AcrescentarUtf8(saida, kFaixa80a9F[b - 0x80]);
        } else {
            AcrescentarUtf8(saida, b);
        }
    }
    return saida;
}

std::string ParaWindows1252(std::string_view utf8) {
    std::string saida;
    saida.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const size_t inicio = pos;
        char32_t c;
        if (!LerUtf8(utf8, pos, c)) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X",
                          static_cast<unsigned>(static_cast<unsigned char>(utf8[inicio])));
            throw ErroDeEntrada("Texto com UTF-8 inválido: byte " + std::string(byte) +
                                " na posição " + std::to_string(inicio + 1));
        }
        const int b = ByteWindows1252(c);
        if (b < 0) {
            char codigo[16];
            std::snprintf(codigo, sizeof codigo, "U+%04X", static_cast<unsigned>(c));
            throw ErroDeEntrada("O caractere '" + std::string(utf8.substr(inicio, pos - inicio)) +
                                "' (" + codigo + ") não tem representação em Windows-1252");
        }
        saida += static_cast<char>(b);
    }
    return saida;
}

std::string Maiusculas(std::string_view utf8) {
    return Mapear(utf8, ParaMaiuscula);
}

std::string Minusculas(std::string_view utf8) {
    return Mapear(utf8, ParaMinuscula);
}

int CompararSemCaixa(std::string_view a, std::string_view b) {
    size_t pa = 0, pb = 0;
    while (pa < a.size() && pb < b.size()) {
        char32_t ca, cb;
        // Invalid bytes compare as themselves.
        if (!LerUtf8(a, pa, ca)) ca = static_cast<unsigned char>(a[pa++]);
        if (!LerUtf8(b, pb, cb)) cb = static_cast<unsigned char>(b[pb++]);
        ca = ParaMaiuscula(ca);
        cb = ParaMaiuscula(cb);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (pa < a.size()) return 1;
    if (pb < b.size()) return -1;
    return 0;
}

bool IguaisSemCaixa(std::string_view a, std::string_view b) {
    // Fast path for the common ASCII case of identifier lookups.
    if (a.size() != b.size()) {
        return CompararSemCaixa(a, b) == 0;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80) return CompararSemCaixa(a.substr(i), b.substr(i)) == 0;
        if (ca != cb && ParaMaiuscula(ca) != ParaMaiuscula(cb)) return false;
    }
    return true;
}

std::string Aparar(std::string_view s) {
    size_t inicio = 0, fim = s.size();
    while (inicio < fim && EhBranco(s[inicio])) ++inicio;
    while (fim > inicio && EhBranco(s[fim - 1])) --fim;
    return std::string(s.substr(inicio, fim - inicio));
}

std::vector<std::string> Dividir(std::string_view s, char separador) {
    std::vector<std::string> partes;
    size_t inicio = 0;
    for (;;) {
        const size_t pos = s.find(separador, inicio);
        if (pos == std::string_view::npos) {
            partes.emplace_back(s.substr(inicio));
            return partes;
        }
        partes.emplace_back(s.substr(inicio, pos - inicio));
        inicio = pos + 1;
    }
}

std::string Juntar(const std::vector<std::string>& partes, std::string_view separador) {
    std::string saida;
    for (size_t i = 0; i < partes.size(); ++i) {
        if (i) saida += separador;
        saida += partes[i];
    }
    return saida;
}

}  // namespace zolvek::texto
