#include "app/validar_bd.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "admin/liberar_e_validar.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/interface_grafica.hpp"
#include "app/mensagens.hpp"

namespace zolvek::app {

TValidarBD::TValidarBD(db::TModuloDados& modulo, int revisaoDoDicionario, QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      qryComando(&modulo.Banco),
      modulo_(modulo),
      revisao_(revisaoDoDicionario) {
    setObjectName("ValidarBD");
    setWindowTitle("Validar BD");
    lblRevisao =
        new QLabel(QString::fromStdString(admin::TextoDaValidacao(revisaoDoDicionario)), this);
    lblRevisao->setObjectName("lblRevisao");
    lblRevisao->setWordWrap(true);
    lblRevisao->setMinimumWidth(280);
    QFont negrito = lblRevisao->font();
    negrito.setBold(true);
    lblRevisao->setFont(negrito);
    btnValidar = new QPushButton("&Validar", this);
    btnValidar->setObjectName("btnValidar");
    btnValidar->setDefault(true);
    btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setAutoDefault(false);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(btnValidar);
    botoes->addWidget(btnCancelar);
    auto* tudo = new QVBoxLayout(this);
    tudo->addWidget(lblRevisao);
    tudo->addSpacing(8);
    tudo->addLayout(botoes);
    connect(btnValidar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnValidarClick(); }); });
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void TValidarBD::btnValidarClick() {
    CursorDeEspera espera;
    InterfaceGrafica interface;
    admin::ValidarBanco(modulo_, qryComando, revisao_, interface);
    accept();
}

bool ValidarBancoDeDados(QWidget* pai, db::TModuloDados& modulo, int revisaoDoDicionario) {
    InterfaceGrafica interface;
    if (!admin::PrecisaValidar(modulo, revisaoDoDicionario, interface)) return false;
    TValidarBD dialogo(modulo, revisaoDoDicionario, pai);
    CursorNormal normal;  // the dialog waits for the user
    return dialogo.exec() == QDialog::Accepted;
}

}  // namespace zolvek::app
