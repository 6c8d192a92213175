#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/mudancas_da_analise.hpp"
#include "comum/comando.hpp"
#include "db/modulo_dados.hpp"

// The machine-readable report of a run (`--relatorio ARQUIVO.json`): one entry per
// database the command ran on, in the layout the README's schema describes.
namespace zolvek::execucao {

// How a run ended, for a script to decide by: "sucesso", "fora_do_padrao",
// "com_erros", "cancelada", "interrompida" (an abort or an error that ended it),
// "nao_confirmada", "falhou" (it could not start: connection, list line, backup),
// "nao_iniciada" (a run of many databases was cancelled before it reached this one).
enum class ClasseDoDesfecho {
    Sucesso,
    ForaDoPadrao,
    ComErros,
    Cancelada,
    Interrompida,
    NaoConfirmada,
    Falhou,
    NaoIniciada,
};

std::string NomeDaClasse(ClasseDoDesfecho classe);
// The exit status of a class: 0 success, 1 finished otherwise or failed, 3 cancelled,
// interrupted or not started.
int SaidaDaClasse(ClasseDoDesfecho classe);

struct ContagensDaExecucao {
    std::optional<int> tabelasCriadas, tabelasAlteradas, objetosRecriados;
    std::optional<long long> itens, linhas;
};

struct ExecucaoRelatada {
    std::string banco;
    std::string servidor;
    std::string desfecho;  // the outcome text, as the command registers or prints it
    ClasseDoDesfecho classe = ClasseDoDesfecho::Falhou;
    std::chrono::system_clock::time_point inicio, fim;
    std::string operador;                    // the login, as the server names it
    std::optional<int> revisaoDoDicionario;  // when a dictionary was loaded
    std::vector<std::pair<std::string, std::string>> opcoes;
    std::vector<LinhaDeErro> erros;
    ContagensDaExecucao contagens;
    std::string copiaDeSeguranca;  // the backup file made first ("" none)
    // The analysis: what changed, table by table.
    std::vector<analysis::MudancasDaTabela> mudancas;
    // A simulation: the script file ("" when none was asked) and what was held back.
    bool simulacao = false;
    std::string script;
    std::vector<std::string> retidos;
};

struct RelatorioDaExecucao {
    std::string comando;  // "analisar", "liberar", "validar", "atualizar-tributos", "importar"
    std::vector<ExecucaoRelatada> execucoes;
};

// The exit status of the whole run: the highest of its databases' (0 when none).
int SaidaDoRelatorio(const RelatorioDaExecucao& relatorio);

// An entry started now, for the database and the server the connection string names
// ("" when it cannot be read).
ExecucaoRelatada NovaExecucao(const std::string& cadeia);

// What the open session tells: the login as the server names it (left empty when it
// cannot be read) and the dictionary's revision (when one was loaded, >= 0).
void AnotarSessao(ExecucaoRelatada& execucao, db::TModuloDados& modulo, int revisaoDoDicionario);

// The report as JSON text (UTF-8, indented).
std::string RelatorioEmJson(const RelatorioDaExecucao& relatorio);

// A date-time of the local clock as ISO 8601 with its offset ("2024-05-02T14:03:00-03:00").
std::string DataHoraIso(std::chrono::system_clock::time_point momento);

}  // namespace zolvek::execucao
