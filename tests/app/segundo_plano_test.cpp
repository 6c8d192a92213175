#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/administrador_do_servidor.hpp"
#include "app/jv_sql_script.hpp"
#include "app/trabalho_em_segundo_plano.hpp"
#include "auxiliares.hpp"
#include "comum/erros.hpp"
#include "db/conjunto.hpp"

namespace zolvek::app {
namespace {

using teste::ContadorDePinturas;
using teste::EnviarMouse;
using teste::RespondedorDeCaixas;

// The SQL script window on a company database of a stand-in server.
class SegundoPlanoTeste : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        servidor_ = (Pasta() / "servidor").string();
        db::Conexao master;
        master.DefinirStringDeConexao(Cadeia("master"));
        master.Abrir();
        Rodar(master, "CREATE DATABASE EMPRESA");
        conexao_.DefinirStringDeConexao(Cadeia("EMPRESA"));
        conexao_.Abrir();
        Rodar(conexao_, "CREATE TABLE Marca (N int NOT NULL)");
    }
    std::string Cadeia(const std::string& banco) const {
        return "Provider=Simulador;Data Source=" + servidor_ + ";Initial Catalog=" + banco +
               ";User ID=sa;Password=";
    }
    static void Rodar(db::Conexao& c, const std::string& sql) {
        db::Consulta q(&c);
        q.DefinirSQL(sql);
        q.Executar();
    }
    // The marks, read on a connection of its own while the window works on its.
    QStringList Marcas() {
        db::Conexao outra;
        outra.DefinirStringDeConexao(Cadeia("EMPRESA"));
        outra.Abrir();
        db::Consulta q(&outra);
        q.DefinirSQL("select N from Marca order by N");
        q.Abrir();
        QStringList marcas;
        for (q.Primeiro(); !q.Fim(); q.Proximo())
            marcas << QString::fromStdString(q.Campos().at(0).Texto());
        return marcas;
    }

    std::string servidor_;
    db::Conexao conexao_;
};

TEST_F(SegundoPlanoTeste, JanelaSqlViveDuranteOComandoEFecharOInterrompe) {
    TJvSQLScript janela(&conexao_);
    janela.show();
    janela.DefinirTexto(
        "INSERT INTO Marca VALUES (1)\nGO\nWAITFOR DELAY '00:02:00'\nGO\nINSERT INTO Marca "
        "VALUES (2)");
    RespondedorDeCaixas respondedor(QMessageBox::Yes);
    ContadorDePinturas contador;
    janela.installEventFilter(&contador);
    int etapa = 0, pinturasAntes = 0;
    bool executarDesligado = false, editorSomenteLeitura = false;
    teste::QuandoPossivel([&] {
        TrabalhoEmSegundoPlano* trabalho = TrabalhoEmSegundoPlano::Atual();
        if (!trabalho) return false;
        if (etapa == 0) {
            // The wait is under way once the first batch left its mark.
            if (!trabalho->Cancelador().ComandoEmExecucao() || Marcas() != QStringList{"1"})
                return false;
            pinturasAntes = contador.pinturas;
            janela.update();
            etapa = 1;
            return false;
        }
        // It repaints while the statement runs.
        if (contador.pinturas == pinturasAntes) return false;
        EXPECT_TRUE(trabalho->Cancelador().ComandoEmExecucao());
        executarDesligado = !janela.btnExecutar->isEnabled();
        editorSomenteLeitura = janela.edtScript->isReadOnly();
        EnviarMouse(janela.btnExecutar, QEvent::MouseButtonPress);  // not a second run
        EnviarMouse(janela.btnExecutar, QEvent::MouseButtonRelease);
        janela.close();  // "Você quer abandonar este processamento ?" Yes
        return true;
    });
    janela.btnExecutar->click();
    QCoreApplication::processEvents();  // the window closes once the run has ended

    EXPECT_EQ(etapa, 1);
    EXPECT_TRUE(executarDesligado);
    EXPECT_TRUE(editorSomenteLeitura);
    EXPECT_FALSE(janela.isVisible());
    EXPECT_FALSE(janela.EmExecucao());
    // The wait was stopped, and the batch after it never ran; no error box for a run the
    // user gave up.
    EXPECT_EQ(Marcas(), QStringList{"1"});
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].texto, "Você quer abandonar este processamento ?");
    EXPECT_EQ(janela.edtResultado->toPlainText().toStdString().find("Falha no lote"), 0u);
    // The connection is the program's again, and usable.
    Rodar(conexao_, "INSERT INTO Marca VALUES (3)");
    EXPECT_EQ(Marcas(), (QStringList{"1", "3"}));
}

TEST_F(SegundoPlanoTeste, CliqueDuploEmExecutarRodaOScriptUmaVez) {
    TJvSQLScript janela(&conexao_);
    janela.show();
    janela.DefinirTexto("INSERT INTO Marca VALUES (7)");
    // A double click as widgets get it: press, release, then the second press as a
    // double click, and its release.
    EnviarMouse(janela.btnExecutar, QEvent::MouseButtonPress);
    EnviarMouse(janela.btnExecutar, QEvent::MouseButtonRelease);
    EnviarMouse(janela.btnExecutar, QEvent::MouseButtonDblClick);
    EnviarMouse(janela.btnExecutar, QEvent::MouseButtonRelease);
    QCoreApplication::processEvents();
    EXPECT_EQ(Marcas(), QStringList{"7"});
    EXPECT_EQ(janela.edtResultado->toPlainText(), "Linhas afetadas: 1");
    EXPECT_TRUE(janela.btnExecutar->isEnabled());
    EXPECT_FALSE(janela.edtScript->isReadOnly());
    // Two separate clicks are two runs.
    janela.btnExecutar->click();
    EXPECT_EQ(Marcas(), (QStringList{"7", "7"}));
}

// A dialog of the server commands, whose work is a statement of the test's.
class DialogoDeTeste : public TDialogoDoServidor {
  public:
    DialogoDeTeste() {
        auto* tudo = new QVBoxLayout(this);
        campo = new QLineEdit(this);
        tudo->addWidget(campo);
        botoes = TerminarComAdministrador(tudo, new QLineEdit(this), new QLineEdit(this));
    }
    void Executar(const std::function<void()>& trabalho) { ExecutarNoServidor(trabalho); }
    void HabilitarExecutar() override { ++habilitacoes; }

    QLineEdit* campo;
    BotoesDeExecucao botoes;
    int habilitacoes = 0;
};

TEST_F(SegundoPlanoTeste, CancelarNoDialogoDoServidorInterrompeOComandoEODialogoFica) {
    DialogoDeTeste dialogo;
    dialogo.show();
    bool desligados = false, cancelarLigado = false;
    teste::QuandoPossivel([&] {
        TrabalhoEmSegundoPlano* trabalho = TrabalhoEmSegundoPlano::Atual();
        if (!trabalho || !trabalho->Cancelador().ComandoEmExecucao()) return false;
        desligados = !dialogo.campo->isEnabled() && !dialogo.botoes.executar->isEnabled();
        cancelarLigado = dialogo.botoes.cancelar->isEnabled();
        EnviarMouse(dialogo.botoes.cancelar, QEvent::MouseButtonPress);
        EnviarMouse(dialogo.botoes.cancelar, QEvent::MouseButtonRelease);
        return true;
    });
    std::string erro;
    try {
        dialogo.Executar([this] {
            db::Conexao propria;  // as "Novo.." and "Restaurar cópia..." connect
            propria.DefinirStringDeConexao(Cadeia("master"));
            propria.Abrir();
            Rodar(propria, "WAITFOR DELAY '00:02:00'");
        });
    } catch (const ErroDeBanco& e) {
        erro = e.what();
    }
    EXPECT_EQ(erro, "Operation canceled");
    EXPECT_TRUE(desligados);
    EXPECT_TRUE(cancelarLigado);
    // Still open, its controls back; "Cancelar" closes it now.
    EXPECT_TRUE(dialogo.isVisible());
    EXPECT_TRUE(dialogo.campo->isEnabled());
    EXPECT_EQ(dialogo.habilitacoes, 1);
    dialogo.botoes.cancelar->click();
    EXPECT_FALSE(dialogo.isVisible());
}

}  // namespace
}  // namespace zolvek::app
