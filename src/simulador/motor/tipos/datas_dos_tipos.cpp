// Date and time values of the date types: reading them from text in the session's
// date order, their ticks, rounding to a type's scale and the current time.
#include "simulador/motor/tipos/tipos.hpp"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "comum/hora_local.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"

namespace zolvek::simulador {

namespace {

bool Digitos(std::string_view s, std::size_t i, std::size_t n, int& v) {
    if (i + n > s.size()) return false;
    v = 0;
    for (std::size_t k = i; k < i + n; ++k) {
        if (s[k] < '0' || s[k] > '9') return false;
        v = v * 10 + (s[k] - '0');
    }
    return true;
}

bool DataValida(int a, int m, int d) {
    if (a < 1 || a > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = dias[m - 1];
    if (m == 2 && ((a % 4 == 0 && a % 100 != 0) || a % 400 == 0)) max = 29;
    return d <= max;
}

// "hh:nn[:ss[.zzz]]" from position i to the end; `casas` fraction digits at most after
// a point.
bool LerHora(std::string_view s, std::size_t i, db::DataHora& d, int casas = 7) {
    while (i < s.size() && s[i] == ' ') ++i;
    if (i == s.size()) return true;
    std::size_t dois = s.find(':', i);
    if (dois == std::string_view::npos || dois - i < 1 || dois - i > 2) return false;
    if (!Digitos(s, i, dois - i, d.hora)) return false;
    i = dois + 1;
    if (!Digitos(s, i, 2, d.minuto)) return false;
    i += 2;
    if (i < s.size() && s[i] == ':') {
        if (!Digitos(s, i + 1, 2, d.segundo)) return false;
        i += 3;
        if (i < s.size() && (s[i] == '.' || s[i] == ':')) {
            // SQL Server reads seven digits at most ("...05.1234567")
            const int maximo = s[i] == '.' ? casas : 3;
            ++i;
            int unidades = 0, lidas = 0;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
                if (++lidas > maximo) return false;
                unidades = unidades * 10 + (s[i] - '0');
                ++i;
            }
            while (lidas < 7 && lidas > 0) {
                unidades *= 10;
                ++lidas;
            }
            d.milissegundo = unidades / 10000;
            d.cemNanos = unidades % 10000;
        }
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (i + 2 <= s.size() && (s.substr(i) == "AM" || s.substr(i) == "am" || s.substr(i) == "PM" ||
                              s.substr(i) == "pm")) {
        bool pm = s[i] == 'P' || s[i] == 'p';
        if (d.hora == 12) d.hora = 0;
        if (pm) d.hora += 12;
        i += 2;
    }
    return i == s.size() && d.hora < 24 && d.minuto < 60 && d.segundo < 60;
}

}  // namespace

namespace {

bool LerDataHoraComMotivo(std::string_view s, db::DataHora& d, bool& foraDoIntervalo,
                          LeituraDeData leitura);

}  // namespace

namespace {

thread_local OrdemDeData ordemAtual = OrdemDeData::Dmy;

}  // namespace

std::optional<OrdemDeData> OrdemDeDataPeloNome(std::string_view nome) {
    static const char* nomes[] = {"dmy", "mdy", "ymd", "ydm", "myd", "dym"};
    for (int k = 0; k < 6; ++k) {
        std::string_view n = nomes[k];
        bool igual = n.size() == nome.size();
        for (std::size_t i = 0; igual && i < n.size(); ++i)
            igual = std::tolower(static_cast<unsigned char>(nome[i])) == n[i];
        if (igual) return static_cast<OrdemDeData>(k);
    }
    return std::nullopt;
}

std::optional<OrdemDeData> OrdemDoIdioma(std::string_view idioma) {
    std::string i;
    for (char c : idioma) i += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (i == "us_english" || i == "english") return OrdemDeData::Mdy;
    for (const char* dmy : {"português", "portuguese", "brazilian", "british", "deutsch", "german",
                            "français", "french", "español", "spanish", "italiano", "italian"})
        if (i == dmy) return OrdemDeData::Dmy;
    return std::nullopt;
}

OrdemDeData OrdemDeDataAtual() {
    return ordemAtual;
}

void DefinirOrdemDeDataAtual(OrdemDeData ordem) {
    ordemAtual = ordem;
}

bool LerDataHora(std::string_view s, db::DataHora& d, LeituraDeData leitura) {
    bool fora = false;
    return LerDataHoraComMotivo(s, d, fora, leitura);
}

bool DataForaDoIntervalo(std::string_view s, LeituraDeData leitura) {
    db::DataHora d;
    bool fora = false;
    return !LerDataHoraComMotivo(s, d, fora, leitura) && fora;
}

namespace {

// Whether datetime reads a date that starts with the year as yyyy-dd-mm: when the
// session's order has the day before the month.
bool AnoDiaMes(LeituraDeData leitura) {
    const OrdemDeData o = OrdemDeDataAtual();
    return leitura == LeituraDeData::Classica &&
           (o == OrdemDeData::Dmy || o == OrdemDeData::Ydm || o == OrdemDeData::Dym);
}

// Three numbers with '/', '-' or '.' ('03/02/2021', '2021.3.2'), in the session's order
// (a four-digit year first: as AnoDiaMes says); `resto` is where the time starts.
bool LerTresNumeros(std::string_view s, int& a, int& m, int& dia, std::size_t& resto,
                    LeituraDeData leitura) {
    std::size_t p1 = s.find_first_of("/.-");
    if (p1 == std::string_view::npos || p1 == 0 || p1 > 4) return false;
    char sep = s[p1];
    std::size_t p2 = s.find(sep, p1 + 1);
    if (p2 == std::string_view::npos) return false;
    std::size_t fim = p2 + 1;
    while (fim < s.size() && s[fim] >= '0' && s[fim] <= '9') ++fim;
    int v[3];
    std::size_t tamanho[3] = {p1, p2 - p1 - 1, fim - p2 - 1};
    if (tamanho[1] < 1 || tamanho[1] > 4 || tamanho[2] < 1 || tamanho[2] > 4 ||
        !Digitos(s, 0, tamanho[0], v[0]) || !Digitos(s, p1 + 1, tamanho[1], v[1]) ||
        !Digitos(s, p2 + 1, tamanho[2], v[2]))
        return false;
    static const int posicoes[][3] = {
        // day, month, year of each order
        {0, 1, 2}, {1, 0, 2}, {2, 1, 0}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}};
    OrdemDeData ordem = OrdemDeDataAtual();
    if (tamanho[0] == 4) ordem = AnoDiaMes(leitura) ? OrdemDeData::Ydm : OrdemDeData::Ymd;
    const int* pos = posicoes[static_cast<int>(ordem)];
    dia = v[pos[0]];
    m = v[pos[1]];
    a = v[pos[2]];
    if (tamanho[pos[0]] > 2 || tamanho[pos[1]] > 2 || tamanho[pos[2]] == 3 || tamanho[pos[2]] == 1)
        return false;
    if (tamanho[pos[2]] == 2) a += a < 50 ? 2000 : 1900;
    resto = fim;
    return true;
}

bool LerDataHoraComMotivo(std::string_view s, db::DataHora& d, bool& foraDoIntervalo,
                          LeituraDeData leitura) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    d = db::DataHora{};
    d.ano = 1900;
    d.mes = 1;
    d.dia = 1;
    const int casas = leitura == LeituraDeData::Classica ? 3 : 7;
    int fuso = 0;  // the newer types read a datetimeoffset's text without its offset
    if (leitura == LeituraDeData::Iso) SepararFuso(s, fuso);
    if (s.empty()) return true;  // '' converts to 1900-01-01
    // a time alone ('10:11:12') is that time of 1900-01-01
    const std::size_t doisPontos = s.find(':');
    if (doisPontos != std::string_view::npos && doisPontos <= 2 &&
        s.find_first_of("/.-") > doisPontos)
        return LerHora(s, 0, d, casas);
    std::size_t resto = 0;
    int a = 0, m = 0, dia = 0;
    if (s.size() >= 10 && s[4] == '-' && s[7] == '-' && Digitos(s, 0, 4, a) &&
        Digitos(s, 5, 2, m) && Digitos(s, 8, 2, dia)) {
        resto = 10;
        if (resto < s.size() && s[resto] == 'T')
            ++resto;  // ISO 8601 reads alike in every order
        else if (AnoDiaMes(leitura))
            std::swap(m, dia);
    } else if (s.size() >= 8 && Digitos(s, 0, 4, a) && Digitos(s, 4, 2, m) &&
               Digitos(s, 6, 2, dia) && (s.size() == 8 || s[8] == ' ')) {
        resto = 8;
    } else if (!LerTresNumeros(s, a, m, dia, resto, leitura)) {
        return false;
    }
    if (!DataValida(a, m, dia)) {
        foraDoIntervalo = true;
        return false;
    }
    d.ano = a;
    d.mes = m;
    d.dia = dia;
    return LerHora(s, resto, d, casas);
}

}  // namespace

std::string FormatarDataHora(const db::DataHora& d) {
    char b[48];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.ano, d.mes, d.dia, d.hora,
                  d.minuto, d.segundo, d.milissegundo);
    if (d.cemNanos) std::snprintf(b + 23, sizeof b - 23, "%04d", d.cemNanos);
    return b;
}

db::DataHora DataHoraAtual() {
    return ArredondarDataHora(db::DataHora::Agora());
}

double DiasDesde1900(const db::DataHora& d) {
    double dias = static_cast<double>(
        db::DiasDesde1970(d.ano, static_cast<unsigned>(d.mes), static_cast<unsigned>(d.dia)) -
        db::DiasDesde1970(1900, 1, 1));
    return dias + (d.hora * 3600000.0 + d.minuto * 60000.0 + d.segundo * 1000.0 + d.milissegundo) /
                      86400000.0;
}

db::DataHora DataHoraDeDias1900(double dias) {
    double inteiro = std::floor(dias);
    std::int64_t ms = std::llround((dias - inteiro) * 86400000.0);
    std::int64_t z = static_cast<std::int64_t>(inteiro) + db::DiasDesde1970(1900, 1, 1);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++z;
    }
    db::DataHora d;
    db::DataCivil(z, d.ano, d.mes, d.dia);
    d.hora = static_cast<int>(ms / 3600000);
    d.minuto = static_cast<int>(ms / 60000 % 60);
    d.segundo = static_cast<int>(ms / 1000 % 60);
    d.milissegundo = static_cast<int>(ms % 1000);
    return d;
}

db::DataHora ArredondarDataHora(const db::DataHora& d) {
    // to the nearest 1/300 s, shown as the nearest millisecond (.003, .007)
    const std::int64_t ticks = TicksDe(d);
    const std::int64_t dia = ticks - ticks % kTicksPorDia;
    const std::int64_t trezentos = ((ticks - dia) * 3 + 50000) / 100000;
    const std::int64_t ms = (trezentos * 10 + 1) / 3;
    return DataHoraDeTicks(dia + ms * 10000);
}

int CasasDaFracao(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return t.precisao == 0 ? 7 : std::clamp(t.escala, 0, 7);
        case TipoBase::DateTime:
            return 3;
        default:
            return 0;
    }
}

std::int64_t TicksDe(const db::DataHora& d) {
    const std::int64_t dias =
        db::DiasDesde1970(d.ano, static_cast<unsigned>(d.mes), static_cast<unsigned>(d.dia)) -
        db::DiasDesde1970(1, 1, 1);
    const std::int64_t segundos = d.hora * 3600LL + d.minuto * 60LL + d.segundo;
    return dias * kTicksPorDia + segundos * 10000000LL + d.milissegundo * 10000LL + d.cemNanos;
}

db::DataHora DataHoraDeTicks(std::int64_t ticks) {
    db::DataHora d;
    db::DataCivil(ticks / kTicksPorDia + db::DiasDesde1970(1, 1, 1), d.ano, d.mes, d.dia);
    std::int64_t resto = ticks % kTicksPorDia;
    d.hora = static_cast<int>(resto / 36000000000LL);
    d.minuto = static_cast<int>(resto / 600000000LL % 60);
    d.segundo = static_cast<int>(resto / 10000000LL % 60);
    d.milissegundo = static_cast<int>(resto / 10000 % 1000);
    d.cemNanos = static_cast<int>(resto % 10000);
    return d;
}

db::DataHora ArredondarNaEscala(const db::DataHora& d, int casas) {
    std::int64_t passo = 1;
    for (int k = std::clamp(casas, 0, 7); k < 7; ++k) passo *= 10;
    const std::int64_t ticks = TicksDe(d);
    std::int64_t r = (ticks + passo / 2) / passo * passo;
    if (r >= TicksDe(db::DataHora{10000, 1, 1, 0, 0, 0, 0, 0})) r = ticks / passo * passo;
    return DataHoraDeTicks(r);
}

db::DataHora NoTipoDeData(const db::DataHora& d, const TipoSql& t) {
    constexpr std::int64_t kMinuto = 600000000;
    switch (t.base) {
        case TipoBase::DateTime:
            return ArredondarDataHora(d);
        case TipoBase::SmallDateTime: {
            // as a datetime first: 29.999 s is 30.000 s there, and goes up to the next minute
            const db::DataHora r = ArredondarDataHora(d);
            const std::int64_t minutos = TicksDe(r) / kMinuto + (r.segundo >= 30 ? 1 : 0);
            return DataHoraDeTicks(minutos * kMinuto);
        }
        case TipoBase::Date:
            return db::DataHora{d.ano, d.mes, d.dia, 0, 0, 0, 0, 0};
        case TipoBase::Time: {
            const db::DataHora r = ArredondarNaEscala(d, CasasDaFracao(t));
            return db::DataHora{1900,           1,         1, r.hora, r.minuto, r.segundo,
                                r.milissegundo, r.cemNanos};
        }
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:  // the date-time in its own offset
            return ArredondarNaEscala(d, CasasDaFracao(t));
        default:
            return d;
    }
}

bool DataCabeNoTipo(const db::DataHora& d, const TipoSql& t) {
    if (t.base == TipoBase::DateTime) return d.ano >= 1753 && d.ano <= 9999;
    if (t.base != TipoBase::SmallDateTime) return d.ano >= 1 && d.ano <= 9999;
    const std::int64_t ticks = TicksDe(d);
    return ticks >= TicksDe(db::DataHora{1900, 1, 1, 0, 0, 0, 0, 0}) &&
           ticks <= TicksDe(db::DataHora{2079, 6, 6, 23, 59, 0, 0, 0});
}

db::DataHora DataHoraAtualPrecisa(bool utc) {
    using namespace std::chrono;
    const auto agora = system_clock::now();
    const std::time_t segundos = system_clock::to_time_t(agora);
    std::tm tm{};
    if (utc)
        gmtime_r(&segundos, &tm);
    else
        tm = HoraLocal(segundos);
    const std::int64_t unidades =
        duration_cast<nanoseconds>(agora.time_since_epoch()).count() / 100 % 10000000;
    return db::DataHora{tm.tm_year + 1900,
                        tm.tm_mon + 1,
                        tm.tm_mday,
                        tm.tm_hour,
                        tm.tm_min,
                        tm.tm_sec,
                        static_cast<int>(unidades / 10000),
                        static_cast<int>(unidades % 10000)};
}

}  // namespace zolvek::simulador
