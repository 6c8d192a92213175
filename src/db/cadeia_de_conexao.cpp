#include "db/cadeia_de_conexao.hpp"

#include <string_view>
#include <vector>

namespace zolvek::db {

namespace {

std::vector<std::string> Entradas(const std::string& cadeia) {
    std::vector<std::string> entradas;
    std::string::size_type inicio = 0;
    while (true) {
        auto fim = cadeia.find(';', inicio);
        entradas.push_back(cadeia.substr(inicio, fim - inicio));
        if (fim == std::string::npos) break;
        inicio = fim + 1;
    }
    return entradas;
}

std::string_view NomeDaEntrada(std::string_view entrada) {
    return entrada.substr(0, entrada.find('='));
}

}  // namespace

std::string ObterValorDaConexao(const std::string& cadeia, const std::string& chave) {
    for (const auto& entrada : Entradas(cadeia)) {
        auto igual = entrada.find('=');
        if (igual != std::string::npos && entrada.compare(0, igual, chave) == 0)
            return entrada.substr(igual + 1);
    }
    return "";
}

std::string AlterarValorDaConexao(const std::string& cadeia, const std::string& chave,
                                  const std::string& valor) {
    const bool remover = valor == "Remover";
    std::string resultado;
    bool achou = false;
    for (const auto& entrada : Entradas(cadeia)) {
        if (!resultado.empty()) resultado += ';';
        if (!achou && entrada.find('=') != std::string::npos && NomeDaEntrada(entrada) == chave) {
            achou = true;
            if (!remover) resultado += chave + "=" + valor;
        } else {
            resultado += entrada;
        }
    }
    if (!achou && !remover) {
        if (!resultado.empty()) resultado += ';';
        resultado += chave + "=" + valor;
    }
    return resultado;
}

}  // namespace zolvek::db
