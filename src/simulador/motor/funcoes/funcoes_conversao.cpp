// CAST, CONVERT, their TRY_ forms and zv_conv, the conversion of a value to a column's type
// on writing: T-SQL's rules from each SQLite value to each type.
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_datas.hpp"
#include "simulador/motor/funcoes/funcoes_decimais.hpp"
#include "simulador/motor/funcoes/funcoes_texto.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// A float as CAST writes it in style 0: at most six digits, in scientific notation when
// it needs more, its exponent in three digits ("1.23457e+006").
std::string FloatComoTexto(double x) {
    char b[64];
    std::snprintf(b, sizeof b, "%.6g", x);
    std::string s = b;
    const std::size_t e = s.find('e');
    if (e == std::string::npos || e + 2 >= s.size()) return s;
    std::string expoente = s.substr(e + 2);
    expoente.insert(0, expoente.size() < 3 ? 3 - expoente.size() : 0, '0');
    return s.substr(0, e + 2) + expoente;
}

// "yyyy-mm-dd hh:nn:ss.zzz", as date-time columns are stored.
bool PareceDataHoraGravada(const std::string& s) {
    static const std::string modelo = "dddd-dd-dd dd:dd:dd.ddd";
    if (s.size() != modelo.size()) return false;
    for (std::size_t k = 0; k < s.size(); ++k) {
        bool digito = s[k] >= '0' && s[k] <= '9';
        if (modelo[k] == 'd' ? !digito : s[k] != modelo[k]) return false;
    }
    return true;
}

bool EhNacional(TipoBase b) {
    return b == TipoBase::NChar || b == TipoBase::NVarChar || b == TipoBase::NText;
}

// A text as binary: its Windows-1252 bytes, or with CONVERT's styles 1 ('0x4142') and 2
// ('4142') the bytes its hexadecimal digits spell; false when the digits do not.
bool LerBytesDoTexto(const std::string& texto, int estilo, std::string& bytes) {
    if (estilo != 1 && estilo != 2) {
        bytes = BytesDeVarchar(texto);
        return true;
    }
    std::string_view h = texto;
    if (estilo == 1) {
        if (h.size() < 2 || h[0] != '0' || (h[1] != 'x' && h[1] != 'X')) return false;
        h.remove_prefix(2);
    }
    if (h.size() % 2) return false;
    const auto digito = [](char ch) {
        if (ch >= '0' && ch <= '9') return ch - '0';
        if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
        if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
        return -1;
    };
    bytes.clear();
    for (std::size_t k = 0; k < h.size(); k += 2) {
        const int alto = digito(h[k]), baixo = digito(h[k + 1]);
        if (alto < 0 || baixo < 0) return false;
        bytes += static_cast<char>(alto * 16 + baixo);
    }
    return true;
}

// Gives the call's error; false, for the helpers that tell whether the conversion goes on.
bool FalhouAConversao(sqlite3_context* c, const ErroDeBanco& erro) {
    FalharNaFuncao(c, erro);
    return false;
}

// The text of a value converted to a character type, before its length is fitted: a
// binary's hexadecimal digits or its text, a date-time in the style asked for, a number as
// CAST writes it. False when the conversion failed (the call's error is given).
// `origem`: the value's SQLite type, read before anything converts it.
bool TextoDaConversao(sqlite3_context* c, sqlite3_value* v, int origem, TipoBase b, int estilo,
                      std::string_view tipoDoNumero, const TipoSql* origemData, std::string& s) {
    if (origem == SQLITE_BLOB && (estilo == 1 || estilo == 2)) {
        // binary as hexadecimal digits, with 0x in style 1
        static const char kHex[] = "0123456789ABCDEF";
        s = estilo == 1 ? "0x" : "";
        for (unsigned char byte : TextoDe(v)) {
            s += kHex[byte >> 4];
            s += kHex[byte & 15];
        }
    } else if (origem == SQLITE_BLOB && b != TipoBase::SqlVariant) {
        // bytes read as the target keeps text: nvarchar in UTF-16, varchar in Windows-1252
        const std::string bytes = TextoDe(v);
        s = EhNacional(b) ? TextoDeBytesNvarchar(bytes) : TextoDeBytesVarchar(bytes);
    } else if (origem == SQLITE_TEXT || origem == SQLITE_BLOB) {
        s = TextoDe(v);
        db::DataHora d;
        std::optional<ErroDeBanco> erro;
        if (origemData && origemData->base == TipoBase::DateTimeOffset &&
            b != TipoBase::SqlVariant) {
            if (!EscreverDataComFuso(TextoDe(v), *origemData, estilo, s, erro))
                return FalhouAConversao(c, *erro);
        } else if (origemData && b != TipoBase::SqlVariant && LerDataHora(s, d)) {
            if (!EscreverDataDoTipo(d, *origemData, estilo, s, erro))
                return FalhouAConversao(c, *erro);
        } else if ((sqlite3_value_subtype(v) == kSubtipoDataHora ||
                    (estilo > 0 && PareceDataHoraGravada(s))) &&
                   b != TipoBase::SqlVariant) {
            // a date-time column reaches here as its stored text; a style asks for a date
            std::string_view semFuso = s;
            int fuso = 0;
            const TipoSql comFuso{TipoBase::DateTimeOffset, 0, 34, 7};
            if (SepararFuso(semFuso, fuso)) {  // a datetimeoffset's text is its own form
                if (estilo != 0 && estilo != 121 &&
                    !EscreverDataComFuso(TextoDe(v), comFuso, estilo, s, erro))
                    return FalhouAConversao(c, *erro);
            } else if (LerDataHora(s, d) && !EscreverDataNoEstilo(d, estilo, s, erro))
                return FalhouAConversao(c, *erro);
        }
    } else if (tipoDoNumero == "float") {
        s = FloatComoTexto(sqlite3_value_double(v));
    } else {
        s = NumeroComoTexto(v);
    }
    return true;
}

// A text fitted to the length of its character type: a number too long shows '*' or
// fails, a text is cut (CONVERT/CAST, or only its trailing blanks) or fails, char and
// nchar are padded with blanks. False when the conversion failed.
bool AjustarAoTamanho(sqlite3_context* c, int origem, const TipoSql& t, bool explicito,
                      std::string_view tipoDoNumero, std::string& s) {
    const TipoBase b = t.base;
    std::size_t n = ContarCaracteres(s);
    if (tipoDoNumero.empty() && origem == SQLITE_INTEGER) tipoDoNumero = "int";
    if (tipoDoNumero.empty() && origem == SQLITE_FLOAT) tipoDoNumero = "float";
    if (explicito && n > static_cast<std::size_t>(t.tamanho) && !tipoDoNumero.empty()) {
        // int to (var)char shows '*'; any other number fails
        if (tipoDoNumero == "int" && (b == TipoBase::Char || b == TipoBase::VarChar)) {
            s = "*";
            n = 1;
        } else {
            return FalhouAConversao(
                c, ErroDoServidor(8115, {tipoDoNumero == "int" || tipoDoNumero == "money"
                                             ? std::string("expression")
                                             : tipoDoNumero,
                                         NomeDoTipo(b)}));
        }
    }
    if (n > static_cast<std::size_t>(t.tamanho)) {
        std::size_t semBrancos = n;
        std::string aparado = s;
        while (!aparado.empty() && aparado.back() == ' ') {
            aparado.pop_back();
            --semBrancos;
        }
        if (explicito) {
            s = Primeiros(s, static_cast<std::size_t>(t.tamanho));
        } else if (semBrancos <= static_cast<std::size_t>(t.tamanho)) {
            s = Primeiros(s, static_cast<std::size_t>(t.tamanho));
        } else {
            FalharNaFuncao(c, ErroDoServidor(8152));
            return false;
        }
    } else if ((b == TipoBase::Char || b == TipoBase::NChar) &&
               n < static_cast<std::size_t>(t.tamanho)) {
        s.append(static_cast<std::size_t>(t.tamanho) - n, ' ');
    }
    return true;
}

void ConverterEmTexto(sqlite3_context* c, sqlite3_value* v, const TipoSql& t, bool explicito,
                      int estilo, std::string_view tipoDoNumero, const TipoSql* origemData) {
    const int origem = sqlite3_value_type(v);
    const TipoBase b = t.base;
    std::string s;
    if (!TextoDaConversao(c, v, origem, b, estilo, tipoDoNumero, origemData, s)) return;
    if (b == TipoBase::UniqueIdentifier) {
        if (s.size() != 36) {
            FalharNaFuncao(c, ErroDoServidor(8169));
            return;
        }
    } else if (t.tamanho > 0) {
        if (!AjustarAoTamanho(c, origem, t, explicito, tipoDoNumero, s)) return;
    }
    if (b == TipoBase::SqlVariant) {
        sqlite3_result_value(c, v);
        return;
    }
    ResultadoTexto(c, s);
}

void ConverterEmBinario(sqlite3_context* c, sqlite3_value* v, const TipoSql& t, bool explicito,
                        int estilo) {
    const TipoBase b = t.base;
    const int origem = sqlite3_value_type(v);
    std::string texto;
    if (origem == SQLITE_TEXT) {
        if (!LerBytesDoTexto(TextoDe(v), estilo, texto))
            return FalharNaFuncao(c, ErroDoServidor(8114, {"varchar", "varbinary"}));
    }
    const void* p = origem == SQLITE_TEXT ? texto.data() : sqlite3_value_blob(v);
    int n = origem == SQLITE_TEXT ? static_cast<int>(texto.size()) : sqlite3_value_bytes(v);
    if (origem == SQLITE_INTEGER) {
        std::int64_t x = sqlite3_value_int64(v);
        unsigned char buf[8];
        for (int k = 0; k < 8; ++k) buf[k] = static_cast<unsigned char>(x >> (56 - 8 * k));
        int tam = t.tamanho > 0 && t.tamanho < 8 ? t.tamanho : (b == TipoBase::RowVersion ? 8 : 4);
        sqlite3_result_blob(c, buf + (8 - tam), tam, SQLITE_TRANSIENT);
        return;
    }
    if (t.tamanho > 0 && n > t.tamanho) {
        if (!explicito) {
            FalharNaFuncao(c, ErroDoServidor(8152));
            return;
        }
        n = t.tamanho;
    }
    sqlite3_result_blob(c, p, n, SQLITE_TRANSIENT);
}

// A number read from a text for a numeric target; bit also takes 'true' and 'false'. False
// when the call's result is given already (that bit, or the failure).
bool NumeroDoTexto(sqlite3_context* c, const std::string& s, TipoBase b, double& numero,
                   bool& inteiro, std::int64_t& valorInteiro) {
    if (b == TipoBase::Bit) {
        std::string d = Dobrar(s);
        if (d == "true") {
            sqlite3_result_int(c, 1);
            return false;
        }
        if (d == "false") {
            sqlite3_result_int(c, 0);
            return false;
        }
    }
    // an empty or blank text is the integer or float zero (a decimal fails on it)
    if ((EhInteiro(b) || b == TipoBase::Float || b == TipoBase::Real) &&
        s.find_first_not_of(' ') == std::string::npos) {
        numero = 0;
        inteiro = true;
        valorInteiro = 0;
        return true;
    }
    // a text past float's range is no number SQL Server reads
    if (!LerNumero(s, numero, inteiro, valorInteiro) || std::isinf(numero)) {
        if (EhInteiro(b))
            FalharNaFuncao(c, ErroDoServidor(245, {"varchar", s, NomeDoTipo(b)}));
        else if (b == TipoBase::Float || b == TipoBase::Real)
            FalharNaFuncao(c, ErroDoServidor(8114, {"varchar", "float"}));
        else
            FalharNaFuncao(c, ErroDoServidor(8114, {"varchar", "numeric"}));
        return false;
    }
    if (EhInteiro(b) && !inteiro && b != TipoBase::Bit) {
        FalharNaFuncao(c, ErroDoServidor(245, {"varchar", s, NomeDoTipo(b)}));
        return false;
    }
    return true;
}

// An integer type's value: bit any non-zero as 1, the others within their range.
void ResultadoInteiro(sqlite3_context* c, TipoBase b, double numero, bool inteiro,
                      std::int64_t valorInteiro) {
    std::int64_t x = inteiro ? valorInteiro : static_cast<std::int64_t>(std::trunc(numero));
    if (b == TipoBase::Bit) {
        sqlite3_result_int(c, (inteiro ? valorInteiro != 0 : numero != 0) ? 1 : 0);
        return;
    }
    std::int64_t min = 0, max = 0;
    switch (b) {
        case TipoBase::Int:
            min = -2147483648LL;
            max = 2147483647LL;
            break;
        case TipoBase::SmallInt:
            min = -32768;
            max = 32767;
            break;
        case TipoBase::TinyInt:
            min = 0;
            max = 255;
            break;
        default:
            min = INT64_MIN;
            max = INT64_MAX;
            break;
    }
    if (!inteiro &&
        (numero < static_cast<double>(min) - 1 || numero >= static_cast<double>(max) + 1)) {
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeDoTipo(b)}));
        return;
    }
    if (x < min || x > max) {
        FalharNaFuncao(c, ErroDoServidor(8115, {"expression", NomeDoTipo(b)}));
        return;
    }
    sqlite3_result_int64(c, x);
}

// Integers, bit, float and real.
void ConverterEmNumero(sqlite3_context* c, sqlite3_value* v, TipoBase b) {
    const int origem = sqlite3_value_type(v);
    double numero = 0;
    bool inteiro = false;
    std::int64_t valorInteiro = 0;
    if (origem == SQLITE_INTEGER) {
        inteiro = true;
        valorInteiro = sqlite3_value_int64(v);
        numero = static_cast<double>(valorInteiro);
    } else if (origem == SQLITE_FLOAT) {
        numero = sqlite3_value_double(v);
    } else if (!NumeroDoTexto(c, TextoDe(v), b, numero, inteiro, valorInteiro)) {
        return;
    }
    if (EhInteiro(b)) return ResultadoInteiro(c, b, numero, inteiro, valorInteiro);
    // a float past real's range overflows it, never becomes Inf
    if (b == TipoBase::Real && std::fabs(numero) > std::numeric_limits<float>::max())
        return FalharNaFuncao(c, ErroDoServidor(8115, {"expression", "real"}));
    sqlite3_result_double(
        c, b == TipoBase::Real ? static_cast<double>(static_cast<float>(numero)) : numero);
}

// Converts a value to a type. `explicito`: CONVERT/CAST, which cut texts instead of
// failing.
// `tipoDoNumero`: "int", "numeric", "money" or "float" when the generator knows the value is a
// number of that type (a number too long for a text is '*' or an error by it); for a
// date-time target, the character type of a text value.
// `origemData`: the date-time type of the value, which a text shows and a date-time reads.
void Converter(sqlite3_context* c, sqlite3_value* v, const TipoSql& t, bool explicito, int estilo,
               std::string_view tipoDoNumero = {}, const TipoSql* origemData = nullptr) {
    if (sqlite3_value_type(v) == SQLITE_NULL) {
        sqlite3_result_null(c);
        return;
    }
    TipoBase b = t.base;
    if (EhTexto(b) || b == TipoBase::SqlVariant)
        return ConverterEmTexto(c, v, t, explicito, estilo, tipoDoNumero, origemData);
    if (EhBinario(b)) return ConverterEmBinario(c, v, t, explicito, estilo);
    if (EhDataHora(b)) {
        // what the statement knows of the value: a date-time's type, or a text's
        OrigemDoValor o;
        if (origemData) {
            o = {OrigemDaData::DataHora, *origemData};
        } else if (auto tt = LerTextoDeTipo(std::string(tipoDoNumero)); tt && EhTexto(tt->base)) {
            o = {OrigemDaData::Caracteres, tt};
        }
        return ConverterEmData(c, v, t, estilo, o);
    }
    if (EhNumericoExato(b)) return ConverterParaDecimal(c, v, t);
    ConverterEmNumero(c, v, b);
}

// zv_chave(valor, 'T.c'): the value of a table's row key, refused when NULL as SQLite
// refuses a NULL in a NOT NULL column (SQLite itself would make a new key of it).
void FnChave(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) != SQLITE_NULL) {
        sqlite3_result_value(c, a[0]);
        return;
    }
    const std::string msg = std::string("NOT NULL constraint failed: ") +
                            reinterpret_cast<const char*>(sqlite3_value_text(a[1]));
    sqlite3_result_error(c, msg.c_str(), -1);
    sqlite3_result_error_code(c, SQLITE_CONSTRAINT_NOTNULL);
}

// A value the conversion would give back as it is: a text that fits a varchar or nvarchar
// column in bytes (so in characters too), an integer within an integer type's range. The
// usual values of a long VALUES list skip the copies of the whole conversion.
bool ConversaoSemMudanca(sqlite3_value* v, const TipoSql& t) {
    // a value with a subtype (a date-time's text) is rewritten, and the copy would keep it
    if (sqlite3_value_subtype(v) != 0) return false;
    const int tipo = sqlite3_value_type(v);
    if (tipo == SQLITE_TEXT) {
        if (t.base != TipoBase::VarChar && t.base != TipoBase::NVarChar) return false;
        return t.tamanho <= 0 || sqlite3_value_bytes(v) <= t.tamanho;
    }
    if (tipo != SQLITE_INTEGER) return false;
    const std::int64_t x = sqlite3_value_int64(v);
    switch (t.base) {
        case TipoBase::BigInt:
            return true;
        case TipoBase::Int:
            return x >= -2147483648LL && x <= 2147483647LL;
        case TipoBase::SmallInt:
            return x >= -32768 && x <= 32767;
        case TipoBase::TinyInt:
            return x >= 0 && x <= 255;
        default:
            return false;
    }
}

void FnConv(sqlite3_context* c, int n, sqlite3_value** a) {
    TipoSql t;
    t.base = static_cast<TipoBase>(sqlite3_value_int(a[1]));
    t.tamanho = sqlite3_value_int(a[2]);
    if (n == 5 && ConversaoSemMudanca(a[0], t)) return sqlite3_result_value(c, a[0]);
    t.precisao = sqlite3_value_int(a[3]);
    t.escala = sqlite3_value_int(a[4]);
    // a sixth argument: the value's type, which a conversion to a date-time needs
    const auto origem = n > 5 ? LerTextoDeTipo(TextoDe(a[5])) : std::nullopt;
    if (origem && EhDataHora(origem->base)) return Converter(c, a[0], t, false, 0, {}, &*origem);
    Converter(c, a[0], t, false, 0, n > 5 ? TextoDe(a[5]) : std::string());
}

// CAST and CONVERT with their arguments as zv_cast and zv_convert take them.
void ConverterChamada(sqlite3_context* c, sqlite3_value** a, int n, bool convert) {
    const bool cast = !convert;
    std::string texto = TextoDe(cast ? a[1] : a[0]);
    // "varchar(2)|numeric": the generator tells the number's type after the target's
    const std::size_t barra = texto.find('|');
    const std::string numero = barra == std::string::npos ? "" : texto.substr(barra + 1);
    if (barra != std::string::npos) texto.erase(barra);
    auto t = LerTextoDeTipo(texto);
    if (!t) {
        FalharNaFuncao(c, ErroDoServidor(243, {texto}));
        return;
    }
    if ((t->base == TipoBase::VarChar || t->base == TipoBase::NVarChar ||
         t->base == TipoBase::Char || t->base == TipoBase::NChar) &&
        texto.find('(') == std::string::npos)
        t->tamanho = 30;
    int estilo = (!cast && n > 2) ? sqlite3_value_int(a[2]) : 0;
    // after the bar may also come the date type of the value ("varchar(30)|datetime2(3)")
    const auto data = LerTextoDeTipo(numero);
    if (data && EhDataHora(data->base))
        return Converter(c, cast ? a[0] : a[1], *t, true, estilo, {}, &*data);
    Converter(c, cast ? a[0] : a[1], *t, true, estilo, numero);
}

// What zv_convert's and zv_cast's user data say: CONVERT's argument order, TRY_'s NULL.
constexpr int kMarcaConvert = 1, kMarcaTentativa = 2;

void FnConvert(sqlite3_context* c, int n, sqlite3_value** a) {
    // zv_convert('type', x[, style]) and zv_cast(x, 'type'); TRY_CONVERT and TRY_CAST give
    // NULL where these fail
    const int marca = *static_cast<const int*>(sqlite3_user_data(c));
    if (marca & kMarcaTentativa) {
        TentativaDeFuncao tentativa;
        ConverterChamada(c, a, n, marca & kMarcaConvert);
        if (tentativa.Falhou()) sqlite3_result_null(c);
        return;
    }
    ConverterChamada(c, a, n, marca & kMarcaConvert);
}

}  // namespace

std::string ChamadaDeConversao(const std::string& expressao, const TipoSql& t,
                               const std::optional<TipoSql>& origem) {
    const bool numero = EhInteiro(t.base) || t.base == TipoBase::Float || t.base == TipoBase::Real;
    if (origem && EhNumericoExato(origem->base) && numero)
        return ChamadaDeConversao("zv_dreal(" + expressao + ")", t);
    std::string s = "zv_conv(" + expressao + "," + std::to_string(static_cast<int>(t.base)) + "," +
                    std::to_string(t.tamanho) + "," + std::to_string(t.precisao) + "," +
                    std::to_string(t.escala);
    // a date-time reads a text and a stored date-time differently
    if (EhDataHora(t.base) && origem && (EhDataHora(origem->base) || EhTexto(origem->base)))
        s += ",'" + TextoDoTipo(*origem) + "'";
    return s + ")";
}

void RegistrarFuncoesDeConversao(sqlite3* db, SessaoDasFuncoes* s) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_conv", 5, det, s, FnConv, nullptr, nullptr);
    sqlite3_create_function(db, "zv_conv", 6, det, s, FnConv, nullptr, nullptr);
    sqlite3_create_function(db, "zv_chave", 2, det, s, FnChave, nullptr, nullptr);
    static const int kMarcas[] = {0, kMarcaConvert, kMarcaTentativa,
                                  kMarcaConvert | kMarcaTentativa};
    const std::pair<const char*, int> conversoes[] = {
        {"zv_cast", 0}, {"zv_convert", 1}, {"zv_try_cast", 2}, {"zv_try_convert", 3}};
    for (const auto& [nome, k] : conversoes)
        for (int args = 2; args <= ((k & kMarcaConvert) ? 3 : 2); ++args)
            sqlite3_create_function(db, nome, args, det, const_cast<int*>(&kMarcas[k]), FnConvert,
                                    nullptr, nullptr);
}

}  // namespace zolvek::simulador
