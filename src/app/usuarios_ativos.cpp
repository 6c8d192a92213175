#include "app/usuarios_ativos.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>

#include "app/cursor_de_espera.hpp"
#include "app/janelas_abertas.hpp"
#include "app/mensagens.hpp"
#include "comum/texto.hpp"

namespace zolvek::app {

TUsuariosAtivos::TUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco, QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      conexao_(conexao),
      usuarios_(std::make_unique<admin::UsuariosAtivos>(conexao, nomeDoBanco)) {
    setObjectName("UsuariosAtivos");
    setWindowTitle("Usuários ativos");
    setSizeGripEnabled(true);
    RegistrarConjunto(this, "qryProcessos", &usuarios_->qryProcessos);
    RegistrarConjunto(this, "stpMatarProcesso", &usuarios_->stpMatarProcesso);

    grdProcessos = new QTableWidget(0, 3, this);
    grdProcessos->setObjectName("grdProcessos");
    grdProcessos->setHorizontalHeaderLabels({"Usuário", "Computador", "Minutos"});
    grdProcessos->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdProcessos->setSelectionMode(QAbstractItemView::SingleSelection);
    grdProcessos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdProcessos->verticalHeader()->hide();
    const int letra = grdProcessos->fontMetrics().averageCharWidth();
    const int larguras[] = {30, 23, 11};
    for (int i = 0; i < 3; ++i) grdProcessos->setColumnWidth(i, larguras[i] * letra + 8);
    grdProcessos->horizontalHeader()->setStretchLastSection(true);

    mnuProcessos = new QMenu(this);
    imbEliminarProcesso = mnuProcessos->addAction("&Eliminar processo...");
    imbEliminarProcesso->setObjectName("imbEliminarProcesso");
    mnuProcessos->setDefaultAction(imbEliminarProcesso);
    connect(imbEliminarProcesso, &QAction::triggered, this,
            [this] { ExecutarComando([this] { EliminarProcessoClick(); }); });
    grdProcessos->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdProcessos, &QWidget::customContextMenuRequested, this, [this](const QPoint& ponto) {
        imbEliminarProcesso->setEnabled(grdProcessos->currentRow() >= 0);
        mnuProcessos->popup(grdProcessos->viewport()->mapToGlobal(ponto));
    });

    btnAtualizar = new QPushButton("&Atualizar", this);
    btnAtualizar->setObjectName("btnAtualizar");
    btnAtualizar->setAutoDefault(false);
    connect(btnAtualizar, &QPushButton::clicked, this,
            [this] { ExecutarComando([this] { btnAtualizarClick(); }); });
    btnFechar = new QPushButton("&Fechar", this);
    btnFechar->setObjectName("btnFechar");
    connect(btnFechar, &QPushButton::clicked, this, &QDialog::accept);

    auto* rodape = new QHBoxLayout;
    rodape->addStretch();
    rodape->addWidget(btnAtualizar);
    rodape->addWidget(btnFechar);
    auto* pilha = new QVBoxLayout(this);
    pilha->addWidget(grdProcessos, 1);
    pilha->addLayout(rodape);
    resize(std::max(64 * letra + 60, 460), 300);
}

TUsuariosAtivos::~TUsuariosAtivos() = default;

void TUsuariosAtivos::PreencherGrade() {
    const int anterior = grdProcessos->currentRow();
    const auto linhas = usuarios_->Linhas();
    grdProcessos->setRowCount(static_cast<int>(linhas.size()));
    for (int i = 0; i < static_cast<int>(linhas.size()); ++i) {
        const auto& l = linhas[static_cast<std::size_t>(i)];
        grdProcessos->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(l.loginame)));
        grdProcessos->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(l.hostname)));
        auto* minutos = new QTableWidgetItem(QString::number(l.tempo));
        minutos->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grdProcessos->setItem(i, 2, minutos);
    }
    if (grdProcessos->rowCount() > 0)
        grdProcessos->selectRow(std::clamp(anterior, 0, grdProcessos->rowCount() - 1));
}

void TUsuariosAtivos::btnAtualizarClick() {
    // An empty grid rather than yesterday's rows when the listing fails.
    grdProcessos->setRowCount(0);
    CursorDeEspera espera;
    usuarios_->Atualizar();
    PreencherGrade();
}

void TUsuariosAtivos::EliminarProcessoClick() {
    const int linha = grdProcessos->currentRow();
    if (linha < 0) return;
    const std::string login = grdProcessos->item(linha, 0)->text().toStdString();
    const std::string host = grdProcessos->item(linha, 1)->text().toStdString();
    bool propria = false;
    {
        CursorDeEspera espera;
        propria = usuarios_->EhDaPropriaConexao(login, host);
    }
    if (propria) {
        if (MostrarAtencao(QString::fromStdString(PerguntaDaConexaoPropria(login, host)),
                           kSimNaoComNaoPadrao) == kBotaoSim)
            EliminarConexaoPropria(login, host);
        return;
    }
    CursorDeEspera espera;
    try {
        usuarios_->MatarProcesso(login, host);
    } catch (...) {
        // The list may have changed all the same; show what is there now.
        try {
            usuarios_->Atualizar();
        } catch (...) {
        }
        PreencherGrade();
        throw;
    }
    PreencherGrade();
}

void TUsuariosAtivos::EliminarConexaoPropria(const std::string& login, const std::string& host) {
    std::exception_ptr erro;
    {
        CursorDeEspera espera;
        try {
            usuarios_->MatarProcesso(login, host);
            PreencherGrade();  // the database's procedure spared its caller
            return;
        } catch (...) {
            erro = std::current_exception();
        }
        // Whether the program's session went with the others: it no longer answers.
        try {
            usuarios_->Atualizar();
        } catch (...) {
            conexao_.Fechar();
            conexaoEncerrada_ = true;
        }
    }
    if (!conexaoEncerrada_) {
        PreencherGrade();
        std::rethrow_exception(erro);
    }
    MostrarInformacao(kConexaoEncerrada);
    accept();  // nothing more can be listed on a closed connection
}

std::string PerguntaDaConexaoPropria(const std::string& login, const std::string& host) {
    return "Os processos de " + texto::Aparar(login) + " em " + texto::Aparar(host) +
           " incluem a conexão deste programa: eliminá-los encerra também a conexão do "
           "programa com o banco de dados. Deseja continuar ?";
}

void MostrarUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco, QWidget* pai) {
    TUsuariosAtivos janela(conexao, nomeDoBanco, pai);
    ExecutarComando([&janela] { janela.btnAtualizarClick(); });
    janela.exec();
}

}  // namespace zolvek::app
