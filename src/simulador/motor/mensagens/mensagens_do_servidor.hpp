#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "comum/erros.hpp"

// SQL Server's messages, one row each (number, severity, state, text with %1, %2...
// where the names and values go), kept in one catalog (tabela_de_mensagens.hpp). The
// engine raises them by number, never by writing their text.
namespace zolvek::simulador {

// The text of message `numero` with its placeholders filled in order.
std::string TextoDoServidor(int numero, std::initializer_list<std::string_view> valores = {});

// Message `numero` as the error SQL Server raises.
ErroDeBanco ErroDoServidor(int numero, std::initializer_list<std::string_view> valores = {});
// The same raised in another state (SQL Server tells where it failed by the state).
ErroDeBanco ErroDoServidor(int numero, int estado, std::initializer_list<std::string_view> valores);

// What SQL Server runs and the engine does not, refused in Portuguese ("O simulador de SQL
// Server não ...", number 0): callers tell it by its type, never by its text.
ErroDeBanco Recusa(const std::string& texto);
// The refusal of a change to an object of another database than the current one.
ErroDeBanco RecusaDeOutroBanco(const std::string& banco, const std::string& objeto);

// "Query timeout expired": the command's time limit ran out. The client tells it, not the
// server: no server number, ODBC's SQLSTATE HYT00.
ErroDeBanco ErroDeTempoEsgotado();

// `erro` with message `numero` on a line of its own after it. SQL Server sends two
// messages (the second tells what failed with it: "... See previous errors.", "... is
// terminating abnormally.", "Login failed ..."); the stand-in sends one error, numbered
// as the first.
ErroDeBanco ComMensagemSeguinte(const ErroDeBanco& erro, int numero,
                                std::initializer_list<std::string_view> valores = {});

// `erro` (SQL Server's message, with its number) and, on a line after it, the stand-in's
// own word on why it refuses what SQL Server would do.
ErroDeBanco ComNota(const ErroDeBanco& erro, const std::string& nota);

}  // namespace zolvek::simulador
