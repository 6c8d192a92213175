#include "simulador/servidor/sinal.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zolvek::simulador::interno {

namespace {

// The page the counter lies in: what every process maps.
constexpr std::size_t kTamanho = 4096;

static_assert(std::atomic_ref<std::uint64_t>::is_always_lock_free,
              "the shared counter needs lock-free atomics");

}  // namespace

Sinal::Sinal(const std::filesystem::path& arquivo) {
#ifndef _WIN32
    const int fd = ::open(arquivo.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    struct stat estado {};
    if (::fstat(fd, &estado) == 0 &&
        (static_cast<std::size_t>(estado.st_size) >= kTamanho || ::ftruncate(fd, kTamanho) == 0)) {
        void* mapa = ::mmap(nullptr, kTamanho, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapa != MAP_FAILED) compartilhado_ = static_cast<std::uint64_t*>(mapa);
    }
    ::close(fd);
#else
    (void)arquivo;
#endif
}

Sinal::~Sinal() {
#ifndef _WIN32
    if (compartilhado_) ::munmap(compartilhado_, kTamanho);
#endif
}

std::uint64_t Sinal::Ler() {
    if (!compartilhado_) return local_.fetch_add(1, std::memory_order_relaxed);
    return std::atomic_ref<std::uint64_t>(*compartilhado_).load(std::memory_order_acquire);
}

std::uint64_t Sinal::Avisar() {
    if (!compartilhado_) return local_.fetch_add(1, std::memory_order_relaxed);
    return std::atomic_ref<std::uint64_t>(*compartilhado_).fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace zolvek::simulador::interno
