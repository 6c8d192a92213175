#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zolvek::app {

// "Importação de outro Banco de Dados": the origin's connection string (with "..."
// opening the connection editor) and "Acrescentar". The origin text, size and position
// are remembered between uses; "Importar" is enabled only while there is an origin.
// The box and the settings hold the string without its password: one given in the
// editor is kept aside for this use; otherwise "Importar" asks for it when the string
// logs in with a name.
class TImportacaoOutroBancoDados : public QDialog {
    Q_OBJECT

  public:
    explicit TImportacaoOutroBancoDados(QWidget* pai = nullptr);

    // The origin's connection string, with the password when it is known.
    std::string Origem() const;
    bool Acrescentar() const;

    void btnOrigemClick();
    void btnImportarClick();

    // The editor of "..."; PromptDataSource unless replaced.
    std::function<std::string(QWidget*, const std::string&)> EditorDeConexao;

    QLineEdit* edtOrigem;
    QToolButton* btnOrigem;
    QCheckBox* cbxAcrescentar;
    QPushButton* btnImportar;
    QPushButton* btnCancelar;

  private:
    void HabilitarImportar();
    // False when the user cancelled.
    bool PedirSenha();

    std::optional<std::string> senhaDaOrigem_;
    bool pelaEdicao_ = false;
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
