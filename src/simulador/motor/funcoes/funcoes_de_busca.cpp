#include "simulador/motor/funcoes/funcoes_de_busca.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// CHARINDEX compares as the collation does: without case, with accents and blanks.
void FnCharIndex(sqlite3_context* c, int n, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL) {
        sqlite3_result_null(c);
        return;
    }
    const std::string agulha = SemCaixa(TextoDoArgumento(a[0]));
    const std::string palheiro = SemCaixa(TextoDoArgumento(a[1]));
    if (agulha.empty()) return sqlite3_result_int(c, 0);
    const std::size_t inicio =
        n > 2 && sqlite3_value_int(a[2]) > 1
            ? Primeiros(palheiro, static_cast<std::size_t>(sqlite3_value_int(a[2]) - 1)).size()
            : 0;
    std::size_t p = palheiro.find(agulha, std::min(inicio, palheiro.size()));
    sqlite3_result_int64(
        c, p == std::string::npos
               ? 0
               : static_cast<std::int64_t>(ContarCaracteres(palheiro.substr(0, p)) + 1));
}

// REPLACE finds what it replaces as the collation compares: 'aXa' has two x's.
void FnReplace(sqlite3_context* c, int, sqlite3_value** a) {
    for (int k = 0; k < 3; ++k)
        if (sqlite3_value_type(a[k]) == SQLITE_NULL) return sqlite3_result_null(c);
    const std::string texto = TextoDoArgumento(a[0]), novo = TextoDoArgumento(a[2]);
    const std::string procurado = SemCaixa(TextoDoArgumento(a[1]));
    if (procurado.empty()) return ResultadoTexto(c, texto);
    const std::string dobrado = SemCaixa(texto);
    std::string r;
    std::size_t de = 0;
    for (std::size_t p = dobrado.find(procurado); p != std::string::npos;
         p = dobrado.find(procurado, de)) {
        r.append(texto, de, p - de).append(novo);
        de = p + procurado.size();
    }
    ResultadoTexto(c, r.append(texto, de, std::string::npos));
}

}  // namespace

void RegistrarFuncoesDeBusca(sqlite3* db) {
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "zv_charindex", 2, det, nullptr, FnCharIndex, nullptr, nullptr);
    sqlite3_create_function(db, "zv_charindex", 3, det, nullptr, FnCharIndex, nullptr, nullptr);
    sqlite3_create_function(db, "zv_replace", 3, det, nullptr, FnReplace, nullptr, nullptr);
}

}  // namespace zolvek::simulador
