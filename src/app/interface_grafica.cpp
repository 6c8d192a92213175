#include "app/interface_grafica.hpp"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>
#include <map>

#include "app/confirmacao.hpp"
#include "app/cursor_de_espera.hpp"
#include "app/evolucao_com_erros.hpp"
#include "app/mensagens.hpp"
#include "app/principal.hpp"
#include "app/usuarios_ativos.hpp"

namespace zolvek::app {

namespace {

QString Texto(const std::string& s) {
    return QString::fromStdString(s);
}

// The row's texts under the columns the window has (the import lists only three).
QStringList TextosDasColunas(const LinhaDeErro& linha, const QStringList& titulos) {
    QStringList textos;
    for (const QString& titulo : titulos) {
        if (titulo == "Tabela")
            textos << Texto(linha.tabela);
        else if (titulo == "Campo")
            textos << Texto(linha.campo);
        else if (titulo == "Função")
            textos << Texto(linha.funcao);
        else if (titulo == "Descrição")
            textos << Texto(linha.descricao);
        else if (titulo == "Comando")
            textos << Texto(linha.comando);
        else
            textos << QString();
    }
    return textos;
}

TEvolucao* EvolucaoPadrao(QWidget* dono, const QString& titulo) {
    auto* janela = new TEvolucaoComErros(
        dono, titulo + ": Erros",
        {{"Tabela", 100}, {"Campo", 80}, {"Função", 80}, {"Descrição", 220}, {"Comando", 220}});
    janela->setWindowTitle(titulo);
    return janela;
}

Resposta PerguntarComCaixa(QWidget* pai, const QString& titulo, const QString& texto, Botoes botoes,
                           Resposta padrao) {
    QMessageBox caixa(QMessageBox::Question, titulo, texto, QMessageBox::NoButton, pai);
    std::map<QAbstractButton*, Resposta> respostas;
    auto adicionar = [&](const char* rotulo, QMessageBox::ButtonRole papel, Resposta resposta) {
        QPushButton* botao = caixa.addButton(rotulo, papel);
        respostas[botao] = resposta;
        if (resposta == padrao) caixa.setDefaultButton(botao);
        if (papel == QMessageBox::RejectRole) caixa.setEscapeButton(botao);
    };
    switch (botoes) {
        case Botoes::Ok:
            adicionar("&OK", QMessageBox::AcceptRole, Resposta::Ok);
            break;
        case Botoes::OkCancelar:
            adicionar("&OK", QMessageBox::AcceptRole, Resposta::Ok);
            adicionar("&Cancelar", QMessageBox::RejectRole, Resposta::Cancelar);
            break;
        case Botoes::SimNao:
            adicionar("&Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("&Não", QMessageBox::NoRole, Resposta::Nao);
            break;
        case Botoes::SimNaoCancelar:
            adicionar("&Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("&Não", QMessageBox::NoRole, Resposta::Nao);
            adicionar("&Cancelar", QMessageBox::RejectRole, Resposta::Cancelar);
            break;
        case Botoes::SimNaoTodos:
            adicionar("&Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("&Não", QMessageBox::NoRole, Resposta::Nao);
            adicionar("Sim para &todos", QMessageBox::YesRole, Resposta::SimParaTodos);
            adicionar("Não para t&odos", QMessageBox::NoRole, Resposta::NaoParaTodos);
            break;
        case Botoes::SimTodosNaoCancelar:
            break;  // TConfirmacao
    }
    caixa.exec();
    const auto achada = respostas.find(caixa.clickedButton());
    if (achada != respostas.end()) return achada->second;
    // Closed without a button: the safest answer the box offered.
    if (botoes == Botoes::SimNaoCancelar || botoes == Botoes::OkCancelar) return Resposta::Cancelar;
    if (botoes == Botoes::Ok) return Resposta::Ok;
    return Resposta::Nao;
}

}  // namespace

InterfaceGrafica::InterfaceGrafica(QWidget* dono, FabricaDeEvolucao fabrica)
    : dono_(dono), fabrica_(fabrica ? std::move(fabrica) : FabricaDeEvolucao(EvolucaoPadrao)) {}

InterfaceGrafica::~InterfaceGrafica() = default;

QWidget* InterfaceGrafica::Pai() const {
    if (evolucao_ && evolucao_->isVisible()) return evolucao_;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (dono_) return dono_;
    return QApplication::activeWindow();
}

void InterfaceGrafica::AbrirEvolucao(const std::string& titulo) {
    // One progress window per run; a second call only brings it up.
    if (!evolucao_) {
        evolucao_ = fabrica_(dono_, Texto(titulo));
        evolucao_->setAttribute(Qt::WA_DeleteOnClose);
    }
    evolucao_->Mostrar();
}

void InterfaceGrafica::FinalizarEvolucao(bool concluido) {
    if (evolucao_) evolucao_->Finalizar(concluido);
}

void InterfaceGrafica::MostrarProgresso(const std::string& texto) {
    if (evolucao_) evolucao_->DefinirFase(Texto(texto));
    QCoreApplication::processEvents();
}

void InterfaceGrafica::DefinirBarra(int posicao, int maximo) {
    if (!evolucao_) return;
    evolucao_->DefinirMaximo(maximo);
    evolucao_->DefinirPosicao(posicao);
}

Resposta InterfaceGrafica::Perguntar(const std::string& titulo, const std::string& texto,
                                     Botoes botoes, Resposta padrao) {
    CursorNormal normal;
    if (botoes != Botoes::SimTodosNaoCancelar)
        return PerguntarComCaixa(Pai(), Texto(titulo), Texto(texto), botoes, padrao);
    // Created at the first question and kept for the rest of the run; owned here, not
    // by the progress window, which may go away first.
    if (!confirmacao_) confirmacao_ = std::make_unique<TConfirmacao>();
    return confirmacao_->Perguntar(Texto(texto));
}

void InterfaceGrafica::Mostrar(TipoDeMensagem tipo, const std::string& texto) {
    CursorNormal normal;
    const QString mensagem = Texto(texto);
    switch (tipo) {
        case TipoDeMensagem::Atencao: {
            QMessageBox caixa(QMessageBox::Warning, "Atenção", mensagem, QMessageBox::Ok, Pai());
            caixa.exec();
            break;
        }
        case TipoDeMensagem::Erro:
            MostrarErro(mensagem);
            break;
        case TipoDeMensagem::Informacao:
            MostrarInformacao(mensagem);
            break;
    }
}

bool InterfaceGrafica::CancelamentoPedido() {
    QCoreApplication::processEvents();
    if (evolucao_ && evolucao_->PedidoDeCancelamento()) cancelar_ = true;
    return cancelar_;
}

void InterfaceGrafica::AdicionarErro(const LinhaDeErro& linha) {
    erros_.push_back(linha);
    if (auto* janela = qobject_cast<TEvolucaoComErros*>(evolucao_.data()))
        janela->AdicionarErro(TextosDasColunas(linha, janela->lstErros->Titulos()));
}

void InterfaceGrafica::MostrarUsuariosAtivos(const std::string& nomeDoBanco) {
    db::Conexao* conexao = conexao_ ? conexao_ : (ModuloDados ? &ModuloDados->Banco : nullptr);
    if (!conexao) return;
    CursorNormal normal;
    app::MostrarUsuariosAtivos(*conexao, nomeDoBanco, Pai());
}

void InterfaceGrafica::MostrarEspera(bool ligada) {
    if (ligada)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace zolvek::app
