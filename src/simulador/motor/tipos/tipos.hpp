#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/conector/conector.hpp"

// SQL Server's column types as declared, and what follows from each: the catalog
// codes, the provider's field category, how a value is stored in SQLite.
namespace zolvek::simulador {

enum class TipoBase {
    Int,
    SmallInt,
    TinyInt,
    BigInt,
    Bit,
    Decimal,
    Numeric,
    Money,
    SmallMoney,
    Float,
    Real,
    DateTime,
    SmallDateTime,
    Date,
    Time,
    DateTime2,
    Char,
    VarChar,
    NChar,
    NVarChar,
    Text,
    NText,
    Binary,
    VarBinary,
    Image,
    RowVersion,
    UniqueIdentifier,
    SqlVariant,
    DateTimeOffset,  // last: the engine's SQL keeps these numbers
};

struct TipoSql {
    TipoBase base = TipoBase::Int;
    int tamanho = 0;  // characters or bytes; -1 for (max)
    int precisao = 0;
    int escala = 0;
    bool operator==(const TipoSql&) const = default;
};

// "nvarchar", "int" ... as SQL Server names the type (rowversion is "timestamp").
std::string NomeDoTipo(TipoBase b);
// "nvarchar(40)", "decimal(15,2)", "varbinary(max)".
std::string TextoDoTipo(const TipoSql& t);
// The type of a name ("dec", "integer", "rowversion" ...); nullopt when unknown.
std::optional<TipoBase> TipoPeloNome(std::string_view nome);
// Fills in what the declaration left out: lengths of (n)char/(n)varchar/binary default
// to 1, decimal to (18,0), float to 53.
TipoSql CompletarTipo(TipoBase b, int tamanho, int precisao, int escala, bool informado);
// A type written as text ("varchar(23)", "decimal(15,2)").
std::optional<TipoSql> LerTextoDeTipo(const std::string& texto);

bool EhTexto(TipoBase b);
bool EhBinario(TipoBase b);
bool EhInteiro(TipoBase b);
bool EhNumericoExato(TipoBase b);  // decimal, numeric, money, smallmoney
bool EhAproximado(TipoBase b);     // float, real
bool EhNumerico(TipoBase b);       // an integer, exact or approximate number
bool EhMoeda(TipoBase b);          // money, smallmoney
bool EhDataHora(TipoBase b);

// Catalog facts.
int XType(TipoBase b);
int ComprimentoEmBytes(const TipoSql& t);  // syscolumns.length / max_length; -1 for max
int PrecisaoDoCatalogo(const TipoSql& t);  // syscolumns.prec
int EscalaDoCatalogo(const TipoSql& t);
std::optional<int> PrecisaoNumerica(const TipoSql& t);  // information_schema
std::optional<int> EscalaNumerica(const TipoSql& t);

db::TipoDeCampo CategoriaDoTipo(const TipoSql& t);
// The SQLite type a column of this type is declared with. Decimal, numeric and money
// values are exact texts ("12.50"), never floating point.
const char* TipoSqlite(const TipoSql& t);

// SQL Server's precision and scale of e1 op e2 for decimal operands (p1,s1) and (p2,s2),
// op one of + - * / %, reduced to 38 digits as SQL Server reduces it.
TipoSql TipoDaOperacaoDecimal(char operador, int p1, int s1, int p2, int s2);

// Date-times are stored as "yyyy-mm-dd hh:nn:ss.zzz", with seven fraction digits
// ("...05.1234567") when a datetime2 or time has a part below the millisecond: texts of
// equal values are equal, and their byte order is their order. A time is stored on
// 1900-01-01.
// The order of day, month and year in a date written with separators ('02/01/2020'),
// chosen per session by SET DATEFORMAT or SET LANGUAGE.
enum class OrdemDeData { Dmy, Mdy, Ymd, Ydm, Myd, Dym };
std::optional<OrdemDeData> OrdemDeDataPeloNome(std::string_view nome);  // "mdy"
std::optional<OrdemDeData> OrdemDoIdioma(std::string_view idioma);      // "us_english"
// The order the running batch reads dates in (the session's, set by the executor).
OrdemDeData OrdemDeDataAtual();
void DefinirOrdemDeDataAtual(OrdemDeData ordem);

// How a text is read as a date-time. datetime and smalldatetime read a date that starts
// with the year ('2021-02-03', '2021/02/03') as yyyy-dd-mm when the session's order puts
// the day before the month (dmy, ydm, dym), and take at most three fraction digits; the
// other types read it always as yyyy-mm-dd. 'yyyymmdd' and 'yyyy-mm-ddThh:mi:ss' read
// alike for all.
enum class LeituraDeData { Iso, Classica };
bool LerDataHora(std::string_view texto, db::DataHora& saida,
                 LeituraDeData leitura = LeituraDeData::Iso);
// A text written as a date whose day, month or year is out of range ('20201301').
bool DataForaDoIntervalo(std::string_view texto, LeituraDeData leitura = LeituraDeData::Iso);
std::string FormatarDataHora(const db::DataHora& d);
db::DataHora DataHoraAtual();
// Days since 1900-01-01 (SQL Server's number of a date-time).
double DiasDesde1900(const db::DataHora& d);
db::DataHora DataHoraDeDias1900(double dias);
// DATETIME keeps 1/300 of a second: .000, .003, .007.
db::DataHora ArredondarDataHora(const db::DataHora& d);

// The fraction digits a date-time type keeps: n of time(n) and datetime2(n), 3 of
// datetime, none of date and smalldatetime.
int CasasDaFracao(const TipoSql& t);
// 100 ns units since 0001-01-01 00:00, and back.
std::int64_t TicksDe(const db::DataHora& d);
db::DataHora DataHoraDeTicks(std::int64_t ticks);
constexpr std::int64_t kTicksPorDia = 864000000000;
// Rounded to `casas` fraction digits, as datetime2(n) and time(n) keep it; a value past
// 9999-12-31 23:59:59.9999999 stays cut instead.
db::DataHora ArredondarNaEscala(const db::DataHora& d, int casas);
// A value as a column or variable of the date-time type `t` keeps it: rounded to the
// type's fraction (a smalldatetime to the minute), a date without its time, a time on
// 1900-01-01.
db::DataHora NoTipoDeData(const db::DataHora& d, const TipoSql& t);
// Whether a value, as the date-time type `t` keeps it, is in the type's range (datetime
// from 1753, smalldatetime from 1900-01-01 to 2079-06-06 23:59).
bool DataCabeNoTipo(const db::DataHora& d, const TipoSql& t);
// The clock in 100 ns units, local or UTC (SYSDATETIME, SYSUTCDATETIME).
db::DataHora DataHoraAtualPrecisa(bool utc);

// An exact text of a number with the given scale ("12.50").
std::string FormatarDecimal(double v, int escala);

}  // namespace zolvek::simulador
