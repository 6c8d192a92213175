#include "app/dialogo_de_arquivo.hpp"

#include <QDeadlineTimer>
#include <QDir>
#include <QTreeView>

#include "auxiliares.hpp"

namespace zolvek::app {
namespace {

class DialogoDeArquivo : public teste::TesteDeJanela {};

TEST_F(DialogoDeArquivo, PastasEDatasEmPortugues) {
    QDir(QString::fromStdString(Pasta().string())).mkdir("Scripts");
    QFileDialog dialogo(nullptr, "Abrir", QString::fromStdString(Pasta().string()));
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setViewMode(QFileDialog::Detail);
    PrepararDialogoDeArquivo(dialogo);
    dialogo.show();
    auto* lista = dialogo.findChild<QTreeView*>("treeView");
    ASSERT_NE(lista, nullptr);
    // The list is read in the background: wait for the folder to show up.
    QModelIndex pasta;
    for (QDeadlineTimer prazo(30000); !pasta.isValid() && !prazo.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const auto achados = lista->model()->match(lista->model()->index(0, 0, lista->rootIndex()),
                                                   Qt::DisplayRole, "Scripts", 1, Qt::MatchExactly);
        if (!achados.isEmpty()) pasta = achados.front();
    }
    ASSERT_TRUE(pasta.isValid());
    const QAbstractItemModel* modelo = lista->model();
    EXPECT_EQ(modelo->headerData(2, Qt::Horizontal).toString(), "Tipo");
    EXPECT_EQ(modelo->index(pasta.row(), 2, pasta.parent()).data().toString(), "Pasta");
    const QString data = modelo->index(pasta.row(), 3, pasta.parent()).data().toString();
    EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$").match(data).hasMatch())
        << data.toStdString();
    teste::Capturar(dialogo, "dialogo_de_arquivo");
}

}  // namespace
}  // namespace zolvek::app
