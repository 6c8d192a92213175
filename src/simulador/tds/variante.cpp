#include "simulador/tds/variante.hpp"

#include <algorithm>

#include "comum/decimal.hpp"
#include "simulador/tds/tipos_tds.hpp"
#include "simulador/tds/tokens.hpp"

namespace zolvek::simulador::tds {

namespace {

// The base type's TYPE_INFO as sql_variant writes it: its properties without lengths
// that the value itself carries.
TipoTds LerBase(Leitor& l, std::size_t& restante) {
    TipoTds t;
    t.tipo = l.U8();
    const std::size_t propriedades = l.U8();
    if (restante < 2 + propriedades) throw ErroDeProtocolo("sql_variant mal formado");
    restante -= 2 + propriedades;
    Leitor p(l.Posicao(), propriedades);
    l.Pular(propriedades);
    switch (t.tipo) {
        case kDecimalN:
        case kNumericoN:
            t.precisao = p.U8();
            t.escala = p.U8();
            t.tamanho = TamanhoDoDecimal(t.precisao);
            break;
        case kHoraN:
        case kDataHora2N:
        case kDataHoraComFusoN:
            t.escala = p.U8();
            if (t.escala > 7) throw ErroDeProtocolo("sql_variant com escala inválida");
            break;
        case kVarChar:
        case kChar:
        case kNVarChar:
        case kNChar:
            t.colacao = p.Pedaco(5);
            t.tamanho = p.U16();
            break;
        case kVarBinario:
        case kBinario:
            t.tamanho = p.U16();
            break;
        default:
            break;
    }
    return t;
}

}  // namespace

db::Valor LerVariante(Leitor& l) {
    std::size_t total = l.U32();
    if (total == 0) return {};
    if (total > l.Restante()) throw ErroDeProtocolo("sql_variant maior que a mensagem");
    const TipoTds t = LerBase(l, total);
    // The value without its own length prefix: rebuild one so LerValor can read it.
    Escritor valor;
    switch (t.tipo) {
        case kVarChar:
        case kChar:
        case kNVarChar:
        case kNChar:
        case kVarBinario:
        case kBinario:
            valor.U16(static_cast<std::uint16_t>(total));
            break;
        case kInt1:
        case kBit:
        case kInt2:
        case kInt4:
        case kInt8:
        case kReal4:
        case kReal8:
        case kDinheiro:
        case kDinheiro4:
        case kDataHora:
        case kDataHora4:
            break;
        default:
            valor.U8(static_cast<std::uint8_t>(total));
    }
    valor.Acrescentar(l.Pedaco(total));
    Leitor interno(valor.Dados());
    TipoTds comTamanho = t;
    if (t.tipo == kVarChar || t.tipo == kNVarChar || t.tipo == kVarBinario)
        comTamanho.tamanho = 8000;
    if (valor.Tamanho() == total) comTamanho.tamanho = static_cast<std::uint32_t>(total);
    return LerValor(interno, comTamanho);
}

void EscreverVariante(Escritor& e, const db::Valor& v) {
    if (db::EhNulo(v)) return e.U32(0);
    TipoTds t;
    Bytes propriedades;
    if (std::holds_alternative<bool>(v)) {
        t.tipo = kBit;
    } else if (const auto* n = std::get_if<std::int64_t>(&v)) {
        t.tipo = *n >= INT32_MIN && *n <= INT32_MAX ? kInt4 : kInt8;
    } else if (std::holds_alternative<double>(v)) {
        t.tipo = kReal8;
    } else if (const auto* d = std::get_if<db::Decimal>(&v)) {
        const Decimal x = Decimal::Ler(d->texto);
        t.tipo = kNumericoN;
        t.escala = static_cast<std::uint8_t>(std::min(x.Escala(), 38));
        t.precisao =
            static_cast<std::uint8_t>(std::clamp(x.Digitos(), static_cast<int>(t.escala), 38));
        if (t.precisao == 0) t.precisao = 1;
        propriedades = {t.precisao, t.escala};
    } else if (std::holds_alternative<db::DataHora>(v)) {
        t.tipo = kDataHora2N;
        t.escala = 7;
        propriedades = {7};
    } else if (const auto* b = std::get_if<db::Bytes>(&v)) {
        t.tipo = kVarBinario;
        t.tamanho = 8000;
        propriedades = {0x40, 0x1F};
        (void)b;
    } else {
        t.tipo = kNVarChar;
        t.tamanho = 8000;
        propriedades = kColacao;
        propriedades.push_back(0x40);
        propriedades.push_back(0x1F);
    }
    Escritor valor;
    EscreverValor(valor, t, v);
    // sql_variant carries no length of its own inside: drop the one EscreverValor wrote
    std::size_t prefixo = 0;
    if (t.tipo == kVarBinario || t.tipo == kNVarChar)
        prefixo = 2;
    else if (t.tipo == kNumericoN || t.tipo == kDataHora2N)
        prefixo = 1;
    const std::size_t corpo = valor.Tamanho() - prefixo;
    e.U32(static_cast<std::uint32_t>(2 + propriedades.size() + corpo));
    e.U8(t.tipo);
    e.U8(static_cast<std::uint8_t>(propriedades.size()));
    e.Acrescentar(propriedades);
    e.Acrescentar(valor.Dados().data() + prefixo, corpo);
}

}  // namespace zolvek::simulador::tds
