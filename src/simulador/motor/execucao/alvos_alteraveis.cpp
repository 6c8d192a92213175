#include "simulador/motor/execucao/alvos_alteraveis.hpp"

#include <algorithm>
#include <deque>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/funcoes/agregados.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

const ColunaDaTabela& AlvoAlteravel::ColunaBase(const std::string& coluna) const {
    for (const auto& [nome, base] : colunas) {
        if (!IguaisCiAs(nome, coluna)) continue;
        if (!base) throw ErroDoServidor(4406, {this->nome});
        return *base;
    }
    throw ErroDoServidor(207, {coluna});
}

namespace {

constexpr int kProfundidadeDosAlvos = 32;

// A base table as a change through the view may reach it: one occurrence per place the
// view's query reads it.
struct Ocorrencia {
    Tabela* tabela = nullptr;
    // the SELECTs between it and the view, inside out, and the key's SQLite text in each
    std::vector<std::pair<const Selecao*, std::string>> caminho;
    std::vector<const ConsultaAlteravel*> visoes;  // the views on its way, inside out
};

struct ColunaExposta {
    std::string nome;
    Ocorrencia* origem = nullptr;  // null: derived or constant
    const ColunaDaTabela* coluna = nullptr;
};

// What a query, view or table gives the query that reads it.
struct Descricao {
    std::vector<ColunaExposta> colunas;
    std::vector<Ocorrencia*> ocorrencias;
};

struct FonteDescrita {
    std::string apelido;
    Descricao descricao;
};

class Resolvedor {
  public:
    Resolvedor(std::string escrito, Catalogo& catalogo, const std::vector<ConsultaNomeada>* com,
               const LeitorDeVisoes& lerVisao)
        : escrito_(std::move(escrito)), catalogo_(catalogo), com_(com), lerVisao_(lerVisao) {}

    // A name of a FROM or the change's own: a WITH query, a table or a view.
    std::optional<Descricao> DescreverNome(const std::vector<std::string>& nome, bool alvo);
    AlvoAlteravel Escolher(const Descricao& d, char operacao,
                           const std::vector<std::string>& colunas);
    const ConsultaAlteravel* visaoDoAlvo = nullptr;

  private:
    Descricao DescreverConsulta(const Consulta& q, const std::vector<std::string>& nomes,
                                const std::string& nome, bool derivada);
    void ExigirAlteravel(const Consulta& q, const std::string& nome, bool derivada) const;
    FonteDescrita DescreverFonte(const Fonte& f, const Selecao& s);
    Descricao DescreverTabela(Tabela& t);
    void ExporItem(const ItemDaSelecao& item, const std::vector<FonteDescrita>& fontes,
                   std::vector<ColunaExposta>& colunas) const;
    const ConsultaNomeada* ConsultaDoCom(const std::vector<std::string>& nome) const;

    std::string escrito_;
    Catalogo& catalogo_;
    const std::vector<ConsultaNomeada>* com_;
    const LeitorDeVisoes& lerVisao_;
    std::deque<Ocorrencia> ocorrencias_;
    std::deque<ConsultaAlteravel> visoes_;
    int profundidade_ = 0;
};

const ConsultaNomeada* Resolvedor::ConsultaDoCom(const std::vector<std::string>& nome) const {
    if (!com_ || nome.size() != 1) return nullptr;
    for (const auto& c : *com_)
        if (IguaisCiAs(c.nome, nome[0])) return &c;
    return nullptr;
}

std::optional<Descricao> Resolvedor::DescreverNome(const std::vector<std::string>& nome,
                                                   bool alvo) {
    if (++profundidade_ > kProfundidadeDosAlvos) throw ErroDoServidor(217);
    struct Saida {
        int& n;
        ~Saida() { --n; }
    } saida{profundidade_};
    if (const ConsultaNomeada* c = ConsultaDoCom(nome))
        return DescreverConsulta(*c->consulta, c->colunas, c->nome, false);
    if (Tabela* t = catalogo_.AcharTabela(nome.back()); t && !alvo) return DescreverTabela(*t);
    auto v = lerVisao_(nome.back());
    if (!v) return std::nullopt;
    visoes_.push_back(std::move(*v));
    const ConsultaAlteravel& visao = visoes_.back();
    if (alvo) visaoDoAlvo = &visao;
    Descricao d = DescreverConsulta(*visao.consulta, visao.colunas, visao.nome, false);
    for (Ocorrencia* o : d.ocorrencias) o->visoes.push_back(&visao);
    return d;
}

Descricao Resolvedor::DescreverTabela(Tabela& t) {
    Ocorrencia& o = ocorrencias_.emplace_back();
    o.tabela = &t;
    Descricao d;
    d.ocorrencias.push_back(&o);
    for (const auto& c : t.colunas) d.colunas.push_back({c.nome, &o, &c});
    return d;
}

// A grouped query, one of several joined by UNION, or one that pivots has no row of a
// base table to change.
void Resolvedor::ExigirAlteravel(const Consulta& q, const std::string& nome, bool derivada) const {
    if (q.ramos.size() > 1) {
        const bool todosUnionAll =
            std::all_of(q.operadores.begin(), q.operadores.end(),
                        [](const std::string& o) { return o == "UNION ALL"; });
        throw ErroDoServidor(derivada ? 4417 : (todosUnionAll ? 4436 : 4426), {nome});
    }
    const Selecao* s = q.ramos[0].selecao.get();
    bool agrupada = s->distinto || !s->grupo.empty() || !s->conjuntos.empty() || s->tendo ||
                    std::any_of(s->itens.begin(), s->itens.end(),
                                [](const ItemDaSelecao& i) { return TemAgregado(*i.expressao); });
    ParaCadaFonte(s->de, [&](const Fonte& f) { agrupada = agrupada || f.pivo; });
    if (agrupada) throw ErroDoServidor(derivada ? 4418 : 4403, {nome});
}

Descricao Resolvedor::DescreverConsulta(const Consulta& q, const std::vector<std::string>& nomes,
                                        const std::string& nome, bool derivada) {
    if (q.ramos.size() == 1 && q.ramos[0].consulta)  // (SELECT ...)
        return DescreverConsulta(*q.ramos[0].consulta, nomes, nome, derivada);
    ExigirAlteravel(q, nome, derivada);
    const Selecao& s = *q.ramos[0].selecao;
    std::vector<FonteDescrita> fontes;
    ParaCadaFonte(s.de, [&](const Fonte& f) { fontes.push_back(DescreverFonte(f, s)); });
    Descricao d;
    for (auto& f : fontes)
        d.ocorrencias.insert(d.ocorrencias.end(), f.descricao.ocorrencias.begin(),
                             f.descricao.ocorrencias.end());
    for (const auto& item : s.itens) ExporItem(item, fontes, d.colunas);
    for (std::size_t k = 0; k < nomes.size() && k < d.colunas.size(); ++k)
        d.colunas[k].nome = nomes[k];
    return d;
}

// A source of a view's FROM: a base table, another view or WITH query, or a derived table.
// Functions, tables of values and the catalog's views give no row to change.
FonteDescrita Resolvedor::DescreverFonte(const Fonte& f, const Selecao& s) {
    FonteDescrita r;
    std::optional<Descricao> d;
    if (f.derivada) {
        r.apelido = f.apelido;
        d = DescreverConsulta(*f.derivada, f.colunasDoApelido, f.apelido, true);
    } else if (!f.nome.empty()) {
        r.apelido = f.apelido.empty() ? f.nome.back() : f.apelido;
        d = DescreverNome(f.nome, false);
    }
    if (!d) return r;
    for (Ocorrencia* o : d->ocorrencias) {
        const bool daTabela = o->caminho.empty() && d->ocorrencias.size() == 1 && !f.derivada &&
                              !ConsultaDoCom(f.nome) &&
                              catalogo_.AcharTabela(f.nome.back()) == o->tabela;
        o->caminho.emplace_back(&s, IdentificadorNoSqlite(r.apelido) + "." +
                                        (daTabela ? ColunaDaLinha(*o->tabela) : "zv_linha"));
    }
    r.descricao = std::move(*d);
    return r;
}

// A column of the query's select list: a column of one of its sources (or all of them for
// a *), or a value it computes.
void Resolvedor::ExporItem(const ItemDaSelecao& item, const std::vector<FonteDescrita>& fontes,
                           std::vector<ColunaExposta>& colunas) const {
    const Expressao* e = item.expressao.get();
    while (const auto* p = std::get_if<Parenteses>(&e->no)) e = p->dentro.get();
    const auto* c = std::get_if<Coluna>(&e->no);
    if (!c) {
        colunas.push_back({item.apelido, nullptr, nullptr});
        return;
    }
    const std::string dono = c->partes.size() >= 2 ? c->partes[c->partes.size() - 2] : "";
    const std::string& nome = c->partes.back();
    for (const auto& f : fontes) {
        if (!dono.empty() && !IguaisCiAs(dono, f.apelido)) continue;
        for (const auto& col : f.descricao.colunas) {
            if (nome == "*") {
                colunas.push_back(col);
            } else if (IguaisCiAs(col.nome, nome)) {
                ColunaExposta exposta = col;
                exposta.nome = item.apelido.empty() ? col.nome : item.apelido;
                colunas.push_back(exposta);
                return;
            }
        }
    }
    if (nome != "*")
        colunas.push_back({item.apelido.empty() ? nome : item.apelido, nullptr, nullptr});
}

AlvoAlteravel Resolvedor::Escolher(const Descricao& d, char operacao,
                                   const std::vector<std::string>& colunas) {
    const Ocorrencia* escolhida = nullptr;
    if (operacao == 'D') {
        if (d.ocorrencias.size() > 1) throw ErroDoServidor(4405, {escrito_});
        if (d.ocorrencias.empty())
            throw Recusa("O simulador de SQL Server não encontra a tabela que '" + escrito_ +
                         "' mostra.");
        escolhida = d.ocorrencias[0];
    }
    std::vector<const ColunaExposta*> escritas;
    for (const auto& nome : colunas) {
        auto it = std::find_if(d.colunas.begin(), d.colunas.end(),
                               [&](const ColunaExposta& c) { return IguaisCiAs(c.nome, nome); });
        if (it == d.colunas.end()) throw ErroDoServidor(207, {nome});
        escritas.push_back(&*it);
    }
    if (operacao == 'I' && colunas.empty())
        for (const auto& c : d.colunas) escritas.push_back(&c);
    for (const ColunaExposta* c : escritas) {
        if (!c->origem) throw ErroDoServidor(4406, {escrito_});
        if (escolhida && escolhida != c->origem) throw ErroDoServidor(4405, {escrito_});
        escolhida = c->origem;
    }
    if (!escolhida) throw ErroDoServidor(4405, {escrito_});
    AlvoAlteravel a;
    a.nome = escrito_;
    a.tabela = escolhida->tabela;
    for (const auto& c : d.colunas)
        a.colunas.emplace_back(c.nome, c.origem == escolhida ? c.coluna : nullptr);
    for (const auto& [selecao, chave] : escolhida->caminho) a.chaves[selecao] = chave;
    for (const ConsultaAlteravel* v : escolhida->visoes) {
        a.visoes.push_back(*v);
        a.comVerificacao = a.comVerificacao || v->comVerificacao;
    }
    return a;
}

}  // namespace

std::optional<AlvoAlteravel> ResolverAlvo(const std::vector<std::string>& nome, char operacao,
                                          const std::vector<std::string>& colunas,
                                          Catalogo& catalogo,
                                          const std::vector<ConsultaNomeada>* com,
                                          const LeitorDeVisoes& lerVisao) {
    std::string escrito;
    for (const auto& p : nome) escrito += (escrito.empty() ? "" : ".") + p;
    Resolvedor r(escrito, catalogo, com, lerVisao);
    if (!(com && nome.size() == 1 &&
          std::any_of(com->begin(), com->end(),
                      [&](const ConsultaNomeada& c) { return IguaisCiAs(c.nome, nome[0]); })) &&
        catalogo.AcharTabela(nome.back()))
        return std::nullopt;
    std::optional<Descricao> d = r.DescreverNome(nome, true);
    if (!d) return std::nullopt;
    return r.Escolher(*d, operacao, colunas);
}

}  // namespace zolvek::simulador
