#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reading an OLE DB connection string for the backends: "key=value" entries separated
// by ";", keys compared without regard to letter case, values optionally quoted
// ("a;b", 'a;b' or the ODBC form {a;b}, a doubled closing mark standing for itself).
namespace zolvek::db {

struct EntradaDaConexao {
    std::string chave;  // blanks trimmed
    std::string valor;  // blanks trimmed, quotes or braces removed
};

// Empty segments are skipped. An empty string, or a segment without "=", raises
// ErroDeEntrada with a Portuguese message.
std::vector<EntradaDaConexao> LerEntradasDaConexao(std::string_view cadeia);

// The value of the first entry named `chave` (letter case ignored); "" when absent.
std::string ValorDaEntrada(const std::vector<EntradaDaConexao>& entradas, std::string_view chave);
bool TemEntrada(const std::vector<EntradaDaConexao>& entradas, std::string_view chave);

}  // namespace zolvek::db
