#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zolvek::db {

// A date and time as the server holds it: datetime2 and time keep 100 ns units, datetime
// rounds to 1/300 s.
struct DataHora {
    int ano = 1899, mes = 12, dia = 30;
    int hora = 0, minuto = 0, segundo = 0, milissegundo = 0;
    int cemNanos = 0;  // the 100 ns units past the millisecond, 0..9999

    auto operator<=>(const DataHora&) const = default;

    // "yyyy-mm-dd hh:nn:ss.zzz", the form SQL Server's convert(..., 121) gives.
    std::string TextoIso() const;
    // The same with `casas` fraction digits (0..7), and no point when there are none.
    std::string TextoIso(int casas) const;
    // The default display form, "dd/mm/yyyy hh:nn:ss" ("dd/mm/yyyy" when the time is midnight).
    std::string Texto() const;
    // Reads "yyyy-mm-dd[ hh:nn[:ss[.zzz]]]" (also with 'T'); false when it is not a date.
    static bool LerIso(const std::string& texto, DataHora& saida);
    // Days since 1899-12-30 with the time as a fraction, and back.
    double ComoDias() const;
    static DataHora DeDias(double dias);
    // The local clock.
    static DataHora Agora();
};

// An exact decimal number kept as its text ("-12.3400"), so that DECIMAL and MONEY
// never pass through a double.
struct Decimal {
    std::string texto;
    bool operator==(const Decimal&) const = default;
};

using Bytes = std::vector<std::uint8_t>;

// A value of a field or parameter. monostate is NULL.
using Valor =
    std::variant<std::monostate, bool, std::int64_t, double, Decimal, std::string, Bytes, DataHora>;

inline bool EhNulo(const Valor& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Conversions used by fields and parameters; a value that cannot be converted raises
// ErroDeEntrada with a Portuguese message.
std::string ValorComoTexto(const Valor& v);     // NULL -> ""
std::int64_t ValorComoInteiro(const Valor& v);  // NULL -> 0
double ValorComoReal(const Valor& v);           // NULL -> 0
bool ValorComoLogico(const Valor& v);           // NULL -> false
DataHora ValorComoDataHora(const Valor& v);     // NULL -> 1899-12-30

// The data type of a result column, in the categories the program tells apart.
enum class TipoDeCampo {
    Desconhecido,
    String,    // char/varchar/nchar/nvarchar(n)
    Memo,      // text/ntext/varchar(max)/nvarchar(max)
    Blob,      // image/varbinary(max)/varbinary(n)
    Bytes,     // binary(n), rowversion/timestamp
    Integer,   // int
    SmallInt,  // smallint
    Word,      // tinyint
    LargeInt,  // bigint
    Boolean,   // bit
    Float,     // float/real/decimal/numeric
    Currency,  // money/smallmoney
    DateTime,  // datetime/smalldatetime/datetime2
    Date,      // date
    Time,      // time
    Guid,      // uniqueidentifier
    Variant,   // sql_variant
};

// Days from 1970-01-01 to a civil date of the proleptic Gregorian calendar, and back.
std::int64_t DiasDesde1970(std::int64_t ano, unsigned mes, unsigned dia);
void DataCivil(std::int64_t dias, int& ano, int& mes, int& dia);

// True for binary large objects (the program treats memo fields as text, not as BLOB).
bool EhBlob(TipoDeCampo t);

// The name of the category ("String", "Memo", ...), for messages and the CLI.
const char* NomeDoTipo(TipoDeCampo t);

}  // namespace zolvek::db
