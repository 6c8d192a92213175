#include "simulador/motor/tipos.hpp"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "comum/hora_local.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/datas_com_fuso.hpp"

namespace zolvek::simulador {

std::string NomeDoTipo(TipoBase b) {
    switch (b) {
        case TipoBase::Int:
            return "int";
        case TipoBase::SmallInt:
            return "smallint";
        case TipoBase::TinyInt:
            return "tinyint";
        case TipoBase::BigInt:
            return "bigint";
        case TipoBase::Bit:
            return "bit";
        case TipoBase::Decimal:
            return "decimal";
        case TipoBase::Numeric:
            return "numeric";
        case TipoBase::Money:
            return "money";
        case TipoBase::SmallMoney:
            return "smallmoney";
        case TipoBase::Float:
            return "float";
        case TipoBase::Real:
            return "real";
        case TipoBase::DateTime:
            return "datetime";
        case TipoBase::SmallDateTime:
            return "smalldatetime";
        case TipoBase::Date:
            return "date";
        case TipoBase::Time:
            return "time";
        case TipoBase::DateTime2:
            return "datetime2";
        case TipoBase::Char:
            return "char";
        case TipoBase::VarChar:
            return "varchar";
        case TipoBase::NChar:
            return "nchar";
        case TipoBase::NVarChar:
            return "nvarchar";
        case TipoBase::Text:
            return "text";
        case TipoBase::NText:
            return "ntext";
        case TipoBase::Binary:
            return "binary";
        case TipoBase::VarBinary:
            return "varbinary";
        case TipoBase::Image:
            return "image";
        case TipoBase::RowVersion:
            return "timestamp";
        case TipoBase::UniqueIdentifier:
            return "uniqueidentifier";
        case TipoBase::SqlVariant:
            return "sql_variant";
        case TipoBase::DateTimeOffset:
            return "datetimeoffset";
    }
    return "int";
}

std::string TextoDoTipo(const TipoSql& t) {
    std::string s = NomeDoTipo(t.base);
    switch (t.base) {
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return s + "(" + (t.tamanho < 0 ? std::string("max") : std::to_string(t.tamanho)) + ")";
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return s + "(" + std::to_string(t.precisao) + "," + std::to_string(t.escala) + ")";
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t) == 7 ? s : s + "(" + std::to_string(CasasDaFracao(t)) + ")";
        default:
            return s;
    }
}

std::optional<TipoBase> TipoPeloNome(std::string_view nome) {
    static const std::map<std::string, TipoBase> nomes = {
        {"int", TipoBase::Int},
        {"integer", TipoBase::Int},
        {"smallint", TipoBase::SmallInt},
        {"tinyint", TipoBase::TinyInt},
        {"bigint", TipoBase::BigInt},
        {"bit", TipoBase::Bit},
        {"decimal", TipoBase::Decimal},
        {"dec", TipoBase::Decimal},
        {"numeric", TipoBase::Numeric},
        {"money", TipoBase::Money},
        {"smallmoney", TipoBase::SmallMoney},
        {"float", TipoBase::Float},
        {"real", TipoBase::Real},
        {"datetime", TipoBase::DateTime},
        {"smalldatetime", TipoBase::SmallDateTime},
        {"date", TipoBase::Date},
        {"time", TipoBase::Time},
        {"datetime2", TipoBase::DateTime2},
        {"datetimeoffset", TipoBase::DateTimeOffset},
        {"char", TipoBase::Char},
        {"character", TipoBase::Char},
        {"varchar", TipoBase::VarChar},
        {"nchar", TipoBase::NChar},
        {"nvarchar", TipoBase::NVarChar},
        {"text", TipoBase::Text},
        {"ntext", TipoBase::NText},
        {"binary", TipoBase::Binary},
        {"varbinary", TipoBase::VarBinary},
        {"image", TipoBase::Image},
        {"rowversion", TipoBase::RowVersion},
        {"timestamp", TipoBase::RowVersion},
        {"uniqueidentifier", TipoBase::UniqueIdentifier},
        {"sql_variant", TipoBase::SqlVariant},
        {"sysname", TipoBase::NVarChar},
    };
    auto it = nomes.find(Dobrar(nome));
    if (it == nomes.end()) return std::nullopt;
    return it->second;
}

namespace {

// The digits a time, datetime2 or datetimeoffset of `casas` fraction digits is written with.
int PrecisaoDaData(TipoBase b, int casas) {
    const int base = b == TipoBase::Time ? 8 : b == TipoBase::DateTime2 ? 19 : 26;
    return base + (casas ? casas + 1 : 0);
}

}  // namespace

TipoSql CompletarTipo(TipoBase b, int tamanho, int precisao, int escala, bool informado) {
    TipoSql t;
    t.base = b;
    switch (b) {
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            t.tamanho = informado ? tamanho : 1;
            break;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            t.precisao = informado ? precisao : 18;
            t.escala = informado ? escala : 0;
            break;
        case TipoBase::Float:
            // float(n): 1..24 is real, 25..53 is float
            if (informado && tamanho > 0 && tamanho <= 24) t.base = TipoBase::Real;
            break;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            // the precision tells a kept scale from a column stored before it was kept
            t.escala = informado ? tamanho : 7;
            t.precisao = PrecisaoDaData(b, t.escala);
            break;
        default:
            break;
    }
    return t;
}

bool EhTexto(TipoBase b) {
    return b == TipoBase::Char || b == TipoBase::VarChar || b == TipoBase::NChar ||
           b == TipoBase::NVarChar || b == TipoBase::Text || b == TipoBase::NText ||
           b == TipoBase::UniqueIdentifier;
}
bool EhBinario(TipoBase b) {
    return b == TipoBase::Binary || b == TipoBase::VarBinary || b == TipoBase::Image ||
           b == TipoBase::RowVersion;
}
bool EhInteiro(TipoBase b) {
    return b == TipoBase::Int || b == TipoBase::SmallInt || b == TipoBase::TinyInt ||
           b == TipoBase::BigInt || b == TipoBase::Bit;
}
bool EhNumericoExato(TipoBase b) {
    return b == TipoBase::Decimal || b == TipoBase::Numeric || b == TipoBase::Money ||
           b == TipoBase::SmallMoney;
}
bool EhMoeda(TipoBase b) {
    return b == TipoBase::Money || b == TipoBase::SmallMoney;
}
bool EhDataHora(TipoBase b) {
    return b == TipoBase::DateTime || b == TipoBase::SmallDateTime || b == TipoBase::Date ||
           b == TipoBase::Time || b == TipoBase::DateTime2 || b == TipoBase::DateTimeOffset;
}

int XType(TipoBase b) {
    switch (b) {
        case TipoBase::Int:
            return 56;
        case TipoBase::SmallInt:
            return 52;
        case TipoBase::TinyInt:
            return 48;
        case TipoBase::BigInt:
            return 127;
        case TipoBase::Bit:
            return 104;
        case TipoBase::Decimal:
            return 106;
        case TipoBase::Numeric:
            return 108;
        case TipoBase::Money:
            return 60;
        case TipoBase::SmallMoney:
            return 122;
        case TipoBase::Float:
            return 62;
        case TipoBase::Real:
            return 59;
        case TipoBase::DateTime:
            return 61;
        case TipoBase::SmallDateTime:
            return 58;
        case TipoBase::Date:
            return 40;
        case TipoBase::Time:
            return 41;
        case TipoBase::DateTime2:
            return 42;
        case TipoBase::Char:
            return 175;
        case TipoBase::VarChar:
            return 167;
        case TipoBase::NChar:
            return 239;
        case TipoBase::NVarChar:
            return 231;
        case TipoBase::Text:
            return 35;
        case TipoBase::NText:
            return 99;
        case TipoBase::Binary:
            return 173;
        case TipoBase::VarBinary:
            return 165;
        case TipoBase::Image:
            return 34;
        case TipoBase::RowVersion:
            return 189;
        case TipoBase::UniqueIdentifier:
            return 36;
        case TipoBase::SqlVariant:
            return 98;
        case TipoBase::DateTimeOffset:
            return 43;
    }
    return 0;
}

int ComprimentoEmBytes(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Int:
            return 4;
        case TipoBase::SmallInt:
            return 2;
        case TipoBase::TinyInt:
            return 1;
        case TipoBase::BigInt:
            return 8;
        case TipoBase::Bit:
            return 1;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.precisao <= 9 ? 5 : t.precisao <= 19 ? 9 : t.precisao <= 28 ? 13 : 17;
        case TipoBase::Money:
            return 8;
        case TipoBase::SmallMoney:
            return 4;
        case TipoBase::Float:
            return 8;
        case TipoBase::Real:
            return 4;
        case TipoBase::DateTime:
            return 8;
        case TipoBase::SmallDateTime:
            return 4;
        case TipoBase::Date:
            return 3;
        case TipoBase::Time:
            return CasasDaFracao(t) <= 2 ? 3 : CasasDaFracao(t) <= 4 ? 4 : 5;
        case TipoBase::DateTime2:
            return CasasDaFracao(t) <= 2 ? 6 : CasasDaFracao(t) <= 4 ? 7 : 8;
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t) <= 2 ? 8 : CasasDaFracao(t) <= 4 ? 9 : 10;
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return t.tamanho;
        case TipoBase::NChar:
        case TipoBase::NVarChar:
            return t.tamanho < 0 ? -1 : t.tamanho * 2;
        case TipoBase::Text:
        case TipoBase::NText:
        case TipoBase::Image:
            return 16;
        case TipoBase::RowVersion:
            return 8;
        case TipoBase::UniqueIdentifier:
            return 16;
        case TipoBase::SqlVariant:
            return 8016;
    }
    return 0;
}

int PrecisaoDoCatalogo(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Int:
            return 10;
        case TipoBase::SmallInt:
            return 5;
        case TipoBase::TinyInt:
            return 3;
        case TipoBase::BigInt:
            return 19;
        case TipoBase::Bit:
            return 1;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.precisao;
        case TipoBase::Money:
            return 19;
        case TipoBase::SmallMoney:
            return 10;
        case TipoBase::Float:
            return 53;
        case TipoBase::Real:
            return 24;
        case TipoBase::DateTime:
            return 23;
        case TipoBase::SmallDateTime:
            return 16;
        case TipoBase::Date:
            return 10;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return PrecisaoDaData(t.base, CasasDaFracao(t));
        case TipoBase::Char:
        case TipoBase::VarChar:
        case TipoBase::NChar:
        case TipoBase::NVarChar:
        case TipoBase::Binary:
        case TipoBase::VarBinary:
            return t.tamanho;
        case TipoBase::Text:
        case TipoBase::Image:
            return 2147483647;
        case TipoBase::NText:
            return 1073741823;
        case TipoBase::RowVersion:
            return 8;
        case TipoBase::UniqueIdentifier:
            return 16;
        case TipoBase::SqlVariant:
            return 0;
    }
    return 0;
}

int EscalaDoCatalogo(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return t.escala;
        case TipoBase::Money:
        case TipoBase::SmallMoney:
            return 4;
        case TipoBase::DateTime:
            return 3;
        case TipoBase::Time:
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
            return CasasDaFracao(t);
        default:
            return 0;
    }
}

std::optional<int> PrecisaoNumerica(const TipoSql& t) {
    if (EhInteiro(t.base) && t.base != TipoBase::Bit) return PrecisaoDoCatalogo(t);
    if (EhNumericoExato(t.base) || t.base == TipoBase::Float || t.base == TipoBase::Real)
        return PrecisaoDoCatalogo(t);
    return std::nullopt;
}

std::optional<int> EscalaNumerica(const TipoSql& t) {
    if (EhInteiro(t.base) && t.base != TipoBase::Bit) return 0;
    if (EhNumericoExato(t.base)) return EscalaDoCatalogo(t);
    return std::nullopt;
}

db::TipoDeCampo CategoriaDoTipo(const TipoSql& t) {
    using db::TipoDeCampo;
    switch (t.base) {
        case TipoBase::Char:
        case TipoBase::NChar:
            return TipoDeCampo::String;
        case TipoBase::VarChar:
        case TipoBase::NVarChar:
            return t.tamanho < 0 ? TipoDeCampo::Memo : TipoDeCampo::String;
        case TipoBase::Text:
        case TipoBase::NText:
            return TipoDeCampo::Memo;
        case TipoBase::VarBinary:
        case TipoBase::Image:
            return TipoDeCampo::Blob;
        case TipoBase::Binary:
        case TipoBase::RowVersion:
            return TipoDeCampo::Bytes;
        case TipoBase::Int:
            return TipoDeCampo::Integer;
        case TipoBase::SmallInt:
            return TipoDeCampo::SmallInt;
        case TipoBase::TinyInt:
            return TipoDeCampo::Word;
        case TipoBase::BigInt:
            return TipoDeCampo::LargeInt;
        case TipoBase::Bit:
            return TipoDeCampo::Boolean;
        case TipoBase::Decimal:
        case TipoBase::Numeric:
        case TipoBase::Float:
        case TipoBase::Real:
            return TipoDeCampo::Float;
        case TipoBase::Money:
        case TipoBase::SmallMoney:
            return TipoDeCampo::Currency;
        case TipoBase::DateTime:
        case TipoBase::SmallDateTime:
        case TipoBase::DateTime2:
            return TipoDeCampo::DateTime;
        case TipoBase::DateTimeOffset:  // its text, which keeps the offset
            return TipoDeCampo::String;
        case TipoBase::Date:
            return TipoDeCampo::Date;
        case TipoBase::Time:
            return TipoDeCampo::Time;
        case TipoBase::UniqueIdentifier:
            return TipoDeCampo::Guid;
        case TipoBase::SqlVariant:
            return TipoDeCampo::Variant;
    }
    return TipoDeCampo::Desconhecido;
}

const char* TipoSqlite(const TipoSql& t) {
    if (EhInteiro(t.base)) return "INTEGER";
    if (t.base == TipoBase::Float || t.base == TipoBase::Real) return "REAL";
    if (EhBinario(t.base)) return "BLOB";
    if (t.base == TipoBase::SqlVariant) return "";
    return "TEXT";
}

TipoSql TipoDaOperacaoDecimal(char operador, int p1, int s1, int p2, int s2) {
    int p = 0, s = 0;
    switch (operador) {
        case '+':
        case '-':
            s = std::max(s1, s2);
            p = std::max(p1 - s1, p2 - s2) + s + 1;
            if (p > 38) s = std::max(0, std::min(s, 38 - std::max(p1 - s1, p2 - s2)));
            break;
        case '%':
            s = std::max(s1, s2);
            p = std::min(p1 - s1, p2 - s2) + s;
            break;
        default:
            if (operador == '*') {
                p = p1 + p2 + 1;
                s = s1 + s2;
            } else {
                s = std::max(6, s1 + p2 + 1);
                p = p1 - s1 + s2 + s;
            }
            // Past 38 digits the integral part keeps its room; the scale gives way, but
            // not below 6 digits once the integral part needs more than 32.
            if (p > 38) {
                const int inteira = p - s;
                if (inteira < 32)
                    s = std::min(s, 38 - inteira);
                else if (s > 6)
                    s = 6;
            }
            break;
    }
    return TipoSql{TipoBase::Numeric, 0, std::clamp(p, 1, 38), std::clamp(s, 0, 38)};
}

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

std::string FormatarDecimal(double v, int escala) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", escala, v);
    std::string s = b;
    if (s == "-0" || (s.rfind("-0.", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos))
        s.erase(0, 1);
    return s;
}

}  // namespace zolvek::simulador
