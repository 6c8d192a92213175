#include "app/suporte_zav.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#ifdef ZOLVEK_COM_WEBENGINE
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

#include "admin/informacoes_tecnicas.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/mensagens.hpp"

namespace zolvek::app {

std::function<void(const QUrl&, TSuporteZAV::Resposta)> TSuporteZAV::AbrirNoNavegador =
    AbrirNoNavegadorDoSistema;

namespace {

const char* const kAbrindo = "Abrindo a página de suporte no navegador...";
const char* const kAberta =
    "A página de suporte foi aberta no navegador. Preencha o formulário, cole nele a "
    "mensagem abaixo e anexe o arquivo indicado.";
const char* const kSemNavegador =
    "Não foi possível abrir o navegador. Abra o endereço abaixo num navegador, preencha o "
    "formulário, cole nele a mensagem abaixo e anexe o arquivo indicado.";

}  // namespace

#ifdef ZOLVEK_COM_WEBENGINE
namespace {

// A text as a JavaScript string literal.
QString LiteralJs(const QString& texto) {
    const QByteArray json = QJsonDocument(QJsonArray{texto}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

}  // namespace
#endif

TSuporteZAV::TSuporteZAV(QWidget* pai) : QDialog(pai) {
    setObjectName("SuporteZAV");
    setWindowTitle("Suporte ZAV");
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    auto* pilha = new QVBoxLayout(this);
#ifdef ZOLVEK_COM_WEBENGINE
    resize(862, 692);
    pilha->setContentsMargins(0, 0, 0, 0);
    navegador_ = new QWebEngineView(this);
    pilha->addWidget(navegador_);
    connect(navegador_, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (ok) PreencherFormulario();
    });
    navegador_->load(QUrl(kPaginaDeChamado));
#else
    resize(620, 340);
    lblExplicacao_ = new QLabel(kAbrindo, this);
    lblExplicacao_->setObjectName("lblExplicacao");
    lblExplicacao_->setWordWrap(true);
    auto* edtEndereco = new QLineEdit(kPaginaDeChamado, this);
    edtEndereco->setObjectName("edtEndereco");
    edtEndereco->setReadOnly(true);
    edtMensagem_ = new QPlainTextEdit(this);
    edtMensagem_->setObjectName("edtMensagem");
    edtMensagem_->setReadOnly(true);
    edtArquivo_ = new QLineEdit(this);
    edtArquivo_->setObjectName("edtArquivo");
    edtArquivo_->setReadOnly(true);
    auto* btnCopiarEndereco = new QPushButton("Copiar endereço", this);
    auto* btnCopiarMensagem = new QPushButton("Copiar mensagem", this);
    auto* btnCopiarArquivo = new QPushButton("Copiar caminho", this);
    auto* btnAbrir = new QPushButton("Abrir a página de suporte", this);
    btnAbrir->setObjectName("btnAbrir");
    auto* btnFechar = new QPushButton("Fechar", this);
    btnFechar->setDefault(true);
    auto* linhaEndereco = new QHBoxLayout;
    linhaEndereco->addWidget(edtEndereco, 1);
    linhaEndereco->addWidget(btnCopiarEndereco);
    auto* linhaArquivo = new QHBoxLayout;
    linhaArquivo->addWidget(edtArquivo_, 1);
    linhaArquivo->addWidget(btnCopiarArquivo);
    auto* rodape = new QHBoxLayout;
    rodape->addWidget(btnCopiarMensagem);
    rodape->addWidget(btnAbrir);
    rodape->addStretch();
    rodape->addWidget(btnFechar);
    pilha->addWidget(lblExplicacao_);
    pilha->addWidget(new QLabel("Página de suporte:", this));
    pilha->addLayout(linhaEndereco);
    pilha->addWidget(new QLabel("Mensagem:", this));
    pilha->addWidget(edtMensagem_, 1);
    pilha->addWidget(new QLabel("Arquivo a anexar:", this));
    pilha->addLayout(linhaArquivo);
    pilha->addLayout(rodape);
    connect(btnCopiarEndereco, &QPushButton::clicked, this,
            [] { QApplication::clipboard()->setText(kPaginaDeChamado); });
    connect(btnCopiarMensagem, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(mensagem_); });
    connect(btnCopiarArquivo, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(arquivo_); });
    connect(btnAbrir, &QPushButton::clicked, this, [this] { btnAbrirClick(); });
    connect(btnFechar, &QPushButton::clicked, this, &QDialog::accept);
#endif
}

void TSuporteZAV::Iniciar(const QString& topico, const QString& mensagem, const QString& arquivo) {
    topico_ = topico;
    mensagem_ = mensagem;
    arquivo_ = arquivo;
    if (edtMensagem_) edtMensagem_->setPlainText(mensagem);
    if (edtArquivo_) edtArquivo_->setText(arquivo);
}

void TSuporteZAV::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (parentWidget()) move(parentWidget()->frameGeometry().center() - rect().center());
#ifndef ZOLVEK_COM_WEBENGINE
    static_cast<void>(navegador_);
    if (!evento->spontaneous()) AbrirPagina(false);
#endif
}

QString TSuporteZAV::Explicacao() const {
    return lblExplicacao_ ? lblExplicacao_->text() : QString();
}

void TSuporteZAV::btnAbrirClick() {
    AbrirPagina(true);
}

void TSuporteZAV::AbrirPagina(bool avisar) {
    if (lblExplicacao_) lblExplicacao_->setText(kAbrindo);
    const QPointer<TSuporteZAV> janela(this);
    AbrirNoNavegador(QUrl(kPaginaDeChamado), [janela, avisar](bool aberta) {
        if (janela) janela->MostrarResultadoDoNavegador(aberta, avisar);
    });
}

void TSuporteZAV::MostrarResultadoDoNavegador(bool aberta, bool avisar) {
    if (lblExplicacao_) lblExplicacao_->setText(aberta ? kAberta : kSemNavegador);
    if (!aberta && avisar)
        MostrarErro(
            "Não foi possível abrir o navegador. Copie o endereço da página de suporte e "
            "abra-o num navegador.");
}

void AbrirNoNavegadorDoSistema(const QUrl& endereco, TSuporteZAV::Resposta resposta) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // xdg-open tells by its exit status whether some browser took the page; it may also
    // stay with a browser it runs in the foreground, which then counts as opened.
    auto* processo = new QProcess;
    auto respondida = std::make_shared<bool>(false);
    auto responder = [respondida, resposta](bool aberta) {
        if (std::exchange(*respondida, true)) return;
        resposta(aberta);
    };
    QObject::connect(processo, &QProcess::finished, processo,
                     [processo, responder](int codigo, QProcess::ExitStatus estado) {
                         responder(estado == QProcess::NormalExit && codigo == 0);
                         processo->deleteLater();
                     });
    QObject::connect(processo, &QProcess::errorOccurred, processo,
                     [processo, responder](QProcess::ProcessError erro) {
                         if (erro != QProcess::FailedToStart) return;
                         responder(false);
                         processo->deleteLater();
                     });
    QTimer::singleShot(3000, processo, [responder] { responder(true); });
    processo->start("xdg-open", {endereco.toString()});
#else
    resposta(QDesktopServices::openUrl(endereco));
#endif
}

void TSuporteZAV::PreencherFormulario() {
#ifdef ZOLVEK_COM_WEBENGINE
    const QString script = QString(
                               "(function(){var f=document.forms[0];if(!f)return;"
                               "if(f.elements['topicId'])f.elements['topicId'].value=%1;"
                               "if(f.elements['message'])f.elements['message'].value=%2;"
                               "var n=document.getElementById('name');if(n)n.focus();})();")
                               .arg(LiteralJs(topico_), LiteralJs(mensagem_));
    navegador_->page()->runJavaScript(script);
#endif
}

QLabel* CriarLinkDoSuporte(QWidget* pai) {
    auto* link = new QLabel(pai);
    link->setObjectName("URLdaZAV");
    link->setText(
        QString("<a href=\"%1\" style=\"color:#0000ff; text-decoration:underline\">%2</a>")
            .arg(kEnderecoDoSite, kEnderecoDoSite));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    return link;
}

void AbrirSuporteZAV(db::TModuloDados& modulo, QWidget* pai) {
    admin::PacoteDeSuporte pacote;
    {
        CursorDeEspera espera;
        pacote = admin::CriarPacoteDeSuporte(modulo);
    }
    struct Remocao {
        const admin::PacoteDeSuporte& pacote;
        ~Remocao() {
            try {
                admin::RemoverPacoteDeSuporte(pacote);
            } catch (...) {
                // A leftover temporary file is harmless.
            }
        }
    } remocao{pacote};
    TSuporteZAV suporte(pai);
    const auto texto = [](const std::string& s) { return QString::fromStdString(s); };
    suporte.Iniciar(texto(pacote.topico), texto(pacote.mensagem), texto(pacote.arquivo.string()));
    suporte.exec();
}

}  // namespace zolvek::app
