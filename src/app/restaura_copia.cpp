#include "app/restaura_copia.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "admin/restaurar_copia.hpp"
#include "app/administrador_do_servidor.hpp"
#include "app/configuracoes.hpp"
#include "app/mensagens.hpp"

namespace zolvek::app {

namespace {

QLineEdit* CampoDaCopia(QWidget* pai, const char* nome, const QString& texto = {}) {
    auto* campo = new QLineEdit(texto, pai);
    campo->setObjectName(nome);
    campo->setMinimumWidth(300);
    return campo;
}

// A label over its field, with the accelerator that focuses it.
void Rotulado(QVBoxLayout* pilha, const QString& rotulo, QLineEdit* campo) {
    auto* texto = new QLabel(rotulo, campo->parentWidget());
    texto->setBuddy(campo);
    pilha->addWidget(texto);
    pilha->addWidget(campo);
}

}  // namespace

TRestauraCopia::TRestauraCopia(QWidget* pai)
    : TDialogoDoServidor(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("RestauraCopia");
    setWindowTitle("Cópia de Segurança: Restauração");
    edtOrigem = CampoDaCopia(this, "edtOrigem");
    edtDestino = CampoDaCopia(this, "edtDestino");
    edtServidor = CampoDaCopia(this, "edtServidor");
    edtLogin = CampoDaCopia(this, "edtLogin", "sa");
    edtSenha = CampoDaCopia(this, "edtSenha");

    auto* tudo = new QVBoxLayout(this);
    Rotulado(tudo, "&Arquivo origem", edtOrigem);
    Rotulado(tudo, "&Banco de Dados destino (Todas as informações existentes serão perdidas)",
             edtDestino);
    Rotulado(tudo, "&Servidor", edtServidor);
    const auto botoes = TerminarComAdministrador(tudo, edtLogin, edtSenha);
    btnExecutar = botoes.executar;
    btnCancelar = botoes.cancelar;

    for (QLineEdit* campo : {edtOrigem, edtDestino, edtServidor})
        connect(campo, &QLineEdit::textChanged, this, [this] { HabilitarExecutar(); });
    connect(btnExecutar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnExecutarClick(); }); });
    RestaurarMemoria();
    HabilitarExecutar();
}

TRestauraCopia::~TRestauraCopia() {
    try {
        GravarMemoria();
    } catch (...) {
        // Values that could not be remembered are typed again next time.
    }
}

void TRestauraCopia::RestaurarMemoria() {
    const ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    for (QLineEdit* campo : {edtOrigem, edtDestino, edtServidor, edtLogin})
        campo->setText(memoria.Ler(campo->objectName() + ".Text", campo->text()).toString());
}

void TRestauraCopia::GravarMemoria() {
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    for (QLineEdit* campo : {edtOrigem, edtDestino, edtServidor, edtLogin})
        memoria.Gravar(campo->objectName() + ".Text", campo->text());
    memoria.Confirmar();
}

void TRestauraCopia::HabilitarExecutar() {
    btnExecutar->setEnabled(admin::PodeRestaurar(edtOrigem->text().toStdString(),
                                                 edtDestino->text().toStdString(),
                                                 edtServidor->text().toStdString()));
}

void TRestauraCopia::btnExecutarClick() {
    admin::DadosDaRestauracao dados;
    dados.arquivo = edtOrigem->text().toStdString();
    dados.destino = edtDestino->text().toStdString();
    dados.servidor = edtServidor->text().toStdString();
    dados.login = edtLogin->text().toStdString();
    dados.senha = edtSenha->text().toStdString();
    ExecutarNoServidor([dados] { admin::RestaurarCopia(dados); });
    accept();
}

void RestaurarCopiaDeSeguranca(QWidget* pai) {
    TRestauraCopia dialogo(pai);
    if (dialogo.Mostrar()) MostrarInformacao(admin::kMensagemCopiaRestaurada);
}

}  // namespace zolvek::app
