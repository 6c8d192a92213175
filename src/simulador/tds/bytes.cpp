#include "simulador/tds/bytes.hpp"

#include "comum/texto.hpp"

namespace zolvek::simulador::tds {

namespace {

// The code point at `pos` of a UTF-8 text; an invalid byte stands for U+FFFD.
char32_t ProximoCaractere(std::string_view s, std::size_t& pos) {
    char32_t c = 0;
    if (texto::LerUtf8(s, pos, c)) return c;
    ++pos;
    return 0xFFFD;
}

}  // namespace

void Leitor::Exigir(std::size_t n) const {
    if (Restante() < n)
        throw ErroDeProtocolo("campo além do fim do pacote (faltam " +
                              std::to_string(n - Restante()) + " bytes)");
}

std::uint8_t Leitor::U8() {
    Exigir(1);
    return *p_++;
}

std::uint64_t Leitor::Inteiro(std::size_t bytes) {
    Exigir(bytes);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
    p_ += bytes;
    return v;
}

std::uint16_t Leitor::U16() {
    return static_cast<std::uint16_t>(Inteiro(2));
}

std::uint16_t Leitor::U16Be() {
    Exigir(2);
    const auto v = static_cast<std::uint16_t>(p_[0] << 8 | p_[1]);
    p_ += 2;
    return v;
}

std::uint32_t Leitor::U32() {
    return static_cast<std::uint32_t>(Inteiro(4));
}

std::uint64_t Leitor::U64() {
    return Inteiro(8);
}

Bytes Leitor::Pedaco(std::size_t n) {
    Exigir(n);
    Bytes b(p_, p_ + n);
    p_ += n;
    return b;
}

void Leitor::Pular(std::size_t n) {
    Exigir(n);
    p_ += n;
}

std::string Leitor::Utf16(std::size_t caracteres) {
    if (caracteres > Restante() / 2) Exigir(caracteres * 2);
    std::string s;
    s.reserve(caracteres);
    for (std::size_t i = 0; i < caracteres; ++i) {
        char32_t c = static_cast<char32_t>(p_[0] | p_[1] << 8);
        p_ += 2;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < caracteres) {
            const char32_t baixo = static_cast<char32_t>(p_[0] | p_[1] << 8);
            if (baixo >= 0xDC00 && baixo < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (baixo - 0xDC00);
                p_ += 2;
                ++i;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;  // a surrogate without its pair
        texto::AcrescentarUtf8(s, c);
    }
    return s;
}

void Escritor::Inteiro(std::uint64_t v, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) b_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Escritor::U16(std::uint16_t v) {
    Inteiro(v, 2);
}

void Escritor::U16Be(std::uint16_t v) {
    b_.push_back(static_cast<std::uint8_t>(v >> 8));
    b_.push_back(static_cast<std::uint8_t>(v));
}

void Escritor::U32(std::uint32_t v) {
    Inteiro(v, 4);
}

void Escritor::U32Be(std::uint32_t v) {
    U16Be(static_cast<std::uint16_t>(v >> 16));
    U16Be(static_cast<std::uint16_t>(v));
}

void Escritor::U64(std::uint64_t v) {
    Inteiro(v, 8);
}

std::size_t Escritor::Utf16(std::string_view utf8) {
    std::size_t unidades = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto ascii = static_cast<unsigned char>(utf8[pos]);
        if (ascii < 0x80) {  // the common case, without decoding
            b_.push_back(ascii);
            b_.push_back(0);
            ++pos;
            ++unidades;
            continue;
        }
        char32_t c = ProximoCaractere(utf8, pos);
        if (c >= 0x10000) {
            c -= 0x10000;
            U16(static_cast<std::uint16_t>(0xD800 + (c >> 10)));
            U16(static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)));
            unidades += 2;
        } else {
            U16(static_cast<std::uint16_t>(c));
            ++unidades;
        }
    }
    return unidades;
}

void Escritor::BVarChar(std::string_view utf8) {
    const std::size_t inicio = b_.size();
    U8(0);
    std::size_t n = Utf16(utf8);
    if (n > 255) {  // names are at most 128 characters: a longer one is cut
        b_.resize(inicio + 1 + 255 * 2);
        n = 255;
    }
    b_[inicio] = static_cast<std::uint8_t>(n);
}

void Escritor::UsVarChar(std::string_view utf8) {
    const std::size_t inicio = b_.size();
    U16(0);
    std::size_t n = Utf16(utf8);
    if (n > 0xFFFF) {
        b_.resize(inicio + 2 + 0xFFFF * 2);
        n = 0xFFFF;
    }
    U16Em(inicio, static_cast<std::uint16_t>(n));
}

void Escritor::U16Em(std::size_t posicao, std::uint16_t v) {
    b_[posicao] = static_cast<std::uint8_t>(v);
    b_[posicao + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Escritor::U32Em(std::size_t posicao, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b_[posicao + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::size_t UnidadesUtf16(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < utf8.size();)
        n += ProximoCaractere(utf8, pos) >= 0x10000 ? 2 : 1;
    return n;
}

}  // namespace zolvek::simulador::tds
