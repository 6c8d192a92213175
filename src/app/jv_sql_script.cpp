#include "app/jv_sql_script.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "app/configuracoes.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/dialogo_de_arquivo.hpp"
#include "app/evolucao.hpp"
#include "app/mensagens.hpp"
#include "app/trabalho_em_segundo_plano.hpp"
#include "comum/erros.hpp"
#include "db/conjunto.hpp"
#include "db/lotes_sql.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::app {

namespace {

const char* const kFiltroDeScripts = "Comandos (*.sql);;Todos (*.*)";

QString EscolherArquivo(QWidget* pai, QFileDialog::AcceptMode modo) {
    QFileDialog dialogo(pai);
    dialogo.setAcceptMode(modo);
    dialogo.setNameFilter(kFiltroDeScripts);
    dialogo.setDefaultSuffix("sql");
    dialogo.setFileMode(modo == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    PrepararDialogoDeArquivo(dialogo);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return {};
    return dialogo.selectedFiles().front();
}

QPushButton* Botao(QWidget* pai, const char* nome, const char* rotulo) {
    auto* botao = new QPushButton(rotulo, pai);
    botao->setObjectName(nome);
    botao->setAutoDefault(false);
    return botao;
}

// The first row set of the batch in the grid.
void MostrarLinhas(QTableWidget* grade, const std::vector<db::Resultado>& resultados) {
    grade->clear();
    grade->setRowCount(0);
    grade->setColumnCount(0);
    for (const auto& r : resultados) {
        if (r.colunas.empty()) continue;
        grade->setColumnCount(static_cast<int>(r.colunas.size()));
        QStringList titulos;
        for (const auto& c : r.colunas) titulos << QString::fromStdString(c.nome);
        grade->setHorizontalHeaderLabels(titulos);
        grade->setRowCount(static_cast<int>(r.linhas.size()));
        for (int l = 0; l < static_cast<int>(r.linhas.size()); ++l)
            for (int c = 0; c < static_cast<int>(r.linhas[l].size()); ++c)
                grade->setItem(l, c,
                               new QTableWidgetItem(
                                   QString::fromStdString(db::ValorComoTexto(r.linhas[l][c]))));
        return;
    }
}

}  // namespace

TJvSQLScript::TJvSQLScript(db::Conexao* conexao, QWidget* pai, Modo modo)
    : QDialog(pai, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      conexao_(conexao),
      modo_(modo) {
    setObjectName("JvSQLScript");
    setWindowTitle(modo == Modo::Comandos ? "Comandos SQL" : "Procedimentos internos da empresa");
    EscolherArquivoParaAbrir = [](QWidget* p) {
        return EscolherArquivo(p, QFileDialog::AcceptOpen);
    };
    EscolherArquivoParaSalvar = [](QWidget* p) {
        return EscolherArquivo(p, QFileDialog::AcceptSave);
    };

    edtScript = new QPlainTextEdit(this);
    edtScript->setObjectName("edtScript");
    edtScript->setLineWrapMode(QPlainTextEdit::NoWrap);
    edtScript->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtScript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixa("Monospace");
    fixa.setStyleHint(QFont::TypeWriter);
    edtScript->setFont(fixa);
    pgcInfo = new QTabWidget(this);
    pgcInfo->setObjectName("pgcInfo");
    pgaResultado = new QWidget;
    pgaResultado->setObjectName("pgaResultado");
    edtResultado = new QPlainTextEdit(pgaResultado);
    edtResultado->setObjectName("edtResultado");
    edtResultado->setReadOnly(true);
    (new QVBoxLayout(pgaResultado))->addWidget(edtResultado);
    pgaQuery = new QWidget;
    pgaQuery->setObjectName("pgaQuery");
    grdComandoSQL = new QTableWidget(pgaQuery);
    grdComandoSQL->setObjectName("grdComandoSQL");
    grdComandoSQL->setEditTriggers(QAbstractItemView::NoEditTriggers);
    (new QVBoxLayout(pgaQuery))->addWidget(grdComandoSQL);
    pgcInfo->addTab(pgaResultado, "&Resultado");
    pgcInfo->addTab(pgaQuery, "C&ursor");
    splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName("splitter");
    splitter->addWidget(edtScript);
    splitter->addWidget(pgcInfo);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    const bool editor = modo == Modo::Procedimentos;
    btnExecutar = Botao(this, "btnExecutar", "E&xecutar");
    btnAbrir = Botao(this, "btnAbrir", editor ? "&Importar..." : "&Abrir...");
    btnSalvar = Botao(this, "btnSalvar", editor ? "&Exportar..." : "&Salvar...");
    btnOK = Botao(this, "btnOK", "OK");
    btnFechar = Botao(this, "btnFechar", editor ? "&Cancelar" : "&Fechar");
    auto* botoes = new QHBoxLayout;
    for (QPushButton* b : {btnExecutar, btnAbrir, btnSalvar}) botoes->addWidget(b);
    botoes->addStretch();
    botoes->addWidget(btnOK);
    botoes->addWidget(btnFechar);
    auto* tudo = new QVBoxLayout(this);
    tudo->addWidget(splitter, 1);
    tudo->addLayout(botoes);
    pgcInfo->setVisible(!editor);
    btnExecutar->setVisible(!editor);
    btnOK->setVisible(editor);
    btnOK->setDefault(editor);

    IgnorarCliqueDuplo(btnExecutar);
    connect(btnExecutar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnExecutarClick(); }); });
    connect(btnAbrir, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnAbrirClick(); }); });
    connect(btnSalvar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnSalvarClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnFechar, &QPushButton::clicked, this, &QWidget::close);
    resize(640, 480);
    RestaurarPosicao();
}

TJvSQLScript::~TJvSQLScript() {
    try {
        GravarPosicao();
    } catch (...) {
        // A placement that could not be saved is not worth a box.
    }
}

std::string TJvSQLScript::Texto() const {
    return edtScript->toPlainText().toStdString();
}

void TJvSQLScript::DefinirTexto(const std::string& texto) {
    edtScript->setPlainText(QString::fromStdString(texto));
    edtScript->document()->setModified(false);
}

void TJvSQLScript::btnExecutarClick() {
    QString texto = edtScript->textCursor().selectedText();
    if (texto.isEmpty())
        texto = edtScript->toPlainText();
    else
        texto.replace(QChar::ParagraphSeparator, '\n');
    Executar(db::DividirEmLinhas(texto.toStdString()));
}

void TJvSQLScript::Executar(const std::vector<std::string>& linhas) {
    if (!conexao_) throw ErroDeEntrada("Não há conexão com o banco de dados");
    edtResultado->clear();
    grdComandoSQL->clear();
    grdComandoSQL->setRowCount(0);
    grdComandoSQL->setColumnCount(0);
    const bool cursor = pgcInfo->currentWidget() == pgaQuery;
    const auto lotes = db::DividirEmLotes(linhas);
    db::Conector& conector = conexao_->ConectorAberto();
    std::int64_t linhasAfetadas = -1;
    try {
        RodarEmSegundoPlano([&] {
            db::RodarLotes(conector, lotes, true,
                           cursor ? db::ModoDoLote::Abrir : db::ModoDoLote::Executar,
                           [&](const db::LoteSql&, std::vector<db::Resultado>& resultados) {
                               linhasAfetadas = db::LinhasAfetadasDoComando(resultados);
                               if (cursor)
                                   ExecutarNaThreadDaInterface(
                                       [&] { MostrarLinhas(grdComandoSQL, resultados); });
                           });
        });
    } catch (const db::FalhaNoLote& falha) {
        edtResultado->setPlainText(QString::fromStdString(db::TextoDaFalha(falha)));
        // Given up by the user, who was told so: the window closes, showing nothing more.
        if (abandonado_) throw Cancelamento();
        throw;
    }
    if (!cursor)
        edtResultado->setPlainText(linhasAfetadas < 1
                                       ? QString("Comando executado com sucesso")
                                       : QString("Linhas afetadas: %1").arg(linhasAfetadas));
}

void TJvSQLScript::RodarEmSegundoPlano(const std::function<void()>& trabalho) {
    // Nothing that starts work or changes the script takes input meanwhile; the close
    // box and "Fechar" ask whether to give the run up.
    const bool somenteLeitura = edtScript->isReadOnly();
    for (QPushButton* b : {btnExecutar, btnAbrir, btnSalvar, btnOK}) b->setEnabled(false);
    edtScript->setReadOnly(true);
    TrabalhoEmSegundoPlano emSegundoPlano(this);
    trabalho_ = &emSegundoPlano;
    abandonado_ = false;
    CursorDeEspera espera;
    struct Fim {
        TJvSQLScript& j;
        bool somenteLeitura;
        ~Fim() {
            j.trabalho_ = nullptr;
            for (QPushButton* b : {j.btnExecutar, j.btnAbrir, j.btnSalvar, j.btnOK})
                b->setEnabled(true);
            j.edtScript->setReadOnly(somenteLeitura);
            if (j.abandonado_) {
                TJvSQLScript* janela = &j;
                QMetaObject::invokeMethod(
                    janela, [janela] { janela->close(); }, Qt::QueuedConnection);
            }
        }
    } fim{*this, somenteLeitura};
    emSegundoPlano.Executar(trabalho);
}

void TJvSQLScript::btnAbrirClick() {
    const QString arquivo = EscolherArquivoParaAbrir(this);
    if (arquivo.isEmpty() || !OferecerSalvar()) return;
    QFile entrada(arquivo);
    if (!entrada.open(QIODevice::ReadOnly))
        throw Erro("Não foi possível ler o arquivo " + arquivo.toStdString() + ": " +
                   entrada.errorString().toStdString());
    DefinirTexto(db::TextoDoScript(entrada.readAll().toStdString()));
}

bool TJvSQLScript::btnSalvarClick() {
    const QString arquivo = EscolherArquivoParaSalvar(this);
    if (arquivo.isEmpty()) return false;
    QFile saida(arquivo);
    const QByteArray bytes = edtScript->toPlainText().toUtf8();
    if (!saida.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        saida.write(bytes) != bytes.size() || !saida.flush())
        throw Erro("Não foi possível gravar o arquivo " + arquivo.toStdString() + ": " +
                   saida.errorString().toStdString());
    edtScript->document()->setModified(false);
    return true;
}

bool TJvSQLScript::OferecerSalvar() {
    if (!edtScript->document()->isModified()) return true;
    const int resposta = MostrarAtencao(
        "O texto com os comandos foi alterado, você deseja salvá-lo ?", kSimNaoCancelar);
    if (resposta == kBotaoCancelar) return false;
    if (resposta == kBotaoSim) return btnSalvarClick();
    return true;
}

void TJvSQLScript::closeEvent(QCloseEvent* evento) {
    if (trabalho_) {
        // The script is running: it may be given up, and the window closes once it ends.
        evento->ignore();
        if (MostrarAtencao(TEvolucao::kPerguntaAoFechar, kSimNaoComNaoPadrao) == kBotaoSim &&
            trabalho_) {
            abandonado_ = true;
            trabalho_->CancelarComando();
        }
        return;
    }
    bool fechar = false;
    ExecutarComando([&] { fechar = OferecerSalvar(); });
    if (!fechar) {
        evento->ignore();
        return;
    }
    grdComandoSQL->clear();
    // Not QDialog::closeEvent: it would call reject(), which comes back here.
    setResult(QDialog::Rejected);
    evento->accept();
}

void TJvSQLScript::reject() {
    close();
}

void TJvSQLScript::RestaurarPosicao() {
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    const QSize tamanho(memoria.Ler("Width", width()).toInt(),
                        memoria.Ler("Height", height()).toInt());
    if (tamanho.isValid()) resize(tamanho);
    memoria.RestaurarPosicao();
    if (memoria.Ler("Maximized", false).toBool()) setWindowState(Qt::WindowMaximized);
}

void TJvSQLScript::GravarPosicao() {
    ArmazenamentoDoFormulario memoria(this, RaizDasConfiguracoes::Geral);
    memoria.Gravar("Maximized", isMaximized());
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    memoria.Gravar("Width", normal.width());
    memoria.Gravar("Height", normal.height());
    memoria.GravarPosicao();
}

void AbrirComandosSql(QWidget* pai, db::Conexao& conexao) {
    TJvSQLScript janela(&conexao, pai);
    janela.exec();
}

std::optional<std::string> EditarProcedimentosInternos(QWidget* pai, const std::string& texto) {
    TJvSQLScript janela(nullptr, pai, TJvSQLScript::Modo::Procedimentos);
    janela.DefinirTexto(texto);
    if (janela.exec() != QDialog::Accepted) return std::nullopt;
    return janela.Texto();
}

}  // namespace zolvek::app
