#pragma once

#include "simulador/motor/arvores/expressao.hpp"

// T-SQL's aggregate functions, as the grouping checks, SELECT ... INTO and the changes
// through views tell them.
namespace zolvek::simulador {

// COUNT, SUM, MIN... without OVER: a call that folds a group's rows into one value.
bool EhAgregado(const Chamada& c);
// Whether the expression holds an aggregate outside its subqueries.
bool TemAgregado(const Expressao& e);
// Raises SQL Server's 130 when an aggregate's argument holds an aggregate or a subquery:
// SQLite would take the subquery, and answer the other in its own words.
void RecusarAgregadoAninhado(const Chamada& c);

}  // namespace zolvek::simulador
