#include "simulador/motor/funcoes/funcoes_matematicas.hpp"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <utility>

#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

using Calculo = double (*)(double);

bool AlgumNulo(int n, sqlite3_value** a) {
    for (int k = 0; k < n; ++k)
        if (sqlite3_value_type(a[k]) == SQLITE_NULL) return true;
    return false;
}

// The float result, or SQL Server's failure for a value out of the domain or range.
void Devolver(sqlite3_context* c, double v) {
    if (std::isnan(v)) return FalharNaFuncao(c, ErroDoServidor(3623));
    if (std::isinf(v)) return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "float"}));
    sqlite3_result_double(c, v);
}

void FnUma(sqlite3_context* c, int n, sqlite3_value** a) {
    if (AlgumNulo(n, a)) return sqlite3_result_null(c);
    const auto f = reinterpret_cast<Calculo>(sqlite3_user_data(c));
    const double x = sqlite3_value_double(a[0]);
    Devolver(c, f(x));
}

// LOG(x) and LOG(x, base); a logarithm of zero or less is out of the domain
void FnLog(sqlite3_context* c, int n, sqlite3_value** a) {
    if (AlgumNulo(n, a)) return sqlite3_result_null(c);
    const double x = sqlite3_value_double(a[0]);
    if (x <= 0) return FalharNaFuncao(c, ErroDoServidor(3623));
    if (n == 1) return Devolver(c, std::log(x));
    const double base = sqlite3_value_double(a[1]);
    if (base <= 0 || base == 1) return FalharNaFuncao(c, ErroDoServidor(3623));
    Devolver(c, std::log(x) / std::log(base));
}

void FnLog10(sqlite3_context* c, int n, sqlite3_value** a) {
    if (AlgumNulo(n, a)) return sqlite3_result_null(c);
    const double x = sqlite3_value_double(a[0]);
    if (x <= 0) return FalharNaFuncao(c, ErroDoServidor(3623));
    Devolver(c, std::log10(x));
}

void FnAtn2(sqlite3_context* c, int n, sqlite3_value** a) {
    if (AlgumNulo(n, a)) return sqlite3_result_null(c);
    Devolver(c, std::atan2(sqlite3_value_double(a[0]), sqlite3_value_double(a[1])));
}

// zv_real_finito(x): float arithmetic past float's range, which SQLite carries on as
// Inf (and Inf - Inf as NaN), is SQL Server's overflow.
void FnRealFinito(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_FLOAT) {
        const double v = sqlite3_value_double(a[0]);
        if (std::isinf(v) || std::isnan(v))
            return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "float"}));
    }
    sqlite3_result_value(c, a[0]);
}

// zv_real4_finito(x): real arithmetic, which SQLite does in double precision, rounded to
// real's single precision; past real's range it is SQL Server's overflow.
void FnReal4Finito(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) != SQLITE_FLOAT) return sqlite3_result_value(c, a[0]);
    const double v = sqlite3_value_double(a[0]);
    if (std::isnan(v) || std::fabs(v) > std::numeric_limits<float>::max())
        return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "real"}));
    sqlite3_result_double(c, static_cast<double>(static_cast<float>(v)));
}

}  // namespace

void RegistrarFuncoesMatematicas(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_log", 1, det, nullptr, FnLog, nullptr, nullptr);
    sqlite3_create_function(db, "zv_log", 2, det, nullptr, FnLog, nullptr, nullptr);
    sqlite3_create_function(db, "zv_log10", 1, det, nullptr, FnLog10, nullptr, nullptr);
    sqlite3_create_function(db, "zv_atn2", 2, det, nullptr, FnAtn2, nullptr, nullptr);
    sqlite3_create_function(db, "zv_real_finito", 1, det, nullptr, FnRealFinito, nullptr, nullptr);
    sqlite3_create_function(db, "zv_real4_finito", 1, det, nullptr, FnReal4Finito, nullptr,
                            nullptr);
    const std::pair<const char*, Calculo> umas[] = {
        {"zv_exp", [](double x) { return std::exp(x); }},
        {"zv_sqrt", [](double x) { return std::sqrt(x); }},
        {"zv_asin", [](double x) { return std::asin(x); }},
        {"zv_acos", [](double x) { return std::acos(x); }},
        // the cotangent of zero has no value
        {"zv_cot", [](double x) { return x == 0 ? std::nan("") : 1 / std::tan(x); }}};
    for (const auto& [nome, f] : umas)
        sqlite3_create_function(db, nome, 1, det, reinterpret_cast<void*>(f), FnUma, nullptr,
                                nullptr);
}

}  // namespace zolvek::simulador
