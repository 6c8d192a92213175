#include "comum/gravacao.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "comum/erros.hpp"

namespace zolvek {

void GravarArquivoInteiro(const std::filesystem::path& arquivo, std::string_view bytes,
                          const std::string& mensagemDeFalha) {
    std::filesystem::path temporario = arquivo;
    temporario += ".tmp";
    auto falhar = [&](const std::string& motivo) {
        std::error_code ignorado;
        std::filesystem::remove(temporario, ignorado);
        throw Erro(mensagemDeFalha + ": " + motivo);
    };
    {
        std::ofstream saida(temporario, std::ios::binary | std::ios::trunc);
        if (!saida) falhar(std::strerror(errno));
        saida.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        saida.close();
        if (!saida) falhar(std::strerror(errno));
    }
    std::error_code erro;
    std::filesystem::rename(temporario, arquivo, erro);
    if (erro) falhar(erro.message());
}

}  // namespace zolvek
