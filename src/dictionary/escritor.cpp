#include "dictionary/escritor.hpp"

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "dictionary/arquivo.hpp"
#include "dictionary/lista_de_itens.hpp"

namespace zolvek::dicionario {

namespace {

std::string Numero(std::int32_t n) {
    return std::to_string(n);
}

std::string LinhaDoCampo(const CampoDic& c) {
    return FormatarItens({c.Nome, c.Tipo ? std::string(1, c.Tipo) : std::string(),
                          Numero(c.Tamanho), Numero(c.Decimais), c.SistemasExcluidos, c.Titulo,
                          c.ValoresValidos, c.Texto7, c.TabelaReferenciada, c.CampoReferenciado,
                          c.FiltroDaReferencia, c.Obrigatorio ? "S" : "N", c.Validacao,
                          c.ValorPadrao, c.Sistemas, c.Texto15});
}

}  // namespace

std::string LinhaDeContagens(const std::vector<std::string>& corpo) {
    std::size_t tabelas = 0, campos = 0, indices = 0;
    std::size_t* contando = nullptr;  // what the lines of the current part are
    for (const std::string& linha : corpo) {
        if (linha == "Script") break;
        if (linha == "Tabela") {
            contando = &tabelas;
        } else if (contando && linha == "Campos") {
            contando = &campos;
        } else if (contando && linha == "Indices") {
            contando = &indices;
        } else if (contando) {
            ++*contando;
        }
    }
    return std::to_string(tabelas) + "," + std::to_string(campos) + "," + std::to_string(indices);
}

std::vector<std::string> LinhasDoDicionario(const ConteudoDoDicionario& conteudo) {
    std::size_t campos = 0, indices = 0;
    for (const auto& t : conteudo.tabelas) {
        campos += t.Campos.size();
        indices += t.Indices.size();
    }
    std::vector<std::string> linhas;
    linhas.reserve(4 + conteudo.tabelas.size() * 3 + campos + indices);
    linhas.emplace_back("Dicionário versão 5");
    linhas.push_back(Numero(conteudo.revisao));
    linhas.push_back(conteudo.comentario);
    linhas.push_back(std::to_string(conteudo.tabelas.size()) + "," + std::to_string(campos) + "," +
                     std::to_string(indices));
    for (const auto& t : conteudo.tabelas) {
        linhas.emplace_back("Tabela");
        linhas.push_back(FormatarItens({t.Nome, t.Descricao, t.Classe, t.Sistemas}));
        linhas.emplace_back("Campos");
        for (const auto& c : t.Campos) linhas.push_back(LinhaDoCampo(c));
        if (t.Indices.empty()) continue;
        linhas.emplace_back("Indices");
        for (const auto& i : t.Indices)
            linhas.push_back(
                FormatarItens({i.Nome, i.Colunas, i.Unico ? "S" : "N", i.Primario ? "S" : "N"}));
    }
    for (const auto& bloco : conteudo.scripts) {
        linhas.emplace_back(bloco.tipo == TipoDeServidor::PostgreSql ? "plpgsql" : "Script");
        linhas.push_back(bloco.descricao);
        linhas.push_back(bloco.sistemas);
        linhas.insert(linhas.end(), bloco.corpo.begin(), bloco.corpo.end());
    }
    return linhas;
}

std::string CodificarLinhas(const std::vector<std::string>& linhas) {
    return CodificarConteudo(ConteudoDasLinhas(linhas));
}

std::string CodificarTexto(std::string_view textoUtf8) {
    const auto pedacos = DividirLinhas(textoUtf8);
    std::vector<std::string> linhas(pedacos.begin(), pedacos.end());
    std::string conteudo = ConteudoDasLinhas(linhas);
    const bool terminaComQuebra =
        !textoUtf8.empty() && (textoUtf8.back() == '\n' || textoUtf8.back() == '\r');
    if (!terminaComQuebra && conteudo.size() >= 2) conteudo.resize(conteudo.size() - 2);
    return CodificarConteudo(conteudo);
}

std::string DecodificarParaTexto(std::string_view bytes, const std::string& caminho) {
    return texto::DeWindows1252(ConteudoDoArquivo(std::string(bytes), caminho));
}

void GravarDicionario(const std::filesystem::path& caminho, const ConteudoDoDicionario& conteudo) {
    GravarArquivoDoDicionario(caminho, CodificarLinhas(LinhasDoDicionario(conteudo)));
}

}  // namespace zolvek::dicionario
