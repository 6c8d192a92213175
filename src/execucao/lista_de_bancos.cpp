#include "execucao/lista_de_bancos.hpp"

#include "comum/arquivo_inteiro.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conector/entradas_da_conexao.hpp"
#include "db/lotes_sql.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::execucao {

namespace {

std::string ProblemaDaCadeia(const std::string& cadeia) {
    try {
        const auto entradas = db::LerEntradasDaConexao(cadeia);
        if (db::ValorDaEntrada(entradas, "Initial Catalog").empty())
            return "a cadeia de conexão não diz o banco de dados (Initial Catalog)";
    } catch (const Erro& e) {
        return e.what();
    }
    return "";
}

}  // namespace

std::vector<BancoDaLista> LerLinhasDaLista(const std::string& texto) {
    std::vector<BancoDaLista> bancos;
    int numero = 0;
    for (const std::string& linha : db::DividirEmLinhas(texto)) {
        ++numero;
        const std::string cadeia = texto::Aparar(linha);
        if (cadeia.empty() || cadeia[0] == '#') continue;
        bancos.push_back({numero, cadeia, ProblemaDaCadeia(cadeia)});
    }
    return bancos;
}

std::vector<BancoDaLista> LerListaDeBancos(const std::filesystem::path& arquivo) {
    return LerLinhasDaLista(db::TextoDoScript(LerArquivoInteiro(
        arquivo, "Não foi possível ler a lista de bancos '" + arquivo.string() + "'")));
}

}  // namespace zolvek::execucao
