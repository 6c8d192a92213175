#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/textos_das_visoes.hpp"
#include "simulador/servidor/servidor.hpp"

struct sqlite3;

// The catalog views SQL Server offers (sysobjects, sys.objects, syscolumns, systypes,
// sysindexes, sys.indexes, information_schema.columns ...), built as temporary views
// of each connection over the engine's metadata tables, and the server-level ones
// (sys.databases, sysprocesses) filled from the server before a query reads them.
namespace zolvek::simulador {

void CriarVisoesDoCatalogo(sqlite3* db);
// The database's alias types in systypes and sys.types (visoes_de_tipos.cpp): made again
// each time the catalog is read.
void AtualizarTiposDoUsuario(sqlite3* db, const std::vector<TipoDoUsuario>& tipos);
// The views of keys, constraints, modules and schemas (information_schema.key_column_usage,
// sys.sql_modules ...) cost more to make than all the others together: they are made the
// first time a statement misses one. True when `faltando`, SQLite's name of the table a
// statement missed, is one of them and they were made now.
bool CriarVisoesDeChavesQueFaltam(sqlite3* db, std::string_view faltando);
void PreencherProcessos(sqlite3* db, const std::vector<InfoDaSessao>& sessoes);
// syslogins, sys.server_principals, sys.sql_logins and sys.server_role_members, as the
// login `quemPede` sees them.
void PreencherLogins(sqlite3* db, const std::vector<Login>& logins, const std::string& quemPede,
                     bool sysadmin);
// FULL, BULK_LOGGED or SIMPLE: the recovery model the database's options stand for.
std::string NomeDoModeloDeRecuperacao(const InfoDoBanco& banco);
void PreencherBancos(sqlite3* db, const std::vector<InfoDoBanco>& bancos);

}  // namespace zolvek::simulador
