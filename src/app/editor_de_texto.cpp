#include "app/editor_de_texto.hpp"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "app/mensagens.hpp"
#include "comum/erros.hpp"

namespace zolvek::app {

namespace {

const char* const kFiltro = "Comandos (*.sql);;Todos (*.*)";

QString NomeNativo(const QString& arquivo) {
    return QDir::toNativeSeparators(arquivo);
}

// Scripts written on Windows are usually in its ANSI code page; UTF-8 when valid.
QString DecodificarScript(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texto = utf8(bytes);
    if (!utf8.hasError()) return texto;
    QStringDecoder ansi("windows-1252");
    return ansi.isValid() ? ansi(bytes) : QString::fromLatin1(bytes);
}

}  // namespace

TEditorDeTexto::TEditorDeTexto(const QString& titulo, const QString& texto, QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName("EditorDeTexto");
    setWindowTitle(titulo);
    setSizeGripEnabled(true);
    edtScript = new QPlainTextEdit(this);
    edtScript->setObjectName("edtScript");
    edtScript->setLineWrapMode(QPlainTextEdit::NoWrap);
    edtScript->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edtScript->setPlainText(texto);
    auto botao = [this](QPushButton*& b, const char* nome, const char* rotulo) {
        b = new QPushButton(rotulo, this);
        b->setObjectName(nome);
        b->setAutoDefault(false);
    };
    botao(btnImportar, "btnAbrir", "&Importar...");
    botao(btnExportar, "btnSalvar", "&Exportar...");
    botao(btnOk, "btnOk", "&OK");
    botao(btnCancelar, "btnFechar", "&Cancelar");
    connect(btnImportar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnImportarClick(); }); });
    connect(btnExportar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnExportarClick(); }); });
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(btnImportar);
    botoes->addWidget(btnExportar);
    botoes->addStretch();
    botoes->addWidget(btnOk);
    botoes->addWidget(btnCancelar);
    auto* pilha = new QVBoxLayout(this);
    pilha->addWidget(edtScript, 1);
    pilha->addLayout(botoes);
    resize(640, 440);
}

QString TEditorDeTexto::Texto() const {
    return edtScript->toPlainText();
}

void TEditorDeTexto::ImportarArquivo(const QString& arquivo) {
    QFile entrada(arquivo);
    if (!entrada.open(QIODevice::ReadOnly))
        throw Erro(("Não foi possível abrir o arquivo '" + NomeNativo(arquivo) +
                    "': " + entrada.errorString())
                       .toStdString());
    edtScript->setPlainText(DecodificarScript(entrada.readAll()));
}

void TEditorDeTexto::ExportarArquivo(const QString& arquivo) const {
    QSaveFile saida(arquivo);
    QByteArray bytes = Texto().toUtf8();
    bytes.replace("\n", "\r\n");
    if (!saida.open(QIODevice::WriteOnly) || saida.write(bytes) != bytes.size() || !saida.commit())
        throw Erro(("Não foi possível gravar o arquivo '" + NomeNativo(arquivo) +
                    "': " + saida.errorString())
                       .toStdString());
}

void TEditorDeTexto::btnImportarClick() {
    const QString arquivo = QFileDialog::getOpenFileName(this, "Importar", QString(), kFiltro);
    if (!arquivo.isEmpty()) ImportarArquivo(arquivo);
}

void TEditorDeTexto::btnExportarClick() {
    QFileDialog dialogo(this, "Exportar", QString(), kFiltro);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setDefaultSuffix("sql");
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return;
    ExportarArquivo(dialogo.selectedFiles().front());
}

}  // namespace zolvek::app
