#include "db/odbc/utf16.hpp"

#include "comum/texto.hpp"

namespace zolvek::db::odbc {

namespace {

constexpr char32_t kSubstituto = 0xFFFD;

// Invalid bytes become one U+FFFD each, so the rest of the text still gets through.
char32_t LerCaractere(std::string_view s, std::size_t& p) {
    char32_t c;
    if (texto::LerUtf8(s, p, c)) return c;
    ++p;
    return kSubstituto;
}

}  // namespace

std::u16string ParaUtf16(std::string_view utf8) {
    std::u16string saida;
    saida.reserve(utf8.size());
    std::size_t p = 0;
    while (p < utf8.size()) {
        const char32_t c = LerCaractere(utf8, p);
        if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            saida += static_cast<char16_t>(0xD800 + (v >> 10));
            saida += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            saida += static_cast<char16_t>(c);
        }
    }
    return saida;
}

std::string DeUtf16(std::u16string_view utf16) {
    std::string saida;
    saida.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kSubstituto;
        }
        texto::AcrescentarUtf8(saida, c);
    }
    return saida;
}

}  // namespace zolvek::db::odbc
