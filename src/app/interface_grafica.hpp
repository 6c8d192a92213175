#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/evolucao.hpp"
#include "comum/comando.hpp"

class QWidget;

namespace zolvek::db {
class Conexao;
}

namespace zolvek::app {

class TConfirmacao;

// Makes the progress window of a command, given its caption.
using FabricaDeEvolucao = std::function<TEvolucao*(QWidget* dono, const QString& titulo)>;

// How a long command talks to the user through windows: its progress window (phase
// text, bar, cancel button, error list), the four-answer question of TConfirmacao,
// the message boxes, and a cancel request noticed while pending events run. GUI
// thread only: a command on a worker thread reaches it through
// InterfaceEmSegundoPlano. Questions and boxes show the usual cursor, not the
// hourglass of the work around them.
class InterfaceGrafica : public InterfaceDoComando {
  public:
    // `dono`: the window the command runs from (parent of its windows). `fabrica` makes
    // the progress window when the command opens it; by default a progress window
    // with the five-column error list, captioned as the command asks.
    explicit InterfaceGrafica(QWidget* dono = nullptr, FabricaDeEvolucao fabrica = {});
    ~InterfaceGrafica() override;

    void MostrarProgresso(const std::string& texto) override;
    void DefinirBarra(int posicao, int maximo) override;
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override;
    void Mostrar(TipoDeMensagem tipo, const std::string& texto) override;
    bool CancelamentoPedido() override;
    void AdicionarErro(const LinhaDeErro& linha) override;
    void AbrirEvolucao(const std::string& titulo) override;
    void FinalizarEvolucao(bool concluido) override;
    // On the data module's connection, unless another was given.
    void MostrarUsuariosAtivos(const std::string& nomeDoBanco) override;
    void MostrarEspera(bool ligada) override;

    void DefinirConexao(db::Conexao* conexao) { conexao_ = conexao; }
    void PedirCancelamento() { cancelar_ = true; }
    // The progress window while it is open (it stays open after a finished run until
    // the user closes it, and then goes away).
    TEvolucao* Evolucao() const { return evolucao_; }
    // Every row the command reported, also when there was no window to show them.
    const std::vector<LinhaDeErro>& Erros() const { return erros_; }

  private:
    QWidget* Pai() const;

    QPointer<QWidget> dono_;
    FabricaDeEvolucao fabrica_;
    QPointer<TEvolucao> evolucao_;
    std::unique_ptr<TConfirmacao> confirmacao_;
    db::Conexao* conexao_ = nullptr;
    std::vector<LinhaDeErro> erros_;
    bool cancelar_ = false;
};

}  // namespace zolvek::app
