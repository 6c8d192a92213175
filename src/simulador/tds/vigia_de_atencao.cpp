#include "simulador/tds/vigia_de_atencao.hpp"

#include <poll.h>

#include <vector>

namespace zolvek::simulador::tds {

namespace {

// How often the list of watched sockets is read again: the delay before a request that
// has just started is watched, and before a stop is seen.
constexpr int kIntervaloMs = 50;

}  // namespace

VigiaDeAtencao::VigiaDeAtencao() : thread_([this] { Vigiar(); }) {}

VigiaDeAtencao::~VigiaDeAtencao() {
    parar_ = true;
    thread_.join();
}

VigiaDeAtencao::Guarda::Guarda(VigiaDeAtencao& vigia, int socket, std::function<void()> aoChegar)
    : vigia_(vigia), socket_(socket) {
    std::lock_guard trava(vigia_.mutex_);
    vigia_.vigiados_[socket_] = std::move(aoChegar);
}

VigiaDeAtencao::Guarda::~Guarda() {
    std::lock_guard trava(vigia_.mutex_);
    vigia_.vigiados_.erase(socket_);
}

void VigiaDeAtencao::Vigiar() {
    std::vector<pollfd> sockets;
    while (!parar_) {
        sockets.clear();
        {
            std::lock_guard trava(mutex_);
            for (const auto& [s, f] : vigiados_) sockets.push_back({s, POLLIN, 0});
        }
        if (sockets.empty() || ::poll(sockets.data(), sockets.size(), kIntervaloMs) <= 0) {
            if (sockets.empty()) ::poll(nullptr, 0, kIntervaloMs);
            continue;
        }
        std::lock_guard trava(mutex_);
        for (const auto& p : sockets) {
            if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            auto it = vigiados_.find(p.fd);
            if (it == vigiados_.end()) continue;  // its request ended meanwhile
            // The bytes seen may have been the request itself, read since: only what is
            // still waiting now came while it runs.
            pollfd agora{p.fd, POLLIN, 0};
            if (::poll(&agora, 1, 0) <= 0) continue;
            auto aoChegar = std::move(it->second);
            vigiados_.erase(it);
            aoChegar();
        }
    }
}

}  // namespace zolvek::simulador::tds
