#include "comum/arquivo_inteiro.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "comum/erros.hpp"

namespace zolvek {

std::string LerArquivoInteiro(const std::filesystem::path& arquivo,
                              const std::string& mensagemDeFalha) {
    std::error_code erro;
    if (std::filesystem::is_directory(arquivo, erro)) throw ErroDeEntrada(mensagemDeFalha);
    std::ifstream entrada(arquivo, std::ios::binary);
    if (!entrada) throw ErroDeEntrada(mensagemDeFalha);
    std::ostringstream conteudo;
    conteudo << entrada.rdbuf();
    if (entrada.bad()) throw ErroDeEntrada(mensagemDeFalha);
    return conteudo.str();
}

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
