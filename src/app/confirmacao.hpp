#pragma once

#include <QDialog>
#include <QString>

#include "comum/comando.hpp"

class QLabel;
class QPushButton;

namespace zolvek::app {

// The four-answer question of a long command ("Atenção"): "Sim", "Sim para todos",
// "Não", "Cancelar". The message wraps in a label 345 pixels wide and the window is
// as tall as the label plus 58 pixels; "Sim" has the focus when it opens. Closing it
// without a button answers "Cancelar".
class TConfirmacao : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kLarguraDaMensagem = 345;
    static constexpr int kAlturaAlemDaMensagem = 58;

    explicit TConfirmacao(QWidget* pai = nullptr);

    // Sets the message and shows the window modally; returns Sim, SimParaTodos, Nao
    // or Cancelar.
    Resposta Perguntar(const QString& texto);
    void DefinirMensagem(const QString& texto);

    QLabel* lblMensagem;
    QPushButton* btnSim;
    QPushButton* btnSimParaTodos;
    QPushButton* btnNao;
    QPushButton* btnCancelar;

  protected:
    void showEvent(QShowEvent* evento) override;

  private:
    Resposta resposta_ = Resposta::Cancelar;
};

}  // namespace zolvek::app
