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

// The string without its password ("Password" or "Pwd" entries, in any letter case and
// however quoted), the other entries as they were written: what may be stored.
std::string RemoverSenhaDaConexao(const std::string& cadeia);

// True when the string logs in with a name and has no password entry: a string stored
// without its password, which must be asked for before connecting.
bool FaltaSenhaNaConexao(const std::string& cadeia);

}  // namespace zolvek::db
