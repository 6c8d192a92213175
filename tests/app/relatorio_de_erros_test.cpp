#include "app/relatorio_de_erros.hpp"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QTextDocument>

#include "auxiliares.hpp"
#include "comum/erros.hpp"

namespace zolvek::app {
namespace {

class RelatorioDeErrosTeste : public teste::TesteDeJanela {
  protected:
    RelatorioDeErros Relatorio() const {
        return {"Análise do banco de dados: Erros",
                {"Tabela", "Campo", "Função", "Descrição", "Comando"},
                {{"CLIENTES", "CODIGO", "CriarIndices", "Erro <grave> & sério",
                  "create index [X] on [CLIENTES]"},
                 {"PEDIDOS", "", "", "Outro", ""}}};
    }
};

TEST_F(RelatorioDeErrosTeste, DocumentoTemTituloColunasELinhas) {
    const auto documento = MontarDocumentoDoRelatorio(Relatorio());
    const QString texto = documento->toPlainText();
    EXPECT_TRUE(texto.startsWith("Análise do banco de dados: Erros"));
    for (const char* parte : {"Tabela", "Campo", "Função", "Descrição", "Comando", "CLIENTES",
                              "Erro <grave> & sério", "create index [X] on [CLIENTES]", "PEDIDOS"})
        EXPECT_TRUE(texto.contains(QString::fromUtf8(parte))) << parte;
}

TEST_F(RelatorioDeErrosTeste, PdfGravadoOuErroNuncaSucessoFalso) {
    const QString arquivo = QString::fromStdString((Pasta() / "erros.pdf").string());
    QFile antigo(arquivo);
    ASSERT_TRUE(antigo.open(QIODevice::WriteOnly));
    antigo.write("velho");
    antigo.close();
    GravarRelatorioEmPdf(Relatorio(), arquivo);
    QFile pdf(arquivo);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("%%EOF"));

    const QString semPasta = QString::fromStdString((Pasta() / "nao_existe" / "x.pdf").string());
    EXPECT_THROW(GravarRelatorioEmPdf(Relatorio(), semPasta), Erro);
    EXPECT_FALSE(QFile::exists(semPasta));
}

TEST_F(RelatorioDeErrosTeste, SemImpressoraOfereceSalvarEmPdf) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "esta máquina tem impressora: o caminho do PDF não é o oferecido";
    const QString arquivo = QString::fromStdString((Pasta() / "relatorio").string());
    teste::RespondedorDeCaixas respondedor;
    teste::QuandoPossivel([&] {
        auto* dialogo = teste::JanelaVisivel<QFileDialog>();
        if (!dialogo) return false;
        EXPECT_TRUE(dialogo->windowTitle().contains("PDF"));
        // Typed into the name box (selectFile leaves a focused box as it is).
        auto* nome = dialogo->findChild<QLineEdit*>("fileNameEdit");
        if (!nome) return false;
        nome->setText(arquivo);
        QMetaObject::invokeMethod(dialogo, "accept");
        return true;
    });
    ImprimirRelatorio(Relatorio(), nullptr);
    EXPECT_TRUE(QFile::exists(arquivo + ".pdf"));
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Informação");
    EXPECT_TRUE(respondedor.caixas[0].texto.contains("relatorio.pdf"));
}

}  // namespace
}  // namespace zolvek::app
