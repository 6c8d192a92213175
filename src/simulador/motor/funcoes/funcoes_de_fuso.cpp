#include <sqlite3.h>

#include <cstdlib>
#include <ctime>

#include "comum/hora_local.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_datas.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"

// datetimeoffset's SQL functions: SYSDATETIMEOFFSET, TODATETIMEOFFSET, SWITCHOFFSET and
// zv_dto_utc, and the result of a value of that type.
namespace zolvek::simulador {

void ResultadoDataComFuso(sqlite3_context* c, DataComFuso d, int casas) {
    d.local = ArredondarNaEscala(d.local, casas);
    if (d.local.ano > 9999) return FalharNaFuncao(c, ErroDoServidor(517, {"datetimeoffset"}));
    ResultadoTexto(c, FormatarDataComFuso(d, casas));
    sqlite3_result_subtype(c, kSubtipoDataHora);
}

namespace {

// The fraction digits of the datetimeoffset made of a value of the type named in `a`
// (datetime keeps 3); 7 when the statement did not tell it.
int CasasDoArgumento(int n, sqlite3_value** a) {
    const auto t = n > 2 ? LerTextoDeTipo(TextoDe(a[2])) : std::nullopt;
    return t && EhDataHora(t->base) ? CasasDaFracao(*t) : 7;
}

// The offset argument of TODATETIMEOFFSET and SWITCHOFFSET: '+05:30' or minutes.
bool ArgumentoDeFuso(sqlite3_context* c, sqlite3_value* v, const char* funcao, int& fuso) {
    const int tipo = sqlite3_value_type(v);
    std::string texto = TextoDe(v);
    while (!texto.empty() && texto.back() == ' ') texto.pop_back();
    const bool ok =
        tipo == SQLITE_INTEGER ? std::llabs(sqlite3_value_int64(v)) <= 840 : LerFuso(texto, fuso);
    if (tipo == SQLITE_INTEGER) fuso = static_cast<int>(sqlite3_value_int64(v));
    if (!ok) FalharNaFuncao(c, ErroDoServidor(9812, {funcao}));
    return ok;
}

bool ArgumentoComFuso(sqlite3_context* c, sqlite3_value* v, DataComFuso& d) {
    if (sqlite3_value_type(v) == SQLITE_TEXT && LerDataComFuso(TextoDe(v), d)) return true;
    if (sqlite3_value_type(v) != SQLITE_TEXT && LerDataHoraDoValor(v, d.local)) return true;
    FalharNaFuncao(c, ErroDoServidor(241));
    return false;
}

void FnSysDateTimeOffset(sqlite3_context* c, int, sqlite3_value**) {
    const std::tm local = HoraLocal(std::time(nullptr));
    ResultadoDataComFuso(
        c, NoFuso(DataHoraAtualPrecisa(true), static_cast<int>(local.tm_gmtoff / 60)), 7);
}

// TODATETIMEOFFSET(date, offset[, type of date]): the same date-time, said to be at the offset.
void FnToDateTimeOffset(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    DataComFuso d;
    if (!ArgumentoComFuso(c, a[0], d) || !ArgumentoDeFuso(c, a[1], "todatetimeoffset", d.fuso))
        return;
    ResultadoDataComFuso(c, d, CasasDoArgumento(n, a));
}

// SWITCHOFFSET(value, offset[, type of value]): the same instant at another offset.
void FnSwitchOffset(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    DataComFuso d;
    int fuso = 0;
    if (!ArgumentoComFuso(c, a[0], d) || !ArgumentoDeFuso(c, a[1], "switchoffset", fuso)) return;
    ResultadoDataComFuso(c, NoFuso(EmUtc(d), fuso), CasasDoArgumento(n, a));
}

void FnDtoUtc(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    DataComFuso d;
    if (!ArgumentoComFuso(c, a[0], d)) return;
    ResultadoDataHora(c, EmUtc(d));
}

}  // namespace

void RegistrarFuncoesDeFuso(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_sysdatetimeoffset", 0, SQLITE_UTF8, nullptr,
                            FnSysDateTimeOffset, nullptr, nullptr);
    for (int n : {2, 3}) {
        sqlite3_create_function(db, "zv_todatetimeoffset", n, det, nullptr, FnToDateTimeOffset,
                                nullptr, nullptr);
        sqlite3_create_function(db, "zv_switchoffset", n, det, nullptr, FnSwitchOffset, nullptr,
                                nullptr);
    }
    sqlite3_create_function(db, "zv_dto_utc", 1, det, nullptr, FnDtoUtc, nullptr, nullptr);
}

}  // namespace zolvek::simulador
