// x op ALL (SELECT ...) and x op ANY/SOME (SELECT ...): SQLite has neither, so each becomes
// EXISTS over the subquery's values, keeping SQL Server's three-valued answer.
#include <optional>
#include <string>
#include <variant>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

namespace {

// The subquery's values are read under this name: no column of a user's table is so named,
// so the compared value never reads the subquery's column for one of its own.
constexpr const char* kValorQuantificado = "zv_quantificado";

// SQLite's operator for T-SQL's comparison.
std::string OperadorNoSqlite(const std::string& op) {
    if (op == "!<") return ">=";
    if (op == "!>") return "<=";
    return op;
}

}  // namespace

// Each branch of the subquery gives one value (a lone * is left to SQLite's own check).
void GeradorSqlite::ExigirUmValor(const Consulta& q) const {
    for (const auto& r : q.ramos) {
        if (r.consulta) ExigirUmValor(*r.consulta);
        if (r.selecao && r.selecao->itens.size() > 1) throw ErroDoServidor(116);
    }
}

// The comparison of x with the subquery's value, as SQL Server compares the two types: an
// exact number beside a number by value, a text literal in the database's collation.
std::string GeradorSqlite::ComparacaoQuantificada(const Em& em) {
    const std::string op = OperadorNoSqlite(em.comparacao);
    const std::string v = kValorQuantificado;
    std::string x = Operando(em.valor);
    const auto tx = TipoDe(*em.valor);
    const Tabela* d = TabelaDerivada(*em.consulta, {v});
    std::optional<TipoSql> tv;
    if (d && !d->colunas.empty()) tv = d->colunas[0].tipo;
    const bool exato = (tx && EhNumericoExato(tx->base)) || (tv && EhNumericoExato(tv->base));
    if (exato && tx && tv && EhNumerico(tx->base) && EhNumerico(tv->base)) {
        if (EhAproximado(tx->base) || EhAproximado(tv->base))
            return "zv_dreal(" + x + ") " + op + " zv_dreal(" + v + ")";
        return "zv_dcomparar(" + x + ", " + v + ") " + op + " 0";
    }
    if (EhTextoLiteral(*em.valor)) x = "(" + x + " COLLATE " + kColacao + ")";
    return x + " " + op + " " + v;
}

// ALL is false when a value compares false, else unknown when one compares unknown (a NULL
// on either side), else true (over no values too); ANY is true when a value compares true,
// else unknown when one compares unknown, else false (over no values too).
std::string GeradorSqlite::GerarQuantificada(const Em& em) {
    ExigirUmValor(*em.consulta);
    const std::string comparacao = "(" + ComparacaoQuantificada(em) + ")";
    const std::string valores = "EXISTS (WITH zv_quantificada(" + std::string(kValorQuantificado) +
                                ") AS (" + Gerar(*em.consulta) +
                                ") SELECT 1 FROM zv_quantificada WHERE ";
    const std::string desconhecida = valores + comparacao + " IS NULL)";
    if (em.todos)
        return "(CASE WHEN " + valores + "NOT " + comparacao + ") THEN 0 WHEN " + desconhecida +
               " THEN NULL ELSE 1 END)";
    return "(CASE WHEN " + valores + comparacao + ") THEN 1 WHEN " + desconhecida +
           " THEN NULL ELSE 0 END)";
}

}  // namespace zolvek::simulador
