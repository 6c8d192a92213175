#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "db/conector/valor.hpp"

// What the engine's SQL functions share: reading SQLite's values as T-SQL reads them and
// giving results in the form the engine keeps them.
namespace zolvek::simulador {

class SessaoDasFuncoes;

// The session whose connection runs the call (the functions' user data).
SessaoDasFuncoes* Dono(sqlite3_context* c);
inline bool Nulo(sqlite3_value* v) {
    return sqlite3_value_type(v) == SQLITE_NULL;
}
std::string TextoDe(sqlite3_value* v);
// A number as CAST to varchar writes it.
std::string NumeroComoTexto(sqlite3_value* v);
// A value as the text the string functions read: a number as CAST to varchar writes it.
inline std::string TextoDoArgumento(sqlite3_value* v) {
    return sqlite3_value_type(v) == SQLITE_TEXT ? TextoDe(v) : NumeroComoTexto(v);
}
void ResultadoTexto(sqlite3_context* c, const std::string& s);
void ResultadoDataHora(sqlite3_context* c, const db::DataHora& d);
// A date-time from its stored text or from a number of days since 1900-01-01.
bool LerDataHoraDoValor(sqlite3_value* v, db::DataHora& d);
std::size_t ContarCaracteres(std::string_view s);
// A number written as text (blanks around it allowed): `inteiro` when it is a whole one
// that fits 64 bits, kept in `valorInteiro`.
bool LerNumero(const std::string& texto, double& saida, bool& inteiro, std::int64_t& valorInteiro);
// The first n characters of a UTF-8 text.
std::string Primeiros(std::string_view s, std::size_t n);

}  // namespace zolvek::simulador

namespace zolvek::simulador {

// T-SQL's LIKE: does texto from byte i match padrao from byte p ([abc], [^a-z], % and _,
// without letter case; `escape` -1 for none)?
bool Casa(const std::string& texto, std::size_t i, const std::string& padrao, std::size_t p,
          int escape);
// One UTF-8 character of s at i, folded for comparison; i moves past it.
std::string CaractereDobrado(const std::string& s, std::size_t& i);

}  // namespace zolvek::simulador

namespace zolvek::simulador {

// The last part of a name given as text ('dbo.[T]' -> T); `outroBanco` when the name is
// of a database other than `banco`.
std::string NomeSimples(const std::string& texto, bool& outroBanco, const std::string& banco);

}  // namespace zolvek::simulador
