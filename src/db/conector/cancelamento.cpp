#include "db/conector/cancelamento.hpp"

#include <chrono>

namespace zolvek::db {

namespace {

thread_local CanceladorDeComandos* canceladorDaThread = nullptr;

}  // namespace

struct ExecucaoRegistrada {
    std::uint64_t numero = 0;
    std::function<void()> cancelar;
    std::atomic<bool> cancelada{false};
    // Held while its cancel runs: the statement's end waits for it.
    std::mutex emCancelamento;
    ExecucaoRegistrada* anterior = nullptr;  // a statement run inside another
};

ErroDeBanco ErroDeCancelamento() {
    return ErroDeBanco(kMensagemDeCancelamento, 0, 0, 0, "HY008");
}

CanceladorDeComandos::CanceladorDeComandos() = default;

CanceladorDeComandos::~CanceladorDeComandos() {
    for (auto& ajudante : ajudantes_) ajudante.join();
}

void CanceladorDeComandos::Cancelar() {
    std::lock_guard trava(mutex_);
    if (!execucao_) {
        pendente_ = true;
        return;
    }
    const std::uint64_t alvo = execucao_->numero;
    ajudantes_.emplace_back([this, alvo] { CancelarAteTerminar(alvo); });
}

// A driver's cancel that arrives before the statement reaches the server (or SQLite's
// step) is lost: the cancel is repeated until the statement ends.
void CanceladorDeComandos::CancelarAteTerminar(std::uint64_t alvo) {
    std::unique_lock travaDoAjudante(mutex_);
    // The statement may have ended (and another begun) before this thread ran.
    while (execucao_ && execucao_->numero == alvo) {
        ExecucaoRegistrada& execucao = *execucao_;
        std::unique_lock cancelando(execucao.emCancelamento);
        execucao.cancelada = true;
        // Not under the canceller's lock: the other threads must not wait on the driver.
        travaDoAjudante.unlock();
        execucao.cancelar();
        // Released before the canceller's lock is taken again, always in that order.
        cancelando.unlock();
        travaDoAjudante.lock();
        fimDeExecucao_.wait_for(travaDoAjudante, std::chrono::milliseconds(200),
                                [&] { return !execucao_ || execucao_->numero != alvo; });
    }
}

void CanceladorDeComandos::Descartar() {
    std::lock_guard trava(mutex_);
    pendente_ = false;
}

bool CanceladorDeComandos::ComandoEmExecucao() const {
    std::lock_guard trava(mutex_);
    return execucao_ != nullptr;
}

VinculoDoCancelador::VinculoDoCancelador(CanceladorDeComandos& cancelador)
    : anterior_(canceladorDaThread) {
    canceladorDaThread = &cancelador;
}

VinculoDoCancelador::~VinculoDoCancelador() {
    canceladorDaThread = anterior_;
}

ExecucaoCancelavel::ExecucaoCancelavel(std::function<void()> cancelar)
    : cancelador_(canceladorDaThread) {
    if (!cancelador_) return;
    std::lock_guard trava(cancelador_->mutex_);
    if (cancelador_->pendente_) {
        cancelador_->pendente_ = false;
        throw ErroDeCancelamento();
    }
    registro_ = std::make_unique<ExecucaoRegistrada>();
    registro_->numero = ++cancelador_->ultimaExecucao_;
    registro_->cancelar = std::move(cancelar);
    registro_->anterior = cancelador_->execucao_;
    cancelador_->execucao_ = registro_.get();
}

ExecucaoCancelavel::~ExecucaoCancelavel() {
    if (!registro_) return;
    {
        std::lock_guard trava(cancelador_->mutex_);
        cancelador_->execucao_ = registro_->anterior;
    }
    cancelador_->fimDeExecucao_.notify_all();
    // Waits for a cancel that is running: the backend's handle stays valid until then.
    std::lock_guard cancelando(registro_->emCancelamento);
}

bool ExecucaoCancelavel::Cancelada() const {
    return registro_ && registro_->cancelada;
}

}  // namespace zolvek::db
