#include "analysis/opcoes_da_analise.hpp"

#include <utility>

#include "comum/texto.hpp"

namespace zolvek::analysis {

namespace {

using Membro = bool OpcoesDaAnalise::*;

// The check boxes in the dialog's component order; the group edit box stands after
// "CriarProcedimentos"/"RemoverProcedimentos".
const std::pair<const char*, Membro> kAntesDoGrupo[] = {
    {"GerarIndices", &OpcoesDaAnalise::GerarIndices},
    {"ConfirmarAlteracao", &OpcoesDaAnalise::ConfirmarAlteracao},
    {"RemoverRelacionamentos", &OpcoesDaAnalise::RemoverRelacionamentos},
    {"CriarRelacionamentos", &OpcoesDaAnalise::CriarRelacionamentos},
    {"RemoverChecks", &OpcoesDaAnalise::RemoverChecks},
    {"CriarChecks", &OpcoesDaAnalise::CriarChecks},
    {"RemoverDefault", &OpcoesDaAnalise::RemoverDefault},
    {"CriarDefault", &OpcoesDaAnalise::CriarDefault},
    {"CriarProcedimentos", &OpcoesDaAnalise::CriarProcedimentos},
    {"RemoverProcedimentos", &OpcoesDaAnalise::RemoverProcedimentos},
};
const std::pair<const char*, Membro> kDepoisDoGrupo[] = {
    {"VerificarEstrutura", &OpcoesDaAnalise::VerificarEstrutura},
    {"RemoverIndices", &OpcoesDaAnalise::RemoverIndices},
    {"NaoBloquear", &OpcoesDaAnalise::NaoBloquear},
    {"VerificarIntegridade", &OpcoesDaAnalise::VerificarIntegridade},
};

std::string LinhaDaCaixa(const char* nome, bool marcada) {
    return std::string("cbx") + nome + "=" + (marcada ? "Sim" : "Não");
}

}  // namespace

void OpcoesDaAnalise::AplicarAcoplamento() {
    if (GerarIndices) RemoverIndices = true;
    if (CriarRelacionamentos) RemoverRelacionamentos = true;
    if (CriarChecks) RemoverChecks = true;
    if (CriarDefault) RemoverDefault = true;
}

std::vector<std::string> ListaDeOpcoes(const OpcoesDaAnalise& opcoes) {
    std::vector<std::string> linhas;
    for (const auto& [nome, membro] : kAntesDoGrupo)
        linhas.push_back(LinhaDaCaixa(nome, opcoes.*membro));
    linhas.push_back("edtGrupoParaAcesso=" + opcoes.GrupoParaAcesso);
    for (const auto& [nome, membro] : kDepoisDoGrupo)
        linhas.push_back(LinhaDaCaixa(nome, opcoes.*membro));
    return linhas;
}

bool* OpcaoPeloNome(OpcoesDaAnalise& opcoes, const std::string& nome) {
    for (const auto& [n, membro] : kAntesDoGrupo)
        if (texto::IguaisSemCaixa(n, nome)) return &(opcoes.*membro);
    for (const auto& [n, membro] : kDepoisDoGrupo)
        if (texto::IguaisSemCaixa(n, nome)) return &(opcoes.*membro);
    return nullptr;
}

}  // namespace zolvek::analysis
