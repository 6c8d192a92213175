#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zolvek {

// The whole content of a file. A folder, or a file that cannot be opened or read,
// raises ErroDeEntrada with `mensagemDeFalha` (a folder may open and read as nothing on
// some systems, and must not pass for an empty file).
std::string LerArquivoInteiro(const std::filesystem::path& arquivo,
                              const std::string& mensagemDeFalha);

// Writes the bytes as the whole new content of the file: they go to a file beside it
// that is then renamed over it, so that a failure never leaves a half-written file in
// its place. On failure raises Erro with `mensagemDeFalha` + ": " + the system's reason.
void GravarArquivoInteiro(const std::filesystem::path& arquivo, std::string_view bytes,
                          const std::string& mensagemDeFalha);

}  // namespace zolvek
