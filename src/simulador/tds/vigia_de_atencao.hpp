#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// ATTENTION while a request runs: the connection's thread is busy in the stand-in, so
// one thread of the listener watches the sockets of every running request and tells
// the request when its client sends anything (with MARS off, only an ATTENTION may come).
namespace zolvek::simulador::tds {

class VigiaDeAtencao {
  public:
    VigiaDeAtencao();
    ~VigiaDeAtencao();
    VigiaDeAtencao(const VigiaDeAtencao&) = delete;
    VigiaDeAtencao& operator=(const VigiaDeAtencao&) = delete;

    // While it lives, bytes arriving on the socket call `aoChegar` once, from the
    // watcher's thread; once it is gone, the call is neither running nor to come.
    class Guarda {
      public:
        Guarda(VigiaDeAtencao& vigia, int socket, std::function<void()> aoChegar);
        ~Guarda();
        Guarda(const Guarda&) = delete;
        Guarda& operator=(const Guarda&) = delete;

      private:
        VigiaDeAtencao& vigia_;
        int socket_;
    };

  private:
    void Vigiar();

    std::mutex mutex_;
    std::map<int, std::function<void()>> vigiados_;
    std::atomic<bool> parar_{false};
    std::thread thread_;
};

}  // namespace zolvek::simulador::tds
