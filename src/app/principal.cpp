#include "app/principal.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "admin/conexao_do_programa.hpp"
#include "admin/informacoes_do_sistema.hpp"
#include "admin/informacoes_tecnicas.hpp"
#include "admin/liberar_e_validar.hpp"
#include "analysis/analisar.hpp"
#include "app/conexao_ado.hpp"
#include "app/configuracoes.hpp"
#include "app/confirmacao_analisar.hpp"
#include "app/cria_novo_banco.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/evolucao_analisar.hpp"
#include "app/evolucao_manutencao.hpp"
#include "app/historico_banco.hpp"
#include "app/importacao_outro_banco.hpp"
#include "app/interface_em_segundo_plano.hpp"
#include "app/interface_grafica.hpp"
#include "app/janelas_abertas.hpp"
#include "app/jv_sql_script.hpp"
#include "app/mensagens.hpp"
#include "app/restaura_copia.hpp"
#include "app/senhas_guardadas.hpp"
#include "app/simulacao_analisar.hpp"
#include "app/suporte_zav.hpp"
#include "app/validar_bd.hpp"
#include "comum/log.hpp"
#include "comum/versao.hpp"
#include "dictionary/dicionario.hpp"
#include "maintenance/atualizar_impostos_dos_itens.hpp"
#include "maintenance/importar_outro_banco.hpp"

// The pictures live in the GUI library, which the linker would otherwise leave out.
static void CarregarFiguras() {
    Q_INIT_RESOURCE(zolvek);
}

namespace zolvek::app {

db::TModuloDados* ModuloDados = nullptr;

namespace {

QString tituloDaAplicacao;

// The panel's entries may hold CR LF inside (multi-line column values).
QString TextoDoPainel(const std::vector<std::string>& linhas) {
    QStringList partes;
    for (const auto& linha : linhas)
        partes.append(QString::fromStdString(linha).replace("\r\n", "\n"));
    return partes.join('\n');
}

void PintarPainel(QWidget* painel) {
    painel->setAutoFillBackground(true);
    QPalette cores = painel->palette();
    cores.setColor(QPalette::Window, cores.color(QPalette::ToolTipBase));
    painel->setPalette(cores);
}

// The log switches live beside the saved connections; the log reads them once.
void EntregarConfiguracaoDoLog() {
    auto configuracoes = AbrirConfiguracoes(RaizDasConfiguracoes::Produto);
    log::ConfiguracaoDoLog configuracao;
    configuracao.habilitarLogZAV = configuracoes->value("HabilitarLogZAV", 0).toInt() != 0;
    configuracao.pastaLogZAV = configuracoes->value("PastaLogZAV").toString().toStdString();
    log::DefinirConfiguracaoDoLog(configuracao);
}

}  // namespace

QString TituloDaAplicacao() {
    if (tituloDaAplicacao.isEmpty())
        tituloDaAplicacao = QString::fromStdString(versao::NomeDoProduto());
    return tituloDaAplicacao;
}

void DefinirTituloDaAplicacao(const QString& titulo) {
    tituloDaAplicacao = titulo;
}

TPrincipal::TPrincipal(std::vector<std::string> argumentos, QWidget* pai)
    : QMainWindow(pai, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      argumentos_(std::move(argumentos)),
      dicionario_(admin::CaminhoDoDicionarioPadrao()) {
    CarregarFiguras();
    setObjectName("Principal");
    setWindowTitle("Manutenção");
    EntregarConfiguracaoDoLog();
    RemoverSenhasGuardadas();

    auto* area = new QWidget(this);
    area->setFixedSize(kLarguraDaArea, kAlturaDaArea);
    setCentralWidget(area);
    auto* coluna = new QWidget(area);
    coluna->setObjectName("pnlBotoes");
    PintarPainel(coluna);
    CriarMenu();
    CriarBotoes(coluna);
    pnlSisInfo = new QWidget(area);
    pnlSisInfo->setObjectName("pnlSisInfo");
    PintarPainel(pnlSisInfo);
    CriarPainel();
    auto* linha = new QHBoxLayout(area);
    linha->setContentsMargins(0, 0, 0, 0);
    linha->setSpacing(1);
    linha->addWidget(coluna);
    linha->addWidget(pnlSisInfo, 1);
    setFixedSize(kLarguraDaArea, kAlturaDaArea + menuBar()->sizeHint().height());

    // FormCreate: the data module and the connection dialog live as long as the window.
    modulo_ = std::make_unique<db::TModuloDados>();
    ModuloDados = modulo_.get();
    conexaoADO_ = new TConexaoADO(this);
    ConexaoADO = conexaoADO_;
    DefinirListagemDasJanelasAbertas();
    LerPosicao();
    ExecutarComando([this] { AtualizarInformacoes(); });
}

TPrincipal::~TPrincipal() {
    try {
        GravarPosicao();
    } catch (...) {
        // The program is ending; a placement that could not be saved is not worth a box.
    }
    if (ConexaoADO == conexaoADO_) ConexaoADO = nullptr;
    if (ModuloDados == modulo_.get()) ModuloDados = nullptr;
    modulo_->Banco.Fechar();
}

void TPrincipal::CriarMenu() {
    QMenu* menu = menuBar()->addMenu("&Banco de Dados");
    auto item = [&](QAction*& acao, const char* nome, const char* rotulo,
                    void (TPrincipal::*tratador)()) {
        acao = menu->addAction(rotulo);
        acao->setObjectName(nome);
        connect(acao, &QAction::triggered, this, [this, tratador] { Despachar(tratador); });
    };
    item(imbNovo, "imbNovo", "&Novo..", &TPrincipal::imbNovoClick);
    item(imbRestaurar, "imbRestaurar", "&Restaurar cópia...", &TPrincipal::imbRestaurarClick);
    menu->addSeparator();
    item(imbConectar, "imbConectar", "&Conectar...", &TPrincipal::imbConectarClick);
    item(imbAnalisar, "imbAnalisar", "&Analisar...", &TPrincipal::imbAnalisarClick);
    item(imbSQL, "imbSQL", "S&QL", &TPrincipal::imbSQLClick);
    item(imbLiberar, "imbLiberar", "&Liberar...", &TPrincipal::imbLiberarClick);
    item(imbValidar, "imbValidar", "&Validar...", &TPrincipal::imbValidarClick);
    item(imbHistorico, "imbHistorico", "&Histórico", &TPrincipal::imbHistoricoClick);
    item(imbImportarDados, "imbImportarDados", "&Importar dados...",
         &TPrincipal::imbImportarDadosClick);
    item(imbAtualizarTributosDosItens, "imbAtualizarTributosDosItens",
         "A&tualizar tributos dos itens...", &TPrincipal::imbAtualizarTributosDosItensClick);
    menu->addSeparator();
    item(imbSair, "imbSair", "&Sair                     Alt+F4", &TPrincipal::imbSairClick);
}

void TPrincipal::CriarBotoes(QWidget* coluna) {
    auto botao = [&](QToolButton*& b, const char* nome, const char* rotulo, const char* figura,
                     void (TPrincipal::*tratador)()) {
        b = new QToolButton(coluna);
        b->setObjectName(nome);
        b->setText(rotulo);
        b->setIcon(QIcon(QString(":/zolvek/") + figura));
        b->setIconSize(QSize(20, 20));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFixedSize(159, 41);
        QFont negrito = b->font();
        negrito.setBold(true);
        b->setFont(negrito);
        connect(b, &QToolButton::clicked, this, [this, tratador] { Despachar(tratador); });
    };
    botao(btnConectar, "btnConectar", "&Conectar", "conectar.svg", &TPrincipal::imbConectarClick);
    botao(btnAnalisar, "btnAnalisar", "&Analisar", "analisar.svg", &TPrincipal::imbAnalisarClick);
    botao(btnSQL, "btnSQL", "S&QL", "sql.svg", &TPrincipal::imbSQLClick);
    botao(btnSair, "btnSair", "&Sair", "sair.svg", &TPrincipal::imbSairClick);
    auto* pilha = new QVBoxLayout(coluna);
    pilha->setContentsMargins(8, 8, 8, 8);
    pilha->setSpacing(6);
    for (auto* b : {btnConectar, btnAnalisar, btnSQL, btnSair}) pilha->addWidget(b);
    pilha->addStretch();
}

void TPrincipal::CriarPainel() {
    auto* faixa = new QLabel(pnlSisInfo);
    faixa->setObjectName("imgFaixa");
    faixa->setPixmap(QIcon(":/zolvek/faixa.svg").pixmap(QSize(356, 56)));
    faixa->setAlignment(Qt::AlignCenter);
    edtSisInfo = new QPlainTextEdit(pnlSisInfo);
    edtSisInfo->setObjectName("edtSisInfo");
    edtSisInfo->setReadOnly(true);
    edtSisInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    edtSisInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtSisInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* duvida = new QLabel("Para qualquer dúvida ou solicitação acesse:", pnlSisInfo);
    duvida->setObjectName("lblDuvida");
    QFont negrito = duvida->font();
    negrito.setBold(true);
    duvida->setFont(negrito);
    URLdaZAV = CriarLinkDoSuporte(pnlSisInfo);
    connect(URLdaZAV, &QLabel::linkActivated, this,
            [this] { ExecutarComando([this] { URLdaZAVClick(); }); });
    auto* pilha = new QVBoxLayout(pnlSisInfo);
    pilha->setContentsMargins(6, 6, 6, 6);
    pilha->setSpacing(4);
    pilha->addWidget(faixa);
    pilha->addWidget(edtSisInfo, 1);
    pilha->addWidget(duvida);
    pilha->addWidget(URLdaZAV);
}

void TPrincipal::Despachar(void (TPrincipal::*tratador)()) {
    ExecutarComando([this, tratador] { (this->*tratador)(); });
    // However the command ended (an error, a cancel, a question answered "Cancelar"):
    // the database may have changed mode, or the program's session may be gone.
    const bool mudaOBanco =
        tratador != &TPrincipal::imbConectarClick && tratador != &TPrincipal::imbSairClick &&
        tratador != &TPrincipal::imbHistoricoClick && tratador != &TPrincipal::imbNovoClick &&
        tratador != &TPrincipal::imbRestaurarClick;
    if (mudaOBanco) AtualizarDepoisDoComando();
}

void TPrincipal::AtualizarDepoisDoComando() {
    // The program's own session was ended (active users): its connection is closed.
    if (!Conectado() && imbAnalisar->isEnabled()) MostrarDesconectado();
    ExecutarComando([this] { AtualizarInformacoes(); });
}

void TPrincipal::MostrarDesconectado() {
    DesabilitarComandos();
    imbConectar->setText("&Conectar...");
    btnConectar->setText("&Conectar...");
}

void TPrincipal::LerPosicao() {
    ArmazenamentoDoFormulario(this, RaizDasConfiguracoes::Geral).RestaurarPosicao();
}

void TPrincipal::GravarPosicao() {
    ArmazenamentoDoFormulario(this, RaizDasConfiguracoes::Geral).GravarPosicao();
}

void TPrincipal::showEvent(QShowEvent* evento) {
    QMainWindow::showEvent(evento);
    if (!mostrada_) QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TPrincipal::FormShow() {
    if (mostrada_) return;
    mostrada_ = true;
    if (argumentos_.empty() || argumentos_.front().empty()) {
        DesabilitarComandos();
        ExecutarComando([this] { AtualizarInformacoes(); });
        return;
    }
    if (!ExecutarComando([this] { ConectarBanco(true, argumentos_.front()); })) {
        // A connection string that did not connect leaves nothing to work on.
        DesabilitarComandos();
        ExecutarComando([this] { AtualizarInformacoes(); });
    }
}

bool TPrincipal::Conectado() const {
    return modulo_->Banco.Aberta();
}

void TPrincipal::ConectarBanco(bool automatico, const std::string& textoDaConexao) {
    std::string cadeia = textoDaConexao;
    if (cadeia.empty()) cadeia = conexaoADO_->ObterConexao(automatico, false);
    CursorDeEspera espera;
    const auto titulo = admin::ConectarBanco(*modulo_, cadeia, dicionario_);
    HabilitarComandos(titulo);
    imbConectar->setText("&Desconectar");
    btnConectar->setText("&Desconectar");
}

void TPrincipal::DefinirComandosHabilitados(bool habilitados) {
    for (QAction* acao : {imbAnalisar, imbLiberar, imbValidar, imbAtualizarTributosDosItens,
                          imbImportarDados, imbSQL, imbHistorico})
        acao->setEnabled(habilitados);
    btnAnalisar->setEnabled(habilitados);
    btnSQL->setEnabled(habilitados);
}

void TPrincipal::HabilitarComandos(const std::optional<std::string>& tituloDaEmpresa) {
    DefinirComandosHabilitados(true);
    if (tituloDaEmpresa) DefinirTituloDaAplicacao(QString::fromStdString(*tituloDaEmpresa));
    setWindowTitle(TituloDaAplicacao());
    AtualizarInformacoes();
}

void TPrincipal::DesabilitarComandos() {
    DefinirComandosHabilitados(false);
    DefinirTituloDaAplicacao(QString::fromStdString(admin::TituloSemConexao()));
    setWindowTitle(TituloDaAplicacao());
}

void TPrincipal::PintarAnalisar(bool vermelho) {
    btnAnalisar->setProperty("vermelho", vermelho);
    btnAnalisar->setStyleSheet(vermelho ? "QToolButton { background-color: #ff0000; }" : "");
}

void TPrincipal::AtualizarInformacoes() {
    // Hidden while it is filled, so that a half-built text is never seen; a failed
    // query leaves it hidden until the next refresh that works.
    edtSisInfo->hide();
    edtSisInfo->clear();
    const admin::PainelDeInformacoes painel = admin::AtualizarInformacoes(*modulo_);
    edtSisInfo->setPlainText(TextoDoPainel(painel.linhas));
    PintarAnalisar(painel.conectado && painel.analisarVermelho);
    edtSisInfo->moveCursor(QTextCursor::Start);
    edtSisInfo->ensureCursorVisible();
    QPalette cores = edtSisInfo->palette();
    cores.setColor(QPalette::Text,
                   painel.textoNormal ? palette().color(QPalette::WindowText) : QColor(Qt::red));
    edtSisInfo->setPalette(cores);
    edtSisInfo->show();
}

std::vector<std::string> TPrincipal::ObterInformacoesTecnicas() {
    return admin::ObterInformacoesTecnicas(*modulo_);
}

void TPrincipal::imbNovoClick() {
    CursorDeEspera espera;
    CriarNovoBancoDeDados(this);
}

void TPrincipal::imbRestaurarClick() {
    CursorDeEspera espera;
    RestaurarCopiaDeSeguranca(this);
}

void TPrincipal::imbConectarClick() {
    if (modulo_->Banco.Aberta()) {
        CursorDeEspera espera;
        modulo_->Banco.Fechar();
        MostrarDesconectado();
        AtualizarInformacoes();
        return;
    }
    ConectarBanco(false, "");
}

void TPrincipal::imbAnalisarClick() {
    const auto confirmada =
        ConfirmarAnalise(modulo_.get(), this,
                         [this](QWidget* dialogo, const analysis::OpcoesDaAnalise& o,
                                const analysis::ExtrasDaAnalise& x) {
                             SimularAnalise(dialogo, *modulo_, dicionario_, o, x);
                         });
    if (!confirmada) return;
    // The progress window outlives this handler: it stays open for reading the outcome.
    InterfaceGrafica janelas(this, [](QWidget* dono, const QString&) -> TEvolucao* {
        return new TEvolucaoAnalisar(dono);
    });
    analysis::ResultadoDaAnalise resultado;
    ExecutarComandoEmSegundoPlano(janelas, [&](InterfaceDoComando& interface) {
        resultado = analysis::Analisar(*modulo_, dicionario::DicionarioDoPrograma(), dicionario_,
                                       confirmada->opcoes, interface, confirmada->extras);
    });
    if (auto* janela = qobject_cast<TEvolucaoAnalisar*>(janelas.Evolucao()))
        janela->MostrarResultado(
            QString::fromStdString(resultado.Complemento),
            resultado.classificacao == analysis::ClassificacaoDaAnalise::Sucesso);
}

void TPrincipal::imbSQLClick() {
    AbrirComandosSql(this, modulo_->Banco);
}

void TPrincipal::imbLiberarClick() {
    InterfaceGrafica interface;
    admin::Liberar(*modulo_, interface, [this] { AtualizarInformacoes(); });
}

void TPrincipal::imbValidarClick() {
    CursorDeEspera espera;
    const int revisao = dicionario::DicionarioDoPrograma().RevisaoDoDicionario();
    if (!ValidarBancoDeDados(this, *modulo_, revisao)) return;
    AtualizarInformacoes();
    MostrarInformacao(admin::kMensagemValidado);
}

void TPrincipal::imbHistoricoClick() {
    std::unique_ptr<THistoricoBancoDeDados> janela;
    {
        CursorDeEspera espera;  // while the history is read
        janela = std::make_unique<THistoricoBancoDeDados>(modulo_->Banco, this);
    }
    janela->exec();
}

void TPrincipal::imbImportarDadosClick() {
    std::unique_ptr<TImportacaoOutroBancoDados> dialogo;
    {
        CursorDeEspera espera;
        dialogo = std::make_unique<TImportacaoOutroBancoDados>(this);
    }
    if (dialogo->exec() != QDialog::Accepted) return;
    // The progress window outlives this handler: it stays open for reading the outcome.
    InterfaceDaImportacao janelas(this);
    const std::string origem = dialogo->Origem();
    const bool acrescentar = dialogo->Acrescentar();
    ExecutarComandoEmSegundoPlano(janelas, [&](InterfaceDoComando& interface) {
        manutencao::ImportarDeOutroBanco(modulo_->Banco, dicionario::DicionarioDoPrograma(), origem,
                                         acrescentar, interface);
    });
}

void TPrincipal::imbAtualizarTributosDosItensClick() {
    TConfirmacaoAtualizarImpostosItens confirmacao(this);
    if (confirmacao.exec() != QDialog::Accepted) return;
    InterfaceDaAtualizacao janelas(this);
    ExecutarComandoEmSegundoPlano(janelas, [&](InterfaceDoComando& interface) {
        manutencao::AtualizarImpostosDosItens(modulo_->Banco, interface);
    });
}

void TPrincipal::imbSairClick() {
    CursorDeEspera espera;
    close();
}

void TPrincipal::URLdaZAVClick() {
    AbrirSuporteZAV(*modulo_, this);
}

}  // namespace zolvek::app
