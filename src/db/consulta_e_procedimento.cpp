#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::db {

namespace {

// A parameter typed as text or integer sends its value in that type.
Valor ValorParaEnviar(const Parametro& p) {
    const Valor& v = p.ValorAtual();
    if (EhNulo(v)) return v;
    if (p.Tipo() == TipoDeParametro::Texto && !std::holds_alternative<std::string>(v))
        return ValorComoTexto(v);
    if (p.Tipo() == TipoDeParametro::Inteiro && !std::holds_alternative<std::int64_t>(v))
        return ValorComoInteiro(v);
    return v;
}

}  // namespace

Consulta::Consulta(Conexao* conexao) : ConjuntoDeDados(conexao) {}

void Consulta::DefinirSQL(const std::string& texto) {
    Fechar();
    linhas_ = DividirEmLinhas(texto);
    AtualizarParametros();
}

void Consulta::LimparSQL() {
    Fechar();
    linhas_.clear();
    AtualizarParametros();
}

void Consulta::AdicionarLinha(const std::string& linha) {
    Fechar();
    linhas_.push_back(linha);
    AtualizarParametros();
}

std::string Consulta::TextoSQL() const {
    return texto::Juntar(linhas_, "\r\n");
}

void Consulta::AtualizarParametros() {
    std::vector<Parametro> novos;
    for (const auto& nome : NomesDeParametros(TextoSQL())) {
        Parametro p(nome);
        if (const Parametro* antigo = AcharParametro(nome)) {
            p.DefinirTipo(antigo->Tipo());
            p.DefinirValor(antigo->ValorAtual());
        }
        novos.push_back(std::move(p));
    }
    parametros_ = std::move(novos);
}

std::vector<Resultado> Consulta::RodarComando() {
    const std::string texto = TextoSQL();
    if (texto::Aparar(texto).empty())
        throw ErroDeEntrada(Prefixo() + "Não há comando SQL para executar");
    Conector& conector = ConectorAberto();
    const SqlPosicional posicional = TraduzirParametros(texto);
    std::vector<Valor> valores;
    valores.reserve(posicional.nomes.size());
    for (const auto& nome : posicional.nomes)
        valores.push_back(ValorParaEnviar(ParametroPorNome(nome)));
    return conector.Executar(posicional.sql, valores, timeout_);
}

std::string Consulta::TabelaParaGravar() const {
    std::string tabela = TabelaDasColunas();
    if (!tabela.empty()) return EntreColchetes(tabela);
    tabela = TabelaUnicaDoSelect(TextoSQL());
    if (tabela.empty())
        throw ErroDeEntrada(
            Prefixo() +
            "Não foi possível identificar a tabela única do comando para gravar a linha");
    return tabela;
}

// --- Procedimento --------------------------------------------------------------------

Procedimento::Procedimento(Conexao* conexao) : ConjuntoDeDados(conexao) {}

Parametro& Procedimento::CriarParametro(const std::string& nome, TipoDeParametro tipo) {
    Parametro* p = AcharParametro(nome);
    if (!p) {
        parametros_.emplace_back(nome);
        p = &parametros_.back();
    }
    p->DefinirTipo(tipo);
    return *p;
}

std::vector<Resultado> Procedimento::RodarComando() {
    if (texto::Aparar(nome_).empty())
        throw ErroDeEntrada(Prefixo() + "O nome do procedimento não foi informado");
    Conector& conector = ConectorAberto();
    std::vector<std::pair<std::string, Valor>> valores;
    for (const auto& p : parametros_) valores.emplace_back(p.Nome(), ValorParaEnviar(p));
    return conector.ExecutarProcedimento(nome_, valores, timeout_);
}

std::string Procedimento::TabelaParaGravar() const {
    const std::string tabela = TabelaDasColunas();
    if (tabela.empty())
        throw ErroDeEntrada(Prefixo() + "O resultado do procedimento " + nome_ +
                            " não pode ser gravado: a tabela de origem é desconhecida");
    return EntreColchetes(tabela);
}

}  // namespace zolvek::db
