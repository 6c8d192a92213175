#include "app/confirmacao.hpp"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace zolvek::app {

namespace {
constexpr int kMargem = 8;
constexpr int kAlturaDoBotao = 25;
constexpr int kEspaco = 6;
}  // namespace

TConfirmacao::TConfirmacao(QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint) {
    setObjectName("Confirmacao");
    setWindowTitle("Atenção");
    lblMensagem = new QLabel(this);
    lblMensagem->setObjectName("lblMensagem");
    lblMensagem->setWordWrap(true);
    lblMensagem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto botao = [this](QPushButton*& b, const char* nome, const char* rotulo, Resposta r) {
        b = new QPushButton(rotulo, this);
        b->setObjectName(nome);
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, [this, r] {
            resposta_ = r;
            accept();
        });
    };
    botao(btnSim, "btnSim", "&Sim", Resposta::Sim);
    botao(btnSimParaTodos, "btnSimParaTodos", "Sim para &todos", Resposta::SimParaTodos);
    botao(btnNao, "btnNao", "&Não", Resposta::Nao);
    botao(btnCancelar, "btnCancelar", "&Cancelar", Resposta::Cancelar);
    btnSim->setDefault(true);
}

void TConfirmacao::DefinirMensagem(const QString& texto) {
    lblMensagem->setText(texto);
    const int alturaDoTexto = std::max(lblMensagem->heightForWidth(kLarguraDaMensagem),
                                       lblMensagem->fontMetrics().height());
    lblMensagem->setGeometry(kMargem, kMargem, kLarguraDaMensagem, alturaDoTexto);
    // The buttons share the label's width, "Sim para todos" a little wider.
    const int larguraComum =
        (kLarguraDaMensagem - 3 * kEspaco) * 22 / 100;  // four buttons: 22+34+22+22 %
    const int larguraLonga = kLarguraDaMensagem - 3 * kEspaco - 3 * larguraComum;
    const int topo =
        kMargem + alturaDoTexto + (kAlturaAlemDaMensagem - 2 * kMargem - kAlturaDoBotao);
    int x = kMargem;
    for (QPushButton* b : {btnSim, btnSimParaTodos, btnNao, btnCancelar}) {
        const int largura = b == btnSimParaTodos ? larguraLonga : larguraComum;
        b->setGeometry(x, topo, largura, kAlturaDoBotao);
        x += largura + kEspaco;
    }
    setFixedSize(kLarguraDaMensagem + 2 * kMargem, alturaDoTexto + kAlturaAlemDaMensagem);
}

Resposta TConfirmacao::Perguntar(const QString& texto) {
    DefinirMensagem(texto);
    resposta_ = Resposta::Cancelar;
    exec();
    return resposta_;
}

void TConfirmacao::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    btnSim->setFocus();
}

}  // namespace zolvek::app
