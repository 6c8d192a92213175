#include "simulador/motor/funcoes/funcoes_inteiras.hpp"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

void FalharNaDivisao(sqlite3_context* c) {
    FalharNaFuncao(c, ErroDoServidor(8134));
}

bool CabeNoTipo(std::int64_t v, const std::string& tipo) {
    if (tipo == "int")
        return v >= std::numeric_limits<std::int32_t>::min() &&
               v <= std::numeric_limits<std::int32_t>::max();
    if (tipo == "smallint") return v >= -32768 && v <= 32767;
    if (tipo == "tinyint") return v >= 0 && v <= 255;
    return true;
}

// The operation in 64 bits; false when it overflows them.
bool Operar(char op, std::int64_t a, std::int64_t b, std::int64_t& r) {
    switch (op) {
        case '+':
            return !__builtin_add_overflow(a, b, &r);
        case '-':
            return !__builtin_sub_overflow(a, b, &r);
        case '*':
            return !__builtin_mul_overflow(a, b, &r);
        case '/':
            if (a == std::numeric_limits<std::int64_t>::min() && b == -1) return false;
            r = a / b;
            return true;
        default:
            if (b == -1) {
                r = 0;
                return true;
            }
            r = a % b;
            return true;
    }
}

// a op b in the type, or the call's failure; false then.
bool Passo(sqlite3_context* c, char op, std::int64_t a, std::int64_t b, const std::string& tipo,
           std::int64_t& r) {
    if ((op == '/' || op == '%') && b == 0) {
        FalharNaDivisao(c);
        return false;
    }
    if (Operar(op, a, b, r) && CabeNoTipo(r, tipo)) return true;
    FalharNaFuncao(c, ErroDoServidor(8115, {"expression", tipo}));
    return false;
}

std::string Texto(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? reinterpret_cast<const char*>(t) : "";
}

// zv_inteira(op, a, b, type): a op b in the type (the form of the statements and schemas
// written before chains went as one call).
void FnInteira(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[1]) == SQLITE_NULL || sqlite3_value_type(v[2]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    std::int64_t r = 0;
    if (Passo(c, Texto(v[0])[0], sqlite3_value_int64(v[1]), sqlite3_value_int64(v[2]), Texto(v[3]),
              r))
        sqlite3_result_int64(c, r);
}

// zv_inteiras(a, op, b, type [, op, c, type]...): a op b in its type, then the result op c
// in its type, and so on, left to right: the chain a + b - c of integers is one call.
void FnInteiras(sqlite3_context* c, int n, sqlite3_value** v) {
    if (n < 4 || (n - 1) % 3 != 0)
        return FalharNaFuncao(
            c, Recusa("O simulador de SQL Server fez uma conta com argumentos errados."));
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::int64_t a = sqlite3_value_int64(v[0]);
    for (int k = 1; k + 3 <= n; k += 3) {
        if (sqlite3_value_type(v[k + 1]) == SQLITE_NULL) return sqlite3_result_null(c);
        if (!Passo(c, Texto(v[k])[0], a, sqlite3_value_int64(v[k + 1]), Texto(v[k + 2]), a)) return;
    }
    sqlite3_result_int64(c, a);
}

void FnDivisor(sqlite3_context* c, int, sqlite3_value** v) {
    const int tipo = sqlite3_value_numeric_type(v[0]);
    if ((tipo == SQLITE_INTEGER && sqlite3_value_int64(v[0]) == 0) ||
        (tipo == SQLITE_FLOAT && sqlite3_value_double(v[0]) == 0.0))
        return FalharNaDivisao(c);
    sqlite3_result_value(c, v[0]);
}

// zv_ipotencia(a, y, tipo): POWER of an integer, an integer of `tipo`: exact for a whole
// exponent, else the float power truncated; out of the type's range, its overflow.
void FnIPotencia(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL || sqlite3_value_type(v[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    const std::string tipo = Texto(v[2]);
    const std::int64_t a = sqlite3_value_int64(v[0]);
    const double y = sqlite3_value_double(v[1]);
    std::int64_t r = 1;
    bool cabe = true;
    if (y >= 0 && y == std::floor(y) && y < 64) {
        for (int k = 0; k < static_cast<int>(y) && cabe; ++k)
            cabe = !__builtin_mul_overflow(r, a, &r);
    } else {
        const double p = std::trunc(std::pow(static_cast<double>(a), y));
        if (std::isnan(p)) return FalharNaFuncao(c, ErroDoServidor(3623));
        cabe = std::isfinite(p) && p >= -9.2233720368547758e18 && p < 9.2233720368547758e18;
        if (cabe) r = static_cast<std::int64_t>(p);
    }
    if (!cabe || !CabeNoTipo(r, tipo))
        return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", tipo}));
    sqlite3_result_int64(c, r);
}

// zv_linhas(n, especie): the rows TOP (0), TOP ... PERCENT (1), OFFSET (2) or FETCH (3)
// take, as SQLite's LIMIT and OFFSET read them: a whole count (a fraction dropped) or a
// percent. A negative one, or a FETCH of none, is refused, where SQLite would read no limit.
void FnLinhas(sqlite3_context* c, int, sqlite3_value** v) {
    const int tipo = sqlite3_value_numeric_type(v[0]);
    if (tipo == SQLITE_NULL) return sqlite3_result_null(c);
    const double n = sqlite3_value_double(v[0]);
    const int especie = sqlite3_value_int(v[1]);
    if (especie == 3 && n <= 0) return FalharNaFuncao(c, ErroDoServidor(10744));
    if (n < 0) return FalharNaFuncao(c, ErroDoServidor(especie == 2 ? 10742 : 1014));
    if (especie == 1) return sqlite3_result_double(c, n);
    if (tipo == SQLITE_FLOAT) return sqlite3_result_int64(c, static_cast<std::int64_t>(n));
    sqlite3_result_int64(c, sqlite3_value_int64(v[0]));
}

}  // namespace

void RegistrarFuncoesInteiras(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_inteira", 4, det, nullptr, FnInteira, nullptr, nullptr);
    sqlite3_create_function(db, "zv_inteiras", -1, det, nullptr, FnInteiras, nullptr, nullptr);
    sqlite3_create_function(db, "zv_ipotencia", 3, det, nullptr, FnIPotencia, nullptr, nullptr);
    sqlite3_create_function(db, "zv_divisor", 1, det, nullptr, FnDivisor, nullptr, nullptr);
    sqlite3_create_function(db, "zv_linhas", 2, det, nullptr, FnLinhas, nullptr, nullptr);
}

}  // namespace zolvek::simulador
