#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cli/argumentos.hpp"
#include "db/modulo_dados.hpp"

// What every command that connects to a database shares: the options --conexao and
// --dicionario, the log switches from the environment, connecting as the program
// does, and the convention for outputs (messages and outcomes on standard output,
// progress and diagnostics on standard error).
namespace zolvek::cli {

// The options with a value that every connecting command accepts.
std::set<std::string> OpcoesDeSessao();

// The help text of those options and of the environment variables, to end a
// command's --help.
extern const char* const kAjudaDaSessao;

// The dictionary file: --dicionario, else the one beside the program.
std::filesystem::path ArquivoDoDicionario(const Argumentos& argumentos);

// The log switches from ZOLVEK_LOG (a non-zero number enables the log) and ZOLVEK_PASTA_LOG (the
// folder of LogZAV.txt).
void ConfigurarLogPeloAmbiente();

// Connects as the program does (dictionary, connection, db_owner check); progress
// goes to `progresso`. Raises what connecting raises.
std::unique_ptr<db::TModuloDados> AbrirSessao(const Argumentos& argumentos,
                                              std::ostream& progresso);

// Runs a command's body: the message of a failure (other than bad usage and
// cancellation, which go on to main) is printed to `saida` and gives exit status 1.
int ExecutarComMensagens(std::ostream& saida, const std::function<int()>& corpo);

// Prints report lines, one per line; an entry holding CR LF prints as several lines.
void ImprimirLinhas(std::ostream& saida, const std::vector<std::string>& linhas);

}  // namespace zolvek::cli
