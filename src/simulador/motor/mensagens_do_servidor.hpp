#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "comum/erros.hpp"

// SQL Server's messages, one row each (number, severity, state, text with %1, %2...
// where the names and values go), kept in one table (mensagens_do_servidor.cpp). The
// engine raises them by number.
namespace zolvek::simulador {

// The text of message `numero` with its placeholders filled in order.
std::string TextoDoServidor(int numero, std::initializer_list<std::string_view> valores = {});

// Message `numero` as the error SQL Server raises.
ErroDeBanco ErroDoServidor(int numero, std::initializer_list<std::string_view> valores = {});

}  // namespace zolvek::simulador
