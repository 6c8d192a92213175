#pragma once

#include <string>
#include <string_view>

struct sqlite3;

// T-SQL's character functions: QUOTENAME, STUFF, ASCII, CHAR, NCHAR, UNICODE, PATINDEX,
// SOUNDEX, DIFFERENCE and ISNUMERIC.
namespace zolvek::simulador {

void RegistrarFuncoesDeTexto(sqlite3* db);

// ISNUMERIC: the text converts to some number type (int, float, money: currency
// symbols, thousands separators, a sign or a point alone count).
bool EhNumericoParaSqlServer(const std::string& texto);
// A text as money reads it ('$1,234.56', ' -12 '): the plain number in `numero`; false
// when money does not take it.
bool LerTextoDeMoeda(const std::string& texto, std::string& numero);
// The bytes of a UTF-8 text as varchar keeps them (Windows-1252, '?' for what it lacks)
// and as nvarchar keeps them (UTF-16, little-endian).
std::string BytesDeVarchar(const std::string& utf8);
std::string BytesDeNvarchar(const std::string& utf8);
// The way back: bytes read as varchar (Windows-1252) or nvarchar (UTF-16, little-endian;
// an odd last byte is the low half of a character).
std::string TextoDeBytesVarchar(std::string_view bytes);
std::string TextoDeBytesNvarchar(std::string_view bytes);

}  // namespace zolvek::simulador
