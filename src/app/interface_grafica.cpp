#include "app/interface_grafica.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <map>

#include "app/mensagens.hpp"

namespace zolvek::app {

InterfaceGrafica::InterfaceGrafica(QLabel* progresso, QProgressBar* barra,
                                   std::function<void(const LinhaDeErro&)> aoAdicionarErro)
    : progresso_(progresso), barra_(barra), aoAdicionarErro_(std::move(aoAdicionarErro)) {}

void InterfaceGrafica::MostrarProgresso(const std::string& texto) {
    if (progresso_) progresso_->setText(QString::fromStdString(texto));
    QCoreApplication::processEvents();
}

void InterfaceGrafica::DefinirBarra(int posicao, int maximo) {
    if (!barra_) return;
    barra_->setMaximum(maximo);
    barra_->setValue(posicao);
}

Resposta InterfaceGrafica::Perguntar(const std::string& titulo, const std::string& texto,
                                     Botoes botoes, Resposta padrao) {
    QMessageBox caixa(QMessageBox::Question, QString::fromStdString(titulo),
                      QString::fromStdString(texto), QMessageBox::NoButton,
                      QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                        : QApplication::activeWindow());
    std::map<QAbstractButton*, Resposta> respostas;
    auto adicionar = [&](const char* rotulo, QMessageBox::ButtonRole papel, Resposta resposta) {
        QPushButton* botao = caixa.addButton(rotulo, papel);
        respostas[botao] = resposta;
        if (resposta == padrao) caixa.setDefaultButton(botao);
        if (papel == QMessageBox::RejectRole) caixa.setEscapeButton(botao);
    };
    switch (botoes) {
        case Botoes::Ok:
            adicionar("OK", QMessageBox::AcceptRole, Resposta::Ok);
            break;
        case Botoes::SimNao:
            adicionar("Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("Não", QMessageBox::NoRole, Resposta::Nao);
            break;
        case Botoes::SimNaoCancelar:
            adicionar("Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("Não", QMessageBox::NoRole, Resposta::Nao);
            adicionar("Cancelar", QMessageBox::RejectRole, Resposta::Cancelar);
            break;
        case Botoes::SimNaoTodos:
            adicionar("Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("Não", QMessageBox::NoRole, Resposta::Nao);
            adicionar("Sim para todos", QMessageBox::YesRole, Resposta::SimParaTodos);
            adicionar("Não para todos", QMessageBox::NoRole, Resposta::NaoParaTodos);
            break;
        case Botoes::SimTodosNaoCancelar:
            adicionar("Sim", QMessageBox::YesRole, Resposta::Sim);
            adicionar("Sim para todos", QMessageBox::YesRole, Resposta::SimParaTodos);
            adicionar("Não", QMessageBox::NoRole, Resposta::Nao);
            adicionar("Cancelar", QMessageBox::RejectRole, Resposta::Cancelar);
            break;
        case Botoes::OkCancelar:
            adicionar("OK", QMessageBox::AcceptRole, Resposta::Ok);
            adicionar("Cancelar", QMessageBox::RejectRole, Resposta::Cancelar);
            break;
    }
    caixa.exec();
    const auto achada = respostas.find(caixa.clickedButton());
    if (achada != respostas.end()) return achada->second;
    // Closed without a button: the safest answer the box offered.
    if (botoes == Botoes::SimNaoCancelar || botoes == Botoes::SimTodosNaoCancelar ||
        botoes == Botoes::OkCancelar)
        return Resposta::Cancelar;
    if (botoes == Botoes::Ok) return Resposta::Ok;
    return Resposta::Nao;
}

void InterfaceGrafica::Mostrar(TipoDeMensagem tipo, const std::string& texto) {
    const QString mensagem = QString::fromStdString(texto);
    switch (tipo) {
        case TipoDeMensagem::Atencao: {
            QMessageBox caixa(QMessageBox::Warning, "Atenção", mensagem, QMessageBox::Ok,
                              QApplication::activeWindow());
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
    return cancelar_;
}

void InterfaceGrafica::AdicionarErro(const LinhaDeErro& linha) {
    if (aoAdicionarErro_) aoAdicionarErro_(linha);
}

}  // namespace zolvek::app
