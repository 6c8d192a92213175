#pragma once

#include <map>
#include <string>

#include "simulador/motor/catalogo/catalogo.hpp"

struct sqlite3;

// How a catalog table becomes a SQLite table: columns with SQLite types and the
// collation, identity as AUTOINCREMENT, defaults and checks as SQLite clauses,
// indexes, and triggers for foreign keys and rowversion. Changes SQLite cannot make
// in place rebuild the table.
namespace zolvek::simulador {

// A temporary SQLite table `nome` with t's columns, types and collations and none of its
// constraints: a trigger's inserted and deleted rows.
std::string DefinicaoDasLinhas(const Tabela& t, const std::string& nome);
void CriarTabelaSqlite(sqlite3* db, Catalogo& catalogo, const Tabela& t);
// A table variable: a table of SQLite's temp schema, which only its connection sees.
void CriarTabelaTemporariaSqlite(sqlite3* db, const Tabela& t);
// Rebuilds `nova` from the rows of `antiga`. `origem` maps each column of `nova`
// (folded name) to the column of `antiga` it is copied from; columns absent from the
// map take their defaults. `verificarChecks` re-checks CHECK constraints on the copy.
void ReconstruirTabela(sqlite3* db, Catalogo& catalogo, const Tabela& nova, const Tabela& antiga,
                       const std::map<std::string, std::string>& origem);
void CriarIndicesSqlite(sqlite3* db, const Tabela& t);
// None for a unique index over the identity alone, which SQLite's row key enforces.
void CriarIndiceSqlite(sqlite3* db, const Tabela& t, const Indice& i);
// Not for an index IndiceNaLinha tells of: that one goes only with the table rebuilt.
void ExcluirIndiceSqlite(sqlite3* db, const Tabela& t, const Indice& i);
bool IndiceNaLinha(sqlite3* db, const Tabela& t, const Indice& i);
// The index of `t` that SQLite's index `nome` (as its messages name it) enforces.
const Indice* IndiceDoSqlite(const Tabela& t, const std::string& nome);
// Rewrites the engine's triggers on a table: its rowversion and computed columns, its
// foreign keys' checks, and the checks and actions of the keys that reference it.
void RecriarGatilhos(sqlite3* db, Catalogo& catalogo, const Tabela& t);
enum class LadosDaChave { Ambos, Filha, Referida };
// Rewrites only the triggers of foreign key r (by its id) of table `filha`, after the
// catalog took the change: none when the catalog no longer has the key or has it
// disabled. A side whose table still has triggers of an older file gets all of its own
// made again.
void AtualizarGatilhosDaChave(sqlite3* db, Catalogo& catalogo, const std::string& filha,
                              const Restricao& r, LadosDaChave lados = LadosDaChave::Ambos);
// Drops the triggers of the foreign keys no longer in force (dropped or disabled keys keep
// theirs, which do nothing, until then): needed before their tables change or go, as the
// triggers name them.
void ExcluirGruposSemChave(sqlite3* db, Catalogo& catalogo);
// The name SQLite's rowid goes by in `t`: rowid, or _rowid_ or oid when the table has a
// column named rowid (SQLite then means the column).
std::string ColunaDaLinha(const Tabela& t);

// The column a new table keeps as SQLite's own row key, which makes a search by the
// primary key a single descent: the key's one ascending integer column, when it has no
// default and the table no identity (which holds that place). Null when there is none.
const ColunaDaTabela* ChaveNaLinha(const Tabela& t);
// `valor` as written to column `c`: SQLite reads a NULL given to its row key as "make a
// new key", so the key's value is checked for NULL before SQLite sees it.
std::string GuardaDaChave(const Tabela& t, const ColunaDaTabela& c, std::string valor);

}  // namespace zolvek::simulador
