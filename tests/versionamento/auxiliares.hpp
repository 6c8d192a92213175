#pragma once

#include <string>
#include <vector>

#include "dictionary/dicionario.hpp"

namespace zolvek::teste {

inline dicionario::CampoDic Campo(const std::string& nome, char tipo, int tamanho = 0,
                                  bool obrigatorio = false) {
    dicionario::CampoDic c;
    c.Nome = nome;
    c.Tipo = tipo;
    c.Tamanho = tamanho;
    c.Obrigatorio = obrigatorio;
    return c;
}

inline dicionario::TabelaDic Tabela(const std::string& nome,
                                    std::vector<dicionario::CampoDic> campos) {
    dicionario::TabelaDic t;
    t.Nome = nome;
    t.Descricao = nome;
    t.Campos = std::move(campos);
    return t;
}

// The lines of a text written with "\n" in the test, without the first line break.
inline std::vector<std::string> Linhas(const std::string& texto) {
    std::vector<std::string> linhas;
    std::string atual;
    for (std::size_t i = (!texto.empty() && texto[0] == '\n') ? 1 : 0; i < texto.size(); ++i) {
        if (texto[i] == '\n') {
            linhas.push_back(atual);
            atual.clear();
        } else {
            atual += texto[i];
        }
    }
    if (!atual.empty()) linhas.push_back(atual);
    return linhas;
}

}  // namespace zolvek::teste
