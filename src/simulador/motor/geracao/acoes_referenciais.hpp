#pragma once

#include <functional>
#include <string>

#include "simulador/motor/catalogo/catalogo.hpp"

struct sqlite3;

// ON DELETE and ON UPDATE CASCADE, SET NULL and SET DEFAULT of foreign keys: what SQL Server
// refuses of them, and the SQLite triggers that carry a change of a referenced row to the
// rows that reference it.
namespace zolvek::simulador {

// Refuses a foreign key r of table t (not yet in the catalog) that SET NULL cannot write
// (1761) or whose cascade makes a cycle or a second path to a table (1785).
void ExigirAcoesValidas(Catalogo& catalogo, const Tabela& t, const Restricao& r);

// The triggers of the referenced table `pai` that carry the actions of the foreign key r of
// `filha`; none for NO ACTION, which the caller enforces. `nome` names each new trigger.
void CriarGatilhosDasAcoes(sqlite3* db, const Tabela& pai, const Tabela& filha, const Restricao& r,
                           const std::function<std::string()>& nome);

// Refuses a DELETE or UPDATE of table t whose cascades reach a table with triggers of that
// event: SQL Server runs them for the rows the cascade changes, the engine would not.
void ExigirCascataSemGatilhos(Catalogo& catalogo, const Tabela& t, const std::string& evento);

}  // namespace zolvek::simulador
