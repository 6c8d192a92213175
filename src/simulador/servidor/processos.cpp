#include "simulador/servidor/processos.hpp"

#include <cstdlib>
#include <sstream>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zolvek::simulador::interno {

#ifdef _WIN32

std::int64_t PidAtual() {
    return static_cast<std::int64_t>(GetCurrentProcessId());
}

bool ProcessoVivo(std::int64_t pid) {
    HANDLE processo =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!processo) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD codigo = 0;
    bool vivo = GetExitCodeProcess(processo, &codigo) && codigo == STILL_ACTIVE;
    CloseHandle(processo);
    return vivo;
}

std::string InicioDoProcesso(std::int64_t pid) {
    HANDLE processo =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!processo) return {};
    FILETIME criacao{}, fim{}, kernel{}, usuario{};
    std::string texto;
    if (GetProcessTimes(processo, &criacao, &fim, &kernel, &usuario))
        texto = std::to_string((static_cast<unsigned long long>(criacao.dwHighDateTime) << 32) |
                               criacao.dwLowDateTime);
    CloseHandle(processo);
    return texto;
}

std::string NomeDaMaquina() {
    char nome[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD tamanho = sizeof nome;
    return GetComputerNameA(nome, &tamanho) ? std::string(nome, tamanho) : std::string("LOCAL");
}

std::string UsuarioDoSistemaOperacional() {
    char nome[257] = {};
    DWORD tamanho = sizeof nome;
    if (GetUserNameA(nome, &tamanho) && tamanho > 1) return std::string(nome, tamanho - 1);
    const char* ambiente = std::getenv("USERNAME");
    return ambiente ? ambiente : "usuario";
}

#else

namespace {

#ifdef __linux__
// /proc/PID/stat, read with one call: every process start reads its own (a stream would
// cost more than the reading).
std::string LinhaDeEstado(std::int64_t pid) {
    const int arquivo = open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY);
    if (arquivo < 0) return {};
    char texto[1024];
    const ssize_t lidos = read(arquivo, texto, sizeof texto);
    close(arquivo);
    if (lidos <= 0) return {};
    std::string linha(texto, static_cast<std::size_t>(lidos));
    return linha.substr(0, linha.find('\n'));
}
#endif

}  // namespace

std::int64_t PidAtual() {
    return static_cast<std::int64_t>(getpid());
}

bool ProcessoVivo(std::int64_t pid) {
    if (pid <= 0) return false;
    if (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
#ifdef __linux__
    // A process that ended but was not reaped yet (a zombie) still answers kill().
    const std::string linha = LinhaDeEstado(pid);
    if (!linha.empty()) {
        auto fim = linha.rfind(')');
        if (fim != std::string::npos && fim + 2 < linha.size() && linha[fim + 2] == 'Z')
            return false;
    }
#endif
    return true;
}

std::string InicioDoProcesso(std::int64_t pid) {
#ifdef __linux__
    const std::string linha = LinhaDeEstado(pid);
    if (linha.empty()) return {};
    // The command name (field 2) may hold blanks; fields after it start past the last ')'.
    auto fim = linha.rfind(')');
    if (fim == std::string::npos) return {};
    std::istringstream campos(linha.substr(fim + 1));
    std::string campo;
    for (int i = 3; i <= 22 && (campos >> campo); ++i)
        if (i == 22) return campo;
    return {};
#else
    (void)pid;
    return {};
#endif
}

std::string NomeDaMaquina() {
    char nome[256] = {};
    if (gethostname(nome, sizeof nome - 1) != 0 || !nome[0]) return "localhost";
    return nome;
}

std::string UsuarioDoSistemaOperacional() {
    if (const passwd* conta = getpwuid(geteuid()); conta && conta->pw_name && *conta->pw_name)
        return conta->pw_name;
    const char* ambiente = std::getenv("USER");
    return ambiente && *ambiente ? ambiente : "usuario";
}

#endif

}  // namespace zolvek::simulador::interno
