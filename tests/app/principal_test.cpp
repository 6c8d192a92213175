#include "app/principal.hpp"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QSet>

#include "app/conexao_ado.hpp"
#include "app/configuracoes.hpp"
#include "app/mensagens.hpp"
#include "app/suporte_zav.hpp"
#include "auxiliares.hpp"
#include "comum/versao.hpp"
#include "db/conjunto.hpp"
#include "dictionary/escritor.hpp"

namespace zolvek::app {
namespace {

using teste::JanelaVisivel;
using teste::QuandoPossivel;
using teste::RespondedorDeCaixas;

const QString kSemDbOwner =
    "Só usuário com atributo de 'db_owner' pode usar o sistema de manutenção";

// A company database on the embedded stand-in server, with its parameter and status
// tables, and the dictionary file the program loads when it connects.
class PrincipalTeste : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        servidor_ = (Pasta() / "servidor").string();
        dicionario_ = Pasta() / "ZAV_Molvena.DicD";
        dicionario::ConteudoDoDicionario conteudo;
        conteudo.revisao = 7;
        dicionario::GravarDicionario(dicionario_, conteudo);
    }

    std::string Cadeia(const std::string& banco, const std::string& login = "sa",
                       const std::string& senha = "") const {
        return "Provider=Simulador;Data Source=" + servidor_ + ";Initial Catalog=" + banco +
               ";User ID=" + login + ";Password=" + senha;
    }

    void Executar(const std::string& banco, const std::vector<std::string>& comandos) {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(Cadeia(banco));
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        for (const auto& sql : comandos) {
            consulta.DefinirSQL(sql);
            consulta.Executar();
        }
    }

    void CriarEmpresa(const std::string& razaoSocial = "ACME LTDA",
                      const std::string& revisao = "'7'") {
        Executar("master", {"CREATE DATABASE EMPRESA"});
        Executar("EMPRESA",
                 {"CREATE TABLE PEMPRESA (RAZAO_SOC varchar(60) NULL, RevisaoDoBD varchar(20) "
                  "NULL, Script text NULL)",
                  "INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('" + razaoSocial + "', " +
                      revisao + ")",
                  "CREATE TABLE PARFN (CODIGO int NULL)", "INSERT INTO PARFN (CODIGO) VALUES (1)",
                  "CREATE TABLE StatusBD (Inicio datetime NULL, Final datetime NULL, Operador "
                  "varchar(50) NULL, "
                  "[Parâmetros] text NULL, Procedimentos text NULL, Status varchar(200) NULL, "
                  "Erros text NULL, "
                  "[Hora da liberação] datetime NULL, [Liberado por] varchar(50) NULL, "
                  "[Hora da validação] datetime NULL, [Validado por] varchar(50) NULL)",
                  "INSERT INTO StatusBD (Inicio, Final, Operador, [Parâmetros], Status) VALUES "
                  "('2024-01-02 10:00:00', '2024-01-02 10:05:00', 'sa', 'Opcao=1', "
                  "'Dicionário de dados revisão 7, executado com sucesso')"});
    }

    std::unique_ptr<TPrincipal> Janela(std::vector<std::string> argumentos = {}) {
        auto janela = std::make_unique<TPrincipal>(std::move(argumentos));
        janela->DefinirCaminhoDoDicionario(dicionario_);
        janela->show();
        return janela;
    }

    static QStringList Linhas(TPrincipal& j) { return j.edtSisInfo->toPlainText().split('\n'); }

    static bool Vermelho(TPrincipal& j) {
        return j.edtSisInfo->palette().color(QPalette::Text) == QColor(Qt::red);
    }

    static void ExpectComandos(TPrincipal& j, bool habilitados) {
        for (QAction* a : {j.imbAnalisar, j.imbSQL, j.imbLiberar, j.imbValidar, j.imbHistorico,
                           j.imbImportarDados, j.imbAtualizarTributosDosItens})
            EXPECT_EQ(a->isEnabled(), habilitados) << a->objectName().toStdString();
        EXPECT_EQ(j.btnAnalisar->isEnabled(), habilitados);
        EXPECT_EQ(j.btnSQL->isEnabled(), habilitados);
        for (QAction* a : {j.imbNovo, j.imbRestaurar, j.imbConectar, j.imbSair})
            EXPECT_TRUE(a->isEnabled());
    }

    std::string servidor_;
    std::filesystem::path dicionario_;
};

const QString kVersao = QString::fromStdString(versao::VersaoDoPrograma());

TEST_F(PrincipalTeste, SemArgumentoComecaDesconectado) {
    auto j = Janela();
    j->FormShow();
    EXPECT_EQ(j->windowTitle(), "Manutenção " + kVersao);
    EXPECT_EQ(j->btnConectar->text(), "&Conectar");
    EXPECT_EQ(j->imbConectar->text(), "&Conectar...");
    EXPECT_EQ(j->imbSair->text(), "&Sair                     Alt+F4");
    // every entry of the menu has its own letter
    QSet<QChar> letras;
    for (QAction* a : j->menuBar()->actions().at(0)->menu()->actions()) {
        if (a->isSeparator()) continue;
        const int e = a->text().indexOf('&');
        ASSERT_GE(e, 0) << a->text().toStdString();
        EXPECT_FALSE(letras.contains(a->text().at(e + 1).toLower())) << a->text().toStdString();
        letras.insert(a->text().at(e + 1).toLower());
    }
    EXPECT_EQ(j->size(), QSize(533, 405 + j->menuBar()->height()));
    ExpectComandos(*j, false);
    EXPECT_EQ(
        Linhas(*j),
        QStringList({QString::fromStdString(versao::NomeDoProduto()) + " Versão: " + kVersao,
                     QString("N° da revisão: %1").arg(versao::NumeroDaRevisao()),
                     QString::fromStdString("ID da revisão: " + versao::IdDaRevisao().substr(0, 6) +
                                            " de " + versao::DataDaRevisao().substr(0, 10)),
                     "ZWK - Sem conexão com servidor SQL"}));
    EXPECT_FALSE(Vermelho(*j));
    EXPECT_FALSE(j->btnAnalisar->property("vermelho").toBool());
    // The pictures come from the program's own resources.
    EXPECT_FALSE(j->findChild<QLabel*>("imgFaixa")->pixmap().isNull());
    EXPECT_FALSE(j->btnSair->icon().pixmap(20, 20).isNull());
    teste::Capturar(*j, "principal_desconectado");

    // The window comes back where it was left.
    j->move(40, 50);
    j.reset();
    EXPECT_EQ(Janela()->pos(), QPoint(40, 50));
}

TEST_F(PrincipalTeste, ArgumentoConectaSemDialogoEMostraAEmpresa) {
    CriarEmpresa();
    auto j = Janela({Cadeia("EMPRESA")});
    RespondedorDeCaixas respondedor;
    j->FormShow();
    EXPECT_TRUE(respondedor.caixas.empty());
    EXPECT_EQ(JanelaVisivel<TConexaoADO>(), nullptr);
    ASSERT_TRUE(j->Conectado());
    EXPECT_EQ(j->windowTitle(), "ACME LTDA - Manutenção " + kVersao);
    EXPECT_EQ(j->imbConectar->text(), "&Desconectar");
    EXPECT_EQ(j->btnConectar->text(), "&Desconectar");
    ExpectComandos(*j, true);
    const QStringList linhas = Linhas(*j);
    EXPECT_TRUE(linhas.contains("Revisão do banco de dados: 7"));
    EXPECT_TRUE(linhas.contains("ZWK conectado a EMPRESA em " + QString::fromStdString(servidor_)));
    EXPECT_TRUE(linhas.contains("Em uso por sa"));
    EXPECT_TRUE(linhas.contains("Banco de dados liberado"));
    EXPECT_TRUE(linhas.contains("Dicionário de dados no.: 7"));
    EXPECT_FALSE(Vermelho(*j));
    teste::Capturar(*j, "principal_conectado");
}

TEST_F(PrincipalTeste, ArgumentoQueNaoConectaMostraOErroEDeixaOsComandosDesabilitados) {
    auto j = Janela({Cadeia("NAOEXISTE")});
    RespondedorDeCaixas respondedor;
    j->FormShow();
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_FALSE(j->Conectado());
    ExpectComandos(*j, false);
    EXPECT_EQ(j->windowTitle(), "Manutenção " + kVersao);
}

TEST_F(PrincipalTeste, LoginQueNaoEDbOwnerERecusado) {
    CriarEmpresa();
    Executar("master", {"CREATE LOGIN fulano WITH PASSWORD = 'senha'"});
    Executar("EMPRESA", {"CREATE USER fulano FOR LOGIN fulano"});
    auto j = Janela();
    j->FormShow();
    RespondedorDeCaixas respondedor;
    EXPECT_FALSE(
        ExecutarComando([&] { j->ConectarBanco(false, Cadeia("EMPRESA", "fulano", "senha")); }));
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_EQ(respondedor.caixas[0].texto, kSemDbOwner);
    EXPECT_FALSE(j->Conectado());
    ExpectComandos(*j, false);
    EXPECT_EQ(j->imbConectar->text(), "&Conectar...");
}

TEST_F(PrincipalTeste, DesconectarEConectarPeloDialogo) {
    CriarEmpresa();
    const std::string semLogin =
        "Provider=Simulador;Data Source=" + servidor_ + ";Initial Catalog=EMPRESA";
    AbrirConfiguracoes(RaizDasConfiguracoes::Produto)
        ->setValue("ConexaoADO/Bancos.Strings",
                   QStringList({"Empresa=" + QString::fromStdString(semLogin)}));
    auto j = Janela({Cadeia("EMPRESA")});
    j->FormShow();
    ASSERT_TRUE(j->Conectado());

    j->imbConectar->trigger();
    EXPECT_FALSE(j->Conectado());
    EXPECT_EQ(j->imbConectar->text(), "&Conectar...");
    EXPECT_EQ(j->btnConectar->text(), "&Conectar...");
    EXPECT_EQ(j->windowTitle(), "Manutenção " + kVersao);
    ExpectComandos(*j, false);
    EXPECT_EQ(Linhas(*j).size(), 4);

    QuandoPossivel([] {
        auto* d = JanelaVisivel<TConexaoADO>();
        if (!d) return false;
        EXPECT_EQ(d->cbxBanco->currentText(), "Empresa");
        d->edtNome->setText("sa");
        d->btnOK->click();
        return true;
    });
    j->btnConectar->click();
    ASSERT_TRUE(j->Conectado());
    EXPECT_EQ(j->Modulo().Banco.StringDeConexao(),
              semLogin + ";User ID=sa;Password=;Persist Security Info=True");
    EXPECT_EQ(j->windowTitle(), "ACME LTDA - Manutenção " + kVersao);
    ExpectComandos(*j, true);
}

TEST_F(PrincipalTeste, PainelVermelhoSemRevisaoEAnalisarVermelhoEmManutencao) {
    CriarEmpresa("   ", "NULL");
    auto j = Janela();
    j->FormShow();
    ASSERT_TRUE(ExecutarComando([&] { j->ConectarBanco(false, Cadeia("EMPRESA")); }));
    // A blank company name keeps the title it had.
    EXPECT_EQ(j->windowTitle(), "Manutenção " + kVersao);
    EXPECT_TRUE(Linhas(*j).contains("Revisão do banco de dados: INCONSISTENTE"));
    EXPECT_TRUE(Vermelho(*j));
    EXPECT_FALSE(j->btnAnalisar->property("vermelho").toBool());

    // Only the program's own session may stay in a single-user database.
    db::Consulta alteracao(&j->Modulo().Banco);
    alteracao.DefinirSQL("ALTER DATABASE EMPRESA SET SINGLE_USER");
    alteracao.Executar();
    j->AtualizarInformacoes();
    EXPECT_TRUE(Linhas(*j).contains("Banco de dados em manutenção"));
    EXPECT_TRUE(j->btnAnalisar->property("vermelho").toBool());
}

TEST_F(PrincipalTeste, ChavesDoLogSaoEntreguesAoNucleo) {
    auto configuracoes = AbrirConfiguracoes(RaizDasConfiguracoes::Produto);
    configuracoes->setValue("HabilitarLogZAV", 1);
    configuracoes->setValue("PastaLogZAV", "/tmp/logs");
    configuracoes.reset();
    auto j = Janela();
    EXPECT_TRUE(log::ConfiguracaoAtual().habilitarLogZAV);
    EXPECT_EQ(log::ConfiguracaoAtual().pastaLogZAV, "/tmp/logs");
    const auto info = j->ObterInformacoesTecnicas();
    EXPECT_NE(std::find(info.begin(), info.end(), "<<<*>>> Informações técnicas <<<*>>>"),
              info.end());
}

TEST_F(PrincipalTeste, LinkDeSuporteEntregaOPacoteEApagaDepois) {
    ::setenv("TEMP", Pasta().c_str(), 1);
    std::vector<QUrl> abertos;
    TSuporteZAV::AbrirNoNavegador = [&](const QUrl& endereco, TSuporteZAV::Resposta resposta) {
        abertos.push_back(endereco);
        resposta(true);
    };
    auto j = Janela();
    QString mensagem, topico;
    bool arquivoExistia = false;
    QuandoPossivel([&] {
        auto* suporte = JanelaVisivel<TSuporteZAV>();
        if (!suporte) return false;
        EXPECT_EQ(suporte->windowTitle(), "Suporte ZAV");
        EXPECT_TRUE(
            suporte->Explicacao().startsWith("A página de suporte foi aberta no navegador"));
        mensagem = suporte->Mensagem();
        topico = suporte->Topico();
        const QString arquivo = mensagem.section('\'', 1, 1);
        arquivoExistia = QFileInfo(arquivo).isFile();
        suporte->accept();
        return true;
    });
    j->URLdaZAV->linkActivated(kEnderecoDoSite);
    EXPECT_EQ(topico, "2");
    EXPECT_TRUE(
        mensagem.startsWith("Favor detalhar sua dúvida aqui e no campo abaixo anexar o arquivo '"));
    EXPECT_TRUE(mensagem.endsWith("LogZAV.txt'"));
    EXPECT_TRUE(arquivoExistia);
    EXPECT_FALSE(QFileInfo::exists(mensagem.section('\'', 1, 1)));
    ASSERT_EQ(abertos.size(), 1u);
    EXPECT_EQ(abertos[0], QUrl(kPaginaDeChamado));
}

TEST_F(PrincipalTeste, SuporteSemNavegadorDizQueNaoAbriuEMostraOEndereco) {
    int tentativas = 0;
    TSuporteZAV::AbrirNoNavegador = [&](const QUrl&, TSuporteZAV::Resposta resposta) {
        ++tentativas;
        resposta(false);
    };
    RespondedorDeCaixas respondedor;
    TSuporteZAV suporte;
    suporte.Iniciar("2", "Mensagem", "/tmp/LogZAV.txt");
    suporte.show();
    EXPECT_TRUE(suporte.Explicacao().startsWith("Não foi possível abrir o navegador."));
    auto* endereco = suporte.findChild<QLineEdit*>("edtEndereco");
    ASSERT_NE(endereco, nullptr);
    EXPECT_EQ(endereco->text(), kPaginaDeChamado);
    EXPECT_TRUE(respondedor.caixas.empty());  // said in the window, not in a box
    // "Abrir a página de suporte" tries again, and says so when it cannot.
    suporte.findChild<QPushButton*>("btnAbrir")->click();
    EXPECT_EQ(tentativas, 2);
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_TRUE(respondedor.caixas[0].texto.startsWith("Não foi possível abrir o navegador."));
    TSuporteZAV::AbrirNoNavegador = [](const QUrl&, TSuporteZAV::Resposta) {};
}

TEST_F(PrincipalTeste, DialogosDosComandosComAmpulhetaEsperamComOCursorNormal) {
    auto j = Janela();
    for (QAction* comando : {j->imbNovo, j->imbRestaurar}) {
        bool viu = false;
        const QCursor* cursor = nullptr;
        QuandoPossivel([&] {
            auto* dialogo = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialogo) return false;
            viu = true;
            cursor = QApplication::overrideCursor();  // no hourglass over the fields
            dialogo->reject();
            return true;
        });
        comando->trigger();
        EXPECT_TRUE(viu);
        EXPECT_EQ(cursor, nullptr);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // and none left behind
    }
}

}  // namespace
}  // namespace zolvek::app
