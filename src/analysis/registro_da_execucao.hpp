#pragma once

#include <optional>
#include <string>

#include "admin/status_do_banco.hpp"
#include "analysis/analisar.hpp"
#include "analysis/contexto_da_analise.hpp"
#include "db/conector/valor.hpp"

// The end of a run: its classification and its registration in RegMov and StatusBD.
namespace zolvek::analysis {

// Reopens the company parameters; the run does not depend on them being readable.
void ReabrirParametrosSemErro(db::TModuloDados& modulo);

// A run that finds the previous one unfinished says so and processes every table.
void AvisarReparo(ContextoDaAnalise& contexto, const std::optional<admin::AnaliseSemFim>& anterior);

// Builds Complemento from the dictionary revision and the outcome. A run without
// errors that met the minimum standard (structure, indexes, relationships, checks,
// defaults and procedures all created) writes the revision into the database and
// returns it to multi-user mode first, unless `gravarRevisao` is false (a simulation).
ResultadoDaAnalise ClassificarExecucao(ContextoDaAnalise& contexto, bool gravarRevisao = true);

// The RegMov row and the end record of StatusBD. A failure adds its error row
// ("REGMOV" or "StatusBD") and ends the registration.
void RegistrarExecucao(ContextoDaAnalise& contexto, const db::DataHora& inicio,
                       const std::string& complemento);

}  // namespace zolvek::analysis
