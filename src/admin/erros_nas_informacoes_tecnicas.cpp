#include "admin/erros_nas_informacoes_tecnicas.hpp"

#include "admin/informacoes_tecnicas.hpp"
#include "comum/log.hpp"

namespace zolvek::admin {

namespace {

std::string Juntar(const std::vector<std::string>& partes) {
    std::string texto;
    for (std::size_t i = 0; i < partes.size(); ++i) texto += (i ? "," : "") + partes[i];
    return texto;
}

// Characters, not bytes: the line is written in Windows-1252, one byte per letter.
std::size_t CaracteresUtf8(const std::string& texto) {
    std::size_t n = 0;
    for (unsigned char c : texto)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

std::vector<std::string> TitulosDaListaDeErros() {
    return {"Tabela", "Campo", "Função", "Descrição", "Comando"};
}

std::vector<std::string> BlocoDosErros(const std::vector<std::string>& titulos,
                                       const std::vector<std::vector<std::string>>& linhas) {
    const std::string cabecalho = Juntar(titulos);
    const std::string traco(CaracteresUtf8(cabecalho), '-');
    std::vector<std::string> bloco;
    for (std::size_t i = 0; i < linhas.size(); ++i) {
        bloco.emplace_back();
        bloco.push_back("<<< Erro " + std::to_string(i + 1) + " >>>");
        bloco.push_back(cabecalho);
        bloco.push_back(traco);
        bloco.push_back(Juntar(linhas[i]));
    }
    return bloco;
}

std::vector<std::string> BlocoDosErros(const std::vector<LinhaDeErro>& linhas) {
    std::vector<std::vector<std::string>> textos;
    for (const auto& l : linhas)
        textos.push_back({l.tabela, l.campo, l.funcao, l.descricao, l.comando});
    return BlocoDosErros(TitulosDaListaDeErros(), textos);
}

void RegistrarErrosNoLog(db::TModuloDados* modulo, const std::string& janela,
                         const std::vector<std::string>& bloco) {
    log::IniciarLog();
    if (!log::LogHabilitado()) return;
    if (!bloco.empty()) {
        // The block starts with an empty line, so the entry's message goes below its
        // header line.
        std::string mensagem;
        for (std::size_t i = 0; i < bloco.size(); ++i) mensagem += (i ? "\r\n" : "") + bloco[i];
        log::RegistrarNoLog("FEvolucao", 0, "T" + janela + "::Finalizar", mensagem);
    }
    if (modulo) GravarInformacoesTecnicas(*modulo, false, janela, nullptr);
}

}  // namespace zolvek::admin
