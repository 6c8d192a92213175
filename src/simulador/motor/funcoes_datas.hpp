#pragma once

#include <string>
#include <string_view>

#include "db/conector/valor.hpp"
#include "simulador/motor/tipos.hpp"

struct sqlite3;

// T-SQL's date functions (DATEPART and its parts, DATENAME, DATEFROMPARTS, EOMONTH) and
// the date styles of CONVERT, in the session's language and first day of the week.
namespace zolvek::simulador {

void RegistrarFuncoesDeDatas(sqlite3* db);
// DATEADD and DATEDIFF (aritmetica_de_datas.cpp).
void RegistrarAritmeticaDeDatas(sqlite3* db);

// The full name of a date part or its abbreviation ("yy" -> "year", "isowk" ->
// "iso_week"); the text itself, folded, when it is none.
std::string ParteDeData(std::string_view parte);

// A date-time as CONVERT writes it in a style; false with SQL Server's message (or the
// stand-in's refusal) in `erro` for a style it does not take.
bool EscreverDataNoEstilo(const db::DataHora& d, int estilo, std::string& saida, std::string& erro);
// A value of a date, time or datetime2 type as CONVERT writes it: the default style and
// 21, 121, 126, 127 show the type's fraction digits; the others write it as a datetime.
bool EscreverDataDoTipo(const db::DataHora& d, const TipoSql& t, int estilo, std::string& saida,
                        std::string& erro);
// A text read as a date-time in a style (103 reads dd/mm/yyyy); false with `erro` empty
// when the text is no date, or SQL Server's message for a style it does not take.
bool LerDataNoEstilo(const std::string& texto, int estilo, db::DataHora& d, std::string& erro);

}  // namespace zolvek::simulador
