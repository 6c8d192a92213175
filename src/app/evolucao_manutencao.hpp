#pragma once

#include "app/evolucao_com_erros.hpp"
#include "app/interface_grafica.hpp"

class QProgressBar;

namespace zolvek::app {

// The progress window of "Atualizar tributos dos itens...": phase, bar, the five-column
// error list and its print link.
class TEvolucaoAtualizarImpostosItens : public TEvolucaoComErros {
    Q_OBJECT

  public:
    explicit TEvolucaoAtualizarImpostosItens(QWidget* pai = nullptr);
};

// The progress window of "Importar dados...": a bar over the tables, a second one over
// the rows of the current table, and a three-column error list.
class TImportacaoOutroBDEvolucao : public TEvolucaoComErros {
    Q_OBJECT

  public:
    explicit TImportacaoOutroBDEvolucao(QWidget* pai = nullptr);

    void DefinirBarraDasLinhas(int posicao, int maximo);

    QProgressBar* pgbRegistros;
};

// The recalculation's front end: the generic one over its own progress window.
class InterfaceDaAtualizacao : public InterfaceGrafica {
  public:
    explicit InterfaceDaAtualizacao(QWidget* dono);
};

// The import's front end: the generic one over its own progress window, with a second
// bar that follows the rows of the table being copied.
class InterfaceDaImportacao : public InterfaceGrafica {
  public:
    explicit InterfaceDaImportacao(QWidget* dono);

    void DefinirBarraSecundaria(int posicao, int maximo) override;
};

}  // namespace zolvek::app
