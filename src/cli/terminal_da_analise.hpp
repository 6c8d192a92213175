#pragma once

#include <iostream>
#include <string>

#include "cli/terminal_comum.hpp"
#include "comum/comando.hpp"
#include "db/conexao.hpp"

// The front end of "zolvek-cli analisar": progress on standard error (with a bar on a
// terminal), questions on an interactive terminal or answered by --sim-para-todos,
// Ctrl+C as the progress window's "Cancelar".
namespace zolvek::cli {

class TerminalDaAnalise : public InterfaceDoComando {
  public:
    // `simParaTodos`: answer every question "Sim para todos". `interativo`: questions
    // can be read from `entrada`. `barra`: `progresso` is a terminal.
    TerminalDaAnalise(bool simParaTodos, bool interativo, bool barra,
                      std::ostream& saida = std::cout, std::ostream& progresso = std::cerr,
                      std::istream& entrada = std::cin);

    // The connection on which the active users are listed when the database cannot be
    // had alone; without one nothing is listed.
    void DefinirConexao(db::Conexao* conexao) { conexao_ = conexao; }

    void MostrarProgresso(const std::string& texto) override;
    void DefinirBarra(int posicao, int maximo) override;
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override;
    void Mostrar(TipoDeMensagem tipo, const std::string& texto) override;
    bool CancelamentoPedido() override;
    void AdicionarErro(const LinhaDeErro& linha) override;
    void AbrirEvolucao(const std::string& titulo) override;
    void MostrarUsuariosAtivos(const std::string& nomeDoBanco) override;

  private:
    Resposta LerResposta(Botoes botoes, Resposta padrao);

    db::Conexao* conexao_ = nullptr;
    bool simParaTodos_;
    bool interativo_;
    bool barra_;
    std::ostream& saida_;
    std::ostream& progresso_;
    std::istream& entrada_;
    int posicao_ = 0;
    int maximo_ = 100;
    CtrlCCancela ctrlC_;
};

}  // namespace zolvek::cli
