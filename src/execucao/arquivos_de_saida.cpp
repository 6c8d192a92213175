#include "execucao/arquivos_de_saida.hpp"

#include "comum/arquivo_inteiro.hpp"
#include "comum/erros.hpp"

namespace zolvek::execucao {

void PrepararArquivoDeSaida(const std::filesystem::path& arquivo) {
    try {
        GravarArquivoInteiro(arquivo, "",
                             "Não é possível gravar o arquivo '" + arquivo.string() + "'");
    } catch (const ErroDeEntrada&) {
        throw;
    } catch (const Erro& e) {
        throw ErroDeEntrada(e.what());
    }
}

void GravarArquivoDeSaida(const std::filesystem::path& arquivo, const std::string& conteudo) {
    GravarArquivoInteiro(arquivo, conteudo,
                         "Não foi possível gravar o arquivo '" + arquivo.string() + "'");
}

std::string ArquivoDoBanco(const std::string& modelo, int linha, const std::string& banco) {
    // Characters a file name cannot hold on either system become "_".
    std::string nome;
    for (char c : banco) nome += std::string("/\\:*?\"<>|").find(c) == std::string::npos ? c : '_';
    const std::string meio = "." + std::to_string(linha) + "." + nome;
    const auto barra = modelo.find_last_of("/\\");
    const auto ponto = modelo.rfind('.');
    if (ponto == std::string::npos || (barra != std::string::npos && ponto < barra) ||
        ponto == (barra == std::string::npos ? 0 : barra + 1))
        return modelo + meio;
    return modelo.substr(0, ponto) + meio + modelo.substr(ponto);
}

}  // namespace zolvek::execucao
