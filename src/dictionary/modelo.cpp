#include <utility>

#include "comum/texto.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/lista_de_itens.hpp"

namespace zolvek::dicionario {

std::vector<std::string> CampoDic::ListaDeValoresValidos() const {
    if (ValoresValidos.empty() || ValoresValidos[0] == '*') return {};
    if (ValoresValidos.find(',') == std::string::npos) return {ValoresValidos};
    return DividirItens(ValoresValidos);
}

CategoriaDeDados CampoDic::Categoria() const {
    switch (Tipo) {
        case 'B':
            return CategoriaDeDados::Blob;
        case 'C':
        case 'c':
        case 'L':
            return CategoriaDeDados::Texto;
        case 'D':
        case 'H':
            return CategoriaDeDados::DataHora;
        case 'F':
            return CategoriaDeDados::Flutuante;
        case 'N':
            return (Decimais != 0 || Tamanho > 9) ? CategoriaDeDados::Flutuante
                                                  : CategoriaDeDados::Inteiro;
        case 'I':
            return CategoriaDeDados::Moeda;
        case 'M':
            return CategoriaDeDados::Memo;
        case 'R':
            return CategoriaDeDados::Bytes;
        case 'S':
            return CategoriaDeDados::Inteiro;
        default:
            return CategoriaDeDados::Nenhuma;
    }
}

std::filesystem::path CaminhoDoDicionario(const std::filesystem::path& pastaDoPrograma) {
    if (pastaDoPrograma.empty()) return kNomeDoArquivo;
    return pastaDoPrograma / kNomeDoArquivo;
}

const TabelaDic* DicionarioDeDados::ObterTabelaDic(std::string_view nome) const {
    if (nome.substr(0, 4) == "dbo.") nome.remove_prefix(4);
    for (const auto& tabela : tabelas_)
        if (texto::IguaisSemCaixa(tabela.Nome, nome)) return &tabela;
    return nullptr;
}

TabelaDic* DicionarioDeDados::ObterTabelaDic(std::string_view nome) {
    return const_cast<TabelaDic*>(std::as_const(*this).ObterTabelaDic(nome));
}

bool DicionarioDeDados::ExisteCampoNoDicionario(std::string_view tabela,
                                                std::string_view campo) const {
    for (const auto& t : tabelas_)
        if (texto::IguaisSemCaixa(t.Nome, tabela) && ObterCampoDic(t, campo)) return true;
    return false;
}

void DicionarioDeDados::Limpar() {
    revisao_ = -1;
    declaradas_ = {};
    tabelas_.clear();
}

const CampoDic* ObterCampoDic(const TabelaDic& tabela, std::string_view nome) {
    for (const auto& campo : tabela.Campos)
        if (texto::IguaisSemCaixa(campo.Nome, nome)) return &campo;
    return nullptr;
}

CampoDic* ObterCampoDic(TabelaDic& tabela, std::string_view nome) {
    return const_cast<CampoDic*>(ObterCampoDic(std::as_const(tabela), nome));
}

DicionarioDeDados& DicionarioDoPrograma() {
    static DicionarioDeDados dicionario;
    return dicionario;
}

}  // namespace zolvek::dicionario
