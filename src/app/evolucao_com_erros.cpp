#include "app/evolucao_com_erros.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "admin/erros_nas_informacoes_tecnicas.hpp"
#include "app/mensagens.hpp"

namespace zolvek::app {

TListaDeErros::TListaDeErros(const std::vector<ColunaDeErro>& colunas, QWidget* pai)
    : QTreeWidget(pai) {
    setObjectName("lstErros");
    setColumnCount(static_cast<int>(colunas.size()));
    QStringList titulos;
    for (const auto& c : colunas) titulos << c.titulo;
    setHeaderLabels(titulos);
    for (std::size_t i = 0; i < colunas.size(); ++i)
        setColumnWidth(static_cast<int>(i), colunas[i].largura);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
}

void TListaDeErros::Adicionar(const QStringList& textos) {
    auto* item = new QTreeWidgetItem(this, textos);
    for (int i = 0; i < textos.size(); ++i) item->setToolTip(i, textos[i]);
    scrollToItem(item);
}

QStringList TListaDeErros::Titulos() const {
    QStringList titulos;
    for (int i = 0; i < columnCount(); ++i) titulos << headerItem()->text(i);
    return titulos;
}

QList<QStringList> TListaDeErros::Linhas() const {
    QList<QStringList> linhas;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QStringList textos;
        for (int c = 0; c < columnCount(); ++c) textos << topLevelItem(i)->text(c);
        linhas << textos;
    }
    return linhas;
}

std::vector<std::string> TListaDeErros::BlocoDeInformacoesTecnicas() const {
    std::vector<std::string> titulos;
    for (const QString& t : Titulos()) titulos.push_back(t.toStdString());
    std::vector<std::vector<std::string>> linhas;
    for (const QStringList& l : Linhas()) {
        linhas.emplace_back();
        for (const QString& t : l) linhas.back().push_back(t.toStdString());
    }
    return admin::BlocoDosErros(titulos, linhas);
}

QString TListaDeErros::InformacoesTecnicas() const {
    QStringList linhas;
    for (const auto& l : BlocoDeInformacoesTecnicas()) linhas << QString::fromStdString(l);
    return linhas.join("\r\n");
}

TEvolucaoComErros::TEvolucaoComErros(QWidget* pai, const QString& tituloDoRelatorio,
                                     const std::vector<ColunaDeErro>& colunas)
    : TEvolucao(pai), tituloDoRelatorio_(tituloDoRelatorio) {
    lblErros = new QLabel("Erros:", this);
    lblErros->setObjectName("lblErros");
    lblImprimirErros = new QLabel(this);
    lblImprimirErros->setObjectName("lblImprimirErros");
    lblImprimirErros->setText(
        "<a href=\"#\" style=\"color:#ff0000; text-decoration:underline\">"
        "Imprimir os erros listados abaixo</a>");
    lblImprimirErros->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                              Qt::LinksAccessibleByKeyboard);
    lblImprimirErros->setCursor(Qt::PointingHandCursor);
    lblImprimirErros->hide();
    connect(lblImprimirErros, &QLabel::linkActivated, this,
            [this] { ExecutarComando([this] { lblImprimirErrosClick(); }); });
    lstErros = new TListaDeErros(colunas, this);
    lblErros->setBuddy(lstErros);

    auto* linha = new QHBoxLayout;
    linha->addWidget(lblErros);
    linha->addStretch();
    linha->addWidget(lblImprimirErros);
    Corpo()->addLayout(linha);
    Corpo()->addWidget(lstErros, 1);
}

void TEvolucaoComErros::AdicionarErro(const QStringList& textos) {
    lstErros->Adicionar(textos);
}

RelatorioDeErros TEvolucaoComErros::Relatorio() const {
    return {tituloDoRelatorio_, lstErros->Titulos(), lstErros->Linhas()};
}

void TEvolucaoComErros::lblImprimirErrosClick() {
    ImprimirRelatorio(Relatorio(), this);
}

void TEvolucaoComErros::AoFinalizar() {
    lblImprimirErros->setVisible(QuantidadeDeErros() > 0);
}

}  // namespace zolvek::app
