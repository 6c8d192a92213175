#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

class QCloseEvent;

namespace zolvek::app {

class TrabalhoEmSegundoPlano;

struct BotoesDeExecucao {
    QPushButton* executar;
    QPushButton* cancelar;
};

// The dialogs that run a command on a server ("Novo..", "Restaurar cópia..."). The
// command runs on a worker thread while the dialog stays alive: its fields and
// "Executar" take no input meanwhile, and "Cancelar", Escape or the close box stop the
// statement under way (the command then ends with its error, and the dialog stays
// open with its values, as after any failure).
class TDialogoDoServidor : public QDialog {
    Q_OBJECT

  public:
    using QDialog::QDialog;

    bool EmExecucao() const { return trabalho_ != nullptr; }
    // Shows it modally, with the usual cursor over it; true when it ran its command.
    bool Mostrar();

    void reject() override;

  protected:
    // The end of the dialog: the administrator's login and password in their group,
    // then the "Executar" (default) and "Cancelar" row. The caller connects Executar.
    BotoesDeExecucao TerminarComAdministrador(QVBoxLayout* tudo, QLineEdit* login,
                                              QLineEdit* senha);
    // Runs the command's work on the worker thread; its error is raised here. The
    // controls get their state back afterwards and HabilitarExecutar runs.
    void ExecutarNoServidor(const std::function<void()>& trabalho);
    virtual void HabilitarExecutar() = 0;

    void closeEvent(QCloseEvent* evento) override;

  private:
    TrabalhoEmSegundoPlano* trabalho_ = nullptr;
    QPushButton* cancelar_ = nullptr;
};

}  // namespace zolvek::app
