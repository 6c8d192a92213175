#include "simulador/motor/tipos.hpp"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "comum/hora_local.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/datas_com_fuso.hpp"

namespace zolvek::simulador {

std::string NomeDoTipo(TipoBase b) {
    switch (b) {
        case TipoBase::Int:
            return "int";
        case TipoBase::SmallInt:
            return "smallint";
        case TipoBase::TinyInt:
            return "tinyint";
        case TipoBase::BigInt:
            return "bigint";
        case TipoBase::Bit:
            return "bit";
        case TipoBase::Decimal:
            return "decimal";
        case TipoBase::Numeric:
            return "numeric";
        case TipoBase::Money:
            return "money";
        case TipoBase::SmallMoney:
            return "smallmoney";
        case TipoBase::Float:
            return "float";
        case TipoBase::Real:
            return "real";
        case TipoBase::DateTime:
            return "datetime";
        case TipoBase::SmallDateTime:
            return "smalldatetime";
        case TipoBase::Date:
            return "date";
        case TipoBase::Time:
            return "time";
        case TipoBase::DateTime2:
            return "datetime2";
        case TipoBase::Char:
            return "char";
        case TipoBase::VarChar:
            return "varchar";
        case TipoBase::NChar:
            return "nchar";
        case TipoBase::NVarChar:
            return "nvarchar";
        case TipoBase::Text:
            return "text";
        case TipoBase::NText:
            return "ntext";
        case TipoBase::Binary:
            return "binary";
        case TipoBase::VarBinary:
            return "varbinary";
        case TipoBase::Image:
            return "image";
        case TipoBase::RowVersion:
            return "timestamp";
        case TipoBase::UniqueIdentifier:
            return "uniqueidentifier";
        case TipoBase::SqlVariant:
            return "sql_variant";
        case TipoBase::DateTimeOffset:
            return "datetimeoffset";
    }
    return "int";
}

std::string TextoDoTipo(const TipoSql& t) {
    std::string s = NomeDoTipo(t.base);
    switch (t.base) {
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return s + "(" + (t.tamanho < 0 ? std::string("max") : std::to_string(t.tamanho)) + ")";
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return s + "(" + std::to_string(t.precisao) + "," + std::to_string(t.escala) + ")";
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t) == 7 ? s : s + "(" + std::to_string(CasasDaFracao(t)) + ")";
        default:
            return s;
    }
}

std::optional<TipoBase> TipoPeloNome(std::string_view nome) {
    static const std::map<std::string, TipoBase> nomes = {
        {"int", TipoBase::Int},
        {"integer", TipoBase::Int},
        {"smallint", TipoBase::SmallInt},
        {"tinyint", TipoBase::TinyInt},
        {"bigint", TipoBase::BigInt},
        {"bit", TipoBase::Bit},
        {"decimal", TipoBase::Decimal},
        {"dec", TipoBase::Decimal},
        {"numeric", TipoBase::Numeric},
        {"money", TipoBase::Money},
        {"smallmoney", TipoBase::SmallMoney},
        {"float", TipoBase::Float},
        {"real", TipoBase::Real},
        {"datetime", TipoBase::DateTime},
        {"smalldatetime", TipoBase::SmallDateTime},
        {"date", TipoBase::Date},
        {"time", TipoBase::Time},
        {"datetime2", TipoBase::DateTime2},
        {"datetimeoffset", TipoBase::DateTimeOffset},
        {"char", TipoBase::Char},
        {"character", TipoBase::Char},
        {"varchar", TipoBase::VarChar},
        {"nchar", TipoBase::NChar},
        {"nvarchar", TipoBase::NVarChar},
        {"text", TipoBase::Text},
        {"ntext", TipoBase::NText},
        {"binary", TipoBase::Binary},
        {"varbinary", TipoBase::VarBinary},
        {"image", TipoBase::Image},
        {"rowversion", TipoBase::RowVersion},
        {"timestamp", TipoBase::RowVersion},
        {"uniqueidentifier", TipoBase::UniqueIdentifier},
        {"sql_variant", TipoBase::SqlVariant},
        {"sysname", TipoBase::NVarChar},
    };
    auto it = nomes.find(Dobrar(nome));
    if (it == nomes.end()) return std::nullopt;
    return it->second;
}

namespace {

// The digits a time, datetime2 or datetimeoffset of `casas` fraction digits is written with.
int PrecisaoDaData(TipoBase b, int casas) {
    const int base = b == TipoBase::Time ? 8 : b == TipoBase::DateTime2 ? 19 : 26;
    return base + (casas ? casas + 1 : 0);
}

}  // namespace

TipoSql CompletarTipo(TipoBase b, int tamanho, int precisao, int escala, bool informado) {
    TipoSql t;
    t.base = b;
    switch (b) {
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            t.tamanho = informado ? tamanho : 1;
            break;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            t.precisao = informado ? precisao : 18;
            t.escala = informado ? escala : 0;
            break;
        case TipoBase::Float:
            // float(n): 1..24 is real, 25..53 is float
            if (informado && tamanho > 0 && tamanho <= 24) t.base = TipoBase::Real;
            break;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            // the precision tells a kept scale from a column stored before it was kept
            t.escala = informado ? tamanho : 7;
            t.precisao = PrecisaoDaData(b, t.escala);
            break;
        default:
            break;
    }
    return t;
}

bool EhTexto(TipoBase b) {
    return b == TipoBase::Char || b == TipoBase::VarChar || b == TipoBase::NChar ||
           b == TipoBase::NVarChar || b == TipoBase::Text || b == TipoBase::NText ||
           b == TipoBase::UniqueIdentifier;
}
bool EhBinario(TipoBase b) {
    return b == TipoBase::Binary || b == TipoBase::VarBinary || b == TipoBase::Image ||
           b == TipoBase::RowVersion;
}
bool EhInteiro(TipoBase b) {
    return b == TipoBase::Int || b == TipoBase::SmallInt || b == TipoBase::TinyInt ||
           b == TipoBase::BigInt || b == TipoBase::Bit;
}
bool EhNumericoExato(TipoBase b) {
    return b == TipoBase::Decimal || b == TipoBase::Numeric || b == TipoBase::Money ||
           b == TipoBase::SmallMoney;
}
bool EhMoeda(TipoBase b) {
    return b == TipoBase::Money || b == TipoBase::SmallMoney;
}
bool EhDataHora(TipoBase b) {
    return b == TipoBase::DateTime || b == TipoBase::SmallDateTime || b == TipoBase::Date ||
           b == TipoBase::Time || b == TipoBase::DateTime2 || b == TipoBase::DateTimeOffset;
}

int XType(TipoBase b) {
    switch (b) {
        case TipoBase::Int:
            return 56;
        case TipoBase::SmallInt:
            return 52;
        case TipoBase::TinyInt:
            return 48;
        case TipoBase::BigInt:
            return 127;
        case TipoBase::Bit:
            return 104;
        case TipoBase::Decimal:
            return 106;
        case TipoBase::Numeric:
            return 108;
        case TipoBase::Money:
            return 60;
        case TipoBase::SmallMoney:
            return 122;
        case TipoBase::Float:
            return 62;
        case TipoBase::Real:
            return 59;
        case TipoBase::DateTime:
            return 61;
        case TipoBase::SmallDateTime:
            return 58;
        case TipoBase::Date:
            return 40;
        case TipoBase::Time:
            return 41;
        case TipoBase::DateTime2:
            return 42;
        case TipoBase::Char:
            return 175;
        case TipoBase::VarChar:
            return 167;
        case TipoBase::NChar:
            return 239;
        case TipoBase::NVarChar:
            return 231;
        case TipoBase::Text:
            return 35;
        case TipoBase::NText:
            return 99;
        case TipoBase::Binary:
            return 173;
        case TipoBase::VarBinary:
            return 165;
        case TipoBase::Image:
            return 34;
        case TipoBase::RowVersion:
            return 189;
        case TipoBase::UniqueIdentifier:
            return 36;
        case TipoBase::SqlVariant:
            return 98;
        case TipoBase::DateTimeOffset:
            return 43;
    }
    return 0;
}

int ComprimentoEmBytes(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Int:
            return 4;
        case TipoBase::SmallInt:
            return 2;
        case TipoBase::TinyInt:
            return 1;
        case TipoBase::BigInt:
            return 8;
        case TipoBase::Bit:
            return 1;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.precisao <= 9 ? 5 : t.precisao <= 19 ? 9 : t.precisao <= 28 ? 13 : 17;
        case TipoBase::Money:
            return 8;
        case TipoBase::SmallMoney:
            return 4;
        case TipoBase::Float:
            return 8;
        case TipoBase::Real:
            return 4;
        case TipoBase::DateTime:
            return 8;
        case TipoBase::SmallDateTime:
            return 4;
        case TipoBase::Date:
            return 3;
        case TipoBase::Time:
            return CasasDaFracao(t) <= 2 ? 3 : CasasDaFracao(t) <= 4 ? 4 : 5;
        case TipoBase::DateTime2:
            return CasasDaFracao(t) <= 2 ? 6 : CasasDaFracao(t) <= 4 ? 7 : 8;
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t) <= 2 ? 8 : CasasDaFracao(t) <= 4 ? 9 : 10;
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return t.tamanho;
        case TipoBase::NChar:
        case TipoBase::NVarChar:
            return t.tamanho < 0 ? -1 : t.tamanho * 2;
        case TipoBase::Text:
        case TipoBase::NText:
        case TipoBase::Image:
            return 16;
        case TipoBase::RowVersion:
            return 8;
        case TipoBase::UniqueIdentifier:
            return 16;
        case TipoBase::SqlVariant:
            return 8016;
    }
    return 0;
}

int PrecisaoDoCatalogo(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Int:
            return 10;
        case TipoBase::SmallInt:
            return 5;
        case TipoBase::TinyInt:
            return 3;
        case TipoBase::BigInt:
            return 19;
        case TipoBase::Bit:
            return 1;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.precisao;
        case TipoBase::Money:
            return 19;
        case TipoBase::SmallMoney:
            return 10;
        case TipoBase::Float:
            return 53;
        case TipoBase::Real:
            return 24;
        case TipoBase::DateTime:
            return 23;
        case TipoBase::SmallDateTime:
            return 16;
        case TipoBase::Date:
            return 10;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return PrecisaoDaData(t.base, CasasDaFracao(t));
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return t.tamanho;
        case TipoBase::Text:
        case TipoBase::Image:
            return 2147483647;
        case TipoBase::NText:
            return 1073741823;
        case TipoBase::RowVersion:
            return 8;
        case TipoBase::UniqueIdentifier:
            return 16;
        case TipoBase::SqlVariant:
            return 0;
    }
    return 0;
}

int EscalaDoCatalogo(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.escala;
        case TipoBase::Money:
        case TipoBase::SmallMoney:
            return 4;
        case TipoBase::DateTime:
            return 3;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t);
        default:
            return 0;
    }
}

std::optional<int> PrecisaoNumerica(const TipoSql& t) {
    if (EhInteiro(t.base) && t.base != TipoBase::Bit) return PrecisaoDoCatalogo(t);
    if (EhNumericoExato(t.base) || t.base == TipoBase::Float || t.base == TipoBase::Real)
        return PrecisaoDoCatalogo(t);
    return std::nullopt;
}

std::optional<int> EscalaNumerica(const TipoSql& t) {
    if (EhInteiro(t.base) && t.base != TipoBase::Bit) return 0;
    if (EhNumericoExato(t.base)) return EscalaDoCatalogo(t);
    return std::nullopt;
}

db::TipoDeCampo CategoriaDoTipo(const TipoSql& t) {
    using db::TipoDeCampo;
    switch (t.base) {
        case TipoBase::Char:
        case TipoBase::NChar:
            return TipoDeCampo::String;
        case TipoBase::VarChar:
        case TipoBase::NVarChar:
            return t.tamanho < 0 ? TipoDeCampo::Memo : TipoDeCampo::String;
        case TipoBase::Text:
        case TipoBase::NText:
            return TipoDeCampo::Memo;
        case TipoBase::VarBinary:
        case TipoBase::Image:
            return TipoDeCampo::Blob;
        case TipoBase::Binary:
        case TipoBase::RowVersion:
            return TipoDeCampo::Bytes;
        case TipoBase::Int:
            return TipoDeCampo::Integer;
        case TipoBase::SmallInt:
            return TipoDeCampo::SmallInt;
        case TipoBase::TinyInt:
            return TipoDeCampo::Word;
        case TipoBase::BigInt:
            return TipoDeCampo::LargeInt;
        case TipoBase::Bit:
            return TipoDeCampo::Boolean;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
        case TipoBase::Float:
        case TipoBase::Real:
            return TipoDeCampo::Float;
        case TipoBase::Money:
        case TipoBase::SmallMoney:
            return TipoDeCampo::Currency;
        case TipoBase::DateTime:
        case TipoBase::SmallDateTime:
        case TipoBase::DateTime2:
            return TipoDeCampo::DateTime;
        case TipoBase::DateTimeOffset:  // its text, which keeps the offset
            return TipoDeCampo::String;
        case TipoBase::Date:
            return TipoDeCampo::Date;
        case TipoBase::Time:
            return TipoDeCampo::Time;
        case TipoBase::UniqueIdentifier:
            return TipoDeCampo::Guid;
        case TipoBase::SqlVariant:
            return TipoDeCampo::Variant;
    }
    return TipoDeCampo::Desconhecido;
}

const char* TipoSqlite(const TipoSql& t) {
    if (EhInteiro(t.base)) return "INTEGER";
    if (t.base == TipoBase::Float || t.base == TipoBase::Real) return "REAL";
    if (EhBinario(t.base)) return "BLOB";
    if (t.base == TipoBase::SqlVariant) return "";
    return "TEXT";
}

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
