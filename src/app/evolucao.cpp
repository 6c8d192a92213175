#include "app/evolucao.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/mensagens.hpp"

namespace zolvek::app {

TEvolucao::TEvolucao(QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("Evolucao");
    setWindowTitle("Evolução");
    setModal(false);
    lblFase = new QLabel(this);
    lblFase->setObjectName("lblFase");
    lblFase->setWordWrap(true);
    lblFase->setMinimumWidth(360);
    pgbEvolucao = new QProgressBar(this);
    pgbEvolucao->setObjectName("pgbEvolucao");
    pgbEvolucao->setRange(0, 100);
    pgbEvolucao->setValue(0);
    btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setAutoDefault(false);
    connect(btnCancelar, &QPushButton::clicked, this, [this] { btnCancelarClick(); });

    pilha_ = new QVBoxLayout(this);
    pilha_->addWidget(lblFase);
    pilha_->addWidget(pgbEvolucao);
    corpo_ = new QVBoxLayout;
    corpo_->setContentsMargins(0, 0, 0, 0);
    pilha_->addLayout(corpo_, 1);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(btnCancelar);
    botoes->addStretch();
    pilha_->addLayout(botoes);
}

void TEvolucao::InserirAbaixoDaFase(QWidget* widget) {
    pilha_->insertWidget(pilha_->indexOf(lblFase) + 1, widget);
}

void TEvolucao::PedirCancelamento() {
    const bool novo = !cancelado_;
    cancelado_ = true;
    if (novo) emit CancelamentoSolicitado();
}

TEvolucao::~TEvolucao() {
    Restaurar();
}

void TEvolucao::Mostrar() {
    if (!mostrada_) {
        // Modal without a loop of its own: every other window, a modal one that was
        // open included, takes no input while the command goes on under this one.
        setWindowModality(Qt::ApplicationModal);
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        mostrada_ = true;
    }
    show();
    raise();
    activateWindow();
    QCoreApplication::processEvents();
}

void TEvolucao::Restaurar() {
    if (mostrada_) {
        QApplication::restoreOverrideCursor();
        mostrada_ = false;
    }
}

void TEvolucao::DefinirFase(const QString& texto) {
    lblFase->setText(texto);
}

QString TEvolucao::Fase() const {
    return lblFase->text();
}

void TEvolucao::DefinirMaximo(int maximo) {
    pgbEvolucao->setMaximum(maximo);
}

void TEvolucao::DefinirPosicao(int posicao) {
    pgbEvolucao->setValue(std::min(posicao, pgbEvolucao->maximum()));
}

void TEvolucao::Avancar() {
    DefinirPosicao(pgbEvolucao->value() + 1);
}

bool TEvolucao::Cancelado() {
    QCoreApplication::processEvents();
    return cancelado_;
}

void TEvolucao::Finalizar(bool ok) {
    finalizado_ = true;
    if (!ok) {
        fecharAoResponder_ = perguntando_;
        if (!perguntando_) close();
        return;
    }
    btnCancelar->setText("&OK");
    btnCancelar->setDefault(true);
    btnCancelar->setFocus();
    QFont negrito = lblFase->font();
    negrito.setBold(true);
    lblFase->setFont(negrito);
    AoFinalizar();
}

void TEvolucao::btnCancelarClick() {
    if (finalizado_)
        close();
    else
        PedirCancelamento();
}

void TEvolucao::closeEvent(QCloseEvent* evento) {
    if (!finalizado_) {
        // The command is still at work: it ends on its own, at its next check.
        evento->ignore();
        // The command goes on meanwhile and may end; an abort closes the window only
        // once the question, a child of it, is answered.
        perguntando_ = true;
        const int resposta = MostrarAtencao(kPerguntaAoFechar, kSimNaoComNaoPadrao);
        perguntando_ = false;
        if (fecharAoResponder_)
            close();
        else if (resposta == kBotaoSim && !finalizado_)
            PedirCancelamento();
        return;
    }
    Restaurar();
    evento->accept();
    // Not QDialog::closeEvent: it would come back through reject().
    QDialog::done(QDialog::Rejected);
}

void TEvolucao::reject() {
    close();
}

}  // namespace zolvek::app
