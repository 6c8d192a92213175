#include "app/importacao_outro_banco.hpp"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

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

TEST_F(ImportacaoOutroBancoDados, ConfirmacaoDaAtualizacaoTemCancelarComoPadrao) {
    TConfirmacaoAtualizarImpostosItens janela;
    EXPECT_EQ(janela.windowTitle(), "Atualização dos tributos dos itens");
    EXPECT_TRUE(janela.btnCancelar->isDefault());
    EXPECT_FALSE(janela.btnIniciar->isDefault());
    EXPECT_EQ(janela.btnIniciar->text(), "&Iniciar");
    janela.btnIniciar->click();
    EXPECT_EQ(janela.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace zolvek::app
