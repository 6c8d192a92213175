// The values of each data type as the server writes them in rows and RETURNVALUE.
#include <cmath>
#include <cstring>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/tds/datas_tds.hpp"
#include "simulador/tds/decimais_tds.hpp"
#include "simulador/tds/tipos_tds.hpp"
#include "simulador/tds/variante.hpp"

namespace zolvek::simulador::tds {

namespace {

// Windows-1252, a character it lacks as '?', as a varchar keeps it.
std::string Em1252(const std::string& utf8) {
    try {
        return texto::ParaWindows1252(utf8);
    } catch (const ErroDeEntrada&) {
        std::string r;
        for (std::size_t pos = 0; pos < utf8.size();) {
            char32_t c = 0;
            const std::size_t inicio = pos;
            if (!texto::LerUtf8(utf8, pos, c)) ++pos;
            try {
                r += texto::ParaWindows1252(utf8.substr(inicio, pos - inicio));
            } catch (const ErroDeEntrada&) {
                r += '?';
            }
        }
        return r;
    }
}

Bytes BytesDoGuid(const db::Valor& v) {
    if (const auto* b = std::get_if<db::Bytes>(&v); b && b->size() == 16) return *b;
    std::string hex;
    for (char c : db::ValorComoTexto(v)) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            hex += c;
        else if (c != '-' && c != '{' && c != '}')
            hex.clear();
    }
    if (hex.size() != 32) throw ErroDoServidor(8169);
    static const int ordem[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    Bytes r(16);
    for (std::size_t i = 0; i < 16; ++i)
        r[static_cast<std::size_t>(ordem[i])] =
            static_cast<std::uint8_t>(std::stoi(hex.substr(i * 2, 2), nullptr, 16));
    return r;
}

// The bytes of a text or binary value in the type's encoding.
Bytes Corpo(const TipoTds& t, const db::Valor& v) {
    switch (t.tipo) {
        case kVarBinario:
        case kBinario:
        case kImagem:
            if (const auto* b = std::get_if<db::Bytes>(&v)) return *b;
            {
                const std::string s = db::ValorComoTexto(v);
                return Bytes(s.begin(), s.end());
            }
        case kVarChar:
        case kChar:
        case kTexto: {
            const std::string s = Em1252(db::ValorComoTexto(v));
            return Bytes(s.begin(), s.end());
        }
        default: {
            Escritor e;
            e.Utf16(db::ValorComoTexto(v));
            return std::move(e.Dados());
        }
    }
}

void EscreverCorpo(Escritor& e, const TipoTds& t, const db::Valor& v) {
    if (t.Plp()) {
        if (db::EhNulo(v)) return e.U64(0xFFFFFFFFFFFFFFFFULL);
        const Bytes b = Corpo(t, v);
        e.U64(b.size());
        if (!b.empty()) {
            e.U32(static_cast<std::uint32_t>(b.size()));
            e.Acrescentar(b);
        }
        return e.U32(0);
    }
    if (db::EhNulo(v)) return e.U16(0xFFFF);
    Bytes b = Corpo(t, v);
    // fixed lengths are padded: binary with zeros, texts with blanks
    while ((t.tipo == kBinario || t.tipo == kChar || t.tipo == kNChar) && b.size() < t.tamanho) {
        b.push_back(t.tipo == kBinario ? 0 : ' ');
        if (t.tipo == kNChar) b.push_back(0);
    }
    if (b.size() > t.tamanho) throw ErroDoServidor(8152);
    e.U16(static_cast<std::uint16_t>(b.size()));
    e.Acrescentar(b);
}

void EscreverInteiro(Escritor& e, const TipoTds& t, const db::Valor& v) {
    const std::int64_t n = db::ValorComoInteiro(v);
    const std::size_t bytes = t.tipo == kIntN   ? t.tamanho
                              : t.tipo == kInt1 ? 1
                              : t.tipo == kInt2 ? 2
                              : t.tipo == kInt4 ? 4
                                                : 8;
    const bool cabe = bytes == 8 || (bytes == 1 ? n >= 0 && n <= 255
                                                : n >= -(std::int64_t{1} << (bytes * 8 - 1)) &&
                                                      n < (std::int64_t{1} << (bytes * 8 - 1)));
    if (!cabe) throw ErroDoServidor(8115, {"expression", "int"});
    if (t.tipo == kIntN) e.U8(static_cast<std::uint8_t>(bytes));
    e.Inteiro(static_cast<std::uint64_t>(n), bytes);
}

void EscreverReal(Escritor& e, const TipoTds& t, const db::Valor& v) {
    const double d = db::ValorComoReal(v);
    const bool quatro = t.tipo == kReal4 || (t.tipo == kRealN && t.tamanho == 4);
    if (t.tipo == kRealN) e.U8(quatro ? 4 : 8);
    if (quatro) {
        const float f = static_cast<float>(d);
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return e.U32(u);
    }
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    e.U64(u);
}

void EscreverDinheiro(Escritor& e, const TipoTds& t, const db::Valor& v) {
    const std::int64_t n = ComoDezMilesimos(v);
    const bool quatro = t.tipo == kDinheiro4 || (t.tipo == kDinheiroN && t.tamanho == 4);
    if (t.tipo == kDinheiroN) e.U8(quatro ? 4 : 8);
    if (quatro) return e.U32(static_cast<std::uint32_t>(n));
    e.U32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) >> 32));
    e.U32(static_cast<std::uint32_t>(n));
}

void EscreverDecimal(Escritor& e, const TipoTds& t, const db::Valor& v) {
    const Magnitude m = ComoMagnitude(v, t.precisao, t.escala);
    const std::uint8_t n = TamanhoDoDecimal(t.precisao);
    e.U8(n);
    e.U8(m.negativo ? 0 : 1);
    for (std::size_t i = 0; i + 1 < n; ++i) e.U8(static_cast<std::uint8_t>(m.valor >> (8 * i)));
}

void EscreverDataHora(Escritor& e, const TipoTds& t, const db::Valor& v) {
    const db::DataHora d = db::ValorComoDataHora(v);
    if (d.ano < 1 || d.ano > 9999) throw ErroDeEntrada("Data fora do intervalo válido");
    if (t.tipo == kDataHoraN || t.tipo == kDataHora || t.tipo == kDataHora4) {
        std::int32_t dias;
        std::uint32_t tiques;
        ComoDataHoraClassica(d, dias, tiques);
        const bool curta = t.tipo == kDataHora4 || (t.tipo == kDataHoraN && t.tamanho == 4);
        if (t.tipo == kDataHoraN) e.U8(curta ? 4 : 8);
        if (curta) {
            e.U16(static_cast<std::uint16_t>(dias));
            return e.U16(static_cast<std::uint16_t>((tiques + 9000) / 18000));
        }
        if (dias < -53690 || dias > 2958463) throw ErroDoServidor(242, {"datetime2", "datetime"});
        e.U32(static_cast<std::uint32_t>(dias));
        return e.U32(tiques);
    }
    const bool comData = t.tipo != kHoraN;
    const bool comHora = t.tipo != kDataN;
    const std::uint8_t bytesDaHora = comHora ? TamanhoDaHora(t.escala) : 0;
    e.U8(static_cast<std::uint8_t>(bytesDaHora + (comData ? 3 : 0) +
                                   (t.tipo == kDataHoraComFusoN ? 2 : 0)));
    if (comHora) {
        std::int64_t unidades = CemNanosDoDia(d);
        for (int i = t.escala; i < 7; ++i) unidades /= 10;
        e.Inteiro(static_cast<std::uint64_t>(unidades), bytesDaHora);
    }
    if (comData) e.Inteiro(static_cast<std::uint64_t>(DiasDesdeOAno1(d)), 3);
    if (t.tipo == kDataHoraComFusoN) e.U16(0);
}

}  // namespace

void EscreverValor(Escritor& e, const TipoTds& t, const db::Valor& v) {
    switch (t.tipo) {
        case kVariante:
            return EscreverVariante(e, v);
        case kVarBinario:
        case kBinario:
        case kVarChar:
        case kChar:
        case kNVarChar:
        case kNChar:
        case kXml:
            return EscreverCorpo(e, t, v);
        default:
            break;
    }
    if (db::EhNulo(v)) {
        if (TamanhoFixo(t.tipo) > 0)
            throw ErroDeEntrada("Um valor nulo não cabe num tipo de tamanho fixo");
        return e.U8(0);
    }
    switch (t.tipo) {
        case kInt1:
        case kInt2:
        case kInt4:
        case kInt8:
        case kIntN:
            return EscreverInteiro(e, t, v);
        case kBit:
        case kBitN:
            if (t.tipo == kBitN) e.U8(1);
            return e.U8(db::ValorComoLogico(v) ? 1 : 0);
        case kReal4:
        case kReal8:
        case kRealN:
            return EscreverReal(e, t, v);
        case kDinheiro:
        case kDinheiro4:
        case kDinheiroN:
            return EscreverDinheiro(e, t, v);
        case kDecimalN:
        case kNumericoN:
            return EscreverDecimal(e, t, v);
        case kGuid:
            e.U8(16);
            return e.Acrescentar(BytesDoGuid(v));
        case kDataHora:
        case kDataHora4:
        case kDataHoraN:
        case kDataN:
        case kHoraN:
        case kDataHora2N:
        case kDataHoraComFusoN:
            return EscreverDataHora(e, t, v);
        default:
            throw ErroDeEntrada("O servidor TDS do simulador não escreve valores do tipo " +
                                NomeSql(t) + ".");
    }
}

}  // namespace zolvek::simulador::tds
