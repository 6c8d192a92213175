// CROSS APPLY and OUTER APPLY. A table function the engine runs as a SQLite table function
// (a multi-statement one, a built-in) takes the columns of the sources before it as
// they are, and so does a table: APPLY is then a join. A query (a derived table, an inline
// function) cannot read them in SQLite's FROM: for each row before it, a correlated
// subquery gives its rows as one JSON array, which json_each turns back into rows, and
// each of its columns is read from the array by position.

#include <algorithm>
#include <functional>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

bool EhAplicacao(const Juncao& j) {
    return j.tipo == "CROSS APPLY" || j.tipo == "OUTER APPLY";
}

// A query that the source stands for: a derived table or a call of an inline function.
bool EhConsultaAplicada(const Fonte& f) {
    return static_cast<bool>(f.derivada);
}

}  // namespace

// The names of a query's columns, as a source of FROM gives them: each item's alias or
// column name, a * those of the sources it stands for.
// With `semNomeVale`, an item without a name is "" (a list after the alias names it).
std::vector<std::string> GeradorSqlite::ColunasDaConsulta(const Consulta& consulta,
                                                          const std::string& apelido,
                                                          bool semNomeVale) {
    const Consulta* q = &consulta;
    while (q->ramos.size() == 1 && q->ramos[0].consulta) q = q->ramos[0].consulta.get();
    const Selecao& s = *q->ramos[0].selecao;
    std::vector<std::string> nomes;
    for (const auto& item : s.itens) {
        const auto* c = std::get_if<Coluna>(&item.expressao->no);
        if (c && c->partes.back() == "*") {
            const std::string dono = c->partes.size() >= 2 ? c->partes[c->partes.size() - 2] : "";
            for (auto& nome : ColunasDaEstrela(s, dono)) nomes.push_back(std::move(nome));
            continue;
        }
        std::string nome = item.apelido;
        if (nome.empty() && c) nome = c->partes.back();
        if (nome.empty() && !semNomeVale)
            throw ErroDoServidor(8155, {std::to_string(nomes.size() + 1), apelido});
        nomes.push_back(nome);
    }
    return nomes;
}

// Before its select list is written, the queries a SELECT applies: their names and the
// columns that read them (once, however often the SELECT is written).
void GeradorSqlite::RegistrarAplicadas(const Selecao& s) {
    if (std::any_of(aplicadas_.begin(), aplicadas_.end(),
                    [&](const Aplicada& a) { return a.dona == &s; }))
        return;
    std::function<void(const std::vector<Juncao>&)> percorrer = [&](const auto& de) {
        for (const auto& j : de) {
            if (!j.fonte.juncoes.empty()) percorrer(j.fonte.juncoes);
            if (!EhAplicacao(j) || (!EhConsultaAplicada(j.fonte) && !FuncaoEmLinha(j.fonte)))
                continue;
            Aplicada a;
            a.dona = &s;
            a.fonte = &j.fonte;
            a.apelido = j.fonte.apelido.empty() ? NomeDaFuncao(j.fonte) : j.fonte.apelido;
            a.sqlite = "zv_aplicada_" + std::to_string(++aplicacoes_);
            Tabela* tipos = nullptr;
            if (j.fonte.derivada && !j.fonte.colunasDoApelido.empty()) {
                a.nomes = NomesDoApelido(j.fonte);
                tipos = TabelaDerivada(*j.fonte.derivada, a.nomes);
            } else if (j.fonte.derivada) {
                a.nomes = ColunasDaConsulta(*j.fonte.derivada, a.apelido);
                tipos = TabelaDerivada(*j.fonte.derivada);
            } else {
                a.nomes = ExpandirFuncao(j.fonte).nomes;
                tipos = ExpandirFuncao(j.fonte).tabela;
            }
            for (const auto& nome : a.nomes) {
                const ColunaDaTabela* col = tipos ? tipos->Coluna(nome) : nullptr;
                a.tipos.push_back(col ? std::optional<TipoSql>(col->tipo) : std::nullopt);
            }
            aplicadas_.push_back(std::move(a));
        }
    };
    percorrer(s.de);
}

// Whether f is the right side of a CROSS or OUTER APPLY of the FROM `de`.
bool GeradorSqlite::FonteAplicada(const std::vector<Juncao>& de, const Fonte& f) {
    for (const auto& j : de)
        if ((&j.fonte == &f && EhAplicacao(j)) || FonteAplicada(j.fonte.juncoes, f)) return true;
    return false;
}

// An inline function of FROM (one the engine writes as its query).
bool GeradorSqlite::FuncaoEmLinha(const Fonte& f) {
    if (!FuncaoDeTabela(f)) return false;
    const auto assinatura = FuncaoDoUsuario(std::get<Chamada>(f.funcao->no));
    return assinatura && assinatura->tipo == "IF";
}

// Column k of an applied query's row: its value in the JSON array, as its type.
std::string GeradorSqlite::ValorAplicado(const Aplicada& a, std::size_t k) const {
    const std::string v = "json_extract(" + a.sqlite + ".value, '$[" + std::to_string(k) + "]')";
    return a.tipos[k] ? ChamadaDeConversao(v, *a.tipos[k]) : v;
}

// The applied query of a SELECT being written that `apelido` names ("": any) and has
// `coluna`, innermost first; k: the column's position.
const GeradorSqlite::Aplicada* GeradorSqlite::AplicadaAberta(const std::string& apelido,
                                                             const std::string& coluna,
                                                             std::size_t& k) const {
    for (auto aberta = abertas_.rbegin(); aberta != abertas_.rend(); ++aberta)
        for (const auto& a : aplicadas_) {
            if (a.dona != *aberta || a.escrevendo ||
                (!apelido.empty() && !IguaisCiAs(apelido, a.apelido)))
                continue;
            for (k = 0; k < a.nomes.size(); ++k)
                if (IguaisCiAs(a.nomes[k], coluna)) return &a;
            if (!apelido.empty()) throw ErroDoServidor(207, {coluna});
        }
    return nullptr;
}

// a.x of an applied query (or x alone, when no other table of the SELECT has it).
std::optional<std::string> GeradorSqlite::ColunaAplicada(const Coluna& c) const {
    if (aplicadas_.empty() || c.partes.back() == "*") return std::nullopt;
    const std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    std::size_t k = 0;
    const Aplicada* a = AplicadaAberta(dono, c.partes.back(), k);
    if (!a) return std::nullopt;
    if (dono.empty() && !escopos_.empty())
        for (const auto& [nome, tabela] : escopos_.back())
            if (!IguaisCiAs(nome, a->apelido) && tabela && tabela->Coluna(c.partes.back()))
                return std::nullopt;
    return ValorAplicado(*a, k);
}

// * or t.* of a SELECT that applies queries: their columns one by one, the others' by *.
std::optional<std::string> GeradorSqlite::EstrelaComAplicadas(const Coluna& c, const Selecao& s) {
    const bool aplica = std::any_of(aplicadas_.begin(), aplicadas_.end(),
                                    [&](const Aplicada& a) { return a.dona == &s; });
    if (!aplica || c.partes.back() != "*") return std::nullopt;
    const std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    std::string r;
    ParaCadaFonte(s.de, [&](const Fonte& f) {
        const std::string nome = NomeNoEscopo(f);
        if (!dono.empty() && !IguaisCiAs(dono, nome)) return;
        auto a = std::find_if(aplicadas_.begin(), aplicadas_.end(),
                              [&](const Aplicada& x) { return x.fonte == &f; });
        if (a == aplicadas_.end()) {
            r += (r.empty() ? "" : ", ") + IdentificadorNoSqlite(nome) + ".*";
            return;
        }
        for (std::size_t k = 0; k < a->nomes.size(); ++k)
            r += (r.empty() ? "" : ", ") + ValorAplicado(*a, k) + " AS " +
                 ComoIdentificador(a->nomes[k]);
    });
    return r;
}

// The FROM piece of a CROSS or OUTER APPLY.
std::string GeradorSqlite::GerarAplicacao(const Juncao& j) {
    const bool externa = j.tipo == "OUTER APPLY";
    auto a = std::find_if(aplicadas_.begin(), aplicadas_.end(),
                          [&](const Aplicada& x) { return x.fonte == &j.fonte; });
    if (a == aplicadas_.end())  // a table, or a function SQLite runs with the row's values
        return std::string(externa ? " LEFT JOIN " : " CROSS JOIN ") + GerarFonte(j.fonte) +
               (externa ? " ON 1" : "");
    // by position: writing the query may register the queries it applies in turn
    const auto n = static_cast<std::size_t>(a - aplicadas_.begin());
    aplicadas_[n].escrevendo = true;
    // an inline function's query is written in parentheses, which a WITH query's body is not
    const std::string consulta = j.fonte.derivada ? Gerar(*j.fonte.derivada)
                                                  : "SELECT * FROM " + ExpandirFuncao(j.fonte).sql;
    aplicadas_[n].escrevendo = false;
    std::string colunas;
    for (std::size_t k = 0; k < aplicadas_[n].nomes.size(); ++k)
        colunas += (k ? ", " : "") + std::string("zv_c") + std::to_string(k + 1);
    return std::string(externa ? " LEFT JOIN " : " JOIN ") + "json_each((WITH zv_aplicada(" +
           colunas + ") AS (" + consulta + ") SELECT json_group_array(json_array(" + colunas +
           ")) FROM zv_aplicada)) AS " + aplicadas_[n].sqlite + (externa ? " ON 1" : "");
}

}  // namespace zolvek::simulador
