#pragma once

#include <string>

// Helpers for OLE DB connection strings ("key=value" entries separated by ";").
namespace zolvek::db {

// The value of the first entry whose name equals the key with the same letter case;
// "" when there is none. A value in quotes ("a;b", 'a;b') or braces ({a;b}) is given
// without them, a doubled closing mark standing for itself.
std::string ObterValorDaConexao(const std::string& cadeia, const std::string& chave);

// Replaces the first entry named `chave` by chave=valor, or removes it when the value
// is "Remover" (leaving an empty segment); appends it when absent. A value with ";",
// edge blanks or a leading quote or brace is written in double quotes.
std::string AlterarValorDaConexao(const std::string& cadeia, const std::string& chave,
                                  const std::string& valor);

}  // namespace zolvek::db
