#include "simulador/motor/funcoes/funcoes_subconsulta.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

#include <sqlite3.h>

#include <string>

#include "simulador/motor/mensagens/falhas.hpp"

namespace zolvek::simulador {

namespace {

struct ValorUnico {
    sqlite3_value* valor;
    int linhas;
};

void PassoDoValorUnico(sqlite3_context* c, int, sqlite3_value** v) {
    auto* u = static_cast<ValorUnico*>(sqlite3_aggregate_context(c, sizeof(ValorUnico)));
    if (!u) return sqlite3_result_error_nomem(c);
    if (++u->linhas == 1) {
        u->valor = sqlite3_value_dup(v[0]);
        return;
    }
    if (u->linhas == 2) FalharNaFuncao(c, ErroDoServidor(512));
}

void FinalDoValorUnico(sqlite3_context* c) {
    auto* u = static_cast<ValorUnico*>(sqlite3_aggregate_context(c, 0));
    if (!u || !u->valor) return sqlite3_result_null(c);
    if (u->linhas == 1) sqlite3_result_value(c, u->valor);
    sqlite3_value_free(u->valor);
    u->valor = nullptr;
}

}  // namespace

void RegistrarFuncoesDeSubconsulta(sqlite3* db) {
    sqlite3_create_function(db, "zv_valor_unico", 1, SQLITE_UTF8, nullptr, nullptr,
                            PassoDoValorUnico, FinalDoValorUnico);
}

}  // namespace zolvek::simulador
