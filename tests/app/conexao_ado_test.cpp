#include "app/conexao_ado.hpp"

#include <QMessageBox>

#include "app/configuracoes.hpp"
#include "auxiliares.hpp"
#include "comum/erros.hpp"

namespace zolvek::app {
namespace {

using teste::JanelaVisivel;
using teste::QuandoPossivel;

constexpr const char* kPadrao =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False";

class ConexaoAdoTeste : public teste::TesteDeJanela {
  protected:
    // Saved connections as a previous run of the program left them.
    void Salvar(const QStringList& bancos, const QString& nome = "") {
        auto memoria = AbrirConfiguracoes(RaizDasConfiguracoes::Produto);
        memoria->setValue("ConexaoADO/Bancos.Strings", bancos);
        memoria->setValue("ConexaoADO/edtNome.Text", nome);
    }
    QStringList Salvas() {
        return AbrirConfiguracoes(RaizDasConfiguracoes::Produto)
            ->value("ConexaoADO/Bancos.Strings")
            .toStringList();
    }
    // The dialog as ObterConexao prepares it, without showing it.
    void Preparar(TConexaoADO& d) {
        d.RestaurarMemoria();
        d.MemoriaRestorePlacement();
    }
};

TEST_F(ConexaoAdoTeste, OkDevolveACadeiaComOLoginEOMaisRecenteSobeParaOTopo) {
    Salvar(
        {"A=Provider=SQLOLEDB.1;Data Source=a", QString("B=") + kPadrao + ";Data Source=b", "C=c"});
    TConexaoADO dialogo;
    QuandoPossivel([] {
        auto* d = JanelaVisivel<TConexaoADO>();
        if (!d) return false;
        EXPECT_TRUE(d->chkAutomatico->isHidden());
        EXPECT_EQ(d->cbxBanco->currentText(), "A");
        teste::Capturar(*d, "conexao");
        d->cbxBanco->setCurrentIndex(1);
        d->edtNome->setText("Maria");
        d->edtSenha->setText("segredo");
        d->btnOK->click();
        return true;
    });
    EXPECT_EQ(dialogo.ObterConexao(false, false),
              "Provider=SQLOLEDB.1;;Persist Security Info=True;Data Source=b;User "
              "ID=Maria;Password=segredo");
    EXPECT_EQ(Salvas(),
              QStringList({QString("B=") + kPadrao + ";Data Source=b",
                           "A=Provider=SQLOLEDB.1;Data Source=a", "C=c", "ConexaoAutomatica=N"}));

    // The next time the dialog opens on that name, with the login remembered and the
    // password empty; cancelling ends the command silently.
    TConexaoADO outro;
    QuandoPossivel([] {
        auto* d = JanelaVisivel<TConexaoADO>();
        if (!d) return false;
        EXPECT_EQ(d->cbxBanco->currentText(), "B");
        // The automatic-connection switch is kept in the list but is no connection.
        EXPECT_EQ(d->cbxBanco->count(), 3);
        EXPECT_EQ(d->cbxBanco->findText("ConexaoAutomatica"), -1);
        EXPECT_EQ(d->edtNome->text(), "Maria");
        EXPECT_TRUE(d->edtSenha->text().isEmpty());
        d->btnCancelar->click();
        return true;
    });
    EXPECT_THROW(outro.ObterConexao(false, false), Cancelamento);
}

TEST_F(ConexaoAdoTeste, SemLoginMantemAAutenticacaoDoWindows) {
    Salvar({QString("X=") + kPadrao});
    TConexaoADO dialogo;
    QuandoPossivel([] {
        auto* d = JanelaVisivel<TConexaoADO>();
        if (!d) return false;
        d->btnOK->click();
        return true;
    });
    EXPECT_EQ(dialogo.ObterConexao(false, false), std::string(kPadrao) + ";User ID=;Password=");
}

TEST_F(ConexaoAdoTeste, AListaNuncaPassaDeTrintaEntradas) {
    QStringList bancos;
    for (int i = 0; i < 35; ++i) bancos << QString("Banco%1=cadeia%1").arg(i);
    Salvar(bancos);
    TConexaoADO d;
    Preparar(d);
    d.cbxBanco->setCurrentIndex(34);
    d.btnOKClick();
    ASSERT_EQ(d.Bancos.size(), 30);
    EXPECT_EQ(d.Bancos.front(), "Banco34=cadeia34");
    EXPECT_EQ(d.Bancos.back(), "Banco28=cadeia28");
    EXPECT_EQ(d.CadeiaDoBanco(), "cadeia34");
}

TEST_F(ConexaoAdoTeste, NomesSaoComparadosSemDiferencaDeCaixa) {
    Salvar({"OUTRA=o", "EMPRESA=cadeia"});
    TConexaoADO d;
    Preparar(d);
    // Typed rather than picked: the entry found by name is the one that moves up.
    d.cbxBanco->setEditText("empresa");
    d.btnOKClick();
    EXPECT_EQ(d.CadeiaDoBanco(), "cadeia");
    EXPECT_EQ(d.Bancos, QStringList({"EMPRESA=cadeia", "OUTRA=o", "ConexaoAutomatica=N"}));

    std::string recebida;
    d.EditorDeConexao = [&](QWidget*, const std::string& inicial) {
        recebida = inicial;
        return std::string("cadeia nova");
    };
    d.MemoriaRestorePlacement();
    d.cbxBanco->setEditText("Outra");
    d.btnConfigurarClick();
    EXPECT_EQ(recebida, "o");
    EXPECT_EQ(d.Bancos,
              QStringList({"EMPRESA=cadeia", "Outra=cadeia nova", "ConexaoAutomatica=N"}));
    EXPECT_EQ(d.cbxBanco->currentIndex(), 1);
}

TEST_F(ConexaoAdoTeste, CancelarDepoisDeConfigurarNaoDeixaRastroDoNomeNovo) {
    Salvar({"A=a"});
    TConexaoADO dialogo;
    std::string recebida;
    dialogo.EditorDeConexao = [&](QWidget*, const std::string& inicial) {
        recebida = inicial;
        return inicial + ";Data Source=srv";
    };
    QuandoPossivel([] {
        auto* d = JanelaVisivel<TConexaoADO>();
        if (!d) return false;
        d->cbxBanco->setEditText("Nova");
        d->btnConfigurar->click();
        EXPECT_EQ(d->Bancos, QStringList({"A=a", QString("Nova=") + kPadrao + ";Data Source=srv"}));
        EXPECT_EQ(d->cbxBanco->currentText(), "Nova");
        d->btnCancelar->click();
        return true;
    });
    EXPECT_THROW(dialogo.ObterConexao(false, false), Cancelamento);
    EXPECT_EQ(recebida, kPadrao);
    EXPECT_EQ(Salvas(), QStringList({"A=a"}));
}

TEST_F(ConexaoAdoTeste, MensagensQuandoFaltaONome) {
    TConexaoADO d;
    Preparar(d);
    d.cbxBanco->setEditText("Desconhecido");
    try {
        d.btnOKClick();
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(),
                     "Você precisa configurar a conexão. Informe um nome em \"Banco de Dados\" "
                     "para identificar a "
                     "conexão e clique em \"Configurar...\" para informar os parâmetros");
    }
    d.cbxBanco->setEditText("");
    try {
        d.btnConfigurarClick();
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(),
                     "Para configurar é necessário informar um nome em \"Banco de Dados\" para "
                     "identificar a conexão");
    }
    EXPECT_TRUE(d.Bancos.isEmpty());
}

TEST_F(ConexaoAdoTeste, ConexaoAutomaticaDevolveACadeiaSemMostrarODialogo) {
    Salvar({"A=a"});
    TConexaoADO d;
    Preparar(d);
    d.btnOKClick();
    EXPECT_EQ(d.ObterConexao(true, false), "a");
}

TEST_F(ConexaoAdoTeste, ConexaoAutomaticaNaoEhUmaConexao) {
    // As an older version left the list: the switch first, selected.
    Salvar({"ConexaoAutomatica=N", "A=a"});
    TConexaoADO d;
    Preparar(d);
    EXPECT_EQ(d.cbxBanco->count(), 1);
    EXPECT_EQ(d.cbxBanco->currentText(), "A");
    d.cbxBanco->setEditText("conexaoautomatica");
    EXPECT_THROW(d.btnOKClick(), ErroDeEntrada);
    EXPECT_THROW(d.btnConfigurarClick(), ErroDeEntrada);
    EXPECT_EQ(d.Bancos, QStringList({"ConexaoAutomatica=N", "A=a"}));
}

TEST_F(ConexaoAdoTeste, SenhasNaoSaoGuardadas) {
    // What an older version stored is cleaned when the list is read...
    Salvar(
        {"A=Provider=SQLOLEDB.1;User ID=sa;Password=segredo;Data Source=s", "ConexaoAutomatica=N"});
    TConexaoADO d;
    Preparar(d);
    EXPECT_EQ(d.Bancos, QStringList({"A=Provider=SQLOLEDB.1;User ID=sa;Data Source=s",
                                     "ConexaoAutomatica=N"}));
    // ...and the editor's password is not kept: the login typed in the dialog gives it.
    d.EditorDeConexao = [](QWidget*, const std::string&) {
        return std::string("Provider=Simulador;Data Source=/x;User ID=sa;PWD=\"a;b\"");
    };
    d.cbxBanco->setEditText("B");
    d.btnConfigurarClick();
    EXPECT_EQ(d.Bancos.back(), "B=Provider=Simulador;Data Source=/x;User ID=sa");
    d.GravarMemoria();
    EXPECT_FALSE(Salvas().join('|').contains("segredo"));
    EXPECT_FALSE(Salvas().join('|').contains("PWD"));
}

}  // namespace
}  // namespace zolvek::app
