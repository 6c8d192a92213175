#pragma once

#include <filesystem>
#include <string>

// The files a command-line run writes when it ends (script, report), checked before it
// starts, and the names they take when one run covers many databases.
namespace zolvek::execucao {

// Leaves the file empty, so that a path that cannot be written stops the run before it
// starts: raises ErroDeEntrada "Não é possível gravar o arquivo 'X': reason".
void PrepararArquivoDeSaida(const std::filesystem::path& arquivo);

// Replaces the file's content; raises Erro with the system's reason.
void GravarArquivoDeSaida(const std::filesystem::path& arquivo, const std::string& conteudo);

// The file of one database of a list: the line number and the database's name go
// before the extension ("script.sql", line 3, EMPRESA: "script.3.EMPRESA.sql"). Works
// on the server's paths too (a backup file "D:\copias\antes.bak").
std::string ArquivoDoBanco(const std::string& modelo, int linha, const std::string& banco);

}  // namespace zolvek::execucao
