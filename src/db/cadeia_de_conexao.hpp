#pragma once

#include <string>

// Helpers for OLE DB connection strings ("key=value" entries separated by ";").
namespace zolvek::db {

// The value of the first entry whose name equals the key with the same letter case;
// "" when there is none. Quoted values are not treated specially.
std::string ObterValorDaConexao(const std::string& cadeia, const std::string& chave);

// Replaces the first entry named `chave` by chave=valor, or removes it when the value
// is "Remover" (leaving an empty segment); appends it when absent.
std::string AlterarValorDaConexao(const std::string& cadeia, const std::string& chave,
                                  const std::string& valor);

}  // namespace zolvek::db
