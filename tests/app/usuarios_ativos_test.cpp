#include "app/usuarios_ativos.hpp"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include "auxiliares.hpp"
#include "comum/erros.hpp"
#include "db/conjunto.hpp"

namespace zolvek::app {
namespace {

using teste::JanelaVisivel;
using teste::QuandoPossivel;
using teste::RespondedorDeCaixas;

// A company database on a stand-in server, with the program's connection from PC1
// and another user's from PC2.
class UsuariosAtivosTeste : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        servidor_ = (Pasta() / "servidor").string();
        Executar("master", "CREATE DATABASE EMPRESA");
        nossa_ = Conectar("PC1");
        outra_ = Conectar("PC2");
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
    std::unique_ptr<db::Conexao> Conectar(const std::string& host) {
        auto conexao = std::make_unique<db::Conexao>();
        conexao->DefinirStringDeConexao(Cadeia("EMPRESA") + ";Workstation ID=" + host);
        conexao->Abrir();
        return conexao;
    }
    static QStringList Computadores(QTableWidget* grade) {
        QStringList hosts;
        for (int i = 0; i < grade->rowCount(); ++i) hosts << grade->item(i, 1)->text();
        hosts.sort();
        return hosts;
    }
    static void SelecionarComputador(QTableWidget* grade, const QString& host) {
        for (int i = 0; i < grade->rowCount(); ++i)
            if (grade->item(i, 1)->text() == host) grade->selectRow(i);
    }

    std::string servidor_;
    std::unique_ptr<db::Conexao> nossa_, outra_;
};

TEST_F(UsuariosAtivosTeste, GradeMostraAsSessoesEEliminarProcessoEncerraAsDoOutro) {
    Executar("EMPRESA",
             "CREATE PROCEDURE MatarProcesso @NOME varchar(128), @HOST varchar(128) AS select 1");
    QStringList antes, depois, titulos;
    QuandoPossivel([&] {
        auto* janela = JanelaVisivel<TUsuariosAtivos>();
        if (!janela) return false;
        EXPECT_EQ(janela->windowTitle(), "Usuários ativos");
        EXPECT_TRUE(janela->windowFlags() & Qt::WindowMaximizeButtonHint);
        for (int i = 0; i < 3; ++i)
            titulos << janela->grdProcessos->horizontalHeaderItem(i)->text();
        EXPECT_EQ(janela->grdProcessos->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(janela->grdProcessos->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(janela->mnuProcessos->defaultAction(), janela->imbEliminarProcesso);
        EXPECT_EQ(janela->imbEliminarProcesso->text(), "&Eliminar processo...");
        EXPECT_EQ(janela->btnAtualizar->text(), "&Atualizar");
        EXPECT_EQ(janela->btnFechar->text(), "&Fechar");
        antes = Computadores(janela->grdProcessos);
        EXPECT_EQ(janela->grdProcessos->item(0, 0)->text(), "sa");
        EXPECT_EQ(janela->grdProcessos->item(0, 2)->text(), "0");
        teste::Capturar(*janela, "usuarios_ativos");
        SelecionarComputador(janela->grdProcessos, "PC2");
        janela->imbEliminarProcesso->trigger();
        depois = Computadores(janela->grdProcessos);
        janela->btnFechar->click();
        return true;
    });
    MostrarUsuariosAtivos(*nossa_, "EMPRESA");
    EXPECT_EQ(titulos, QStringList({"Usuário", "Computador", "Minutos"}));
    EXPECT_EQ(antes, QStringList({"PC1", "PC2"}));
    EXPECT_EQ(depois, QStringList({"PC1"}));
    db::Consulta consulta(outra_.get());
    consulta.DefinirSQL("select 1 as Um");
    EXPECT_THROW(consulta.Abrir(), ErroDeBanco);
}

TEST_F(UsuariosAtivosTeste, ErroDoProcedimentoApareceNaCaixaEAJanelaContinua) {
    RespondedorDeCaixas respondedor;
    QStringList depois;
    bool continuouAberta = false;
    QuandoPossivel([&] {
        auto* janela = JanelaVisivel<TUsuariosAtivos>();
        if (!janela) return false;
        SelecionarComputador(janela->grdProcessos, "PC2");
        janela->imbEliminarProcesso->trigger();  // the database has no MatarProcesso
        continuouAberta = janela->isVisible();
        janela->btnAtualizar->click();
        depois = Computadores(janela->grdProcessos);
        janela->btnFechar->click();
        return true;
    });
    MostrarUsuariosAtivos(*nossa_, "EMPRESA");
    EXPECT_TRUE(continuouAberta);
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_TRUE(respondedor.caixas[0].texto.contains("MatarProcesso"));
    EXPECT_EQ(depois, QStringList({"PC1", "PC2"}));
}

TEST_F(UsuariosAtivosTeste, EliminarAPropriaConexaoPerguntaEDepoisAFecha) {
    Executar("EMPRESA",
             "CREATE PROCEDURE MatarProcesso @NOME varchar(128), @HOST varchar(128) AS select 1");
    for (const auto resposta : {QMessageBox::No, QMessageBox::Yes}) {
        RespondedorDeCaixas respondedor(resposta);
        bool fechou = false, encerrada = false;
        QuandoPossivel([&] {
            auto* janela = JanelaVisivel<TUsuariosAtivos>();
            if (!janela) return false;
            SelecionarComputador(janela->grdProcessos, "PC1");  // the window's own connection
            janela->imbEliminarProcesso->trigger();
            fechou = !janela->isVisible();
            encerrada = janela->ConexaoEncerrada();
            if (!fechou) janela->btnFechar->click();
            return true;
        });
        MostrarUsuariosAtivos(*nossa_, "EMPRESA");
        ASSERT_GE(respondedor.caixas.size(), 1u);
        EXPECT_EQ(respondedor.caixas[0].texto.toStdString(), PerguntaDaConexaoPropria("sa", "PC1"));
        EXPECT_EQ(respondedor.caixas[0].padrao, QMessageBox::No);
        if (resposta == QMessageBox::No) {
            // Nothing was ended.
            EXPECT_FALSE(fechou);
            EXPECT_TRUE(nossa_->Aberta());
            continue;
        }
        ASSERT_EQ(respondedor.caixas.size(), 2u);
        EXPECT_EQ(respondedor.caixas[1].texto, TUsuariosAtivos::kConexaoEncerrada);
        EXPECT_TRUE(fechou);
        EXPECT_TRUE(encerrada);
        EXPECT_FALSE(nossa_->Aberta());
    }
}

}  // namespace
}  // namespace zolvek::app
