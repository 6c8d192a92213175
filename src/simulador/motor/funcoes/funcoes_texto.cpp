#include "simulador/motor/funcoes/funcoes_texto.hpp"

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "comum/texto.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"

namespace zolvek::simulador {

namespace {

// The code point of the UTF-8 character at i; i moves past it.
char32_t LerCodigo(std::string_view s, std::size_t& i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    char32_t c = b(i);
    int seguintes = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (seguintes) c &= 0x3F >> seguintes;
    ++i;
    for (; seguintes > 0 && i < s.size() && (b(i) & 0xC0) == 0x80; --seguintes, ++i)
        c = (c << 6) | (b(i) & 0x3F);
    return c;
}

std::string Utf8(char32_t c) {
    std::string r;
    texto::AcrescentarUtf8(r, c);
    return r;
}

// Windows-1252's characters 0x80-0x9F (the others are Latin-1's); its five unassigned
// codes stand for themselves.
constexpr std::array<char32_t, 32> kCp1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t DoCp1252(int byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252[static_cast<std::size_t>(byte - 0x80)]
                                       : static_cast<char32_t>(byte);
}

// A character's byte in Windows-1252; '?' for one it lacks, as varchar keeps it.
int ParaCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t k = 0; k < kCp1252.size(); ++k)
        if (kCp1252[k] == c) return static_cast<int>(0x80 + k);
    return '?';
}

std::string TextoDoArgumento(sqlite3_value* v) {
    return sqlite3_value_type(v) == SQLITE_TEXT || sqlite3_value_type(v) == SQLITE_BLOB
               ? TextoDe(v)
               : NumeroComoTexto(v);
}

// QUOTENAME(texto[, aspas]): NULL past 128 characters or for a delimiter it does not know.
void FnQuoteName(sqlite3_context* c, int n, sqlite3_value** a) {
    if (Nulo(a[0]) || (n > 1 && Nulo(a[1]))) return sqlite3_result_null(c);
    const std::string s = TextoDoArgumento(a[0]);
    const std::string q = n > 1 ? TextoDe(a[1]) : "[";
    static const std::pair<char, char> kPares[] = {{'[', ']'}, {']', ']'}, {'"', '"'}, {'\'', '\''},
                                                   {'(', ')'}, {')', ')'}, {'<', '>'}, {'>', '>'},
                                                   {'{', '}'}, {'}', '}'}, {'`', '`'}};
    char abre = 0, fecha = 0;
    for (const auto& [x, y] : kPares)
        if (q.size() == 1 && q[0] == x) {
            abre = x == ']' ? '[' : x == ')' ? '(' : x == '>' ? '<' : x == '}' ? '{' : x;
            fecha = y;
        }
    if (!abre || ContarCaracteres(s) > 128) return sqlite3_result_null(c);
    std::string r(1, abre);
    for (char ch : s) {
        r += ch;
        if (ch == fecha) r += ch;
    }
    ResultadoTexto(c, r + fecha);
}

// STUFF(texto, inicio, quantos, novo): NULL for a start outside the text or a negative
// count.
void FnStuff(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0]) || Nulo(a[1]) || Nulo(a[2])) return sqlite3_result_null(c);
    const std::string s = TextoDoArgumento(a[0]);
    const std::int64_t inicio = sqlite3_value_int64(a[1]), quantos = sqlite3_value_int64(a[2]);
    const auto total = static_cast<std::int64_t>(ContarCaracteres(s));
    if (inicio < 1 || inicio > total || quantos < 0) return sqlite3_result_null(c);
    const std::string antes = Primeiros(s, static_cast<std::size_t>(inicio - 1));
    const std::int64_t fim = std::min(total, inicio - 1 + quantos);
    const std::string ate = Primeiros(s, static_cast<std::size_t>(fim));
    ResultadoTexto(c, antes + (Nulo(a[3]) ? "" : TextoDoArgumento(a[3])) + s.substr(ate.size()));
}

// ASCII (Windows-1252 code) and UNICODE (code point) of the first character.
void FnCodigo(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    const std::string s = TextoDoArgumento(a[0]);
    if (s.empty()) return sqlite3_result_null(c);
    std::size_t i = 0;
    const char32_t codigo = LerCodigo(s, i);
    const bool ascii = sqlite3_user_data(c) != nullptr;
    sqlite3_result_int64(c, ascii ? ParaCp1252(codigo) : static_cast<std::int64_t>(codigo));
}

// CHAR (0-255, Windows-1252) and NCHAR (0-65535); NULL outside.
void FnCaractere(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    const std::int64_t n = sqlite3_value_int64(a[0]);
    const bool ascii = sqlite3_user_data(c) != nullptr;
    if (n < 0 || n > (ascii ? 255 : 65535)) return sqlite3_result_null(c);
    ResultadoTexto(c, Utf8(ascii ? DoCp1252(static_cast<int>(n)) : static_cast<char32_t>(n)));
}

// PATINDEX('%padrão%', texto): the first character where the pattern matches; 0 for none.
void FnPatIndex(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0]) || Nulo(a[1])) return sqlite3_result_null(c);
    const std::string padrao = TextoDoArgumento(a[0]), texto = TextoDoArgumento(a[1]);
    std::size_t p = 0;
    while (p < padrao.size() && padrao[p] == '%') ++p;
    if (p == 0) return sqlite3_result_int(c, Casa(texto, 0, padrao, 0, -1) ? 1 : 0);
    std::int64_t posicao = 1;
    for (std::size_t i = 0; i < texto.size(); ++posicao) {
        if (Casa(texto, i, padrao, p, -1)) return sqlite3_result_int64(c, posicao);
        CaractereDobrado(texto, i);
    }
    sqlite3_result_int(c, 0);
}

char CodigoSoundex(char letra) {
    static const char* const kGrupos[] = {"BFPV", "CGJKQSXZ", "DT", "L", "MN", "R"};
    for (int k = 0; k < 6; ++k)
        for (const char* g = kGrupos[k]; *g; ++g)
            if (*g == letra) return static_cast<char>('1' + k);
    return 0;
}

// The four characters of SOUNDEX; "" for a text without a leading letter.
std::string Soundex(const std::string& s) {
    std::string letras;
    for (char ch : s) {
        const char m = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
        if (m < 'A' || m > 'Z') {
            if (letras.empty() && ch == ' ') continue;
            break;
        }
        letras += m;
    }
    if (letras.empty()) return "";
    std::string r(1, letras[0]);
    char anterior = CodigoSoundex(letras[0]);
    for (std::size_t k = 1; k < letras.size() && r.size() < 4; ++k) {
        const char l = letras[k];
        if (l == 'H' || l == 'W') continue;  // letters apart by H or W code once
        const char codigo = CodigoSoundex(l);
        if (codigo && codigo != anterior) r += codigo;
        anterior = codigo;
    }
    return r + std::string(4 - r.size(), '0');
}

void FnSoundex(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0])) return sqlite3_result_null(c);
    ResultadoTexto(c, Soundex(TextoDoArgumento(a[0])));
}

// DIFFERENCE: how many of the two SOUNDEX codes' four characters agree (0 to 4).
void FnDifference(sqlite3_context* c, int, sqlite3_value** a) {
    if (Nulo(a[0]) || Nulo(a[1])) return sqlite3_result_null(c);
    const std::string x = Soundex(TextoDoArgumento(a[0])), y = Soundex(TextoDoArgumento(a[1]));
    int iguais = 0;
    for (std::size_t k = 0; k < 4 && k < x.size() && k < y.size(); ++k)
        if (x[k] == y[k]) ++iguais;
    sqlite3_result_int(c, iguais);
}

void FnIsNumeric(sqlite3_context* c, int, sqlite3_value** a) {
    const int t = sqlite3_value_type(a[0]);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_int(c, 1);
    sqlite3_result_int(c, t == SQLITE_TEXT && EhNumericoParaSqlServer(TextoDe(a[0])) ? 1 : 0);
}

// The currency symbols money takes before its number.
bool EhSimboloDeMoeda(char32_t c) {
    static const char32_t kSimbolos[] = {'$',    0xA2,   0xA3,   0xA4,   0xA5,   0x09F2, 0x09F3,
                                         0x0E3F, 0x17DB, 0x20A0, 0x20A1, 0x20A2, 0x20A3, 0x20A4,
                                         0x20A5, 0x20A6, 0x20A7, 0x20A8, 0x20A9, 0x20AA, 0x20AB,
                                         0x20AC, 0x20AD, 0x20AE, 0x20AF, 0x20B0, 0x20B1, 0xFDFC,
                                         0xFE69, 0xFF04, 0xFFE0, 0xFFE1, 0xFFE5, 0xFFE6};
    for (char32_t s : kSimbolos)
        if (s == c) return true;
    return false;
}

bool Branco(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

// Sign, currency symbol (either order), then digits with commas and one point: what money
// and ISNUMERIC take; `numero` gets the sign and the digits alone.
bool LerComoMoeda(std::string_view s, std::string& numero, bool& temDigito, std::size_t& fim) {
    std::size_t i = 0;
    bool sinal = false, simbolo = false, ponto = false;
    numero.clear();
    temDigito = false;
    while (i < s.size()) {
        const char ch = s[i];
        if ((ch == '+' || ch == '-') && !sinal && !temDigito && !ponto) {
            sinal = true;
            if (ch == '-') numero += '-';
            ++i;
        } else if (ch >= '0' && ch <= '9') {
            temDigito = true;
            numero += ch;
            ++i;
        } else if (ch == ',' && !ponto) {
            ++i;
        } else if (ch == '.' && !ponto) {
            ponto = true;
            numero += '.';
            ++i;
        } else {
            std::size_t j = i;
            const char32_t c = LerCodigo(s, j);
            if (simbolo || temDigito || ponto || !EhSimboloDeMoeda(c)) break;
            simbolo = true;
            i = j;
        }
    }
    fim = i;
    return true;
}

std::string_view Aparado(std::string_view s) {
    while (!s.empty() && Branco(s.front())) s.remove_prefix(1);
    while (!s.empty() && Branco(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

bool EhNumericoParaSqlServer(const std::string& texto) {
    const std::string_view s = Aparado(texto);
    if (s.empty()) return false;
    std::string numero;
    bool digito = false;
    std::size_t fim = 0;
    LerComoMoeda(s, numero, digito, fim);
    if (fim == s.size()) return true;
    // an exponent, as float reads it: 1e5, 1.5E-3, 2d1
    if (!digito || (s[fim] != 'e' && s[fim] != 'E' && s[fim] != 'd' && s[fim] != 'D')) return false;
    std::size_t i = fim + 1;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t digitos = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i == s.size() && i > digitos;
}

bool LerTextoDeMoeda(const std::string& texto, std::string& numero) {
    const std::string_view s = Aparado(texto);
    bool digito = false;
    std::size_t fim = 0;
    LerComoMoeda(s, numero, digito, fim);
    if (fim != s.size()) return false;
    if (!digito) numero += '0';  // '$', '-' and '' are zero to money
    if (numero.front() == '.' || (numero.front() == '-' && numero.size() > 1 && numero[1] == '.'))
        numero.insert(numero.front() == '-' ? 1 : 0, "0");
    if (numero.back() == '.') numero += '0';
    return true;
}

std::string BytesDeVarchar(const std::string& utf8) {
    std::string r;
    for (std::size_t i = 0; i < utf8.size();)
        r += static_cast<char>(ParaCp1252(LerCodigo(utf8, i)));
    return r;
}

std::string BytesDeNvarchar(const std::string& utf8) {
    std::string r;
    const auto unidade = [&](char32_t u) {
        r += static_cast<char>(u & 0xFF);
        r += static_cast<char>((u >> 8) & 0xFF);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = LerCodigo(utf8, i);
        if (c < 0x10000) {
            unidade(c);
        } else {
            unidade(0xD800 + ((c - 0x10000) >> 10));
            unidade(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return r;
}

std::string TextoDeBytesVarchar(std::string_view bytes) {
    std::string r;
    for (unsigned char b : bytes) r += Utf8(DoCp1252(b));
    return r;
}

std::string TextoDeBytesNvarchar(std::string_view bytes) {
    std::string r;
    const auto unidade = [&](std::size_t i) -> char32_t {
        const auto baixo = static_cast<unsigned char>(bytes[i]);
        const auto alto = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        return static_cast<char32_t>(baixo | (alto << 8));
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t u = unidade(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 2 < bytes.size()) {
            const char32_t v = unidade(i + 2);
            if (v >= 0xDC00 && v < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                i += 2;
            }
        }
        r += Utf8(u);
    }
    return r;
}

namespace {

// zv_bytes(x, nacional): a text as the bytes its type keeps, for CAST to binary; other
// values as they are.
void FnBytes(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) != SQLITE_TEXT) return sqlite3_result_value(c, a[0]);
    const std::string texto = TextoDe(a[0]);
    const std::string b = sqlite3_value_int(a[1]) ? BytesDeNvarchar(texto) : BytesDeVarchar(texto);
    sqlite3_result_blob(c, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
}

}  // namespace

void RegistrarFuncoesDeTexto(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    static int marca = 1;  // ASCII and CHAR; UNICODE and NCHAR go without it
    struct F {
        const char* nome;
        int args;
        void* dados;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const F funcoes[] = {
        {"zv_quotename", 1, nullptr, FnQuoteName}, {"zv_quotename", 2, nullptr, FnQuoteName},
        {"zv_stuff", 4, nullptr, FnStuff},         {"zv_ascii", 1, &marca, FnCodigo},
        {"zv_unicode", 1, nullptr, FnCodigo},      {"zv_char", 1, &marca, FnCaractere},
        {"zv_nchar", 1, nullptr, FnCaractere},     {"zv_patindex", 2, nullptr, FnPatIndex},
        {"zv_soundex", 1, nullptr, FnSoundex},     {"zv_difference", 2, nullptr, FnDifference},
        {"zv_isnumeric", 1, nullptr, FnIsNumeric}, {"zv_bytes", 2, nullptr, FnBytes},
    };
    for (const auto& f : funcoes)
        sqlite3_create_function(db, f.nome, f.args, det, f.dados, f.fn, nullptr, nullptr);
}

}  // namespace zolvek::simulador
