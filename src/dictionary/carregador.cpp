#include <charconv>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "dictionary/arquivo.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/lista_de_itens.hpp"

namespace zolvek::dicionario {

namespace {

constexpr std::string_view kMarcaDeVersao = "Dicionário versão 5";

// Minimum items of each kind of line.
constexpr std::size_t kItensDaTabela = 4;
constexpr std::size_t kItensDoCampo = 16;
constexpr std::size_t kItensDoIndice = 4;

bool LerInteiro(std::string_view texto, std::int32_t& valor) {
    if (!texto.empty() && texto[0] == '+') {
        texto.remove_prefix(1);
        if (!texto.empty() && texto[0] == '-') return false;
    }
    if (texto.empty()) return false;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    return erro == std::errc() && fim == texto.data() + texto.size();
}

std::int32_t ConverterInteiro(const std::string& texto) {
    std::int32_t valor;
    if (!LerInteiro(texto, valor))
        throw ErroDeEntrada("'" + texto + "' não é um valor inteiro válido");
    return valor;
}

// Empty or not a number reads as 0.
std::int32_t InteiroOuZero(const std::string& texto) {
    std::int32_t valor;
    return LerInteiro(texto, valor) ? valor : 0;
}

class Leitor {
  public:
    explicit Leitor(const std::string& caminho) : caminho_(caminho) {}

    [[noreturn]] void Invalido(const std::string& motivo) const {
        throw ErroDeEntrada("Arquivo '" + caminho_ +
                            "' com o dicionário de dados é inválido: " + motivo);
    }

    // Splits line `numero` (counted from 1) and checks it has the items its layout reads.
    std::vector<std::string>& Itens(std::string_view linha, std::size_t numero,
                                    std::size_t minimo) {
        DividirItens(linha, itens_);
        if (itens_.size() < minimo)
            Invalido("a linha " + std::to_string(numero) + " tem " + std::to_string(itens_.size()) +
                     " item(ns), são necessários " + std::to_string(minimo));
        return itens_;
    }

  private:
    const std::string& caminho_;
    std::vector<std::string> itens_;
};

TabelaDic LerTabela(std::vector<std::string>& itens) {
    TabelaDic tabela;
    tabela.Nome = std::move(itens[0]);
    tabela.Descricao = std::move(itens[1]);
    tabela.Classe = std::move(itens[2]);
    tabela.Restrita = tabela.Classe == "S" || tabela.Classe == "P";
    tabela.Sistemas = std::move(itens[3]);
    return tabela;
}

CampoDic LerCampo(std::vector<std::string>& itens) {
    CampoDic campo;
    campo.Nome = std::move(itens[0]);
    campo.Tipo = itens[1].empty() ? '\0' : itens[1][0];
    campo.Tamanho = InteiroOuZero(itens[2]);
    campo.Decimais = InteiroOuZero(itens[3]);
    campo.SistemasExcluidos = std::move(itens[4]);
    campo.Titulo = std::move(itens[5]);
    campo.ValoresValidos = std::move(itens[6]);
    campo.Texto7 = std::move(itens[7]);
    campo.TabelaReferenciada = std::move(itens[8]);
    campo.CampoReferenciado = std::move(itens[9]);
    campo.FiltroDaReferencia = std::move(itens[10]);
    campo.Obrigatorio = itens[11] == "S";
    campo.Validacao = std::move(itens[12]);
    campo.ValorPadrao = std::move(itens[13]);
    campo.Sistemas = std::move(itens[14]);
    campo.Texto15 = std::move(itens[15]);
    return campo;
}

IndiceDic LerIndice(std::vector<std::string>& itens) {
    IndiceDic indice;
    indice.Nome = std::move(itens[0]);
    indice.Colunas = std::move(itens[1]);
    indice.Unico = itens[2] == "S";
    indice.Primario = itens[3] == "S";
    return indice;
}

}  // namespace

std::string DiferencaDasContagens(const QuantidadesDeclaradas& declaradas,
                                  const std::vector<TabelaDic>& tabelas) {
    std::size_t campos = 0, indices = 0;
    for (const TabelaDic& t : tabelas) {
        campos += t.Campos.size();
        indices += t.Indices.size();
    }
    auto igual = [](std::int32_t declarado, std::size_t lido) {
        return declarado >= 0 && static_cast<std::size_t>(declarado) == lido;
    };
    if (igual(declaradas.tabelas, tabelas.size()) && igual(declaradas.campos, campos) &&
        igual(declaradas.indices, indices))
        return "";
    return "a linha 4 declara " + std::to_string(declaradas.tabelas) + " tabela(s), " +
           std::to_string(declaradas.campos) + " campo(s) e " + std::to_string(declaradas.indices) +
           " índice(s), mas o arquivo tem " + std::to_string(tabelas.size()) + " tabela(s), " +
           std::to_string(campos) + " campo(s) e " + std::to_string(indices) + " índice(s)";
}

void DicionarioDeDados::CarregarDicionario(const std::filesystem::path& caminho,
                                           TipoDeServidor tipoDeServidor,
                                           std::vector<std::string>* LinhasDeScript,
                                           std::vector<std::string>* TabelasDeParametro,
                                           ContagensDaLinha4 contagens) {
    tabelas_.clear();
    const std::string bytes = LerArquivoDoDicionario(caminho);
    CarregarDeBytes(bytes, caminho.string(), tipoDeServidor, LinhasDeScript, TabelasDeParametro,
                    contagens);
}

void DicionarioDeDados::CarregarDeBytes(std::string_view bytes, const std::string& caminho,
                                        TipoDeServidor tipoDeServidor,
                                        std::vector<std::string>* LinhasDeScript,
                                        std::vector<std::string>* TabelasDeParametro,
                                        ContagensDaLinha4 contagens) {
    // Whatever happens below, the previous tables are gone.
    tabelas_.clear();

    const std::string conteudo =
        texto::DeWindows1252(ConteudoDoArquivo(std::string(bytes), caminho));
    const std::vector<std::string_view> linhas = DividirLinhas(conteudo);
    Leitor leitor(caminho);

    if (linhas.empty() || linhas[0] != kMarcaDeVersao)
        throw ErroDeEntrada("Arquivo '" + caminho +
                            "' com o dicionário de dados é inválido, versão deve ser 5");
    if (linhas.size() < 2) leitor.Invalido("falta a linha 2");
    revisao_ = ConverterInteiro(leitor.Itens(linhas[1], 2, 1)[0]);
    if (linhas.size() < 4) leitor.Invalido("falta a linha " + std::to_string(linhas.size() + 1));
    {
        const auto& itens = leitor.Itens(linhas[3], 4, 3);
        QuantidadesDeclaradas declaradas;
        declaradas.tabelas = ConverterInteiro(itens[0]);
        declaradas.campos = ConverterInteiro(itens[1]);
        declaradas.indices = ConverterInteiro(itens[2]);
        declaradas_ = declaradas;
    }

    // Structure section. The storage grows with the content; the declared counts
    // are never trusted for sizing.
    enum class Estado { SemTabela, LinhaDaTabela, Campos, Indices };
    Estado estado = Estado::SemTabela;
    bool temLinhaDaTabela = false;
    std::vector<TabelaDic> tabelas;
    std::size_t i = 4;
    for (; i < linhas.size(); ++i) {
        const std::string_view linha = linhas[i];
        const std::size_t numero = i + 1;
        if (linha == "Script") break;
        if (linha == "Tabela") {
            estado = Estado::LinhaDaTabela;
            temLinhaDaTabela = false;
            continue;
        }
        if (estado != Estado::SemTabela && (linha == "Campos" || linha == "Indices")) {
            if (!temLinhaDaTabela)
                leitor.Invalido("a linha " + std::to_string(numero) + " (\"" + std::string(linha) +
                                "\") não pertence a nenhuma tabela");
            estado = linha == "Campos" ? Estado::Campos : Estado::Indices;
            continue;
        }
        switch (estado) {
            case Estado::SemTabela:
                break;
            case Estado::LinhaDaTabela:
                tabelas.push_back(LerTabela(leitor.Itens(linha, numero, kItensDaTabela)));
                temLinhaDaTabela = true;
                break;
            case Estado::Campos:
                tabelas.back().Campos.push_back(
                    LerCampo(leitor.Itens(linha, numero, kItensDoCampo)));
                break;
            case Estado::Indices:
                tabelas.back().Indices.push_back(
                    LerIndice(leitor.Itens(linha, numero, kItensDoIndice)));
                break;
        }
    }

    // A file cut short (or edited by hand) would leave tables, fields or indexes out of
    // the analysis without a word.
    if (contagens == ContagensDaLinha4::Exigir)
        if (const std::string diferenca = DiferencaDasContagens(declaradas_, tabelas);
            !diferenca.empty())
            leitor.Invalido(diferenca + " (arquivo cortado ou alterado)");

    // Script section: blocks of the connection's kind are taken, the others skipped.
    std::vector<std::string> linhasDeScript;
    if (LinhasDeScript) {
        bool pegando = false;
        for (; i < linhas.size(); ++i) {
            const std::string_view linha = linhas[i];
            const bool blocoSqlServer = linha == "Script";
            if (blocoSqlServer || linha == "plpgsql") {
                pegando = tipoDeServidor ==
                          (blocoSqlServer ? TipoDeServidor::SqlServer : TipoDeServidor::PostgreSql);
                if (pegando) i += 2;  // the uninterpreted line and the systems line
                continue;
            }
            if (pegando) linhasDeScript.emplace_back(linha);
        }
    }

    tabelas_ = std::move(tabelas);
    if (LinhasDeScript)
        LinhasDeScript->insert(LinhasDeScript->end(),
                               std::make_move_iterator(linhasDeScript.begin()),
                               std::make_move_iterator(linhasDeScript.end()));
    if (TabelasDeParametro)
        for (const auto& tabela : tabelas_)
            if (tabela.Classe == "P") TabelasDeParametro->push_back(tabela.Nome);
}

}  // namespace zolvek::dicionario
