#pragma once

#include <set>
#include <string>

// The SQLite text of the catalog views each connection makes, and the names they take:
// no user object's name may stand for one of them in SQLite.
namespace zolvek::simulador {

// The views and tables made with every connection (sysobjects, syscolumns, systypes ...).
extern const char* const kVisoes;
// Those of keys, constraints, modules and schemas, made the first time a statement misses one.
extern const char* const kVisoesDeChavesEModulos;

// The names of the views and tables a text of them makes.
std::set<std::string> NomesDasVisoes(const std::string& texto);
// One of those views or tables, by its SQLite name (zv_sys_objects, sysobjects, ...).
bool EhVisaoDoCatalogo(const std::string& nome);

}  // namespace zolvek::simulador
