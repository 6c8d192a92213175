// PIVOT and UNPIVOT, which SQLite has not, as the derived tables they stand for: PIVOT a
// grouping over the source's other columns with the aggregate of a CASE per listed value,
// UNPIVOT a row per source row and listed column, its NULLs left out.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

bool Contem(const std::vector<std::string>& nomes, const std::string& nome) {
    return std::any_of(nomes.begin(), nomes.end(),
                       [&](const std::string& n) { return IguaisCiAs(n, nome); });
}

[[noreturn]] void ColunaInvalida(const std::string& nome) {
    throw ErroDoServidor(207, {nome});
}

Expr ColunaDe(const std::string& tabela, const std::string& nome) {
    return Nova(Coluna{{tabela, nome}, false});
}

}  // namespace

const GeradorSqlite::PivoGerado& GeradorSqlite::GerarPivo(const Fonte& f) {
    if (auto it = pivos_.find(&f); it != pivos_.end()) return it->second;
    if (f.funcao || !f.colunasDoApelido.empty() || (!f.derivada && f.nome.empty()))
        throw Recusa("O simulador de SQL Server não aplica PIVOT nem UNPIVOT a esta fonte.");
    // the source is written on its own, with its own name as the columns' owner
    const std::string apelido = !f.apelido.empty() ? f.apelido : f.nome.back();
    std::string origem = (f.derivada ? "(" + Gerar(*f.derivada) + ")" : NomeDeTabela(f.nome)) +
                         " AS " + IdentificadorNoSqlite(apelido);
    Tabela* t = f.derivada ? TabelaDerivada(*f.derivada) : nullptr;
    if (!f.derivada && f.nome.size() == 1)
        for (auto it = nomeadas_.rbegin(); it != nomeadas_.rend() && !t; ++it)
            if (IguaisCiAs(it->first, f.nome[0])) t = it->second;
    if (!f.derivada && !t && ctx_.catalogo) t = ctx_.catalogo()->AcharTabela(f.nome.back());
    const std::vector<std::string> colunas = ColunasDaOrigem(f, t);
    const ConjuntoAtual* conjunto = conjunto_;
    const bool mascarar = mascarar_;
    conjunto_ = nullptr;
    mascarar_ = false;
    escopos_.push_back({{apelido, t}});
    struct Saida {
        GeradorSqlite& g;
        const ConjuntoAtual* conjunto;
        bool mascarar;
        ~Saida() {
            g.escopos_.pop_back();
            g.conjunto_ = conjunto, g.mascarar_ = mascarar;
        }
    } saida{*this, conjunto, mascarar};
    auto saidaDoPivo = std::make_unique<Tabela>();
    std::string sql = f.pivo->desfazer ? Despivotar(f, origem, t, colunas, *saidaDoPivo)
                                       : Pivotar(f, origem, colunas, *saidaDoPivo);
    derivadas_.push_back(std::move(saidaDoPivo));
    return pivos_[&f] = {"(" + sql + ")", derivadas_.back().get()};
}

// SELECT g, agg(CASE WHEN c = 'a' THEN v END) AS [a], ... FROM source GROUP BY g
std::string GeradorSqlite::Pivotar(const Fonte& f, const std::string& origem,
                                   const std::vector<std::string>& colunas, Tabela& saida) {
    const Pivo& p = *f.pivo;
    const std::string apelido = escopos_.back()[0].first;
    const auto* agregado = std::get_if<Chamada>(&p.agregado->no);
    const auto* valor = agregado && agregado->argumentos.size() == 1
                            ? std::get_if<Coluna>(&agregado->argumentos[0]->no)
                            : nullptr;
    if (!valor || agregado->sobre || agregado->nome.size() != 1)
        throw Recusa(
            "O simulador de SQL Server só aplica PIVOT a um agregado de uma coluna da fonte.");
    if (!Contem(colunas, p.coluna)) ColunaInvalida(p.coluna);
    if (!Contem(colunas, valor->partes.back())) ColunaInvalida(valor->partes.back());
    std::string itens, grupo;
    for (const auto& c : colunas) {
        if (IguaisCiAs(c, p.coluna) || IguaisCiAs(c, valor->partes.back())) continue;
        const std::string x = Gerar(*ColunaDe(apelido, c));
        itens += x + " AS " + ComoIdentificador(c) + ", ";
        grupo += (grupo.empty() ? "" : ", ") + x;
        const ColunaDaTabela* tipo =
            escopos_.back()[0].second ? escopos_.back()[0].second->Coluna(c) : nullptr;
        if (tipo) saida.colunas.push_back({c, tipo->tipo});
    }
    for (std::size_t k = 0; k < p.lista.size(); ++k) {
        Caso caso;
        caso.ramos.emplace_back(
            Nova(Binaria{"=", ColunaDe(apelido, p.coluna),
                         Nova(Literal{Literal::Tipo::Texto, p.lista[k], true})}),
            ColunaDe(apelido, valor->partes.back()));
        Chamada chamada;
        chamada.nome = agregado->nome;
        chamada.distinto = agregado->distinto;
        chamada.argumentos.push_back(Nova(std::move(caso)));
        const Expr e = Nova(std::move(chamada));
        itens += (k ? ", " : "") + ComColacaoDecimal(*e, Gerar(*e)) + " AS " +
                 ComoIdentificador(p.lista[k]);
        if (auto tipo = TipoDe(*e)) saida.colunas.push_back({p.lista[k], *tipo});
    }
    return "SELECT " + itens + " FROM " + origem + (grupo.empty() ? "" : " GROUP BY " + grupo);
}

// SELECT k, CASE zv_u.i WHEN 1 THEN 'a' ... END AS c, CASE zv_u.i WHEN 1 THEN a ... END AS v
// FROM source CROSS JOIN (1, 2, ...) zv_u WHERE v IS NOT NULL: each source row's columns in
// the list's order, as SQL Server gives them.
std::string GeradorSqlite::Despivotar(const Fonte& f, const std::string& origem, Tabela* t,
                                      const std::vector<std::string>& colunas, Tabela& saida) {
    const Pivo& p = *f.pivo;
    const std::string apelido = escopos_.back()[0].first;
    const ColunaDaTabela* primeira = nullptr;
    for (const auto& c : p.lista) {
        if (!Contem(colunas, c)) ColunaInvalida(c);
        const ColunaDaTabela* tipo = t ? t->Coluna(c) : nullptr;
        if (!tipo)
            throw Recusa("O simulador de SQL Server não sabe o tipo da coluna '" + c +
                         "' do UNPIVOT.");
        if (primeira && !(primeira->tipo == tipo->tipo)) throw ErroDoServidor(8167, {c});
        if (!primeira) primeira = tipo;
    }
    std::string itens, numeros, nomes = "CASE zv_u.i", valores = "CASE zv_u.i";
    for (const auto& c : colunas) {
        if (Contem(p.lista, c)) continue;
        itens += Gerar(*ColunaDe(apelido, c)) + " AS " + ComoIdentificador(c) + ", ";
        if (const ColunaDaTabela* tipo = t->Coluna(c)) saida.colunas.push_back({c, tipo->tipo});
    }
    for (std::size_t k = 0; k < p.lista.size(); ++k) {
        const std::string n = std::to_string(k + 1);
        numeros += (k ? " UNION ALL SELECT " : "SELECT ") + n + (k ? "" : " AS i");
        nomes += " WHEN " + n + " THEN " + ComoTexto(p.lista[k]);
        valores += " WHEN " + n + " THEN " + Gerar(*ColunaDe(apelido, p.lista[k]));
    }
    nomes += " END", valores += " END";
    saida.colunas.push_back({p.coluna, TipoSql{TipoBase::NVarChar, 128, 0, 0}});
    saida.colunas.push_back({p.valor, primeira->tipo});
    return "SELECT " + itens + nomes + " AS " + ComoIdentificador(p.coluna) + ", " + valores +
           " AS " + ComoIdentificador(p.valor) + " FROM " + origem + " CROSS JOIN (" + numeros +
           ") AS zv_u WHERE " + valores + " IS NOT NULL";
}

// The names of the source's columns, in order: a table's, or a derived table's select list.
std::vector<std::string> GeradorSqlite::ColunasDaOrigem(const Fonte& f, Tabela* t) {
    std::vector<std::string> nomes;
    if (!f.derivada) {
        if (!t) throw ErroDoServidor(208, {f.nome.back()});
        for (const auto& c : t->colunas) nomes.push_back(c.nome);
        return nomes;
    }
    const Selecao* s = f.derivada->ramos.empty() ? nullptr : f.derivada->ramos[0].selecao.get();
    if (!s) throw Recusa("O simulador de SQL Server não aplica PIVOT nem UNPIVOT a esta fonte.");
    for (std::size_t k = 0; k < s->itens.size(); ++k) {
        const auto& item = s->itens[k];
        const auto* c = std::get_if<Coluna>(&item.expressao->no);
        if (c && c->partes.back() == "*") {
            for (const auto& [apelido, tabela] : EscopoDe(*s)) {
                if (c->partes.size() > 1 && !IguaisCiAs(apelido, c->partes[c->partes.size() - 2]))
                    continue;
                if (!tabela)
                    throw Recusa(
                        "O simulador de SQL Server não aplica PIVOT nem UNPIVOT a esta fonte.");
                for (const auto& col : tabela->colunas) nomes.push_back(col.nome);
            }
            continue;
        }
        std::string nome = !item.apelido.empty() ? item.apelido : c ? c->partes.back() : "";
        if (nome.empty()) throw ErroDoServidor(8155, 1, {std::to_string(k + 1), f.apelido});
        nomes.push_back(nome);
    }
    return nomes;
}

}  // namespace zolvek::simulador
