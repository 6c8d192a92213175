#include "app/evolucao_manutencao.hpp"

#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "maintenance/atualizar_impostos_dos_itens.hpp"
#include "maintenance/importar_outro_banco.hpp"

namespace zolvek::app {

namespace {

// Sizeable, with the close box (closing while the command runs asks first).
void TornarRedimensionavel(TEvolucao& janela) {
    janela.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    janela.setSizeGripEnabled(true);
    janela.resize(760, 420);
}

}  // namespace

TEvolucaoAtualizarImpostosItens::TEvolucaoAtualizarImpostosItens(QWidget* pai)
    : TEvolucaoComErros(
          pai, manutencao::kTituloDaImpressao,
          {{"Tabela", 100}, {"Campo", 80}, {"Função", 80}, {"Descrição", 220}, {"Comando", 220}}) {
    setObjectName("EvolucaoAtualizarImpostosItens");
    setWindowTitle(manutencao::kTituloDaEvolucao);
    TornarRedimensionavel(*this);
    DefinirFase("Aguarde...");
}

TImportacaoOutroBDEvolucao::TImportacaoOutroBDEvolucao(QWidget* pai)
    : TEvolucaoComErros(pai, manutencao::kTituloDaImpressaoDaImportacao,
                        {{"Tabela", 120}, {"Campo", 120}, {"Descrição", 360}}) {
    setObjectName("ImportacaoOutroBDEvolucao");
    setWindowTitle(manutencao::kTituloDaImportacao);
    TornarRedimensionavel(*this);
    pgbRegistros = new QProgressBar(this);
    pgbRegistros->setObjectName("pgbRegistros");
    pgbRegistros->setRange(0, 100);
    pgbRegistros->setValue(0);
    Corpo()->insertWidget(0, pgbRegistros);
}

void TImportacaoOutroBDEvolucao::DefinirBarraDasLinhas(int posicao, int maximo) {
    // A table whose rows could not be counted leaves the bar where it was.
    if (maximo <= 0) return;
    pgbRegistros->setMaximum(maximo);
    pgbRegistros->setValue(std::clamp(posicao, 0, maximo));
}

InterfaceDaAtualizacao::InterfaceDaAtualizacao(QWidget* dono)
    : InterfaceGrafica(dono, [](QWidget* pai, const QString&) -> TEvolucao* {
          return new TEvolucaoAtualizarImpostosItens(pai);
      }) {}

InterfaceDaImportacao::InterfaceDaImportacao(QWidget* dono)
    : InterfaceGrafica(dono, [](QWidget* pai, const QString&) -> TEvolucao* {
          return new TImportacaoOutroBDEvolucao(pai);
      }) {}

void InterfaceDaImportacao::DefinirBarraSecundaria(int posicao, int maximo) {
    if (auto* janela = qobject_cast<TImportacaoOutroBDEvolucao*>(Evolucao()))
        janela->DefinirBarraDasLinhas(posicao, maximo);
}

}  // namespace zolvek::app
