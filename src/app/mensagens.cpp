#include "app/mensagens.hpp"

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/cursor_de_espera.hpp"
#include "comum/erros.hpp"

namespace zolvek::app {

namespace {

QWidget* JanelaAtiva() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

QMessageBox::StandardButton BotaoPadrao(int botoes,
                                        const QList<QMessageBox::StandardButton>& lista) {
    const int posicao = (botoes & 0x300) >> 8;  // 0 = first, 1 = second, 2 = third
    return posicao < lista.size() ? lista[posicao] : lista.front();
}

}  // namespace

int MostrarAtencao(const QString& texto, int botoes) {
    CursorNormal normal;
    botoes |= kIconeDePergunta;
    QList<QMessageBox::StandardButton> lista;
    switch (botoes & 0x0F) {
        case 1:
            lista = {QMessageBox::Ok, QMessageBox::Cancel};
            break;
        case 3:
            lista = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
            break;
        case 4:
            lista = {QMessageBox::Yes, QMessageBox::No};
            break;
        default:
            lista = {QMessageBox::Ok};
            break;
    }
    QMessageBox::StandardButtons conjunto;
    for (auto b : lista) conjunto |= b;
    QMessageBox caixa(QMessageBox::Question, "Atenção", texto, conjunto, JanelaAtiva());
    caixa.setDefaultButton(BotaoPadrao(botoes, lista));
    switch (caixa.exec()) {
        case QMessageBox::Yes:
            return kBotaoSim;
        case QMessageBox::No:
            return kBotaoNao;
        case QMessageBox::Ok:
            return kBotaoOk;
        default:
            return kBotaoCancelar;
    }
}

void MostrarErro(const QString& texto) {
    CursorNormal normal;
    QMessageBox caixa(QMessageBox::Critical, "Erro", texto, QMessageBox::Ok, JanelaAtiva());
    caixa.exec();
}

void MostrarInformacao(const QString& texto) {
    CursorNormal normal;
    QMessageBox caixa(QMessageBox::Information, "Informação", texto, QMessageBox::Ok,
                      JanelaAtiva());
    caixa.exec();
}

void MostrarErroCapturado() {
    try {
        throw;
    } catch (const Cancelamento&) {
    } catch (const std::exception& e) {
        MostrarErro(QString::fromUtf8(e.what()));
    } catch (...) {
        MostrarErro("Erro desconhecido");
    }
}

bool ExecutarComando(const std::function<void()>& comando) {
    try {
        comando();
        return true;
    } catch (...) {
        MostrarErroCapturado();
    }
    return false;
}

}  // namespace zolvek::app
