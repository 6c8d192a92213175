#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simulador/motor/arvore.hpp"

// Turns T-SQL expressions and queries into SQLite's dialect, token by token:
// [names], N'...', TOP n, table hints, multi-part names, the catalog views, @@ values
// and T-SQL's functions.
namespace zolvek::simulador {

struct ContextoDeReescrita {
    const std::vector<int>* ordinais = nullptr;  // parameter number of each '?' token
    bool usaProcessos = false;                   // master.dbo.sysprocesses was named
    bool usaBancos = false;                      // sys.databases was named
    // The SQLite schema of a database named in DB.dbo.T or DB..T ("" for the current
    // one); raises SQL Server's error for one that does not exist or cannot be opened.
    std::function<std::string(const std::string&)> esquemaDoBanco;
};

// The database a name of three or more parts points at: "ORIGEM" for ORIGEM.dbo.T and
// ORIGEM..T; "" when the name has no database part (dbo.T.coluna is a column).
std::string BancoDoNome(const std::vector<std::string>& partes);

std::string Reescrever(const std::vector<Token>& tokens, Faixa faixa, ContextoDeReescrita& ctx);

// The number (from 1) of each '?' in a batch; -1 for other tokens.
std::vector<int> NumerarParametros(const std::vector<Token>& tokens);

}  // namespace zolvek::simulador
