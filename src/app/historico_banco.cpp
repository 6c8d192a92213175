#include "app/historico_banco.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "admin/historico.hpp"

namespace zolvek::app {

THistoricoBancoDeDados::THistoricoBancoDeDados(db::Conexao& conexao, QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      qryRegmov(&conexao) {
    setObjectName("HistoricoBancoDeDados");
    setWindowTitle("Banco de dados: Histórico de manutenção");
    resize(444, 262);
    admin::AbrirHistorico(qryRegmov);

    const auto& colunas = admin::ColunasDoHistorico();
    grdHistorico = new QTableWidget(this);
    grdHistorico->setObjectName("grdHistorico");
    grdHistorico->setColumnCount(static_cast<int>(colunas.size()));
    grdHistorico->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdHistorico->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdHistorico->verticalHeader()->hide();
    for (int c = 0; c < static_cast<int>(colunas.size()); ++c)
        grdHistorico->setHorizontalHeaderItem(c, new QTableWidgetItem(colunas[c].titulo));
    const auto linhas = admin::LinhasDoHistorico(qryRegmov);
    grdHistorico->setRowCount(static_cast<int>(linhas.size()));
    for (int l = 0; l < static_cast<int>(linhas.size()); ++l)
        for (int c = 0; c < static_cast<int>(linhas[l].size()); ++c)
            grdHistorico->setItem(l, c, new QTableWidgetItem(QString::fromStdString(linhas[l][c])));
    // Each column as wide as its values and title, on one line, titles at the left:
    // the type and the time read whole, and "Complemento" starts in view.
    grdHistorico->setWordWrap(false);
    grdHistorico->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grdHistorico->resizeColumnsToContents();
    grdHistorico->horizontalHeader()->setStretchLastSection(true);

    btnFechar = new QPushButton("&Fechar", this);
    btnFechar->setObjectName("btnFechar");
    auto* rodape = new QHBoxLayout;
    rodape->addStretch();
    rodape->addWidget(btnFechar);
    auto* tudo = new QVBoxLayout(this);
    tudo->addWidget(grdHistorico, 1);
    tudo->addLayout(rodape);
    connect(btnFechar, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zolvek::app
