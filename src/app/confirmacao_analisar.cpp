#include "app/confirmacao_analisar.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin/procedimentos_internos.hpp"
#include "analysis/grupo_para_acesso.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/dialogo_de_arquivo.hpp"
#include "app/jv_sql_script.hpp"
#include "app/mensagens.hpp"
#include "comum/texto.hpp"
#include "db/modulo_dados.hpp"

namespace zolvek::app {

TConfirmacaoAnalisar::TConfirmacaoAnalisar(db::TModuloDados* modulo, QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      modulo_(modulo) {
    setObjectName("ConfirmacaoAnalisar");
    setWindowTitle("Banco de Dados: Opções para analisar");
    EscolherCopia = [](QWidget* pai) {
        return EscolherArquivoParaGravar(pai, "Cópia de segurança antes de alterar", QString(),
                                         "Cópias de segurança (*.bak);;Todos os arquivos (*)");
    };
    CriarCaixas();
    CriarCopiaESimulacao();
    Organizar();
    AplicarAcoplamento();
    LerGrupo();
}

void TConfirmacaoAnalisar::CriarCaixas() {
    auto caixa = [this](QCheckBox*& c, const char* nome, const char* rotulo, bool marcada) {
        c = new QCheckBox(rotulo, this);
        c->setObjectName(nome);
        c->setChecked(marcada);
        connect(c, &QCheckBox::clicked, this, [this] { AplicarAcoplamento(); });
    };
    const analysis::OpcoesDaAnalise inicial;
    caixa(cbxConfirmarAlteracao, "cbxConfirmarAlteracao",
          "Confirmar alteração e criação de novos campos e tabelas", inicial.ConfirmarAlteracao);
    caixa(cbxVerificarEstrutura, "cbxVerificarEstrutura",
          "Verificar e, se necessário, alterar estrutura das tabelas", inicial.VerificarEstrutura);
    caixa(cbxRemoverIndices, "cbxRemoverIndices", "Remover índices", inicial.RemoverIndices);
    caixa(cbxGerarIndices, "cbxGerarIndices", "Gerar índices", inicial.GerarIndices);
    caixa(cbxRemoverChecks, "cbxRemoverChecks", "Remover validações de campo",
          inicial.RemoverChecks);
    caixa(cbxCriarChecks, "cbxCriarChecks", "Criar validações de campo", inicial.CriarChecks);
    caixa(cbxRemoverDefault, "cbxRemoverDefault", "Remover valores padrão de campo",
          inicial.RemoverDefault);
    caixa(cbxCriarDefault, "cbxCriarDefault", "Criar valores padrão de campo",
          inicial.CriarDefault);
    caixa(cbxRemoverRelacionamentos, "cbxRemoverRelacionamentos", "Remover relacionamentos",
          inicial.RemoverRelacionamentos);
    caixa(cbxCriarRelacionamentos, "cbxCriarRelacionamentos", "Criar relacionamentos",
          inicial.CriarRelacionamentos);
    caixa(cbxCriarProcedimentos, "cbxCriarProcedimentos", "Criar procedimentos para integridade",
          inicial.CriarProcedimentos);
    caixa(cbxRemoverProcedimentos, "cbxRemoverProcedimentos",
          "Remover procedimentos para integridade", inicial.RemoverProcedimentos);

    lblProcedimentos = new QLabel("Procedimentos internos:", this);
    lblProcedimentos->setObjectName("lblProcedimentos");
    lblEditar = new QLabel(
        "<a href=\"#\" style=\"color:#0000ff; "
        "text-decoration:underline\">Editar</a>",
        this);
    lblEditar->setObjectName("lblEditar");
    lblEditar->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblEditar->setCursor(Qt::PointingHandCursor);
    lblEditar->setEnabled(modulo_ != nullptr);
    connect(lblEditar, &QLabel::linkActivated, this,
            [this] { ExecutarComando([this] { lblEditarClick(); }); });

    edtGrupoParaAcesso = new QLineEdit(this);
    edtGrupoParaAcesso->setObjectName("edtGrupoParaAcesso");
    caixa(cbxNaoBloquear, "cbxNaoBloquear", "Não bloquear outros acessos durante todo o processo",
          inicial.NaoBloquear);
    caixa(cbxVerificarIntegridade, "cbxVerificarIntegridade",
          "Executar verificação completa da integridade dos dados", inicial.VerificarIntegridade);

    btnSimular = new QPushButton("&Simular...", this);
    btnSimular->setObjectName("btnSimular");
    btnSimular->setAutoDefault(false);
    btnSimular->hide();  // offered by DefinirSimulacao
    btnIniciar = new QPushButton("&Iniciar", this);
    btnIniciar->setObjectName("btnIniciar");
    btnIniciar->setAutoDefault(false);
    connect(btnIniciar, &QPushButton::clicked, this, &QDialog::accept);
    btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setDefault(true);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

// Not among the registered options: the backup's box and file, and the simulation.
void TConfirmacaoAnalisar::CriarCopiaESimulacao() {
    cbxCopiaAntes = new QCheckBox("Fazer cópia de segurança &antes da primeira alteração...", this);
    cbxCopiaAntes->setObjectName("cbxCopiaAntes");
    connect(cbxCopiaAntes, &QCheckBox::clicked, this, [this] { cbxCopiaAntesClick(); });
    lblCopiaAntes = new QLabel(this);
    lblCopiaAntes->setObjectName("lblCopiaAntes");
    lblCopiaAntes->setIndent(20);
    lblCopiaAntes->hide();
    connect(btnSimular, &QPushButton::clicked, this, [this] {
        ExecutarComando([this] {
            if (simular_) simular_(this, Opcoes(), Extras());
        });
    });
}

void TConfirmacaoAnalisar::cbxCopiaAntesClick() {
    copiaAntes_.clear();
    if (cbxCopiaAntes->isChecked()) copiaAntes_ = EscolherCopia(this);
    // Giving up the file gives up the backup.
    cbxCopiaAntes->setChecked(!copiaAntes_.isEmpty());
    lblCopiaAntes->setText(copiaAntes_);
    lblCopiaAntes->setVisible(!copiaAntes_.isEmpty());
}

analysis::ExtrasDaAnalise TConfirmacaoAnalisar::Extras() const {
    analysis::ExtrasDaAnalise extras;
    if (cbxCopiaAntes->isChecked()) extras.copiaAntes = copiaAntes_.toStdString();
    return extras;
}

void TConfirmacaoAnalisar::DefinirSimulacao(Simulacao simular) {
    simular_ = std::move(simular);
    btnSimular->setVisible(static_cast<bool>(simular_));
}

void TConfirmacaoAnalisar::Organizar() {
    auto* pilha = new QVBoxLayout(this);
    pilha->setSpacing(4);
    // On screen each removal box stands above its creation box.
    for (QCheckBox* c : {cbxConfirmarAlteracao, cbxVerificarEstrutura, cbxRemoverIndices,
                         cbxGerarIndices, cbxRemoverChecks, cbxCriarChecks, cbxRemoverDefault,
                         cbxCriarDefault, cbxRemoverRelacionamentos, cbxCriarRelacionamentos,
                         cbxRemoverProcedimentos, cbxCriarProcedimentos})
        pilha->addWidget(c);
    auto* procedimentos = new QHBoxLayout;
    procedimentos->addWidget(lblProcedimentos);
    procedimentos->addWidget(lblEditar);
    procedimentos->addStretch();
    pilha->addSpacing(4);
    pilha->addLayout(procedimentos);
    auto* grupo = new QHBoxLayout;
    auto* lblGrupo = new QLabel("&Grupo para acesso:", this);
    lblGrupo->setObjectName("lblGrupoParaAcesso");
    lblGrupo->setBuddy(edtGrupoParaAcesso);
    grupo->addWidget(lblGrupo);
    grupo->addWidget(edtGrupoParaAcesso, 1);
    pilha->addLayout(grupo);
    pilha->addWidget(cbxNaoBloquear);
    pilha->addWidget(cbxVerificarIntegridade);
    pilha->addWidget(cbxCopiaAntes);
    pilha->addWidget(lblCopiaAntes);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(btnSimular);
    botoes->addWidget(btnIniciar);
    botoes->addWidget(btnCancelar);
    pilha->addSpacing(6);
    pilha->addLayout(botoes);
    pilha->setSizeConstraint(QLayout::SetFixedSize);

    // The tab order of the options, which differs from the screen for the
    // procedures.
    QWidget* ordem[] = {cbxConfirmarAlteracao,
                        cbxVerificarEstrutura,
                        cbxRemoverIndices,
                        cbxGerarIndices,
                        cbxRemoverChecks,
                        cbxCriarChecks,
                        cbxRemoverDefault,
                        cbxCriarDefault,
                        cbxRemoverRelacionamentos,
                        cbxCriarRelacionamentos,
                        cbxCriarProcedimentos,
                        cbxRemoverProcedimentos,
                        lblEditar,
                        edtGrupoParaAcesso,
                        cbxNaoBloquear,
                        cbxVerificarIntegridade,
                        cbxCopiaAntes,
                        btnSimular,
                        btnIniciar,
                        btnCancelar};
    for (std::size_t i = 1; i < std::size(ordem); ++i) setTabOrder(ordem[i - 1], ordem[i]);
}

void TConfirmacaoAnalisar::AplicarAcoplamento() {
    const std::pair<QCheckBox*, QCheckBox*> pares[] = {
        {cbxGerarIndices, cbxRemoverIndices},
        {cbxCriarRelacionamentos, cbxRemoverRelacionamentos},
        {cbxCriarChecks, cbxRemoverChecks},
        {cbxCriarDefault, cbxRemoverDefault}};
    for (const auto& [criar, remover] : pares) {
        if (criar->isChecked()) remover->setChecked(true);
        remover->setEnabled(!criar->isChecked());
    }
}

analysis::OpcoesDaAnalise TConfirmacaoAnalisar::Opcoes() const {
    analysis::OpcoesDaAnalise o;
    o.ConfirmarAlteracao = cbxConfirmarAlteracao->isChecked();
    o.VerificarEstrutura = cbxVerificarEstrutura->isChecked();
    o.RemoverIndices = cbxRemoverIndices->isChecked();
    o.GerarIndices = cbxGerarIndices->isChecked();
    o.RemoverChecks = cbxRemoverChecks->isChecked();
    o.CriarChecks = cbxCriarChecks->isChecked();
    o.RemoverDefault = cbxRemoverDefault->isChecked();
    o.CriarDefault = cbxCriarDefault->isChecked();
    o.RemoverRelacionamentos = cbxRemoverRelacionamentos->isChecked();
    o.CriarRelacionamentos = cbxCriarRelacionamentos->isChecked();
    o.CriarProcedimentos = cbxCriarProcedimentos->isChecked();
    o.RemoverProcedimentos = cbxRemoverProcedimentos->isChecked();
    o.NaoBloquear = cbxNaoBloquear->isChecked();
    o.VerificarIntegridade = cbxVerificarIntegridade->isChecked();
    o.GrupoParaAcesso = edtGrupoParaAcesso->text().toStdString();
    return o;
}

void TConfirmacaoAnalisar::LerGrupo() {
    std::string grupo = "PUBLIC";
    if (modulo_) grupo = analysis::LerGrupoParaAcesso(*modulo_);
    if (texto::Aparar(grupo).empty()) grupo = "PUBLIC";
    edtGrupoParaAcesso->setText(QString::fromStdString(grupo));
}

void TConfirmacaoAnalisar::GravarGrupo() {
    if (modulo_)
        analysis::GravarGrupoParaAcesso(*modulo_, edtGrupoParaAcesso->text().toStdString());
}

void TConfirmacaoAnalisar::done(int resultado) {
    // Stored whatever the button; a failure is shown and the dialog still closes.
    ExecutarComando([this] { GravarGrupo(); });
    QDialog::done(resultado);
}

void TConfirmacaoAnalisar::lblEditarClick() {
    if (!modulo_) return;
    std::string script;
    {
        CursorDeEspera espera;
        script = admin::LerProcedimentosInternos(modulo_->Banco);
    }
    // The SQL script window as an editor; closing it with the text changed asks
    // whether to save it to a file first.
    const auto editado = EditarProcedimentosInternos(this, script);
    if (!editado) return;
    CursorDeEspera espera;
    admin::GravarProcedimentosInternos(modulo_->Banco, *editado);
}

std::optional<AnaliseConfirmada> ConfirmarAnalise(db::TModuloDados* modulo, QWidget* pai,
                                                  TConfirmacaoAnalisar::Simulacao simular) {
    TConfirmacaoAnalisar dialogo(modulo, pai);
    if (simular) dialogo.DefinirSimulacao(std::move(simular));
    if (dialogo.exec() != QDialog::Accepted) return std::nullopt;
    return AnaliseConfirmada{dialogo.Opcoes(), dialogo.Extras()};
}

}  // namespace zolvek::app
