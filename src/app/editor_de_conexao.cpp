#include "app/editor_de_conexao.hpp"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/cursor_de_espera.hpp"
#include "app/dialogo_de_arquivo.hpp"
#include "app/mensagens.hpp"
#include "db/cadeia_de_conexao.hpp"
#include "db/conexao.hpp"

namespace zolvek::app {

namespace {

constexpr const char* kProvedorSqlServer = "SQLOLEDB.1";
constexpr const char* kProvedorSimulador = "Simulador";

std::string Valor(const std::string& cadeia, const char* chave) {
    return db::ObterValorDaConexao(cadeia, chave);
}

bool TemChave(const std::string& cadeia, const std::string& chave) {
    for (const auto& entrada : QString::fromStdString(cadeia).split(';'))
        if (entrada.section('=', 0, 0).toStdString() == chave && entrada.contains('=')) return true;
    return false;
}

// Sets the key when there is a value; removes it when the value is empty and the
// string has it. Empty segments left by a removal are dropped.
std::string Ajustar(const std::string& cadeia, const std::string& chave, const std::string& valor,
                    bool manterVazio = false) {
    if (!valor.empty() || manterVazio) return db::AlterarValorDaConexao(cadeia, chave, valor);
    if (!TemChave(cadeia, chave)) return cadeia;
    QStringList partes = QString::fromStdString(db::AlterarValorDaConexao(cadeia, chave, "Remover"))
                             .split(';', Qt::SkipEmptyParts);
    return partes.join(';').toStdString();
}

}  // namespace

TEditorDeConexao::TEditorDeConexao(QWidget* pai, const std::string& cadeiaInicial)
    : QDialog(pai), cadeiaInicial_(cadeiaInicial) {
    setObjectName("EditorDeConexao");
    setWindowTitle("Propriedades da conexão");

    cbxProvedor = new QComboBox(this);
    cbxProvedor->setObjectName("cbxProvedor");
    cbxProvedor->addItem("Microsoft SQL Server (ODBC)", kProvedorSqlServer);
    cbxProvedor->addItem("Simulador (banco embutido, para testes)", kProvedorSimulador);
    const std::string provedor = Valor(cadeiaInicial, "Provider");
    if (provedor == kProvedorSimulador)
        cbxProvedor->setCurrentIndex(1);
    else if (!provedor.empty() && provedor != kProvedorSqlServer) {
        // A provider this dialog does not know is kept unless the user picks another.
        cbxProvedor->addItem(QString::fromStdString(provedor), QString::fromStdString(provedor));
        cbxProvedor->setCurrentIndex(2);
    }

    edtServidor = new QLineEdit(QString::fromStdString(Valor(cadeiaInicial, "Data Source")), this);
    edtServidor->setObjectName("edtServidor");
    btnProcurarPasta = new QPushButton("...", this);
    btnProcurarPasta->setObjectName("btnProcurarPasta");
    btnProcurarPasta->setAutoDefault(false);
    btnProcurarPasta->setFixedWidth(32);
    edtBanco = new QLineEdit(QString::fromStdString(Valor(cadeiaInicial, "Initial Catalog")), this);
    edtBanco->setObjectName("edtBanco");

    rbtWindows = new QRadioButton("Usar a autenticação do Windows", this);
    rbtWindows->setObjectName("rbtWindows");
    rbtSqlServer = new QRadioButton("Usar nome de usuário e senha do SQL Server", this);
    rbtSqlServer->setObjectName("rbtSqlServer");
    auto* grupo = new QButtonGroup(this);
    grupo->addButton(rbtWindows);
    grupo->addButton(rbtSqlServer);
    const bool integrada =
        !Valor(cadeiaInicial, "Integrated Security").empty() || !TemChave(cadeiaInicial, "User ID");
    (integrada ? rbtWindows : rbtSqlServer)->setChecked(true);
    edtUsuario = new QLineEdit(QString::fromStdString(Valor(cadeiaInicial, "User ID")), this);
    edtUsuario->setObjectName("edtUsuario");
    edtSenha = new QLineEdit(QString::fromStdString(Valor(cadeiaInicial, "Password")), this);
    edtSenha->setObjectName("edtSenha");
    edtSenha->setEchoMode(QLineEdit::Password);
    btnTestar = new QPushButton("Testar conexão", this);
    btnTestar->setObjectName("btnTestar");
    btnTestar->setAutoDefault(false);

    auto* linhaServidor = new QHBoxLayout;
    linhaServidor->addWidget(edtServidor);
    linhaServidor->addWidget(btnProcurarPasta);
    auto* formulario = new QFormLayout;
    formulario->addRow("Provedor:", cbxProvedor);
    lblServidor_ = new QLabel("Servidor:", this);
    formulario->addRow(lblServidor_, linhaServidor);
    formulario->addRow("Banco de dados:", edtBanco);

    auto* caixaLogin = new QGroupBox("Logon no servidor", this);
    auto* login = new QFormLayout(caixaLogin);
    login->addRow(rbtWindows);
    login->addRow(rbtSqlServer);
    login->addRow("Nome de usuário:", edtUsuario);
    login->addRow("Senha:", edtSenha);

    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    botoes->button(QDialogButtonBox::Cancel)->setText("Cancelar");
    auto* rodape = new QHBoxLayout;
    rodape->addWidget(btnTestar);
    rodape->addStretch();
    rodape->addWidget(botoes);

    auto* tudo = new QVBoxLayout(this);
    tudo->addLayout(formulario);
    tudo->addWidget(caixaLogin);
    tudo->addStretch();
    tudo->addLayout(rodape);
    setMinimumWidth(460);

    connect(botoes, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnTestar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnTestarClick(); }); });
    connect(btnProcurarPasta, &QPushButton::clicked, this, [this] {
        const QString pasta = EscolherPasta(this, "Pasta do servidor", edtServidor->text());
        if (!pasta.isEmpty()) edtServidor->setText(pasta);
    });
    connect(cbxProvedor, &QComboBox::currentIndexChanged, this, [this] { AtualizarCampos(); });
    connect(rbtWindows, &QRadioButton::toggled, this, [this] { AtualizarCampos(); });
    AtualizarCampos();
}

void TEditorDeConexao::AtualizarCampos() {
    const bool simulador = cbxProvedor->currentData().toString() == kProvedorSimulador;
    lblServidor_->setText(simulador ? "Pasta:" : "Servidor:");
    btnProcurarPasta->setVisible(simulador);
    edtUsuario->setEnabled(rbtSqlServer->isChecked());
    edtSenha->setEnabled(rbtSqlServer->isChecked());
}

std::string TEditorDeConexao::MontarCadeia() const {
    std::string cadeia = cadeiaInicial_;
    cadeia = Ajustar(cadeia, "Provider", cbxProvedor->currentData().toString().toStdString());
    cadeia = Ajustar(cadeia, "Data Source", edtServidor->text().trimmed().toStdString());
    cadeia = Ajustar(cadeia, "Initial Catalog", edtBanco->text().trimmed().toStdString());
    if (rbtWindows->isChecked()) {
        cadeia = Ajustar(cadeia, "Integrated Security", "SSPI");
        cadeia = Ajustar(cadeia, "User ID", "");
        cadeia = Ajustar(cadeia, "Password", "");
    } else {
        cadeia = Ajustar(cadeia, "Integrated Security", "");
        cadeia = Ajustar(cadeia, "User ID", edtUsuario->text().toStdString(), true);
        cadeia = Ajustar(cadeia, "Password", edtSenha->text().toStdString(), true);
    }
    return cadeia;
}

void TEditorDeConexao::btnTestarClick() {
    {
        CursorDeEspera espera;
        db::Conexao teste;
        teste.DefinirStringDeConexao(MontarCadeia());
        teste.Abrir();
        teste.Fechar();
    }
    MostrarInformacao("Conexão testada com sucesso.");
}

std::string PromptDataSource(QWidget* pai, const std::string& cadeiaInicial) {
    TEditorDeConexao editor(pai, cadeiaInicial);
    return editor.exec() == QDialog::Accepted ? editor.MontarCadeia() : cadeiaInicial;
}

}  // namespace zolvek::app
