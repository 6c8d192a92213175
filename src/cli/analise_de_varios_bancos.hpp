#pragma once

#include "cli/argumentos.hpp"
#include "cli/relatorio_do_comando.hpp"
#include "execucao/analise_de_um_banco.hpp"

// zolvek-cli analisar --bancos ARQUIVO [--paralelo N]: progress on standard error as
// each database starts and ends, then one line per database and the total on standard
// output; Ctrl+C cancels the running analyses and starts no more.
namespace zolvek::cli {

// `modelo` is what every run asks (from the flags). Returns the worst exit status.
int RodarVariosBancos(const Argumentos& argumentos, const execucao::PedidoDeAnalise& modelo,
                      const RelatorioDoComando& relatorio);

}  // namespace zolvek::cli
