// DATEADD and DATEDIFF in 100 ns units, as SQL Server counts them for datetime2 and time;
// a datetime keeps its 1/300 s and knows no microseconds.
#include <sqlite3.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_datas.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// The 100 ns units of a part of the day or week; 0 for the calendar parts, -1 for none.
std::int64_t TicksDaParte(const std::string& p) {
    if (p == "day" || p == "dayofyear" || p == "weekday") return kTicksPorDia;
    if (p == "week") return 7 * kTicksPorDia;
    if (p == "hour") return 36000000000LL;
    if (p == "minute") return 600000000LL;
    if (p == "second") return 10000000LL;
    if (p == "millisecond") return 10000LL;
    if (p == "microsecond") return 10LL;
    if (p == "nanosecond") return 1LL;
    if (p == "year" || p == "quarter" || p == "month") return 0;
    return -1;
}

bool DataSomadaValida(std::int64_t ano, std::int64_t mes, int dia) {
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (ano < 1 || ano > 9999) return false;
    const bool bissexto = (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0;
    return dia <= dias[mes - 1] + (mes == 2 && bissexto ? 1 : 0);
}

// The type of DATEADD's date, which the statement passes when it knows it.
std::optional<TipoSql> TipoDoArgumento(int n, sqlite3_value** a) {
    if (n < 4) return std::nullopt;
    const auto t = LerTextoDeTipo(TextoDe(a[3]));
    if (t && EhDataHora(t->base)) return t;
    return std::nullopt;
}

// Whether a type has the part: a date has no hours, a time no days, a datetime nothing
// below the millisecond.
bool TemAParte(const TipoSql& t, const std::string& p, std::int64_t unidade) {
    const bool doDia = unidade > 0 && unidade < kTicksPorDia;
    if (t.base == TipoBase::Date) return !doDia;
    if (t.base == TipoBase::Time) return doDia;
    if (t.base == TipoBase::DateTime || t.base == TipoBase::SmallDateTime)
        return p != "microsecond" && p != "nanosecond";
    return true;
}

// The date moved by `meses` months, its day kept when the month has it.
bool MoverMeses(db::DataHora& d, std::int64_t meses) {
    const std::int64_t total = d.ano * 12LL + (d.mes - 1) + meses;
    if (total < 12 || total / 12 > 9999) return false;
    d.ano = static_cast<int>(total / 12);
    d.mes = static_cast<int>(total % 12) + 1;
    while (!DataSomadaValida(d.ano, d.mes, d.dia)) --d.dia;
    return true;
}

// The sum as the date's type keeps it, or the overflow past the type's range (a datetime
// before 1753, a smalldatetime out of 1900 ... 2079).
void ResultadoNoTipo(sqlite3_context* c, const db::DataHora& soma,
                     const std::optional<TipoSql>& tipo, const ErroDeBanco& estouro,
                     sqlite3_value* data) {
    if (!tipo) return ResultadoDataHora(c, soma);
    if (tipo->base == TipoBase::DateTimeOffset) {  // the sum keeps the date's offset
        DataComFuso d;
        LerDataComFuso(TextoDe(data), d);
        return ResultadoDataComFuso(c, DataComFuso{soma, d.fuso}, CasasDaFracao(*tipo));
    }
    const db::DataHora r = NoTipoDeData(soma, *tipo);
    if (!DataCabeNoTipo(r, *tipo)) return FalharNaFuncao(c, estouro);
    ResultadoDataHora(c, r);
}

void FnDateAdd(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[1]) == SQLITE_NULL || sqlite3_value_type(a[2]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    const std::string p = ParteDeData(TextoDe(a[0]));
    const std::int64_t unidade = TicksDaParte(p);
    if (unidade < 0) return FalharNaFuncao(c, ErroDoServidor(155, {TextoDe(a[0]), "dateadd"}));
    db::DataHora d;
    if (!LerDataHoraDoValor(a[2], d)) return FalharNaFuncao(c, ErroDoServidor(241));
    const auto tipo = TipoDoArgumento(n, a);
    const std::string nomeDoTipo = tipo ? NomeDoTipo(tipo->base) : "datetime";
    if (tipo && !TemAParte(*tipo, p, unidade))
        return FalharNaFuncao(c, ErroDoServidor(9810, {p, "dateadd", nomeDoTipo}));
    const std::int64_t quantidade = sqlite3_value_int64(a[1]);
    const ErroDeBanco estouro = ErroDoServidor(517, {nomeDoTipo});
    if (unidade == 0) {
        const std::int64_t meses = p == "year"      ? quantidade * 12
                                   : p == "quarter" ? quantidade * 3
                                                    : quantidade;
        if (!MoverMeses(d, meses)) return FalharNaFuncao(c, estouro);
        return ResultadoNoTipo(c, d, tipo, estouro, a[2]);
    }
    const std::int64_t fim = TicksDe(db::DataHora{10000, 1, 1, 0, 0, 0, 0, 0});
    if (quantidade > fim / unidade || quantidade < -(fim / unidade))
        return FalharNaFuncao(c, estouro);
    // nanoseconds count in whole 100 ns units, half a unit rounding away from zero
    const std::int64_t passo =
        unidade == 1 ? (quantidade >= 0 ? (quantidade + 50) / 100 : -((50 - quantidade) / 100))
                     : quantidade * unidade;
    std::int64_t r = TicksDe(d) + passo;
    if (tipo && tipo->base == TipoBase::Time)  // a time goes round the clock
        r = TicksDe(db::DataHora{1900, 1, 1, 0, 0, 0, 0, 0}) +
            ((r % kTicksPorDia) + kTicksPorDia) % kTicksPorDia;
    if (r < 0 || r >= fim) return FalharNaFuncao(c, estouro);
    ResultadoNoTipo(c, DataHoraDeTicks(static_cast<std::int64_t>(r)), tipo, estouro, a[2]);
}

// The boundaries of a part crossed from x to y; false when the part is none.
bool ContarFronteiras(const std::string& p, const db::DataHora& x, const db::DataHora& y,
                      std::int64_t& r) {
    const std::int64_t tx = TicksDe(x), ty = TicksDe(y);
    const std::int64_t dx = tx / kTicksPorDia, dy = ty / kTicksPorDia;
    if (p == "year")
        r = y.ano - x.ano;
    else if (p == "quarter")
        r = (y.ano * 4 + (y.mes - 1) / 3) - (x.ano * 4 + (x.mes - 1) / 3);
    else if (p == "month")
        r = (y.ano * 12 + y.mes) - (x.ano * 12 + x.mes);
    else if (p == "week")  // Sundays crossed (0001-01-01 was a Monday)
        r = (dy + 1) / 7 - (dx + 1) / 7;
    else if (p == "nanosecond")
        r = ty - tx;  // in 100 ns units here, checked before the product can overflow
    else if (const std::int64_t u = TicksDaParte(p); u > 0)
        r = ty / u - tx / u;
    else
        return false;
    return true;
}

void FnDateDiff(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[1]) == SQLITE_NULL || sqlite3_value_type(a[2]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    db::DataHora x, y;
    if (!LerDataHoraDoValor(a[1], x) || !LerDataHoraDoValor(a[2], y))
        return FalharNaFuncao(c, ErroDoServidor(241));
    const std::string p = ParteDeData(TextoDe(a[0]));
    std::int64_t r = 0;
    if (!ContarFronteiras(p, x, y, r))
        return FalharNaFuncao(c, ErroDoServidor(155, {TextoDe(a[0]), "datediff"}));
    const std::int64_t limite = p == "nanosecond" ? INT_MAX / 100 : INT_MAX;
    if (r > limite || r < -limite - 1) return FalharNaFuncao(c, ErroDoServidor(535));
    sqlite3_result_int64(c, p == "nanosecond" ? r * 100 : r);
}

}  // namespace

void RegistrarAritmeticaDeDatas(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_dateadd", 3, det, nullptr, FnDateAdd, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dateadd", 4, det, nullptr, FnDateAdd, nullptr, nullptr);
    sqlite3_create_function(db, "zv_datediff", 3, det, nullptr, FnDateDiff, nullptr, nullptr);
}

}  // namespace zolvek::simulador
