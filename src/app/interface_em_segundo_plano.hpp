#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "app/cursor_de_espera.hpp"
#include "comum/comando.hpp"

namespace zolvek::app {

class InterfaceGrafica;
class TrabalhoEmSegundoPlano;

// The front end of a long command that runs on a worker thread: every call reaches
// the windows (an InterfaceGrafica) on the GUI thread. The progress text and bars go
// without waiting, only their last values counting; error rows go in order; questions,
// message boxes and the opening and end of the progress window wait for the windows.
// A cancel is read without them: the progress window's "Cancelar" (or its close box,
// confirmed) sets it and stops the statement under way. The busy cursor shows until
// the progress window opens, which shows the arrow.
class InterfaceEmSegundoPlano : public InterfaceDoComando {
  public:
    // Created on the GUI thread; both outlive the work.
    InterfaceEmSegundoPlano(InterfaceGrafica& janelas, TrabalhoEmSegundoPlano& trabalho);
    ~InterfaceEmSegundoPlano() override;

    void MostrarProgresso(const std::string& texto) override;
    void DefinirBarra(int posicao, int maximo) override;
    void DefinirBarraSecundaria(int posicao, int maximo) override;
    Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                       Resposta padrao) override;
    void Mostrar(TipoDeMensagem tipo, const std::string& texto) override;
    bool CancelamentoPedido() override;
    void AdicionarErro(const LinhaDeErro& linha) override;
    void AbrirEvolucao(const std::string& titulo) override;
    void FinalizarEvolucao(bool concluido) override;
    void MostrarUsuariosAtivos(const std::string& nomeDoBanco) override;
    void MostrarEspera(bool ligada) override;

    // GUI thread: the user asked to cancel.
    void PedirCancelamento();

  private:
    // What the next update of the windows shows; only the last values count.
    struct Progresso {
        std::optional<std::string> texto;
        std::optional<std::pair<int, int>> barra;
        std::optional<std::pair<int, int>> barraSecundaria;
    };
    void Agendar(const std::function<void(Progresso&)>& mudar);
    void AplicarProgresso();
    void NaInterface(std::function<void()> funcao);

    InterfaceGrafica& janelas_;
    TrabalhoEmSegundoPlano& trabalho_;
    QObject receptor_;  // lives on the GUI thread: the updates are queued to it
    std::atomic<bool> cancelado_{false};
    std::mutex mutex_;
    Progresso progresso_;
    bool agendado_ = false;
    std::optional<CursorDeEspera> espera_;  // until the progress window opens
};

// Runs a long command's work on a worker thread (TrabalhoEmSegundoPlano) with its
// front end marshalled to `janelas`; returns when it ended, raising its error.
void ExecutarComandoEmSegundoPlano(InterfaceGrafica& janelas,
                                   const std::function<void(InterfaceDoComando&)>& trabalho);

}  // namespace zolvek::app
