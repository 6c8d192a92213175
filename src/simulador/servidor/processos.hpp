#pragma once

#include <cstdint>
#include <string>

// What the server needs to know about the processes of this machine: sessions belong
// to a process, and vanish when it is gone.
namespace zolvek::simulador::interno {

std::int64_t PidAtual();
// False once no process has that id (a process we may not signal still counts).
bool ProcessoVivo(std::int64_t pid);
// A text that tells apart two processes that got the same pid one after the other
// (the start time); empty when the system does not say.
std::string InicioDoProcesso(std::int64_t pid);
std::string NomeDaMaquina();
std::string UsuarioDoSistemaOperacional();

}  // namespace zolvek::simulador::interno
