#include "analysis/nomes_da_analise.hpp"

#include "analysis/restricoes.hpp"
#include "db/texto_sql.hpp"
#include "versioning/comandos_das_triggers.hpp"
#include "versioning/modelo_de_versionamento.hpp"

namespace zolvek::analysis {

namespace {

using db::VerificarTamanhoDoNome;
using versionamento::ClasseDeVersionamento;

// A referenced column as the dictionary writes it, without the "..." that chain the
// columns of a composite key.
std::string SemReticencias(std::string nome) {
    for (auto p = nome.find("..."); p != std::string::npos; p = nome.find("...")) nome.erase(p, 3);
    return nome;
}

void VerificarCampos(const dicionario::TabelaDic& t) {
    for (const dicionario::CampoDic& f : t.Campos) {
        VerificarTamanhoDoNome(f.Nome);
        for (const char* prefixo : {"Deflt_", "Check_", "Rlcto_"})
            VerificarTamanhoDoNome(prefixo + t.Nome + "_" + f.Nome);
        if (!f.TabelaReferenciada.empty()) VerificarTamanhoDoNome(f.TabelaReferenciada);
        if (!f.CampoReferenciado.empty())
            VerificarTamanhoDoNome(SemReticencias(f.CampoReferenciado));
    }
}

void VerificarVersionamento(const dicionario::DicionarioDeDados& dicionario) {
    for (const auto classe : {ClasseDeVersionamento::F, ClasseDeVersionamento::P}) {
        const std::string h = versionamento::TabelaDeHistorico(classe);
        for (const dicionario::TabelaDic* t :
             versionamento::TabelasVersionadas(dicionario, classe)) {
            VerificarTamanhoDoNome(versionamento::NomeDaTrigger(t->Nome, h, "Ins"));
            VerificarTamanhoDoNome(versionamento::NomeDoProcedimentoDeConstrucao(t->Nome, h));
        }
    }
}

}  // namespace

void VerificarNomesDoDicionario(const dicionario::DicionarioDeDados& dicionario) {
    for (const dicionario::TabelaDic& t : dicionario.Tabelas()) {
        VerificarTamanhoDoNome(t.Nome);
        VerificarTamanhoDoNome("Chvpr_" + t.Nome);
        // The old record-versioning triggers are dropped for every table.
        VerificarTamanhoDoNome(versionamento::NomeDaTrigger(t.Nome, "RegMov", "Ins"));
        VerificarCampos(t);
        for (const dicionario::IndiceDic& i : t.Indices) {
            VerificarTamanhoDoNome(i.Nome);
            ColunasEntreColchetes(i.Colunas);
        }
    }
    VerificarVersionamento(dicionario);
}

}  // namespace zolvek::analysis
