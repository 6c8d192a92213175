#include "analysis/grupo_para_acesso.hpp"

#include "comum/texto.hpp"

namespace zolvek::analysis {

namespace {

const char* const kIdentificador = "ConfirmacaoAnalisar";
const std::string kChave = "edtGrupoParaAcesso.Text=";

bool TabelaDeOpcoesExiste(db::TModuloDados& modulo) {
    db::Consulta consulta(&modulo.Banco);
    consulta.DefinirSQL("select * from sysobjects where id = object_id('Opções')");
    consulta.Abrir();
    return !consulta.Vazio();
}

}  // namespace

std::string LerGrupoParaAcesso(db::TModuloDados& modulo) {
    if (!TabelaDeOpcoesExiste(modulo)) return "PUBLIC";
    std::vector<std::string> linhas;
    modulo.LerOpcoes(kIdentificador, linhas);
    for (const std::string& linha : linhas)
        if (linha.rfind(kChave, 0) == 0) {
            const std::string grupo = linha.substr(kChave.size());
            return texto::Aparar(grupo).empty() ? "PUBLIC" : grupo;
        }
    return "PUBLIC";
}

void GravarGrupoParaAcesso(db::TModuloDados& modulo, const std::string& grupo) {
    if (!TabelaDeOpcoesExiste(modulo)) return;
    std::vector<std::string> linhas;
    modulo.LerOpcoes(kIdentificador, linhas);
    bool achada = false;
    for (std::string& linha : linhas)
        if (linha.rfind(kChave, 0) == 0) {
            linha = kChave + grupo;
            achada = true;
        }
    if (!achada) linhas.push_back(kChave + grupo);
    modulo.GravarOpcoes(kIdentificador, linhas);
}

}  // namespace zolvek::analysis
