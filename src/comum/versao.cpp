#include "comum/versao.hpp"

#include "comum/versao_gerada.hpp"

namespace zolvek::versao {

const std::string& NomeDoProduto() {
    static const std::string nome = "Zolvek";
    return nome;
}

const std::string& NomeInterno() {
    static const std::string nome = "ZWK";
    return nome;
}

const std::string& VersaoDoArquivo() {
    static const std::string versao = ZOLVEK_VERSAO_DO_ARQUIVO;
    return versao;
}

std::string CortarVersao(const std::string& versaoDoArquivo) {
    return versaoDoArquivo.size() >= 2 ? versaoDoArquivo.substr(0, versaoDoArquivo.size() - 2)
                                       : std::string();
}

const std::string& VersaoDoPrograma() {
    static const std::string versao = CortarVersao(VersaoDoArquivo());
    return versao;
}

int NumeroDaRevisao() {
    return ZOLVEK_NUMERO_DA_REVISAO;
}

const std::string& IdDaRevisao() {
    static const std::string id = ZOLVEK_ID_DA_REVISAO;
    return id;
}

const std::string& DataDaRevisao() {
    static const std::string data = ZOLVEK_DATA_DA_REVISAO;
    return data;
}

}  // namespace zolvek::versao
