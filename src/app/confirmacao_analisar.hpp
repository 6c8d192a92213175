#pragma once

#include <QDialog>
#include <optional>

#include "analysis/opcoes_da_analise.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zolvek::db {
class TModuloDados;
}

namespace zolvek::app {

// "Banco de Dados: Opções para analisar": the fifteen options of a run of
// "Analisar". The check boxes start in their initial states every time; the
// access group is the one stored for the database (else "PUBLIC") and is stored
// again when the dialog closes, whatever the button. A ticked creation box
// ticks and locks its removal box.
class TConfirmacaoAnalisar : public QDialog {
    Q_OBJECT

  public:
    // Without a data module nothing is read or stored (the group starts as
    // "PUBLIC") and "Editar" is not offered.
    explicit TConfirmacaoAnalisar(db::TModuloDados* modulo, QWidget* pai = nullptr);

    // The options as the dialog shows them.
    analysis::OpcoesDaAnalise Opcoes() const;

    // Re-applied whenever a check box is clicked.
    void AplicarAcoplamento();
    void lblEditarClick();

    QCheckBox* cbxConfirmarAlteracao;
    QCheckBox* cbxVerificarEstrutura;
    QCheckBox* cbxRemoverIndices;
    QCheckBox* cbxGerarIndices;
    QCheckBox* cbxRemoverChecks;
    QCheckBox* cbxCriarChecks;
    QCheckBox* cbxRemoverDefault;
    QCheckBox* cbxCriarDefault;
    QCheckBox* cbxRemoverRelacionamentos;
    QCheckBox* cbxCriarRelacionamentos;
    QCheckBox* cbxCriarProcedimentos;
    QCheckBox* cbxRemoverProcedimentos;
    QLabel* lblProcedimentos;
    QLabel* lblEditar;
    QLineEdit* edtGrupoParaAcesso;
    QCheckBox* cbxNaoBloquear;
    QCheckBox* cbxVerificarIntegridade;
    QPushButton* btnIniciar;
    QPushButton* btnCancelar;

  public slots:
    void done(int resultado) override;

  private:
    void CriarCaixas();
    void Organizar();
    void LerGrupo();
    void GravarGrupo();

    db::TModuloDados* modulo_;
};

// Shows the dialog modally; the options when the user pressed "Iniciar".
std::optional<analysis::OpcoesDaAnalise> ConfirmarAnalise(db::TModuloDados* modulo,
                                                          QWidget* pai = nullptr);

}  // namespace zolvek::app
