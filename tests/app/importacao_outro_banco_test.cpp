#include "app/importacao_outro_banco.hpp"

#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/configuracoes.hpp"
#include "app/senhas_guardadas.hpp"
#include "auxiliares.hpp"

namespace zolvek::app {
namespace {

using teste::TesteDeJanela;

class ImportacaoOutroBancoDados : public TesteDeJanela {};

TEST_F(ImportacaoOutroBancoDados, ImportarSoComOrigemELembraDela) {
    {
        TImportacaoOutroBancoDados janela;
        EXPECT_EQ(janela.windowTitle(), "Importação de outro Banco de Dados");
        EXPECT_FALSE(janela.btnImportar->isEnabled());
        EXPECT_FALSE(janela.cbxAcrescentar->isChecked());
        janela.edtOrigem->setText("Provider=Simulador;Data Source=/tmp/x;Initial Catalog=A");
        EXPECT_TRUE(janela.btnImportar->isEnabled());
        janela.cbxAcrescentar->setChecked(true);
        janela.btnImportar->click();
        EXPECT_EQ(janela.result(), QDialog::Accepted);
        EXPECT_TRUE(janela.Acrescentar());
        janela.edtOrigem->clear();
        EXPECT_FALSE(janela.btnImportar->isEnabled());
    }
    TImportacaoOutroBancoDados outra;
    EXPECT_EQ(outra.Origem(), "Provider=Simulador;Data Source=/tmp/x;Initial Catalog=A");
    EXPECT_FALSE(outra.Acrescentar());
}

TEST_F(ImportacaoOutroBancoDados, SenhaDaOrigemNaoEhGuardadaEEhPedidaQuandoFalta) {
    const std::string semSenha = "Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=A;User ID=sa";
    {
        // A password given in the editor is used, never shown nor stored.
        TImportacaoOutroBancoDados janela;
        janela.EditorDeConexao = [&](QWidget*, const std::string&) {
            return semSenha + ";Password=segredo";
        };
        janela.btnOrigem->click();
        EXPECT_EQ(janela.edtOrigem->text().toStdString(), semSenha);
        EXPECT_EQ(janela.Origem(), semSenha + ";Password=segredo");
        janela.btnImportar->click();
        EXPECT_EQ(janela.result(), QDialog::Accepted);
    }
    auto memoria = AbrirConfiguracoes(RaizDasConfiguracoes::Geral);
    EXPECT_EQ(memoria->value("ImportacaoOutroBancoDados/edtOrigem.Text").toString().toStdString(),
              semSenha);
    memoria.reset();
    // Next time it is asked for; cancelling the question imports nothing.
    for (bool responder : {false, true}) {
        TImportacaoOutroBancoDados janela;
        EXPECT_EQ(janela.Origem(), semSenha);
        QString rotulo;
        teste::QuandoPossivel([&] {
            auto* pergunta = teste::JanelaVisivel<QInputDialog>();
            if (!pergunta) return false;
            rotulo = pergunta->labelText();
            EXPECT_EQ(pergunta->textEchoMode(), QLineEdit::Password);
            if (responder) {
                pergunta->setTextValue("outra");
                pergunta->accept();
            } else {
                pergunta->reject();
            }
            return true;
        });
        janela.btnImportar->click();
        EXPECT_EQ(rotulo, "Senha de sa no banco de dados origem:");
        EXPECT_EQ(janela.result(), responder ? QDialog::Accepted : QDialog::Rejected);
        if (responder) {
            EXPECT_EQ(janela.Origem(), semSenha + ";Password=outra");
        }
    }
}

TEST_F(ImportacaoOutroBancoDados, SenhasGuardadasAntesSaoApagadasAoIniciar) {
    auto memoria = AbrirConfiguracoes(RaizDasConfiguracoes::Geral);
    memoria->setValue("ImportacaoOutroBancoDados/edtOrigem.Text",
                      "Provider=SQLOLEDB.1;Data Source=s;User ID=sa;Password='x;y'");
    memoria.reset();
    auto produto = AbrirConfiguracoes(RaizDasConfiguracoes::Produto);
    produto->setValue(
        "ConexaoADO/Bancos.Strings",
        QStringList({"A=Provider=SQLOLEDB.1;password=p;Data Source=s", "ConexaoAutomatica=N"}));
    produto.reset();
    RemoverSenhasGuardadas();
    EXPECT_EQ(AbrirConfiguracoes(RaizDasConfiguracoes::Geral)
                  ->value("ImportacaoOutroBancoDados/edtOrigem.Text")
                  .toString(),
              "Provider=SQLOLEDB.1;Data Source=s;User ID=sa");
    EXPECT_EQ(AbrirConfiguracoes(RaizDasConfiguracoes::Produto)
                  ->value("ConexaoADO/Bancos.Strings")
                  .toStringList(),
              QStringList({"A=Provider=SQLOLEDB.1;Data Source=s", "ConexaoAutomatica=N"}));
}

TEST_F(ImportacaoOutroBancoDados, ConfirmacaoDaAtualizacaoTemCancelarComoPadrao) {
    TConfirmacaoAtualizarImpostosItens janela;
    EXPECT_EQ(janela.windowTitle(), "Atualização dos tributos dos itens");
    EXPECT_TRUE(janela.btnCancelar->isDefault());
    EXPECT_FALSE(janela.btnIniciar->isDefault());
    EXPECT_EQ(janela.btnIniciar->text(), "&Iniciar");
    // The text stands apart from the buttons.
    janela.show();
    auto* texto = janela.findChild<QLabel*>();
    ASSERT_NE(texto, nullptr);
    EXPECT_GE(janela.btnIniciar->geometry().top() - texto->geometry().bottom(), 12);
    teste::Capturar(janela, "confirmacao_atualizar_tributos");
    janela.btnIniciar->click();
    EXPECT_EQ(janela.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace zolvek::app
