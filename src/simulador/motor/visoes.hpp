#pragma once

#include <vector>

#include "simulador/servidor/servidor.hpp"

struct sqlite3;

// The catalog views SQL Server offers (sysobjects, sys.objects, syscolumns, systypes,
// sysindexes, sys.indexes, information_schema.columns ...), built as temporary views
// of each connection over the engine's metadata tables, and the server-level ones
// (sys.databases, sysprocesses) filled from the server before a query reads them.
namespace zolvek::simulador {

void CriarVisoesDoCatalogo(sqlite3* db);
// One of those views or tables, by its SQLite name (zv_sys_objects, sysobjects, ...).
bool EhVisaoDoCatalogo(const std::string& nome);
void PreencherProcessos(sqlite3* db, const std::vector<InfoDaSessao>& sessoes);
void PreencherBancos(sqlite3* db, const std::vector<InfoDoBanco>& bancos);

}  // namespace zolvek::simulador
