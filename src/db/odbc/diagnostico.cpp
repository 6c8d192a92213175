#include "db/odbc/diagnostico.hpp"

#include <sqlext.h>

#include <algorithm>
#include <vector>

#include "comum/erros.hpp"
#include "db/odbc/utf16.hpp"

namespace zolvek::db::odbc {

namespace {

std::string SemEtiquetas(std::string m) {
    while (!m.empty() && m.front() == '[') {
        const auto fim = m.find(']');
        if (fim == std::string::npos) break;
        m.erase(0, fim + 1);
    }
    while (!m.empty() && (m.back() == '\n' || m.back() == '\r' || m.back() == ' ')) m.pop_back();
    return m;
}

}  // namespace

std::string LerDiagnosticos(SQLSMALLINT tipo, SQLHANDLE h, bool* soAvisos) {
    std::vector<std::string> mensagens;
    bool avisos = true;
    for (SQLSMALLINT i = 1;; ++i) {
        char16_t estado[6] = {};
        SQLINTEGER nativo = 0;
        std::u16string texto(1024, u'\0');
        SQLSMALLINT tamanho = 0;
        SQLRETURN rc = SQLGetDiagRecW(tipo, h, i, reinterpret_cast<SQLWCHAR*>(estado), &nativo,
                                      reinterpret_cast<SQLWCHAR*>(texto.data()),
                                      static_cast<SQLSMALLINT>(texto.size()), &tamanho);
        if (rc == SQL_SUCCESS_WITH_INFO && tamanho >= static_cast<SQLSMALLINT>(texto.size())) {
            texto.assign(static_cast<std::size_t>(tamanho) + 1, u'\0');
            rc = SQLGetDiagRecW(tipo, h, i, reinterpret_cast<SQLWCHAR*>(estado), &nativo,
                                reinterpret_cast<SQLWCHAR*>(texto.data()),
                                static_cast<SQLSMALLINT>(texto.size()), &tamanho);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        if (!(estado[0] == u'0' && estado[1] == u'1')) avisos = false;
        texto.resize(std::min<std::size_t>(static_cast<std::size_t>(tamanho), texto.size()));
        const auto fim = texto.find(u'\0');
        if (fim != std::u16string::npos) texto.resize(fim);
        std::string m = SemEtiquetas(DeUtf16(texto));
        if (!m.empty() && (mensagens.empty() || mensagens.back() != m)) mensagens.push_back(m);
    }
    if (soAvisos) *soAvisos = avisos;
    std::string saida;
    for (const auto& m : mensagens) {
        if (!saida.empty()) saida += '\n';
        saida += m;
    }
    return saida;
}

void Verificar(SQLRETURN rc, SQLSMALLINT tipo, SQLHANDLE h, const char* operacao) {
    if (rc == SQL_SUCCESS) return;
    if (rc == SQL_SUCCESS_WITH_INFO) {
        bool soAvisos = true;
        const std::string mensagens = LerDiagnosticos(tipo, h, &soAvisos);
        if (soAvisos) return;
        throw ErroDeBanco(mensagens);
    }
    std::string mensagens = rc == SQL_INVALID_HANDLE ? "" : LerDiagnosticos(tipo, h);
    if (mensagens.empty())
        mensagens = std::string("Falha do ODBC ao ") + operacao + " (código " +
                    std::to_string(static_cast<int>(rc)) + ")";
    throw ErroDeBanco(mensagens);
}

}  // namespace zolvek::db::odbc
