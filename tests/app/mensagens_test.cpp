#include "app/mensagens.hpp"

#include <QPushButton>

#include "app/interface_grafica.hpp"
#include "app/traducao_do_qt.hpp"
#include "auxiliares.hpp"
#include "comum/erros.hpp"

namespace zolvek::app {
namespace {

using teste::RespondedorDeCaixas;

class MensagensTeste : public teste::TesteDeJanela {};

TEST_F(MensagensTeste, AtencaoPerguntaComOsBotoesPedidos) {
    {
        RespondedorDeCaixas respondedor;  // takes the preselected button
        EXPECT_EQ(MostrarAtencao("Continuar?", kSimNaoComNaoPadrao), kBotaoNao);
        ASSERT_EQ(respondedor.caixas.size(), 1u);
        const auto& caixa = respondedor.caixas[0];
        EXPECT_EQ(caixa.titulo, "Atenção");
        EXPECT_EQ(caixa.texto, "Continuar?");
        EXPECT_EQ(caixa.icone, QMessageBox::Question);
        EXPECT_EQ(caixa.botoes, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(caixa.padrao, QMessageBox::No);
    }
    {
        RespondedorDeCaixas respondedor(QMessageBox::Yes);
        EXPECT_EQ(MostrarAtencao("Continuar?", kSimNaoComNaoPadrao), kBotaoSim);
    }
    {
        RespondedorDeCaixas respondedor(QMessageBox::Cancel);
        EXPECT_EQ(MostrarAtencao("Gravar?", kSimNaoCancelar), kBotaoCancelar);
        EXPECT_EQ(respondedor.caixas.at(0).botoes,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(respondedor.caixas.at(0).padrao, QMessageBox::Yes);
    }
}

TEST_F(MensagensTeste, ErroQueEscapaDoComandoViraCaixaECancelamentoNaoMostraNada) {
    RespondedorDeCaixas respondedor;
    EXPECT_FALSE(ExecutarComando([] { throw Cancelamento(); }));
    EXPECT_TRUE(respondedor.caixas.empty());
    EXPECT_FALSE(ExecutarComando([] { throw ErroDeBanco("Login failed for user 'x'."); }));
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_EQ(respondedor.caixas[0].icone, QMessageBox::Critical);
    EXPECT_EQ(respondedor.caixas[0].texto, "Login failed for user 'x'.");
    EXPECT_TRUE(ExecutarComando([] {}));
}

TEST_F(MensagensTeste, InterfaceDoComandoPerguntaEPercebeOCancelamento) {
    InterfaceGrafica interface;
    QStringList rotulos;
    teste::QuandoPossivel([&] {
        auto* caixa = teste::JanelaVisivel<QMessageBox>();
        if (!caixa) return false;
        EXPECT_EQ(caixa->windowTitle(), "Alterar tabela");
        // Buttons carry accelerators ("&Sim").
        for (auto* b : caixa->buttons()) rotulos << b->text().remove('&');
        EXPECT_EQ(caixa->defaultButton()->text(), "&Não");
        for (auto* b : caixa->buttons())
            if (b->text().remove('&') == "Sim para todos") b->click();
        return true;
    });
    EXPECT_EQ(interface.Perguntar("Alterar tabela", "Alterar PEMPRESA?", Botoes::SimNaoTodos,
                                  Resposta::Nao),
              Resposta::SimParaTodos);
    rotulos.sort();
    EXPECT_EQ(rotulos, QStringList({"Não", "Não para todos", "Sim", "Sim para todos"}));

    // A cancel request made by a window event is seen at the next check.
    EXPECT_FALSE(interface.CancelamentoPedido());
    QTimer::singleShot(0, [&] { interface.PedirCancelamento(); });
    EXPECT_TRUE(interface.CancelamentoPedido());
}

TEST_F(MensagensTeste, TextosDoProprioQtEmPortugues) {
    EXPECT_TRUE(CarregarTraducoesDoQt(*QApplication::instance()));
    QMessageBox caixa(QMessageBox::Question, "Atenção", "Gravar?",
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(caixa.button(QMessageBox::Yes)->text().remove('&'), "Sim");
    EXPECT_EQ(caixa.button(QMessageBox::No)->text().remove('&'), "Não");
    EXPECT_EQ(caixa.button(QMessageBox::Cancel)->text().remove('&'), "Cancelar");
    // The edit boxes' context menu.
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy").remove('&'), "Copiar");
    EXPECT_EQ(QLocale().name(), "pt_BR");
}

}  // namespace
}  // namespace zolvek::app
