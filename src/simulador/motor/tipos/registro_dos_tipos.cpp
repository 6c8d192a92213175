#include "simulador/motor/tipos/registro_dos_tipos.hpp"

#include <array>
#include <map>
#include <string>

namespace zolvek::simulador {

namespace {

using Tb = TipoBase;
using Fam = FamiliaDoTipo;
using Campo = db::TipoDeCampo;
constexpr int kDecl = kPelaDeclaracao;

// In the order of SQL Server's systypes: base, name, xtype, family, bytes, precision, scale,
// field category, SQLite type, longest length, variable, collation.
const TipoDoServidor kTipos[] = {
    {Tb::Image, "image", 34, Fam::Binario, 16, 2147483647, 0, Campo::Blob, "BLOB"},
    {Tb::Text, "text", 35, Fam::Texto, 16, 2147483647, 0, Campo::Memo, "TEXT", 0, false, true},
    {Tb::UniqueIdentifier, "uniqueidentifier", 36, Fam::Texto, 16, 16, 0, Campo::Guid, "TEXT"},
    {Tb::Date, "date", 40, Fam::DataHora, 3, 10, 0, Campo::Date, "TEXT"},
    {Tb::Time, "time", 41, Fam::DataHora, kDecl, kDecl, kDecl, Campo::Time, "TEXT"},
    {Tb::DateTime2, "datetime2", 42, Fam::DataHora, kDecl, kDecl, kDecl, Campo::DateTime, "TEXT"},
    {Tb::TinyInt, "tinyint", 48, Fam::Inteiro, 1, 3, 0, Campo::Word, "INTEGER"},
    {Tb::SmallInt, "smallint", 52, Fam::Inteiro, 2, 5, 0, Campo::SmallInt, "INTEGER"},
    {Tb::Int, "int", 56, Fam::Inteiro, 4, 10, 0, Campo::Integer, "INTEGER"},
    {Tb::SmallDateTime, "smalldatetime", 58, Fam::DataHora, 4, 16, 0, Campo::DateTime, "TEXT"},
    {Tb::Real, "real", 59, Fam::Real, 4, 24, 0, Campo::Float, "REAL"},
    {Tb::Money, "money", 60, Fam::Moeda, 8, 19, 4, Campo::Currency, "TEXT"},
    {Tb::DateTime, "datetime", 61, Fam::DataHora, 8, 23, 3, Campo::DateTime, "TEXT"},
    {Tb::Float, "float", 62, Fam::Real, 8, 53, 0, Campo::Float, "REAL"},
    {Tb::SqlVariant, "sql_variant", 98, Fam::Variante, 8016, 0, 0, Campo::Variant, ""},
    {Tb::NText, "ntext", 99, Fam::Texto, 16, 1073741823, 0, Campo::Memo, "TEXT", 0, false, true},
    {Tb::Bit, "bit", 104, Fam::Inteiro, 1, 1, 0, Campo::Boolean, "INTEGER"},
    {Tb::Decimal, "decimal", 106, Fam::Decimal, kDecl, kDecl, kDecl, Campo::Float, "TEXT"},
    {Tb::Numeric, "numeric", 108, Fam::Decimal, kDecl, kDecl, kDecl, Campo::Float, "TEXT"},
    {Tb::SmallMoney, "smallmoney", 122, Fam::Moeda, 4, 10, 4, Campo::Currency, "TEXT"},
    {Tb::BigInt, "bigint", 127, Fam::Inteiro, 8, 19, 0, Campo::LargeInt, "INTEGER"},
    {Tb::VarBinary, "varbinary", 165, Fam::Binario, kDecl, kDecl, 0, Campo::Blob, "BLOB", 8000,
     true},
    {Tb::VarChar, "varchar", 167, Fam::Texto, kDecl, kDecl, 0, Campo::String, "TEXT", 8000, true,
     true},
    {Tb::Binary, "binary", 173, Fam::Binario, kDecl, kDecl, 0, Campo::Bytes, "BLOB", 8000},
    {Tb::Char, "char", 175, Fam::Texto, kDecl, kDecl, 0, Campo::String, "TEXT", 8000, false, true},
    {Tb::RowVersion, "timestamp", 189, Fam::Binario, 8, 8, 0, Campo::Bytes, "BLOB"},
    {Tb::NVarChar, "nvarchar", 231, Fam::Texto, kDecl, kDecl, 0, Campo::String, "TEXT", 4000, true,
     true},
    {Tb::NChar, "nchar", 239, Fam::Texto, kDecl, kDecl, 0, Campo::String, "TEXT", 4000, false,
     true},
    {Tb::DateTimeOffset, "datetimeoffset", 43, Fam::DataHora, kDecl, kDecl, kDecl, Campo::String,
     "TEXT"},
};

}  // namespace

const TipoDoServidor& TipoDoServidorDe(TipoBase b) {
    static const auto porBase = [] {
        std::array<const TipoDoServidor*, static_cast<std::size_t>(TipoBase::DateTimeOffset) + 1>
            a{};
        for (const TipoDoServidor& t : kTipos) a[static_cast<std::size_t>(t.base)] = &t;
        return a;
    }();
    return *porBase[static_cast<std::size_t>(b)];
}

std::span<const TipoDoServidor> TiposDoServidor() {
    return kTipos;
}

std::optional<TipoBase> TipoPorOutroNome(std::string_view nome) {
    static const std::map<std::string, TipoBase, std::less<>> outros = {
        {"integer", TipoBase::Int},      {"dec", TipoBase::Decimal},
        {"character", TipoBase::Char},   {"rowversion", TipoBase::RowVersion},
        {"sysname", TipoBase::NVarChar},
    };
    const auto it = outros.find(nome);
    if (it == outros.end()) return std::nullopt;
    return it->second;
}

}  // namespace zolvek::simulador
