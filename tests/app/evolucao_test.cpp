#include "app/evolucao.hpp"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/confirmacao.hpp"
#include "app/evolucao_analisar.hpp"
#include "app/interface_grafica.hpp"
#include "app/janelas_abertas.hpp"
#include "auxiliares.hpp"
#include "comum/erros.hpp"
#include "comum/log.hpp"

namespace zolvek::app {
namespace {

using teste::RespondedorDeCaixas;

class EvolucaoTeste : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        principal_ = std::make_unique<QWidget>();
        principal_->setObjectName("Principal");
        principal_->show();
    }
    void TearDown() override {
        principal_.reset();
        TesteDeJanela::TearDown();
    }
    std::unique_ptr<QWidget> principal_;
};

// The window takes input and the others do not: it is the program's active modal
// window.
bool OutrasJanelasBloqueadas(QWidget& janela) {
    return janela.isEnabled() && janela.isVisible() && QApplication::activeModalWidget() == &janela;
}
bool OutrasJanelasBloqueadas(QWidget* janela) {
    return janela && OutrasJanelasBloqueadas(*janela);
}

LinhaDeErro Linha(const std::string& tabela, const std::string& descricao) {
    return {tabela, "CODIGO", "CriarIndices", descricao, "create index X on [" + tabela + "]"};
}

TEST_F(EvolucaoTeste, FecharDuranteOProcessamentoPerguntaENuncaFecha) {
    TEvolucaoAnalisar janela(principal_.get());
    EXPECT_EQ(janela.windowTitle(), "Analisando banco de dados");
    EXPECT_EQ(janela.lblFase->text(), "Aguarde...");
    EXPECT_EQ(janela.pgbEvolucao->maximum(), 100);
    janela.Mostrar();
    EXPECT_TRUE(OutrasJanelasBloqueadas(janela));
    {
        RespondedorDeCaixas respondedor;  // the preselected "Não"
        EXPECT_FALSE(janela.close());
        ASSERT_EQ(respondedor.caixas.size(), 1u);
        EXPECT_EQ(respondedor.caixas[0].titulo, "Atenção");
        EXPECT_EQ(respondedor.caixas[0].texto, "Você quer abandonar este processamento ?");
        EXPECT_EQ(respondedor.caixas[0].botoes, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(respondedor.caixas[0].padrao, QMessageBox::No);
        EXPECT_TRUE(janela.isVisible());
        EXPECT_FALSE(janela.Cancelado());
    }
    {
        RespondedorDeCaixas respondedor(QMessageBox::Yes);
        janela.reject();  // Escape goes the same way
        EXPECT_EQ(respondedor.caixas.size(), 1u);
        EXPECT_TRUE(janela.isVisible());
        EXPECT_TRUE(janela.Cancelado());
    }
    EXPECT_TRUE(OutrasJanelasBloqueadas(janela));
    janela.Finalizar(true);
    EXPECT_EQ(janela.btnCancelar->text(), "&OK");
    EXPECT_TRUE(janela.lblFase->font().bold());
    EXPECT_TRUE(janela.isVisible());
    janela.btnCancelar->click();
    EXPECT_FALSE(janela.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(EvolucaoTeste, CancelarMarcaOPedidoEFinalizarSemSucessoFecha) {
    TEvolucao janela(principal_.get());
    EXPECT_EQ(janela.windowTitle(), "Evolução");
    janela.Mostrar();
    janela.DefinirMaximo(13);
    janela.Avancar();
    janela.Avancar();
    EXPECT_EQ(janela.pgbEvolucao->value(), 2);
    EXPECT_FALSE(janela.Cancelado());
    janela.btnCancelar->click();
    EXPECT_TRUE(janela.isVisible());
    EXPECT_TRUE(janela.Cancelado());
    janela.Finalizar(false);
    EXPECT_FALSE(janela.isVisible());
    EXPECT_TRUE(janela.Finalizado());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(EvolucaoTeste, SemErrosOLinkDeImpressaoFicaEscondidoEOSuporteAparece) {
    TEvolucaoAnalisar janela(principal_.get());
    janela.Mostrar();
    EXPECT_TRUE(janela.lblImprimirErros->isHidden());
    EXPECT_TRUE(janela.lblDuvidas->isHidden());
    janela.DefinirFase("Análise concluída");
    janela.Finalizar(true);
    EXPECT_TRUE(janela.lblImprimirErros->isHidden());
    EXPECT_FALSE(janela.lblDuvidas->isHidden());
    EXPECT_EQ(janela.lblDuvidas->text(), "Para sanar dúvidas acesse:");
    EXPECT_TRUE(janela.lblDuvidas->font().bold());
    EXPECT_FALSE(janela.URLdaZAV->isHidden());
    teste::Capturar(janela, "evolucao_analisar_sem_erros");
    janela.close();
}

TEST_F(EvolucaoTeste, ListaDeErrosColunasLinkEInformacoesTecnicas) {
    TEvolucaoAnalisar janela(principal_.get());
    const QStringList titulos = {"Tabela", "Campo", "Função", "Descrição", "Comando"};
    EXPECT_EQ(janela.lstErros->Titulos(), titulos);
    const int larguras[] = {100, 80, 80, 220, 220};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(janela.lstErros->columnWidth(i), larguras[i]);
    EXPECT_EQ(janela.lstErros->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(janela.lstErros->editTriggers(), QAbstractItemView::NoEditTriggers);

    janela.Mostrar();
    janela.AdicionarErro({"CLIENTES", "CODIGO", "CriarIndices", "Falhou", "create index"});
    janela.AdicionarErro({"PEDIDOS", "", "", "Outro", ""});
    EXPECT_EQ(janela.QuantidadeDeErros(), 2);
    EXPECT_TRUE(janela.lblImprimirErros->isHidden());  // only once finished
    janela.DefinirFase("Análise concluída");
    janela.Finalizar(true);
    EXPECT_FALSE(janela.lblImprimirErros->isHidden());
    EXPECT_TRUE(janela.lblImprimirErros->text().contains("Imprimir os erros listados abaixo"));

    const QString esperado =
        "\r\n<<< Erro 1 >>>\r\nTabela,Campo,Função,Descrição,Comando\r\n"
        "-------------------------------------\r\n"
        "CLIENTES,CODIGO,CriarIndices,Falhou,create index\r\n"
        "\r\n<<< Erro 2 >>>\r\nTabela,Campo,Função,Descrição,Comando\r\n"
        "-------------------------------------\r\nPEDIDOS,,,Outro,";
    // What the technical information lists for the window's error list.
    EXPECT_EQ(ValorDoComponente(janela.lstErros), esperado);

    const auto relatorio = janela.Relatorio();
    EXPECT_EQ(relatorio.titulo, "Análise do banco de dados: Erros");
    EXPECT_EQ(relatorio.colunas, titulos);
    ASSERT_EQ(relatorio.linhas.size(), 2);
    EXPECT_EQ(relatorio.linhas[1][0], "PEDIDOS");
    teste::Capturar(janela, "evolucao_analisar_com_erros");
    janela.close();
}

TEST_F(EvolucaoTeste, ConfirmacaoTemQuatroBotoesSimComFocoEAlturaDoTexto) {
    TConfirmacao confirmacao;
    EXPECT_EQ(confirmacao.windowTitle(), "Atenção");
    const QString curto = "Será necessário criar a tabela \"CLIENTES\" - Clientes. Criar agora ?";
    confirmacao.DefinirMensagem(curto);
    EXPECT_EQ(confirmacao.lblMensagem->width(), 345);
    EXPECT_EQ(confirmacao.height(), confirmacao.lblMensagem->height() + 58);
    const int alturaCurta = confirmacao.height();
    confirmacao.DefinirMensagem(curto + " " + curto + " " + curto + " " + curto);
    EXPECT_GT(confirmacao.height(), alturaCurta);
    EXPECT_EQ(confirmacao.height(), confirmacao.lblMensagem->height() + 58);

    const std::pair<QPushButton*, Resposta> casos[] = {
        {confirmacao.btnSim, Resposta::Sim},
        {confirmacao.btnSimParaTodos, Resposta::SimParaTodos},
        {confirmacao.btnNao, Resposta::Nao},
        {confirmacao.btnCancelar, Resposta::Cancelar}};
    for (const auto& [botao, resposta] : casos) {
        teste::QuandoPossivel([&, b = botao] {
            // on a busy machine the window shows before it takes the focus
            if (!confirmacao.isVisible() || !QApplication::focusWidget()) return false;
            EXPECT_EQ(QApplication::focusWidget(), confirmacao.btnSim);
            teste::Capturar(confirmacao, "confirmacao");
            b->click();
            return true;
        });
        EXPECT_EQ(confirmacao.Perguntar(curto), resposta);
    }
    EXPECT_EQ(confirmacao.btnSim->text(), "&Sim");
    EXPECT_EQ(confirmacao.btnSimParaTodos->text(), "Sim para &todos");
    EXPECT_EQ(confirmacao.btnNao->text(), "&Não");
    EXPECT_EQ(confirmacao.btnCancelar->text(), "&Cancelar");
}

TEST_F(EvolucaoTeste, InterfaceGraficaConduzAJanelaDeEvolucao) {
    InterfaceGrafica interface(principal_.get(), [](QWidget* dono, const QString&) -> TEvolucao* {
        return new TEvolucaoAnalisar(dono);
    });
    interface.AbrirEvolucao("Analisando banco de dados");
    QPointer<TEvolucaoAnalisar> janela = qobject_cast<TEvolucaoAnalisar*>(interface.Evolucao());
    ASSERT_TRUE(janela);
    EXPECT_TRUE(janela->isVisible());
    EXPECT_TRUE(OutrasJanelasBloqueadas(janela));
    interface.MostrarProgresso("Verificando existência da tabela \"CLIENTES\" - Clientes...");
    EXPECT_EQ(janela->lblFase->text(),
              "Verificando existência da tabela \"CLIENTES\" - Clientes...");
    interface.DefinirBarra(3, 13);
    EXPECT_EQ(janela->pgbEvolucao->maximum(), 13);
    EXPECT_EQ(janela->pgbEvolucao->value(), 3);
    interface.AdicionarErro(Linha("CLIENTES", "Falhou"));
    EXPECT_EQ(janela->QuantidadeDeErros(), 1);
    EXPECT_EQ(janela->lstErros->topLevelItem(0)->text(4).toStdString(),
              "create index X on [CLIENTES]");

    // The four-answer question goes to TConfirmacao, kept for the whole run.
    for (Resposta esperada : {Resposta::SimParaTodos, Resposta::Nao}) {
        teste::QuandoPossivel([esperada] {
            auto* confirmacao = teste::JanelaVisivel<TConfirmacao>();
            if (!confirmacao) return false;
            (esperada == Resposta::Nao ? confirmacao->btnNao : confirmacao->btnSimParaTodos)
                ->click();
            return true;
        });
        EXPECT_EQ(interface.Perguntar("Atenção", "Criar agora ?", Botoes::SimTodosNaoCancelar,
                                      Resposta::Sim),
                  esperada);
    }

    EXPECT_FALSE(interface.CancelamentoPedido());
    QTimer::singleShot(0, [&] { janela->btnCancelar->click(); });
    EXPECT_TRUE(interface.CancelamentoPedido());

    interface.FinalizarEvolucao(true);
    ASSERT_TRUE(janela);
    EXPECT_TRUE(janela->isVisible());
    EXPECT_FALSE(janela->lblImprimirErros->isHidden());
    janela->btnCancelar->click();  // "OK"
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(janela);  // closed and gone
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(interface.Erros().size(), 1u);
}

TEST_F(EvolucaoTeste, AbortoFechaAJanelaEReabilitaAsOutras) {
    InterfaceGrafica interface(principal_.get());
    interface.AbrirEvolucao("Atualizando tributos dos itens");
    QPointer<TEvolucao> janela = interface.Evolucao();
    ASSERT_TRUE(janela);
    EXPECT_EQ(janela->windowTitle(), "Atualizando tributos dos itens");
    interface.FinalizarEvolucao(false);
    EXPECT_FALSE(janela && janela->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace zolvek::app
