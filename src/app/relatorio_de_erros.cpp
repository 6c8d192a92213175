#include "app/relatorio_de_erros.hpp"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

#include "app/dialogo_de_arquivo.hpp"
#include "app/mensagens.hpp"
#include "comum/erros.hpp"

namespace zolvek::app {

namespace {

QString HtmlDoRelatorio(const RelatorioDeErros& relatorio) {
    QString html = "<html><body>";
    html += "<h2>" + relatorio.titulo.toHtmlEscaped() + "</h2>";
    html += "<p>Emitido em " +
            QLocale().toString(QDateTime::currentDateTime(), "dd/MM/yyyy hh:mm") + " &mdash; " +
            QString::number(relatorio.linhas.size()) + " erro(s)</p>";
    html +=
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
        "style=\"border-collapse: collapse\"><thead><tr>";
    for (const QString& coluna : relatorio.colunas)
        html += "<th align=\"left\" bgcolor=\"#e0e0e0\">" + coluna.toHtmlEscaped() + "</th>";
    html += "</tr></thead><tbody>";
    for (const QStringList& linha : relatorio.linhas) {
        html += "<tr>";
        for (int i = 0; i < relatorio.colunas.size(); ++i)
            html += "<td>" + linha.value(i).toHtmlEscaped().replace('\n', "<br>") + "</td>";
        html += "</tr>";
    }
    html += "</tbody></table></body></html>";
    return html;
}

// A PDF writer leaves no error behind: the file is whole when it ends with the
// end-of-file marker.
bool PdfCompleto(const QString& arquivo) {
    QFile pdf(arquivo);
    if (!pdf.open(QIODevice::ReadOnly) || pdf.size() < 16) return false;
    if (!pdf.read(5).startsWith("%PDF")) return false;
    pdf.seek(std::max<qint64>(0, pdf.size() - 64));
    return pdf.readAll().contains("%%EOF");
}

void SalvarComoPdf(const RelatorioDeErros& relatorio, QWidget* pai) {
    QString arquivo = EscolherArquivoParaGravar(
        pai, "Não há impressora instalada: salvar o relatório em PDF",
        QDir::home().filePath(relatorio.titulo.section(':', 0, 0) + " - Erros.pdf"),
        "Documentos PDF (*.pdf)");
    if (arquivo.isEmpty()) return;
    if (!arquivo.endsWith(".pdf", Qt::CaseInsensitive)) arquivo += ".pdf";
    GravarRelatorioEmPdf(relatorio, arquivo);
    MostrarInformacao("Relatório gravado em '" + QDir::toNativeSeparators(arquivo) + "'");
}

}  // namespace

std::unique_ptr<QTextDocument> MontarDocumentoDoRelatorio(const RelatorioDeErros& relatorio) {
    auto documento = std::make_unique<QTextDocument>();
    QFont fonte = documento->defaultFont();
    fonte.setPointSize(9);
    documento->setDefaultFont(fonte);
    documento->setHtml(HtmlDoRelatorio(relatorio));
    documento->setMetaInformation(QTextDocument::DocumentTitle, relatorio.titulo);
    return documento;
}

void GravarRelatorioEmPdf(const RelatorioDeErros& relatorio, const QString& arquivo) {
    const QString nome = QDir::toNativeSeparators(arquivo);
    // An old file left in place would pass for the new one.
    if (QFile::exists(arquivo) && !QFile::remove(arquivo))
        throw Erro(("Não foi possível substituir o arquivo '" + nome + "'").toStdString());
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setOutputFormat(QPrinter::PdfFormat);
    impressora.setOutputFileName(arquivo);
    impressora.setPageOrientation(QPageLayout::Landscape);
    impressora.setDocName(relatorio.titulo);
    impressora.setPdfVersion(QPagedPaintDevice::PdfVersion_1_4);
    MontarDocumentoDoRelatorio(relatorio)->print(&impressora);
    if (!PdfCompleto(arquivo)) {
        QFile::remove(arquivo);
        throw Erro(("Não foi possível gravar o arquivo '" + nome + "'").toStdString());
    }
}

void ImprimirRelatorio(const RelatorioDeErros& relatorio, QWidget* pai) {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        SalvarComoPdf(relatorio, pai);
        return;
    }
    const auto documento = MontarDocumentoDoRelatorio(relatorio);
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setPageOrientation(QPageLayout::Landscape);
    impressora.setDocName(relatorio.titulo);
    QPrintPreviewDialog previa(&impressora, pai);
    previa.setWindowTitle(relatorio.titulo);
    QObject::connect(&previa, &QPrintPreviewDialog::paintRequested,
                     [&documento](QPrinter* destino) { documento->print(destino); });
    previa.exec();
}

}  // namespace zolvek::app
