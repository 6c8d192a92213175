#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zolvek {

// Writes the bytes as the whole new content of the file: they go to a file beside it
// that is then renamed over it, so that a failure never leaves a half-written file in
// its place. On failure raises Erro with `mensagemDeFalha` + ": " + the system's reason.
void GravarArquivoInteiro(const std::filesystem::path& arquivo, std::string_view bytes,
                          const std::string& mensagemDeFalha);

}  // namespace zolvek
