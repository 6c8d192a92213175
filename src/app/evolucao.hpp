#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace zolvek::app {

// The program's generic progress window of a long command: the phase text, a bar and
// "Cancelar". While it is shown it is modal to the whole program without blocking the
// command that shows it: the other windows (or the modal window that was open) take
// no input, so the command cannot be started twice. The command runs on a worker
// thread (TrabalhoEmSegundoPlano) and learns of a cancel through
// CancelamentoSolicitado; run on the GUI thread it looks at Cancelado() between units
// of work, which also lets pending window events run. Windows of particular commands
// derive from it and add their own widgets under the bar (Corpo()).
//
// Running: "Cancelar" or confirming the close question sets the cancelled flag and
// the window stays open. Finalizar(true): the finished state, the button reads "OK"
// and closes the window. Finalizar(false): closes it at once (an aborted command).
class TEvolucao : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kPerguntaAoFechar = "Você quer abandonar este processamento ?";

    explicit TEvolucao(QWidget* pai = nullptr);
    ~TEvolucao() override;

    // Shows this window over the others, which take no input until it closes, with the
    // arrow cursor, and lets pending events run.
    void Mostrar();

    void DefinirFase(const QString& texto);
    QString Fase() const;
    void DefinirMaximo(int maximo);
    void DefinirPosicao(int posicao);
    void Avancar();

    // Lets pending window events run, then tells whether the user asked to cancel.
    bool Cancelado();
    bool PedidoDeCancelamento() const { return cancelado_; }
    void PedirCancelamento();

    void Finalizar(bool ok);
    bool Finalizado() const { return finalizado_; }

    // Escape closes through the same question as the close box.
    void reject() override;

    QLabel* lblFase;
    QProgressBar* pgbEvolucao;
    QPushButton* btnCancelar;

  signals:
    // The user asked to cancel ("Cancelar", or the close box confirmed) while running.
    void CancelamentoSolicitado();

  protected:
    // Where derived windows put their widgets, between the bar and the button row.
    QVBoxLayout* Corpo() const { return corpo_; }
    // A widget right under the phase text.
    void InserirAbaixoDaFase(QWidget* widget);
    // Runs when the window reaches its finished state (before it is shown so).
    virtual void AoFinalizar() {}

    void closeEvent(QCloseEvent* evento) override;

  private:
    void btnCancelarClick();
    void Restaurar();

    QVBoxLayout* pilha_;
    QVBoxLayout* corpo_;
    bool cancelado_ = false;
    bool finalizado_ = false;
    bool perguntando_ = false;        // the close question is open
    bool fecharAoResponder_ = false;  // aborted meanwhile
    bool mostrada_ = false;
};

}  // namespace zolvek::app
