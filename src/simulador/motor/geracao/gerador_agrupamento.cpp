// What SQL Server checks of a grouped query, and of a scalar subquery, that SQLite lets
// through: SQLite answers a column outside GROUP BY with any row's value, and a scalar
// subquery of several rows with its first.
#include <algorithm>
#include <set>
#include <string>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/filhos_da_expressao.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/funcoes/agregados.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

namespace zolvek::simulador {

// A column of this SELECT's own tables, outside every aggregate, must be one of the
// GROUP BY's (or part of an expression the GROUP BY names whole).
void GeradorSqlite::VerificarAgrupamento(const Selecao& s) {
    const bool agrupada = !s.grupo.empty() || !s.conjuntos.empty() ||
                          std::any_of(s.itens.begin(), s.itens.end(),
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
        throw ErroDoServidor(8120, {tabela, c->partes.back(), onde});
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
        throw ErroDoServidor(145);
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

namespace {

const char* const kRecusaDosConjuntos = "O simulador de SQL Server não ";

// Whether the expression holds a window function or a subquery, whose rows the grouping
// sets would not see masked.
bool TemJanelaOuSubconsulta(const Expressao& e) {
    if (const auto* c = std::get_if<Chamada>(&e.no); c && c->sobre) return true;
    if (std::holds_alternative<Subconsulta>(e.no) || std::holds_alternative<Existe>(e.no))
        return true;
    if (const auto* em = std::get_if<Em>(&e.no); em && em->consulta) return true;
    bool achou = false;
    ParaCadaFilho(e, [&](const Expressao& x) { achou = achou || TemJanelaOuSubconsulta(x); });
    return achou;
}

std::string ColunaInterna(const char* prefixo, std::size_t k) {
    return std::string(prefixo) + std::to_string(k + 1);
}

}  // namespace

// SELECT items FROM (one SELECT per grouping set, UNION ALL) AS zv_conjuntos. Each set's
// SELECT also gives every GROUP BY expression (zv_v) and whether the set leaves it out
// (zv_g), for ORDER BY and for the order of ROLLUP's rows; a count(*) makes the grand
// total's SELECT one row even over no rows, as SQL Server gives it.
std::string GeradorSqlite::GerarConjuntos(const Selecao& s) {
    for (const auto& g : s.grupo)
        if (std::holds_alternative<Literal>(g->no)) throw ErroDoServidor(164);
    for (const auto& i : s.itens) {
        if (!i.variavel.empty())
            throw Recusa(std::string(kRecusaDosConjuntos) +
                         "atribui variáveis numa consulta com ROLLUP, CUBE ou GROUPING SETS.");
        if (TemJanelaOuSubconsulta(*i.expressao))
            throw Recusa(std::string(kRecusaDosConjuntos) +
                         "calcula funções com OVER nem subconsultas numa consulta com "
                         "ROLLUP, CUBE ou GROUPING SETS.");
    }
    if (s.tendo && TemJanelaOuSubconsulta(*s.tendo))
        throw Recusa(std::string(kRecusaDosConjuntos) +
                     "calcula subconsultas no HAVING de uma consulta com ROLLUP, CUBE ou "
                     "GROUPING SETS.");
    auto& textos = textosDosConjuntos_[&s];
    textos.clear();
    std::vector<std::size_t> indice;
    for (const auto& g : s.grupo) {
        std::string t = Gerar(*g);
        auto it = std::find(textos.begin(), textos.end(), t);
        indice.push_back(static_cast<std::size_t>(it - textos.begin()));
        if (it == textos.end()) textos.push_back(std::move(t));
    }
    std::string uniao;
    for (std::size_t k = 0; k < s.conjuntos.size(); ++k) {
        ConjuntoAtual conjunto{&textos, std::vector<bool>(textos.size(), false)};
        for (std::size_t i : s.conjuntos[k]) conjunto.presentes[indice[i]] = true;
        // SQLite takes a column's collation from the first SELECT: one that groups by
        // every expression and returns no row comes first when the first set does not
        if (k == 0 && std::count(conjunto.presentes.begin(), conjunto.presentes.end(), false))
            uniao = RamoDoConjunto(s, {&textos, std::vector<bool>(textos.size(), true)}, true) +
                    " UNION ALL ";
        uniao += (k ? " UNION ALL " : "") + RamoDoConjunto(s, conjunto, false);
    }
    std::string r = s.distinto ? "SELECT DISTINCT " : "SELECT ";
    for (std::size_t k = 0; k < s.itens.size(); ++k) {
        const auto& item = s.itens[k];
        std::string nome = item.apelido;
        if (const auto* c = std::get_if<Coluna>(&item.expressao->no); nome.empty() && c)
            nome = c->partes.back();
        // an expression without alias has no name: +x keeps the value and loses the name
        r += (k ? ", " : "") + (nome.empty()
                                    ? "+" + ColunaInterna("zv_c", k)
                                    : ColunaInterna("zv_c", k) + " AS " + ComoIdentificador(nome));
    }
    return r + " FROM (" + uniao + ") AS zv_conjuntos";
}

std::string GeradorSqlite::RamoDoConjunto(const Selecao& s, const ConjuntoAtual& conjunto,
                                          bool vazio) {
    std::string r = "SELECT ";
    {
        conjunto_ = &conjunto;
        mascarar_ = true;
        struct Saida {
            GeradorSqlite& g;
            ~Saida() { g.conjunto_ = nullptr, g.mascarar_ = false; }
        } saida{*this};
        for (std::size_t k = 0; k < s.itens.size(); ++k) {
            const Expressao& e = *s.itens[k].expressao;
            r += ComColacaoDecimal(e, Gerar(e)) + " AS " + ColunaInterna("zv_c", k) + ", ";
        }
        const auto& textos = *conjunto.textos;
        for (std::size_t j = 0; j < textos.size(); ++j)
            r += (conjunto.presentes[j] ? textos[j] : "NULL") + " AS " + ColunaInterna("zv_v", j) +
                 ", " + (conjunto.presentes[j] ? "0" : "1") + " AS " + ColunaInterna("zv_g", j) +
                 ", ";
        r += "count(*) AS zv_n";
        if (!s.de.empty() || s.onde) {
            mascarar_ = false;
            if (!s.de.empty()) r += " FROM " + Gerar(s.de);
            if (s.onde) r += " WHERE " + Gerar(*s.onde);
            mascarar_ = true;
        }
        std::string grupo;
        for (std::size_t j = 0; j < textos.size(); ++j)
            if (conjunto.presentes[j]) grupo += (grupo.empty() ? "" : ", ") + textos[j];
        if (!grupo.empty()) r += " GROUP BY " + grupo;
        if (vazio)
            r += " HAVING 0";
        else if (s.tendo)
            r += " HAVING " + Gerar(*s.tendo);
    }
    return r;
}

// An expression of the select list or HAVING as the grouping set being written sees it:
// NULL where the set leaves it out; an aggregate's operand is never masked.
std::optional<std::string> GeradorSqlite::Mascarado(const Expressao& e) {
    mascarar_ = false;
    struct Saida {
        bool& m;
        ~Saida() { m = true; }
    } saida{mascarar_};
    if (const auto* c = std::get_if<Chamada>(&e.no);
        c && EhAgregado(*c) && Dobrar(c->nome[0]) != "grouping")
        return Gerar(e);
    if (std::holds_alternative<Literal>(e.no) || std::holds_alternative<Variavel>(e.no))
        return std::nullopt;
    const std::string texto = Gerar(e);
    const auto& textos = *conjunto_->textos;
    auto it = std::find(textos.begin(), textos.end(), texto);
    if (it == textos.end()) return std::nullopt;
    return conjunto_->presentes[static_cast<std::size_t>(it - textos.begin())] ? texto : "NULL";
}

// GROUPING(x): 1 where the grouping set leaves x out; GROUPING_ID(a, b): those bits, the
// first argument's the highest.
std::string GeradorSqlite::Agrupando(const Chamada& c, const std::string& chave) {
    const std::string nome = chave == "grouping" ? "GROUPING" : "GROUPING_ID";
    if (c.sobre) throw ErroDoServidor(102, {"'OVER'"});
    if (chave == "grouping" && c.argumentos.size() != 1)
        throw ErroDoServidor(174, {"GROUPING", "1"});
    if (c.argumentos.empty()) throw ErroDoServidor(102, {"')'"});
    std::vector<std::string> plano;
    const std::vector<std::string>* textos = conjunto_ ? conjunto_->textos : nullptr;
    if (!conjunto_ && !agrupada_) {
        // outside its SELECT (an ORDER BY): its SELECT has checked it; the comment tells
        // GROUPING of one expression from that of another
        std::string comentario = nome;
        for (const auto& a : c.argumentos) comentario += " " + Gerar(*a);
        for (auto k = comentario.find("*/"); k != std::string::npos; k = comentario.find("*/"))
            comentario.replace(k, 2, "* /");
        return "CAST(0 AS INTEGER) /* " + comentario + " */";
    }
    if (!conjunto_ && agrupada_) {
        const bool mascarando = mascarar_;
        mascarar_ = false;
        for (const auto& g : agrupada_->grupo) plano.push_back(Gerar(*g));
        mascarar_ = mascarando;
        textos = &plano;
    }
    long long bits = 0;
    for (std::size_t k = 0; k < c.argumentos.size(); ++k) {
        const bool mascarando = mascarar_;
        mascarar_ = false;
        const std::string texto = Gerar(*c.argumentos[k]);
        mascarar_ = mascarando;
        auto it = textos ? std::find(textos->begin(), textos->end(), texto) : plano.end();
        if (!textos || it == textos->end())
            throw ErroDoServidor(8161, {std::to_string(k + 1), nome});
        const bool fora =
            conjunto_ && !conjunto_->presentes[static_cast<std::size_t>(it - textos->begin())];
        bits = bits * 2 + (fora ? 1 : 0);
    }
    return std::to_string(bits);
}

// ORDER BY of a query with grouping sets names the columns of zv_conjuntos: an item of the
// select list (by position, alias, or as written), a GROUP BY expression, or GROUPING of one.
std::string GeradorSqlite::OrdemDosConjuntos(const Consulta& q) {
    const Selecao& s = *q.ramos[0].selecao;
    const auto& textos = textosDosConjuntos_[&s];
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        ~Saida() { e.pop_back(); }
    } saida{escopos_};
    std::vector<std::string> itens;
    for (const auto& i : s.itens) itens.push_back(Gerar(*i.expressao));
    std::string r = "ORDER BY ";
    for (std::size_t k = 0; k < q.ordem.size(); ++k) {
        const Expressao& e = *q.ordem[k].expressao;
        std::string coluna;
        const auto* l = std::get_if<Literal>(&e.no);
        const auto* c = std::get_if<Coluna>(&e.no);
        const auto* g = std::get_if<Chamada>(&e.no);
        if (l) {
            coluna = ColunaInterna("zv_c", std::stoul(l->texto) - 1);
        } else if (g && g->nome.size() == 1 && Dobrar(g->nome[0]) == "grouping" &&
                   g->argumentos.size() == 1) {
            auto it = std::find(textos.begin(), textos.end(), Gerar(*g->argumentos[0]));
            if (it != textos.end())
                coluna = ColunaInterna("zv_g", static_cast<std::size_t>(it - textos.begin()));
        }
        for (std::size_t i = 0; coluna.empty() && c && c->partes.size() == 1 && i < s.itens.size();
             ++i)
            if (IguaisCiAs(s.itens[i].apelido, c->partes[0]))
                coluna = ComColacaoDecimal(*s.itens[i].expressao, ColunaInterna("zv_c", i));
        const std::string texto = coluna.empty() ? Gerar(e) : "";
        for (std::size_t i = 0; coluna.empty() && i < itens.size(); ++i)
            if (itens[i] == texto)
                coluna = ComColacaoDecimal(*s.itens[i].expressao, ColunaInterna("zv_c", i));
        for (std::size_t j = 0; coluna.empty() && j < textos.size(); ++j)
            if (textos[j] == texto) coluna = ComColacaoDecimal(e, ColunaInterna("zv_v", j));
        if (coluna.empty())
            throw Recusa(std::string(kRecusaDosConjuntos) +
                         "ordena uma consulta com ROLLUP, CUBE ou GROUPING SETS por uma "
                         "expressão que não esteja na lista de seleção nem no GROUP BY.");
        r += (k ? ", " : "") + coluna + (q.ordem[k].decrescente ? " DESC" : "");
    }
    return r;
}

// Without ORDER BY, ROLLUP gives each group's subtotal after the group's rows and the
// grand total last, as SQL Server's sorted aggregation does.
std::string GeradorSqlite::OrdemDoRollup(const Selecao& s) const {
    const auto it = textosDosConjuntos_.find(&s);
    std::string r = "ORDER BY ";
    for (std::size_t j = 0; it != textosDosConjuntos_.end() && j < it->second.size(); ++j)
        r += (j ? ", " : "") + ColunaInterna("zv_g", j) + ", " + ColunaInterna("zv_v", j);
    return it == textosDosConjuntos_.end() || it->second.empty() ? "" : r;
}

// What SQL Server checks of OVER and WITHIN GROUP that SQLite would take or not know:
// 2008 R2 has no frames; ranking and offset functions take no frame; PERCENTILE_CONT and
// PERCENTILE_DISC are not computed here.
void GeradorSqlite::VerificarJanela(const Chamada& c, const std::string& chave) const {
    const FuncaoEmbutida* f = FuncaoEmbutidaDe(chave);
    const bool percentil = f && f->dentroDoGrupo;
    if (percentil && ctx_.versaoMaior >= 11)
        throw Recusa(std::string(kRecusaDosConjuntos) + "calcula " + c.nome[0] + ".");
    if (!c.noGrupo.empty() && !percentil) throw ErroDoServidor(10757, {chave});
    if (!c.sobre || c.sobre->moldura.empty()) return;
    if (ctx_.versaoMaior < 11)
        throw ErroDoServidor(102, {std::string("'") + c.sobre->escrita + "'"});
    if (f && f->semMoldura) throw ErroDoServidor(10752, {chave});
}

namespace {

// Whether the expression calls a function with OVER; a subquery's own clauses are its own.
bool ChamaJanela(const Expressao& e) {
    if (const auto* c = std::get_if<Chamada>(&e.no); c && c->sobre) return true;
    bool achou = false;
    ParaCadaFilho(e, [&](const Expressao& x) { achou = achou || ChamaJanela(x); });
    return achou;
}

bool JuncaoComJanela(const std::vector<Juncao>& juncoes) {
    for (const auto& j : juncoes)
        if ((j.condicao && ChamaJanela(*j.condicao)) || JuncaoComJanela(j.fonte.juncoes))
            return true;
    return false;
}

}  // namespace

// A window function is computed over the rows WHERE, ON, GROUP BY and HAVING choose: it
// cannot take part in choosing them (SQLite would answer with a message of its own).
void GeradorSqlite::RecusarJanelaForaDaSelecao(const Expressao* onde, const std::vector<Juncao>& de,
                                               const std::vector<Expr>& grupo,
                                               const Expressao* tendo) const {
    bool achou =
        (onde && ChamaJanela(*onde)) || JuncaoComJanela(de) || (tendo && ChamaJanela(*tendo));
    for (const auto& g : grupo) achou = achou || ChamaJanela(*g);
    if (achou) throw ErroDoServidor(4108);
}

}  // namespace zolvek::simulador
