#include "app/evolucao_analisar.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "admin/erros_nas_informacoes_tecnicas.hpp"
#include "app/mensagens.hpp"
#include "app/principal.hpp"
#include "app/suporte_zav.hpp"

namespace zolvek::app {

TEvolucaoAnalisar::TEvolucaoAnalisar(QWidget* pai)
    : TEvolucaoComErros(
          pai, kTituloDoRelatorio,
          {{"Tabela", 100}, {"Campo", 80}, {"Função", 80}, {"Descrição", 220}, {"Comando", 220}}) {
    setObjectName("EvolucaoAnalisar");
    setWindowTitle(kTitulo);
    // Sizeable, with the close box (closing while running asks first).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    DefinirFase("Aguarde...");
    lblResultado = new QLabel(this);
    lblResultado->setObjectName("lblResultado");
    lblResultado->setWordWrap(true);
    lblResultado->hide();
    InserirAbaixoDaFase(lblResultado);

    lblDuvidas = new QLabel("Para sanar dúvidas acesse:", this);
    lblDuvidas->setObjectName("lblDuvidas");
    QFont negrito = lblDuvidas->font();
    negrito.setBold(true);
    lblDuvidas->setFont(negrito);
    URLdaZAV = CriarLinkDoSuporte(this);
    connect(URLdaZAV, &QLabel::linkActivated, this, [this] {
        ExecutarComando([this] {
            if (ModuloDados) AbrirSuporteZAV(*ModuloDados, this);
        });
    });
    lblDuvidas->hide();
    URLdaZAV->hide();
    auto* linha = new QHBoxLayout;
    linha->addWidget(lblDuvidas);
    linha->addWidget(URLdaZAV);
    linha->addStretch();
    Corpo()->addLayout(linha);
    resize(760, 420);
}

void TEvolucaoAnalisar::MostrarResultado(const QString& complemento, bool sucesso) {
    lblResultado->setText(complemento);
    lblResultado->setStyleSheet(sucesso ? QString() : QString("color: #ff0000;"));
    lblResultado->setProperty("vermelho", !sucesso);
    lblResultado->show();
}

void TEvolucaoAnalisar::AoFinalizar() {
    TEvolucaoComErros::AoFinalizar();
    lblDuvidas->show();
    URLdaZAV->show();
    try {
        admin::RegistrarErrosNoLog(ModuloDados, "EvolucaoAnalisar",
                                   lstErros->BlocoDeInformacoesTecnicas());
    } catch (...) {
        // The log for support is a help, not part of the run: a log file that cannot
        // be written must not hide the outcome the window shows.
    }
}

}  // namespace zolvek::app
