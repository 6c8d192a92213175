#include "simulador/motor/funcoes_inteiras.hpp"

#include <sqlite3.h>

#include <cstdint>
#include <limits>
#include <string>

#include "simulador/motor/falhas.hpp"

namespace zolvek::simulador {

namespace {

void FalharNaDivisao(sqlite3_context* c) {
    FalharNaFuncao(c, "Divide by zero error encountered.");
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

void FnInteira(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[1]) == SQLITE_NULL || sqlite3_value_type(v[2]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    const char op = static_cast<char>(sqlite3_value_text(v[0])[0]);
    const std::string tipo = reinterpret_cast<const char*>(sqlite3_value_text(v[3]));
    const std::int64_t a = sqlite3_value_int64(v[1]), b = sqlite3_value_int64(v[2]);
    if ((op == '/' || op == '%') && b == 0) return FalharNaDivisao(c);
    std::int64_t r = 0;
    if (!Operar(op, a, b, r) || !CabeNoTipo(r, tipo))
        return FalharNaFuncao(
            c, "Arithmetic overflow error converting expression to data type " + tipo + ".");
    sqlite3_result_int64(c, r);
}

void FnDivisor(sqlite3_context* c, int, sqlite3_value** v) {
    const int tipo = sqlite3_value_numeric_type(v[0]);
    if ((tipo == SQLITE_INTEGER && sqlite3_value_int64(v[0]) == 0) ||
        (tipo == SQLITE_FLOAT && sqlite3_value_double(v[0]) == 0.0))
        return FalharNaDivisao(c);
    sqlite3_result_value(c, v[0]);
}

}  // namespace

void RegistrarFuncoesInteiras(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_inteira", 4, det, nullptr, FnInteira, nullptr, nullptr);
    sqlite3_create_function(db, "zv_divisor", 1, det, nullptr, FnDivisor, nullptr, nullptr);
}

}  // namespace zolvek::simulador
