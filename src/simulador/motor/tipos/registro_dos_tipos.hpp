#pragma once

#include <span>
#include <string_view>

#include "simulador/motor/tipos/tipos.hpp"

// SQL Server's system types, one row each: its name and catalog numbers, the family its
// values belong to, its storage and precision where the declaration does not set them,
// the provider's field category and the SQLite type its columns are declared with. The
// type rules, the catalog views and the table's SQLite text all read these rows.
namespace zolvek::simulador {

enum class FamiliaDoTipo {
    Inteiro,   // bit among them
    Decimal,   // decimal, numeric
    Moeda,     // money, smallmoney
    Real,      // float, real
    DataHora,  // every date and time type
    Texto,     // uniqueidentifier among them: it compares and converts as its text
    Binario,   // rowversion among them
    Variante,  // sql_variant
};

// Where a row's number depends on the declaration (a length, a precision, a fraction).
inline constexpr int kPelaDeclaracao = -1;

struct TipoDoServidor {
    TipoBase base;
    const char* nome;  // as SQL Server names it (rowversion is "timestamp")
    int xtype;
    FamiliaDoTipo familia;
    int bytes;     // syscolumns.length; kPelaDeclaracao when the declaration sets it
    int precisao;  // syscolumns.prec; kPelaDeclaracao when the declaration sets it
    int escala;    // the catalog's scale; kPelaDeclaracao when the declaration sets it
    db::TipoDeCampo campo;
    const char* noSqlite;     // the type SQLite declares its columns with
    int maiorTamanho = 0;     // the most a declared length says (8000, 4000); 0 for none
    bool variavel = false;    // varchar, nvarchar, varbinary: systypes.variable
    bool comColacao = false;  // compared by the server's collation
};

// The row of a type. Every TipoBase has one.
const TipoDoServidor& TipoDoServidorDe(TipoBase b);
// Every row, in the order systypes lists them.
std::span<const TipoDoServidor> TiposDoServidor();
// The type of a name SQL Server also takes for it ("integer", "dec", "rowversion",
// "sysname"...), folded; nullopt for any other.
std::optional<TipoBase> TipoPorOutroNome(std::string_view nome);

}  // namespace zolvek::simulador
