#pragma once

#include <iostream>
#include <string>

#include "comum/comando.hpp"

namespace zolvek::cli {

// The front end of a command on the terminal: messages on standard output, progress
// on standard error; questions are asked on an interactive terminal, answered "Sim"
// with --sim, and otherwise get their preselected answer (and say so).
class InterfaceDoTerminal : public InterfaceDoComando {
  public:
    // `confirmar`: --sim was given. `interativo`: the standard input is a terminal.
    InterfaceDoTerminal(bool confirmar, bool interativo, std::ostream& saida = std::cout,
                        std::ostream& progresso = std::cerr, std::istream& entrada = std::cin);

    void MostrarProgresso(const std::string& texto) override;
    void DefinirBarra(int, int) override {}
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override;
    void Mostrar(TipoDeMensagem tipo, const std::string& texto) override;
    bool CancelamentoPedido() override { return false; }
    void AdicionarErro(const LinhaDeErro& linha) override;

    // True once an error message or an error row was shown.
    bool HouveErro() const { return houveErro_; }

  private:
    bool confirmar_;
    bool interativo_;
    std::ostream& saida_;
    std::ostream& progresso_;
    std::istream& entrada_;
    bool houveErro_ = false;
};

// Whether the standard input is an interactive terminal.
bool EntradaInterativa();

}  // namespace zolvek::cli
