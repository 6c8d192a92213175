#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"

// Turns a run of a batch's tokens (a query, an expression, a WHERE or FROM clause)
// into SQLite's dialect: the run is read into the expression tree and written back.
namespace zolvek::simulador {

// The database a name of three or more parts points at: "ORIGEM" for ORIGEM.dbo.T and
// ORIGEM..T; "" when the name has no database part (dbo.T.coluna is a column).
std::string BancoDoNome(const std::vector<std::string>& partes);

std::string Reescrever(const std::vector<Token>& tokens, Faixa faixa, ContextoDeReescrita& ctx);

// The columns an expression's text names (a CHECK constraint's), last part of each.
std::vector<std::string> ColunasDaExpressao(const std::string& texto);
// Translates a stored CHECK or DEFAULT text for SQLite.
std::string ExpressaoParaSqlite(const std::string& texto);
// The same, with the types of the table's columns that it names.
std::string ExpressaoDaTabela(const Tabela& t, const std::string& texto);

}  // namespace zolvek::simulador
