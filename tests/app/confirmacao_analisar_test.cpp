#include "app/confirmacao_analisar.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/jv_sql_script.hpp"
#include "auxiliares.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"

namespace zolvek::app {
namespace {

using teste::JanelaVisivel;
using teste::QuandoPossivel;
using teste::RespondedorDeCaixas;

class ConfirmacaoAnalisarTeste : public teste::TesteDeJanela {
  protected:
    // A company database on a stand-in server, the data module connected to it.
    void Conectar(bool comOpcoes) {
        const std::string servidor = (Pasta() / "servidor").string();
        auto cadeia = [&](const std::string& banco) {
            return "Provider=Simulador;Data Source=" + servidor + ";Initial Catalog=" + banco +
                   ";User ID=sa;Password=";
        };
        modulo_ = std::make_unique<db::TModuloDados>();
        modulo_->Banco.DefinirStringDeConexao(cadeia("master"));
        modulo_->Banco.Abrir();
        Executar("CREATE DATABASE EMPRESA");
        modulo_->Banco.Fechar();
        modulo_->Banco.DefinirStringDeConexao(cadeia("EMPRESA"));
        modulo_->Conectar();
        Executar("CREATE TABLE PARFN (idParfn int NULL, Script text NULL)");
        Executar("INSERT INTO PARFN (idParfn, Script) VALUES (1, 'exec Antigo')");
        if (comOpcoes)
            Executar(
                "CREATE TABLE [Opções] (Identificador varchar(50) NOT NULL, [Opções] text "
                "NULL)");
    }
    void Executar(const std::string& sql) {
        db::Consulta consulta(&modulo_->Banco);
        consulta.DefinirSQL(sql);
        consulta.Executar();
    }
    std::string Valor(const std::string& sql) {
        db::Consulta consulta(&modulo_->Banco);
        consulta.DefinirSQL(sql);
        consulta.Abrir();
        return consulta.Vazio() ? "<vazio>" : consulta.Campos().at(0).Texto();
    }
    // Opens the dialog, lets `passo` work on it, and closes it with the button.
    void Abrir(const std::function<void(TConfirmacaoAnalisar&)>& passo, bool iniciar = false) {
        QuandoPossivel([&] {
            auto* dialogo = JanelaVisivel<TConfirmacaoAnalisar>();
            if (!dialogo) return false;
            passo(*dialogo);
            (iniciar ? dialogo->btnIniciar : dialogo->btnCancelar)->click();
            return true;
        });
        resultado_.reset();
        if (const auto confirmada = ConfirmarAnalise(modulo_.get()))
            resultado_ = confirmada->opcoes;
    }

    std::unique_ptr<db::TModuloDados> modulo_;
    std::optional<analysis::OpcoesDaAnalise> resultado_;
};

TEST_F(ConfirmacaoAnalisarTeste, EstadosIniciaisTextosOrdemEAcoplamento) {
    TConfirmacaoAnalisar d(nullptr);
    EXPECT_EQ(d.windowTitle(), "Banco de Dados: Opções para analisar");
    const std::vector<std::tuple<QCheckBox*, const char*, bool>> caixas = {
        {d.cbxConfirmarAlteracao, "Confirmar alteração e criação de novos campos e tabelas", false},
        {d.cbxVerificarEstrutura, "Verificar e, se necessário, alterar estrutura das tabelas",
         true},
        {d.cbxRemoverIndices, "Remover índices", true},
        {d.cbxGerarIndices, "Gerar índices", true},
        {d.cbxRemoverChecks, "Remover validações de campo", true},
        {d.cbxCriarChecks, "Criar validações de campo", true},
        {d.cbxRemoverDefault, "Remover valores padrão de campo", true},
        {d.cbxCriarDefault, "Criar valores padrão de campo", true},
        {d.cbxRemoverRelacionamentos, "Remover relacionamentos", true},
        {d.cbxCriarRelacionamentos, "Criar relacionamentos", true},
        {d.cbxCriarProcedimentos, "Criar procedimentos para integridade", true},
        {d.cbxRemoverProcedimentos, "Remover procedimentos para integridade", true},
        {d.cbxNaoBloquear, "Não bloquear outros acessos durante todo o processo", false},
        {d.cbxVerificarIntegridade, "Executar verificação completa da integridade dos dados",
         false}};
    for (const auto& [caixa, texto, marcada] : caixas) {
        EXPECT_EQ(caixa->text(), QString::fromUtf8(texto));
        EXPECT_EQ(caixa->isChecked(), marcada) << texto;
    }
    EXPECT_EQ(d.edtGrupoParaAcesso->text(), "PUBLIC");
    EXPECT_TRUE(d.lblEditar->text().contains(">Editar<"));
    EXPECT_EQ(d.lblProcedimentos->text(), "Procedimentos internos:");
    EXPECT_TRUE(d.btnCancelar->isDefault());
    EXPECT_EQ(d.btnIniciar->text(), "&Iniciar");
    // The dialog's options are the run's initial ones.
    EXPECT_EQ(analysis::ListaDeOpcoes(d.Opcoes()),
              analysis::ListaDeOpcoes(analysis::OpcoesDaAnalise{}));

    // Tab order: the procedures' creation box comes before their removal box.
    QWidget* ordem[] = {
        d.cbxConfirmarAlteracao,   d.cbxVerificarEstrutura, d.cbxRemoverIndices,
        d.cbxGerarIndices,         d.cbxRemoverChecks,      d.cbxCriarChecks,
        d.cbxRemoverDefault,       d.cbxCriarDefault,       d.cbxRemoverRelacionamentos,
        d.cbxCriarRelacionamentos, d.cbxCriarProcedimentos, d.cbxRemoverProcedimentos};
    for (std::size_t i = 1; i < std::size(ordem); ++i)
        EXPECT_EQ(ordem[i - 1]->nextInFocusChain(), ordem[i]) << i;
    // On screen the removal boxes stand above the creation boxes.
    d.show();
    EXPECT_LT(d.cbxRemoverProcedimentos->y(), d.cbxCriarProcedimentos->y());
    EXPECT_LT(d.cbxRemoverChecks->y(), d.cbxCriarChecks->y());
    teste::Capturar(d, "confirmacao_analisar");

    // Coupling: a ticked creation box ticks and locks its removal box.
    const std::pair<QCheckBox*, QCheckBox*> pares[] = {
        {d.cbxGerarIndices, d.cbxRemoverIndices},
        {d.cbxCriarRelacionamentos, d.cbxRemoverRelacionamentos},
        {d.cbxCriarChecks, d.cbxRemoverChecks},
        {d.cbxCriarDefault, d.cbxRemoverDefault}};
    for (const auto& [criar, remover] : pares) {
        EXPECT_FALSE(remover->isEnabled());
        criar->click();  // cleared
        EXPECT_TRUE(remover->isEnabled());
        EXPECT_TRUE(remover->isChecked());  // left ticked
        remover->click();
        EXPECT_FALSE(remover->isChecked());
        criar->click();  // ticked again
        EXPECT_TRUE(remover->isChecked());
        EXPECT_FALSE(remover->isEnabled());
    }
    EXPECT_TRUE(d.cbxRemoverProcedimentos->isEnabled());  // no coupling for procedures
    d.cbxCriarProcedimentos->click();
    EXPECT_TRUE(d.cbxRemoverProcedimentos->isEnabled());
    EXPECT_FALSE(d.Opcoes().CriarProcedimentos);
}

TEST_F(ConfirmacaoAnalisarTeste, GrupoGuardadoPorBancoEGrupoEmBrancoViraPUBLIC) {
    Conectar(true);
    RespondedorDeCaixas respondedor;
    Abrir(
        [](TConfirmacaoAnalisar& d) {
            EXPECT_EQ(d.edtGrupoParaAcesso->text(), "PUBLIC");
            d.edtGrupoParaAcesso->setText("VENDAS");
            d.cbxVerificarIntegridade->click();
        },
        true);
    ASSERT_TRUE(resultado_);
    EXPECT_EQ(resultado_->GrupoParaAcesso, "VENDAS");
    EXPECT_TRUE(resultado_->VerificarIntegridade);
    EXPECT_EQ(Valor("select [Opções] from [Opções] where Identificador='ConfirmacaoAnalisar'"),
              "edtGrupoParaAcesso.Text=VENDAS\r\n");

    // Stored on "Cancelar" too; the check boxes start over every time.
    Abrir([](TConfirmacaoAnalisar& d) {
        EXPECT_EQ(d.edtGrupoParaAcesso->text(), "VENDAS");
        EXPECT_FALSE(d.cbxVerificarIntegridade->isChecked());
        d.edtGrupoParaAcesso->setText("   ");
    });
    EXPECT_FALSE(resultado_);
    Abrir([](TConfirmacaoAnalisar& d) { EXPECT_EQ(d.edtGrupoParaAcesso->text(), "PUBLIC"); });
    EXPECT_TRUE(respondedor.caixas.empty());
}

TEST_F(ConfirmacaoAnalisarTeste, BancoSemTabelaDeOpcoesUsaPUBLICENadaGuarda) {
    Conectar(false);
    RespondedorDeCaixas respondedor;
    Abrir(
        [](TConfirmacaoAnalisar& d) {
            EXPECT_EQ(d.edtGrupoParaAcesso->text(), "PUBLIC");
            d.edtGrupoParaAcesso->setText("VENDAS");
        },
        true);
    ASSERT_TRUE(resultado_);
    EXPECT_EQ(resultado_->GrupoParaAcesso, "VENDAS");
    EXPECT_TRUE(respondedor.caixas.empty());  // no error for the missing table
}

TEST_F(ConfirmacaoAnalisarTeste, EditarProcedimentosInternosGravaSoComOK) {
    Conectar(true);
    for (bool confirmar : {false, true}) {
        QString titulo, textoInicial;
        RespondedorDeCaixas respondedor(QMessageBox::No);  // not saved to a file
        Abrir([&](TConfirmacaoAnalisar& d) {
            QuandoPossivel([&] {
                auto* editor = JanelaVisivel<TJvSQLScript>();
                if (!editor) return false;
                titulo = editor->windowTitle();
                textoInicial = QString::fromStdString(editor->Texto());
                EXPECT_TRUE(editor->pgcInfo->isHidden());
                EXPECT_TRUE(editor->btnExecutar->isHidden());
                EXPECT_EQ(editor->btnAbrir->text(), "&Importar...");
                EXPECT_EQ(editor->btnSalvar->text(), "&Exportar...");
                EXPECT_EQ(editor->btnFechar->text(), "&Cancelar");
                EXPECT_FALSE(editor->btnOK->isHidden());
                editor->edtScript->selectAll();  // typed over: the text is modified
                editor->edtScript->insertPlainText("exec Novo\nexec Outro");
                if (confirmar) teste::Capturar(*editor, "procedimentos_internos");
                (confirmar ? editor->btnOK : editor->btnFechar)->click();
                return true;
            });
            d.lblEditarClick();
        });
        EXPECT_EQ(titulo, "Procedimentos internos da empresa");
        EXPECT_EQ(textoInicial, "exec Antigo");
        EXPECT_EQ(Valor("select Script from PARFN"),
                  confirmar ? "exec Novo\nexec Outro" : "exec Antigo");
        // Leaving a changed text asks first; confirming it does not.
        ASSERT_EQ(respondedor.caixas.size(), confirmar ? 0u : 1u);
        if (!confirmar) {
            EXPECT_EQ(respondedor.caixas[0].texto,
                      "O texto com os comandos foi alterado, você deseja salvá-lo ?");
        }
    }
}

}  // namespace
}  // namespace zolvek::app
