#include "simulador/motor/funcoes/funcoes_estatisticas.hpp"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace zolvek::simulador {

namespace {

// The running count, sum and sum of squares of the values seen (NULLs skipped).
struct Acumulado {
    std::int64_t n;
    double soma;
    double quadrados;
};

Acumulado* EstadoEstatistico(sqlite3_context* c, bool criar) {
    return static_cast<Acumulado*>(sqlite3_aggregate_context(c, criar ? sizeof(Acumulado) : 0));
}

void PassoEstatistico(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return;
    Acumulado* e = EstadoEstatistico(c, true);
    if (!e) return sqlite3_result_error_nomem(c);
    const double x = sqlite3_value_double(a[0]);
    ++e->n;
    e->soma += x;
    e->quadrados += x * x;
}

void Inverso(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return;
    Acumulado* e = EstadoEstatistico(c, true);
    if (!e) return;
    const double x = sqlite3_value_double(a[0]);
    --e->n;
    e->soma -= x;
    e->quadrados -= x * x;
}

// The user data tells which: bit 1 the population's (STDEVP, VARP), bit 2 the deviation.
void Valor(sqlite3_context* c) {
    const auto tipo = reinterpret_cast<std::intptr_t>(sqlite3_user_data(c));
    const bool populacao = tipo & 1, desvio = tipo & 2;
    const Acumulado* e = EstadoEstatistico(c, false);
    const std::int64_t n = e ? e->n : 0;
    if (n == 0 || (!populacao && n < 2)) return sqlite3_result_null(c);
    const double media = e->soma / static_cast<double>(n);
    double variancia =
        (e->quadrados - media * e->soma) / static_cast<double>(populacao ? n : n - 1);
    if (variancia < 0) variancia = 0;  // rounding of values all alike
    sqlite3_result_double(c, desvio ? std::sqrt(variancia) : variancia);
}

std::mt19937_64& Gerador() {
    static thread_local std::mt19937_64 g{std::random_device{}()};
    return g;
}

// RAND([semente]): a float in [0, 1); a seed starts the session's sequence again.
void FnRand(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n > 0 && sqlite3_value_type(a[0]) != SQLITE_NULL)
        Gerador().seed(static_cast<std::uint64_t>(sqlite3_value_int64(a[0])));
    sqlite3_result_double(c, std::generate_canonical<double, 53>(Gerador()));
}

}  // namespace

void RegistrarFuncoesEstatisticas(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    const std::pair<const char*, std::intptr_t> funcoes[] = {
        {"zv_var", 0}, {"zv_varp", 1}, {"zv_stdev", 2}, {"zv_stdevp", 3}};
    for (const auto& [nome, tipo] : funcoes)
        sqlite3_create_window_function(db, nome, 1, det, reinterpret_cast<void*>(tipo),
                                       PassoEstatistico, Valor, Valor, Inverso, nullptr);
    sqlite3_create_function(db, "zv_rand", 0, SQLITE_UTF8, nullptr, FnRand, nullptr, nullptr);
    sqlite3_create_function(db, "zv_rand", 1, SQLITE_UTF8, nullptr, FnRand, nullptr, nullptr);
}

}  // namespace zolvek::simulador
