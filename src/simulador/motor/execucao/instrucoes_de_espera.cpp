// WAITFOR DELAY and WAITFOR TIME: the session waits, and while it waits a KILL from
// another session and the command's timeout still end the batch, as on SQL Server.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/instrucoes_do_servidor.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

constexpr auto kFatiaDaEspera = std::chrono::milliseconds(50);

// "hh:mm[:ss[.fff]]" (a date before it is passed over): the time from midnight; nothing
// for any other text.
std::optional<std::chrono::milliseconds> LerHorario(std::string texto) {
    while (!texto.empty() && texto.back() == ' ') texto.pop_back();
    if (auto espaco = texto.rfind(' '); espaco != std::string::npos) texto.erase(0, espaco + 1);
    int partes[3] = {0, 0, 0};
    int lidas = 0;
    std::size_t k = 0;
    while (lidas < 3) {
        const std::size_t inicio = k;
        while (k < texto.size() && std::isdigit(static_cast<unsigned char>(texto[k])) &&
               k - inicio < 2)
            ++k;
        if (k == inicio) return std::nullopt;
        partes[lidas++] = std::stoi(texto.substr(inicio, k - inicio));
        if (k >= texto.size() || texto[k] != ':') break;
        ++k;
    }
    long milesimos = 0;
    if (k < texto.size() && texto[k] == '.' && lidas == 3) {
        std::string fracao = texto.substr(k + 1);
        if (fracao.empty() || fracao.size() > 3 ||
            fracao.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        fracao.resize(3, '0');
        milesimos = std::stol(fracao);
        k = texto.size();
    }
    if (k != texto.size() || lidas < 2 || partes[0] > 23 || partes[1] > 59 || partes[2] > 59)
        return std::nullopt;
    return std::chrono::milliseconds(((partes[0] * 60L + partes[1]) * 60L + partes[2]) * 1000L +
                                     milesimos);
}

// How long until the next time the clock shows that time of day.
std::chrono::milliseconds AteAHora(std::chrono::milliseconds horario) {
    const auto agora = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(agora);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    const auto meiaNoite = std::chrono::system_clock::from_time_t(std::mktime(&local));
    auto alvo = meiaNoite + horario;
    if (alvo <= agora) alvo += std::chrono::hours(24);
    return std::chrono::duration_cast<std::chrono::milliseconds>(alvo - agora);
}

}  // namespace

void InstrucoesDoServidor::Rodar(const instrucao::Esperar& x) {
    const db::Valor v = execucao_.Avaliar(x.valor);
    const std::string texto = ComoTextoDeValor(v);
    const auto horario =
        std::holds_alternative<std::monostate>(v) ? std::nullopt : LerHorario(texto);
    if (!horario) throw ErroDoServidor(148, {texto});
    const auto fim = std::chrono::steady_clock::now() + (x.hora ? AteAHora(*horario) : *horario);
    for (auto agora = std::chrono::steady_clock::now(); agora < fim;
         agora = std::chrono::steady_clock::now()) {
        if (s_.Interromper()) {
            s_.VerificarSeFoiEliminada();
            throw ErroDeTempoEsgotado();
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(fim - agora, kFatiaDaEspera));
    }
}

}  // namespace zolvek::simulador
