#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace zolvek::app {

// A plain script editor for a text kept in the database: "Importar..." reads a file
// into it, "Exportar..." writes it to a file, "OK" confirms, "Cancelar" leaves the
// stored text as it was.
class TEditorDeTexto : public QDialog {
    Q_OBJECT

  public:
    TEditorDeTexto(const QString& titulo, const QString& texto, QWidget* pai = nullptr);

    QString Texto() const;
    void btnImportarClick();
    void btnExportarClick();

    // File work, apart from the dialogs. Raise Erro with the reason on failure.
    void ImportarArquivo(const QString& arquivo);
    void ExportarArquivo(const QString& arquivo) const;

    QPlainTextEdit* edtScript;
    QPushButton* btnImportar;
    QPushButton* btnExportar;
    QPushButton* btnOk;
    QPushButton* btnCancelar;
};

}  // namespace zolvek::app
