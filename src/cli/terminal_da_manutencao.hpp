#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "cli/terminal_comum.hpp"
#include "comum/comando.hpp"

// The front end of the data maintenance commands (atualizar-tributos, importar):
// progress on standard error, questions answered by --sim or read from an interactive
// terminal, Ctrl+C as the progress window's "Cancelar", the error list kept for the
// end of the run.
namespace zolvek::cli {

// Aborted (the single-user switch refused, an error that ended the run) or cancelled.
constexpr int kSaidaInterrompidaManutencao = 3;

class TerminalDaManutencao : public InterfaceDoComando {
  public:
    // `sim`: answer every question with its confirming button. `interativo`: questions
    // can be read from `entrada`.
    TerminalDaManutencao(bool sim, bool interativo, std::ostream& saida = std::cout,
                         std::ostream& progresso = std::cerr, std::istream& entrada = std::cin);

    void MostrarProgresso(const std::string& texto) override;
    void DefinirBarra(int posicao, int maximo) override;
    // The rows of the table being imported (committed ones), also a line per tenth.
    void DefinirBarraSecundaria(int posicao, int maximo) override;
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override;
    void Mostrar(TipoDeMensagem tipo, const std::string& texto) override;
    bool CancelamentoPedido() override;
    void AdicionarErro(const LinhaDeErro& linha) override;
    void MostrarUsuariosAtivos(const std::string& nomeDoBanco) override;

    // The connection on which the active users are listed when the database cannot be
    // had alone; without one only the advice is printed.
    void DefinirConexao(db::Conexao* conexao) { conexao_ = conexao; }

    const std::vector<LinhaDeErro>& Erros() const { return erros_; }
    // Prints the error rows and, when `arquivo` is not empty, writes them as CSV.
    void ImprimirErros(const std::string& arquivo) const;

  private:
    bool sim_;
    bool interativo_;
    std::ostream& saida_;
    std::ostream& progresso_;
    std::istream& entrada_;
    std::vector<LinhaDeErro> erros_;
    db::Conexao* conexao_ = nullptr;
    int ultimoDecimo_ = -1;
    int ultimoDecimoDasLinhas_ = -1;
    CtrlCCancela ctrlC_;
};

}  // namespace zolvek::cli
