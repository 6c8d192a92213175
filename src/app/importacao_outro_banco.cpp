#include "app/importacao_outro_banco.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/configuracoes.hpp"
#include "app/editor_de_conexao.hpp"
#include "db/cadeia_de_conexao.hpp"
#include "maintenance/atualizar_impostos_dos_itens.hpp"

namespace zolvek::app {

namespace {

QString CadeiaSemSenha(const QString& cadeia) {
    return QString::fromStdString(db::RemoverSenhaDaConexao(cadeia.toStdString()));
}

}  // namespace

TImportacaoOutroBancoDados::TImportacaoOutroBancoDados(QWidget* pai) : QDialog(pai) {
    setObjectName("ImportacaoOutroBancoDados");
    setWindowTitle("Importação de outro Banco de Dados");
    EditorDeConexao = PromptDataSource;
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
    edtOrigem->setText(CadeiaSemSenha(memoria.Ler("edtOrigem.Text").toString()));
    memoria.RestaurarPosicao();
    HabilitarImportar();

    connect(edtOrigem, &QLineEdit::textChanged, this, [this] {
        HabilitarImportar();
        // A password from the editor belongs to the string the editor gave.
        if (!pelaEdicao_) senhaDaOrigem_.reset();
    });
    connect(btnOrigem, &QToolButton::clicked, this, [this] { btnOrigemClick(); });
    connect(btnImportar, &QPushButton::clicked, this, [this] { btnImportarClick(); });
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TImportacaoOutroBancoDados::Origem() const {
    const std::string origem = edtOrigem->text().toStdString();
    if (senhaDaOrigem_ && db::FaltaSenhaNaConexao(origem))
        return db::AlterarValorDaConexao(origem, "Password", *senhaDaOrigem_);
    return origem;
}

bool TImportacaoOutroBancoDados::Acrescentar() const {
    return cbxAcrescentar->isChecked();
}

void TImportacaoOutroBancoDados::HabilitarImportar() {
    btnImportar->setEnabled(!edtOrigem->text().isEmpty());
}

void TImportacaoOutroBancoDados::btnOrigemClick() {
    const std::string editada = EditorDeConexao(this, Origem());
    // The box shows (and the settings keep) the string without its password.
    std::optional<std::string> senha;
    if (!db::FaltaSenhaNaConexao(editada) &&
        db::FaltaSenhaNaConexao(db::RemoverSenhaDaConexao(editada)))
        senha = db::ObterValorDaConexao(editada, "Password");
    pelaEdicao_ = true;
    edtOrigem->setText(CadeiaSemSenha(QString::fromStdString(editada)));
    pelaEdicao_ = false;
    senhaDaOrigem_ = senha;
}

void TImportacaoOutroBancoDados::btnImportarClick() {
    if (edtOrigem->text().isEmpty()) return;
    if (db::FaltaSenhaNaConexao(Origem()) && !PedirSenha()) return;
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    memoria.Gravar("edtOrigem.Text", CadeiaSemSenha(edtOrigem->text()));
    memoria.GravarPosicao();
    memoria.Confirmar();
    accept();
}

bool TImportacaoOutroBancoDados::PedirSenha() {
    const std::string usuario = db::ObterValorDaConexao(Origem(), "User ID");
    bool ok = false;
    const QString senha = QInputDialog::getText(
        this, "Senha",
        QString::fromStdString("Senha de " + (usuario.empty() ? std::string("acesso") : usuario) +
                               " no banco de dados origem:"),
        QLineEdit::Password, QString(), &ok);
    if (!ok) return false;
    senhaDaOrigem_ = senha.toStdString();
    return true;
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
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(texto);
    layout->addSpacing(16);  // the text apart from the buttons
    layout->addLayout(botoes);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnIniciar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace zolvek::app
