// What SQL Server checks of a grouped query, and of a scalar subquery, that SQLite lets
// through: SQLite answers a column outside GROUP BY with any row's value, and a scalar
// subquery of several rows with its first.
#include <algorithm>
#include <set>
#include <string>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/filhos_da_expressao.hpp"
#include "simulador/motor/gerador_sqlite.hpp"
#include "simulador/motor/lexico.hpp"

namespace zolvek::simulador {

namespace {

bool EhAgregado(const Chamada& c) {
    static const std::set<std::string> kAgregados = {
        "count", "count_big", "sum", "avg",  "min",      "max",
        "stdev", "stdevp",    "var", "varp", "grouping", "checksum_agg"};
    return !c.sobre && c.nome.size() == 1 && kAgregados.count(Dobrar(c.nome[0]));
}

// Whether the expression holds an aggregate outside its subqueries.
bool TemAgregado(const Expressao& e) {
    if (const auto* c = std::get_if<Chamada>(&e.no); c && EhAgregado(*c)) return true;
    bool achou = false;
    ParaCadaFilho(e, [&](const Expressao& x) { achou = achou || TemAgregado(x); });
    return achou;
}

}  // namespace

// A column of this SELECT's own tables, outside every aggregate, must be one of the
// GROUP BY's (or part of an expression the GROUP BY names whole).
void GeradorSqlite::VerificarAgrupamento(const Selecao& s) {
    const bool agrupada =
        !s.grupo.empty() || std::any_of(s.itens.begin(), s.itens.end(),
                                        [](const auto& i) { return TemAgregado(*i.expressao); });
    if (!agrupada) return;
    // a constant in GROUP BY is refused on its own (164) when the clause is written
    for (const auto& g : s.grupo)
        if (std::holds_alternative<Literal>(g->no)) return;
    Agrupamento grupo;
    for (const auto& g : s.grupo) {
        grupo.expressoes.insert(Gerar(*g));
        std::string tabela;
        if (const auto* c = std::get_if<Coluna>(&g->no); c && ColunaDaSelecao(*c, tabela))
            grupo.colunas.insert(Dobrar(tabela + "." + c->partes.back()));
    }
    for (const auto& i : s.itens) VerificarAgrupado(*i.expressao, grupo, "select list");
    if (s.tendo) VerificarAgrupado(*s.tendo, grupo, "HAVING clause");
}

void GeradorSqlite::VerificarAgrupado(const Expressao& e, const Agrupamento& grupo,
                                      const char* onde) {
    if (grupo.expressoes.count(Gerar(e))) return;
    if (const auto* c = std::get_if<Coluna>(&e.no)) {
        std::string tabela;
        if (c->partes.back() == "*" || !ColunaDaSelecao(*c, tabela)) return;  // outer reference
        if (grupo.colunas.count(Dobrar(tabela + "." + c->partes.back()))) return;
        throw ErroDeBanco("Column '" + tabela + "." + c->partes.back() + "' is invalid in the " +
                              onde +
                              " because it is not contained in either an aggregate function or "
                              "the GROUP BY clause.",
                          8120, 16, 1);
    }
    if (const auto* c = std::get_if<Chamada>(&e.no); c && EhAgregado(*c)) return;
    ParaCadaFilho(e, [&](const Expressao& x) { VerificarAgrupado(x, grupo, onde); });
}

// Whether the column is one of the innermost SELECT's tables; `tabela` gets the name
// SQL Server shows it by (the alias, or the table's name).
bool GeradorSqlite::ColunaDaSelecao(const Coluna& c, std::string& tabela) const {
    if (escopos_.empty()) return false;
    const std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    for (const auto& [nome, t] : escopos_.back()) {
        if (!t || (!dono.empty() && !IguaisCiAs(dono, nome))) continue;
        if (t->Coluna(c.partes.back())) {
            tabela = nome;
            return true;
        }
    }
    return false;
}

// With SELECT DISTINCT, ORDER BY can only name what the select list shows.
void GeradorSqlite::VerificarOrdemDistinta(const Consulta& q) {
    if (q.ramos.size() != 1 || !q.ramos[0].selecao || !q.ramos[0].selecao->distinto) return;
    const Selecao& s = *q.ramos[0].selecao;
    std::set<std::string> mostrados;
    for (const auto& i : s.itens) {
        const auto* c = std::get_if<Coluna>(&i.expressao->no);
        if (c && c->partes.back() == "*") return;
        if (!i.apelido.empty()) mostrados.insert(Dobrar(i.apelido));
        if (c) mostrados.insert(Dobrar(c->partes.back()));
    }
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        ~Saida() { e.pop_back(); }
    } saida{escopos_};
    std::set<std::string> itens;
    for (const auto& i : s.itens) itens.insert(Gerar(*i.expressao));
    for (const auto& o : q.ordem) {
        const Expressao& e = *o.expressao;
        if (std::holds_alternative<Literal>(e.no)) continue;
        const auto* c = std::get_if<Coluna>(&e.no);
        if (c && mostrados.count(Dobrar(c->partes.back()))) continue;
        if (itens.count(Gerar(e))) continue;
        throw ErroDeBanco(
            "ORDER BY items must appear in the select list if SELECT DISTINCT is specified.", 145,
            15, 1);
    }
}

// A subquery used as a value goes through an aggregate that fails on a second row.
std::string GeradorSqlite::SubconsultaEscalar(const Consulta& q) {
    const Selecao* s = q.ramos.empty() ? nullptr : q.ramos[0].selecao.get();
    const auto* c =
        s && s->itens.size() == 1 ? std::get_if<Coluna>(&s->itens[0].expressao->no) : nullptr;
    if (!s || s->itens.size() != 1 || (c && c->partes.back() == "*")) return "(" + Gerar(q) + ")";
    return "(WITH zv_u(v) AS (" + Gerar(q) + ") SELECT zv_valor_unico(v) FROM zv_u)";
}

}  // namespace zolvek::simulador
