#include "db/cadeia_de_conexao.hpp"

#include <cctype>
#include <string_view>
#include <vector>

namespace zolvek::db {

namespace {

// Where the value of the entry starting at `inicio` ends: the next ";" outside a value
// in quotes ("a;b", 'a;b') or braces ({a;b}), where a doubled closing mark stands for
// itself.
std::string::size_type FimDaEntrada(const std::string& cadeia, std::string::size_type inicio) {
    const auto fim = cadeia.find(';', inicio);
    auto v = cadeia.find('=', inicio);
    if (v == std::string::npos || v > fim) return fim;
    ++v;
    while (v < cadeia.size() && (cadeia[v] == ' ' || cadeia[v] == '\t')) ++v;
    if (v >= cadeia.size() || (cadeia[v] != '"' && cadeia[v] != '\'' && cadeia[v] != '{'))
        return fim;
    const char fecho = cadeia[v] == '{' ? '}' : cadeia[v];
    for (auto q = v + 1; q < cadeia.size(); ++q) {
        if (cadeia[q] != fecho) continue;
        if (q + 1 < cadeia.size() && cadeia[q + 1] == fecho) {
            ++q;
            continue;
        }
        return cadeia.find(';', q);
    }
    return std::string::npos;  // unclosed: the rest of the string is the value
}

std::vector<std::string> Entradas(const std::string& cadeia) {
    std::vector<std::string> entradas;
    std::string::size_type inicio = 0;
    while (true) {
        auto fim = FimDaEntrada(cadeia, inicio);
        entradas.push_back(cadeia.substr(inicio, fim - inicio));
        if (fim == std::string::npos) break;
        inicio = fim + 1;
    }
    return entradas;
}

std::string_view NomeDaEntrada(std::string_view entrada) {
    return entrada.substr(0, entrada.find('='));
}

// A value as written: unquoted when it was in quotes or braces, else as it stands.
std::string ValorEscrito(const std::string& valor) {
    auto v = valor.find_first_not_of(" \t");
    if (v == std::string::npos) return valor;
    if (valor[v] != '"' && valor[v] != '\'' && valor[v] != '{') return valor;
    const char fecho = valor[v] == '{' ? '}' : valor[v];
    std::string r;
    for (auto q = v + 1; q < valor.size(); ++q) {
        if (valor[q] == fecho) {
            if (q + 1 < valor.size() && valor[q + 1] == fecho) {
                r += fecho;
                ++q;
                continue;
            }
            return r;
        }
        r += valor[q];
    }
    return valor;  // unclosed: taken as it stands
}

// The value as an entry must hold it: in quotes when it has ";", edge blanks or an
// opening quote or brace that would otherwise be read as quoting.
std::string ValorParaEscrever(const std::string& valor) {
    const bool precisa =
        valor.find(';') != std::string::npos ||
        (!valor.empty() && (valor.front() == ' ' || valor.front() == '\t' || valor.back() == ' ' ||
                            valor.back() == '\t' || valor.front() == '"' || valor.front() == '\'' ||
                            valor.front() == '{'));
    if (!precisa) return valor;
    std::string r = "\"";
    for (char c : valor) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

// The entry's name without blanks around it, in small letters.
std::string ChaveDaEntrada(std::string_view entrada) {
    std::string chave(NomeDaEntrada(entrada));
    const auto inicio = chave.find_first_not_of(" \t");
    const auto fim = chave.find_last_not_of(" \t");
    chave = inicio == std::string::npos ? "" : chave.substr(inicio, fim - inicio + 1);
    for (char& c : chave) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return chave;
}

bool EhSenha(const std::string& entrada) {
    const std::string chave = ChaveDaEntrada(entrada);
    return entrada.find('=') != std::string::npos && (chave == "password" || chave == "pwd");
}

}  // namespace

std::string ObterValorDaConexao(const std::string& cadeia, const std::string& chave) {
    for (const auto& entrada : Entradas(cadeia)) {
        auto igual = entrada.find('=');
        if (igual != std::string::npos && entrada.compare(0, igual, chave) == 0)
            return ValorEscrito(entrada.substr(igual + 1));
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
            if (!remover) resultado += chave + "=" + ValorParaEscrever(valor);
        } else {
            resultado += entrada;
        }
    }
    if (!achou && !remover) {
        if (!resultado.empty()) resultado += ';';
        resultado += chave + "=" + ValorParaEscrever(valor);
    }
    return resultado;
}

std::string RemoverSenhaDaConexao(const std::string& cadeia) {
    std::string resultado;
    for (const auto& entrada : Entradas(cadeia)) {
        if (EhSenha(entrada) || entrada.find_first_not_of(" \t") == std::string::npos) continue;
        if (!resultado.empty()) resultado += ';';
        resultado += entrada;
    }
    return resultado;
}

bool FaltaSenhaNaConexao(const std::string& cadeia) {
    bool comNome = false;
    for (const auto& entrada : Entradas(cadeia)) {
        if (EhSenha(entrada)) return false;
        const std::string chave = ChaveDaEntrada(entrada);
        const auto igual = entrada.find('=');
        std::string valor =
            igual == std::string::npos ? "" : ValorEscrito(entrada.substr(igual + 1));
        for (char& c : valor) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((chave == "integrated security" || chave == "trusted_connection") &&
            (valor == "sspi" || valor == "true" || valor == "yes"))
            return false;
        if ((chave == "user id" || chave == "uid") &&
            valor.find_first_not_of(" \t") != std::string::npos)
            comNome = true;
    }
    return comNome;
}

}  // namespace zolvek::db
