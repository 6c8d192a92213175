#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>

#include <string>

#include "db/conector/conector.hpp"

namespace zolvek::db::odbc {

// The category of a column from its ODBC type, size and the server's type name.
TipoDeCampo TipoDaColuna(SQLSMALLINT tipoSql, SQLULEN tamanho, const std::string& nomeDoTipo);

// Describes the columns of the current result and reads all its rows, every value
// unbound with SQLGetData, left to right, long values in chunks.
void LerConjunto(SQLHSTMT h, SQLSMALLINT colunas, Resultado& r);

// The value of a column of the current row as text (NULL when null).
Valor LerTexto(SQLHSTMT h, SQLUSMALLINT coluna);

// ".5" and "-.5" as "0.5" and "-0.5" (SQL Server drops the leading zero).
std::string NormalizarDecimal(std::string texto);

}  // namespace zolvek::db::odbc
