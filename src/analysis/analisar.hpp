#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/mudancas_da_analise.hpp"
#include "analysis/opcoes_da_analise.hpp"
#include "comum/comando.hpp"
#include "db/modulo_dados.hpp"
#include "dictionary/dicionario.hpp"

// "Analisar": brings the connected database to the structure of the data dictionary.
namespace zolvek::analysis {

// How a finished run is classified (an aborted run raises instead).
enum class ClassificacaoDaAnalise {
    Sucesso,       // ", executado com sucesso"
    ForaDoPadrao,  // ", executado fora do padrão mínimo necessário"
    ComErros,      // ", executado até o fim com N erro(s)"
    Cancelada,     // ", cancelado, N erro(s)"
};

struct ResultadoDaAnalise {
    ClassificacaoDaAnalise classificacao = ClassificacaoDaAnalise::Sucesso;
    std::string Complemento;  // the registered outcome text (simulated: what it would be)
    std::vector<LinhaDeErro> erros;
    // What the run changed (simulated: would change), table by table.
    std::vector<MudancasDaTabela> mudancas;
    ContagemDeMudancas contagem;
    // A simulation: nothing was registered nor kept; its script (the statements a run
    // sends, each batch ended by a GO line), the statements it held back, its report.
    bool simulada = false;
    std::string script;
    std::vector<std::string> retidos;
    std::vector<std::string> relatorio;
};

// What a run does besides what the options dialog asks.
struct ExtrasDaAnalise {
    // The whole run inside one transaction rolled back at the end, instead of the
    // single-user switch; nothing is registered (no RegMov, no StatusBD, no revision).
    bool simular = false;
    // A backup file made with CHECKSUM and verified before the first change ("": none);
    // when either fails the run does not start (admin::ErroDaCopiaAntes).
    std::string copiaAntes;
};

// Runs one analysis with the options the front end collected (its options dialog or
// the command line). The dictionary file is loaded again into `dicionario` at the
// start. The progress window is opened through `interface` ("Analisando banco de
// dados") and finished at the end; it stays open for reading.
//
// An abort (the answer "Cancelar" to a question, a refused single-user switch, the
// user declining to go on after a failed start record) raises Cancelamento: nothing
// is registered and the front end ends the command silently. Any other error that no
// step catches ends the run the same way and propagates for the front end to show.
// Either way the progress window is finished with `false` (closed) first. A simulation
// whose transaction the server rolled back stops with an Erro that says so.
ResultadoDaAnalise Analisar(db::TModuloDados& modulo, dicionario::DicionarioDeDados& dicionario,
                            const std::filesystem::path& arquivoDoDicionario,
                            const OpcoesDaAnalise& opcoes, InterfaceDoComando& interface,
                            const ExtrasDaAnalise& extras = {});

}  // namespace zolvek::analysis
