#include "cli/analise_de_varios_bancos.hpp"

#include <charconv>
#include <iostream>

#include "cli/sessao_cli.hpp"
#include "cli/terminal_comum.hpp"
#include "execucao/analise_de_varios_bancos.hpp"

namespace zolvek::cli {

namespace {

int LerParalelo(const Argumentos& a) {
    const auto valor = a.Valor("--paralelo");
    if (!valor) return 1;
    int n = 0;
    const auto [fim, erro] = std::from_chars(valor->data(), valor->data() + valor->size(), n);
    if (erro != std::errc() || fim != valor->data() + valor->size() || n < 1 || n > 64)
        throw ErroDeUso("--paralelo pede um número de 1 a 64: " + *valor);
    return n;
}

std::vector<execucao::BancoDaLista> LerBancos(const Argumentos& a) {
    try {
        return execucao::LerListaDeBancos(*ArquivoDaOpcao(a, "--bancos"));
    } catch (const ErroDeEntrada& e) {
        throw ErroDeUso(e.what());
    }
}

}  // namespace

int RodarVariosBancos(const Argumentos& a, const execucao::PedidoDeAnalise& modelo,
                      const RelatorioDoComando& relatorio) {
    execucao::PedidoDeVariosBancos pedido;
    pedido.bancos = LerBancos(a);
    pedido.paralelo = LerParalelo(a);
    pedido.modelo = modelo;
    if (const auto script = ArquivoDaOpcao(a, "--script")) pedido.modelo.arquivoDoScript = *script;
    pedido.simParaTodos = a.Marcado("--sim-para-todos");
    ConfigurarLogPeloAmbiente();
    CtrlCCancela ctrlC(
        "\nCancelamento pedido: as análises em andamento param na próxima verificação e as que "
        "faltam não serão iniciadas.\n");
    pedido.cancelado = [&] { return ctrlC.Pedido(); };
    pedido.aoIniciar = [](const execucao::BancoDaLista& b) {
        std::cerr << "Iniciando a linha " << b.linha << " da lista..." << std::endl;
    };
    pedido.aoTerminar = [](const execucao::ExecucaoRelatada& e) {
        std::cerr << "Terminado: " << e.banco << " [" << execucao::NomeDaClasse(e.classe) << "]"
                  << std::endl;
    };
    std::vector<execucao::ExecucaoRelatada> execucoes;
    try {
        execucoes = execucao::AnalisarVariosBancos(pedido);
    } catch (const ErroDeEntrada& e) {
        throw ErroDeUso(e.what());  // a script file that cannot be written: nothing ran
    }
    ImprimirLinhas(std::cout, execucao::ResumoDosBancos(execucoes));
    relatorio.Gravar(execucoes);
    return execucao::SaidaDoRelatorio({"analisar", execucoes});
}

}  // namespace zolvek::cli
