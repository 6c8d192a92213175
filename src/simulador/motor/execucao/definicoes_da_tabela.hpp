#pragma once

#include <string>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"

struct sqlite3;

// The columns and constraints CREATE TABLE, ALTER TABLE and DECLARE @t TABLE define, made
// into the catalog's and checked as SQL Server checks them.
namespace zolvek::simulador {

// Columns of `t` named in an expression.
std::vector<std::string> ColunasDaExpressao(const Tabela& t, const std::string& texto);
// The indid of a new index of `t`: 1 for a clustered one when the table has none.
int ProximoIndid(const Tabela& t, bool clusterizado);
// The rows already in `t` must satisfy a foreign key or check being added or enabled
// WITH CHECK: SQL Server's 547 for the first that does not.
void VerificarLinhasExistentes(const std::string& banco, sqlite3* db, const Tabela& t,
                               const Restricao& r);
// Adds a constraint to the in-memory table, checking what SQL Server checks.
void AdicionarRestricao(Catalogo& cat, const std::string& banco, sqlite3* db, Tabela& t,
                        DefRestricao def, bool verificar, bool criandoTabela);
ColunaDaTabela NovaColuna(const DefColuna& d, const std::string& tabela);

}  // namespace zolvek::simulador
