#pragma once

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
};

std::string Reescrever(const std::vector<Token>& tokens, Faixa faixa, ContextoDeReescrita& ctx);

// The number (from 1) of each '?' in a batch; -1 for other tokens.
std::vector<int> NumerarParametros(const std::vector<Token>& tokens);

}  // namespace zolvek::simulador
