#include "app/interface_em_segundo_plano.hpp"

#include "app/interface_grafica.hpp"
#include "app/trabalho_em_segundo_plano.hpp"

namespace zolvek::app {

InterfaceEmSegundoPlano::InterfaceEmSegundoPlano(InterfaceGrafica& janelas,
                                                 TrabalhoEmSegundoPlano& trabalho)
    : janelas_(janelas), trabalho_(trabalho) {
    espera_.emplace();
}

InterfaceEmSegundoPlano::~InterfaceEmSegundoPlano() = default;

void InterfaceEmSegundoPlano::Agendar(const std::function<void(Progresso&)>& mudar) {
    std::lock_guard trava(mutex_);
    mudar(progresso_);
    if (agendado_) return;
    agendado_ = true;
    QMetaObject::invokeMethod(
        &receptor_, [this] { AplicarProgresso(); }, Qt::QueuedConnection);
}

void InterfaceEmSegundoPlano::AplicarProgresso() {
    Progresso p;
    {
        std::lock_guard trava(mutex_);
        p = std::exchange(progresso_, {});
        agendado_ = false;
    }
    if (p.barra) janelas_.DefinirBarra(p.barra->first, p.barra->second);
    if (p.barraSecundaria)
        janelas_.DefinirBarraSecundaria(p.barraSecundaria->first, p.barraSecundaria->second);
    if (p.texto) janelas_.MostrarProgresso(*p.texto);
}

// Queued as the progress updates are, so that everything reaches the windows in the
// order it was sent (a blocking call is queued behind them too).
void InterfaceEmSegundoPlano::NaInterface(std::function<void()> funcao) {
    QMetaObject::invokeMethod(&receptor_, std::move(funcao), Qt::QueuedConnection);
}

void InterfaceEmSegundoPlano::MostrarProgresso(const std::string& texto) {
    Agendar([&](Progresso& p) { p.texto = texto; });
}

void InterfaceEmSegundoPlano::DefinirBarra(int posicao, int maximo) {
    Agendar([&](Progresso& p) { p.barra = {posicao, maximo}; });
}

void InterfaceEmSegundoPlano::DefinirBarraSecundaria(int posicao, int maximo) {
    Agendar([&](Progresso& p) { p.barraSecundaria = {posicao, maximo}; });
}

Resposta InterfaceEmSegundoPlano::Perguntar(const std::string& titulo, const std::string& texto,
                                            Botoes botoes, Resposta padrao) {
    Resposta resposta = padrao;
    ExecutarNaThreadDaInterface(
        [&] { resposta = janelas_.Perguntar(titulo, texto, botoes, padrao); });
    return resposta;
}

void InterfaceEmSegundoPlano::Mostrar(TipoDeMensagem tipo, const std::string& texto) {
    ExecutarNaThreadDaInterface([&] { janelas_.Mostrar(tipo, texto); });
}

bool InterfaceEmSegundoPlano::CancelamentoPedido() {
    if (!cancelado_) return false;
    // Seen between statements: the command takes its own way out, whose statements run.
    trabalho_.Cancelador().Descartar();
    return true;
}

void InterfaceEmSegundoPlano::PedirCancelamento() {
    cancelado_ = true;
    trabalho_.CancelarComando();
}

void InterfaceEmSegundoPlano::AdicionarErro(const LinhaDeErro& linha) {
    NaInterface([this, linha] { janelas_.AdicionarErro(linha); });
}

void InterfaceEmSegundoPlano::AbrirEvolucao(const std::string& titulo) {
    ExecutarNaThreadDaInterface([&] {
        espera_.reset();
        janelas_.AbrirEvolucao(titulo);
        if (TEvolucao* janela = janelas_.Evolucao())
            QObject::connect(janela, &TEvolucao::CancelamentoSolicitado, &receptor_,
                             [this] { PedirCancelamento(); });
    });
}

void InterfaceEmSegundoPlano::FinalizarEvolucao(bool concluido) {
    ExecutarNaThreadDaInterface([&] { janelas_.FinalizarEvolucao(concluido); });
}

void InterfaceEmSegundoPlano::MostrarUsuariosAtivos(const std::string& nomeDoBanco) {
    ExecutarNaThreadDaInterface([&] { janelas_.MostrarUsuariosAtivos(nomeDoBanco); });
}

void InterfaceEmSegundoPlano::MostrarEspera(bool ligada) {
    NaInterface([this, ligada] { janelas_.MostrarEspera(ligada); });
}

void ExecutarComandoEmSegundoPlano(InterfaceGrafica& janelas,
                                   const std::function<void(InterfaceDoComando&)>& trabalho) {
    TrabalhoEmSegundoPlano emSegundoPlano;
    InterfaceEmSegundoPlano interface(janelas, emSegundoPlano);
    emSegundoPlano.Executar([&] { trabalho(interface); });
}

}  // namespace zolvek::app
