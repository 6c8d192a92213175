#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QTextDocument;
class QWidget;

// The printed error list of a progress window: a title, the column captions and one
// line per row.
namespace zolvek::app {

struct RelatorioDeErros {
    QString titulo;  // "Análise do banco de dados: Erros"
    QStringList colunas;
    QList<QStringList> linhas;
};

// The report as a document ready to print: the title, the date it was issued and a
// table with the captions as its header row (repeated on every page).
std::unique_ptr<QTextDocument> MontarDocumentoDoRelatorio(const RelatorioDeErros& relatorio);

// Writes the report as a PDF file, replacing an existing one. Raises Erro when the
// file was not written whole.
void GravarRelatorioEmPdf(const RelatorioDeErros& relatorio, const QString& arquivo);

// Prints the report: with a printer, the preview with its print dialog; without one,
// asks where to save it as PDF and says where it went.
void ImprimirRelatorio(const RelatorioDeErros& relatorio, QWidget* pai);

}  // namespace zolvek::app
