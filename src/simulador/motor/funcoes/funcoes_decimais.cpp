#include "simulador/motor/funcoes/funcoes_decimais.hpp"

#include <cerrno>
#include <cstdlib>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "comum/decimal.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_texto.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

using zolvek::Arredondamento;
using zolvek::Decimal;

// money keeps a 64-bit count of ten-thousandths, smallmoney a 32-bit one.
const Decimal& LimiteDeMoeda(TipoBase b) {
    static const Decimal money = Decimal::Ler("922337203685477.5807");
    static const Decimal smallmoney = Decimal::Ler("214748.3647");
    return b == TipoBase::SmallMoney ? smallmoney : money;
}

void ResultadoDecimal(sqlite3_context* c, const Decimal& d) {
    const std::string s = d.Texto();
    sqlite3_result_text(c, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// The value of an operand; false (after failing the call) for text that is no number.
bool LerOperando(sqlite3_context* c, sqlite3_value* v, Decimal& d) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            d = Decimal(static_cast<std::int64_t>(sqlite3_value_int64(v)));
            return true;
        case SQLITE_FLOAT:
            d = Decimal::DeReal(sqlite3_value_double(v));
            return true;
        default:
            if (Decimal::TentarLer(TextoDe(v), d)) return true;
            FalharNaFuncao(c, ErroDoServidor(8114, {"varchar", "numeric"}));
            return false;
    }
}

// Whether d, already at the type's scale, fits the type.
bool Cabe(const Decimal& d, const TipoSql& t) {
    if (EhMoeda(t.base)) {
        const Decimal& limite = LimiteDeMoeda(t.base);
        return d <= limite && -d <= limite + Decimal::Ler("0.0001");
    }
    return d.CabeEm(t.precisao, t.escala);
}

std::string NomeNaMensagem(TipoBase b) {
    return EhMoeda(b) ? NomeDoTipo(b) : "numeric";
}

// The result of an expression of type t: rounded to its scale; false (after failing the
// call) when too wide.
bool Ajustar(sqlite3_context* c, const Decimal& exato, const TipoSql& t, Arredondamento modo,
             Decimal& resultado) {
    resultado = exato.Arredondar(t.escala, modo);
    if (Cabe(resultado, t)) return true;
    FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeNaMensagem(t.base)}));
    return false;
}

void Devolver(sqlite3_context* c, const Decimal& exato, const TipoSql& t, Arredondamento modo) {
    Decimal d;
    if (Ajustar(c, exato, t, modo, d)) ResultadoDecimal(c, d);
}

TipoSql TipoDosArgumentos(sqlite3_value** a) {
    TipoSql t;
    t.precisao = sqlite3_value_int(a[0]);
    t.escala = sqlite3_value_int(a[1]);
    t.base = static_cast<TipoBase>(sqlite3_value_int(a[2]));
    return t;
}

// x op y as the type t; false (after failing the call) on overflow or a division by zero.
bool Operar(sqlite3_context* c, char operador, const Decimal& x, const Decimal& y, const TipoSql& t,
            Decimal& r) {
    constexpr auto kMetade = Arredondamento::MetadeLongeDoZero;
    try {
        switch (operador) {
            case '+':
                return Ajustar(c, x + y, t, kMetade, r);
            case '-':
                return Ajustar(c, x - y, t, kMetade, r);
            case '*':
                return Ajustar(c, x * y, t, kMetade, r);
            default:
                break;
        }
        if (y.Zero()) {
            FalharNaFuncao(c, ErroDoServidor(8134));
            return false;
        }
        if (operador == '/')
            return Ajustar(c, x.Dividir(y, t.escala, Arredondamento::Truncar), t,
                           Arredondamento::Truncar, r);
        const Decimal quociente = x.Dividir(y, 0, Arredondamento::Truncar);
        return Ajustar(c, x - quociente * y, t, kMetade, r);
    } catch (const ErroDeEntrada&) {
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeNaMensagem(t.base)}));
        return false;
    }
}

// zv_dmais(a, b, precision, scale, base) and its kin: a op b as the type given.
template <char Operador>
void FnOperar(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    Decimal x, y, r;
    if (!LerOperando(c, a[0], x) || !LerOperando(c, a[1], y)) return;
    if (Operar(c, Operador, x, y, TipoDosArgumentos(a + 2), r)) ResultadoDecimal(c, r);
}

// zv_dcadeia(a, op, b, precision, scale, base [, op, c, precision, scale, base]...): the
// chain a + b - c of decimals in one call, left to right, each step as its own type.
void FnCadeia(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n < 6 || (n - 1) % 5 != 0)
        return FalharNaFuncao(
            c, Recusa("O simulador de SQL Server fez uma conta com argumentos errados."));
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    Decimal x, y, r;
    if (!LerOperando(c, a[0], x)) return;
    for (int k = 1; k + 5 <= n; k += 5) {
        if (sqlite3_value_type(a[k + 1]) == SQLITE_NULL) return sqlite3_result_null(c);
        if (!LerOperando(c, a[k + 1], y)) return;
        const char op = static_cast<char>(sqlite3_value_text(a[k])[0]);
        if (!Operar(c, op, x, y, TipoDosArgumentos(a + k + 2), r)) return;
        x = r;
    }
    ResultadoDecimal(c, x);
}

// zv_dcomparar(a, b): -1, 0 or 1 by value; NULL beside NULL.
void FnComparar(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    Decimal x, y;
    if (!LerOperando(c, a[0], x) || !LerOperando(c, a[1], y)) return;
    const auto r = x <=> y;
    sqlite3_result_int(c, r < 0 ? -1 : r > 0 ? 1 : 0);
}

// zv_dreal(x): the value as a number SQLite computes with (for float and integer
// conversions of a decimal).
void FnReal(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) != SQLITE_TEXT) return sqlite3_result_value(c, a[0]);
    Decimal d;
    if (!LerOperando(c, a[0], d)) return;
    if (d.Escala() == 0 && d.CabeEm(18, 0)) return sqlite3_result_int64(c, d.ComoInteiro());
    // 19 digits may still be a bigint, which a double would round
    if (d.Escala() == 0 && d.CabeEm(19, 0)) {
        const std::string texto = d.Texto();
        errno = 0;
        char* fim = nullptr;
        const long long v = std::strtoll(texto.c_str(), &fim, 10);
        if (errno == 0 && fim && *fim == '\0') return sqlite3_result_int64(c, v);
    }
    sqlite3_result_double(c, d.ComoReal());
}

// zv_dround(x, places, truncate, precision, scale, base): ROUND of a decimal keeps its
// type; a value that grows past its precision overflows.
void FnArredondar(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    Decimal x;
    if (!LerOperando(c, a[0], x)) return;
    const int casas = sqlite3_value_int(a[1]);
    const bool truncar = sqlite3_value_type(a[2]) != SQLITE_NULL && sqlite3_value_int(a[2]) != 0;
    const TipoSql t = TipoDosArgumentos(a + 3);
    try {
        const Decimal r =
            x.Arredondar(std::max(casas, -38),
                         truncar ? Arredondamento::Truncar : Arredondamento::MetadeLongeDoZero);
        Devolver(c, r, t, Arredondamento::MetadeLongeDoZero);
    } catch (const ErroDeEntrada&) {
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeNaMensagem(t.base)}));
    }
}

// zv_dabs, zv_dsinal, zv_dteto, zv_dpiso (x, precision, scale, base): ABS, SIGN, CEILING
// and FLOOR of a decimal or money, as the type given.
template <char Funcao>
void FnUnaria(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    Decimal x;
    if (!LerOperando(c, a[0], x)) return;
    const TipoSql t = TipoDosArgumentos(a + 1);
    try {
        Decimal r;
        if (Funcao == 'a') r = x.Negativo() ? -x : x;
        if (Funcao == 's') r = Decimal(x.Sinal());
        if (Funcao == 't' || Funcao == 'p') {
            r = x.Truncar(0);
            if (r != x && (Funcao == 't') != x.Negativo()) r += Decimal(Funcao == 't' ? 1 : -1);
        }
        Devolver(c, r.Zero() ? Decimal(0) : r, t, Arredondamento::MetadeLongeDoZero);
    } catch (const ErroDeEntrada&) {
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeNaMensagem(t.base)}));
    }
}

// x to the power y: exact for a whole exponent, through floating point otherwise.
Decimal Potencia(const Decimal& x, sqlite3_value* y, int escala) {
    const double expoente = sqlite3_value_double(y);
    if (expoente != static_cast<double>(static_cast<std::int64_t>(expoente)) || expoente > 256 ||
        expoente < -256)
        return Decimal::DeReal(std::pow(x.ComoReal(), expoente));
    Decimal r(1);
    for (std::int64_t k = 0; k < static_cast<std::int64_t>(std::fabs(expoente)); ++k) {
        r *= x;
        r = r.Truncar(escala + 12);
    }
    if (expoente >= 0) return r;
    if (r.Zero()) throw ErroDeEntrada("zero");
    return Decimal(1).Dividir(r, escala + 12, Arredondamento::Truncar);
}

// zv_dpotencia(x, y, precision, scale, base): POWER of a decimal rounds to the scale of
// its base.
void FnPotencia(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    Decimal x;
    if (!LerOperando(c, a[0], x)) return;
    const TipoSql t = TipoDosArgumentos(a + 2);
    try {
        Devolver(c, Potencia(x, a[1], EhMoeda(t.base) ? 4 : t.escala), t,
                 Arredondamento::MetadeLongeDoZero);
    } catch (const ErroDeEntrada&) {
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeNaMensagem(t.base)}));
    }
}

// zv_dmoeda_texto(x, style): money as text, as CONVERT writes it: two places (style 0),
// two places and thousands separators (1), four places (2 and 126).
void FnMoedaComoTexto(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    Decimal x;
    if (!LerOperando(c, a[0], x)) return;
    const int estilo = sqlite3_value_int(a[1]);
    std::string s =
        x.Arredondar(estilo == 2 || estilo == 126 ? 4 : 2, Arredondamento::MetadeLongeDoZero)
            .Texto();
    if (estilo == 1) {
        const std::size_t inicio = s[0] == '-' ? 1 : 0;
        for (std::size_t k = s.find('.'); k > inicio + 3; k -= 3) s.insert(k - 3, ",");
    }
    sqlite3_result_text(c, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// SUM and AVG of decimals: exact, at the scale of the values summed.
struct Soma {
    Decimal total;
    std::int64_t linhas = 0;
    int escala = 0;
    bool falhou = false;
};

// The running sum and the value of the row that comes or goes; null when there is nothing
// to add (a NULL, or a sum already failed).
Soma* ValorDaLinha(sqlite3_context* c, sqlite3_value* v, Decimal& d) {
    auto* s = static_cast<Soma*>(sqlite3_aggregate_context(c, sizeof(Soma)));
    // SQLite hands over zeroed memory, which is an empty Soma
    if (!s || s->falhou || sqlite3_value_type(v) == SQLITE_NULL) return nullptr;
    if (LerOperando(c, v, d)) return s;
    s->falhou = true;
    return nullptr;
}

void PassoDaSoma(sqlite3_context* c, int n, sqlite3_value** a) {
    Decimal d;
    Soma* s = ValorDaLinha(c, a[0], d);
    if (!s) return;
    s->escala = std::max(s->escala, n > 1 ? sqlite3_value_int(a[1]) : d.Escala());
    try {
        s->total += d;
    } catch (const ErroDeEntrada&) {
        s->falhou = true;
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "numeric"}));
        return;
    }
    ++s->linhas;
}

// The aggregate's result type: SUM is decimal(38, s); AVG decimal(38, max(s, 6)); money
// stays money.
void FinalDaSoma(sqlite3_context* c, bool media) {
    auto* s = static_cast<Soma*>(sqlite3_aggregate_context(c, 0));
    if (!s || s->linhas == 0 || s->falhou) return sqlite3_result_null(c);
    const bool moeda = sqlite3_user_data(c) != nullptr;
    TipoSql t{moeda ? TipoBase::Money : TipoBase::Numeric, 0, 38, s->escala};
    if (moeda) t.escala = 4;
    Decimal r = s->total;
    if (media) {
        if (!moeda) t.escala = std::max(s->escala, 6);
        r = r.Dividir(Decimal(s->linhas), t.escala, Arredondamento::Truncar);
    }
    Devolver(c, r, t, Arredondamento::MetadeLongeDoZero);
}

// A window frame's first row leaving: SUM ... OVER (ORDER BY ...) and its kin.
void InversoDaSoma(sqlite3_context* c, int, sqlite3_value** a) {
    Decimal d;
    Soma* s = ValorDaLinha(c, a[0], d);
    if (!s) return;
    s->total -= d;
    --s->linhas;
}

void FinalDoTotal(sqlite3_context* c) {
    FinalDaSoma(c, false);
}
void FinalDaMedia(sqlite3_context* c) {
    FinalDaSoma(c, true);
}

}  // namespace

std::string TextoDecimalDoValor(sqlite3_value* v, const TipoSql& t) {
    const int escala = EhMoeda(t.base) ? 4 : t.escala;
    Decimal d;
    if (sqlite3_value_type(v) == SQLITE_TEXT) {
        const std::string s = TextoDe(v);
        const auto ponto = s.find('.');
        const int casas = ponto == std::string::npos ? 0 : static_cast<int>(s.size() - ponto - 1);
        if (casas == escala && s.find_first_of("eE") == std::string::npos) return s;
        if (!Decimal::TentarLer(s, d)) return s;
    } else if (sqlite3_value_type(v) == SQLITE_INTEGER) {
        d = Decimal(static_cast<std::int64_t>(sqlite3_value_int64(v)));
    } else {
        d = Decimal::DeReal(sqlite3_value_double(v));
    }
    return d.Arredondar(escala, Arredondamento::MetadeLongeDoZero).Texto();
}

void ConverterParaDecimal(sqlite3_context* c, sqlite3_value* v, const TipoSql& alvo) {
    TipoSql t = alvo;
    if (EhMoeda(t.base)) t.escala = 4;
    const int origem = sqlite3_value_type(v);
    Decimal d;
    if (origem == SQLITE_TEXT && EhMoeda(t.base)) {
        std::string numero;
        if (!LerTextoDeMoeda(TextoDe(v), numero) || !Decimal::TentarLer(numero, d))
            return FalharNaFuncao(c, ErroDoServidor(235));
    } else if (origem == SQLITE_TEXT) {
        if (!Decimal::TentarLer(TextoDe(v), d))
            return FalharNaFuncao(c, ErroDoServidor(8114, {"varchar", "numeric"}));
    } else if (!LerOperando(c, v, d)) {
        return;
    }
    bool cabe = false;
    try {
        d = d.Arredondar(t.escala, Arredondamento::MetadeLongeDoZero);
        cabe = Cabe(d, t);
    } catch (const ErroDeEntrada&) {  // past any precision
    }
    if (cabe) return ResultadoDecimal(c, d);
    if (EhMoeda(t.base)) return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "money"}));
    // a floating-point value here is almost always a numeric literal (1000.5)
    const char* de = origem == SQLITE_INTEGER ? "int" : "numeric";
    FalharNaFuncao(c, ErroDoServidor(8115, {de, "numeric"}));
}

void RegistrarFuncoesDecimais(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_dmais", 5, det, nullptr, FnOperar<'+'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dmenos", 5, det, nullptr, FnOperar<'-'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dvezes", 5, det, nullptr, FnOperar<'*'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_ddividir", 5, det, nullptr, FnOperar<'/'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dresto", 5, det, nullptr, FnOperar<'%'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dcadeia", -1, det, nullptr, FnCadeia, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dcomparar", 2, det, nullptr, FnComparar, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dreal", 1, det, nullptr, FnReal, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dround", 6, det, nullptr, FnArredondar, nullptr, nullptr);
    // (x) for DISTINCT, which takes one argument; (x, scale) otherwise
    static int moeda = 1;
    for (int n = 1; n <= 2; ++n) {
        // window functions, so that SUM(x) OVER (...) is exact as well
        sqlite3_create_window_function(db, "zv_dsoma", n, det, nullptr, PassoDaSoma, FinalDoTotal,
                                       FinalDoTotal, InversoDaSoma, nullptr);
        sqlite3_create_window_function(db, "zv_dmedia", n, det, nullptr, PassoDaSoma, FinalDaMedia,
                                       FinalDaMedia, InversoDaSoma, nullptr);
        sqlite3_create_window_function(db, "zv_dsoma_moeda", n, det, &moeda, PassoDaSoma,
                                       FinalDoTotal, FinalDoTotal, InversoDaSoma, nullptr);
        sqlite3_create_window_function(db, "zv_dmedia_moeda", n, det, &moeda, PassoDaSoma,
                                       FinalDaMedia, FinalDaMedia, InversoDaSoma, nullptr);
    }
    sqlite3_create_function(db, "zv_dabs", 4, det, nullptr, FnUnaria<'a'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dsinal", 4, det, nullptr, FnUnaria<'s'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dteto", 4, det, nullptr, FnUnaria<'t'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dpiso", 4, det, nullptr, FnUnaria<'p'>, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dpotencia", 5, det, nullptr, FnPotencia, nullptr, nullptr);
    sqlite3_create_function(db, "zv_dmoeda_texto", 2, det, nullptr, FnMoedaComoTexto, nullptr,
                            nullptr);
}

}  // namespace zolvek::simulador
