// INSTEAD OF triggers of tables and views: the statement changes nothing; its rows go to
// the trigger's inserted and deleted, and the trigger runs in its place. A change the
// trigger's body makes to its own table or view is made, not handed to it again.

#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/materializacao.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// A view's columns, by name: what its inserted and deleted hold, of no fixed type.
Tabela ColunasDaVisao(sqlite3* db, const std::string& visao) {
    Tabela t;
    t.nome = visao;
    Instrucao q(db, "SELECT name FROM pragma_table_info(?)");
    q.Ligar(1, NomeNoSqlite(visao));
    while (q.Passo()) t.colunas.emplace_back(q.Texto(0), TipoSql{TipoBase::SqlVariant, 0, 0, 0});
    return t;
}

std::string ListaDeColunas(const Tabela& t, const std::string& prefixo = "") {
    std::string s;
    for (const auto& c : t.colunas)
        s += (s.empty() ? "" : ", ") + prefixo + ComoIdentificador(c.nome);
    return s;
}

// A value as the column's type (a view's columns keep theirs).
std::string Convertido(const std::string& valor, const ColunaDaTabela& c) {
    return c.tipo.base == TipoBase::SqlVariant ? valor : ChamadaDeConversao(valor, c.tipo);
}

}  // namespace

std::unique_ptr<AlteracoesDeDados::EmVezDe> AlteracoesDeDados::GatilhoEmVezDe(
    const std::string& nome, const std::string& evento) {
    Catalogo& cat = s_.CatalogoAtual();
    if (!cat.AlgumGatilho()) return nullptr;
    auto g = std::make_unique<EmVezDe>();
    std::int64_t dono = 0;
    if (Tabela* t = cat.AcharTabela(nome)) {
        dono = t->id;
        g->linhas.nome = t->nome;
        g->linhas.colunas = t->colunas;
        g->linhas.restricoes = t->restricoes;  // their defaults
    } else if (const ObjetoProgramado* o = cat.AcharObjeto(nome); o && o->tipo == "V") {
        dono = o->id;
        g->visao = true;
        g->linhas = ColunasDaVisao(s_.Conexao(), o->nome);
    }
    if (!dono || !cat.TemGatilhos(dono)) return nullptr;
    for (const ObjetoProgramado* o : cat.GatilhosDe(dono)) {
        auto plano = s_.Planejar(o->texto);
        const auto& def = std::get<instrucao::CriarObjeto>(plano->comandos.front()->instrucao);
        if (!def.emVezDe ||
            std::find(def.eventos.begin(), def.eventos.end(), evento) == def.eventos.end())
            continue;
        const auto& ativos = e_.estado_->emVezDeAtivos;
        if (std::find(ativos.begin(), ativos.end(), o->id) != ativos.end()) return nullptr;
        g->plano = std::move(plano);
        g->id = o->id;
        return g;
    }
    return nullptr;
}

// Fills the trigger's inserted and deleted (`encher`) and runs it, as one statement; the
// statement counts the rows it handed over.
void AlteracoesDeDados::RodarEmVezDe(EmVezDe& g, const std::string& evento,
                                     const std::vector<std::string>& atualizadas,
                                     const std::function<void(const ContextoDoGatilho&)>& encher) {
    ContextoDoGatilho ctx;
    ctx.id = g.id;
    ctx.tabela = &g.linhas;
    const std::string nivel = std::to_string(e_.estado_->aninhamento + 1);
    ctx.inseridas = "temp.zv_inseridas_" + nivel;
    ctx.excluidas = "temp.zv_excluidas_" + nivel;
    ctx.atualizadas = atualizadas;
    if (evento == "INSERT")
        for (const auto& c : g.linhas.colunas) ctx.atualizadas.push_back(c.nome);
    sqlite3* db = s_.Conexao();
    const int nossas = std::max(s_.NivelDeTransacao(), 1);
    auto descartar = [&] {
        for (const auto& n : {ctx.inseridas, ctx.excluidas})
            sqlite3_exec(db, ("DROP TABLE IF EXISTS " + n).c_str(), nullptr, nullptr, nullptr);
    };
    db::Resultado r;
    ComoUmaInstrucao(
        "zv_em_vez_de_" + nivel,
        [&] {
            descartar();
            ExecutarSql(db, DefinicaoDasLinhas(g.linhas, ctx.inseridas));
            ExecutarSql(db, DefinicaoDasLinhas(g.linhas, ctx.excluidas));
            encher(ctx);
            Instrucao conta(
                db, "SELECT count(*) FROM " + (evento == "DELETE" ? ctx.excluidas : ctx.inseridas));
            conta.Passo();
            r.linhasAfetadas = conta.Inteiro(0);
            e_.estado_->emVezDeAtivos.push_back(g.id);
            struct Saida {
                std::vector<std::int64_t>& ativos;
                ~Saida() { ativos.pop_back(); }
            } saida{e_.estado_->emVezDeAtivos};
            DispararGatilho(*g.plano, ctx, r.linhasAfetadas, nossas);
            descartar();
        },
        descartar);
    Contar(std::move(r));
}

// The rows a DELETE or UPDATE reaches, of the object's columns: the query after SELECT
// (its FROM and WHERE) and the object's alias in it.
std::string AlteracoesDeDados::LinhasDoObjeto(const NomeComposto& objeto,
                                              const ClausulasLidas& resto,
                                              const std::optional<instrucao::Topo>& topo,
                                              const Tabela& colunas, std::string& apelido) {
    std::string de, onde;
    FonteDaAlteracao(objeto, resto, de, apelido, onde);
    LinhasEscolhidas e;
    e.de = de;
    e.onde = onde;
    return " FROM " + de + (onde.empty() ? "" : " WHERE " + onde) + LimiteDaAlteracao(topo, e);
}

void AlteracoesDeDados::ExcluirEmVezDe(const instrucao::Excluir& c, EmVezDe& g) {
    EscopoDaAlteracao escopo(*this, g.linhas, nullptr, c.objeto, c.resto);
    std::string apelido;
    const std::string linhas = LinhasDoObjeto(c.objeto, c.resto, c.topo, g.linhas, apelido);
    const std::string prefixo = PrefixoCom(c.com, nullptr);
    RodarEmVezDe(g, "DELETE", {}, [&](const ContextoDoGatilho& ctx) {
        execucao_.Consultar(prefixo + "INSERT INTO " + ctx.excluidas + " (" +
                                ListaDeColunas(g.linhas) + ") SELECT " +
                                ListaDeColunas(g.linhas, apelido + ".") + linhas,
                            0, 'S', "");
    });
}

void AlteracoesDeDados::AtualizarEmVezDe(const instrucao::Atualizar& c, EmVezDe& g) {
    EscopoDaAlteracao escopo(*this, g.linhas, nullptr, c.objeto, c.resto);
    std::string apelido;
    const std::string linhas = LinhasDoObjeto(c.objeto, c.resto, c.topo, g.linhas, apelido);
    const std::string prefixo = PrefixoCom(c.com, nullptr);
    std::string novas;
    for (const auto& col : g.linhas.colunas) {
        std::string v = apelido + "." + ComoIdentificador(col.nome);
        for (const auto& a : c.atribuicoes) {
            if (!IguaisCiAs(a.coluna, col.nome)) continue;
            if (a.padrao)
                throw Recusa(
                    "O simulador de SQL Server não aceita SET coluna = DEFAULT num UPDATE que "
                    "dispara uma trigger INSTEAD OF.");
            v = Convertido(execucao_.Gerada(ArvoreDe(a.valor)), col);
        }
        novas += (novas.empty() ? "" : ", ") + v;
    }
    for (const auto& a : c.atribuicoes)
        if (!g.linhas.Coluna(a.coluna)) throw ErroDoServidor(207, {a.coluna});
    RodarEmVezDe(g, "UPDATE", ColunasAtribuidas(c), [&](const ContextoDoGatilho& ctx) {
        const std::string lista = " (" + ListaDeColunas(g.linhas) + ") SELECT ";
        execucao_.Consultar(prefixo + "INSERT INTO " + ctx.excluidas + lista +
                                ListaDeColunas(g.linhas, apelido + ".") + linhas,
                            0, 'S', "");
        execucao_.Consultar(prefixo + "INSERT INTO " + ctx.inseridas + lista + novas + linhas, 0,
                            'S', "");
    });
}

void AlteracoesDeDados::InserirEmVezDe(const instrucao::Inserir& c, EmVezDe& g) {
    if (c.saida || c.execucao || c.topo)
        throw Recusa(
            "O simulador de SQL Server não aceita OUTPUT, EXEC nem TOP num INSERT que dispara "
            "uma trigger INSTEAD OF.");
    std::vector<const ColunaDaTabela*> alvo;
    for (const auto& n : c.colunasAlvo) {
        const ColunaDaTabela* col = g.linhas.Coluna(n);
        if (!col) throw ErroDoServidor(207, {n});
        alvo.push_back(col);
    }
    if (c.colunasAlvo.empty() && !c.valoresPadrao)
        for (const auto& col : g.linhas.colunas)
            if (col.calculo.empty() && col.tipo.base != TipoBase::RowVersion && !col.identidade)
                alvo.push_back(&col);
    RodarEmVezDe(g, "INSERT", {}, [&](const ContextoDoGatilho& ctx) {
        execucao_.Consultar(LinhasDaInsercao(c, g, alvo, ctx.inseridas), 0, 'S', "");
    });
}

// INSERT INTO inserted of the rows an INSERT gives: VALUES, a query or DEFAULT VALUES, each
// value as its column's type; the columns it does not name stay NULL.
std::string AlteracoesDeDados::LinhasDaInsercao(const instrucao::Inserir& c, const EmVezDe& g,
                                                const std::vector<const ColunaDaTabela*>& alvo,
                                                const std::string& inseridas) {
    std::string colunas;
    for (const auto* col : alvo)
        colunas += (colunas.empty() ? "" : ", ") + ComoIdentificador(col->nome);
    if (c.valoresPadrao) return "INSERT INTO " + inseridas + " DEFAULT VALUES";
    const std::string prefixo = PrefixoCom(c.com, nullptr);
    if (c.valores.empty()) {
        std::string nomes, conv;
        for (std::size_t k = 0; k < alvo.size(); ++k) {
            const std::string n = "c" + std::to_string(k + 1);
            nomes += (k ? ", " : "") + n;
            conv += (k ? ", " : "") + Convertido(n, *alvo[k]);
        }
        return (prefixo.empty() ? "WITH " : prefixo + ", ") + "zv_fonte(" + nomes + ") AS (" +
               execucao_.Gerada(ArvoreDe(c.selecao)) + ") INSERT INTO " + inseridas + " (" +
               colunas + ") SELECT " + conv + " FROM zv_fonte";
    }
    std::string valores;
    for (const auto& linha : c.valores) {
        if (linha.size() != alvo.size()) throw ErroDoServidor(110);
        std::string v;
        for (std::size_t k = 0; k < linha.size(); ++k) {
            const bool padrao = linha[k].forma == instrucao::ValorDaInsercao::Forma::Padrao;
            const Restricao* d = g.visao ? nullptr : g.linhas.PadraoDaColuna(alvo[k]->nome);
            std::optional<TipoSql> tipo;
            const std::string e = padrao ? (d ? ExpressaoParaSqlite(d->texto) : "NULL")
                                         : ValorEscrito(linha[k], tipo);
            v += (k ? ", " : "") + Convertido(e, *alvo[k]);
        }
        valores += (valores.empty() ? "(" : ", (") + v + ")";
    }
    return prefixo + "INSERT INTO " + inseridas + " (" + colunas + ") VALUES " + valores;
}

}  // namespace zolvek::simulador
