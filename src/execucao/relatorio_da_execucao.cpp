#include "execucao/relatorio_da_execucao.hpp"

#include <time.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "db/conector/entradas_da_conexao.hpp"

namespace zolvek::execucao {

namespace {

using JsonOrdenado = nlohmann::ordered_json;

template <typename T>
JsonOrdenado OuNulo(const std::optional<T>& v) {
    return v ? JsonOrdenado(*v) : JsonOrdenado(nullptr);
}

JsonOrdenado OuNulo(const std::string& s) {
    return s.empty() ? JsonOrdenado(nullptr) : JsonOrdenado(s);
}

JsonOrdenado ErrosEmJson(const std::vector<LinhaDeErro>& erros) {
    JsonOrdenado r = JsonOrdenado::array();
    for (const LinhaDeErro& e : erros)
        r.push_back({{"tabela", e.tabela},
                     {"campo", e.campo},
                     {"funcao", e.funcao},
                     {"descricao", e.descricao},
                     {"comando", e.comando}});
    return r;
}

JsonOrdenado ColunaEmJson(const analysis::ColunaMudada& c) {
    return {{"coluna", c.coluna},
            {"tipoAntes", c.tipoAntes},
            {"tipoDepois", c.tipoDepois},
            {"tipoPedido", c.tipoPedido.empty() ? c.tipoDepois : c.tipoPedido},
            {"nuloAntes", c.nuloAntes},
            {"nuloDepois", c.nuloDepois},
            {"podeFalharOuPerder", c.podePerder},
            {"linhasQueNaoConvertem", OuNulo(c.falham)},
            {"linhasQuePerdemParte", OuNulo(c.perdem)},
            {"linhasComNulo", OuNulo(c.nulos)}};
}

JsonOrdenado ObjetosEmJson(const std::vector<analysis::ObjetoMudado>& objetos) {
    JsonOrdenado r = JsonOrdenado::array();
    for (const analysis::ObjetoMudado& o : objetos) {
        const char* acao = o.existia && o.existe ? "recriado" : o.existe ? "criado" : "removido";
        r.push_back({{"nome", o.nome}, {"especie", o.especie}, {"acao", acao}});
    }
    return r;
}

JsonOrdenado MudancasEmJson(const std::vector<analysis::MudancasDaTabela>& tabelas) {
    JsonOrdenado r = JsonOrdenado::array();
    for (const analysis::MudancasDaTabela& t : tabelas) {
        JsonOrdenado colunas = JsonOrdenado::array();
        for (const analysis::ColunaMudada& c : t.colunas) colunas.push_back(ColunaEmJson(c));
        r.push_back({{"tabela", OuNulo(t.tabela)},
                     {"criada", t.criada},
                     {"colunasNovas", t.colunasNovas},
                     {"colunasAlteradas", colunas},
                     {"objetos", ObjetosEmJson(t.objetos)},
                     {"comandosDeDadosIniciais", t.linhasIniciais},
                     {"colunasPreenchidas", t.preenchidas},
                     {"acessoConcedido", t.permissao},
                     {"outrosComandos", t.outras}});
    }
    return r;
}

JsonOrdenado ExecucaoEmJson(const ExecucaoRelatada& e) {
    JsonOrdenado opcoes = JsonOrdenado::object();
    for (const auto& [nome, valor] : e.opcoes) opcoes[nome] = valor;
    const ContagensDaExecucao& n = e.contagens;
    JsonOrdenado simulacao = nullptr;
    if (e.simulacao) simulacao = {{"script", OuNulo(e.script)}, {"naoEnviados", e.retidos}};
    return {{"banco", e.banco},
            {"servidor", e.servidor},
            {"desfecho", e.desfecho},
            {"classe", NomeDaClasse(e.classe)},
            {"saida", SaidaDaClasse(e.classe)},
            {"inicio", DataHoraIso(e.inicio)},
            {"fim", DataHoraIso(e.fim)},
            {"operador", OuNulo(e.operador)},
            {"revisaoDoDicionario", OuNulo(e.revisaoDoDicionario)},
            {"opcoes", opcoes},
            {"erros", ErrosEmJson(e.erros)},
            {"contagens",
             {{"tabelasCriadas", OuNulo(n.tabelasCriadas)},
              {"tabelasAlteradas", OuNulo(n.tabelasAlteradas)},
              {"objetosRecriados", OuNulo(n.objetosRecriados)},
              {"itens", OuNulo(n.itens)},
              {"linhas", OuNulo(n.linhas)}}},
            {"copiaDeSeguranca", OuNulo(e.copiaDeSeguranca)},
            {"mudancas", MudancasEmJson(e.mudancas)},
            {"simulacao", simulacao}};
}

}  // namespace

std::string NomeDaClasse(ClasseDoDesfecho c) {
    switch (c) {
        case ClasseDoDesfecho::Sucesso:
            return "sucesso";
        case ClasseDoDesfecho::ForaDoPadrao:
            return "fora_do_padrao";
        case ClasseDoDesfecho::ComErros:
            return "com_erros";
        case ClasseDoDesfecho::Cancelada:
            return "cancelada";
        case ClasseDoDesfecho::Interrompida:
            return "interrompida";
        case ClasseDoDesfecho::NaoConfirmada:
            return "nao_confirmada";
        case ClasseDoDesfecho::NaoIniciada:
            return "nao_iniciada";
        case ClasseDoDesfecho::Falhou:
            break;
    }
    return "falhou";
}

int SaidaDaClasse(ClasseDoDesfecho c) {
    switch (c) {
        case ClasseDoDesfecho::Sucesso:
            return 0;
        case ClasseDoDesfecho::Cancelada:
        case ClasseDoDesfecho::Interrompida:
        case ClasseDoDesfecho::NaoIniciada:
            return 3;
        default:
            return 1;
    }
}

std::string DataHoraIso(std::chrono::system_clock::time_point momento) {
    const std::time_t t = std::chrono::system_clock::to_time_t(momento);
    std::tm local{};
    localtime_r(&t, &local);
    char texto[40];
    std::strftime(texto, sizeof texto, "%Y-%m-%dT%H:%M:%S", &local);
    const int minutos = static_cast<int>(std::labs(local.tm_gmtoff) / 60 % (24 * 60));
    char fuso[8];
    std::snprintf(fuso, sizeof fuso, "%c%02d:%02d", local.tm_gmtoff < 0 ? '-' : '+', minutos / 60,
                  minutos % 60);
    return std::string(texto) + fuso;
}

ExecucaoRelatada NovaExecucao(const std::string& cadeia) {
    ExecucaoRelatada e;
    e.inicio = e.fim = std::chrono::system_clock::now();
    try {
        const auto entradas = db::LerEntradasDaConexao(cadeia);
        e.banco = db::ValorDaEntrada(entradas, "Initial Catalog");
        e.servidor = db::ValorDaEntrada(entradas, "Data Source");
    } catch (const Erro&) {
    }
    return e;
}

void AnotarSessao(ExecucaoRelatada& e, db::TModuloDados& modulo, int revisaoDoDicionario) {
    try {
        e.operador = modulo.NomeDoUsuario();
    } catch (const ErroDeBanco&) {
    }
    if (revisaoDoDicionario >= 0) e.revisaoDoDicionario = revisaoDoDicionario;
}

int SaidaDoRelatorio(const RelatorioDaExecucao& r) {
    int pior = 0;
    for (const ExecucaoRelatada& e : r.execucoes) pior = std::max(pior, SaidaDaClasse(e.classe));
    return pior;
}

std::string RelatorioEmJson(const RelatorioDaExecucao& r) {
    JsonOrdenado execucoes = JsonOrdenado::array();
    for (const ExecucaoRelatada& e : r.execucoes) execucoes.push_back(ExecucaoEmJson(e));
    JsonOrdenado j = {{"formato", 1},
                      {"comando", r.comando},
                      {"saida", SaidaDoRelatorio(r)},
                      {"execucoes", execucoes}};
    return j.dump(2, ' ', false, JsonOrdenado::error_handler_t::replace) + "\n";
}

}  // namespace zolvek::execucao
