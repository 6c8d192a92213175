#pragma once

#include <cstdint>
#include <optional>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// T-SQL's functions about columns and types: COL_LENGTH, COL_NAME, COLUMNPROPERTY,
// TYPE_ID and TYPE_NAME, answered from the session's catalog.
namespace zolvek::simulador {

void RegistrarFuncoesDeCatalogo(sqlite3* db, void* sessao);
// OBJECT_DEFINITION, OBJECTPROPERTY, OBJECT_NAME, OBJECT_SCHEMA_NAME, SCHEMA_NAME,
// SCHEMA_ID, IDENT_CURRENT, IDENT_SEED, IDENT_INCR and CHOOSE.
void RegistrarFuncoesDeObjetos(sqlite3* db, void* sessao);

struct Tabela;
// The table of the session's database a name given as text names ('dbo.[T]'); null for
// another database's or an unknown one.
Tabela* TabelaPeloNome(sqlite3_context* c, sqlite3_value* v);
// The last identity value a table gave; nullopt while it gave none (new or truncated).
std::optional<std::int64_t> UltimaIdentidade(sqlite3* db, const Tabela& t);

}  // namespace zolvek::simulador
