#pragma once

#include <string>
#include <vector>

#include "analysis/mudancas_da_analise.hpp"
#include "comum/comando.hpp"

// The change report of a simulation, as text lines for a reader: a summary, then table
// by table what would be created, added, altered (type and size from and to, flagged
// when it can fail or lose data, with the rows that would not convert), rebuilt,
// seeded and granted, and the errors the run would raise.
namespace zolvek::analysis {

struct ConteudoDoRelatorio {
    std::string titulo;  // the first line
    std::vector<MudancasDaTabela> tabelas;
    std::vector<LinhaDeErro> erros;
    std::vector<std::string> retidos;  // statements not sent, with the reason
    std::string desfecho;              // what the run would register
};

std::vector<std::string> TextoDasMudancas(const ConteudoDoRelatorio& conteudo);

// One line about a column change ("Coluna Valor: DECIMAL(10,2) -> DECIMAL(12,2)"...).
std::string TextoDaColuna(const ColunaMudada& c);

}  // namespace zolvek::analysis
