#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>

// A counter the processes of a server folder share in memory (a small file of the folder
// mapped by each): whatever other sessions must notice before their next batch (a session
// killed, a database's catalog changed) adds one to it, so that a session learns of it
// without asking the server's files before every batch.
namespace zolvek::simulador::interno {

class Sinal {
  public:
    // Without shared memory (the file cannot be mapped) the counter seems to move at
    // every reading: every session then asks every time.
    explicit Sinal(const std::filesystem::path& arquivo);
    ~Sinal();
    Sinal(const Sinal&) = delete;
    Sinal& operator=(const Sinal&) = delete;

    std::uint64_t Ler();
    // Adds one; returns the value before.
    std::uint64_t Avisar();

  private:
    std::uint64_t* compartilhado_ = nullptr;
    std::atomic<std::uint64_t> local_{0};
};

}  // namespace zolvek::simulador::interno
