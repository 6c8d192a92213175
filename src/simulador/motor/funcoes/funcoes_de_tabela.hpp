#pragma once

#include <string>
#include <vector>

#include "db/conector/valor.hpp"

struct sqlite3;
struct sqlite3_value;

// A multi-statement table function in SQLite: an eponymous virtual table per function
// definition, whose hidden columns are the call's arguments (so a call may take the
// columns of the tables before it, as CROSS APPLY does). Each scan runs the function's
// body for its arguments through the executor whose statement SQLite is running.
namespace zolvek::simulador {

struct Tabela;

// The module's name for this definition of the function (its text), registered on `db`
// the first time: a definition altered since gets another module, with its new columns.
std::string RegistrarFuncaoDeTabela(sqlite3* db, const std::string& funcao,
                                    const std::string& definicao, const Tabela& retorno,
                                    std::size_t parametros);

// A value SQLite hands a function, as the engine's (executor_funcoes.cpp).
db::Valor ValorDoSqlite(sqlite3_value* v);

// The rows of a scan, owned: each value is freed with sqlite3_value_free.
using LinhasDoSqlite = std::vector<std::vector<sqlite3_value*>>;
void LiberarLinhas(LinhasDoSqlite& linhas) noexcept;

}  // namespace zolvek::simulador
