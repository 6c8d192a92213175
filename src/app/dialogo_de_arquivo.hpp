#pragma once

#include <QFileDialog>
#include <QString>

class QWidget;

// The program's file dialogs. Qt's own dialog takes the kind of a folder ("Folder") and
// the format of the dates from the system's settings, which need not be Portuguese:
// there it lists folders as "Pasta" and dates as the program writes them.
namespace zolvek::app {

// Makes a dialog built by the caller list in Portuguese.
void PrepararDialogoDeArquivo(QFileDialog& dialogo);

// A file to write (the dialog asks before replacing one), or a folder; empty when the
// user cancelled.
QString EscolherArquivoParaGravar(QWidget* pai, const QString& titulo, const QString& inicial,
                                  const QString& filtro);
QString EscolherPasta(QWidget* pai, const QString& titulo, const QString& inicial);

}  // namespace zolvek::app
