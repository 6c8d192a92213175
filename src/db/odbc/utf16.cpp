#include "db/odbc/utf16.hpp"

namespace zolvek::db::odbc {

namespace {

constexpr char32_t kSubstituto = 0xFFFD;

char32_t LerCaractere(std::string_view s, std::size_t& p) {
    const auto b0 = static_cast<unsigned char>(s[p]);
    if (b0 < 0x80) {
        ++p;
        return b0;
    }
    int extras = 0;
    char32_t c = 0, minimo = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extras = 1, c = b0 & 0x1F, minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extras = 2, c = b0 & 0x0F, minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extras = 3, c = b0 & 0x07, minimo = 0x10000;
    } else {
        ++p;
        return kSubstituto;
    }
    if (p + static_cast<std::size_t>(extras) >= s.size()) {
        ++p;
        return kSubstituto;
    }
    for (int i = 1; i <= extras; ++i) {
        const auto b = static_cast<unsigned char>(s[p + static_cast<std::size_t>(i)]);
        if ((b & 0xC0) != 0x80) {
            ++p;
            return kSubstituto;
        }
        c = (c << 6) | (b & 0x3F);
    }
    p += static_cast<std::size_t>(extras) + 1;
    if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kSubstituto;
    return c;
}

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
        AcrescentarUtf8(saida, c);
    }
    return saida;
}

}  // namespace zolvek::db::odbc
