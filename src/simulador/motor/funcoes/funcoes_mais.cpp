// T-SQL's + where neither integer nor decimal arithmetic applies: texts are joined,
// numbers added, a date-time plus a number moves by days, and a text that is not a number
// next to a number fails as SQL Server fails. zv_mais(a, b, c, ...) adds left to right, as
// the nested calls of a + b + c would: SQLite reads calls nested only some thirty deep.

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// A value between two steps, as SQLite holds a step's result.
struct Parcela {
    int tipo = SQLITE_NULL;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT or SQLITE_BLOB
    std::int64_t inteiro = 0;
    double real = 0;
    std::string bytes;                 // of a text or a binary
    std::optional<db::DataHora> data;  // a date-time result, written in `bytes` too
};

Parcela LerParcela(sqlite3_value* v) {
    Parcela p;
    p.tipo = sqlite3_value_type(v);
    if (p.tipo == SQLITE_INTEGER) p.inteiro = sqlite3_value_int64(v);
    if (p.tipo == SQLITE_FLOAT) p.real = sqlite3_value_double(v);
    if (p.tipo == SQLITE_TEXT || p.tipo == SQLITE_BLOB) p.bytes = TextoDe(v);
    return p;
}

// The number SQLite reads a value as (a text by its leading digits).
double ComoReal(const Parcela& p) {
    if (p.tipo == SQLITE_INTEGER) return static_cast<double>(p.inteiro);
    if (p.tipo == SQLITE_FLOAT) return p.real;
    return std::strtod(p.bytes.c_str(), nullptr);
}

bool EhBytes(const Parcela& p) {
    return p.tipo == SQLITE_TEXT || p.tipo == SQLITE_BLOB;
}

// x + y; SQL Server's error when it fails.
std::optional<ErroDeBanco> Somar(const Parcela& x, const Parcela& y, Parcela& r) {
    r = Parcela{};
    if (EhBytes(x) && EhBytes(y)) {
        r.tipo = x.tipo == SQLITE_BLOB && y.tipo == SQLITE_BLOB ? SQLITE_BLOB : SQLITE_TEXT;
        r.bytes = x.bytes + y.bytes;
        return std::nullopt;
    }
    const Parcela* partes[2] = {&x, &y};
    double numeros[2] = {0, 0};
    std::int64_t valores[2] = {0, 0};
    bool inteiros = true;
    for (int k = 0; k < 2; ++k) {
        const Parcela& p = *partes[k];
        if (p.tipo == SQLITE_INTEGER) {
            valores[k] = p.inteiro;
            numeros[k] = static_cast<double>(p.inteiro);
            continue;
        }
        if (p.tipo == SQLITE_FLOAT) {
            numeros[k] = p.real;
            inteiros = false;
            continue;
        }
        db::DataHora d;
        if (p.bytes.size() >= 10 && p.bytes[4] == '-' && LerDataHora(p.bytes, d)) {
            r.data = DataHoraDeDias1900(DiasDesde1900(d) + ComoReal(*partes[1 - k]));
            r.tipo = SQLITE_TEXT;
            r.bytes = FormatarDataHora(*r.data);
            return std::nullopt;
        }
        bool inteiro = false;
        if (!LerNumero(p.bytes, numeros[k], inteiro, valores[k]))
            return ErroDoServidor(245, {"varchar", p.bytes, "int"});
        inteiros = inteiros && inteiro;
    }
    if (inteiros) {
        r.tipo = SQLITE_INTEGER;
        r.inteiro = static_cast<std::int64_t>(static_cast<std::uint64_t>(valores[0]) +
                                              static_cast<std::uint64_t>(valores[1]));
    } else {
        r.tipo = SQLITE_FLOAT;
        r.real = numeros[0] + numeros[1];
    }
    return std::nullopt;
}

void Devolver(sqlite3_context* c, const Parcela& p) {
    switch (p.tipo) {
        case SQLITE_INTEGER:
            return sqlite3_result_int64(c, p.inteiro);
        case SQLITE_FLOAT:
            return sqlite3_result_double(c, p.real);
        case SQLITE_BLOB:
            return sqlite3_result_blob(c, p.bytes.data(), static_cast<int>(p.bytes.size()),
                                       SQLITE_TRANSIENT);
        default:
            if (p.data) return ResultadoDataHora(c, *p.data);
            return ResultadoTexto(c, p.bytes);
    }
}

void FnMais(sqlite3_context* c, int n, sqlite3_value** a) {
    Parcela soma = LerParcela(a[0]), proxima;
    for (int k = 1; k < n; ++k) {
        if (soma.tipo == SQLITE_NULL || sqlite3_value_type(a[k]) == SQLITE_NULL)
            return sqlite3_result_null(c);
        if (auto erro = Somar(soma, LerParcela(a[k]), proxima)) return FalharNaFuncao(c, *erro);
        soma = std::move(proxima);
    }
    Devolver(c, soma);
}

}  // namespace

void RegistrarFuncaoMais(sqlite3* db) {
    sqlite3_create_function(db, "zv_mais", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, FnMais,
                            nullptr, nullptr);
}

}  // namespace zolvek::simulador
