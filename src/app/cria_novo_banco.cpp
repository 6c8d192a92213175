#include "app/cria_novo_banco.hpp"

#include <QFormLayout>
#include <QVBoxLayout>

#include "admin/novo_banco.hpp"
#include "app/administrador_do_servidor.hpp"
#include "app/configuracoes.hpp"
#include "app/mensagens.hpp"

namespace zolvek::app {

namespace {

QLineEdit* Campo(QWidget* pai, const char* nome) {
    auto* campo = new QLineEdit(pai);
    campo->setObjectName(nome);
    return campo;
}

}  // namespace

TCriaNovoBancoDeDados::TCriaNovoBancoDeDados(QWidget* pai)
    : TDialogoDoServidor(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("CriaNovoBancoDeDados");
    setWindowTitle("Novo banco de dados");
    edtNome = Campo(this, "edtNome");
    edtServidor = Campo(this, "edtServidor");
    edtPasta = Campo(this, "edtPasta");
    edtPasta->setText(admin::kPastaPadraoDoNovoBanco);
    edtPasta->setMinimumWidth(320);
    edtTamanhoDoLog = new QSpinBox(this);
    edtTamanhoDoLog->setObjectName("edtTamanhoDoLog");
    edtTamanhoDoLog->setRange(5, 500);
    edtTamanhoDoLog->setValue(100);
    edtLogin = Campo(this, "edtLogin");
    edtLogin->setText("sa");
    edtSenha = Campo(this, "edtSenha");

    auto* campos = new QFormLayout;
    campos->addRow("&Nome", edtNome);
    campos->addRow("&Servidor", edtServidor);
    campos->addRow("&Pasta", edtPasta);
    campos->addRow("&Tamanho máximo do arquivo de 'log'", edtTamanhoDoLog);
    auto* tudo = new QVBoxLayout(this);
    tudo->addLayout(campos);
    const auto botoes = TerminarComAdministrador(tudo, edtLogin, edtSenha);
    btnExecutar = botoes.executar;
    btnCancelar = botoes.cancelar;

    connect(edtNome, &QLineEdit::textChanged, this, [this] { HabilitarExecutar(); });
    connect(edtServidor, &QLineEdit::textChanged, this, [this] { HabilitarExecutar(); });
    connect(btnExecutar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnExecutarClick(); }); });
    RestaurarMemoria();
    HabilitarExecutar();
}

TCriaNovoBancoDeDados::~TCriaNovoBancoDeDados() {
    try {
        GravarMemoria();
    } catch (...) {
        // Values that could not be remembered are typed again next time.
    }
}

void TCriaNovoBancoDeDados::RestaurarMemoria() {
    const ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    edtServidor->setText(memoria.Ler("edtServidor.Text", edtServidor->text()).toString());
    edtPasta->setText(memoria.Ler("edtPasta.Text", edtPasta->text()).toString());
    edtTamanhoDoLog->setValue(memoria.Ler("edtTamanhoDoLog.Value", 100).toInt());
    edtLogin->setText(memoria.Ler("edtLogin.Text", edtLogin->text()).toString());
}

void TCriaNovoBancoDeDados::GravarMemoria() {
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    memoria.Gravar("edtServidor.Text", edtServidor->text());
    memoria.Gravar("edtPasta.Text", edtPasta->text());
    memoria.Gravar("edtTamanhoDoLog.Value", edtTamanhoDoLog->value());
    memoria.Gravar("edtLogin.Text", edtLogin->text());
    memoria.Confirmar();
}

void TCriaNovoBancoDeDados::HabilitarExecutar() {
    btnExecutar->setEnabled(
        admin::PodeCriarBanco(edtNome->text().toStdString(), edtServidor->text().toStdString()));
}

void TCriaNovoBancoDeDados::btnExecutarClick() {
    admin::DadosDoNovoBanco dados;
    dados.nome = edtNome->text().toStdString();
    dados.servidor = edtServidor->text().toStdString();
    dados.pasta = edtPasta->text().toStdString();
    dados.tamanhoMaximoDoLog = edtTamanhoDoLog->value();
    dados.login = edtLogin->text().toStdString();
    dados.senha = edtSenha->text().toStdString();
    ExecutarNoServidor([dados] { admin::CriarNovoBanco(dados); });
    accept();
}

void CriarNovoBancoDeDados(QWidget* pai) {
    TCriaNovoBancoDeDados dialogo(pai);
    if (dialogo.Mostrar()) MostrarInformacao(admin::kMensagemBancoCriado);
}

}  // namespace zolvek::app
