#include "db/odbc/diagnostico.hpp"

#include <sqlext.h>

#include <algorithm>
#include <vector>

#include "comum/erros.hpp"
#include "db/odbc/biblioteca_odbc.hpp"
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

// SQL Server's own fields of a diagnostic record: the Microsoft driver answers both;
// other drivers neither (0 then), but FreeTDS's state field holds the severity.
// A record names the component that made it first: "[FreeTDS][SQL Server]...".
bool DoFreeTds(const std::u16string& texto) {
    return texto.rfind(u"[FreeTDS]", 0) == 0;
}

constexpr SQLSMALLINT kEstadoDaMensagem = -1150;
constexpr SQLSMALLINT kSeveridade = -1151;

// ODBC ignores the buffer length of an integer field, but it must be
// 0: FreeTDS refuses a negative one (SQL_IS_INTEGER), and unixODBC takes a positive one
// for a text to convert.
int CampoInteiro(SQLSMALLINT tipo, SQLHANDLE h, SQLSMALLINT registro, SQLSMALLINT campo) {
    SQLINTEGER valor = 0;
    const SQLRETURN rc = Odbc().SQLGetDiagField(tipo, h, registro, campo, &valor, 0, nullptr);
    return SQL_SUCCEEDED(rc) ? static_cast<int>(valor) : 0;
}

// The severity and state of record i, where the driver tells them.
void LerGravidade(SQLSMALLINT tipo, SQLHANDLE h, SQLSMALLINT i, const std::u16string& texto,
                  int& severidade, int& estado) {
    if (DoFreeTds(texto)) {
        // FreeTDS keeps the severity where the state belongs, and has no state
        severidade = CampoInteiro(tipo, h, i, kEstadoDaMensagem);
        estado = 0;
    } else {
        severidade = CampoInteiro(tipo, h, i, kSeveridade);
        estado = CampoInteiro(tipo, h, i, kEstadoDaMensagem);
    }
}

}  // namespace

std::string LerDiagnosticos(SQLSMALLINT tipo, SQLHANDLE h, bool* soAvisos) {
    const Diagnostico d = LerDiagnostico(tipo, h);
    if (soAvisos) *soAvisos = d.soAvisos;
    return d.mensagens;
}

Diagnostico LerDiagnostico(SQLSMALLINT tipo, SQLHANDLE h) {
    Diagnostico d;
    std::vector<std::string> mensagens;
    bool avisos = true;
    for (SQLSMALLINT i = 1;; ++i) {
        char16_t estado[6] = {};
        SQLINTEGER nativo = 0;
        std::u16string texto(1024, u'\0');
        SQLSMALLINT tamanho = 0;
        SQLRETURN rc = Odbc().SQLGetDiagRecW(tipo, h, i, reinterpret_cast<SQLWCHAR*>(estado),
                                             &nativo, reinterpret_cast<SQLWCHAR*>(texto.data()),
                                             static_cast<SQLSMALLINT>(texto.size()), &tamanho);
        if (rc == SQL_SUCCESS_WITH_INFO && tamanho >= static_cast<SQLSMALLINT>(texto.size())) {
            texto.assign(static_cast<std::size_t>(tamanho) + 1, u'\0');
            rc = Odbc().SQLGetDiagRecW(tipo, h, i, reinterpret_cast<SQLWCHAR*>(estado), &nativo,
                                       reinterpret_cast<SQLWCHAR*>(texto.data()),
                                       static_cast<SQLSMALLINT>(texto.size()), &tamanho);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        const bool aviso = estado[0] == u'0' && estado[1] == u'1';
        Mensagem lida;
        if (aviso) {
            lida.numero = static_cast<int>(nativo);
            LerGravidade(tipo, h, i, texto, lida.severidade, lida.estado);
        } else {
            if (avisos) {
                // the first error names the failure
                d.nativo = static_cast<int>(nativo);
                d.estadoSql = DeUtf16(std::u16string(estado, estado + 5));
                LerGravidade(tipo, h, i, texto, d.severidade, d.estado);
            }
            avisos = false;
        }
        texto.resize(std::min<std::size_t>(static_cast<std::size_t>(tamanho), texto.size()));
        const auto fim = texto.find(u'\0');
        if (fim != std::u16string::npos) texto.resize(fim);
        std::string m = SemEtiquetas(DeUtf16(texto));
        if (aviso) {
            lida.texto = m;
            d.avisos.push_back(std::move(lida));
        }
        if (!m.empty() && (mensagens.empty() || mensagens.back() != m)) mensagens.push_back(m);
    }
    d.soAvisos = avisos;
    for (const auto& m : mensagens) {
        if (!d.mensagens.empty()) d.mensagens += '\n';
        d.mensagens += m;
    }
    return d;
}

void Verificar(SQLRETURN rc, SQLSMALLINT tipo, SQLHANDLE h, const char* operacao) {
    if (rc == SQL_SUCCESS) return;
    if (rc == SQL_SUCCESS_WITH_INFO) {
        const Diagnostico d = LerDiagnostico(tipo, h);
        if (d.soAvisos) return;
        throw ErroDeBanco(d.mensagens, d.nativo, d.severidade, d.estado, d.estadoSql);
    }
    Diagnostico d;
    if (rc != SQL_INVALID_HANDLE) d = LerDiagnostico(tipo, h);
    if (d.mensagens.empty())
        d.mensagens = std::string("Falha do ODBC ao ") + operacao + " (código " +
                      std::to_string(static_cast<int>(rc)) + ")";
    throw ErroDeBanco(d.mensagens, d.nativo, d.severidade, d.estado, d.estadoSql);
}

}  // namespace zolvek::db::odbc
