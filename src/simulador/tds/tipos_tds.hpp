#pragma once

#include <cstdint>

#include "db/conector/valor.hpp"
#include "simulador/tds/bytes.hpp"

// The data types of the protocol: TYPE_INFO as the client sends it in an RPC and as the
// server writes it in COLMETADATA and RETURNVALUE, and the values of each type.
namespace zolvek::simulador::tds {

enum TipoDeDado : std::uint8_t {
    kNulo = 0x1F,
    kInt1 = 0x30,
    kBit = 0x32,
    kInt2 = 0x34,
    kInt4 = 0x38,
    kDataHora4 = 0x3A,
    kReal4 = 0x3B,
    kDinheiro = 0x3C,
    kDataHora = 0x3D,
    kReal8 = 0x3E,
    kDinheiro4 = 0x7A,
    kInt8 = 0x7F,
    kGuid = 0x24,
    kIntN = 0x26,
    kDecimalAntigo = 0x37,
    kNumericoAntigo = 0x3F,
    kBitN = 0x68,
    kDecimalN = 0x6A,
    kNumericoN = 0x6C,
    kRealN = 0x6D,
    kDinheiroN = 0x6E,
    kDataHoraN = 0x6F,
    kDataN = 0x28,
    kHoraN = 0x29,
    kDataHora2N = 0x2A,
    kDataHoraComFusoN = 0x2B,
    kCharAntigo = 0x2F,
    kVarCharAntigo = 0x27,
    kBinarioAntigo = 0x2D,
    kVarBinarioAntigo = 0x25,
    kVarBinario = 0xA5,
    kVarChar = 0xA7,
    kBinario = 0xAD,
    kChar = 0xAF,
    kNVarChar = 0xE7,
    kNChar = 0xEF,
    kImagem = 0x22,
    kTexto = 0x23,
    kTextoUnicode = 0x63,
    kVariante = 0x62,
    kXml = 0xF1,
};

// Max length that marks varchar(max), nvarchar(max) and varbinary(max).
constexpr std::uint32_t kTamanhoMax = 0xFFFF;

struct TipoTds {
    std::uint8_t tipo = kNVarChar;
    std::uint32_t tamanho = 0;  // the TYPE_INFO length: bytes, or kTamanhoMax
    std::uint8_t precisao = 0;
    std::uint8_t escala = 0;
    Bytes colacao;  // texts only

    bool Plp() const;  // (max) types and xml: values in chunks
};

// Bytes of the types whose TYPE_INFO is the type alone (int, datetime...: no NULL
// either), -1 for the others.
int TamanhoFixo(std::uint8_t tipo);

// ErroDeProtocolo for a type the listener does not know or cannot take (UDT, TVP).
TipoTds LerInfoDeTipo(Leitor& l);
void EscreverInfoDeTipo(Escritor& e, const TipoTds& t);

// A value of that type (NULL as monostate). Texts become UTF-8; decimals, money and
// numerics db::Decimal; every date and time type db::DataHora except datetimeoffset,
// which keeps its offset as text; uniqueidentifier its text form.
db::Valor LerValor(Leitor& l, const TipoTds& t);
// ErroDeEntrada when the value cannot be written as that type.
void EscreverValor(Escritor& e, const TipoTds& t, const db::Valor& v);

// The nullable form of a fixed-length type (int -> intn(4)); others as they are.
TipoTds TipoAnulavel(const TipoTds& t);

// The T-SQL name of the type, for declarations ("nvarchar(4000)", "decimal(18,4)").
std::string NomeSql(const TipoTds& t);

// Bytes of a decimal or numeric of that precision, its sign byte included.
std::uint8_t TamanhoDoDecimal(int precisao);
// Bytes of the time part of time, datetime2 and datetimeoffset of that scale.
std::uint8_t TamanhoDaHora(int escala);

}  // namespace zolvek::simulador::tds
