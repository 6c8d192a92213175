// ORDER BY of a UNION, EXCEPT or INTERSECT: SQL Server orders by the items of the first
// query's select list, named by their alias or column or written as the same expression.
// SQLite would also take the other queries' column names, and matches an expression by
// its own text, which the first query writes with its columns' types.
#include <string>
#include <variant>
#include <vector>

#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

bool ComEstrela(const Selecao& s) {
    for (const auto& i : s.itens)
        if (const auto* c = std::get_if<Coluna>(&i.expressao->no); c && c->partes.back() == "*")
            return true;
    return false;
}

// Whether the name is the item's: its alias, or the column it gives without one.
bool NomeDoItem(const ItemDaSelecao& i, const Coluna& c) {
    if (!i.apelido.empty()) return c.partes.size() == 1 && IguaisCiAs(i.apelido, c.partes[0]);
    const auto* ic = std::get_if<Coluna>(&SemParenteses(*i.expressao).no);
    if (!ic || !IguaisCiAs(ic->partes.back(), c.partes.back())) return false;
    if (c.partes.size() == 1 || ic->partes.size() == 1) return true;
    return IguaisCiAs(ic->partes[ic->partes.size() - 2], c.partes[c.partes.size() - 2]);
}

bool PosicaoLiteral(const Expressao& e) {
    const auto* l = std::get_if<Literal>(&e.no);
    return l && l->tipo == Literal::Tipo::Numero;
}

}  // namespace

// The position (from 1) of the first query's item the ORDER BY item stands for; 0 for none.
std::size_t GeradorSqlite::PosicaoNaUniao(const Selecao& s, const Expressao& e) {
    if (const auto* c = std::get_if<Coluna>(&SemParenteses(e).no)) {
        for (std::size_t k = 0; k < s.itens.size(); ++k)
            if (NomeDoItem(s.itens[k], *c)) return k + 1;
        return 0;
    }
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        ~Saida() { e.pop_back(); }
    } saida{escopos_};
    const std::string texto = Gerar(e);
    for (std::size_t k = 0; k < s.itens.size(); ++k)
        if (Gerar(*s.itens[k].expressao) == texto) return k + 1;
    return 0;
}

std::string GeradorSqlite::OrdemDaUniao(const Consulta& q) {
    const Selecao* s = PrimeiraSelecao(q);
    if (!s || ComEstrela(*s)) return Ordem(q.ordem);
    std::string r = "ORDER BY ";
    for (std::size_t k = 0; k < q.ordem.size(); ++k) {
        const Expressao& e = *q.ordem[k].expressao;
        std::string termo;
        if (PosicaoLiteral(e)) {
            termo = Gerar(e);
        } else if (const std::size_t p = PosicaoNaUniao(*s, e)) {
            // a lone name SQLite finds as it is; anything else by its position
            const auto* c = std::get_if<Coluna>(&e.no);
            termo = c && c->partes.size() == 1 ? Gerar(e) : std::to_string(p);
        } else {
            throw ErroDoServidor(104);
        }
        r += (k ? ", " : "") + termo + (q.ordem[k].decrescente ? " DESC" : "");
    }
    return r;
}

}  // namespace zolvek::simulador
