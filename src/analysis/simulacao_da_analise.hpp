#pragma once

#include <string>

#include "analysis/acompanhamento_da_analise.hpp"
#include "analysis/analisar.hpp"
#include "analysis/contexto_da_analise.hpp"
#include "db/conector/valor.hpp"

// The two ends of a simulated run: its start reads what a run would write, its end
// classifies without registering, rolls back and hands over the script and the report.
namespace zolvek::analysis {

// Steps 6 and 7 without writing: the start time, and whether the previous run never
// registered its end (then every table is processed, as a run would).
db::DataHora PrepararInicioDaSimulacao(ContextoDaAnalise& contexto);

// The classification a run would register, then the rollback; the result carries the
// changes, the script (with its heading) and the change report.
ResultadoDaAnalise ConcluirSimulacao(ContextoDaAnalise& contexto,
                                     AcompanhamentoDaAnalise& acompanhamento);

// The changes a run followed by `acompanhamento` made, into the result.
void AnotarMudancas(ResultadoDaAnalise& resultado, AcompanhamentoDaAnalise& acompanhamento);

// The heading of the script file and the statements after it.
std::string ScriptDaSimulacao(const std::string& nomeDoBanco, int revisao,
                              const std::string& comandos);

}  // namespace zolvek::analysis
