#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zolvek::app {

struct BotoesDeExecucao {
    QPushButton* executar;
    QPushButton* cancelar;
};

// The end of the dialogs that run a command on a server ("Novo..", "Restaurar cópia..."):
// the administrator's login and password in their group, then the "Executar" (default)
// and "Cancelar" row. Cancelar closes the dialog; the caller connects Executar.
BotoesDeExecucao TerminarComAdministrador(QDialog* dialogo, QVBoxLayout* tudo, QLineEdit* login,
                                          QLineEdit* senha);

}  // namespace zolvek::app
