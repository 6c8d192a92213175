#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zolvek::app {

// "Importação de outro Banco de Dados": the origin's connection string (with "..."
// opening the connection editor) and "Acrescentar". The origin text, size and position
// are remembered between uses; "Importar" is enabled only while there is an origin.
class TImportacaoOutroBancoDados : public QDialog {
    Q_OBJECT

  public:
    explicit TImportacaoOutroBancoDados(QWidget* pai = nullptr);

    std::string Origem() const;
    bool Acrescentar() const;

    void btnOrigemClick();
    void btnImportarClick();

    QLineEdit* edtOrigem;
    QToolButton* btnOrigem;
    QCheckBox* cbxAcrescentar;
    QPushButton* btnImportar;
    QPushButton* btnCancelar;

  private:
    void HabilitarImportar();
};

// "Atualização dos tributos dos itens": "Iniciar" or "Cancelar" (the default).
class TConfirmacaoAtualizarImpostosItens : public QDialog {
    Q_OBJECT

  public:
    explicit TConfirmacaoAtualizarImpostosItens(QWidget* pai = nullptr);

    QPushButton* btnIniciar;
    QPushButton* btnCancelar;
};

}  // namespace zolvek::app
