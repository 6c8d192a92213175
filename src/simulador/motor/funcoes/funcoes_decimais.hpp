#pragma once

#include <string>

#include "simulador/motor/tipos/tipos.hpp"

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// Decimal, numeric and money values travel through SQLite as exact texts with all the
// digits of their scale ("12.50"). These SQL functions do their arithmetic,
// comparisons, sums and averages exactly, with SQL Server's precision and scale, and
// raise its overflow and division errors.
namespace zolvek::simulador {

void RegistrarFuncoesDecimais(sqlite3* db);

// CAST, CONVERT and writing into a decimal, numeric or money column: rounds half away
// from zero to the scale, and fails with 8115 when the value does not fit.
void ConverterParaDecimal(sqlite3_context* c, sqlite3_value* v, const TipoSql& t);

// The exact text of a stored value for a column or result of type `t` (an old file may
// hold floating point; another scale is rounded to the type's).
std::string TextoDecimalDoValor(sqlite3_value* v, const TipoSql& t);

}  // namespace zolvek::simulador
