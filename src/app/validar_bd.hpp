#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"

namespace zolvek::app {

// The confirmation of "Validar...": the revision the database will be validated for;
// "Validar" runs the validation and closes with OK; a failure is shown and the dialog
// stays open.
class TValidarBD : public QDialog {
    Q_OBJECT

  public:
    TValidarBD(db::TModuloDados& modulo, int revisaoDoDicionario, QWidget* pai = nullptr);

    void btnValidarClick();

    QLabel* lblRevisao;
    QPushButton* btnValidar;
    QPushButton* btnCancelar;
    db::Consulta qryComando;

  private:
    db::TModuloDados& modulo_;
    int revisao_;
};

// "Validar...": true when the database was validated (the caller then refreshes the
// panel and tells the success). Says so and returns false when the database already
// is at the dictionary's revision.
bool ValidarBancoDeDados(QWidget* pai, db::TModuloDados& modulo, int revisaoDoDicionario);

}  // namespace zolvek::app
