#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <functional>
#include <string>

namespace zolvek::app {

// The connection dialog: a persistent list of named connection strings, most
// recently used first, and the login typed by the user.
class TConexaoADO : public QDialog {
    Q_OBJECT

  public:
    // Never more than this many saved entries after OK.
    static constexpr int kMaximoDeBancos = 30;

    explicit TConexaoADO(QWidget* pai = nullptr);

    // A complete connection string with the login applied. Raises Cancelamento when
    // the user leaves the dialog in any way other than OK.
    std::string ObterConexao(bool automatico, bool automaticoPermitido);

    // Form storage: reads and writes the section "ConexaoADO" of Software\ZAV\Zolvek.
    void RestaurarMemoria();
    void GravarMemoria();
    // Prepares the dialog right after the values were restored.
    void MemoriaRestorePlacement();

    // Button handlers; the first two raise their errors (the dialog stays open).
    void btnOKClick();
    void btnConfigurarClick();
    void btnCancelarClick();

    // The connection string chosen or being edited (the dialog never opens it).
    const std::string& CadeiaDoBanco() const { return banco_; }

    // The editor used by "Configurar..."; PromptDataSource unless replaced.
    std::function<std::string(QWidget*, const std::string&)> EditorDeConexao;

    QComboBox* cbxBanco;
    QCheckBox* chkAutomatico;
    QLineEdit* edtNome;
    QLineEdit* edtSenha;
    QPushButton* btnOK;
    QPushButton* btnCancelar;
    QPushButton* btnConfigurar;

    QStringList Bancos;
    QStringList ConexaoLenta;

  protected:
    void showEvent(QShowEvent* evento) override;
    void reject() override;

  private:
    void RecarregarNomes();

    std::string banco_;
    int contagemPreparada_ = 0;
};

// The connection dialog of the program, created by the main window.
extern TConexaoADO* ConexaoADO;

}  // namespace zolvek::app
