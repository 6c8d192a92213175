#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "comum/erros.hpp"
#include "db/conector/valor.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/tipos.hpp"

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// T-SQL's date functions (DATEPART and its parts, DATENAME, DATEFROMPARTS, EOMONTH) and
// the date styles of CONVERT, in the session's language and first day of the week.
namespace zolvek::simulador {

void RegistrarFuncoesDeDatas(sqlite3* db);
// DATEADD and DATEDIFF (aritmetica_de_datas.cpp).
void RegistrarAritmeticaDeDatas(sqlite3* db);

// SYSDATETIMEOFFSET, TODATETIMEOFFSET, SWITCHOFFSET, and zv_dto_utc (a datetimeoffset as
// the datetime2 of its UTC instant, for DATEDIFF) (funcoes_de_fuso.cpp).
void RegistrarFuncoesDeFuso(sqlite3* db);
// The value as a text of the type datetimeoffset(n) shows it, rounded to its scale.
void ResultadoDataComFuso(sqlite3_context* c, DataComFuso d, int casas);

// The full name of a date part or its abbreviation ("yy" -> "year", "isowk" ->
// "iso_week"); the text itself, folded, when it is none.
std::string ParteDeData(std::string_view parte);

// A date-time as CONVERT writes it in a style; false with SQL Server's message (or the
// stand-in's refusal) in `erro` for a style it does not take.
bool EscreverDataNoEstilo(const db::DataHora& d, int estilo, std::string& saida,
                          std::optional<ErroDeBanco>& erro);
// A value of a date, time or datetime2 type as CONVERT writes it: the default style and
// 21, 121, 126, 127 show the type's fraction digits; the others write it as a datetime.
bool EscreverDataDoTipo(const db::DataHora& d, const TipoSql& t, int estilo, std::string& saida,
                        std::optional<ErroDeBanco>& erro);
// A text read as a date-time in a style (103 reads dd/mm/yyyy); false with `erro` empty
// when the text is no date, or SQL Server's message for a style it does not take.
bool LerDataNoEstilo(const std::string& texto, int estilo, db::DataHora& d,
                     std::optional<ErroDeBanco>& erro, LeituraDeData leitura = LeituraDeData::Iso);

// What the statement knows of a value it converts to a date-time type: a character
// string (`tipo` says which), a value of a date-time type (stored as its text, `tipo`
// says which when known), or nothing.
enum class OrigemDaData { Desconhecida, Caracteres, DataHora };
struct OrigemDoValor {
    OrigemDaData origem = OrigemDaData::Desconhecida;
    std::optional<TipoSql> tipo;
};
// The value converted to the date-time type `t` as CAST, CONVERT (in `estilo`) and the
// implicit conversions do, or the call failed with SQL Server's message.
void ConverterEmData(sqlite3_context* c, sqlite3_value* v, const TipoSql& t, int estilo,
                     const OrigemDoValor& origem);

}  // namespace zolvek::simulador
