#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <functional>

#include "comum/comando.hpp"

namespace zolvek::app {

// How a long command talks to the user through windows: the progress line and bar
// of its progress window (when it has one), question and message boxes, the error
// list, and a cancel request noticed while pending events run.
class InterfaceGrafica : public InterfaceDoComando {
  public:
    explicit InterfaceGrafica(QLabel* progresso = nullptr, QProgressBar* barra = nullptr,
                              std::function<void(const LinhaDeErro&)> aoAdicionarErro = {});

    void MostrarProgresso(const std::string& texto) override;
    void DefinirBarra(int posicao, int maximo) override;
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override;
    void Mostrar(TipoDeMensagem tipo, const std::string& texto) override;
    bool CancelamentoPedido() override;
    void AdicionarErro(const LinhaDeErro& linha) override;

    // Called by the progress window's cancel button.
    void PedirCancelamento() { cancelar_ = true; }

  private:
    QPointer<QLabel> progresso_;
    QPointer<QProgressBar> barra_;
    std::function<void(const LinhaDeErro&)> aoAdicionarErro_;
    bool cancelar_ = false;
};

}  // namespace zolvek::app
