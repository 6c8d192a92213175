#include "app/conexao_ado.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/configuracoes.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/editor_de_conexao.hpp"
#include "app/lista_de_bancos.hpp"
#include "app/mensagens.hpp"
#include "app/senhas_guardadas.hpp"
#include "comum/erros.hpp"
#include "db/cadeia_de_conexao.hpp"

namespace zolvek::app {

TConexaoADO* ConexaoADO = nullptr;

namespace {

constexpr const char* kCadeiaPadrao =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False";

}  // namespace

TConexaoADO::TConexaoADO(QWidget* pai) : QDialog(pai) {
    setObjectName("ConexaoADO");
    setWindowTitle("Conexão");
    EditorDeConexao = PromptDataSource;

    auto* lblBanco = new QLabel("Identificação", this);
    lblBanco->setObjectName("lblBanco");
    cbxBanco = new QComboBox(this);
    cbxBanco->setObjectName("cbxBanco");
    cbxBanco->setEditable(true);
    cbxBanco->setMaxVisibleItems(8);
    cbxBanco->setInsertPolicy(QComboBox::NoInsert);
    cbxBanco->setMinimumWidth(260);
    lblBanco->setBuddy(cbxBanco);
    chkAutomatico = new QCheckBox("Fazer conexão automaticamente", this);
    chkAutomatico->setObjectName("chkAutomatico");
    edtNome = new QLineEdit(this);
    edtNome->setObjectName("edtNome");
    edtSenha = new QLineEdit(this);
    edtSenha->setObjectName("edtSenha");
    edtSenha->setEchoMode(QLineEdit::Password);
    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancelar = new QPushButton("Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnConfigurar = new QPushButton("Configurar...", this);
    btnConfigurar->setObjectName("btnConfigurar");
    btnConfigurar->setAutoDefault(false);
    btnCancelar->setAutoDefault(false);

    auto* campos = new QVBoxLayout;
    campos->addWidget(lblBanco);
    campos->addWidget(cbxBanco);
    campos->addWidget(chkAutomatico);
    campos->addSpacing(6);
    campos->addWidget(new QLabel("Seu nome:", this));
    campos->addWidget(edtNome);
    campos->addWidget(new QLabel("Sua senha:", this));
    campos->addWidget(edtSenha);
    campos->addStretch();
    auto* botoes = new QVBoxLayout;
    botoes->addWidget(btnOK);
    botoes->addWidget(btnCancelar);
    botoes->addSpacing(12);
    botoes->addWidget(btnConfigurar);
    botoes->addStretch();
    auto* tudo = new QHBoxLayout(this);
    tudo->addLayout(campos, 1);
    tudo->addLayout(botoes);

    connect(btnOK, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnOKClick(); }); });
    connect(btnCancelar, &QPushButton::clicked, this, [this] { btnCancelarClick(); });
    connect(btnConfigurar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnConfigurarClick(); }); });
}

void TConexaoADO::RestaurarMemoria() {
    const ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Produto);
    edtNome->setText(memoria.Ler("edtNome.Text").toString());
    Bancos = ListaSemSenhas(memoria.Ler("Bancos.Strings").toStringList());
    ConexaoLenta = memoria.Ler("ConexaoLenta.Strings").toStringList();
    const int indice = memoria.Ler("cbxBanco.ItemIndex", -1).toInt();
    RecarregarNomes();
    if (indice >= 0 && indice < cbxBanco->count()) cbxBanco->setCurrentIndex(indice);
}

void TConexaoADO::GravarMemoria() {
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Produto);
    memoria.Gravar("edtNome.Text", edtNome->text());
    memoria.Gravar("Bancos.Strings", Bancos);
    memoria.Gravar("ConexaoLenta.Strings", ConexaoLenta);
    memoria.Gravar("cbxBanco.ItemIndex", cbxBanco->currentIndex());
    memoria.Confirmar();
}

void TConexaoADO::RecarregarNomes() {
    cbxBanco->clear();
    cbxBanco->addItems(NomesDasConexoes(Bancos));
}

void TConexaoADO::MemoriaRestorePlacement() {
    RecarregarNomes();
    if (cbxBanco->count() > 0) cbxBanco->setCurrentIndex(0);
    contagemPreparada_ = static_cast<int>(Bancos.size());
}

void TConexaoADO::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    edtSenha->clear();
    if (edtNome->text().isEmpty())
        edtNome->setFocus();
    else
        edtSenha->setFocus();
}

std::string TConexaoADO::ObterConexao(bool automatico, bool automaticoPermitido) {
    RestaurarMemoria();
    MemoriaRestorePlacement();
    chkAutomatico->setVisible(automaticoPermitido);
    std::string resultado = banco_;
    if (automatico) return resultado;
    if (chkAutomatico->isChecked() && automaticoPermitido) return resultado;

    edtSenha->clear();
    const int saida = exec();
    GravarMemoria();
    if (saida != QDialog::Accepted) throw Cancelamento();

    resultado = banco_;
    const std::string nome = edtNome->text().toStdString();
    resultado = db::AlterarValorDaConexao(resultado, "User ID", nome);
    resultado = db::AlterarValorDaConexao(resultado, "Password", edtSenha->text().toStdString());
    if (!nome.empty()) {
        resultado = db::AlterarValorDaConexao(resultado, "Persist Security Info", "True");
        resultado = db::AlterarValorDaConexao(resultado, "Integrated Security", "Remover");
    }
    return resultado;
}

void TConexaoADO::btnOKClick() {
    CursorDeEspera espera;
    banco_.clear();
    const QString nome = cbxBanco->currentText();
    const int achado = IndiceDaConexao(Bancos, nome);
    if (achado >= 0) banco_ = ValorDaEntrada(Bancos[achado]).toStdString();
    if (banco_.empty())
        throw ErroDeEntrada(
            "Você precisa configurar a conexão. Informe um nome em \"Banco de Dados\" para "
            "identificar a conexão e clique em \"Configurar...\" para informar os parâmetros");

    DefinirValorDoNome(Bancos, kConexaoAutomatica, chkAutomatico->isChecked() ? "S" : "N");

    // The entry found by name goes to the front: when the name was typed rather than
    // picked, the combo box position says nothing about which entry it is.
    Bancos.move(achado, 0);
    while (Bancos.size() > kMaximoDeBancos) Bancos.removeLast();
    RecarregarNomes();
    cbxBanco->setCurrentIndex(0);
    accept();
}

void TConexaoADO::btnConfigurarClick() {
    const QString nome = cbxBanco->currentText();
    if (nome.isEmpty())
        throw ErroDeEntrada(
            "Para configurar é necessário informar um nome em \"Banco de Dados\" para "
            "identificar a conexão");
    if (IndiceDaConexao(Bancos, nome) < 0 && IndiceDoNome(Bancos, nome) >= 0)
        throw ErroDeEntrada("O nome \"" + nome.toStdString() +
                            "\" é usado pelo programa; escolha outro para identificar a conexão");
    const int achado = IndiceDaConexao(Bancos, nome);
    banco_ = achado < 0 ? std::string() : ValorDaEntrada(Bancos[achado]).toStdString();
    if (banco_.empty()) banco_ = kCadeiaPadrao;
    // No hourglass over the editor: the user is typing there.
    banco_ = EditorDeConexao(this, banco_);
    CursorDeEspera espera;
    // Kept without its password: the login typed in the dialog supplies it.
    DefinirValorDoNome(Bancos, nome, QString::fromStdString(db::RemoverSenhaDaConexao(banco_)));
    RecarregarNomes();
    cbxBanco->setCurrentIndex(cbxBanco->findText(nome, Qt::MatchFixedString));
    cbxBanco->setEditText(nome);
}

void TConexaoADO::btnCancelarClick() {
    reject();
}

void TConexaoADO::reject() {
    // Entries added by "Configurar..." while the dialog was open leave no trace.
    while (Bancos.size() > contagemPreparada_) Bancos.removeLast();
    QDialog::reject();
}

}  // namespace zolvek::app
