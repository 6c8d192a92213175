#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "analysis/analisar.hpp"
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
// ticks and locks its removal box. Beside the registered options, the backup
// taken before the first change and, when the caller offers it, "Simular...".
class TConfirmacaoAnalisar : public QDialog {
    Q_OBJECT

  public:
    // Without a data module nothing is read or stored (the group starts as
    // "PUBLIC") and "Editar" is not offered.
    explicit TConfirmacaoAnalisar(db::TModuloDados* modulo, QWidget* pai = nullptr);

    // The options as the dialog shows them.
    analysis::OpcoesDaAnalise Opcoes() const;
    // What the run does besides them: the backup file, when its box is ticked.
    analysis::ExtrasDaAnalise Extras() const;

    // Offers "Simular...", which calls `simular` with the dialog (owner of the windows
    // it opens) and the options and extras shown; the dialog stays open after it.
    using Simulacao = std::function<void(QWidget* dialogo, const analysis::OpcoesDaAnalise&,
                                         const analysis::ExtrasDaAnalise&)>;
    void DefinirSimulacao(Simulacao simular);
    // Asks for the backup file when its box is ticked ("": the user gave up).
    std::function<QString(QWidget* pai)> EscolherCopia;

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
    QCheckBox* cbxCopiaAntes;
    QLabel* lblCopiaAntes;
    QPushButton* btnSimular;
    QPushButton* btnIniciar;
    QPushButton* btnCancelar;

  public slots:
    void done(int resultado) override;

  private:
    void CriarCaixas();
    void CriarCopiaESimulacao();
    void cbxCopiaAntesClick();
    void Organizar();
    void LerGrupo();
    void GravarGrupo();

    db::TModuloDados* modulo_;
    QString copiaAntes_;
    Simulacao simular_;
};

struct AnaliseConfirmada {
    analysis::OpcoesDaAnalise opcoes;
    analysis::ExtrasDaAnalise extras;
};

// Shows the dialog modally; the options when the user pressed "Iniciar". With
// `simular`, the dialog offers "Simular..." (see DefinirSimulacao).
std::optional<AnaliseConfirmada> ConfirmarAnalise(db::TModuloDados* modulo, QWidget* pai = nullptr,
                                                  TConfirmacaoAnalisar::Simulacao simular = {});

}  // namespace zolvek::app
