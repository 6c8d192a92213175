#pragma once

#include <string>

#include "analysis/contexto_da_analise.hpp"
#include "dictionary/dicionario.hpp"

// The loops of the analysis over the dictionary's tables, in file order. A
// cancellation leaves the loop and the run goes on with its next phase.
namespace zolvek::analysis {

// « "T" - D»: a table as the progress texts and questions name it.
std::string RotuloDaTabela(const dicionario::TabelaDic& tabela);

void RemoverRelacionamentosDasTabelas(ContextoDaAnalise& contexto);
void AnalisarTabelas(ContextoDaAnalise& contexto);
void CriarRelacionamentosDasTabelas(ContextoDaAnalise& contexto);

}  // namespace zolvek::analysis
