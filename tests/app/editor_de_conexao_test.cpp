#include "app/editor_de_conexao.hpp"

#include "app/mensagens.hpp"
#include "auxiliares.hpp"

namespace zolvek::app {
namespace {

class EditorDeConexaoTeste : public teste::TesteDeJanela {};

TEST_F(EditorDeConexaoTeste, MostraACadeiaEGuardaAsChavesQueNaoMostra) {
    TEditorDeConexao editor(
        nullptr,
        "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
        "Initial Catalog=EMPRESA;Data Source=srv,1433;Workstation ID=PC1");
    EXPECT_EQ(editor.edtServidor->text(), "srv,1433");
    EXPECT_EQ(editor.edtBanco->text(), "EMPRESA");
    EXPECT_TRUE(editor.rbtWindows->isChecked());
    teste::Capturar(editor, "editor_de_conexao");
    EXPECT_EQ(editor.MontarCadeia(),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              "Initial Catalog=EMPRESA;Data Source=srv,1433;Workstation ID=PC1");

    editor.rbtSqlServer->setChecked(true);
    editor.edtUsuario->setText("sa");
    editor.edtSenha->setText("segredo");
    editor.edtBanco->setText("OUTRO");
    EXPECT_EQ(editor.MontarCadeia(),
              "Provider=SQLOLEDB.1;Persist Security Info=False;Initial Catalog=OUTRO;Data "
              "Source=srv,1433;"
              "Workstation ID=PC1;User ID=sa;Password=segredo");
}

TEST_F(EditorDeConexaoTeste, SimuladorEProvedorDesconhecido) {
    TEditorDeConexao simulador(nullptr,
                               "Provider=Simulador;Data Source=/tmp/s;User ID=sa;Password=");
    EXPECT_TRUE(simulador.rbtSqlServer->isChecked());
    EXPECT_FALSE(simulador.btnProcurarPasta->isHidden());
    simulador.edtBanco->setText("B1");
    EXPECT_EQ(simulador.MontarCadeia(),
              "Provider=Simulador;Data Source=/tmp/s;User ID=sa;Password=;Initial Catalog=B1");

    TEditorDeConexao outro(nullptr, "Provider=SQLNCLI11;Data Source=srv");
    EXPECT_EQ(outro.cbxProvedor->currentText(), "SQLNCLI11");
    EXPECT_EQ(outro.MontarCadeia(), "Provider=SQLNCLI11;Data Source=srv;Integrated Security=SSPI");
}

TEST_F(EditorDeConexaoTeste, TestarConexaoAbreEFechaComOsCamposDaTela) {
    const std::string servidor = (Pasta() / "servidor").string();
    TEditorDeConexao editor(
        nullptr, "Provider=Simulador;Data Source=" + servidor + ";Initial Catalog=master");
    editor.rbtSqlServer->setChecked(true);
    editor.edtUsuario->setText("sa");
    {
        teste::RespondedorDeCaixas respondedor;
        ExecutarComando([&] { editor.btnTestarClick(); });
        ASSERT_EQ(respondedor.caixas.size(), 1u);
        EXPECT_EQ(respondedor.caixas[0].titulo, "Informação");
    }
    editor.edtUsuario->setText("ninguem");
    teste::RespondedorDeCaixas respondedor;
    ExecutarComando([&] { editor.btnTestarClick(); });
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
}

}  // namespace
}  // namespace zolvek::app
