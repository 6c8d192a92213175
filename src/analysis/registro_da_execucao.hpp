#pragma once

#include <string>

#include "analysis/analisar.hpp"
#include "analysis/contexto_da_analise.hpp"
#include "db/conector/valor.hpp"

// The end of a run: its classification and its registration in RegMov and StatusBD.
namespace zolvek::analysis {

// Builds Complemento from the dictionary revision and the outcome. A run without
// errors that met the minimum standard (structure, indexes, relationships, checks,
// defaults and procedures all created) writes the revision into the database and
// returns it to multi-user mode first.
ResultadoDaAnalise ClassificarExecucao(ContextoDaAnalise& contexto);

// The RegMov row and the end record of StatusBD. A failure adds its error row
// ("REGMOV" or "StatusBD") and ends the registration.
void RegistrarExecucao(ContextoDaAnalise& contexto, const db::DataHora& inicio,
                       const std::string& complemento);

}  // namespace zolvek::analysis
