#pragma once

#include <string>
#include <vector>

#include "db/conector/valor.hpp"

struct sqlite3;
struct sqlite3_value;

// A multi-statement table function in SQLite: an eponymous virtual table per function
// definition, whose hidden columns are the call's arguments (so a call may take the
// columns of the tables before it, as CROSS APPLY does). Each scan runs the function's
// body for its arguments through the function it was registered with.
namespace zolvek::simulador {

struct Tabela;

// The rows of a scan, owned: each value is freed with sqlite3_value_free.
using LinhasDoSqlite = std::vector<std::vector<sqlite3_value*>>;
void LiberarLinhas(LinhasDoSqlite& linhas) noexcept;

// The rows of one call of a function: `padroes` marks with '1' the parameters left to
// their defaults, `argumentos` are the others'. It raises the body's error.
using LinhasDaChamada = LinhasDoSqlite (*)(const std::string& funcao, const std::string& padroes,
                                           const std::vector<db::Valor>& argumentos);

// The module's name for this definition of the function (its text), registered on `db`
// the first time: a definition altered since gets another module, with its new columns.
// Each scan takes its rows from `linhas`.
std::string RegistrarFuncaoDeTabela(sqlite3* db, const std::string& funcao,
                                    const std::string& definicao, const Tabela& retorno,
                                    std::size_t parametros, LinhasDaChamada linhas);

// A value SQLite hands a function, as the engine's (execucao/funcoes_escalares_do_usuario.cpp).
db::Valor ValorDoSqlite(sqlite3_value* v);

}  // namespace zolvek::simulador
