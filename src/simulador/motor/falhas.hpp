#pragma once

#include <optional>
#include <string>

#include "comum/erros.hpp"

// Errors raised inside SQLite by the engine's own SQL functions (conversions, dates,
// lengths) reach the executor only as SQLite's failure of the whole statement; the
// function keeps its SQL Server error here, and the executor raises that one.
namespace zolvek::simulador {

// Keeps the error of the function that failed (the last one wins); its number is the
// one SQL Server gives that message.
void GuardarFalhaDeFuncao(const std::string& mensagem);
// The kept error, once; nothing when no function failed since the last call.
std::optional<ErroDeBanco> TomarFalhaDeFuncao();

}  // namespace zolvek::simulador
