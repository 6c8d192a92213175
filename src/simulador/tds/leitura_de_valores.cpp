// The values of each data type as a client sends them in an RPC.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/tds/datas_tds.hpp"
#include "simulador/tds/decimais_tds.hpp"
#include "simulador/tds/tipos_tds.hpp"
#include "simulador/tds/variante.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr std::uint64_t kPlpNulo = 0xFFFFFFFFFFFFFFFFULL;
constexpr std::uint64_t kPlpSemTamanho = 0xFFFFFFFFFFFFFFFEULL;

bool Unicode(std::uint8_t t) {
    return t == kNVarChar || t == kNChar || t == kTextoUnicode || t == kXml;
}

bool Binario(std::uint8_t t) {
    return t == kVarBinario || t == kBinario || t == kImagem || t == kBinarioAntigo ||
           t == kVarBinarioAntigo;
}

bool Texto(std::uint8_t t) {
    return Unicode(t) || t == kVarChar || t == kChar || t == kTexto || t == kCharAntigo ||
           t == kVarCharAntigo;
}

// The bytes of a text or binary value, by the way its type carries its length.
bool LerCorpo(Leitor& l, const TipoTds& t, Bytes& corpo) {
    if (t.Plp()) {
        const std::uint64_t total = l.U64();
        if (total == kPlpNulo) return false;
        if (total != kPlpSemTamanho && total > l.Restante())
            throw ErroDeProtocolo("valor em pedaços maior que a mensagem");
        while (const std::uint32_t pedaco = l.U32()) {
            const Bytes b = l.Pedaco(pedaco);
            corpo.insert(corpo.end(), b.begin(), b.end());
        }
        return true;
    }
    std::size_t n;
    switch (t.tipo) {
        case kImagem:
        case kTexto:
        case kTextoUnicode: {
            const std::uint32_t k = l.U32();
            if (k == 0xFFFFFFFFu) return false;
            n = k;
            break;
        }
        case kCharAntigo:
        case kVarCharAntigo:
        case kBinarioAntigo:
        case kVarBinarioAntigo:
            n = l.U8();
            if (n == 0) return false;
            break;
        default: {
            const std::uint16_t k = l.U16();
            if (k == 0xFFFF) return false;
            n = k;
        }
    }
    corpo = l.Pedaco(n);
    return true;
}

std::string DeUtf16(const Bytes& b) {
    Leitor l(b);
    return l.Utf16(b.size() / 2);
}

db::Valor LerDataHora(Leitor& l, const TipoTds& t, std::size_t n) {
    db::DataHora d;
    const bool comData = t.tipo != kHoraN;
    const bool comHora = t.tipo != kDataN;
    const std::size_t esperado = (comHora ? TamanhoDaHora(t.escala) : 0) + (comData ? 3 : 0) +
                                 (t.tipo == kDataHoraComFusoN ? 2 : 0);
    if (n != esperado) throw ErroDeProtocolo("data ou hora com tamanho inválido");
    if (comHora) {
        const std::size_t bytes = TamanhoDaHora(t.escala);
        std::int64_t unidades = static_cast<std::int64_t>(l.Inteiro(bytes));
        for (int i = t.escala; i < 7; ++i) unidades *= 10;
        DefinirHora(d, unidades);
    }
    if (comData) DefinirData(d, static_cast<std::int64_t>(l.Inteiro(3)));
    if (t.tipo == kDataHoraComFusoN) {
        // kept as text with its offset: the instant is UTC on the wire
        const auto fuso = static_cast<std::int16_t>(l.U16());
        db::DataHora local = d;
        const std::int64_t total = DiasDesdeOAno1(d) * 1440 + d.hora * 60 + d.minuto + fuso;
        DefinirData(local, total / 1440);
        local.hora = static_cast<int>(total % 1440 / 60);
        local.minuto = static_cast<int>(total % 60);
        char b[16];
        std::snprintf(b, sizeof b, " %c%02d:%02d", fuso < 0 ? '-' : '+', std::abs(fuso) / 60,
                      std::abs(fuso) % 60);
        return local.TextoIso(t.escala) + b;
    }
    return d;
}

db::Valor LerNumero(Leitor& l, const TipoTds& t, std::size_t n) {
    switch (t.tipo) {
        case kInt1:
        case kInt2:
        case kInt4:
        case kInt8:
        case kIntN: {
            const std::uint64_t u = l.Inteiro(n);
            if (n == 1) return static_cast<std::int64_t>(u);
            const int bits = static_cast<int>(n * 8);
            const std::int64_t v = bits == 64
                                       ? static_cast<std::int64_t>(u)
                                       : static_cast<std::int64_t>(u << (64 - bits)) >> (64 - bits);
            return v;
        }
        case kBit:
        case kBitN:
            return l.U8() != 0;
        case kReal4:
        case kRealN:
            if (n == 4) {
                const std::uint32_t u = l.U32();
                float f;
                std::memcpy(&f, &u, 4);
                return static_cast<double>(f);
            } else {
                const std::uint64_t u = l.U64();
                double d;
                std::memcpy(&d, &u, 8);
                return d;
            }
        case kReal8: {
            const std::uint64_t u = l.U64();
            double d;
            std::memcpy(&d, &u, 8);
            return d;
        }
        case kDinheiro4:
        case kDinheiro:
        case kDinheiroN: {
            std::int64_t v;
            if (n == 4) {
                v = static_cast<std::int32_t>(l.U32());
            } else {
                const std::uint64_t alto = l.U32();
                v = static_cast<std::int64_t>(alto << 32 | l.U32());
            }
            Magnitude m;
            m.negativo = v < 0;
            m.valor = v < 0 ? static_cast<Inteiro128>(-(v + 1)) + 1 : static_cast<Inteiro128>(v);
            return db::Decimal{TextoDaMagnitude(m, 4)};
        }
        default: {  // decimal and numeric
            Magnitude m;
            m.negativo = l.U8() == 0;
            for (std::size_t i = 0; i < n - 1; ++i)
                m.valor |= static_cast<Inteiro128>(l.U8()) << (8 * i);
            return db::Decimal{TextoDaMagnitude(m, t.escala)};
        }
    }
}

std::string TextoDoGuid(const Bytes& b) {
    static const int ordem[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string s;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) s += '-';
        char h[3];
        std::snprintf(h, sizeof h, "%02X", b[static_cast<std::size_t>(ordem[i])]);
        s += h;
    }
    return s;
}

}  // namespace

db::Valor LerValor(Leitor& l, const TipoTds& t) {
    if (t.tipo == kNulo) return {};
    if (t.tipo == kVariante) return LerVariante(l);
    if (Texto(t.tipo) || Binario(t.tipo)) {
        Bytes corpo;
        if (!LerCorpo(l, t, corpo)) return {};
        if (Binario(t.tipo)) return corpo;
        if (Unicode(t.tipo)) return DeUtf16(corpo);
        return texto::DeWindows1252(std::string(corpo.begin(), corpo.end()));
    }
    std::size_t n = t.tamanho;
    const bool fixo = TamanhoFixo(t.tipo) > 0;
    if (!fixo) {
        n = l.U8();
        if (n == 0) return {};
    }
    switch (t.tipo) {
        case kGuid:
            if (n != 16) throw ErroDeProtocolo("uniqueidentifier com tamanho diferente de 16");
            return TextoDoGuid(l.Pedaco(16));
        case kDataHora4:
        case kDataHora:
        case kDataHoraN: {
            if (n == 4) {
                const std::uint16_t dias = l.U16();
                const std::uint16_t minutos = l.U16();
                return DeDataHoraClassica(dias, minutos * 18000u);
            }
            if (n != 8) throw ErroDeProtocolo("datetime com tamanho inválido");
            const auto dias = static_cast<std::int32_t>(l.U32());
            return DeDataHoraClassica(dias, l.U32());
        }
        case kDataN:
        case kHoraN:
        case kDataHora2N:
        case kDataHoraComFusoN:
            return LerDataHora(l, t, n);
        case kDecimalN:
        case kNumericoN:
        case kDecimalAntigo:
        case kNumericoAntigo:
            if (n < 2 || n > 17) throw ErroDeProtocolo("decimal com tamanho inválido");
            return LerNumero(l, t, n);
        default:
            if (n != 1 && n != 2 && n != 4 && n != 8)
                throw ErroDeProtocolo("número com tamanho inválido");
            if ((t.tipo == kBitN && n != 1) ||
                ((t.tipo == kRealN || t.tipo == kDinheiroN) && n < 4))
                throw ErroDeProtocolo("número com tamanho inválido");
            return LerNumero(l, t, n);
    }
}

}  // namespace zolvek::simulador::tds
