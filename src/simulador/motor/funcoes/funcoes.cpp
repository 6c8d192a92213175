#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/funcoes/funcoes_catalogo.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_datas.hpp"
#include "simulador/motor/funcoes/funcoes_de_busca.hpp"
#include "simulador/motor/funcoes/funcoes_decimais.hpp"
#include "simulador/motor/funcoes/funcoes_estatisticas.hpp"
#include "simulador/motor/funcoes/funcoes_formato.hpp"
#include "simulador/motor/funcoes/funcoes_inteiras.hpp"
#include "simulador/motor/funcoes/funcoes_matematicas.hpp"
#include "simulador/motor/funcoes/funcoes_resumos.hpp"
#include "simulador/motor/funcoes/funcoes_subconsulta.hpp"
#include "simulador/motor/funcoes/funcoes_texto.hpp"
#include "simulador/motor/funcoes/funcoes_xml.hpp"
#include "simulador/motor/funcoes/sessao_das_funcoes.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

SessaoDasFuncoes* Dono(sqlite3_context* c) {
    return static_cast<SessaoDasFuncoes*>(sqlite3_user_data(c));
}

std::string TextoDe(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<std::size_t>(sqlite3_value_bytes(v)))
             : std::string();
}

void ResultadoTexto(sqlite3_context* c, const std::string& s) {
    sqlite3_result_text(c, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void ResultadoDataHora(sqlite3_context* c, const db::DataHora& d) {
    ResultadoTexto(c, FormatarDataHora(d));
    sqlite3_result_subtype(c, kSubtipoDataHora);
}

std::size_t ContarCaracteres(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char ch : s)
        if ((ch & 0xC0) != 0x80) ++n;
    return n;
}

std::string Primeiros(std::string_view s, std::size_t n) {
    std::size_t i = 0, k = 0;
    while (i < s.size() && k < n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        ++k;
    }
    return std::string(s.substr(0, i));
}

std::string NumeroComoTexto(sqlite3_value* v) {
    if (sqlite3_value_type(v) == SQLITE_INTEGER) return std::to_string(sqlite3_value_int64(v));
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", sqlite3_value_double(v));
    return b;
}

bool LerDataHoraDoValor(sqlite3_value* v, db::DataHora& d) {
    int tipo = sqlite3_value_type(v);
    if (tipo == SQLITE_INTEGER || tipo == SQLITE_FLOAT) {
        d = DataHoraDeDias1900(sqlite3_value_double(v));
        return true;
    }
    return LerDataHora(TextoDe(v), d);
}

bool LerNumero(const std::string& texto, double& saida, bool& inteiro, std::int64_t& valorInteiro) {
    std::string s = texto;
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.erase(0, 1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    if (s.empty()) return false;
    char* fim = nullptr;
    errno = 0;
    long long ll = std::strtoll(s.c_str(), &fim, 10);
    if (*fim == '\0' && errno == 0) {
        inteiro = true;
        valorInteiro = ll;
        saida = static_cast<double>(ll);
        return true;
    }
    inteiro = false;
    double d = std::strtod(s.c_str(), &fim);
    if (*fim != '\0') return false;
    saida = d;
    return true;
}

namespace {

void FnGetDate(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoDataHora(c, DataHoraAtual());
}

void FnSysDateTime(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoDataHora(c, DataHoraAtualPrecisa(sqlite3_user_data(c) != nullptr));
}

void FnGetUtcDate(sqlite3_context* c, int, sqlite3_value**) {
    std::time_t agora = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&agora, &utc);
    db::DataHora d;
    d.ano = utc.tm_year + 1900;
    d.mes = utc.tm_mon + 1;
    d.dia = utc.tm_mday;
    d.hora = utc.tm_hour;
    d.minuto = utc.tm_min;
    d.segundo = utc.tm_sec;
    ResultadoDataHora(c, d);
}

void FnDt(sqlite3_context* c, int, sqlite3_value** a) {
    sqlite3_result_value(c, a[0]);
    if (sqlite3_value_type(a[0]) == SQLITE_TEXT) sqlite3_result_subtype(c, kSubtipoDataHora);
}

void FnSuserSname(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, Dono(c)->NomeDoLogin());
}
void FnUserName(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, Dono(c)->NomeDoUsuario());
}
void FnHostName(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, Dono(c)->Host());
}
void FnAppName(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, Dono(c)->Programa());
}
void FnSpid(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int(c, Dono(c)->Spid());
}
void FnIdentity(sqlite3_context* c, int, sqlite3_value**) {
    if (const auto& v = Dono(c)->UltimaIdentidade())
        sqlite3_result_int64(c, *v);
    else
        sqlite3_result_null(c);
}
void FnTrancount(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int(c, Dono(c)->NivelDeTransacao());
}
void FnXactState(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int(c, Dono(c)->EstadoDaTransacao());
}
void FnVersion(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, Dono(c)->ServidorAtual().TextoDaVersao());
}
// @@MICROSOFTVERSION: the major version in the high byte, the build in the low 16 bits.
void FnMicrosoftVersion(sqlite3_context* c, int, sqlite3_value**) {
    const std::string v = Dono(c)->ServidorAtual().Versao().produto;  // "11.0.2100.60"
    const std::size_t p1 = v.find('.'), p2 = v.find('.', p1 + 1);
    const std::int64_t maior = std::atoll(v.c_str()), construcao = std::atoll(v.c_str() + p2 + 1);
    sqlite3_result_int64(c, (maior << 24) + construcao);
}
void FnServerName(sqlite3_context* c, int, sqlite3_value**) {
    ResultadoTexto(c, Dono(c)->ServidorAtual().Nome());
}

void FnIsMember(sqlite3_context* c, int, sqlite3_value** a) {
    int r = Dono(c)->EhMembro(TextoDe(a[0]));
    if (r < 0)
        sqlite3_result_null(c);
    else
        sqlite3_result_int(c, r);
}

// IS_SRVROLEMEMBER(papel [, login]): sysadmin holds every fixed server role; NULL for a
// role or login there is not.
void FnIsSrvRoleMember(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL ||
        (n > 1 && sqlite3_value_type(a[1]) == SQLITE_NULL))
        return sqlite3_result_null(c);
    const std::string papel = Dobrar(TextoDe(a[0]));
    bool sysadmin = Dono(c)->Sysadmin();
    if (n > 1) {
        try {
            const auto login = Dono(c)->ServidorAtual().AcharLogin(TextoDe(a[1]));
            if (!login) return sqlite3_result_null(c);
            sysadmin = login->sysadmin;
        } catch (const ErroDeBanco& e) {
            return FalharNaFuncao(c, e);
        }
    }
    if (papel == "public") return sqlite3_result_int(c, 1);
    for (const char* p : {"sysadmin", "serveradmin", "setupadmin", "securityadmin", "processadmin",
                          "dbcreator", "diskadmin", "bulkadmin"})
        if (papel == p) return sqlite3_result_int(c, sysadmin ? 1 : 0);
    sqlite3_result_null(c);
}

}  // namespace

// 'dbo.[X]', '[X]', 'DB.dbo.X' -> X; names of another database give nothing.
// The parts of a name given as text ('dbo.Ordem de Serviço', '[dbo].[T]'), split at
// the dots outside brackets and quotes; a part written bare keeps its inner blanks.
std::vector<std::string> PartesDoNome(std::string_view texto) {
    std::vector<std::string> partes(1);
    std::size_t i = 0;
    while (i < texto.size()) {
        char c = texto[i];
        if (c == '[' || c == '"') {
            char fecho = c == '[' ? ']' : '"';
            for (++i; i < texto.size(); ++i) {
                if (texto[i] == fecho) {
                    if (i + 1 < texto.size() && texto[i + 1] == fecho) {
                        partes.back() += fecho;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                partes.back() += texto[i];
            }
            continue;
        }
        if (c == '.')
            partes.emplace_back();
        else
            partes.back() += c;
        ++i;
    }
    for (auto& p : partes) {
        while (!p.empty() && p.back() == ' ') p.pop_back();
        while (!p.empty() && p.front() == ' ') p.erase(0, 1);
    }
    return partes;
}

std::string NomeSimples(const std::string& texto, bool& outroBanco, const std::string& banco) {
    std::vector<std::string> partes = PartesDoNome(texto);
    outroBanco = partes.size() >= 3 && !partes[partes.size() - 3].empty() &&
                 !IguaisCiAs(partes[partes.size() - 3], banco);
    return partes.back();
}

namespace {

void FnObjectId(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) {
        sqlite3_result_null(c);
        return;
    }
    bool outro = false;
    std::string nome = NomeSimples(TextoDe(a[0]), outro, Dono(c)->Banco());
    if (outro) {
        sqlite3_result_null(c);
        return;
    }
    auto id = Dono(c)->CatalogoAtual().IdDoObjeto(nome);
    if (id)
        sqlite3_result_int64(c, *id);
    else
        sqlite3_result_null(c);
}

void FnDbName(sqlite3_context* c, int n, sqlite3_value** a) {
    if (n == 0 || sqlite3_value_type(a[0]) == SQLITE_NULL) {
        ResultadoTexto(c, Dono(c)->Banco());
        return;
    }
    try {
        auto b = Dono(c)->ServidorAtual().AcharBancoPorId(sqlite3_value_int(a[0]));
        if (b)
            ResultadoTexto(c, b->nome);
        else
            sqlite3_result_null(c);
    } catch (const ErroDeBanco& e) {
        FalharNaFuncao(c, e);
    }
}

void FnDbId(sqlite3_context* c, int n, sqlite3_value** a) {
    try {
        std::string nome = n == 0 ? Dono(c)->Banco() : TextoDe(a[0]);
        auto b = Dono(c)->ServidorAtual().AcharBanco(nome);
        if (b)
            sqlite3_result_int(c, b->id);
        else
            sqlite3_result_null(c);
    } catch (const ErroDeBanco& e) {
        FalharNaFuncao(c, e);
    }
}

void FnLen(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) {
        sqlite3_result_null(c);
        return;
    }
    std::string s = TextoDoArgumento(a[0]);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    sqlite3_result_int64(c, static_cast<std::int64_t>(ContarCaracteres(s)));
}

// DATALENGTH of a text counts its characters (a byte each in varchar), NUL included,
// which SQLite's length() stops at; a binary value counts its bytes.
void FnDataLength(sqlite3_context* c, int, sqlite3_value** a) {
    switch (sqlite3_value_type(a[0])) {
        case SQLITE_NULL:
            return sqlite3_result_null(c);
        case SQLITE_BLOB:
            return sqlite3_result_int64(c, sqlite3_value_bytes(a[0]));
        case SQLITE_TEXT:
            return sqlite3_result_int64(c,
                                        static_cast<std::int64_t>(ContarCaracteres(TextoDe(a[0]))));
        default:
            return sqlite3_result_int64(c, static_cast<std::int64_t>(NumeroComoTexto(a[0]).size()));
    }
}

void FnLeft(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::int64_t n = std::max<std::int64_t>(0, sqlite3_value_int64(a[1]));
    ResultadoTexto(c, Primeiros(TextoDe(a[0]), static_cast<std::size_t>(n)));
}

void FnRight(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = TextoDe(a[0]);
    std::size_t total = ContarCaracteres(s);
    std::size_t n = static_cast<std::size_t>(std::max<std::int64_t>(0, sqlite3_value_int64(a[1])));
    if (n >= total) return ResultadoTexto(c, s);
    std::size_t pular = total - n, i = 0, k = 0;
    while (i < s.size() && k < pular) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        ++k;
    }
    ResultadoTexto(c, s.substr(i));
}

void FnUpper(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = TextoDe(a[0]), r;
    // ASCII and the Latin-1 letters (two-byte UTF-8 forms C3 A0..C3 BE)
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(s[i]);
        if (ch >= 'a' && ch <= 'z')
            r += static_cast<char>(ch - 32);
        else if (ch == 0xC3 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0xA0 &&
                 static_cast<unsigned char>(s[i + 1]) <= 0xBE &&
                 static_cast<unsigned char>(s[i + 1]) != 0xB7) {
            r += static_cast<char>(0xC3);
            r += static_cast<char>(static_cast<unsigned char>(s[++i]) - 0x20);
        } else
            r += static_cast<char>(ch);
    }
    ResultadoTexto(c, r);
}

void FnLower(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = TextoDe(a[0]), r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(s[i]);
        if (ch >= 'A' && ch <= 'Z')
            r += static_cast<char>(ch + 32);
        else if (ch == 0xC3 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(s[i + 1]) <= 0x9E &&
                 static_cast<unsigned char>(s[i + 1]) != 0x97) {
            r += static_cast<char>(0xC3);
            r += static_cast<char>(static_cast<unsigned char>(s[++i]) + 0x20);
        } else
            r += static_cast<char>(ch);
    }
    ResultadoTexto(c, r);
}

void FnCeiling(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_INTEGER) return sqlite3_result_value(c, a[0]);
    sqlite3_result_double(c, std::ceil(sqlite3_value_double(a[0])));
}
void FnFloor(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_INTEGER) return sqlite3_result_value(c, a[0]);
    sqlite3_result_double(c, std::floor(sqlite3_value_double(a[0])));
}
// A float past float's range is SQL Server's overflow, never SQLite's Inf.
void ResultadoFloat(sqlite3_context* c, double v) {
    if (std::isinf(v)) return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "float"}));
    sqlite3_result_double(c, v);
}
void FnPower(sqlite3_context* c, int, sqlite3_value** a) {
    ResultadoFloat(c, std::pow(sqlite3_value_double(a[0]), sqlite3_value_double(a[1])));
}
void FnSquare(sqlite3_context* c, int, sqlite3_value** a) {
    double v = sqlite3_value_double(a[0]);
    ResultadoFloat(c, v * v);
}
void FnRound(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    int casas = sqlite3_value_int(a[1]);
    double fator = std::pow(10.0, casas);
    double v = sqlite3_value_double(a[0]) * fator;
    v = (n > 2 && sqlite3_value_int(a[2]) != 0) ? std::trunc(v) : std::round(v);
    if (sqlite3_value_type(a[0]) == SQLITE_INTEGER)
        sqlite3_result_int64(c, static_cast<std::int64_t>(v / fator));
    else
        sqlite3_result_double(c, v / fator);
}
// Texts longer than SQL Server's 2 GB are refused long before: the stand-in builds a
// value in memory.
constexpr std::int64_t kMaiorTextoMontado = 256LL * 1024 * 1024;

// SPACE gives at most 8 000 spaces (varchar); NULL for a negative count.
void FnSpace(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    const std::int64_t n = sqlite3_value_int64(a[0]);
    if (n < 0) return sqlite3_result_null(c);
    ResultadoTexto(c, std::string(static_cast<std::size_t>(std::min<std::int64_t>(n, 8000)), ' '));
}

// REPLICATE(texto, n[, limite]): `limite` is the most characters the input's type holds
// (8 000 for varchar, 4 000 for nvarchar; 0 for the max types), where SQL Server cuts
// the result. An input longer than that can only be of a max type.
void FnReplicate(sqlite3_context* c, int argc, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    const std::int64_t vezes = sqlite3_value_int64(a[1]);
    if (vezes < 0) return sqlite3_result_null(c);
    const std::string s = TextoDe(a[0]);
    const std::size_t caracteres = ContarCaracteres(s);
    std::int64_t limite = argc > 2 ? sqlite3_value_int64(a[2]) : 8000;
    if (limite > 0 && caracteres > static_cast<std::size_t>(limite)) limite = 0;
    if (s.empty() || vezes == 0) return ResultadoTexto(c, "");
    std::int64_t copias = vezes;
    if (limite > 0)
        copias = std::min<std::int64_t>(vezes, limite / static_cast<std::int64_t>(caracteres) + 1);
    if (copias > kMaiorTextoMontado / static_cast<std::int64_t>(s.size()))
        return FalharNaFuncao(
            c, Recusa("O simulador de SQL Server não monta textos de mais de 256 MB (REPLICATE)."));
    std::string r;
    r.reserve(s.size() * static_cast<std::size_t>(copias));
    for (std::int64_t k = 0; k < copias; ++k) r += s;
    if (limite > 0) r = Primeiros(r, static_cast<std::size_t>(limite));
    ResultadoTexto(c, r);
}
void FnNewId(sqlite3_context* c, int, sqlite3_value**) {
    static thread_local std::mt19937_64 g{std::random_device{}()};
    char b[40];
    std::uint64_t x = g(), y = g();
    std::snprintf(b, sizeof b, "%08X-%04X-4%03X-%04X-%012llX", static_cast<unsigned>(x >> 32),
                  static_cast<unsigned>((x >> 16) & 0xFFFF), static_cast<unsigned>(x & 0xFFF),
                  static_cast<unsigned>(0x8000 | ((y >> 48) & 0x3FFF)),
                  static_cast<unsigned long long>(y & 0xFFFFFFFFFFFFULL));
    ResultadoTexto(c, b);
}
void FnServerProperty(sqlite3_context* c, int, sqlite3_value** a) {
    std::string p = Dobrar(TextoDe(a[0]));
    if (p == "productversion")
        ResultadoTexto(c, Dono(c)->ServidorAtual().Versao().produto);
    else if (p == "productlevel")
        ResultadoTexto(c, "RTM");
    else if (p == "edition")
        ResultadoTexto(c, "Express Edition");
    else if (p == "servername" || p == "machinename")
        ResultadoTexto(c, Dono(c)->ServidorAtual().Nome());
    else if (p == "collation")
        ResultadoTexto(c, "Latin1_General_CI_AS");
    else if (p == "isfulltextinstalled")  // the stand-in has no full-text search
        sqlite3_result_int(c, 0);
    else
        sqlite3_result_null(c);
}
// FULLTEXTSERVICEPROPERTY: a server without full-text search, as generated scripts ask.
void FnFullTextServiceProperty(sqlite3_context* c, int, sqlite3_value** a) {
    if (Dobrar(TextoDe(a[0])) == "isfulltextinstalled")
        sqlite3_result_int(c, 0);
    else
        sqlite3_result_null(c);
}
// ISDATE: 1 for a text or number that converts to a datetime (1753 to 9999).
void FnIsDate(sqlite3_context* c, int, sqlite3_value** a) {
    db::DataHora d;
    const int t = sqlite3_value_type(a[0]);
    const bool ok = t == SQLITE_TEXT && LerDataHoraDoValor(a[0], d) && d.ano >= 1753;
    sqlite3_result_int(c, ok ? 1 : 0);
}
// REVERSE by characters, not bytes.
void FnReverse(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    const std::string s = TextoDoArgumento(a[0]);
    std::string r;
    r.reserve(s.size());
    for (std::size_t fim = s.size(); fim > 0;) {
        std::size_t inicio = fim - 1;
        while (inicio > 0 && (static_cast<unsigned char>(s[inicio]) & 0xC0) == 0x80) --inicio;
        r.append(s, inicio, fim - inicio);
        fim = inicio;
    }
    ResultadoTexto(c, r);
}
void FnStr(sqlite3_context* c, int n, sqlite3_value** a) {
    int tam = n > 1 ? sqlite3_value_int(a[1]) : 10, dec = n > 2 ? sqlite3_value_int(a[2]) : 0;
    char b[128];
    std::snprintf(b, sizeof b, "%*.*f", tam, dec, sqlite3_value_double(a[0]));
    std::string s = b;
    if (static_cast<int>(s.size()) > tam) s = std::string(static_cast<std::size_t>(tam), '*');
    ResultadoTexto(c, s);
}
void FnBytes8(sqlite3_context* c, int, sqlite3_value** a) {
    std::int64_t x = sqlite3_value_int64(a[0]);
    unsigned char b[8];
    for (int k = 0; k < 8; ++k) b[k] = static_cast<unsigned char>(x >> (56 - 8 * k));
    sqlite3_result_blob(c, b, 8, SQLITE_TRANSIENT);
}
void FnUm(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int(c, 1);
}

}  // namespace

// One UTF-8 character of s at i, folded for comparison.
std::string CaractereDobrado(const std::string& s, std::size_t& i) {
    std::size_t n = 1;
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0xF0)
        n = 4;
    else if (c >= 0xE0)
        n = 3;
    else if (c >= 0xC0)
        n = 2;
    std::string r = Dobrar(s.substr(i, n));
    i += n;
    return r.empty() ? " " : r;
}

// T-SQL's LIKE: % and _, [abc], [a-z] and [^abc], without letter case.
bool Casa(const std::string& texto, std::size_t i, const std::string& padrao, std::size_t p,
          int escape) {
    while (p < padrao.size()) {
        char c = padrao[p];
        if (escape >= 0 && static_cast<unsigned char>(c) == escape && p + 1 < padrao.size()) {
            std::size_t q = p + 1;
            std::string literal = CaractereDobrado(padrao, q);
            if (i >= texto.size() || CaractereDobrado(texto, i) != literal) return false;
            p = q;
            continue;
        }
        if (c == '%') {
            while (p < padrao.size() && padrao[p] == '%') ++p;
            if (p == padrao.size()) return true;
            for (std::size_t k = i; k <= texto.size();) {
                if (Casa(texto, k, padrao, p, escape)) return true;
                if (k == texto.size()) break;
                CaractereDobrado(texto, k);
            }
            return false;
        }
        if (i >= texto.size()) return false;
        if (c == '_') {
            CaractereDobrado(texto, i);
            ++p;
            continue;
        }
        if (c == '[' && padrao.find(']', p + 1) != std::string::npos) {
            std::size_t fim = padrao.find(']', p + 1);
            std::string atual = CaractereDobrado(texto, i);
            std::size_t q = p + 1;
            bool negado = q < fim && padrao[q] == '^';
            if (negado) ++q;
            bool achou = false;
            while (q < fim) {
                std::string a = CaractereDobrado(padrao, q);
                if (q < fim && padrao[q] == '-' && q + 1 < fim) {
                    ++q;
                    std::string b = CaractereDobrado(padrao, q);
                    if (a <= atual && atual <= b) achou = true;
                } else if (a == atual) {
                    achou = true;
                }
            }
            if (achou == negado) return false;
            p = fim + 1;
            continue;
        }
        std::size_t q = p;
        if (CaractereDobrado(padrao, q) != CaractereDobrado(texto, i)) return false;
        p = q;
    }
    while (!texto.empty() && i < texto.size() && texto[i] == ' ') ++i;
    return i >= texto.size();
}

namespace {

void FnLike(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    int escape = -1;
    if (n > 2 && sqlite3_value_type(a[2]) != SQLITE_NULL) {
        std::string e = TextoDe(a[2]);
        if (!e.empty()) escape = static_cast<unsigned char>(e[0]);
    }
    std::string texto = TextoDoArgumento(a[1]);
    sqlite3_result_int(c, Casa(texto, 0, TextoDe(a[0]), 0, escape) ? 1 : 0);
}

}  // namespace

namespace {

struct FuncaoSql {
    const char* nome;
    int args;
    int flags;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
};

constexpr int kDeterministica = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
constexpr int kVariavel = SQLITE_UTF8;

void RegistrarTabelaDeFuncoes(sqlite3* db, SessaoDasFuncoes* s, const FuncaoSql* inicio,
                              const FuncaoSql* fim) {
    for (const FuncaoSql* f = inicio; f != fim; ++f)
        sqlite3_create_function(db, f->nome, f->args, f->flags, s, f->fn, nullptr, nullptr);
}

// Dates, texts, numbers and LIKE: what a constraint, default or view may call anywhere.
void RegistrarFuncoesEscalares(sqlite3* db, SessaoDasFuncoes* s) {
    const int det = kDeterministica;
    const int nd = kVariavel;
    const FuncaoSql funcoes[] = {
        {"zv_getdate", 0, nd, FnGetDate},
        {"zv_getutcdate", 0, nd, FnGetUtcDate},
        {"zv_dt", 1, det, FnDt},
        {"zv_len", 1, det, FnLen},
        {"zv_datalength", 1, det, FnDataLength},
        {"zv_left", 2, det, FnLeft},
        {"zv_right", 2, det, FnRight},
        {"zv_upper", 1, det, FnUpper},
        {"zv_lower", 1, det, FnLower},
        {"zv_ceiling", 1, det, FnCeiling},
        {"zv_floor", 1, det, FnFloor},
        {"zv_power", 2, det, FnPower},
        {"zv_square", 1, det, FnSquare},
        {"zv_round", 2, det, FnRound},
        {"zv_round", 3, det, FnRound},
        {"zv_space", 1, det, FnSpace},
        {"zv_replicate", 2, det, FnReplicate},
        {"zv_replicate", 3, det, FnReplicate},
        {"zv_newid", 0, nd, FnNewId},
        {"zv_isdate", 1, det, FnIsDate},
        {"zv_reverse", 1, det, FnReverse},
        {"zv_str", 1, det, FnStr},
        {"zv_str", 2, det, FnStr},
        {"zv_str", 3, det, FnStr},
        {"zv_bytes8", 1, det, FnBytes8},
        {"zv_has_dbaccess", 1, nd, FnUm},
        {"like", 2, det, FnLike},
        {"like", 3, det, FnLike},
    };
    RegistrarTabelaDeFuncoes(db, s, std::begin(funcoes), std::end(funcoes));
    static int utc = 1;
    sqlite3_create_function(db, "zv_sysdatetime", 0, nd, nullptr, FnSysDateTime, nullptr, nullptr);
    sqlite3_create_function(db, "zv_sysutcdatetime", 0, nd, &utc, FnSysDateTime, nullptr, nullptr);
}

// What tells of the session (Dono): its login, user, connection, transaction, server and
// databases.
void RegistrarFuncoesDaSessao(sqlite3* db, SessaoDasFuncoes* s) {
    const int det = kDeterministica;
    const int nd = kVariavel;
    const FuncaoSql funcoes[] = {
        {"zv_suser_sname", 0, nd, FnSuserSname},
        {"zv_suser_sname", 1, nd, FnSuserSname},
        {"zv_user_name", 0, nd, FnUserName},
        {"zv_user_name", 1, nd, FnUserName},
        {"zv_host_name", 0, nd, FnHostName},
        {"zv_app_name", 0, nd, FnAppName},
        {"zv_spid", 0, nd, FnSpid},
        {"zv_trancount", 0, nd, FnTrancount},
        {"zv_xact_state", 0, nd, FnXactState},
        {"zv_version", 0, nd, FnVersion},
        {"zv_servername", 0, nd, FnServerName},
        {"zv_microsoftversion", 0, nd, FnMicrosoftVersion},
        {"zv_is_member", 1, nd, FnIsMember},
        {"zv_is_srvrolemember", 1, nd, FnIsSrvRoleMember},
        {"zv_is_srvrolemember", 2, nd, FnIsSrvRoleMember},
        // constant in a statement: SQLite computes it once, and seeks by it (id = OBJECT_ID(...))
        {"zv_object_id", 1, det, FnObjectId},
        {"zv_object_id", 2, det, FnObjectId},
        {"zv_db_name", 0, nd, FnDbName},
        {"zv_db_name", 1, nd, FnDbName},
        {"zv_db_id", 0, nd, FnDbId},
        {"zv_db_id", 1, nd, FnDbId},
        {"zv_serverproperty", 1, nd, FnServerProperty},
        {"zv_fulltextserviceproperty", 1, nd, FnFullTextServiceProperty},
        {"zv_identity", 0, nd, FnIdentity},
    };
    RegistrarTabelaDeFuncoes(db, s, std::begin(funcoes), std::end(funcoes));
}

}  // namespace

namespace {

// A database file the server opens without a session (a backup, a restore's check) gets
// the functions its constraints, defaults, indexes and views may call.
void RegistrarFuncoesDoServidor(sqlite3* db) {
    RegistrarFuncoes(db, nullptr);
}
[[maybe_unused]] const bool kFuncoesNoServidor =
    (interno::DefinirRegistroDasFuncoes(RegistrarFuncoesDoServidor), true);

}  // namespace

void RegistrarFuncoes(sqlite3* db, SessaoDasFuncoes* s) {
    RegistrarFuncoesDeConversao(db, s);
    RegistrarFuncoesEscalares(db, s);
    // A connection of the server itself (a backup, a restore's check) has no session: it
    // gets every function a constraint, default or view may call but those that tell of
    // the session.
    if (s) RegistrarFuncoesDaSessao(db, s);
    RegistrarFuncoesDecimais(db);
    RegistrarFuncoesInteiras(db);
    RegistrarFuncoesMatematicas(db);
    RegistrarFuncoesDeBusca(db);
    RegistrarFuncoesDeSubconsulta(db);
    RegistrarFuncoesDeDatas(db);
    RegistrarAritmeticaDeDatas(db);
    RegistrarFuncoesDeFuso(db);
    RegistrarFuncoesDeTexto(db);
    RegistrarFuncaoFormat(db);
    if (s) RegistrarFuncoesDeCatalogo(db, s);
    RegistrarFuncoesEstatisticas(db);
    RegistrarFuncoesDeResumo(db);
    RegistrarFuncoesDoUsuario(db);
    RegistrarFuncoesXml(db);
    RegistrarFuncaoMais(db);
}

}  // namespace zolvek::simulador
