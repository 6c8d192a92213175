#include "db/conector/entradas_da_conexao.hpp"

#include "comum/erros.hpp"
#include "comum/texto.hpp"

namespace zolvek::db {

std::vector<EntradaDaConexao> LerEntradasDaConexao(std::string_view cadeia) {
    if (texto::Aparar(cadeia).empty()) throw ErroDeEntrada("A string de conexão está vazia");
    std::vector<EntradaDaConexao> entradas;
    std::size_t p = 0;
    while (p < cadeia.size()) {
        auto fim = cadeia.find(';', p);
        if (fim == std::string_view::npos) fim = cadeia.size();
        const auto igual = cadeia.find('=', p);
        if (igual == std::string_view::npos || igual > fim) {
            const std::string trecho = texto::Aparar(cadeia.substr(p, fim - p));
            if (!trecho.empty())
                throw ErroDeEntrada("A string de conexão é inválida: o trecho \"" + trecho +
                                    "\" não está na forma chave=valor");
            p = fim + 1;
            continue;
        }
        EntradaDaConexao e;
        e.chave = texto::Aparar(cadeia.substr(p, igual - p));
        if (e.chave.empty())
            throw ErroDeEntrada("A string de conexão é inválida: há um valor sem nome de chave");
        // A value in quotes (OLE DB) or braces (ODBC) may hold ";" and edge blanks; a
        // doubled closing mark stands for itself.
        std::size_t v = igual + 1;
        while (v < cadeia.size() && (cadeia[v] == ' ' || cadeia[v] == '\t')) ++v;
        if (v < cadeia.size() && (cadeia[v] == '"' || cadeia[v] == '\'' || cadeia[v] == '{')) {
            const char aspa = cadeia[v] == '{' ? '}' : cadeia[v];
            std::size_t q = v + 1;
            std::string valor;
            bool fechou = false;
            while (q < cadeia.size()) {
                if (cadeia[q] == aspa) {
                    if (q + 1 < cadeia.size() && cadeia[q + 1] == aspa) {
                        valor += aspa;
                        q += 2;
                        continue;
                    }
                    fechou = true;
                    ++q;
                    break;
                }
                valor += cadeia[q++];
            }
            if (!fechou)
                throw ErroDeEntrada(
                    "A string de conexão é inválida: falta fechar as aspas do valor de \"" +
                    e.chave + "\"");
            while (q < cadeia.size() && cadeia[q] != ';') {
                if (cadeia[q] != ' ' && cadeia[q] != '\t')
                    throw ErroDeEntrada(
                        "A string de conexão é inválida: há texto depois das aspas do valor de \"" +
                        e.chave + "\"");
                ++q;
            }
            e.valor = valor;
            fim = q;
        } else {
            e.valor = texto::Aparar(cadeia.substr(igual + 1, fim - igual - 1));
        }
        entradas.push_back(std::move(e));
        p = fim + 1;
    }
    if (entradas.empty())
        throw ErroDeEntrada("A string de conexão é inválida: não há nenhuma entrada chave=valor");
    return entradas;
}

std::string ValorDaEntrada(const std::vector<EntradaDaConexao>& entradas, std::string_view chave) {
    for (const auto& e : entradas)
        if (texto::IguaisSemCaixa(e.chave, chave)) return e.valor;
    return "";
}

bool TemEntrada(const std::vector<EntradaDaConexao>& entradas, std::string_view chave) {
    for (const auto& e : entradas)
        if (texto::IguaisSemCaixa(e.chave, chave)) return true;
    return false;
}

}  // namespace zolvek::db
