#include "db/odbc/leitura.hpp"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/odbc/biblioteca_odbc.hpp"
#include "db/odbc/diagnostico.hpp"
#include "db/odbc/utf16.hpp"

namespace zolvek::db::odbc {

namespace {

// SQL Server's own types as its drivers report them.
constexpr SQLSMALLINT kSsVariant = -150;
constexpr SQLSMALLINT kSsXml = -152;
constexpr SQLSMALLINT kSsTime2 = -154;
constexpr SQLSMALLINT kSsTimestampOffset = -155;

constexpr std::size_t kPedaco = 8192;

enum class Leitor { Texto, Binario, Inteiro, Logico, Real, Decimal, DataHora, Data, Hora };

struct Descricao {
    Coluna coluna;
    Leitor leitor = Leitor::Texto;
};

std::string AtributoTexto(SQLHSTMT h, SQLUSMALLINT col, SQLUSMALLINT campo) {
    char16_t buffer[512] = {};
    SQLSMALLINT tamanho = 0;
    if (!SQL_SUCCEEDED(
            Odbc().SQLColAttributeW(h, col, campo, buffer, sizeof buffer, &tamanho, nullptr)))
        return "";
    std::size_t n = static_cast<std::size_t>(tamanho > 0 ? tamanho : 0) / sizeof(char16_t);
    if (n >= sizeof buffer / sizeof buffer[0]) n = sizeof buffer / sizeof buffer[0] - 1;
    std::u16string s(buffer, n);
    if (const auto fim = s.find(u'\0'); fim != std::u16string::npos) s.resize(fim);
    return DeUtf16(s);
}

SQLLEN AtributoNumero(SQLHSTMT h, SQLUSMALLINT col, SQLUSMALLINT campo) {
    SQLLEN valor = 0;
    if (!SQL_SUCCEEDED(Odbc().SQLColAttributeW(h, col, campo, nullptr, 0, nullptr, &valor)))
        return 0;
    return valor;
}

bool Contem(const std::string& nomeMinusculo, const char* parte) {
    return nomeMinusculo.find(parte) != std::string::npos;
}

Leitor LeitorDe(TipoDeCampo t) {
    switch (t) {
        case TipoDeCampo::Blob:
        case TipoDeCampo::Bytes:
            return Leitor::Binario;
        case TipoDeCampo::Integer:
        case TipoDeCampo::SmallInt:
        case TipoDeCampo::Word:
        case TipoDeCampo::LargeInt:
            return Leitor::Inteiro;
        case TipoDeCampo::Boolean:
            return Leitor::Logico;
        case TipoDeCampo::DateTime:
            return Leitor::DataHora;
        case TipoDeCampo::Date:
            return Leitor::Data;
        case TipoDeCampo::Time:
            return Leitor::Hora;
        default:
            return Leitor::Texto;
    }
}

Descricao Descrever(SQLHSTMT h, SQLUSMALLINT col) {
    char16_t nome[512] = {};
    SQLSMALLINT tamNome = 0, tipoSql = 0, decimais = 0, anulavel = SQL_NULLABLE_UNKNOWN;
    SQLULEN tamanho = 0;
    Verificar(Odbc().SQLDescribeColW(h, col, reinterpret_cast<SQLWCHAR*>(nome), 512, &tamNome,
                                     &tipoSql, &tamanho, &decimais, &anulavel),
              SQL_HANDLE_STMT, h, "descrever as colunas");
    Descricao d;
    d.coluna.nome = DeUtf16(
        std::u16string_view(nome, std::min<std::size_t>(static_cast<std::size_t>(tamNome), 511)));
    const std::string nomeDoTipo = AtributoTexto(h, col, SQL_DESC_TYPE_NAME);
    const std::string tipoMinusculo = texto::Minusculas(nomeDoTipo);
    d.coluna.tipo = TipoDaColuna(tipoSql, tamanho, nomeDoTipo);
    d.leitor = LeitorDe(d.coluna.tipo);
    if (tipoSql == SQL_DECIMAL || tipoSql == SQL_NUMERIC) d.leitor = Leitor::Decimal;
    if (tipoSql == SQL_FLOAT || tipoSql == SQL_REAL || tipoSql == SQL_DOUBLE)
        d.leitor = Leitor::Real;
    const bool medido = d.coluna.tipo == TipoDeCampo::String ||
                        d.coluna.tipo == TipoDeCampo::Bytes || d.coluna.tipo == TipoDeCampo::Blob;
    d.coluna.tamanho = medido && tamanho <= 8000 ? static_cast<int>(tamanho) : 0;
    d.coluna.precisao = tamanho < 1000 ? static_cast<int>(tamanho) : 0;
    d.coluna.escala = decimais;
    d.coluna.anulavel = anulavel != SQL_NO_NULLS;
    const bool rowversion =
        Contem(tipoMinusculo, "timestamp") && d.coluna.tipo == TipoDeCampo::Bytes;
    d.coluna.identidade = AtributoNumero(h, col, SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE;
    d.coluna.somenteLeitura = rowversion || Contem(tipoMinusculo, "rowversion") ||
                              d.coluna.identidade ||
                              AtributoNumero(h, col, SQL_DESC_UPDATABLE) == SQL_ATTR_READONLY;
    d.coluna.tabelaBase = AtributoTexto(h, col, SQL_DESC_BASE_TABLE_NAME);
    if (d.coluna.tabelaBase.empty())
        d.coluna.tabelaBase = AtributoTexto(h, col, SQL_DESC_TABLE_NAME);
    if (!d.coluna.tabelaBase.empty()) {
        d.coluna.colunaBase = AtributoTexto(h, col, SQL_DESC_BASE_COLUMN_NAME);
        if (d.coluna.colunaBase.empty()) d.coluna.colunaBase = d.coluna.nome;
    }
    return d;
}

// Reads a long value in chunks: text as UTF-16, binary as bytes.
template <typename Unidade>
bool LerPedacos(SQLHSTMT h, SQLUSMALLINT col, SQLSMALLINT tipoC, std::vector<Unidade>& saida) {
    std::vector<Unidade> buffer(kPedaco);
    const std::size_t terminador = tipoC == SQL_C_BINARY ? 0 : 1;
    while (true) {
        SQLLEN indicador = 0;
        const SQLRETURN rc =
            Odbc().SQLGetData(h, col, tipoC, buffer.data(),
                              static_cast<SQLLEN>(buffer.size() * sizeof(Unidade)), &indicador);
        if (rc == SQL_NO_DATA) return true;
        // a truncation warning only says there is more to read
        Verificar(rc, SQL_HANDLE_STMT, h, "ler um valor");
        if (indicador == SQL_NULL_DATA) return false;
        std::size_t unidades;
        const bool cheio =
            rc == SQL_SUCCESS_WITH_INFO &&
            (indicador == SQL_NO_TOTAL ||
             static_cast<std::size_t>(indicador) >= (buffer.size() - terminador) * sizeof(Unidade));
        if (cheio)
            unidades = buffer.size() - terminador;
        else
            unidades = static_cast<std::size_t>(indicador) / sizeof(Unidade);
        saida.insert(saida.end(), buffer.data(), buffer.data() + std::min(unidades, buffer.size()));
        if (!cheio) return true;
    }
}

template <typename T>
bool LerFixo(SQLHSTMT h, SQLUSMALLINT col, SQLSMALLINT tipoC, T& valor) {
    SQLLEN indicador = 0;
    Verificar(Odbc().SQLGetData(h, col, tipoC, &valor, sizeof valor, &indicador), SQL_HANDLE_STMT,
              h, "ler um valor");
    return indicador != SQL_NULL_DATA;
}

DataHora DeTimestamp(const SQL_TIMESTAMP_STRUCT& t) {
    DataHora d;
    d.ano = t.year;
    d.mes = t.month;
    d.dia = t.day;
    d.hora = t.hour;
    d.minuto = t.minute;
    d.segundo = t.second;
    d.milissegundo = static_cast<int>(t.fraction / 1000000);
    d.cemNanos = static_cast<int>(t.fraction / 100 % 10000);
    return d;
}

Valor LerValor(SQLHSTMT h, SQLUSMALLINT col, Leitor leitor) {
    switch (leitor) {
        case Leitor::Binario: {
            Bytes b;
            if (!LerPedacos(h, col, SQL_C_BINARY, b)) return {};
            return b;
        }
        case Leitor::Inteiro: {
            SQLBIGINT n = 0;
            if (!LerFixo(h, col, SQL_C_SBIGINT, n)) return {};
            return static_cast<std::int64_t>(n);
        }
        case Leitor::Logico: {
            unsigned char b = 0;
            if (!LerFixo(h, col, SQL_C_BIT, b)) return {};
            return b != 0;
        }
        case Leitor::Real: {
            double d = 0;
            if (!LerFixo(h, col, SQL_C_DOUBLE, d)) return {};
            return d;
        }
        case Leitor::Decimal: {
            Valor t = LerTexto(h, col);
            if (EhNulo(t)) return t;
            return Decimal{NormalizarDecimal(std::get<std::string>(t))};
        }
        case Leitor::DataHora:
        case Leitor::Data: {
            SQL_TIMESTAMP_STRUCT ts{};
            if (!LerFixo(h, col, SQL_C_TYPE_TIMESTAMP, ts)) return {};
            return DeTimestamp(ts);
        }
        case Leitor::Hora: {
            // As text, so that the fraction survives every driver.
            Valor t = LerTexto(h, col);
            if (EhNulo(t)) return t;
            DataHora d;
            if (DataHora::LerIso("1899-12-30 " + texto::Aparar(std::get<std::string>(t)), d))
                return d;
            return t;
        }
        case Leitor::Texto:
            break;
    }
    return LerTexto(h, col);
}

}  // namespace

TipoDeCampo TipoDaColuna(SQLSMALLINT tipoSql, SQLULEN tamanho, const std::string& nomeDoTipo) {
    const std::string nome = texto::Minusculas(nomeDoTipo);
    switch (tipoSql) {
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            // (max) types come as plain varchar of size 0 or of a huge size.
            if (tamanho == 0 || tamanho > 8000 || Contem(nome, "text")) return TipoDeCampo::Memo;
            return TipoDeCampo::String;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
        case kSsXml:
            return TipoDeCampo::Memo;
        case SQL_BINARY:
            if (tamanho == 0 || tamanho > 8000 || Contem(nome, "blob") || Contem(nome, "image"))
                return TipoDeCampo::Blob;
            return TipoDeCampo::Bytes;
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return TipoDeCampo::Blob;
        case SQL_INTEGER:
            return TipoDeCampo::Integer;
        case SQL_SMALLINT:
            return TipoDeCampo::SmallInt;
        case SQL_TINYINT:
            return TipoDeCampo::Word;
        case SQL_BIGINT:
            return TipoDeCampo::LargeInt;
        case SQL_BIT:
            return TipoDeCampo::Boolean;
        case SQL_FLOAT:
        case SQL_REAL:
        case SQL_DOUBLE:
            return TipoDeCampo::Float;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            // FreeTDS reports money as a decimal of scale 4; only the type name tells.
            return Contem(nome, "money") ? TipoDeCampo::Currency : TipoDeCampo::Float;
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATETIME:
        case kSsTimestampOffset:
            return TipoDeCampo::DateTime;
        case SQL_TYPE_DATE:
            return TipoDeCampo::Date;
        case SQL_TYPE_TIME:
        case kSsTime2:
            return TipoDeCampo::Time;
        case SQL_GUID:
            return TipoDeCampo::Guid;
        case kSsVariant:
            return TipoDeCampo::Variant;
        default:
            return TipoDeCampo::Desconhecido;
    }
}

Valor LerTexto(SQLHSTMT h, SQLUSMALLINT coluna) {
    std::vector<char16_t> s;
    if (!LerPedacos(h, coluna, SQL_C_WCHAR, s)) return {};
    return DeUtf16(std::u16string_view(s.data(), s.size()));
}

std::string NormalizarDecimal(std::string t) {
    t = texto::Aparar(t);
    if (!t.empty() && t[0] == '.') t.insert(0, "0");
    if (t.size() >= 2 && (t[0] == '-' || t[0] == '+') && t[1] == '.') t.insert(1, "0");
    return t;
}

void LerConjunto(SQLHSTMT h, SQLSMALLINT colunas, Resultado& r) {
    std::vector<Leitor> leitores;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(colunas); ++c) {
        Descricao d = Descrever(h, c);
        leitores.push_back(d.leitor);
        r.colunas.push_back(std::move(d.coluna));
    }
    while (true) {
        const SQLRETURN rc = Odbc().SQLFetch(h);
        if (rc == SQL_NO_DATA) break;
        Verificar(rc, SQL_HANDLE_STMT, h, "ler as linhas");
        std::vector<Valor> linha;
        linha.reserve(leitores.size());
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(colunas); ++c)
            linha.push_back(LerValor(h, c, leitores[c - 1]));
        r.linhas.push_back(std::move(linha));
    }
}

}  // namespace zolvek::db::odbc
