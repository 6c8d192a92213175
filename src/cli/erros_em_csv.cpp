#include "cli/erros_em_csv.hpp"

#include <fstream>

#include "comum/erros.hpp"

namespace zolvek::cli {

namespace {

std::string CampoCsv(const std::string& valor) {
    std::string saida = "\"";
    for (char c : valor) saida += c == '"' ? std::string("\"\"") : std::string(1, c);
    return saida + "\"";
}

}  // namespace

void GravarErrosEmCsv(const std::string& arquivo, const std::vector<LinhaDeErro>& erros) {
    std::ofstream csv(arquivo, std::ios::binary | std::ios::trunc);
    if (!csv) throw ErroDeEntrada("Não foi possível criar o arquivo " + arquivo);
    csv << "\"Tabela\",\"Campo\",\"Função\",\"Descrição\",\"Comando\"\r\n";
    for (const LinhaDeErro& e : erros)
        csv << CampoCsv(e.tabela) << ',' << CampoCsv(e.campo) << ',' << CampoCsv(e.funcao) << ','
            << CampoCsv(e.descricao) << ',' << CampoCsv(e.comando) << "\r\n";
    if (!csv.flush()) throw ErroDeEntrada("Não foi possível gravar o arquivo " + arquivo);
}

}  // namespace zolvek::cli
