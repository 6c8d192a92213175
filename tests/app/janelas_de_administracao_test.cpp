#include <QHeaderView>
#include "admin/banco_de_teste.hpp"
#include "app/cria_novo_banco.hpp"
#include "app/historico_banco.hpp"
#include "app/jv_sql_script.hpp"
#include "app/mensagens.hpp"
#include "app/restaura_copia.hpp"
#include "app/validar_bd.hpp"
#include "auxiliares.hpp"
#include "comum/erros.hpp"

#include <fstream>
#include <sstream>

namespace zolvek::app {
namespace {

using teste::QuandoPossivel;
using teste::RespondedorDeCaixas;

std::string LerArquivoDeTexto(const std::filesystem::path& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    return texto.str();
}

class JanelasDeAdministracao : public teste::TesteDeJanela {};

TEST_F(JanelasDeAdministracao, NovoBancoHabilitaELembra) {
    {
        TCriaNovoBancoDeDados dialogo;
        EXPECT_EQ(dialogo.windowTitle(), "Novo banco de dados");
        EXPECT_EQ(dialogo.edtPasta->text(),
                  "C:\\Arquivos de Programas\\Microsoft SQL Server\\MSSQL\\Data");
        EXPECT_EQ(dialogo.edtTamanhoDoLog->value(), 100);
        EXPECT_EQ(dialogo.edtTamanhoDoLog->minimum(), 5);
        EXPECT_EQ(dialogo.edtTamanhoDoLog->maximum(), 500);
        EXPECT_EQ(dialogo.edtLogin->text(), "sa");
        EXPECT_EQ(dialogo.edtSenha->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtNome->setText("  NOVO ");
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtServidor->setText(" ");
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtServidor->setText("SRV");
        EXPECT_TRUE(dialogo.btnExecutar->isEnabled());
        dialogo.edtNome->setText(" ");
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtNome->setText("X");
        dialogo.edtPasta->setText("D:\\Dados");
        dialogo.edtTamanhoDoLog->setValue(250);
        dialogo.edtLogin->setText("adm");
        dialogo.edtSenha->setText("segredo");
    }
    TCriaNovoBancoDeDados outro;
    EXPECT_EQ(outro.edtNome->text(), "");
    EXPECT_EQ(outro.edtServidor->text(), "SRV");
    EXPECT_EQ(outro.edtPasta->text(), "D:\\Dados");
    EXPECT_EQ(outro.edtTamanhoDoLog->value(), 250);
    EXPECT_EQ(outro.edtLogin->text(), "adm");
    EXPECT_EQ(outro.edtSenha->text(), "");
    EXPECT_FALSE(outro.btnExecutar->isEnabled());  // re-evaluated when it opens
}

TEST_F(JanelasDeAdministracao, NovoBancoCriaNoServidorOuMostraOErro) {
    zolvek::teste::BancoDeTeste servidor;
    TCriaNovoBancoDeDados dialogo;
    dialogo.edtNome->setText("NOVO");
    dialogo.edtServidor->setText(QString::fromStdString(servidor.Pasta().string()));
    dialogo.edtPasta->setText("D:\\Dados\\");
    dialogo.btnExecutarClick();
    EXPECT_EQ(dialogo.result(), QDialog::Accepted);
    EXPECT_EQ(servidor.Coluna("select count(*) from sys.databases where name='NOVO'"),
              std::vector<std::string>{"1"});
    // Again: the server's error in a box, the dialog stays with its values.
    TCriaNovoBancoDeDados repetido;
    repetido.edtNome->setText("NOVO");
    repetido.edtServidor->setText(dialogo.edtServidor->text());
    RespondedorDeCaixas respostas;
    repetido.show();
    repetido.btnExecutar->click();
    ASSERT_EQ(respostas.caixas.size(), 1u);
    EXPECT_EQ(respostas.caixas[0].titulo, "Erro");
    EXPECT_EQ(respostas.caixas[0].texto,
              "Database 'NOVO' already exists. Choose a different database name.");
    EXPECT_TRUE(repetido.isVisible());
    EXPECT_EQ(repetido.edtNome->text(), "NOVO");
}

TEST_F(JanelasDeAdministracao, RestaurarHabilitaELembra) {
    {
        TRestauraCopia dialogo;
        EXPECT_EQ(dialogo.windowTitle(), "Cópia de Segurança: Restauração");
        EXPECT_EQ(dialogo.edtLogin->text(), "sa");
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtOrigem->setText("c.bak");
        dialogo.edtDestino->setText("EMPRESA");
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtServidor->setText("SRV");
        EXPECT_TRUE(dialogo.btnExecutar->isEnabled());
        dialogo.edtDestino->setText("   ");
        EXPECT_FALSE(dialogo.btnExecutar->isEnabled());
        dialogo.edtDestino->setText("EMPRESA");
        dialogo.edtSenha->setText("x");
    }
    TRestauraCopia outro;
    EXPECT_EQ(outro.edtOrigem->text(), "c.bak");
    EXPECT_EQ(outro.edtDestino->text(), "EMPRESA");
    EXPECT_EQ(outro.edtServidor->text(), "SRV");
    EXPECT_EQ(outro.edtSenha->text(), "");
    EXPECT_TRUE(outro.btnExecutar->isEnabled());
}

// The windows that work on the program's connection, over a company database.
class JanelasNoBanco : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        banco.CriarTabelasDaEmpresa();
        banco.Executar(
            "CREATE TABLE RegMov (idRegMov int IDENTITY(1,1), Hora datetime NOT NULL DEFAULT "
            "getdate(), Operador varchar(128) NOT NULL, Tipo varchar(20) NOT NULL, Complemento "
            "varchar(255) NULL)");
        banco.Executar("CREATE TABLE T (a int)");
        banco.Executar(
            "INSERT INTO T VALUES (1) INSERT INTO T VALUES (2) INSERT INTO T VALUES (3)");
        modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
        modulo.Conectar();
    }

    std::vector<std::string> Coluna(const std::string& sql) {
        db::Consulta consulta(&modulo.Banco);
        consulta.DefinirSQL(sql);
        consulta.Abrir();
        std::vector<std::string> valores;
        for (consulta.Primeiro(); !consulta.Fim(); consulta.Proximo())
            valores.push_back(consulta.Campos().at(0).Texto());
        return valores;
    }

    zolvek::teste::BancoDeTeste banco;
    db::TModuloDados modulo;
};

TEST_F(JanelasNoBanco, ValidarMostraARevisaoEValida) {
    TValidarBD dialogo(modulo, 12);
    EXPECT_EQ(dialogo.windowTitle(), "Validar BD");
    EXPECT_EQ(dialogo.lblRevisao->text(), "Banco de dados será validado para a revisão [12]");
    EXPECT_TRUE(dialogo.lblRevisao->wordWrap());
    EXPECT_TRUE(dialogo.lblRevisao->font().bold());
    EXPECT_TRUE(dialogo.btnValidar->isDefault());
    dialogo.btnValidarClick();
    EXPECT_EQ(dialogo.result(), QDialog::Accepted);
    EXPECT_EQ(Coluna("select RevisaoDoBD from PEMPRESA"), std::vector<std::string>{"12"});
    EXPECT_EQ(Coluna("select Tipo from RegMov"), std::vector<std::string>{"Validar"});
    // Already at the revision: only the message, no dialog.
    RespondedorDeCaixas respostas;
    EXPECT_FALSE(ValidarBancoDeDados(nullptr, modulo, 12));
    ASSERT_EQ(respostas.caixas.size(), 1u);
    EXPECT_EQ(respostas.caixas[0].texto, "Banco de dados já está validado");
}

TEST_F(JanelasNoBanco, HistoricoComColunasETitulos) {
    banco.Executar(
        "insert RegMov (Hora, Operador, Tipo, Complemento) values ('2026-01-01', 'ana', "
        "'Analisar', 'Dicionário de dados revisão 12, executado com sucesso'), ('2026-01-02', "
        "'bia', 'Validar', ''), ('2026-01-03', 'caio', 'Liberar', '')");
    THistoricoBancoDeDados janela(modulo.Banco);
    EXPECT_EQ(janela.windowTitle(), "Banco de dados: Histórico de manutenção");
    EXPECT_EQ(janela.size(), QSize(444, 262));
    ASSERT_EQ(janela.grdHistorico->columnCount(), 4);
    EXPECT_EQ(janela.grdHistorico->horizontalHeaderItem(3)->text(), "Complemento");
    ASSERT_EQ(janela.grdHistorico->rowCount(), 2);
    EXPECT_EQ(janela.grdHistorico->item(0, 0)->text(), "caio");
    EXPECT_EQ(janela.grdHistorico->item(1, 2)->text(), "Analisar");
    // Every value and title reads whole, on one line, and "Complemento" starts in view.
    janela.show();
    QTableWidget* grade = janela.grdHistorico;
    EXPECT_FALSE(grade->wordWrap());
    for (int c = 0; c < 4; ++c) {
        EXPECT_GE(grade->columnWidth(c), grade->horizontalHeader()->sectionSizeHint(c)) << c;
        for (int l = 0; l < grade->rowCount(); ++l)
            EXPECT_GT(grade->columnWidth(c),
                      grade->fontMetrics().horizontalAdvance(grade->item(l, c)->text()) + 4)
                << grade->item(l, c)->text().toStdString();
    }
    EXPECT_LT(
        grade->columnViewportPosition(3) + grade->fontMetrics().horizontalAdvance("Complemento"),
        grade->viewport()->width());
    teste::Capturar(janela, "historico");
    banco.Executar("DROP TABLE RegMov");
    EXPECT_THROW(THistoricoBancoDeDados(modulo.Banco), ErroDeBanco);
}

TEST_F(JanelasNoBanco, ScriptResultadoCursorESelecao) {
    TJvSQLScript janela(&modulo.Banco);
    EXPECT_EQ(janela.windowTitle(), "Comandos SQL");
    EXPECT_FALSE(janela.btnOK->isVisible());
    janela.DefinirTexto("update T set a = a * 10\ngo\nupdate T set a = a + 1 where a = 10\n");
    janela.btnExecutarClick();
    EXPECT_EQ(janela.edtResultado->toPlainText(), "Linhas afetadas: 1");
    // Only the selection: the first statement.
    QTextCursor cursor = janela.edtScript->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(static_cast<int>(std::string("update T set a = a * 10").size()),
                       QTextCursor::KeepAnchor);
    janela.edtScript->setTextCursor(cursor);
    janela.btnExecutarClick();
    EXPECT_EQ(janela.edtResultado->toPlainText(), "Linhas afetadas: 3");
    EXPECT_EQ(Coluna("select a from T order by a"),
              (std::vector<std::string>{"110", "200", "300"}));
    janela.DefinirTexto("create table U (b int)");
    janela.btnExecutarClick();
    EXPECT_EQ(janela.edtResultado->toPlainText(), "Comando executado com sucesso");

    janela.pgcInfo->setCurrentWidget(janela.pgaQuery);
    janela.DefinirTexto("select a from T order by a desc");
    janela.btnExecutarClick();
    ASSERT_EQ(janela.grdComandoSQL->rowCount(), 3);
    EXPECT_EQ(janela.grdComandoSQL->horizontalHeaderItem(0)->text(), "a");
    EXPECT_EQ(janela.grdComandoSQL->item(0, 0)->text(), "300");
}

TEST_F(JanelasNoBanco, ScriptLoteComErroDesfeitoEDitoNoResultado) {
    TJvSQLScript janela(&modulo.Banco);
    janela.DefinirTexto("delete from T\nGO\ninsert T values (7)\nselect * from NaoExiste\nGO\n");
    RespondedorDeCaixas respostas;
    ExecutarComando([&] { janela.btnExecutarClick(); });
    ASSERT_EQ(respostas.caixas.size(), 1u);
    EXPECT_EQ(respostas.caixas[0].texto, "Invalid object name 'NaoExiste'.");
    EXPECT_EQ(janela.edtResultado->toPlainText(),
              "Falha no lote iniciado na linha 3; os comandos deste lote foram desfeitos");
    EXPECT_FALSE(modulo.Banco.EmTransacao());
    EXPECT_TRUE(Coluna("select a from T").empty());
}

TEST_F(JanelasNoBanco, ScriptPerguntaAoFecharEAbreESalvaArquivos) {
    const auto arquivo = banco.Pasta() / "comandos.sql";
    TJvSQLScript janela(&modulo.Banco);
    janela.EscolherArquivoParaSalvar = [&](QWidget*) {
        return QString::fromStdString(arquivo.string());
    };
    janela.EscolherArquivoParaAbrir = janela.EscolherArquivoParaSalvar;
    janela.show();
    janela.edtScript->insertPlainText("select 1");  // typed: the text is modified
    {
        RespondedorDeCaixas cancelar(QMessageBox::Cancel);
        janela.close();
        ASSERT_EQ(cancelar.caixas.size(), 1u);
        EXPECT_EQ(cancelar.caixas[0].texto,
                  "O texto com os comandos foi alterado, você deseja salvá-lo ?");
        EXPECT_TRUE(janela.isVisible());
    }
    {
        RespondedorDeCaixas sim(QMessageBox::Yes);
        janela.close();
        EXPECT_FALSE(janela.isVisible());
    }
    EXPECT_EQ(LerArquivoDeTexto(arquivo), "select 1");
    janela.show();
    janela.DefinirTexto("outro");
    janela.btnAbrirClick();
    EXPECT_EQ(janela.Texto(), "select 1");
    EXPECT_FALSE(janela.edtScript->document()->isModified());
    janela.close();
    EXPECT_FALSE(janela.isVisible());
}

TEST_F(JanelasDeAdministracao, EditorDeProcedimentos) {
    TJvSQLScript janela(nullptr, nullptr, TJvSQLScript::Modo::Procedimentos);
    EXPECT_EQ(janela.windowTitle(), "Procedimentos internos da empresa");
    janela.show();
    EXPECT_FALSE(janela.pgcInfo->isVisible());
    EXPECT_FALSE(janela.btnExecutar->isVisible());
    EXPECT_TRUE(janela.btnOK->isVisible());
    EXPECT_EQ(janela.btnFechar->text(), "&Cancelar");
    EXPECT_EQ(janela.btnAbrir->text(), "&Importar...");
    EXPECT_EQ(janela.btnSalvar->text(), "&Exportar...");
    janela.close();

    QuandoPossivel([] {
        auto* editor = teste::JanelaVisivel<TJvSQLScript>();
        if (!editor) return false;
        editor->edtScript->setPlainText("exec Y");
        editor->btnOK->click();
        return true;
    });
    EXPECT_EQ(EditarProcedimentosInternos(nullptr, "exec X"), std::optional<std::string>("exec Y"));
    QuandoPossivel([] {
        auto* editor = teste::JanelaVisivel<TJvSQLScript>();
        if (!editor) return false;
        editor->btnFechar->click();
        return true;
    });
    EXPECT_EQ(EditarProcedimentosInternos(nullptr, "exec X"), std::nullopt);
}

}  // namespace
}  // namespace zolvek::app
