#pragma once

#include "app/evolucao_com_erros.hpp"

class QLabel;

namespace zolvek::app {

// The progress window of "Analisar": the phase text ("Aguarde..." at first), the bar,
// the error list with its print link and, once finished, the support texts.
class TEvolucaoAnalisar : public TEvolucaoComErros {
    Q_OBJECT

  public:
    static constexpr const char* kTitulo = "Analisando banco de dados";
    static constexpr const char* kTituloDoRelatorio = "Análise do banco de dados: Erros";

    explicit TEvolucaoAnalisar(QWidget* pai = nullptr);

    // The registered outcome under "Análise concluída" (or "... cancelada"): in the
    // window-text colour for a run "executado com sucesso", in red otherwise.
    void MostrarResultado(const QString& complemento, bool sucesso);

    QLabel* lblResultado;
    QLabel* lblDuvidas;
    QLabel* URLdaZAV;

  protected:
    // Shows the print link (when there are errors) and the support texts, and leaves
    // the error list in the log for support.
    void AoFinalizar() override;
};

}  // namespace zolvek::app
