#include "app/administrador_do_servidor.hpp"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <vector>

#include "app/cursor_de_espera.hpp"
#include "app/trabalho_em_segundo_plano.hpp"

namespace zolvek::app {

BotoesDeExecucao TDialogoDoServidor::TerminarComAdministrador(QVBoxLayout* tudo, QLineEdit* login,
                                                              QLineEdit* senha) {
    senha->setEchoMode(QLineEdit::Password);
    auto* grupo = new QGroupBox("Administrador", this);
    auto* administrador = new QFormLayout(grupo);
    administrador->addRow("N&ome", login);
    administrador->addRow("S&enha", senha);
    tudo->addWidget(grupo);

    BotoesDeExecucao b{new QPushButton("E&xecutar", this), new QPushButton("&Cancelar", this)};
    b.executar->setObjectName("btnExecutar");
    b.executar->setDefault(true);
    b.cancelar->setObjectName("btnCancelar");
    b.cancelar->setAutoDefault(false);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(b.executar);
    botoes->addWidget(b.cancelar);
    tudo->addLayout(botoes);
    connect(b.cancelar, &QPushButton::clicked, this, &QDialog::reject);
    IgnorarCliqueDuplo(b.executar);
    cancelar_ = b.cancelar;
    return b;
}

void TDialogoDoServidor::ExecutarNoServidor(const std::function<void()>& trabalho) {
    // Everything but "Cancelar" waits for the end: nothing is started twice, and the
    // values are the ones being used.
    std::vector<QPointer<QWidget>> desligados;
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w == cancelar_ || !w->isEnabled() || w->isWindow()) continue;
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QAbstractSpinBox*>(w)) {
            w->setEnabled(false);
            desligados.emplace_back(w);
        }
    }
    TrabalhoEmSegundoPlano emSegundoPlano(this);
    trabalho_ = &emSegundoPlano;
    struct Fim {
        TDialogoDoServidor& d;
        std::vector<QPointer<QWidget>>& desligados;
        ~Fim() {
            d.trabalho_ = nullptr;
            for (const auto& w : desligados)
                if (w) w->setEnabled(true);
            d.HabilitarExecutar();
        }
    } fim{*this, desligados};
    CursorDeEspera espera;
    emSegundoPlano.Executar(trabalho);
}

bool TDialogoDoServidor::Mostrar() {
    CursorNormal normal;  // under the hourglass of the menu command
    return exec() == QDialog::Accepted;
}

void TDialogoDoServidor::reject() {
    if (trabalho_) {
        trabalho_->CancelarComando();
        return;
    }
    QDialog::reject();
}

void TDialogoDoServidor::closeEvent(QCloseEvent* evento) {
    if (trabalho_) {
        evento->ignore();
        trabalho_->CancelarComando();
        return;
    }
    QDialog::closeEvent(evento);
}

}  // namespace zolvek::app
