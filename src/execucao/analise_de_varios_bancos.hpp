#pragma once

#include <functional>
#include <string>
#include <vector>

#include "execucao/analise_de_um_banco.hpp"
#include "execucao/lista_de_bancos.hpp"
#include "execucao/relatorio_da_execucao.hpp"

// The analysis of every database of a list, at most N at a time, each on its own
// connection and with its own dictionary, as its own run: one failure never stops the
// others. A cancellation reaches the running analyses at their next check, and the
// databases not started yet are not started.
namespace zolvek::execucao {

struct PedidoDeVariosBancos {
    std::vector<BancoDaLista> bancos;
    int paralelo = 1;
    // What every run asks; its connection string is each line's. A script file and a
    // backup file, when given, are named per database (ArquivoDoBanco).
    PedidoDeAnalise modelo;
    // The answer to the questions before altering or creating a table ("Sim para
    // todos"); without it they are answered "Cancelar", as without a terminal.
    bool simParaTodos = false;
    // Asked at every check of every run and before each database starts.
    std::function<bool()> cancelado;
    // Told as each database starts and ends (one at a time, from the runs' threads).
    std::function<void(const BancoDaLista&)> aoIniciar;
    std::function<void(const ExecucaoRelatada&)> aoTerminar;
};

// Every database's report, in the list's order. Each script file is emptied before any
// run starts: one that cannot be written raises ErroDeEntrada and nothing runs.
std::vector<ExecucaoRelatada> AnalisarVariosBancos(const PedidoDeVariosBancos& pedido);

// The summary: one line per database and the total.
std::vector<std::string> ResumoDosBancos(const std::vector<ExecucaoRelatada>& execucoes);

}  // namespace zolvek::execucao
