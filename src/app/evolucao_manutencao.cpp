#include "app/evolucao_manutencao.hpp"

#include <QProgressBar>
#include <QVBoxLayout>

#include "maintenance/atualizar_impostos_dos_itens.hpp"
#include "maintenance/importar_outro_banco.hpp"

namespace zolvek::app {

TEvolucaoAtualizarImpostosItens::TEvolucaoAtualizarImpostosItens(QWidget* pai)
    : TEvolucaoComErros(
          pai, manutencao::kTituloDaImpressao,
          {{"Tabela", 100}, {"Campo", 80}, {"Função", 80}, {"Descrição", 220}, {"Comando", 220}}) {
    setObjectName("EvolucaoAtualizarImpostosItens");
    setWindowTitle(manutencao::kTituloDaEvolucao);
    DefinirFase("Aguarde...");
}

TImportacaoOutroBDEvolucao::TImportacaoOutroBDEvolucao(QWidget* pai)
    : TEvolucaoComErros(pai, manutencao::kTituloDaImpressaoDaImportacao,
                        {{"Tabela", 120}, {"Campo", 120}, {"Descrição", 360}}) {
    setObjectName("ImportacaoOutroBDEvolucao");
    setWindowTitle(manutencao::kTituloDaImportacao);
    pgbRegistros = new QProgressBar(this);
    pgbRegistros->setObjectName("pgbRegistros");
    pgbRegistros->setRange(0, 0);
    pgbRegistros->setValue(0);
    pgbRegistros->setTextVisible(false);
    Corpo()->insertWidget(0, pgbRegistros);
}

InterfaceDaImportacao::InterfaceDaImportacao(QWidget* dono)
    : InterfaceGrafica(dono, [](QWidget* pai, const QString&) -> TEvolucao* {
          return new TImportacaoOutroBDEvolucao(pai);
      }) {}

void InterfaceDaImportacao::AdicionarErro(const LinhaDeErro& linha) {
    if (auto* janela = qobject_cast<TImportacaoOutroBDEvolucao*>(Evolucao()))
        janela->AdicionarErro({QString::fromStdString(linha.tabela),
                               QString::fromStdString(linha.campo),
                               QString::fromStdString(linha.descricao)});
}

void InterfaceDaImportacao::DefinirBarraSecundaria(int posicao, int maximo) {
    if (auto* janela = qobject_cast<TImportacaoOutroBDEvolucao*>(Evolucao())) {
        janela->pgbRegistros->setMaximum(std::max(maximo, 0));
        janela->pgbRegistros->setValue(std::min(posicao, std::max(maximo, 0)));
    }
}

}  // namespace zolvek::app
