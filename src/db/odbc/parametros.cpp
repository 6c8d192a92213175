#include "db/odbc/parametros.hpp"

#include <cstring>

#include "comum/erros.hpp"
#include "db/odbc/biblioteca_odbc.hpp"
#include "db/odbc/diagnostico.hpp"
#include "db/odbc/utf16.hpp"

namespace zolvek::db::odbc {

namespace {

constexpr std::size_t kMaiorNVarChar = 4000;   // UTF-16 units
constexpr std::size_t kMaiorVarBinary = 8000;  // bytes

template <typename T>
void Copiar(std::vector<unsigned char>& dados, const T& valor) {
    dados.resize(sizeof valor);
    std::memcpy(dados.data(), &valor, sizeof valor);
}

// Precision and scale of a decimal text ("-12.340" -> 5, 3).
void MedirDecimal(const std::string& t, SQLULEN& precisao, SQLSMALLINT& escala) {
    std::size_t digitos = 0, depois = 0;
    bool ponto = false;
    for (char c : t) {
        if (c == '.') {
            ponto = true;
        } else if (c >= '0' && c <= '9') {
            ++digitos;
            if (ponto) ++depois;
        } else if (c != '-' && c != '+') {
            throw ErroDeEntrada("'" + t + "' não é um valor numérico válido");
        }
    }
    precisao = digitos == 0 ? 1 : (digitos > 38 ? 38 : digitos);
    escala = static_cast<SQLSMALLINT>(depois > precisao ? precisao : depois);
}

}  // namespace

ParametrosLigados::ParametrosLigados(const std::vector<Valor>& valores) {
    ligados_.resize(valores.size());
    for (std::size_t i = 0; i < valores.size(); ++i) {
        Ligado& l = ligados_[i];
        const Valor& v = valores[i];
        if (EhNulo(v)) {
            l.dados.assign(1, 0);
            l.indicador = SQL_NULL_DATA;
        } else if (const auto* b = std::get_if<bool>(&v)) {
            l.tipoC = SQL_C_BIT;
            l.tipoSql = SQL_BIT;
            l.dados.assign(1, *b ? 1 : 0);
            l.indicador = 1;
        } else if (const auto* n = std::get_if<std::int64_t>(&v)) {
            l.tipoC = SQL_C_SBIGINT;
            const bool cabeEmInt = *n >= INT32_MIN && *n <= INT32_MAX;
            l.tipoSql = cabeEmInt ? SQL_INTEGER : SQL_BIGINT;
            l.tamanho = cabeEmInt ? 10 : 19;
            Copiar(l.dados, static_cast<SQLBIGINT>(*n));
            l.indicador = static_cast<SQLLEN>(l.dados.size());
        } else if (const auto* d = std::get_if<double>(&v)) {
            l.tipoC = SQL_C_DOUBLE;
            l.tipoSql = SQL_DOUBLE;
            l.tamanho = 15;
            Copiar(l.dados, *d);
            l.indicador = static_cast<SQLLEN>(l.dados.size());
        } else if (const auto* dec = std::get_if<Decimal>(&v)) {
            l.tipoC = SQL_C_CHAR;
            l.tipoSql = SQL_DECIMAL;
            MedirDecimal(dec->texto, l.tamanho, l.decimais);
            l.dados.assign(dec->texto.begin(), dec->texto.end());
            l.indicador = static_cast<SQLLEN>(l.dados.size());
            l.dados.push_back(0);
        } else if (const auto* s = std::get_if<std::string>(&v)) {
            const std::u16string u = ParaUtf16(*s);
            l.tipoC = SQL_C_WCHAR;
            // Past nvarchar(4000) only the long type reaches the server whole: a driver
            // declares the parameter from it (FreeTDS: NVARCHAR(4000) otherwise, and the
            // server cuts the value to that without a word).
            l.tipoSql = u.size() > kMaiorNVarChar ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            l.tamanho = u.empty() ? 1 : u.size();
            l.dados.resize((u.size() + 1) * sizeof(char16_t));
            std::memcpy(l.dados.data(), u.data(), u.size() * sizeof(char16_t));
            l.indicador = static_cast<SQLLEN>(u.size() * sizeof(char16_t));
        } else if (const auto* bytes = std::get_if<Bytes>(&v)) {
            l.tipoC = SQL_C_BINARY;
            l.tipoSql = bytes->size() > kMaiorVarBinary ? SQL_LONGVARBINARY : SQL_VARBINARY;
            l.tamanho = bytes->empty() ? 1 : bytes->size();
            l.dados.assign(bytes->begin(), bytes->end());
            l.indicador = static_cast<SQLLEN>(bytes->size());
            if (l.dados.empty()) l.dados.push_back(0);
        } else if (const auto* dh = std::get_if<DataHora>(&v)) {
            SQL_TIMESTAMP_STRUCT ts{};
            ts.year = static_cast<SQLSMALLINT>(dh->ano);
            ts.month = static_cast<SQLUSMALLINT>(dh->mes);
            ts.day = static_cast<SQLUSMALLINT>(dh->dia);
            ts.hour = static_cast<SQLUSMALLINT>(dh->hora);
            ts.minute = static_cast<SQLUSMALLINT>(dh->minuto);
            ts.second = static_cast<SQLUSMALLINT>(dh->segundo);
            ts.fraction = static_cast<SQLUINTEGER>(dh->milissegundo) * 1000000u;
            l.tipoC = SQL_C_TYPE_TIMESTAMP;
            l.tipoSql = SQL_TYPE_TIMESTAMP;
            // 23 characters and 3 decimals is how SQL Server drivers ask for datetime.
            l.tamanho = 23;
            l.decimais = 3;
            Copiar(l.dados, ts);
            l.indicador = static_cast<SQLLEN>(l.dados.size());
        }
    }
}

void ParametrosLigados::Ligar(SQLHSTMT h) {
    for (std::size_t i = 0; i < ligados_.size(); ++i) {
        Ligado& l = ligados_[i];
        Verificar(Odbc().SQLBindParameter(h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                          l.tipoC, l.tipoSql, l.tamanho, l.decimais, l.dados.data(),
                                          static_cast<SQLLEN>(l.dados.size()), &l.indicador),
                  SQL_HANDLE_STMT, h, "passar os parâmetros");
    }
}

}  // namespace zolvek::db::odbc
