#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/argumentos.hpp"
#include "db/modulo_dados.hpp"
#include "execucao/relatorio_da_execucao.hpp"

// --relatorio ARQUIVO.json of a command: the file is emptied before the command
// connects, so that a path that cannot be written stops it first (bad usage), and it
// receives the report when the command ends, whatever the outcome.
namespace zolvek::cli {

class RelatorioDoComando {
  public:
    RelatorioDoComando(const Argumentos& argumentos, std::string comando);

    void Gravar(const std::vector<execucao::ExecucaoRelatada>& execucoes) const;

  private:
    std::optional<std::filesystem::path> arquivo_;
    std::string comando_;
};

// The option and its help line, for the commands that take it.
inline constexpr const char* kOpcaoRelatorio = "--relatorio";
extern const char* const kAjudaDoRelatorio;

// A file option that must not be empty ("--script", "--relatorio"...): its path, or
// nullopt when not given; ErroDeUso when given empty.
std::optional<std::filesystem::path> ArquivoDaOpcao(const Argumentos& argumentos,
                                                    const std::string& opcao);

// Opens the session and runs the body, which fills its report entry (outcome, class,
// options, errors, counts). A failure to connect or any other error is printed to
// standard output and gives exit status 1, its message becoming the outcome ("falhou"
// unless the body classified the run already). Bad usage and cancellation go on to main.
int ExecutarComRelatorio(
    const Argumentos& argumentos, const std::string& comando,
    const std::function<int(db::TModuloDados&, execucao::ExecucaoRelatada&)>& corpo);

}  // namespace zolvek::cli
