#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "app/confirmacao_analisar.hpp"
#include "app/evolucao_analisar.hpp"
#include "app/principal.hpp"
#include "app/simulacao_analisar.hpp"
#include "app/trabalho_em_segundo_plano.hpp"
#include "auxiliares.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "db/conjunto.hpp"
#include "dictionary/escritor.hpp"

namespace zolvek::app {
namespace {

using teste::JanelaVisivel;
using teste::QuandoPossivel;
using teste::RespondedorDeCaixas;

// The demo company database as a new installation leaves it (company row, empty status
// table) on a stand-in server, and the demo dictionary beside the program.
class AnalisarPelaJanelaTeste : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        servidor_ = (Pasta() / "servidor").string();
        std::ifstream demo(std::string(ZOLVEK_PASTA_TESTES) +
                           "/../src/dictionary/demo/ZAV_Molvena.txt");
        std::stringstream texto;
        texto << demo.rdbuf();
        dicionario_ = Pasta() / "ZAV_Molvena.DicD";
        std::ofstream(dicionario_, std::ios::binary) << dicionario::CodificarTexto(texto.str());
        Executar("master", "CREATE DATABASE EMPRESA");
        std::ifstream empresa(std::string(ZOLVEK_PASTA_TESTES) + "/../demo/empresa_demo.sql");
        std::string linha, lote;
        while (std::getline(empresa, linha)) {
            if (linha == "GO") {
                Executar("EMPRESA", lote);
                lote.clear();
            } else {
                lote += linha + "\n";
            }
        }
    }
    std::string Cadeia(const std::string& banco) const {
        return "Provider=Simulador;Data Source=" + servidor_ + ";Initial Catalog=" + banco +
               ";User ID=sa;Password=";
    }
    void Executar(const std::string& banco, const std::string& sql) {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(Cadeia(banco));
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL(sql);
        consulta.Executar();
    }
    std::vector<std::string> Coluna(const std::string& sql) {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(Cadeia("EMPRESA"));
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL(sql);
        consulta.Abrir();
        std::vector<std::string> valores;
        for (consulta.Primeiro(); !consulta.Fim(); consulta.Proximo())
            valores.push_back(consulta.Campos().at(0).Texto());
        return valores;
    }

    std::string servidor_;
    std::filesystem::path dicionario_;
};

TEST_F(AnalisarPelaJanelaTeste, AnaliseDoBancoDeDemonstracaoPelasJanelas) {
    TPrincipal principal({Cadeia("EMPRESA")});
    principal.DefinirCaminhoDoDicionario(dicionario_);
    principal.show();
    principal.FormShow();
    ASSERT_TRUE(principal.Conectado());

    RespondedorDeCaixas respondedor;  // no box is expected
    bool viuAJanelaDeEvolucao = false;
    QuandoPossivel([&] {
        auto* dialogo = JanelaVisivel<TConfirmacaoAnalisar>();
        if (!dialogo) return false;
        EXPECT_EQ(dialogo->edtGrupoParaAcesso->text(), "PUBLIC");
        dialogo->btnIniciar->click();
        return true;
    });
    // While the run goes on, the progress window is the one that takes input.
    QuandoPossivel([&] {
        auto* janela = JanelaVisivel<TEvolucaoAnalisar>();
        if (!janela) return false;
        viuAJanelaDeEvolucao = QApplication::activeModalWidget() == janela;
        return true;
    });
    principal.btnAnalisar->click();

    auto* janela = JanelaVisivel<TEvolucaoAnalisar>();
    ASSERT_NE(janela, nullptr);  // stays open for reading
    EXPECT_TRUE(viuAJanelaDeEvolucao);
    EXPECT_TRUE(janela->Finalizado());
    EXPECT_EQ(janela->lblFase->text(), "Análise concluída");
    EXPECT_EQ(janela->btnCancelar->text(), "&OK");
    EXPECT_EQ(janela->pgbEvolucao->value(), janela->pgbEvolucao->maximum());
    EXPECT_FALSE(janela->lblDuvidas->isHidden());
    EXPECT_EQ(janela->lblImprimirErros->isHidden(), janela->QuantidadeDeErros() == 0);
    for (const auto& l : janela->lstErros->Linhas()) ADD_FAILURE() << l.join(" | ").toStdString();
    teste::Capturar(*janela, "analise_concluida");
    EXPECT_TRUE(respondedor.caixas.empty());

    const auto registro = Coluna("select Complemento from RegMov");
    ASSERT_EQ(registro.size(), 1u);
    EXPECT_EQ(registro[0], "Dicionário de dados revisão 12, executado com sucesso");
    // The outcome under "Análise concluída", in the usual colour.
    EXPECT_EQ(janela->lblResultado->text().toStdString(), registro[0]);
    EXPECT_FALSE(janela->lblResultado->property("vermelho").toBool());
    // The panel was refreshed: the database is no longer in maintenance.
    EXPECT_FALSE(principal.btnAnalisar->property("vermelho").toBool());

    janela->btnCancelar->click();
    EXPECT_EQ(JanelaVisivel<TEvolucaoAnalisar>(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AnalisarPelaJanelaTeste, JanelaViveDuranteUmComandoLongoECancelarOInterrompe) {
    // The company's own procedures begin with a batch that takes two minutes.
    Executar("EMPRESA",
             "UPDATE PARFN SET Script = 'IF EXISTS (SELECT 1) PRINT ''inicio''' + char(13) + "
             "char(10) + 'WAITFOR DELAY ''00:02:00'''");
    TPrincipal principal({Cadeia("EMPRESA")});
    principal.DefinirCaminhoDoDicionario(dicionario_);
    principal.show();
    principal.FormShow();
    ASSERT_TRUE(principal.Conectado());

    QuandoPossivel([&] {
        auto* dialogo = JanelaVisivel<TConfirmacaoAnalisar>();
        if (!dialogo) return false;
        dialogo->btnIniciar->click();
        return true;
    });
    teste::ContadorDePinturas contador;
    int etapa = 0, pinturasAntes = 0;
    bool outroAnalisar = false;
    QuandoPossivel([&] {
        auto* janela = JanelaVisivel<TEvolucaoAnalisar>();
        TrabalhoEmSegundoPlano* trabalho = TrabalhoEmSegundoPlano::Atual();
        if (!janela || !trabalho) return false;
        if (etapa == 0) {
            // The first statement of this phase is the company's long batch.
            if (janela->Fase() != "Removendo procedimentos para integridade..." ||
                !trabalho->Cancelador().ComandoEmExecucao())
                return false;
            janela->installEventFilter(&contador);
            pinturasAntes = contador.pinturas;
            janela->update();
            etapa = 1;
            return false;
        }
        if (contador.pinturas == pinturasAntes) return false;  // it repaints meanwhile
        EXPECT_TRUE(trabalho->Cancelador().ComandoEmExecucao());
        // A click on the main window starts nothing while the run goes on.
        teste::EnviarMouse(principal.btnAnalisar, QEvent::MouseButtonPress);
        teste::EnviarMouse(principal.btnAnalisar, QEvent::MouseButtonRelease);
        outroAnalisar = JanelaVisivel<TConfirmacaoAnalisar>() != nullptr;
        janela->btnCancelar->click();
        return true;
    });
    principal.btnAnalisar->click();

    auto* janela = JanelaVisivel<TEvolucaoAnalisar>();
    ASSERT_NE(janela, nullptr);
    EXPECT_EQ(etapa, 1);
    EXPECT_FALSE(outroAnalisar);
    EXPECT_TRUE(janela->Finalizado());
    EXPECT_EQ(janela->lblFase->text(), "Análise cancelada");
    // The stopped batch is a row of the list.
    bool linhaDoLote = false;
    for (const auto& l : janela->lstErros->Linhas())
        linhaDoLote = linhaDoLote || l.contains("Operation canceled");
    EXPECT_TRUE(linhaDoLote);
    // The outcome, under the phase in red: "..., cancelado, N erro(s)".
    EXPECT_FALSE(janela->lblResultado->isHidden());
    const std::string resultado = janela->lblResultado->text().toStdString();
    EXPECT_EQ(resultado.rfind("Dicionário de dados revisão 12, cancelado, ", 0), 0u) << resultado;
    EXPECT_TRUE(janela->lblResultado->text().endsWith(" erro(s)")) << resultado;
    EXPECT_TRUE(janela->lblResultado->property("vermelho").toBool());
    teste::Capturar(*janela, "analise_cancelada");
    // The panel tells the database stayed in maintenance.
    EXPECT_TRUE(principal.btnAnalisar->property("vermelho").toBool());
    EXPECT_TRUE(principal.edtSisInfo->toPlainText().contains("Banco de dados em manutenção"));
    janela->btnCancelar->click();
}

TEST_F(AnalisarPelaJanelaTeste, SimularMostraAsMudancasEACopiaAntesPrecedeAExecucao) {
    TPrincipal principal({Cadeia("EMPRESA")});
    principal.DefinirCaminhoDoDicionario(dicionario_);
    principal.show();
    principal.FormShow();
    ASSERT_TRUE(principal.Conectado());
    const auto gravado = [&](const char* nome) { return (Pasta() / nome).string(); };

    RespondedorDeCaixas respondedor;  // no box is expected
    QString relatorioMostrado;
    bool viuORelatorio = false;
    const auto iniciarComCopia = [&] {
        auto* dialogo = JanelaVisivel<TConfirmacaoAnalisar>();
        if (!dialogo || QApplication::activeModalWidget() != dialogo) return false;
        // The backup file is asked for when its box is ticked; giving it up unticks it.
        dialogo->EscolherCopia = [](QWidget*) { return QString(); };
        dialogo->cbxCopiaAntes->click();
        EXPECT_FALSE(dialogo->cbxCopiaAntes->isChecked());
        dialogo->EscolherCopia = [](QWidget*) { return QString("antes.bak"); };
        dialogo->cbxCopiaAntes->click();
        EXPECT_TRUE(dialogo->cbxCopiaAntes->isChecked());
        EXPECT_EQ(dialogo->lblCopiaAntes->text(), "antes.bak");
        // Not one of the registered options.
        EXPECT_EQ(analysis::ListaDeOpcoes(dialogo->Opcoes()),
                  analysis::ListaDeOpcoes(analysis::OpcoesDaAnalise{}));
        dialogo->btnIniciar->click();
        return true;
    };
    QuandoPossivel([&] {
        auto* relatorio = JanelaVisivel<TRelatorioDaSimulacao>();
        if (!relatorio) return false;
        viuORelatorio = true;
        EXPECT_EQ(relatorio->windowTitle(), "Simulação da análise: Mudanças");
        EXPECT_EQ(JanelaVisivel<TEvolucaoAnalisar>(), nullptr);  // the report tells it all
        relatorioMostrado = relatorio->memRelatorio->toPlainText();
        EXPECT_EQ(relatorio->btnSalvar->text(), "&Salvar...");
        EXPECT_EQ(relatorio->btnSalvarScript->text(), "Salvar s&cript...");
        relatorio->EscolherArquivo = [&](QWidget*, const QString& titulo, const QString&) {
            return QString::fromStdString(
                gravado(titulo.contains("script") ? "simulacao.sql" : "simulacao.txt"));
        };
        relatorio->btnSalvar->click();
        relatorio->btnSalvarScript->click();
        teste::Capturar(*relatorio, "simulacao_da_analise");
        relatorio->btnFechar->click();
        // Back in the options dialog, which stayed open.
        QuandoPossivel(iniciarComCopia);
        return true;
    });
    QuandoPossivel([&] {
        auto* dialogo = JanelaVisivel<TConfirmacaoAnalisar>();
        if (!dialogo) return false;
        EXPECT_EQ(dialogo->btnSimular->text(), "&Simular...");
        QTimer::singleShot(0, dialogo->btnSimular, &QPushButton::click);
        return true;
    });
    principal.btnAnalisar->click();
    ASSERT_TRUE(viuORelatorio);
    EXPECT_TRUE(respondedor.caixas.empty());

    // The report and the script as the window showed and the run would send them.
    EXPECT_TRUE(relatorioMostrado.startsWith(
        "Simulação da análise do banco de dados EMPRESA (dicionário de dados revisão 12)"))
        << relatorioMostrado.toStdString();
    EXPECT_EQ(LerArquivoInteiro(gravado("simulacao.txt"), ""), relatorioMostrado.toStdString());
    const std::string script = LerArquivoInteiro(gravado("simulacao.sql"), "");
    EXPECT_EQ(script.rfind("-- Simulação de \"Analisar\" no banco de dados EMPRESA", 0), 0u);
    EXPECT_NE(script.find("\nGO\n"), std::string::npos);

    // Only the run was registered, after its backup.
    EXPECT_EQ(Coluna("select Complemento from RegMov"),
              std::vector<std::string>{"Dicionário de dados revisão 12, executado com sucesso"});
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(servidor_) / "Backup" / "antes.bak"));
    if (auto* janela = JanelaVisivel<TEvolucaoAnalisar>()) janela->btnCancelar->click();
}

TEST_F(AnalisarPelaJanelaTeste, CancelarNoDialogoNaoFazNada) {
    TPrincipal principal({Cadeia("EMPRESA")});
    principal.DefinirCaminhoDoDicionario(dicionario_);
    principal.show();
    principal.FormShow();
    QuandoPossivel([&] {
        auto* dialogo = JanelaVisivel<TConfirmacaoAnalisar>();
        if (!dialogo) return false;
        dialogo->btnCancelar->click();
        return true;
    });
    principal.btnAnalisar->click();
    EXPECT_EQ(JanelaVisivel<TEvolucaoAnalisar>(), nullptr);
    EXPECT_TRUE(Coluna("select name from sysobjects where name='RegMov'").empty());
}

}  // namespace
}  // namespace zolvek::app
