#include "simulador/tds/tipos_tds.hpp"

#include <string>

namespace zolvek::simulador::tds {

namespace {

bool EhTextoComColacao(std::uint8_t t) {
    return t == kVarChar || t == kChar || t == kNVarChar || t == kNChar || t == kTexto ||
           t == kTextoUnicode;
}

std::string NomeComTamanho(const char* nome, std::uint32_t tamanho, bool unicode) {
    if (tamanho == kTamanhoMax) return std::string(nome) + "(max)";
    const std::uint32_t n = unicode ? tamanho / 2 : tamanho;
    return std::string(nome) + "(" + std::to_string(n == 0 ? 1 : n) + ")";
}

}  // namespace

int TamanhoFixo(std::uint8_t t) {
    switch (t) {
        case kNulo:
            return 0;
        case kInt1:
        case kBit:
            return 1;
        case kInt2:
            return 2;
        case kInt4:
        case kDataHora4:
        case kReal4:
        case kDinheiro4:
            return 4;
        case kDinheiro:
        case kDataHora:
        case kReal8:
        case kInt8:
            return 8;
        default:
            return -1;
    }
}

bool TipoTds::Plp() const {
    return tipo == kXml || (tamanho == kTamanhoMax &&
                            (tipo == kVarChar || tipo == kNVarChar || tipo == kVarBinario));
}

std::uint8_t TamanhoDoDecimal(int precisao) {
    if (precisao <= 9) return 5;
    if (precisao <= 19) return 9;
    if (precisao <= 28) return 13;
    return 17;
}

std::uint8_t TamanhoDaHora(int escala) {
    if (escala <= 2) return 3;
    if (escala <= 4) return 4;
    return 5;
}

TipoTds LerInfoDeTipo(Leitor& l) {
    TipoTds t;
    t.tipo = l.U8();
    if (const int fixo = TamanhoFixo(t.tipo); fixo >= 0) {
        t.tamanho = static_cast<std::uint32_t>(fixo);
        return t;
    }
    switch (t.tipo) {
        case kGuid:
        case kIntN:
        case kBitN:
        case kRealN:
        case kDinheiroN:
        case kDataHoraN:
        case kCharAntigo:
        case kVarCharAntigo:
        case kBinarioAntigo:
        case kVarBinarioAntigo:
            t.tamanho = l.U8();
            break;
        case kDecimalN:
        case kNumericoN:
        case kDecimalAntigo:
        case kNumericoAntigo:
            t.tamanho = l.U8();
            t.precisao = l.U8();
            t.escala = l.U8();
            if (t.precisao < 1 || t.precisao > 38 || t.escala > t.precisao || t.tamanho < 2 ||
                t.tamanho > 17)
                throw ErroDeProtocolo("decimal com precisão ou escala inválida");
            break;
        case kDataN:
            t.tamanho = 3;
            break;
        case kHoraN:
        case kDataHora2N:
        case kDataHoraComFusoN:
            t.escala = l.U8();
            if (t.escala > 7) throw ErroDeProtocolo("hora com escala maior que 7");
            break;
        case kVarBinario:
        case kBinario:
        case kVarChar:
        case kChar:
        case kNVarChar:
        case kNChar:
            t.tamanho = l.U16();
            break;
        case kImagem:
        case kTexto:
        case kTextoUnicode:
        case kVariante:
            t.tamanho = l.U32();
            break;
        case kXml:
            if (l.U8() != 0) {  // a schema collection: its names are not needed here
                l.BVarChar();
                l.BVarChar();
                l.UsVarChar();
            }
            t.tamanho = kTamanhoMax;
            break;
        default:
            throw ErroDeProtocolo("tipo de dado desconhecido ou não suportado 0x" +
                                  std::to_string(t.tipo));
    }
    if (EhTextoComColacao(t.tipo)) t.colacao = l.Pedaco(5);
    return t;
}

void EscreverInfoDeTipo(Escritor& e, const TipoTds& t) {
    e.U8(t.tipo);
    if (TamanhoFixo(t.tipo) >= 0) return;
    switch (t.tipo) {
        case kDecimalN:
        case kNumericoN:
            e.U8(static_cast<std::uint8_t>(t.tamanho));
            e.U8(t.precisao);
            e.U8(t.escala);
            return;
        case kDataN:
            return;
        case kHoraN:
        case kDataHora2N:
        case kDataHoraComFusoN:
            e.U8(t.escala);
            return;
        case kVarBinario:
        case kBinario:
        case kVarChar:
        case kChar:
        case kNVarChar:
        case kNChar:
            e.U16(static_cast<std::uint16_t>(t.tamanho));
            break;
        case kImagem:
        case kTexto:
        case kTextoUnicode:
        case kVariante:
            e.U32(t.tamanho);
            break;
        case kXml:
            e.U8(0);
            return;
        default:
            e.U8(static_cast<std::uint8_t>(t.tamanho));
            return;
    }
    if (EhTextoComColacao(t.tipo)) e.Acrescentar(t.colacao.empty() ? Bytes(5, 0) : t.colacao);
}

TipoTds TipoAnulavel(const TipoTds& t) {
    TipoTds r = t;
    switch (t.tipo) {
        case kInt1:
        case kInt2:
        case kInt4:
        case kInt8:
            r.tipo = kIntN;
            break;
        case kBit:
            r.tipo = kBitN;
            break;
        case kReal4:
        case kReal8:
            r.tipo = kRealN;
            break;
        case kDinheiro:
        case kDinheiro4:
            r.tipo = kDinheiroN;
            break;
        case kDataHora:
        case kDataHora4:
            r.tipo = kDataHoraN;
            break;
        case kDecimalAntigo:
            r.tipo = kDecimalN;
            break;
        case kNumericoAntigo:
            r.tipo = kNumericoN;
            break;
        case kNulo:
            r.tipo = kIntN;
            r.tamanho = 4;
            break;
        default:
            break;
    }
    return r;
}

std::string NomeSql(const TipoTds& original) {
    // the fixed-length types by the length of their nullable forms
    TipoTds t = TipoAnulavel(original);
    if (const int fixo = TamanhoFixo(original.tipo); fixo > 0)
        t.tamanho = static_cast<std::uint32_t>(fixo);
    switch (t.tipo) {
        case kBitN:
            return "bit";
        case kIntN:
            return t.tamanho == 1   ? "tinyint"
                   : t.tamanho == 2 ? "smallint"
                   : t.tamanho == 8 ? "bigint"
                                    : "int";
        case kRealN:
            return t.tamanho == 4 ? "real" : "float";
        case kDinheiroN:
            return t.tamanho == 4 ? "smallmoney" : "money";
        case kDataHoraN:
            return t.tamanho == 4 ? "smalldatetime" : "datetime";
        case kDecimalN:
        case kNumericoN:
            return "decimal(" + std::to_string(t.precisao) + "," + std::to_string(t.escala) + ")";
        case kDataN:
            return "date";
        case kHoraN:
            return "time(" + std::to_string(t.escala) + ")";
        case kDataHora2N:
            return "datetime2(" + std::to_string(t.escala) + ")";
        case kDataHoraComFusoN:
            return "datetimeoffset(" + std::to_string(t.escala) + ")";
        case kGuid:
            return "uniqueidentifier";
        case kCharAntigo:
        case kChar:
            return NomeComTamanho("char", t.tamanho, false);
        case kVarCharAntigo:
        case kVarChar:
            return NomeComTamanho("varchar", t.tamanho, false);
        case kNChar:
            return NomeComTamanho("nchar", t.tamanho, true);
        case kNVarChar:
            return NomeComTamanho("nvarchar", t.tamanho, true);
        case kBinarioAntigo:
        case kBinario:
            return NomeComTamanho("binary", t.tamanho, false);
        case kVarBinarioAntigo:
        case kVarBinario:
            return NomeComTamanho("varbinary", t.tamanho, false);
        case kImagem:
            return "image";
        case kTexto:
            return "text";
        case kTextoUnicode:
            return "ntext";
        case kVariante:
            return "sql_variant";
        case kXml:
            return "xml";
        default:
            return "sql_variant";
    }
}

}  // namespace zolvek::simulador::tds
