#include "simulador/motor/funcoes/funcoes_formato.hpp"

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "comum/decimal.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/idiomas.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

struct Cultura {
    const char* nome;
    char milhar;
    char decimal;
    const char* am;
    const char* pm;
    const char* const* meses;  // 12
    const char* const* mesesCurtos;
    const char* dias[7];  // Sunday first, as .NET counts them
    const char* diasCurtos[7];
    const char* dataCurta;  // the standard formats d, D, t, T
    const char* dataLonga;
    const char* horaCurta;
    const char* horaLonga;
};

#define ZV_DIAS_EN \
    { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" }
#define ZV_DIAS_CURTOS_EN \
    { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" }

const char* const kMesesPtBr[] = {"janeiro",  "fevereiro", "março",    "abril",
                                  "maio",     "junho",     "julho",    "agosto",
                                  "setembro", "outubro",   "novembro", "dezembro"};
const char* const kMesesCurtosPtBr[] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                        "jul", "ago", "set", "out", "nov", "dez"};

const Cultura kCulturas[] = {
    {"pt-BR",
     '.',
     ',',
     "",
     "",
     kMesesPtBr,
     kMesesCurtosPtBr,
     {"domingo", "segunda-feira", "terça-feira", "quarta-feira", "quinta-feira", "sexta-feira",
      "sábado"},
     {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"},
     "dd/MM/yyyy",
     "dddd, d' de 'MMMM' de 'yyyy",
     "HH:mm",
     "HH:mm:ss"},
    {"en-US", ',', '.', "AM", "PM", kMesesEmIngles, kMesesCurtosEmIngles, ZV_DIAS_EN,
     ZV_DIAS_CURTOS_EN, "M/d/yyyy", "dddd, MMMM d, yyyy", "h:mm tt", "h:mm:ss tt"},
    {"en-GB", ',', '.', "AM", "PM", kMesesEmIngles, kMesesCurtosEmIngles, ZV_DIAS_EN,
     ZV_DIAS_CURTOS_EN, "dd/MM/yyyy", "dd MMMM yyyy", "HH:mm", "HH:mm:ss"},
};

#undef ZV_DIAS_EN
#undef ZV_DIAS_CURTOS_EN

const Cultura* AcharCultura(const std::string& nome) {
    for (const Cultura& c : kCulturas)
        if (IguaisCiAs(nome, c.nome)) return &c;
    return nullptr;
}

ErroDeBanco FormatoRecusado(const std::string& formato) {
    return Recusa("O simulador de SQL Server não aceita o formato '" + formato + "' em FORMAT.");
}

// The stretch of one repeated letter at i.
std::size_t Repeticoes(const std::string& f, std::size_t i) {
    std::size_t n = 1;
    while (i + n < f.size() && f[i + n] == f[i]) ++n;
    return n;
}

std::string DoisDigitos(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

// One run of `n` equal specifiers `ch` of a custom date format; false for one it does
// not write.
bool EscreverParteDaData(char ch, std::size_t n, const db::DataHora& d, int semana,
                         const Cultura& cul, std::string& r) {
    const int h12 = d.hora % 12 == 0 ? 12 : d.hora % 12;
    switch (ch) {
        case 'y':
            r += n == 1   ? std::to_string(d.ano % 100)
                 : n == 2 ? DoisDigitos(d.ano % 100)
                          : std::string(n > 4 ? n - 4 : 0, '0') +
                                (d.ano < 1000 ? std::string(4 - std::to_string(d.ano).size(), '0')
                                              : "") +
                                std::to_string(d.ano);
            break;
        case 'M':
            r += n == 1   ? std::to_string(d.mes)
                 : n == 2 ? DoisDigitos(d.mes)
                 : n == 3 ? cul.mesesCurtos[d.mes - 1]
                          : cul.meses[d.mes - 1];
            break;
        case 'd':
            r += n == 1   ? std::to_string(d.dia)
                 : n == 2 ? DoisDigitos(d.dia)
                 : n == 3 ? cul.diasCurtos[semana]
                          : cul.dias[semana];
            break;
        case 'H':
            r += n == 1 ? std::to_string(d.hora) : DoisDigitos(d.hora);
            break;
        case 'h':
            r += n == 1 ? std::to_string(h12) : DoisDigitos(h12);
            break;
        case 'm':
            r += n == 1 ? std::to_string(d.minuto) : DoisDigitos(d.minuto);
            break;
        case 's':
            r += n == 1 ? std::to_string(d.segundo) : DoisDigitos(d.segundo);
            break;
        case 'f': {
            if (n > 7) return false;
            char ms[8];
            std::snprintf(ms, sizeof ms, "%03d0000", d.milissegundo);
            r += std::string(ms, n);
            break;
        }
        case 't': {
            const std::string p = d.hora < 12 ? cul.am : cul.pm;
            r += n == 1 ? p.substr(0, 1) : p;
            break;
        }
        case '/':
            r += "/";
            break;
        case ':':
            r += ":";
            break;
        case 'z':
        case 'K':
        case 'g':
        case 'F':
            return false;
        default:
            r += std::string(n, ch);
    }
    return true;
}

// A custom date format ("dd/MM/yyyy HH:mm"); false for a specifier it does not write.
bool FormatarData(const db::DataHora& d, const std::string& f, const Cultura& cul, std::string& r) {
    const int semana = static_cast<int>(
        (static_cast<std::int64_t>(DiasDesde1900(db::DataHora{d.ano, d.mes, d.dia, 0, 0, 0, 0})) +
         1) %
        7);  // 1900-01-01 was a Monday: 0 is Sunday
    for (std::size_t i = 0; i < f.size();) {
        const char ch = f[i];
        const std::size_t n = Repeticoes(f, i);
        if (ch == '\'' || ch == '"') {
            const std::size_t fim = f.find(ch, i + 1);
            if (fim == std::string::npos) return false;
            r += f.substr(i + 1, fim - i - 1);
            i = fim + 1;
            continue;
        }
        if (ch == '\\' && i + 1 < f.size()) {
            r += f[i + 1];
            i += 2;
            continue;
        }
        if (!EscreverParteDaData(ch, n, d, semana, cul, r)) return false;
        i += n;
    }
    return true;
}

// The digits of a number with its thousands grouped by the culture's separator.
std::string Agrupar(const std::string& inteiros, char separador) {
    std::string r;
    for (std::size_t k = 0; k < inteiros.size(); ++k) {
        if (k && (inteiros.size() - k) % 3 == 0) r += separador;
        r += inteiros[k];
    }
    return r;
}

// A number's text with at least `minimoInteiros` integer digits, its places between
// `minimoCasas` and `maximoCasas` (rounded half away from zero), grouped or not.
std::string EscreverNumero(const Decimal& v, int minimoInteiros, int minimoCasas, int maximoCasas,
                           bool agrupar, const Cultura& cul) {
    const Decimal r = v.Arredondar(maximoCasas, Arredondamento::MetadeLongeDoZero);
    std::string t = r.Texto();
    const bool negativo = !t.empty() && t[0] == '-';
    if (negativo) t.erase(0, 1);
    const std::size_t ponto = t.find('.');
    std::string inteiros = t.substr(0, ponto);
    std::string casas = ponto == std::string::npos ? "" : t.substr(ponto + 1);
    casas.resize(static_cast<std::size_t>(maximoCasas), '0');
    while (static_cast<int>(casas.size()) > minimoCasas && casas.back() == '0') casas.pop_back();
    inteiros.erase(0, inteiros.find_first_not_of('0'));
    if (static_cast<int>(inteiros.size()) < minimoInteiros)
        inteiros.insert(0, static_cast<std::size_t>(minimoInteiros) - inteiros.size(), '0');
    std::string s = agrupar ? Agrupar(inteiros, cul.milhar) : inteiros;
    if (!casas.empty()) s += cul.decimal + casas;
    const bool zero = inteiros.find_first_not_of('0') == std::string::npos &&
                      casas.find_first_not_of('0') == std::string::npos;
    return (negativo && !zero ? "-" : "") + s;
}

// A custom number format ("#,##0.00", "0.0%"): literals around one run of 0 # , .
bool FormatarNumeroPersonalizado(Decimal v, const std::string& f, const Cultura& cul,
                                 std::string& r) {
    const std::size_t inicio = f.find_first_of("0#"), fim = f.find_last_of("0#");
    if (inicio == std::string::npos || f.find_first_of("'\"\\;E") != std::string::npos)
        return false;
    std::size_t a = inicio, b = fim + 1;
    while (a > 0 && (f[a - 1] == ',' || f[a - 1] == '.')) --a;
    const std::string numero = f.substr(a, b - a);
    if (numero.find_first_not_of("0#,.") != std::string::npos) return false;
    const std::string antes = f.substr(0, a), depois = f.substr(b);
    if (f.find('%') != std::string::npos) v = v * Decimal(100);
    const std::size_t ponto = numero.find('.');
    const std::string parteInteira = numero.substr(0, ponto);
    const std::string parteDecimal = ponto == std::string::npos ? "" : numero.substr(ponto + 1);
    if (!parteInteira.empty() && parteInteira.back() == ',') return false;  // scaling
    if (parteDecimal.find_first_of(",.") != std::string::npos) return false;
    const auto zeros = [](const std::string& s, std::size_t de) {
        const std::size_t p = s.find('0', de);
        int n = 0;
        for (std::size_t k = p == std::string::npos ? s.size() : p; k < s.size(); ++k)
            n += s[k] == '0' || s[k] == '#' ? 1 : 0;
        return p == std::string::npos ? 0 : n;
    };
    int minimoCasas = 0;
    for (char ch : parteDecimal) {
        if (ch != '0') break;
        ++minimoCasas;
    }
    r = antes +
        EscreverNumero(v, zeros(parteInteira, 0), minimoCasas,
                       static_cast<int>(parteDecimal.size()),
                       parteInteira.find(',') != std::string::npos, cul) +
        depois;
    return true;
}

// N2, F0, D5 and the custom formats.
bool FormatarNumero(const Decimal& v, bool inteiro, const std::string& f, const Cultura& cul,
                    std::string& r) {
    const char letra =
        f.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(f[0])));
    const std::string digitos = f.size() > 1 ? f.substr(1) : "";
    const bool padrao = (letra == 'N' || letra == 'F' || letra == 'D') && digitos.size() <= 2 &&
                        digitos.find_first_not_of("0123456789") == std::string::npos;
    if (!padrao) return FormatarNumeroPersonalizado(v, f, cul, r);
    const int n = digitos.empty() ? (letra == 'D' ? 0 : 2) : std::stoi(digitos);
    if (letra == 'D') {
        if (!inteiro) return false;
        r = EscreverNumero(v, n, 0, 0, false, cul);
        return true;
    }
    r = EscreverNumero(v, 1, n, n, letra == 'N', cul);
    return true;
}

void FnFormat(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL ||
        (n > 2 && sqlite3_value_type(a[2]) == SQLITE_NULL))
        return sqlite3_result_null(c);
    const std::string formato = TextoDe(a[1]);
    const std::string nomeDaCultura = n > 2 ? TextoDe(a[2]) : IdiomaAtual().cultura;
    const Cultura* cul = AcharCultura(nomeDaCultura);
    if (!cul) return FalharNaFuncao(c, ErroDoServidor(9818, {nomeDaCultura}));
    const int tipo = sqlite3_value_type(a[0]);
    std::string r;
    bool ok = false;
    Decimal numero;
    if (tipo == SQLITE_INTEGER) {
        ok = FormatarNumero(Decimal(static_cast<std::int64_t>(sqlite3_value_int64(a[0]))), true,
                            formato, *cul, r);
    } else if (tipo == SQLITE_FLOAT) {
        ok = FormatarNumero(Decimal::DeReal(sqlite3_value_double(a[0])), false, formato, *cul, r);
    } else if (tipo == SQLITE_TEXT && Decimal::TentarLer(TextoDe(a[0]), numero)) {
        ok = FormatarNumero(numero, false, formato, *cul, r);  // a decimal's exact text
    } else {
        db::DataHora d;
        if (tipo != SQLITE_TEXT || !LerDataHora(TextoDe(a[0]), d))
            return FalharNaFuncao(c, ErroDoServidor(8116, {"varchar", "1", "format"}));
        std::string f = formato;
        if (f.size() == 1) {
            const char* kPadroes[] = {cul->dataCurta, cul->dataLonga, cul->horaCurta,
                                      cul->horaLonga};
            const std::string letras = "dDtT";
            const std::size_t k = letras.find(f[0]);
            if (f == "g" || f == "G")
                f = std::string(cul->dataCurta) + " " +
                    (f == "g" ? cul->horaCurta : cul->horaLonga);
            else if (k != std::string::npos)
                f = kPadroes[k];
            else
                return FalharNaFuncao(c, FormatoRecusado(formato));
        }
        ok = FormatarData(d, f, *cul, r);
    }
    if (!ok) return FalharNaFuncao(c, FormatoRecusado(formato));
    ResultadoTexto(c, r);
}

// A number in the culture's writing ("1.234,56", "R$ 12") as the invariant text CAST reads.
bool NumeroInvariante(const std::string& s, const Cultura& cul, std::string& r) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-')
            r += ch;
        else if (ch == cul.decimal)
            r += '.';
        else if (ch != cul.milhar && ch != ' ' && ch != '$' && ch != 'R' &&
                 s.compare(i, 3, "\xE2\x82\xAC") != 0)  // R$, $ and the euro sign
            return false;
        else if (s.compare(i, 3, "\xE2\x82\xAC") == 0)
            i += 2;
    }
    Decimal d;
    return Decimal::TentarLer(r, d);
}

// zv_parse(texto, 'tipo', cultura, tentativa): PARSE's text made the invariant one CAST
// reads; TRY_PARSE (tentativa 1) gives NULL where PARSE fails.
void FnParse(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    if (sqlite3_value_type(a[0]) != SQLITE_TEXT)
        return FalharNaFuncao(
            c, ErroDoServidor(8116, {(sqlite3_value_type(a[0]) == SQLITE_FLOAT ? "float" : "int"),
                                     "1", "parse"}));
    const std::string texto = TextoDe(a[0]), tipo = TextoDe(a[1]), escrita = TextoDe(a[2]);
    const Cultura* cul = AcharCultura(escrita.empty() ? IdiomaAtual().cultura : escrita);
    if (!cul) return FalharNaFuncao(c, ErroDoServidor(9818, {escrita}));
    const auto t = LerTextoDeTipo(tipo);
    if (!t || (EhTexto(t->base) || EhBinario(t->base) || t->base == TipoBase::Bit))
        return FalharNaFuncao(
            c, Recusa("O simulador de SQL Server não aceita PARSE para o tipo " + tipo + "."));
    std::string r;
    bool ok = false;
    if (EhDataHora(t->base)) {
        const OrdemDeData antes = OrdemDeDataAtual();
        DefinirOrdemDeDataAtual(std::string(cul->nome) == "en-US" ? OrdemDeData::Mdy
                                                                  : OrdemDeData::Dmy);
        db::DataHora d;
        ok = LerDataHora(texto, d);
        DefinirOrdemDeDataAtual(antes);
        if (ok) r = FormatarDataHora(d);
    } else {
        ok = NumeroInvariante(texto, *cul, r);
    }
    if (ok) return ResultadoTexto(c, r);
    if (sqlite3_value_int(a[3])) return sqlite3_result_null(c);
    FalharNaFuncao(c, ErroDoServidor(9819, {texto, NomeDoTipo(t->base), escrita}));
}

}  // namespace

void RegistrarFuncaoFormat(sqlite3* db) {
    sqlite3_create_function(db, "zv_parse", 4, SQLITE_UTF8, nullptr, FnParse, nullptr, nullptr);
    const int nd = SQLITE_UTF8;  // the default culture is the session's language's
    sqlite3_create_function(db, "zv_format", 2, nd, nullptr, FnFormat, nullptr, nullptr);
    sqlite3_create_function(db, "zv_format", 3, nd, nullptr, FnFormat, nullptr, nullptr);
}

}  // namespace zolvek::simulador
