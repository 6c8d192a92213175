#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

namespace zolvek::app {

// The program's own data-link properties dialog: provider, server (or folder for the
// embedded stand-in), database and authentication of an OLE DB connection string.
// Keys it does not show are kept as they were.
class TEditorDeConexao : public QDialog {
    Q_OBJECT

  public:
    TEditorDeConexao(QWidget* pai, const std::string& cadeiaInicial);

    // The connection string the fields describe, built over the initial one.
    std::string MontarCadeia() const;

    void btnTestarClick();

    QComboBox* cbxProvedor;
    QLineEdit* edtServidor;
    QPushButton* btnProcurarPasta;
    QLineEdit* edtBanco;
    QRadioButton* rbtWindows;
    QRadioButton* rbtSqlServer;
    QLineEdit* edtUsuario;
    QLineEdit* edtSenha;
    QPushButton* btnTestar;

  private:
    void AtualizarCampos();

    std::string cadeiaInicial_;
    QLabel* lblServidor_;
};

// Edits a connection string in the dialog above; returns the initial string when the
// user cancels.
std::string PromptDataSource(QWidget* pai, const std::string& cadeiaInicial);

}  // namespace zolvek::app
