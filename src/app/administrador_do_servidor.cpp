#include "app/administrador_do_servidor.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace zolvek::app {

BotoesDeExecucao TerminarComAdministrador(QDialog* dialogo, QVBoxLayout* tudo, QLineEdit* login,
                                          QLineEdit* senha) {
    senha->setEchoMode(QLineEdit::Password);
    auto* grupo = new QGroupBox("Administrador", dialogo);
    auto* administrador = new QFormLayout(grupo);
    administrador->addRow("N&ome", login);
    administrador->addRow("S&enha", senha);
    tudo->addWidget(grupo);

    BotoesDeExecucao b{new QPushButton("E&xecutar", dialogo),
                       new QPushButton("&Cancelar", dialogo)};
    b.executar->setObjectName("btnExecutar");
    b.executar->setDefault(true);
    b.cancelar->setObjectName("btnCancelar");
    b.cancelar->setAutoDefault(false);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(b.executar);
    botoes->addWidget(b.cancelar);
    tudo->addLayout(botoes);
    QObject::connect(b.cancelar, &QPushButton::clicked, dialogo, &QDialog::reject);
    return b;
}

}  // namespace zolvek::app
