#include "app/importacao_outro_banco.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/configuracoes.hpp"
#include "app/editor_de_conexao.hpp"
#include "maintenance/atualizar_impostos_dos_itens.hpp"

namespace zolvek::app {

TImportacaoOutroBancoDados::TImportacaoOutroBancoDados(QWidget* pai) : QDialog(pai) {
    setObjectName("ImportacaoOutroBancoDados");
    setWindowTitle("Importação de outro Banco de Dados");
    auto* rotulo = new QLabel("&Banco de Dados origem", this);
    edtOrigem = new QLineEdit(this);
    edtOrigem->setObjectName("edtOrigem");
    rotulo->setBuddy(edtOrigem);
    btnOrigem = new QToolButton(this);
    btnOrigem->setObjectName("btnOrigem");
    btnOrigem->setText("...");
    cbxAcrescentar = new QCheckBox("&Acrescentar", this);
    cbxAcrescentar->setObjectName("cbxAcrescentar");
    btnImportar = new QPushButton("&Importar", this);
    btnImportar->setObjectName("btnImportar");
    btnImportar->setDefault(true);
    btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");

    auto* linhaOrigem = new QHBoxLayout;
    linhaOrigem->addWidget(edtOrigem, 1);
    linhaOrigem->addWidget(btnOrigem);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(btnImportar);
    botoes->addWidget(btnCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rotulo);
    layout->addLayout(linhaOrigem);
    layout->addWidget(cbxAcrescentar);
    layout->addStretch(1);
    layout->addLayout(botoes);
    resize(520, 150);

    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    edtOrigem->setText(memoria.Ler("edtOrigem.Text").toString());
    memoria.RestaurarPosicao();
    HabilitarImportar();

    connect(edtOrigem, &QLineEdit::textChanged, this, [this] { HabilitarImportar(); });
    connect(btnOrigem, &QToolButton::clicked, this, [this] { btnOrigemClick(); });
    connect(btnImportar, &QPushButton::clicked, this, [this] { btnImportarClick(); });
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TImportacaoOutroBancoDados::Origem() const {
    return edtOrigem->text().toStdString();
}

bool TImportacaoOutroBancoDados::Acrescentar() const {
    return cbxAcrescentar->isChecked();
}

void TImportacaoOutroBancoDados::HabilitarImportar() {
    btnImportar->setEnabled(!edtOrigem->text().isEmpty());
}

void TImportacaoOutroBancoDados::btnOrigemClick() {
    edtOrigem->setText(QString::fromStdString(PromptDataSource(this, Origem())));
}

void TImportacaoOutroBancoDados::btnImportarClick() {
    if (edtOrigem->text().isEmpty()) return;
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    memoria.Gravar("edtOrigem.Text", edtOrigem->text());
    memoria.GravarPosicao();
    memoria.Confirmar();
    accept();
}

TConfirmacaoAtualizarImpostosItens::TConfirmacaoAtualizarImpostosItens(QWidget* pai)
    : QDialog(pai) {
    setObjectName("ConfirmacaoAtualizarImpostosItens");
    setWindowTitle(manutencao::kTituloDaConfirmacao);
    auto* texto = new QLabel(manutencao::kTextoDaConfirmacao, this);
    btnIniciar = new QPushButton("&Iniciar", this);
    btnIniciar->setObjectName("btnIniciar");
    btnIniciar->setAutoDefault(false);
    btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setDefault(true);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(btnIniciar);
    botoes->addWidget(btnCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(texto);
    layout->addLayout(botoes);
    connect(btnIniciar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace zolvek::app
