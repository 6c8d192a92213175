#include "simulador/motor/funcoes/funcoes_datas.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/idiomas.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

std::int64_t DiaDe1900(const db::DataHora& d) {
    return static_cast<std::int64_t>(
        std::floor(DiasDesde1900(db::DataHora{d.ano, d.mes, d.dia, 0, 0, 0, 0})));
}

// 1 Monday ... 7 Sunday (1900-01-01 was a Monday).
int DiaDaSemanaIso(const db::DataHora& d) {
    return static_cast<int>(((DiaDe1900(d) % 7) + 7) % 7) + 1;
}

int DiaDoAno(const db::DataHora& d) {
    return static_cast<int>(DiaDe1900(d) - DiaDe1900(db::DataHora{d.ano, 1, 1, 0, 0, 0, 0})) + 1;
}

// The day's place in the week that starts on `primeiro` (1 Monday ... 7 Sunday).
int DiaDaSemana(const db::DataHora& d, int primeiro) {
    return (DiaDaSemanaIso(d) - primeiro + 7) % 7 + 1;
}

// WEEK: the week of the year, counted from the one holding January 1st, weeks starting
// on the session's first day.
int Semana(const db::DataHora& d, int primeiro) {
    const int deslocamento = DiaDaSemana(db::DataHora{d.ano, 1, 1, 0, 0, 0, 0}, primeiro) - 1;
    return (DiaDoAno(d) - 1 + deslocamento) / 7 + 1;
}

// ISO 8601: weeks start on Monday, the first is the one with the year's first Thursday.
int SemanaIso(const db::DataHora& d) {
    const int quinta = DiaDoAno(d) - DiaDaSemanaIso(d) + 4;  // this week's Thursday
    if (quinta < 1) return SemanaIso(db::DataHora{d.ano - 1, 12, 31, 0, 0, 0, 0});
    const bool bissexto = (d.ano % 4 == 0 && d.ano % 100 != 0) || d.ano % 400 == 0;
    if (quinta > (bissexto ? 366 : 365)) return 1;
    return (quinta - 1) / 7 + 1;
}

bool ValorDaParte(const db::DataHora& d, const std::string& p, std::int64_t& r) {
    if (p == "year")
        r = d.ano;
    else if (p == "quarter")
        r = (d.mes - 1) / 3 + 1;
    else if (p == "month")
        r = d.mes;
    else if (p == "dayofyear")
        r = DiaDoAno(d);
    else if (p == "day")
        r = d.dia;
    else if (p == "week")
        r = Semana(d, PrimeiroDiaAtual());
    else if (p == "weekday")
        r = DiaDaSemana(d, PrimeiroDiaAtual());
    else if (p == "hour")
        r = d.hora;
    else if (p == "minute")
        r = d.minuto;
    else if (p == "second")
        r = d.segundo;
    else if (p == "millisecond")
        r = d.milissegundo;
    else if (p == "microsecond")
        r = d.milissegundo * 1000LL + d.cemNanos / 10;
    else if (p == "nanosecond")
        r = (d.milissegundo * 10000LL + d.cemNanos) * 100;
    else if (p == "iso_week")
        r = SemanaIso(d);
    else if (p == "tzoffset")
        r = 0;
    else
        return false;
    return true;
}

// The offset of a datetimeoffset's text, in minutes; 0 for any other value.
int FusoDoValor(sqlite3_value* v) {
    int fuso = 0;
    std::string texto = TextoDe(v);
    std::string_view s = texto;
    if (sqlite3_value_type(v) == SQLITE_TEXT) SepararFuso(s, fuso);
    return fuso;
}

// The date-time argument of a date function: false when the call already has its result
// (NULL, or the failure of a text that is no date).
bool ArgumentoDeData(sqlite3_context* c, sqlite3_value* v, db::DataHora& d) {
    if (sqlite3_value_type(v) == SQLITE_NULL) {
        sqlite3_result_null(c);
        return false;
    }
    if (LerDataHoraDoValor(v, d)) return true;
    FalharNaFuncao(c, ErroDoServidor(241));
    return false;
}

void FnDatePart(sqlite3_context* c, int n, sqlite3_value** a) {
    const std::string p =
        n == 2 ? ParteDeData(TextoDe(a[0])) : static_cast<const char*>(sqlite3_user_data(c));
    std::int64_t r = 0;
    if (!ValorDaParte(db::DataHora{2000, 1, 1, 0, 0, 0, 0}, p, r))
        return FalharNaFuncao(c, ErroDoServidor(155, {TextoDe(a[0]), "datepart"}));
    db::DataHora d;
    if (!ArgumentoDeData(c, a[n - 1], d)) return;
    ValorDaParte(d, p, r);
    if (p == "tzoffset") r = FusoDoValor(a[n - 1]);
    sqlite3_result_int64(c, r);
}

// The names of the session's language; nothing for a language whose names the stand-in
// does not know.
const Idioma* IdiomaComNomes(sqlite3_context* c) {
    const Idioma& i = IdiomaAtual();
    if (i.meses) return &i;
    FalharNaFuncao(c,
                   Recusa(std::string("O simulador de SQL Server não conhece os nomes de meses e "
                                      "dias do idioma '") +
                          i.nome + "'."));
    return nullptr;
}

void FnDateName(sqlite3_context* c, int, sqlite3_value** a) {
    const std::string p = ParteDeData(TextoDe(a[0]));
    std::int64_t r = 0;
    if (!ValorDaParte(db::DataHora{2000, 1, 1, 0, 0, 0, 0}, p, r))
        return FalharNaFuncao(c, ErroDoServidor(155, {TextoDe(a[0]), "datepart"}));
    db::DataHora d;
    if (!ArgumentoDeData(c, a[1], d)) return;
    if (p == "month" || p == "weekday") {
        const Idioma* i = IdiomaComNomes(c);
        if (!i) return;
        return ResultadoTexto(c,
                              p == "month" ? i->meses[d.mes - 1] : i->dias[DiaDaSemanaIso(d) - 1]);
    }
    ValorDaParte(d, p, r);
    if (p == "tzoffset") return ResultadoTexto(c, FormatarFuso(FusoDoValor(a[1])));
    ResultadoTexto(c, std::to_string(r));
}

bool PartesDeDataValidas(std::int64_t a, std::int64_t m, std::int64_t d) {
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (a < 1 || a > 9999 || m < 1 || m > 12 || d < 1) return false;
    const bool bissexto = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
    return d <= dias[m - 1] + (m == 2 && bissexto ? 1 : 0);
}

void FnDateFromParts(sqlite3_context* c, int, sqlite3_value** a) {
    for (int k = 0; k < 3; ++k)
        if (sqlite3_value_type(a[k]) == SQLITE_NULL) return sqlite3_result_null(c);
    const std::int64_t ano = sqlite3_value_int64(a[0]), mes = sqlite3_value_int64(a[1]),
                       dia = sqlite3_value_int64(a[2]);
    if (!PartesDeDataValidas(ano, mes, dia))
        return FalharNaFuncao(c, ErroDoServidor(289, {"date"}));
    ResultadoDataHora(c, db::DataHora{static_cast<int>(ano), static_cast<int>(mes),
                                      static_cast<int>(dia), 0, 0, 0, 0});
}

// EOMONTH(date[, months]): the last day of the month, moved by `months`.
void FnEoMonth(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n > 1 && sqlite3_value_type(a[1]) == SQLITE_NULL) return sqlite3_result_null(c);
    db::DataHora d;
    if (!ArgumentoDeData(c, a[0], d)) return;
    const std::int64_t meses = d.ano * 12LL + (d.mes - 1) + (n > 1 ? sqlite3_value_int64(a[1]) : 0);
    const std::int64_t ano = meses / 12, mes = meses % 12 + 1;
    if (meses < 12 || ano > 9999) return FalharNaFuncao(c, ErroDoServidor(517, {"date"}));
    int dia = 31;
    while (!PartesDeDataValidas(ano, mes, dia)) --dia;
    ResultadoDataHora(c,
                      db::DataHora{static_cast<int>(ano), static_cast<int>(mes), dia, 0, 0, 0, 0});
}

// 12 for 0 and 12 o'clock, 1 ... 11 for the others.
int Hora12(int hora) {
    return hora % 12 == 0 ? 12 : hora % 12;
}

const char* Periodo(int hora) {
    return hora < 12 ? "AM" : "PM";
}

// The date alone in a style of the table (1-7, 10-12, 101-107, 110-112, 23): `seculo`
// says whether the year has four digits.
bool EscreverSoData(const db::DataHora& d, int base, bool seculo, const char* mes, char* b,
                    std::size_t n) {
    const int ano = seculo ? d.ano : d.ano % 100;
    const int w = seculo ? 4 : 2;
    switch (base) {
        case 1:
            std::snprintf(b, n, "%02d/%02d/%0*d", d.mes, d.dia, w, ano);
            return true;
        case 2:
            std::snprintf(b, n, "%0*d.%02d.%02d", w, ano, d.mes, d.dia);
            return true;
        case 3:
            std::snprintf(b, n, "%02d/%02d/%0*d", d.dia, d.mes, w, ano);
            return true;
        case 4:
            std::snprintf(b, n, "%02d.%02d.%0*d", d.dia, d.mes, w, ano);
            return true;
        case 5:
            std::snprintf(b, n, "%02d-%02d-%0*d", d.dia, d.mes, w, ano);
            return true;
        case 6:
            std::snprintf(b, n, "%02d %s %0*d", d.dia, mes, w, ano);
            return true;
        case 7:
            std::snprintf(b, n, "%s %02d, %0*d", mes, d.dia, w, ano);
            return true;
        case 10:
            std::snprintf(b, n, "%02d-%02d-%0*d", d.mes, d.dia, w, ano);
            return true;
        case 11:
            std::snprintf(b, n, "%0*d/%02d/%02d", w, ano, d.mes, d.dia);
            return true;
        case 12:
            std::snprintf(b, n, "%0*d%02d%02d", w, ano, d.mes, d.dia);
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string ParteDeData(std::string_view parte) {
    std::string p = Dobrar(std::string(parte));
    static const std::pair<const char*, const char*> kAbreviaturas[] = {
        {"yy", "year"},         {"yyyy", "year"},     {"qq", "quarter"},   {"q", "quarter"},
        {"mm", "month"},        {"m", "month"},       {"dy", "dayofyear"}, {"y", "dayofyear"},
        {"dd", "day"},          {"d", "day"},         {"wk", "week"},      {"ww", "week"},
        {"dw", "weekday"},      {"w", "weekday"},     {"hh", "hour"},      {"mi", "minute"},
        {"n", "minute"},        {"ss", "second"},     {"s", "second"},     {"ms", "millisecond"},
        {"mcs", "microsecond"}, {"ns", "nanosecond"}, {"tz", "tzoffset"},  {"isowk", "iso_week"},
        {"isoww", "iso_week"},
    };
    for (const auto& [curta, longa] : kAbreviaturas)
        if (p == curta) return longa;
    return p;
}

bool EscreverDataNoEstilo(const db::DataHora& d, int estilo, std::string& saida,
                          std::optional<ErroDeBanco>& erro) {
    const Idioma& idioma = IdiomaAtual();
    const int base = estilo >= 100 ? estilo - 100 : estilo;
    const bool comMes = base == 0 || base == 6 || base == 7 || base == 9 || base == 13;
    if (comMes && !idioma.mesesCurtos) {
        erro = Recusa(
            std::string("O simulador de SQL Server não conhece os nomes de meses do idioma '") +
            idioma.nome + "'.");
        return false;
    }
    const char* mes = comMes ? idioma.mesesCurtos[d.mes - 1] : "";
    char b[80] = {};
    if (estilo == 130 || estilo == 131) {
        erro = Recusa(
            "O simulador de SQL Server não escreve datas no calendário Hijri (estilos 130 e 131).");
        return false;
    }
    if (estilo >= 0 && estilo <= 131 && EscreverSoData(d, base, estilo >= 100, mes, b, sizeof b)) {
        saida = b;
        return true;
    }
    switch (estilo) {
        case 0:
        case 100:
            std::snprintf(b, sizeof b, "%s %2d %04d %2d:%02d%s", mes, d.dia, d.ano, Hora12(d.hora),
                          d.minuto, Periodo(d.hora));
            break;
        case 8:
        case 108:
            std::snprintf(b, sizeof b, "%02d:%02d:%02d", d.hora, d.minuto, d.segundo);
            break;
        case 9:
        case 109:
            std::snprintf(b, sizeof b, "%s %2d %04d %2d:%02d:%02d:%03d%s", mes, d.dia, d.ano,
                          Hora12(d.hora), d.minuto, d.segundo, d.milissegundo, Periodo(d.hora));
            break;
        case 13:
        case 113:
            std::snprintf(b, sizeof b, "%02d %s %04d %02d:%02d:%02d:%03d", d.dia, mes, d.ano,
                          d.hora, d.minuto, d.segundo, d.milissegundo);
            break;
        case 14:
        case 114:
            std::snprintf(b, sizeof b, "%02d:%02d:%02d:%03d", d.hora, d.minuto, d.segundo,
                          d.milissegundo);
            break;
        case 20:
        case 120:
            std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", d.ano, d.mes, d.dia, d.hora,
                          d.minuto, d.segundo);
            break;
        case 21:
        case 121:
            saida = FormatarDataHora(d);
            return true;
        case 22:
            std::snprintf(b, sizeof b, "%02d/%02d/%02d %2d:%02d:%02d %s", d.mes, d.dia, d.ano % 100,
                          Hora12(d.hora), d.minuto, d.segundo, Periodo(d.hora));
            break;
        case 23:
            std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.ano, d.mes, d.dia);
            break;
        case 126:
        case 127:
            // the milliseconds only when there are any
            std::snprintf(b, sizeof b, "%04d-%02d-%02dT%02d:%02d:%02d", d.ano, d.mes, d.dia, d.hora,
                          d.minuto, d.segundo);
            if (d.milissegundo) std::snprintf(b + 19, sizeof b - 19, ".%03d", d.milissegundo);
            break;
        default:
            erro = ErroDoServidor(281,
                                  {std::to_string(estilo), "from datetime to a character string"});
            return false;
    }
    saida = b;
    return true;
}

bool EscreverDataDoTipo(const db::DataHora& d, const TipoSql& t, int estilo, std::string& saida,
                        std::optional<ErroDeBanco>& erro) {
    const int casas = CasasDaFracao(t);
    const bool iso = estilo == 0 || estilo == 21 || estilo == 121;
    const bool t126 = estilo == 126 || estilo == 127;
    // a date has no time to show in the ISO-like styles
    const bool soData = estilo == 0 || estilo == 20 || estilo == 120 || iso || t126;
    if (t.base == TipoBase::Date && soData) {
        saida = d.TextoIso(0).substr(0, 10);
    } else if (t.base == TipoBase::Time && (iso || t126)) {
        saida = d.TextoIso(casas).substr(11);
    } else if (t.base == TipoBase::DateTime2 && (iso || t126)) {
        saida = d.TextoIso(casas);
        if (t126) saida[10] = 'T';
    } else {
        return EscreverDataNoEstilo(d, estilo, saida, erro);
    }
    return true;
}

bool LerDataNoEstilo(const std::string& texto, int estilo, db::DataHora& d,
                     std::optional<ErroDeBanco>& erro, LeituraDeData leitura) {
    const int base = estilo >= 100 ? estilo - 100 : estilo;
    const bool valido = (estilo >= 0 && estilo <= 14) || (estilo >= 20 && estilo <= 23) ||
                        (estilo >= 100 && estilo <= 114) || estilo == 120 || estilo == 121 ||
                        estilo == 126 || estilo == 127;
    if (estilo == 130 || estilo == 131) {
        erro = Recusa(
            "O simulador de SQL Server não lê datas no calendário Hijri (estilos 130 e 131).");
        return false;
    }
    if (!valido) {
        erro = ErroDoServidor(281, {std::to_string(estilo), "to datetime"});
        return false;
    }
    OrdemDeData ordem = OrdemDeDataAtual();
    if (base == 1 || base == 10 || estilo == 22) ordem = OrdemDeData::Mdy;
    if (base == 3 || base == 4 || base == 5 || base == 13) ordem = OrdemDeData::Dmy;
    if (base == 2 || base == 11 || (estilo >= 20 && estilo <= 25) || estilo >= 120)
        ordem = OrdemDeData::Ymd;
    const OrdemDeData antes = OrdemDeDataAtual();
    DefinirOrdemDeDataAtual(ordem);
    const bool ok = LerDataHora(texto, d, leitura);
    DefinirOrdemDeDataAtual(antes);
    return ok;
}

namespace {

void FnLanguage(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, IdiomaAtual().nome);
}
void FnLangId(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int(c, IdiomaAtual().id);
}
void FnDateFirst(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int(c, PrimeiroDiaAtual());
}

}  // namespace

void RegistrarFuncoesDeDatas(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    // DATEPART depends on SET DATEFIRST, DATENAME on SET LANGUAGE: neither is deterministic
    const int nd = SQLITE_UTF8;
    sqlite3_create_function(db, "zv_datepart", 2, nd, nullptr, FnDatePart, nullptr, nullptr);
    sqlite3_create_function(db, "zv_datename", 2, nd, nullptr, FnDateName, nullptr, nullptr);
    sqlite3_create_function(db, "zv_datefromparts", 3, det, nullptr, FnDateFromParts, nullptr,
                            nullptr);
    sqlite3_create_function(db, "zv_eomonth", 1, det, nullptr, FnEoMonth, nullptr, nullptr);
    sqlite3_create_function(db, "zv_eomonth", 2, det, nullptr, FnEoMonth, nullptr, nullptr);
    sqlite3_create_function(db, "zv_language", 0, nd, nullptr, FnLanguage, nullptr, nullptr);
    sqlite3_create_function(db, "zv_langid", 0, nd, nullptr, FnLangId, nullptr, nullptr);
    sqlite3_create_function(db, "zv_datefirst", 0, nd, nullptr, FnDateFirst, nullptr, nullptr);
    static const char* partes[] = {"year", "month", "day"};
    static const char* nomes[] = {"zv_year", "zv_month", "zv_day"};
    for (int k = 0; k < 3; ++k)
        sqlite3_create_function(db, nomes[k], 1, det, const_cast<char*>(partes[k]), FnDatePart,
                                nullptr, nullptr);
}

}  // namespace zolvek::simulador
