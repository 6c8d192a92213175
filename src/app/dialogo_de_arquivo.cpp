#include "app/dialogo_de_arquivo.hpp"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace zolvek::app {

namespace {

// The dialog's file list with the columns "Tipo" of folders and "Data de modificação"
// written in Portuguese (the titles already come from Qt's translations).
class ArquivosEmPortugues : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& indice, int papel) const override {
        constexpr int kTipo = 2, kData = 3;
        auto* arquivos = qobject_cast<QFileSystemModel*>(sourceModel());
        if (papel != Qt::DisplayRole || !arquivos ||
            (indice.column() != kTipo && indice.column() != kData))
            return QIdentityProxyModel::data(indice, papel);
        const QFileInfo info = arquivos->fileInfo(mapToSource(indice));
        if (indice.column() == kData)
            return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        if (info.isDir()) return QStringLiteral("Pasta");
        return QIdentityProxyModel::data(indice, papel);
    }
};

QString Escolhida(QFileDialog& dialogo) {
    PrepararDialogoDeArquivo(dialogo);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return {};
    return dialogo.selectedFiles().front();
}

}  // namespace

void PrepararDialogoDeArquivo(QFileDialog& dialogo) {
    // Used by Qt's own dialog only; a platform's dialog speaks the system's language.
    dialogo.setProxyModel(new ArquivosEmPortugues(&dialogo));
}

QString EscolherArquivoParaGravar(QWidget* pai, const QString& titulo, const QString& inicial,
                                  const QString& filtro) {
    QFileDialog dialogo(pai, titulo, inicial, filtro);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setFileMode(QFileDialog::AnyFile);
    return Escolhida(dialogo);
}

QString EscolherPasta(QWidget* pai, const QString& titulo, const QString& inicial) {
    QFileDialog dialogo(pai, titulo, inicial);
    dialogo.setFileMode(QFileDialog::Directory);
    dialogo.setOption(QFileDialog::ShowDirsOnly);
    return Escolhida(dialogo);
}

}  // namespace zolvek::app
