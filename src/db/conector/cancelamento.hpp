#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "comum/erros.hpp"

// Cancelling, from another thread, the statement a thread is running: a long command
// works on a thread of its own while its window stays alive, and the window's
// "Cancelar" must stop the statement under way, not only the loop around it.
namespace zolvek::db {

// What a statement stopped by a cancel raises, as ODBC drivers report it (SQLSTATE
// HY008, no server error number).
inline constexpr const char* kMensagemDeCancelamento = "Operation canceled";
ErroDeBanco ErroDeCancelamento();

struct ExecucaoRegistrada;

// Bound to one thread (VinculoDoCancelador) while that thread runs a command; any
// other thread may ask it to cancel.
class CanceladorDeComandos {
  public:
    CanceladorDeComandos();
    ~CanceladorDeComandos();
    CanceladorDeComandos(const CanceladorDeComandos&) = delete;
    CanceladorDeComandos& operator=(const CanceladorDeComandos&) = delete;

    // Any thread, never waits on the database. Cancels the statement the bound thread
    // is running; when it runs none, the next statement it starts fails at once with
    // ErroDeCancelamento, without running. One call stops at most one statement.
    void Cancelar();
    // The command noticed the cancel between statements: a cancel that no statement
    // took is dropped, so that the command's own way out runs its statements.
    void Descartar();
    // True while the bound thread is inside a statement.
    bool ComandoEmExecucao() const;

  private:
    friend class ExecucaoCancelavel;

    void CancelarAteTerminar(std::uint64_t alvo);

    mutable std::mutex mutex_;
    ExecucaoRegistrada* execucao_ = nullptr;
    std::uint64_t ultimaExecucao_ = 0;
    bool pendente_ = false;
    std::condition_variable fimDeExecucao_;
    // The backend's cancel may wait on its driver: it runs on threads of its own, joined
    // when the canceller goes.
    std::vector<std::thread> ajudantes_;
};

// Binds a canceller to the calling thread for as long as it lives.
class VinculoDoCancelador {
  public:
    explicit VinculoDoCancelador(CanceladorDeComandos& cancelador);
    ~VinculoDoCancelador();
    VinculoDoCancelador(const VinculoDoCancelador&) = delete;
    VinculoDoCancelador& operator=(const VinculoDoCancelador&) = delete;

  private:
    CanceladorDeComandos* anterior_;
};

// Held by a backend around each statement it runs: tells the thread's canceller, when
// there is one, how to stop this statement (`cancelar` is called from another thread
// while the statement runs, never after this object is gone). Raises
// ErroDeCancelamento at once when a cancel is waiting for the next statement.
class ExecucaoCancelavel {
  public:
    explicit ExecucaoCancelavel(std::function<void()> cancelar);
    ~ExecucaoCancelavel();
    ExecucaoCancelavel(const ExecucaoCancelavel&) = delete;
    ExecucaoCancelavel& operator=(const ExecucaoCancelavel&) = delete;

    // True once the canceller stopped this statement.
    bool Cancelada() const;

  private:
    CanceladorDeComandos* cancelador_;
    std::unique_ptr<ExecucaoRegistrada> registro_;
};

}  // namespace zolvek::db
