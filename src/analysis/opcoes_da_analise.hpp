#pragma once

#include <string>
#include <vector>

namespace zolvek::analysis {

// The options of one run of "Analisar", as the options dialog leaves them. Each member
// is named after its check box (without "cbx") and starts in the dialog's initial state.
struct OpcoesDaAnalise {
    bool ConfirmarAlteracao = false;
    bool VerificarEstrutura = true;
    bool RemoverIndices = true;
    bool GerarIndices = true;
    bool RemoverChecks = true;
    bool CriarChecks = true;
    bool RemoverDefault = true;
    bool CriarDefault = true;
    bool RemoverRelacionamentos = true;
    bool CriarRelacionamentos = true;
    bool CriarProcedimentos = true;
    bool RemoverProcedimentos = true;
    bool NaoBloquear = false;
    bool VerificarIntegridade = false;
    std::string GrupoParaAcesso = "PUBLIC";

    // Creating an object always drops it first: a ticked creation box ticks (and the
    // dialog disables) its removal box.
    void AplicarAcoplamento();
};

// The run's parameter text for the status row: one "name=Sim|Não" line per check box
// and "edtGrupoParaAcesso=text", in the dialog's component order.
std::vector<std::string> ListaDeOpcoes(const OpcoesDaAnalise& opcoes);

// Finds the member by its check box name without "cbx" ("GerarIndices"); nullptr when
// there is none. Used by the command line's --sem OPCAO.
bool* OpcaoPeloNome(OpcoesDaAnalise& opcoes, const std::string& nome);

}  // namespace zolvek::analysis
