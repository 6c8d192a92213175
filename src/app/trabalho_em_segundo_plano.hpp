#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QAbstractButton;

#include "db/conector/cancelamento.hpp"

namespace zolvek::app {

// The database work of a long command, run on a thread of its own so that the windows
// stay alive: they repaint, and "Cancelar" and the close box answer at any time. The
// work talks to the windows only through ExecutarNaThreadDaInterface (or the
// InterfaceEmSegundoPlano built on it); it owns its connections while it runs, and
// the windows touch none of them until it ends.
//
// While it runs, the windows that were open when it started take no input (clicks and
// keys made there are dropped, not kept for later), except `janelaDoComando`, whose
// controls that start work are the caller's to disable; windows the work opens
// (progress window, questions) take input as usual. The busy cursor is the caller's.
class TrabalhoEmSegundoPlano {
  public:
    explicit TrabalhoEmSegundoPlano(QWidget* janelaDoComando = nullptr);
    ~TrabalhoEmSegundoPlano();
    TrabalhoEmSegundoPlano(const TrabalhoEmSegundoPlano&) = delete;
    TrabalhoEmSegundoPlano& operator=(const TrabalhoEmSegundoPlano&) = delete;

    // Runs `trabalho` and returns when it ended; an error it raised is raised here.
    // Called on the GUI thread, whose events go on running meanwhile.
    void Executar(const std::function<void()>& trabalho);

    // GUI thread, while it runs: stops the statement under way (or the next one to
    // start, when the work is between statements). Never waits on the database.
    void CancelarComando() { cancelador_.Cancelar(); }
    db::CanceladorDeComandos& Cancelador() { return cancelador_; }
    bool EmExecucao() const { return emExecucao_; }

    // The work running now, if any (the tests wait on its states).
    static TrabalhoEmSegundoPlano* Atual();

  private:
    QPointer<QWidget> janelaDoComando_;
    db::CanceladorDeComandos cancelador_;
    bool emExecucao_ = false;
};

// A double click on a button that starts work counts as one click: its second press
// does not click again (the first one may have run the work to its end already).
void IgnorarCliqueDuplo(QAbstractButton* botao);

// Runs `funcao` on the GUI thread and waits for it; its error comes back to the
// caller. On the GUI thread itself it simply runs.
void ExecutarNaThreadDaInterface(const std::function<void()>& funcao);

}  // namespace zolvek::app
