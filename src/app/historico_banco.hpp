#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

namespace zolvek::app {

// The maintenance history of the connected database, newest first, in a read-only grid.
class THistoricoBancoDeDados : public QDialog {
    Q_OBJECT

  public:
    // Opens the history on the connection; the server's error propagates and the window
    // is then not shown.
    explicit THistoricoBancoDeDados(db::Conexao& conexao, QWidget* pai = nullptr);

    QTableWidget* grdHistorico;
    QPushButton* btnFechar;
    db::Consulta qryRegmov;
};

}  // namespace zolvek::app
