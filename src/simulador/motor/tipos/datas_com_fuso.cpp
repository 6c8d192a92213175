#include "simulador/motor/tipos/datas_com_fuso.hpp"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "comum/hora_local.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"

namespace zolvek::simulador {

namespace {

constexpr std::int64_t kTicksPorMinuto = 600000000;

bool DoisDigitos(std::string_view s, std::size_t i, int& v) {
    if (s[i] < '0' || s[i] > '9' || s[i + 1] < '0' || s[i + 1] > '9') return false;
    v = (s[i] - '0') * 10 + (s[i + 1] - '0');
    return true;
}

}  // namespace

bool LerFuso(std::string_view s, int& minutos) {
    int h = 0, m = 0;
    if (s.size() != 6 || (s[0] != '+' && s[0] != '-') || s[3] != ':' || !DoisDigitos(s, 1, h) ||
        !DoisDigitos(s, 4, m) || m > 59 || h * 60 + m > 840)
        return false;
    minutos = (s[0] == '-' ? -1 : 1) * (h * 60 + m);
    return true;
}

bool SepararFuso(std::string_view& texto, int& minutos) {
    std::string_view s = texto;
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    std::string_view resto;
    int fuso = 0;
    if (s.size() > 1 && (s.back() == 'Z' || s.back() == 'z')) {
        resto = s.substr(0, s.size() - 1);
    } else if (s.size() > 6 && LerFuso(s.substr(s.size() - 6), fuso)) {
        resto = s.substr(0, s.size() - 6);
    } else {
        return false;
    }
    if (resto.find(':') == std::string_view::npos) return false;  // an offset follows a time
    while (!resto.empty() && resto.back() == ' ') resto.remove_suffix(1);
    texto = resto;
    minutos = fuso;
    return true;
}

bool LerDataComFuso(std::string_view texto, DataComFuso& d) {
    d.fuso = 0;
    SepararFuso(texto, d.fuso);
    return LerDataHora(texto, d.local);
}

std::string FormatarFuso(int minutos) {
    char b[8];
    const int a = std::abs(minutos);
    std::snprintf(b, sizeof b, "%c%02d:%02d", minutos < 0 ? '-' : '+', a / 60 % 100, a % 60);
    return b;
}

std::string FormatarDataComFuso(const DataComFuso& d, int casas) {
    return d.local.TextoIso(casas) + " " + FormatarFuso(d.fuso);
}

db::DataHora EmUtc(const DataComFuso& d) {
    const std::int64_t t = TicksDe(d.local) - d.fuso * kTicksPorMinuto;
    return DataHoraDeTicks(t < 0 ? 0 : t);
}

DataComFuso NoFuso(const db::DataHora& utc, int fuso) {
    const std::int64_t t = TicksDe(utc) + fuso * kTicksPorMinuto;
    return DataComFuso{DataHoraDeTicks(t < 0 ? 0 : t), fuso};
}

void ResultadoDataComFuso(sqlite3_context* c, DataComFuso d, int casas) {
    d.local = ArredondarNaEscala(d.local, casas);
    if (d.local.ano > 9999) return FalharNaFuncao(c, ErroDoServidor(517, {"datetimeoffset"}));
    ResultadoTexto(c, FormatarDataComFuso(d, casas));
    sqlite3_result_subtype(c, kSubtipoDataHora);
}

bool EscreverDataComFuso(const std::string& valor, const TipoSql& t, int estilo, std::string& saida,
                         std::optional<ErroDeBanco>& erro) {
    DataComFuso d;
    if (!LerDataComFuso(valor, d)) {
        saida = valor;
        return true;
    }
    if (estilo != 0 && estilo != 121) {
        erro = Recusa("O simulador de SQL Server não escreve datetimeoffset no estilo " +
                      std::to_string(estilo) + ".");
        return false;
    }
    saida = FormatarDataComFuso(d, CasasDaFracao(t));
    return true;
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
    if (!ok)
        FalharNaFuncao(c, ErroDeBanco(std::string("The timezone provided to builtin function ") +
                                          funcao + " is invalid.",
                                      0, 16, 1));
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
