#include "cli/argumentos.hpp"

#include <cstdlib>

namespace zolvek::cli {

Argumentos::Argumentos(const std::vector<std::string>& argumentos,
                       const std::set<std::string>& comValor,
                       const std::set<std::string>& semValor) {
    for (std::size_t i = 0; i < argumentos.size(); ++i) {
        const std::string& arg = argumentos[i];
        if (arg.size() < 2 || arg.rfind("--", 0) != 0) {
            posicionais_.push_back(arg);
            continue;
        }
        std::string nome = arg;
        std::optional<std::string> valor;
        if (auto igual = arg.find('='); igual != std::string::npos) {
            nome = arg.substr(0, igual);
            valor = arg.substr(igual + 1);
        }
        if (nome == "--help" || semValor.count(nome)) {
            if (valor) throw ErroDeUso("A opção " + nome + " não aceita valor");
            marcados_.insert(nome);
        } else if (comValor.count(nome)) {
            if (!valor) {
                if (i + 1 >= argumentos.size())
                    throw ErroDeUso("A opção " + nome + " precisa de um valor");
                valor = argumentos[++i];
            }
            valores_.emplace_back(nome, *valor);
        } else {
            throw ErroDeUso("Opção desconhecida: " + nome);
        }
    }
}

std::optional<std::string> Argumentos::Valor(const std::string& opcao) const {
    std::optional<std::string> achado;
    for (const auto& [nome, valor] : valores_)
        if (nome == opcao) achado = valor;  // the last one given wins
    return achado;
}

std::vector<std::string> Argumentos::Valores(const std::string& opcao) const {
    std::vector<std::string> achados;
    for (const auto& [nome, valor] : valores_)
        if (nome == opcao) achados.push_back(valor);
    return achados;
}

bool Argumentos::Marcado(const std::string& opcao) const {
    return marcados_.count(opcao) > 0;
}

std::string CadeiaDeConexao(const Argumentos& argumentos) {
    std::string cadeia;
    if (auto valor = argumentos.Valor("--conexao"))
        cadeia = *valor;
    else if (const char* ambiente = std::getenv("ZOLVEK_CONEXAO"); ambiente && *ambiente)
        cadeia = ambiente;
    else
        throw ErroDeUso(
            "Informe a conexão com --conexao TEXTO ou na variável de ambiente ZOLVEK_CONEXAO");
    // The stand-in's own key, for a server folder created by this connection.
    if (auto versao = argumentos.Valor("--versao-do-simulador")) {
        if (versao->empty()) throw ErroDeUso("A opção --versao-do-simulador precisa de uma versão");
        while (!cadeia.empty() && (cadeia.back() == ';' || cadeia.back() == ' ')) cadeia.pop_back();
        cadeia += ";Versao do Servidor=" + *versao;
    }
    return cadeia;
}

}  // namespace zolvek::cli
