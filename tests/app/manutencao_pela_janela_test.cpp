#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/evolucao_manutencao.hpp"
#include "app/importacao_outro_banco.hpp"
#include "app/principal.hpp"
#include "auxiliares.hpp"
#include "dictionary/escritor.hpp"
#include "maintenance/importar_outro_banco.hpp"
#include "manutencao/banco_fiscal.hpp"

namespace zolvek::app {
namespace {

using teste::JanelaVisivel;
using teste::QuandoPossivel;
using teste::RespondedorDeCaixas;
using zolvek::teste::ServidorDeTeste;

const QStringList kCincoColunas = {"Tabela", "Campo", "Função", "Descrição", "Comando"};
const QStringList kTresColunas = {"Tabela", "Campo", "Descrição"};

class JanelasDaManutencao : public teste::TesteDeJanela {};

TEST_F(JanelasDaManutencao, TemSeusTitulosEColunas) {
    TEvolucaoAtualizarImpostosItens atualizacao;
    EXPECT_EQ(atualizacao.windowTitle(), "Aualizando tributos dos itens");
    EXPECT_EQ(atualizacao.Fase(), "Aguarde...");
    EXPECT_EQ(atualizacao.lstErros->Titulos(), kCincoColunas);
    EXPECT_EQ(atualizacao.Relatorio().titulo, "Atualização dos tributos dos itens: Erros");
    EXPECT_TRUE(atualizacao.lblImprimirErros->isHidden());

    TImportacaoOutroBDEvolucao importacao;
    EXPECT_EQ(importacao.windowTitle(), "Importando");
    EXPECT_EQ(importacao.lstErros->Titulos(), kTresColunas);
    EXPECT_EQ(importacao.Relatorio().titulo, "Importação: Erros");
    EXPECT_EQ(importacao.pgbRegistros->value(), 0);
    // A table whose rows could not be counted does not move the rows bar.
    importacao.DefinirBarraDasLinhas(3, 10);
    importacao.DefinirBarraDasLinhas(0, 0);
    EXPECT_EQ(importacao.pgbRegistros->value(), 3);
    EXPECT_EQ(importacao.pgbRegistros->maximum(), 10);
}

// The program connected to a company database on the stand-in, with the fiscal tables
// of the recalculation, and a dictionary of two tables for the import.
class ManutencaoPelaJanela : public teste::TesteDeJanela {
  protected:
    void SetUp() override {
        TesteDeJanela::SetUp();
        servidor_.CriarBanco("EMPRESA");
        dicionario::ConteudoDoDicionario conteudo;
        conteudo.revisao = 7;
        for (const char* nome : {"PRODUTO", "FALTA"}) {
            dicionario::TabelaDic t;
            t.Nome = nome;
            t.Descricao = std::string("Tabela ") + nome;
            conteudo.tabelas.push_back(t);
        }
        dicionario_ = Pasta() / "ZAV_Molvena.DicD";
        dicionario::GravarDicionario(dicionario_, conteudo);
        Executar("EMPRESA", [](db::Conexao& c) {
            auto x = [&](const std::string& sql) { ServidorDeTeste::Executar(c, sql); };
            x("CREATE TABLE PEMPRESA (RAZAO_SOC varchar(60) NULL, RevisaoDoBD varchar(20) NULL)");
            x("INSERT INTO PEMPRESA VALUES ('ACME LTDA', '7')");
            x("CREATE TABLE PARFN (CODIGO int NULL)");
            x("CREATE TABLE StatusBD (Inicio datetime NULL, Final datetime NULL, Operador "
              "varchar(50) NULL, [Parâmetros] text NULL, Procedimentos text NULL, Status "
              "varchar(200) NULL, Erros text NULL, [Hora da liberação] datetime NULL, [Liberado "
              "por] varchar(50) NULL, [Hora da validação] datetime NULL, [Validado por] "
              "varchar(50) NULL)");
            zolvek::teste::CriarTabelasFiscais(c);
        });
    }

    void Executar(const std::string& banco, const std::function<void(db::Conexao&)>& passos) {
        db::Conexao c;
        c.DefinirStringDeConexao(servidor_.Cadeia(banco));
        c.Abrir();
        passos(c);
    }
    std::vector<std::string> Coluna(const std::string& banco, const std::string& sql) {
        std::vector<std::string> valores;
        Executar(banco, [&](db::Conexao& c) { valores = ServidorDeTeste::Coluna(c, sql); });
        return valores;
    }

    std::unique_ptr<TPrincipal> Conectar() {
        auto j =
            std::make_unique<TPrincipal>(std::vector<std::string>{servidor_.Cadeia("EMPRESA")});
        j->DefinirCaminhoDoDicionario(dicionario_);
        j->show();
        j->FormShow();
        return j;
    }

    // "Atualizar tributos dos itens..." from the menu, confirmed with "Iniciar".
    static void Atualizar(TPrincipal& j) {
        QuandoPossivel([] {
            auto* dialogo = JanelaVisivel<TConfirmacaoAtualizarImpostosItens>();
            if (!dialogo) return false;
            dialogo->btnIniciar->click();
            return true;
        });
        j.imbAtualizarTributosDosItens->trigger();
    }

    // "Importar dados..." from the menu, from the database `origem` of the server.
    void Importar(TPrincipal& j, const std::string& origem) {
        QuandoPossivel([this, origem] {
            auto* dialogo = JanelaVisivel<TImportacaoOutroBancoDados>();
            if (!dialogo) return false;
            dialogo->edtOrigem->setText(QString::fromStdString(servidor_.Cadeia(origem)));
            dialogo->btnImportar->click();
            return true;
        });
        j.imbImportarDados->trigger();
    }

    ServidorDeTeste servidor_;
    std::filesystem::path dicionario_;
};

TEST_F(ManutencaoPelaJanela, AtualizacaoPeloMenuListaOItemQueFalhou) {
    Executar("EMPRESA", [](db::Conexao& c) {
        ServidorDeTeste::Executar(c,
                                  "INSERT INTO DOCREC (TIPO, CLIENTE, LOCAL, CODFIS, DESCINC, "
                                  "TOTITENS) VALUES ('Venda', 10, 'L1', '5102', 0, 100)");
        // The second item's base, 13.13, is refused by the table's check.
        ServidorDeTeste::Executar(c,
                                  "INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, "
                                  "ALIQICMS) VALUES (1, 2, 'N', 100, 18)");
        ServidorDeTeste::Executar(c,
                                  "INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, "
                                  "ALIQICMS) VALUES (1, 2, 'N', 13.13, 18)");
    });
    auto j = Conectar();
    ASSERT_TRUE(j->Conectado());
    RespondedorDeCaixas respondedor;  // no box is expected
    Atualizar(*j);

    auto* janela = JanelaVisivel<TEvolucaoAtualizarImpostosItens>();
    ASSERT_NE(janela, nullptr);  // stays open for reading
    EXPECT_TRUE(respondedor.caixas.empty());
    EXPECT_EQ(janela->windowTitle(), "Aualizando tributos dos itens");
    EXPECT_TRUE(janela->Finalizado());
    EXPECT_EQ(janela->Fase(), "Atualização concluída");
    EXPECT_EQ(janela->pgbEvolucao->maximum(), 2);
    EXPECT_EQ(janela->pgbEvolucao->value(), 2);
    ASSERT_EQ(janela->QuantidadeDeErros(), 1);
    const QStringList linha = janela->lstErros->Linhas().at(0);
    EXPECT_EQ(linha.at(0), "DOCRECIT");
    EXPECT_EQ(linha.at(1), "");
    EXPECT_EQ(linha.at(2), "");
    EXPECT_FALSE(linha.at(3).isEmpty());
    EXPECT_EQ(linha.at(4), "DOCRECIT Numint=1 Id_item=2");
    EXPECT_FALSE(janela->lblImprimirErros->isHidden());
    teste::Capturar(*janela, "atualizacao_dos_tributos");
    janela->btnCancelar->click();
    EXPECT_EQ(JanelaVisivel<TEvolucaoAtualizarImpostosItens>(), nullptr);

    j->imbConectarClick();  // lets go of the database, which is in single-user mode
    EXPECT_EQ(Coluna("EMPRESA", "SELECT Complemento FROM RegMov"),
              std::vector<std::string>{
                  "Atualização dos tributos dos itens  executada até o fim com 1 erro(s)"});
    const auto bases = Coluna("EMPRESA", "SELECT BASECALC FROM DOCRECIT ORDER BY Id_item");
    ASSERT_EQ(bases.size(), 2u);
    EXPECT_TRUE(zolvek::teste::MesmoNumero(bases[0], "100")) << bases[0];
    EXPECT_EQ(bases[1], "<NULL>");
}

TEST_F(ManutencaoPelaJanela, AtualizacaoSemItensFechaAJanelaEMostraOErro) {
    auto j = Conectar();
    ASSERT_TRUE(j->Conectado());
    RespondedorDeCaixas respondedor;
    Atualizar(*j);
    EXPECT_EQ(JanelaVisivel<TEvolucaoAtualizarImpostosItens>(), nullptr);
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_EQ(respondedor.caixas[0].texto, "Não há registros a atualizar");
}

TEST_F(ManutencaoPelaJanela, ImportacaoPeloMenuListaOsErrosEmTresColunas) {
    servidor_.CriarBanco("ORIGEM");
    Executar("ORIGEM", [](db::Conexao& c) {
        ServidorDeTeste::Executar(c,
                                  "CREATE TABLE PRODUTO (Codigo int IDENTITY(1,1) PRIMARY KEY, "
                                  "Nome varchar(20) NULL, Extra int NULL)");
        for (const char* nome : {"um", "dois", "três"})
            ServidorDeTeste::Executar(
                c, std::string("INSERT INTO PRODUTO (Nome) VALUES ('") + nome + "')");
    });
    Executar("EMPRESA", [](db::Conexao& c) {
        ServidorDeTeste::Executar(c,
                                  "CREATE TABLE PRODUTO (Codigo int IDENTITY(1,1) PRIMARY KEY, "
                                  "Nome varchar(20) NULL)");
        ServidorDeTeste::Executar(c, "CREATE TABLE FALTA (Codigo int NULL)");
    });
    auto j = Conectar();
    ASSERT_TRUE(j->Conectado());
    RespondedorDeCaixas respondedor;  // no box is expected
    Importar(*j, "ORIGEM");

    auto* janela = JanelaVisivel<TImportacaoOutroBDEvolucao>();
    ASSERT_NE(janela, nullptr);
    EXPECT_TRUE(respondedor.caixas.empty());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    EXPECT_TRUE(janela->Finalizado());
    EXPECT_EQ(janela->Fase(), "Importação concluída");
    EXPECT_EQ(janela->pgbEvolucao->value(), 2);
    EXPECT_EQ(janela->pgbRegistros->maximum(), 3);
    EXPECT_EQ(janela->pgbRegistros->value(), 0);
    const QList<QStringList> linhas = janela->lstErros->Linhas();
    ASSERT_EQ(linhas.size(), 2);
    EXPECT_EQ(linhas[0], (QStringList{"PRODUTO", "",
                                      "Campos não encontrados na tabela de destino: "
                                      "Extra"}));
    EXPECT_EQ(linhas[1].at(0), "FALTA");
    EXPECT_EQ(linhas[1].at(1), "");
    EXPECT_FALSE(linhas[1].at(2).isEmpty());  // the server's message
    EXPECT_FALSE(janela->lblImprimirErros->isHidden());
    teste::Capturar(*janela, "importacao_concluida");
    janela->btnCancelar->click();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Coluna("EMPRESA", "SELECT Nome FROM PRODUTO ORDER BY Codigo"),
              (std::vector<std::string>{"um", "dois", "três"}));
}

TEST_F(ManutencaoPelaJanela, OrigemInacessivelMostraOErroSemAbrirAJanela) {
    auto j = Conectar();
    ASSERT_TRUE(j->Conectado());
    RespondedorDeCaixas respondedor;
    Importar(*j, "NENHUM");
    EXPECT_EQ(JanelaVisivel<TImportacaoOutroBDEvolucao>(), nullptr);
    ASSERT_EQ(respondedor.caixas.size(), 1u);
    EXPECT_EQ(respondedor.caixas[0].titulo, "Erro");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the busy cursor went with it
}

// Records the two bars at each cancel check, and presses "Cancelar" at the check
// before the third row (the fourth check: the table's, then one before each row).
class ImportacaoObservada : public InterfaceDaImportacao {
  public:
    using InterfaceDaImportacao::InterfaceDaImportacao;

    bool CancelamentoPedido() override {
        if (auto* janela = qobject_cast<TImportacaoOutroBDEvolucao*>(Evolucao())) {
            barras.push_back({janela->pgbEvolucao->value(), janela->pgbRegistros->value(),
                              janela->pgbRegistros->maximum()});
            if (barras.size() == 4) janela->btnCancelar->click();
        }
        return InterfaceDaImportacao::CancelamentoPedido();
    }

    std::vector<std::vector<int>> barras;
};

TEST_F(ManutencaoPelaJanela, CancelarNaJanelaDaImportacaoGuardaAsLinhasCopiadas) {
    servidor_.CriarBanco("ORIGEM");
    for (const char* banco : {"ORIGEM", "EMPRESA"})
        Executar(banco, [](db::Conexao& c) {
            ServidorDeTeste::Executar(c, "CREATE TABLE PRODUTO (Codigo int NULL)");
            ServidorDeTeste::Executar(c, "CREATE TABLE FALTA (Codigo int NULL)");
        });
    Executar("ORIGEM", [](db::Conexao& c) {
        for (int i = 1; i <= 4; ++i)
            ServidorDeTeste::Executar(c, "INSERT INTO PRODUTO VALUES (" + std::to_string(i) + ")");
    });
    dicionario::DicionarioDeDados dic;
    for (const char* nome : {"PRODUTO", "FALTA"}) {
        dicionario::TabelaDic t;
        t.Nome = nome;
        dic.Tabelas().push_back(t);
    }
    db::Conexao destino;
    destino.DefinirStringDeConexao(servidor_.Cadeia("EMPRESA"));
    destino.Abrir();
    ImportacaoObservada interface(nullptr);
    const manutencao::ResultadoDaImportacao r = manutencao::ImportarDeOutroBanco(
        destino, dic, servidor_.Cadeia("ORIGEM"), false, interface);

    EXPECT_TRUE(r.cancelada);
    auto* janela = qobject_cast<TImportacaoOutroBDEvolucao*>(interface.Evolucao());
    ASSERT_NE(janela, nullptr);
    EXPECT_EQ(janela->Fase(), "Importação cancelada");
    EXPECT_TRUE(janela->Finalizado());
    EXPECT_EQ(janela->pgbEvolucao->value(), 0);  // the tables bar stops where it was
    // Before the table, then before each row: the rows bar moves only when a group of
    // rows is committed, here once the cancel ended the group of the first two.
    EXPECT_EQ(interface.barras,
              (std::vector<std::vector<int>>{{0, 0, 100}, {0, 0, 4}, {0, 0, 4}, {0, 0, 4}}));
    EXPECT_EQ(ServidorDeTeste::Coluna(destino, "SELECT Codigo FROM PRODUTO ORDER BY Codigo"),
              (std::vector<std::string>{"1", "2"}));
    janela->btnCancelar->click();
}

}  // namespace
}  // namespace zolvek::app
