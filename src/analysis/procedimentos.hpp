#pragma once

#include <string>
#include <vector>

#include "analysis/contexto_da_analise.hpp"

// The programmed objects of the analysis: the dictionary's integrity-procedure script,
// the company's own script (PARFN.Script) and the customization library (LibAgr,
// PrgAgr).
namespace zolvek::analysis {

// The ids of the active SQL programs of the library, depth first with folders and
// programs of one folder interleaved by Ordem; empty without the table LibAgr.
std::vector<std::string> ListarProgramasAgregados(ContextoDaAnalise& contexto);

// Removal phase: library objects (and "Pré-analisar" programs), then the drop batches
// of the company script and of the dictionary script.
void RemoverProcedimentos(ContextoDaAnalise& contexto);

// Creation phase: the dictionary script, the company script, then the library
// objects (and "Pós-analisar" programs).
void CriarProcedimentos(ContextoDaAnalise& contexto);

}  // namespace zolvek::analysis
