#include "db/conector/valor.hpp"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "comum/erros.hpp"
#include "comum/hora_local.hpp"
#include "comum/texto.hpp"

namespace zolvek::db {

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
std::int64_t DiasDesde1970(std::int64_t a, unsigned m, unsigned d) {
    a -= m <= 2;
    const std::int64_t era = (a >= 0 ? a : a - 399) / 400;
    const unsigned aoe = static_cast<unsigned>(a - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = aoe * 365 + aoe / 4 - aoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void DataCivil(std::int64_t z, int& a, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned aoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * aoe + aoe / 4 - aoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    a = static_cast<int>(static_cast<std::int64_t>(aoe) + era * 400 + (m <= 2));
}

namespace {

const std::int64_t kDias1899 = DiasDesde1970(1899, 12, 30);
constexpr std::int64_t kMsPorDia = 86400000;

bool DiaValido(int a, int m, int d) {
    if (a < 1 || a > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bissexto = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
    return d <= dias[m - 1] + (m == 2 && bissexto ? 1 : 0);
}

// Reads an unsigned number of exactly `n` digits at `pos`.
bool LerDigitos(const std::string& s, std::size_t& pos, std::size_t n, int& saida) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    saida = v;
    pos += n;
    return true;
}

std::string DoisDigitos(int n) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

[[noreturn]] void Inconversivel(const std::string& texto, const char* tipo) {
    throw ErroDeEntrada("'" + texto + "' não é um valor " + tipo + " válido");
}

// "1,5" and "1.5" both read as one and a half; nothing may follow the number.
bool LerReal(const std::string& bruto, double& saida) {
    std::string s = texto::Aparar(bruto);
    if (s.empty()) return false;
    for (auto& c : s)
        if (c == ',') c = '.';
    char* fim = nullptr;
    saida = std::strtod(s.c_str(), &fim);
    return fim == s.c_str() + s.size();
}

bool LerInteiro(const std::string& bruto, std::int64_t& saida) {
    const std::string s = texto::Aparar(bruto);
    const char* ini = s.data();
    if (!s.empty() && s[0] == '+') ++ini;
    auto [p, ec] = std::from_chars(ini, s.data() + s.size(), saida);
    return ec == std::errc() && p == s.data() + s.size() && ini != s.data() + s.size();
}

std::int64_t Arredondar(double d, const std::string& texto) {
    if (!std::isfinite(d) || std::fabs(d) > 9.2e18) Inconversivel(texto, "inteiro");
    return std::llround(d);
}

}  // namespace

std::string DataHora::TextoIso() const {
    char b[40];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", ano, mes, dia, hora, minuto,
                  segundo, milissegundo);
    return b;
}

std::string DataHora::TextoIso(int casas) const {
    std::string s = TextoIso().substr(0, 19);
    if (casas <= 0) return s;
    char b[16];
    std::snprintf(b, sizeof b, ".%03d%04d", milissegundo, cemNanos);
    return s + std::string(b, static_cast<std::size_t>(1 + std::min(casas, 7)));
}

std::string DataHora::Texto() const {
    std::string t = DoisDigitos(dia) + "/" + DoisDigitos(mes) + "/";
    char b[8];
    std::snprintf(b, sizeof b, "%04d", ano);
    t += b;
    if (hora != 0 || minuto != 0 || segundo != 0 || milissegundo != 0)
        t += " " + DoisDigitos(hora) + ":" + DoisDigitos(minuto) + ":" + DoisDigitos(segundo);
    return t;
}

bool DataHora::LerIso(const std::string& bruto, DataHora& saida) {
    const std::string s = texto::Aparar(bruto);
    DataHora d;
    std::size_t p = 0;
    if (!LerDigitos(s, p, 4, d.ano) || p >= s.size() || s[p++] != '-' ||
        !LerDigitos(s, p, 2, d.mes) || p >= s.size() || s[p++] != '-' ||
        !LerDigitos(s, p, 2, d.dia) || !DiaValido(d.ano, d.mes, d.dia))
        return false;
    if (p < s.size()) {
        if (s[p] != ' ' && s[p] != 'T') return false;
        ++p;
        if (!LerDigitos(s, p, 2, d.hora) || p >= s.size() || s[p++] != ':' ||
            !LerDigitos(s, p, 2, d.minuto))
            return false;
        if (p < s.size() && s[p] == ':') {
            ++p;
            if (!LerDigitos(s, p, 2, d.segundo)) return false;
            if (p < s.size() && s[p] == '.') {
                ++p;
                // Any number of fraction digits; 100 ns units are kept.
                int casas = 0, unidades = 0;
                while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
                    if (casas < 7) unidades = unidades * 10 + (s[p] - '0');
                    ++casas;
                    ++p;
                }
                if (casas == 0) return false;
                for (int i = casas; i < 7; ++i) unidades *= 10;
                d.milissegundo = unidades / 10000;
                d.cemNanos = unidades % 10000;
            }
        }
        if (p != s.size() || d.hora > 23 || d.minuto > 59 || d.segundo > 59) return false;
    }
    saida = d;
    return true;
}

double DataHora::ComoDias() const {
    const double dias = static_cast<double>(
        DiasDesde1970(ano, static_cast<unsigned>(mes), static_cast<unsigned>(dia)) - kDias1899);
    const double fracao =
        ((hora * 60.0 + minuto) * 60.0 + segundo + milissegundo / 1000.0) / 86400.0;
    // Before 1899-12-30 the time still counts forward from midnight (-1.25 is 29/12 06:00).
    return dias < 0 ? dias - fracao : dias + fracao;
}

DataHora DataHora::DeDias(double dias) {
    if (!std::isfinite(dias) || std::fabs(dias) > 3.0e6)
        throw ErroDeEntrada("Data fora do intervalo válido");
    const double inteiro = std::trunc(dias);
    std::int64_t ms = std::llround(std::fabs(dias - inteiro) * kMsPorDia);
    std::int64_t dia = static_cast<std::int64_t>(inteiro);
    if (ms >= kMsPorDia) {
        ms -= kMsPorDia;
        dia += dias < 0 ? -1 : 1;
    }
    DataHora d;
    DataCivil(dia + kDias1899, d.ano, d.mes, d.dia);
    d.hora = static_cast<int>(ms / 3600000);
    d.minuto = static_cast<int>(ms / 60000 % 60);
    d.segundo = static_cast<int>(ms / 1000 % 60);
    d.milissegundo = static_cast<int>(ms % 1000);
    return d;
}

DataHora DataHora::Agora() {
    const auto agora = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(agora);
    const std::tm tm = HoraLocal(t);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(agora.time_since_epoch()).count() %
        1000;
    DataHora d;
    d.ano = tm.tm_year + 1900;
    d.mes = tm.tm_mon + 1;
    d.dia = tm.tm_mday;
    d.hora = tm.tm_hour;
    d.minuto = tm.tm_min;
    d.segundo = tm.tm_sec;
    d.milissegundo = static_cast<int>(ms < 0 ? 0 : ms);
    return d;
}

std::string ValorComoTexto(const Valor& v) {
    struct Visitante {
        std::string operator()(std::monostate) const { return ""; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(std::int64_t n) const { return std::to_string(n); }
        std::string operator()(double d) const {
            char b[40];
            std::snprintf(b, sizeof b, "%.15g", d);
            return b;
        }
        std::string operator()(const Decimal& d) const { return d.texto; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const Bytes& b) const { return std::string(b.begin(), b.end()); }
        std::string operator()(const DataHora& d) const { return d.Texto(); }
    };
    return std::visit(Visitante{}, v);
}

std::int64_t ValorComoInteiro(const Valor& v) {
    struct Visitante {
        std::int64_t operator()(std::monostate) const { return 0; }
        std::int64_t operator()(bool b) const { return b ? 1 : 0; }
        std::int64_t operator()(std::int64_t n) const { return n; }
        std::int64_t operator()(double d) const {
            char b[40];
            std::snprintf(b, sizeof b, "%.15g", d);
            return Arredondar(d, b);
        }
        std::int64_t operator()(const Decimal& d) const {
            std::int64_t n = 0;
            if (LerInteiro(d.texto, n)) return n;
            double r = 0;
            if (!LerReal(d.texto, r)) Inconversivel(d.texto, "inteiro");
            return Arredondar(r, d.texto);
        }
        std::int64_t operator()(const std::string& s) const {
            std::int64_t n = 0;
            if (!LerInteiro(s, n)) Inconversivel(s, "inteiro");
            return n;
        }
        std::int64_t operator()(const Bytes&) const {
            throw ErroDeEntrada("Um valor binário não pode ser lido como inteiro");
        }
        std::int64_t operator()(const DataHora& d) const {
            return static_cast<std::int64_t>(std::trunc(d.ComoDias()));
        }
    };
    return std::visit(Visitante{}, v);
}

double ValorComoReal(const Valor& v) {
    struct Visitante {
        double operator()(std::monostate) const { return 0; }
        double operator()(bool b) const { return b ? 1 : 0; }
        double operator()(std::int64_t n) const { return static_cast<double>(n); }
        double operator()(double d) const { return d; }
        double operator()(const Decimal& d) const {
            double r = 0;
            if (!LerReal(d.texto, r)) Inconversivel(d.texto, "numérico");
            return r;
        }
        double operator()(const std::string& s) const {
            double r = 0;
            if (!LerReal(s, r)) Inconversivel(s, "numérico");
            return r;
        }
        double operator()(const Bytes&) const {
            throw ErroDeEntrada("Um valor binário não pode ser lido como número");
        }
        double operator()(const DataHora& d) const { return d.ComoDias(); }
    };
    return std::visit(Visitante{}, v);
}

bool ValorComoLogico(const Valor& v) {
    struct Visitante {
        bool operator()(std::monostate) const { return false; }
        bool operator()(bool b) const { return b; }
        bool operator()(std::int64_t n) const { return n != 0; }
        bool operator()(double d) const { return d != 0; }
        bool operator()(const Decimal& d) const { return ValorComoReal(d) != 0; }
        bool operator()(const std::string& s) const {
            const std::string t = texto::Aparar(s);
            for (const char* sim : {"True", "Verdadeiro", "Sim", "S", "T", "1"})
                if (texto::IguaisSemCaixa(t, sim)) return true;
            for (const char* nao : {"False", "Falso", "Não", "N", "F", "0"})
                if (texto::IguaisSemCaixa(t, nao)) return false;
            Inconversivel(s, "lógico");
        }
        bool operator()(const Bytes&) const {
            throw ErroDeEntrada("Um valor binário não pode ser lido como valor lógico");
        }
        bool operator()(const DataHora& d) const { return d.ComoDias() != 0; }
    };
    return std::visit(Visitante{}, v);
}

DataHora ValorComoDataHora(const Valor& v) {
    struct Visitante {
        DataHora operator()(std::monostate) const { return DataHora{}; }
        DataHora operator()(bool) const {
            throw ErroDeEntrada("Um valor lógico não pode ser lido como data");
        }
        DataHora operator()(std::int64_t n) const {
            return DataHora::DeDias(static_cast<double>(n));
        }
        DataHora operator()(double d) const { return DataHora::DeDias(d); }
        DataHora operator()(const Decimal& d) const { return DataHora::DeDias(ValorComoReal(d)); }
        DataHora operator()(const std::string& s) const {
            DataHora d;
            if (DataHora::LerIso(s, d)) return d;
            // The display form, dd/mm/yyyy[ hh:nn[:ss]].
            const std::string t = texto::Aparar(s);
            std::size_t p = 0;
            int dia = 0, mes = 0, ano = 0;
            if (LerDigitos(t, p, 2, dia) && p < t.size() && t[p++] == '/' &&
                LerDigitos(t, p, 2, mes) && p < t.size() && t[p++] == '/' &&
                LerDigitos(t, p, 4, ano)) {
                char iso[48];
                std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", ano, mes, dia);
                if (DataHora::LerIso(iso + t.substr(p), d)) return d;
            }
            Inconversivel(s, "de data e hora");
        }
        DataHora operator()(const Bytes&) const {
            throw ErroDeEntrada("Um valor binário não pode ser lido como data");
        }
        DataHora operator()(const DataHora& d) const { return d; }
    };
    return std::visit(Visitante{}, v);
}

bool EhBlob(TipoDeCampo t) {
    return t == TipoDeCampo::Blob;
}

const char* NomeDoTipo(TipoDeCampo t) {
    switch (t) {
        case TipoDeCampo::Desconhecido:
            return "Desconhecido";
        case TipoDeCampo::String:
            return "String";
        case TipoDeCampo::Memo:
            return "Memo";
        case TipoDeCampo::Blob:
            return "Blob";
        case TipoDeCampo::Bytes:
            return "Bytes";
        case TipoDeCampo::Integer:
            return "Integer";
        case TipoDeCampo::SmallInt:
            return "SmallInt";
        case TipoDeCampo::Word:
            return "Word";
        case TipoDeCampo::LargeInt:
            return "LargeInt";
        case TipoDeCampo::Boolean:
            return "Boolean";
        case TipoDeCampo::Float:
            return "Float";
        case TipoDeCampo::Currency:
            return "Currency";
        case TipoDeCampo::DateTime:
            return "DateTime";
        case TipoDeCampo::Date:
            return "Date";
        case TipoDeCampo::Time:
            return "Time";
        case TipoDeCampo::Guid:
            return "Guid";
        case TipoDeCampo::Variant:
            return "Variant";
    }
    return "Desconhecido";
}

}  // namespace zolvek::db
