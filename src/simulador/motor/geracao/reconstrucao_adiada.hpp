#pragma once

#include <string>

#include "simulador/motor/catalogo/catalogo.hpp"

struct sqlite3;

// A change of a table's DEFAULTs, CHECKs or nullability while it has no rows waits for its
// first row instead of making the SQLite table again at once: each SQLite DDL statement
// reads the whole schema, so rebuilding at every such change (the analysis makes several
// per table) cost more the more tables a database had. Until then the SQLite table keeps
// the constraints it had, which no read looks at, and its new indexes and foreign keys'
// triggers wait as well; an INSERT into it (any statement that SQLite prepares to insert,
// in a trigger too) makes it first (ConsolidarTabela).
namespace zolvek::simulador {

// Whether `nova` and `antiga` make the same SQLite columns (names, types, collations,
// identity, computed, row key) and differ at most in their constraints.
bool MesmaTabelaSqlite(const Tabela& nova, const Tabela& antiga);
// Whether the change from `antiga` to `nova` may wait: the same SQLite columns, and no rows.
bool PodeAdiarReconstrucao(sqlite3* db, const Tabela& nova, const Tabela& antiga);
// Makes the SQLite table of `nome` as the catalog has it, when its rebuild waits, and
// records that it no longer does. False when nothing waited.
bool ConsolidarTabela(sqlite3* db, Catalogo& catalogo, const std::string& nome);

}  // namespace zolvek::simulador
