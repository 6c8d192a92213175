#include "simulador/motor/tipos/colacao.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// Reads one UTF-8 character; invalid bytes stand for themselves.
char32_t Ler(std::string_view s, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extras = (c >= 0xF0) ? 3 : (c >= 0xE0) ? 2 : (c >= 0xC0) ? 1 : 0;
    if (extras == 0 || i + extras >= s.size()) {
        ++i;
        return c;
    }
    char32_t v = c & (0x3F >> extras);
    for (int k = 1; k <= extras; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            ++i;
            return c;
        }
        v = (v << 6) | (d & 0x3F);
    }
    i += extras + 1;
    return v;
}

char32_t Minuscula(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    return c;
}

void Escrever(std::string& s, char32_t c) {
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string_view SemBrancosNoFim(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

int Comparar(void*, int na, const void* a, int nb, const void* b) {
    return CompararCiAs(
        std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
        std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

// The canonical stored form "yyyy-mm-dd hh:nn:ss.zzz", seven fraction digits when a
// datetime2 or time has a part below the millisecond.
bool Canonica(std::string_view s) {
    return (s.size() == 23 || s.size() == 27) && s[4] == '-' && s[10] == ' ' && s[19] == '.';
}

// A value written some other way ('20200101') in the canonical form, or false. A
// filter compares one such literal with every row: the last few are kept.
bool EmFormaCanonica(std::string_view s, std::string_view& saida) {
    if (Canonica(s)) {
        saida = s;
        return true;
    }
    struct Lida {
        std::string texto, canonica;
        bool valida = false;
        OrdemDeData ordem = OrdemDeData::Dmy;  // how '01/02/2020' was read
    };
    thread_local Lida lidas[4];
    thread_local unsigned proxima = 0;
    for (const auto& l : lidas) {
        if (!l.texto.empty() && l.texto == s && l.ordem == OrdemDeDataAtual()) {
            saida = l.canonica;
            return l.valida;
        }
    }
    Lida& l = lidas[proxima++ % 4];
    DataComFuso d;  // a datetimeoffset compares by its UTC instant
    l.texto = std::string(s);
    l.ordem = OrdemDeDataAtual();
    l.valida = LerDataComFuso(s, d);
    l.canonica = l.valida ? FormatarDataHora(EmUtc(d)) : std::string();
    saida = l.canonica;
    return l.valida;
}

int CompararDatas(void*, int na, const void* a, int nb, const void* b) {
    std::string_view x(static_cast<const char*>(a), static_cast<std::size_t>(na));
    std::string_view y(static_cast<const char*>(b), static_cast<std::size_t>(nb));
    std::string_view fx, fy;
    char copia[27];  // reading y may reuse the place that holds x's canonical form
    if (!(Canonica(x) && Canonica(y)) && EmFormaCanonica(x, fx)) {
        const std::size_t n = fx.copy(copia, sizeof copia);
        if (EmFormaCanonica(y, fy)) {
            x = std::string_view(copia, n);
            y = fy;
        }
    }
    int r = x.compare(y);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

// The letter without its accent, for the first pass of the ordering.
char32_t SemAcento(char32_t c) {
    if (c < 0xE0 || c > 0xFF) return c;
    static const char base[] =
        "aaaaaaaceeeeiiii"
        "dnooooo/ouuuuyty";
    return static_cast<unsigned char>(base[c - 0xE0]);
}

int CompararPassada(std::string_view a, std::string_view b, bool comAcentos) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t x = Minuscula(Ler(a, i));
        char32_t y = Minuscula(Ler(b, j));
        if (!comAcentos) {
            x = SemAcento(x);
            y = SemAcento(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

// A decimal text taken apart: sign, integer digits without leading zeros, fraction
// digits without trailing zeros. False for anything else (exponents, words).
struct PartesDecimais {
    bool negativo = false;
    std::string_view inteira, fracao;
};

bool SepararDecimal(std::string_view s, PartesDecimais& p) {
    std::size_t i = 0, fim = s.size();
    while (i < fim && s[i] == ' ') ++i;
    while (fim > i && s[fim - 1] == ' ') --fim;
    if (i < fim && (s[i] == '-' || s[i] == '+')) p.negativo = s[i++] == '-';
    const std::size_t inicio = i;
    while (i < fim && s[i] >= '0' && s[i] <= '9') ++i;
    p.inteira = s.substr(inicio, i - inicio);
    std::size_t digitos = i - inicio;
    if (i < fim && s[i] == '.') {
        const std::size_t f = ++i;
        while (i < fim && s[i] >= '0' && s[i] <= '9') ++i;
        p.fracao = s.substr(f, i - f);
        digitos += i - f;
    }
    if (i != fim || digitos == 0) return false;
    while (!p.inteira.empty() && p.inteira.front() == '0') p.inteira.remove_prefix(1);
    while (!p.fracao.empty() && p.fracao.back() == '0') p.fracao.remove_suffix(1);
    if (p.inteira.empty() && p.fracao.empty()) p.negativo = false;  // -0.00 is 0
    return true;
}

int CompararMagnitudes(const PartesDecimais& a, const PartesDecimais& b) {
    if (a.inteira.size() != b.inteira.size()) return a.inteira.size() < b.inteira.size() ? -1 : 1;
    if (int r = a.inteira.compare(b.inteira)) return r < 0 ? -1 : 1;
    int r = a.fracao.compare(b.fracao);  // no trailing zeros: a longer fraction is larger
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CompararDecimais(void*, int na, const void* a, int nb, const void* b) {
    return CompararTextosDecimais(
        std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
        std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

}  // namespace

int CompararTextosDecimais(std::string_view a, std::string_view b) {
    PartesDecimais x, y;
    const bool nx = SepararDecimal(a, x), ny = SepararDecimal(b, y);
    if (!nx || !ny) {
        if (nx != ny) return nx ? -1 : 1;
        int r = a.compare(b);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    if (x.negativo != y.negativo) return x.negativo ? -1 : 1;
    const int r = CompararMagnitudes(x, y);
    return x.negativo ? -r : r;
}

namespace {

unsigned char MinusculaAscii(char c) {
    const auto x = static_cast<unsigned char>(c);
    return x >= 'A' && x <= 'Z' ? x + 32 : x;
}

// Most names and texts are ASCII: the length of the common start of `a` and `b` made of
// ASCII bytes equal without case, which the collation's passes would find equal too.
std::size_t InicioAsciiIgual(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i < n; ++i) {
        if (((static_cast<unsigned char>(a[i]) | static_cast<unsigned char>(b[i])) & 0x80) ||
            MinusculaAscii(a[i]) != MinusculaAscii(b[i]))
            break;
    }
    return i;
}

// Whether the texts differ at `i` in two ASCII bytes (so that they decide alone).
bool DiferemEmAscii(std::string_view a, std::string_view b, std::size_t i) {
    return i < a.size() && i < b.size() &&
           ((static_cast<unsigned char>(a[i]) | static_cast<unsigned char>(b[i])) & 0x80) == 0;
}

}  // namespace

// Letters first compare without their accents (so "álamo" sorts among the a's), and
// only texts equal that way are told apart by the accents.
int CompararCiAs(std::string_view a, std::string_view b) {
    a = SemBrancosNoFim(a);
    b = SemBrancosNoFim(b);
    const std::size_t i = InicioAsciiIgual(a, b);
    if (DiferemEmAscii(a, b, i)) return MinusculaAscii(a[i]) < MinusculaAscii(b[i]) ? -1 : 1;
    a.remove_prefix(i);
    b.remove_prefix(i);
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : a.empty() ? -1 : 1;
    int r = CompararPassada(a, b, false);
    return r != 0 ? r : CompararPassada(a, b, true);
}

// Equal in the collation is equal letter by letter without case, accents counting: the
// second pass alone.
bool IguaisCiAs(std::string_view a, std::string_view b) {
    a = SemBrancosNoFim(a);
    b = SemBrancosNoFim(b);
    const std::size_t i = InicioAsciiIgual(a, b);
    if (DiferemEmAscii(a, b, i)) return false;
    if (i == a.size() || i == b.size()) return a.size() == b.size();
    return CompararPassada(a.substr(i), b.substr(i), true) == 0;
}

std::string Dobrar(std::string_view s) {
    s = SemBrancosNoFim(s);
    std::string r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) Escrever(r, Minuscula(Ler(s, i)));
    return r;
}

std::string SemCaixa(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t antes = i;
        const char32_t c = Ler(s, i);
        const char32_t m = Minuscula(c);
        if (m == c)
            r.append(s.substr(antes, i - antes));  // an invalid byte stays as it was
        else
            Escrever(r, m);
    }
    return r;
}

const char* ColacaoConhecida(const std::string& nome) {
    std::string n = Dobrar(nome);
    if (n == "database_default" || (n.size() > 6 && n.compare(n.size() - 6, 6, "_ci_as") == 0 &&
                                    n.find("latin1") != std::string::npos))
        return kColacao;
    throw Recusa("O simulador de SQL Server só conhece a colação Latin1_General_CI_AS.");
}

void RegistrarColacao(sqlite3* db) {
    sqlite3_create_collation(db, kColacao, SQLITE_UTF8, nullptr, Comparar);
    sqlite3_create_collation(db, kColacaoDeData, SQLITE_UTF8, nullptr, CompararDatas);
    sqlite3_create_collation(db, kColacaoDecimal, SQLITE_UTF8, nullptr, CompararDecimais);
}

}  // namespace zolvek::simulador
