// Queries: SELECT, its FROM and ORDER BY, WITH, compound queries and TOP.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/variaveis.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/tipos.hpp"

namespace zolvek::simulador {

std::string GeradorSqlite::Ordem(const std::vector<OrdemDe>& ordem) {
    std::string s = "ORDER BY ";
    for (std::size_t k = 0; k < ordem.size(); ++k)
        s += (k ? ", " : "") + ComColacaoDecimal(*ordem[k].expressao, Gerar(*ordem[k].expressao)) +
             (ordem[k].decrescente ? " DESC" : "");
    return s;
}

// An ORDER BY names a position of the select list or an expression; a constant that is
// no position is refused as SQL Server does, and so is SQLite's hidden rowid.
void GeradorSqlite::VerificarOrdem(const Consulta& q) {
    const Selecao* s = q.ramos.empty() ? nullptr : q.ramos[0].selecao.get();
    const bool contavel =
        s && std::none_of(s->itens.begin(), s->itens.end(), [](const ItemDaSelecao& i) {
            const auto* c = std::get_if<Coluna>(&i.expressao->no);
            return c && c->partes.back() == "*";
        });
    for (std::size_t k = 0; k < q.ordem.size(); ++k) {
        if (const auto* c = std::get_if<Coluna>(&q.ordem[k].expressao->no); c && s) {
            const bool apelido = std::any_of(s->itens.begin(), s->itens.end(), [&](const auto& i) {
                return c->partes.size() == 1 && IguaisCiAs(i.apelido, c->partes[0]);
            });
            escopos_.push_back(EscopoDe(*s));
            const bool oculta = !apelido && ColunaOcultaDoSqlite(*c);
            escopos_.pop_back();
            if (oculta) throw ErroDoServidor(207, {c->partes.back()});
        }
        const auto* l = std::get_if<Literal>(&q.ordem[k].expressao->no);
        if (!l) continue;
        const bool posicao = l->tipo == Literal::Tipo::Numero && !l->moeda && !l->texto.empty() &&
                             l->texto.find_first_not_of("0123456789") == std::string::npos;
        if (!posicao) throw ErroDoServidor(408, {std::to_string(k + 1)});
        const std::string numero =
            l->texto.substr(std::min(l->texto.find_first_not_of('0'), l->texto.size() - 1));
        if (contavel &&
            (numero == "0" || numero.size() > 9 || std::stoul(numero) > s->itens.size()))
            throw ErroDoServidor(108, {numero});
    }
}

std::string GeradorSqlite::GerarFonte(const Fonte& f) {
    if (!f.juncoes.empty()) return "(" + Gerar(f.juncoes) + ")";
    if (f.pivo) return GerarPivo(f).sql + " AS " + IdentificadorNoSqlite(f.pivo->apelido);
    std::string s;
    if (f.derivada)
        s = f.colunasDoApelido.empty() ? "(" + Gerar(*f.derivada) + ")" : DerivadaComNomes(f);
    else if (FuncaoDeTabela(f))
        s = ExpandirFuncao(f).sql +
            (f.apelido.empty() ? " AS " + IdentificadorNoSqlite(NomeDaFuncao(f)) : "");
    else if (f.funcao)
        s = Gerar(*f.funcao);
    else if (!f.valores.empty())
        s = GerarValores(f);
    else
        s = NomeDeTabela(f.nome);
    if (!f.colunasDoApelido.empty() && f.valores.empty() && !f.derivada)
        throw Recusa(
            "O simulador de SQL Server não aceita nomes de colunas no apelido de uma função de "
            "tabela.");
    if (!f.apelido.empty()) s += " AS " + IdentificadorNoSqlite(f.apelido);
    return s;
}

std::string GeradorSqlite::Gerar(const std::vector<Juncao>& fontes) {
    std::string s;
    for (const auto& j : fontes) {
        if (j.tipo == "CROSS APPLY" || j.tipo == "OUTER APPLY") {
            s += GerarAplicacao(j);
            continue;
        }
        if (j.tipo == ",")
            s += ", ";
        else if (!j.tipo.empty())
            s += " " + j.tipo + " ";
        s += GerarFonte(j.fonte);
        if (j.condicao) s += " ON " + Gerar(*j.condicao);
    }
    return s;
}

std::string GeradorSqlite::Gerar(const Clausulas& c) {
    RecusarJanelaForaDaSelecao(c.onde.get(), c.de, {}, nullptr);
    std::string s;
    if (!c.de.empty()) s = "FROM " + Gerar(c.de);
    if (c.onde) s += std::string(s.empty() ? "" : " ") + "WHERE " + Gerar(*c.onde);
    return s;
}

std::string GeradorSqlite::GerarNomeada(const std::string& nome,
                                        const std::vector<std::string>& colunas,
                                        const Consulta& consulta) {
    std::string s = IdentificadorNoSqlite(nome);
    if (!colunas.empty()) {
        s += "(";
        for (std::size_t m = 0; m < colunas.size(); ++m)
            s += (m ? ", " : "") + ComoIdentificador(colunas[m]);
        const Consulta* q = &consulta;  // (SELECT ...): the SELECT inside
        while (q->ramos.size() == 1 && q->ramos[0].consulta) q = q->ramos[0].consulta.get();
        const Selecao* primeira = q->ramos.empty() ? nullptr : q->ramos[0].selecao.get();
        if (ctx_.chavesDaLinha && ctx_.chavesDaLinha->count(primeira)) s += ", zv_linha";
        s += ")";
    }
    // named already while its own text is written: a recursive one reads itself
    nomeadas_.emplace_back(nome, nullptr);
    const std::size_t propria = nomeadas_.size() - 1;
    s += " AS (" + Gerar(consulta) + ")";
    nomeadas_[propria].second = TabelaDerivada(consulta, colunas);
    return s;
}

// SELECT @v = x: the value as the variable's type. A SELECT that assigns returns no
// rows to the client, so each of its items assigns.
std::string GeradorSqlite::ValorAtribuido(const Selecao& s, std::size_t k) {
    const ItemDaSelecao& item = s.itens[k];
    if (item.variavel.empty() || &s != selecaoPrincipal_) throw ErroDoServidor(141);
    const auto tipo = ctx_.variaveis ? ctx_.variaveis->Tipo(item.variavel) : std::nullopt;
    if (!tipo) return Gerar(*item.expressao);  // a body being compiled
    ctx_.atribuidas.push_back(item.variavel);
    return Convertido(*item.expressao, *tipo);
}

std::string GeradorSqlite::Convertido(const Expressao& e, const TipoSql& t) {
    std::string x = Gerar(e);
    const auto origem = TipoDe(e);
    // a decimal becomes an integer or float from its value, not from its text
    if (origem && EhNumericoExato(origem->base) &&
        (EhInteiro(t.base) || t.base == TipoBase::Float || t.base == TipoBase::Real))
        x = "zv_dreal(" + x + ")";
    std::string tipo = TextoDoTipo(t);
    if (origem && EhDataHora(t.base) && (EhDataHora(origem->base) || EhTexto(origem->base)))
        tipo += "|" + TextoDoTipo(*origem);
    return "zv_cast(" + x + ", " + ComoTexto(tipo) + ")";
}

std::string GeradorSqlite::GerarSelecao(const Selecao& s) {
    ExigirNomesExpostosDistintos(s);
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        std::vector<const Selecao*>& abertas;
        ~Saida() {
            e.pop_back();
            abertas.pop_back();
        }
    } saida{escopos_, abertas_};
    abertas_.push_back(&s);
    RegistrarAplicadas(s);
    if (&s == selecaoPrincipal_) AnotarTipos(s);
    if (!s.destino.empty()) {
        if (&s != selecaoPrincipal_ && tiposDosRamos_.count(&s)) throw ErroDoServidor(196);
        if (&s != selecaoPrincipal_ || !ctx_.comDestino) throw ErroDoServidor(156, {"INTO"});
        AnotarDestino(s);
    }
    // a subquery's columns are its own: the outer grouping set masks none of them
    struct Contexto {
        GeradorSqlite& g;
        const ConjuntoAtual* conjunto;
        bool mascarar;
        const Selecao* agrupada;
        ~Contexto() { g.conjunto_ = conjunto, g.mascarar_ = mascarar, g.agrupada_ = agrupada; }
    } contexto{*this, conjunto_, mascarar_, agrupada_};
    conjunto_ = nullptr;
    mascarar_ = false;
    agrupada_ = &s;
    RecusarJanelaForaDaSelecao(s.onde.get(), s.de, s.grupo, s.tendo.get());
    VerificarAgrupamento(s);
    if (!s.conjuntos.empty()) return GerarConjuntos(s);
    const auto ramo = tiposDosRamos_.find(&s);
    std::string r = s.distinto ? "SELECT DISTINCT " : "SELECT ";
    if (&s == selecaoPrincipal_) ctx_.atribuidas.clear();
    const bool atribui = std::any_of(s.itens.begin(), s.itens.end(),
                                     [](const auto& i) { return !i.variavel.empty(); });
    for (std::size_t k = 0; k < s.itens.size(); ++k) {
        const Expressao& e = *s.itens[k].expressao;
        if (atribui) {
            r += (k ? ", " : "") + ValorAtribuido(s, k);
            continue;
        }
        if (const auto* c = std::get_if<Coluna>(&e.no))
            if (auto estrela = EstrelaComAplicadas(*c, s)) {
                r += (k ? ", " : "") + *estrela;
                continue;
            }
        std::string item = Gerar(e);
        std::string convertido;
        if (ramo != tiposDosRamos_.end() && k < ramo->second.size())
            convertido = ComoTipoDoRamo(e, ramo->second[k], item);
        r += (k ? ", " : "") + (convertido.empty() ? ComColacaoDoItem(e, item) : convertido);
        if (!s.itens[k].apelido.empty()) {
            r += " AS " + ComoIdentificador(s.itens[k].apelido);
        } else if (const auto* c = std::get_if<Coluna>(&e.no); c && ColunaAplicada(*c)) {
            r += " AS " + ComoIdentificador(c->partes.back());  // read from JSON, named as a column
        }
    }
    if (ctx_.chavesDaLinha)
        if (auto chave = ctx_.chavesDaLinha->find(&s); chave != ctx_.chavesDaLinha->end())
            r += ", " + chave->second + " AS zv_linha";
    if (&s == contarEmpates_.first)
        r += ", count(*) OVER (" + contarEmpates_.second + ") AS zv_empates";
    if (!s.de.empty()) r += " FROM " + Gerar(s.de);
    if (s.onde) r += " WHERE " + Gerar(*s.onde);
    if (!s.grupo.empty()) {
        // SQLite would read a number as a position of the select list
        for (const auto& g : s.grupo)
            if (std::holds_alternative<Literal>(g->no)) throw ErroDoServidor(164);
        r += " GROUP BY ";
        for (std::size_t k = 0; k < s.grupo.size(); ++k) r += (k ? ", " : "") + Gerar(*s.grupo[k]);
    }
    if (s.tendo) r += " HAVING " + Gerar(*s.tendo);
    return r;
}

// A select item that is not a column keeps the collation SQL Server compares it in where
// a derived table or WITH query hands it on: a text the database's (SQLite's functions give
// none), an exact number the decimal one.
std::string GeradorSqlite::ComColacaoDoItem(const Expressao& e, std::string sql) const {
    if (std::holds_alternative<Coluna>(e.no)) return sql;
    if (const auto tipo = TipoDoValor(e); tipo && EhTexto(tipo->base))
        return sql + " COLLATE " + kColacao;
    return ComColacaoDecimal(e, std::move(sql));
}

// A branch of a compound query: SQLite takes neither LIMIT nor parentheses there, so a
// branch with TOP or in parentheses becomes a derived table of its own.
std::string GeradorSqlite::GerarRamo(const Ramo& r, bool unico) {
    if (r.consulta) {
        std::string q = Gerar(*r.consulta);
        return unico ? q : "SELECT * FROM (" + q + ")";
    }
    std::string s = GerarSelecao(*r.selecao);
    if (unico || !r.selecao->topo) return s;
    if (r.selecao->porcento || r.selecao->comEmpates)
        throw Recusa(
            "O simulador de SQL Server não aceita TOP ... PERCENT nem WITH TIES em UNION, EXCEPT "
            "ou INTERSECT.");
    return "SELECT * FROM (" + s + " LIMIT " + QuantidadeDoTopo(*r.selecao->topo) + ")";
}

std::string GeradorSqlite::Gerar(const Consulta& q) {
    if (q.xml && &q != xmlEmCurso_) return GerarXml(q, false);
    if (consultas_ == 0 && !q.ramos.empty()) selecaoPrincipal_ = q.ramos[0].selecao.get();
    ++consultas_;
    struct Saida {
        int& n;
        ~Saida() { --n; }
    } saida{consultas_};
    std::string s;
    if (!q.com.empty()) {
        s = "WITH ";
        for (std::size_t k = 0; k < q.com.size(); ++k)
            s +=
                (k ? ", " : "") + GerarNomeada(q.com[k].nome, q.com[k].colunas, *q.com[k].consulta);
        s += " ";
    }
    TiparRamos(q);
    bool unico = q.ramos.size() == 1;
    bool entreParenteses = unico && q.ramos[0].consulta;
    const std::size_t inicioDoCorpo = s.size();
    if (entreParenteses && (!q.ordem.empty() || q.deslocamento))
        s += "SELECT * FROM (" + Gerar(*q.ramos[0].consulta) + ")";
    else
        for (std::size_t k = 0; k < q.ramos.size(); ++k)
            s += (k ? " " + q.operadores[k - 1] + " " : "") + GerarRamo(q.ramos[k], unico);
    const std::string corpo = s.substr(inicioDoCorpo);
    // ORDER BY and TOP read the columns of the queries the lone SELECT applies
    struct Aberta {
        std::vector<const Selecao*>& abertas;
        ~Aberta() { abertas.pop_back(); }
    } aberta{abertas_};
    abertas_.push_back(unico ? q.ramos[0].selecao.get() : nullptr);
    if (!q.ordem.empty()) {
        VerificarOrdem(q);
        VerificarOrdemDistinta(q);
        s += " " + (unico && q.ramos[0].selecao && !q.ramos[0].selecao->conjuntos.empty()
                        ? OrdemDosConjuntos(q)
                        : (unico ? Ordem(q.ordem) : OrdemDaUniao(q)));
    } else if (unico && q.ramos[0].selecao && q.ramos[0].selecao->emRollup) {
        s += " " + OrdemDoRollup(*q.ramos[0].selecao);
    }
    const bool topo = unico && q.ramos[0].selecao && q.ramos[0].selecao->topo;
    if (topo && q.deslocamento) throw ErroDoServidor(10741);
    if (topo)
        s += " LIMIT " + LimiteDoTopo(q, *q.ramos[0].selecao, corpo);
    else if (q.deslocamento)
        s += LimiteDoDeslocamento(q);
    return s;
}

// The LIMIT of TOP n [PERCENT] [WITH TIES] of a lone SELECT, `corpo` its text without
// ORDER BY. A percent of its rows is rounded up; ties take the rows after the nth whose
// ORDER BY values equal its, so the limit is the count of rows ordered no later than it.
std::string GeradorSqlite::LimiteDoTopo(const Consulta& q, const Selecao& s,
                                        const std::string& corpo) {
    std::string n = QuantidadeDoTopo(*s.topo, s.porcento);
    if (!s.porcento && !s.comEmpates) return n;
    n = "(" + n + ")";
    if (s.porcento) {
        const std::string x = "(count(*) * " + n + " / 100.0)";
        n = "(SELECT CAST(" + x + " AS INTEGER) + (" + x + " > CAST(" + x + " AS INTEGER)) FROM (" +
            corpo + "))";
    }
    if (!s.comEmpates) return n;
    if (q.ordem.empty()) throw ErroDoServidor(1062);
    const std::string ordem = Ordem(q.ordem);
    contarEmpates_ = {&s, ordem};
    const std::string contada = GerarSelecao(s);
    contarEmpates_ = {};
    return "coalesce((SELECT zv_empates FROM (" + contada + " " + ordem + " LIMIT 1 OFFSET " + n +
           " - 1)), -1)";
}

}  // namespace zolvek::simulador
