// UPDATE and DELETE: the rows they reach (all, those of a WHERE, those their own FROM
// joins, those a view or WITH query shows, the first n of them) and the SQLite text that
// changes them; INSERT through a view or WITH query.

#include <cstring>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/alvos_alteraveis.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/acoes_referenciais.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// UPDATE/DELETE with a FROM of their own: the target is a table of that FROM, named
// directly or by its alias. The FROM's sources, the WHERE and the target's name inside
// the FROM (its alias, or the table itself).
struct JuncaoDaAlteracao {
    const std::vector<Juncao>* de = nullptr;  // FROM ... (without the keyword)
    const Expressao* onde = nullptr;          // WHERE condition, may be null
    std::string tabela;
    std::string apelido;
};

std::optional<JuncaoDaAlteracao> LerJuncao(const ClausulasLidas& resto, const std::string& alvo) {
    if (resto.Vazia()) return std::nullopt;
    const Clausulas& c = ArvoreDe(resto);
    if (c.de.empty()) return std::nullopt;
    JuncaoDaAlteracao j{&c.de, c.onde.get(), alvo, IdentificadorNoSqlite(alvo)};
    bool achada = false;
    ParaCadaFonte(c.de, [&](const Fonte& f) {
        if (achada || f.nome.empty() || !IguaisCiAs(f.apelido, alvo)) return;
        j.tabela = f.nome.back();
        j.apelido = IdentificadorNoSqlite(f.apelido);
        achada = true;
    });
    if (achada) return j;
    // UPDATE T ... FROM T AS x: the one reference to the table in the FROM is the target,
    // whatever its alias (with several, the one without an alias is, by its own name)
    const Fonte* unica = nullptr;
    int referencias = 0;
    bool semApelido = false;
    ParaCadaFonte(c.de, [&](const Fonte& f) {
        if (f.nome.empty() || !IguaisCiAs(f.nome.back(), alvo)) return;
        ++referencias;
        unica = &f;
        semApelido = semApelido || f.apelido.empty();
    });
    if (referencias > 1 && !semApelido) throw ErroDoServidor(8154, {alvo});
    if (referencias == 1 && !unica->apelido.empty())
        j.apelido = IdentificadorNoSqlite(unica->apelido);
    return j;
}

// The FROM of an UPDATE or DELETE's own.
bool TemDe(const ClausulasLidas& resto) {
    return !resto.Vazia() && !ArvoreDe(resto).de.empty();
}

// A table, view or WITH query that does not exist; an undeclared table variable is
// SQL Server's 1087.
[[noreturn]] void AlvoInexistente(const std::string& nome) {
    if (!nome.empty() && nome[0] == '@') throw ErroDoServidor(1087, {nome});
    throw ErroDoServidor(208, {nome});
}

// The columns of a view or WITH query that show a base column, with their types: what
// the generator knows of the names a change through it reads.
Tabela ColunasVisiveis(const AlvoAlteravel& alvo, const std::string& nome) {
    Tabela t;
    t.nome = nome;
    for (const auto& [coluna, base] : alvo.colunas)
        if (base) t.colunas.push_back({coluna, base->tipo, base->anulavel});
    return t;
}

// The type of a lone expression the generator wrote, when it knows it.
std::optional<TipoSql> UnicoTipo(const std::vector<std::optional<TipoSql>>& tipos) {
    return tipos.size() == 1 ? tipos[0] : std::nullopt;
}

}  // namespace

AlteracoesDeDados::AlteracoesDeDados(Executor& execucao)
    : execucao_(execucao),
      s_(execucao.Sessao()),
      e_(execucao.Estado()),
      resultados_(execucao.Resultados()) {}

std::unique_ptr<AlvoAlteravel> AlteracoesDeDados::AlvoPorVisao(
    const std::vector<std::string>& nome, const instrucao::ConsultasNomeadas& com, char operacao,
    const std::vector<std::string>& colunas) {
    LeitorDeVisoes ler = [this](const std::string& n) -> std::optional<ConsultaAlteravel> {
        const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(n);
        if (!o || o->tipo != "V") return std::nullopt;
        auto plano = s_.Planejar(o->texto);
        const auto& def = std::get<instrucao::CriarObjeto>(plano->comandos.front()->instrucao);
        ArvoreDe(def.corpo);
        std::shared_ptr<const Consulta> consulta = def.corpo.arvore;
        ConsultaAlteravel v;
        v.nome = o->nome;
        v.consulta = consulta.get();
        v.colunas = def.colunasDaVisao;
        v.comVerificacao = def.comVerificacao;
        v.dono = std::make_shared<
            std::pair<std::shared_ptr<PlanoDeLote>, std::shared_ptr<const Consulta>>>(plano,
                                                                                      consulta);
        return v;
    };
    auto alvo = ResolverAlvo(nome, operacao, colunas, s_.CatalogoAtual(), com.get(), ler);
    if (!alvo) return nullptr;
    if (alvo->comVerificacao)
        throw Recusa(
            "O simulador de SQL Server não altera dados por meio de visões WITH "
            "CHECK OPTION ('" +
            alvo->nome + "').");
    return std::make_unique<AlvoAlteravel>(std::move(*alvo));
}

// "WITH ... " that goes before a change: the views it goes through, innermost first, then
// the statement's own WITH queries; "" when there is none.
std::string AlteracoesDeDados::PrefixoCom(const instrucao::ConsultasNomeadas& com,
                                          const AlvoAlteravel* alvo) {
    if ((!com || com->empty()) && (!alvo || alvo->visoes.empty())) return "";
    ContextoDeReescrita ctx = execucao_.Contexto();
    if (alvo) ctx.chavesDaLinha = &alvo->chaves;
    GeradorSqlite gerador(ctx);
    std::string s;
    if (alvo)
        for (const auto& v : alvo->visoes)
            s += (s.empty() ? "" : ", ") + gerador.GerarNomeada(v.nome, v.colunas, *v.consulta);
    if (com)
        for (const auto& c : *com)
            s += (s.empty() ? "" : ", ") + gerador.GerarNomeada(c.nome, c.colunas, *c.consulta);
    return "WITH " + s + " ";
}

// " LIMIT n" of TOP (n) [PERCENT] or, without TOP, of SET ROWCOUNT n; "" for neither.
std::string AlteracoesDeDados::LimiteDaAlteracao(const std::optional<instrucao::Topo>& topo,
                                                 const LinhasEscolhidas& e) {
    if (!topo)
        return s_.Opcoes().limiteDeLinhas > 0
                   ? " LIMIT " + std::to_string(s_.Opcoes().limiteDeLinhas)
                   : "";
    ContextoDeReescrita ctx = execucao_.Contexto();
    GeradorSqlite gerador(ctx);
    const std::string n = "(" + gerador.QuantidadeDoTopo(*topo->quantidade, topo->porcento) + ")";
    if (!topo->porcento) return " LIMIT " + n;
    // a percent of the rows the statement reaches, rounded up
    const std::string x = "(count(*) * " + n + " / 100.0)";
    return " LIMIT (SELECT CAST(" + x + " AS INTEGER) + (" + x + " > CAST(" + x +
           " AS INTEGER)) FROM " + e.de + (e.onde.empty() ? "" : " WHERE " + e.onde) + ")";
}

// The sources an UPDATE or DELETE reads (its own FROM, or its target alone), the target's
// alias among them and the WHERE's condition, in SQLite's text.
void AlteracoesDeDados::FonteDaAlteracao(const NomeComposto& objeto, const ClausulasLidas& resto,
                                         std::string& de, std::string& apelido, std::string& onde) {
    const auto juncao = LerJuncao(resto, objeto.Nome());
    onde.clear();
    if (juncao) {
        de = execucao_.Gerada(*juncao->de);
        apelido = juncao->apelido;
        if (juncao->onde) onde = execucao_.Gerada(*juncao->onde);
        return;
    }
    de = apelido = IdentificadorNoSqlite(objeto.Nome());
    if (resto.Vazia()) return;
    if (const Expressao* condicao = ArvoreDe(resto).onde.get()) onde = execucao_.Gerada(*condicao);
}

// The name of the table or view an UPDATE or DELETE changes: behind its alias, when it
// has a FROM of its own.
std::string AlteracoesDeDados::NomeDoAlvo(const NomeComposto& objeto,
                                          const ClausulasLidas& resto) const {
    const auto juncao = LerJuncao(resto, objeto.Nome());
    return juncao ? juncao->tabela : objeto.Nome();
}

// The query that picks the rows an UPDATE or DELETE changes; nothing when it changes
// those of its own WHERE, all of them.
std::unique_ptr<AlteracoesDeDados::LinhasEscolhidas> AlteracoesDeDados::EscolherLinhas(
    const NomeComposto& objeto, const ClausulasLidas& resto,
    const std::optional<instrucao::Topo>& topo, const Tabela& t, const AlvoAlteravel* alvo) {
    const auto juncao = LerJuncao(resto, objeto.Nome());
    if (!juncao && !alvo && !topo && s_.Opcoes().limiteDeLinhas <= 0) return nullptr;
    auto e = std::make_unique<LinhasEscolhidas>();
    std::string apelido;
    FonteDaAlteracao(alvo || juncao ? objeto : NomeComposto{{t.nome}}, resto, e->de, apelido,
                     e->onde);
    e->chave = apelido + "." + (alvo ? "zv_linha" : ColunaDaLinha(t));
    e->limite = LimiteDaAlteracao(topo, *e);
    return e;
}

// The tables an UPDATE or DELETE names, so that the generator knows their columns'
// types: the target, or the tables of its own FROM.
void AlteracoesDeDados::DefinirEscopoAlvo(const Tabela& alvo, const std::vector<Juncao>* de) {
    e_.escopoAlvo_.clear();
    if (!de) {
        e_.escopoAlvo_.emplace_back(alvo.nome, const_cast<Tabela*>(&alvo));  // only read
        return;
    }
    for (const auto& j : *de)
        if (!j.fonte.nome.empty())
            e_.escopoAlvo_.emplace_back(
                j.fonte.apelido.empty() ? j.fonte.nome.back() : j.fonte.apelido,
                s_.CatalogoAtual().AcharTabela(j.fonte.nome.back()));
}

AlteracoesDeDados::EscopoDaAlteracao::EscopoDaAlteracao(AlteracoesDeDados& dados, const Tabela& t,
                                                        const AlvoAlteravel* alvo,
                                                        const NomeComposto& objeto,
                                                        const ClausulasLidas& resto)
    : x(dados) {
    const auto juncao = LerJuncao(resto, objeto.Nome());
    if (alvo) visiveis = ColunasVisiveis(*alvo, objeto.Nome());
    x.DefinirEscopoAlvo(alvo && !juncao ? visiveis : t, juncao ? juncao->de : nullptr);
}

AlteracoesDeDados::EscopoDaAlteracao::~EscopoDaAlteracao() {
    x.e_.escopoAlvo_.clear();
}

// The parts of an UPDATE in SQLite's text: the target, each column's new value and the
// rows' condition.
AlteracoesDeDados::PartesDaAtualizacao AlteracoesDeDados::CompilarAtualizacao(
    const instrucao::Atualizar& c, const Tabela& t, const AlvoAlteravel* alvo) {
    EscopoDaAlteracao escopo(*this, t, alvo, c.objeto, c.resto);
    const auto escolhidas = EscolherLinhas(c.objeto, c.resto, c.topo, t, alvo);
    PartesDaAtualizacao p;
    p.prefixo = PrefixoCom(c.com, alvo);
    p.alvo = IdentificadorNoSqlite(t.nome) + (escolhidas ? " AS zv_alvo" : "");
    // the picked rows and their new values, read once before any changes (zv_novos): a
    // value may read rows the statement changes, as they were before it
    std::string novos;
    for (const auto& a : c.atribuicoes) {
        const ColunaDaTabela* col = alvo ? &alvo->ColunaBase(a.coluna) : t.Coluna(a.coluna);
        if (!col) throw ErroDoServidor(207, {a.coluna});
        ExigirColunaGravavel(*col);
        if (col->identidade) throw ErroDoServidor(8102, {col->nome});
        if (col->tipo.base == TipoBase::RowVersion) throw ErroDoServidor(272);
        std::string valor;
        if (a.padrao) {
            const Restricao* d = t.PadraoDaColuna(col->nome);
            valor = d ? ChamadaDeConversao(ExpressaoParaSqlite(d->texto), col->tipo) : "NULL";
        } else if (escolhidas) {
            const std::string v = "zv_v" + std::to_string(p.valores.size() + 1);
            novos += ", " + ChamadaDeConversao(execucao_.Gerada(ArvoreDe(a.valor)), col->tipo) +
                     " AS " + v;
            valor =
                "(SELECT " + v + " FROM zv_novos WHERE zv_k = zv_alvo." + ColunaDaLinha(t) + ")";
        } else {
            std::vector<std::optional<TipoSql>> tipo;
            std::string e = execucao_.Gerada(ArvoreDe(a.valor), nullptr, &tipo);
            valor = ChamadaDeConversao(e, col->tipo, UnicoTipo(tipo));
        }
        p.valores.emplace_back(col->nome, GuardaDaChave(t, *col, std::move(valor)));
    }
    if (escolhidas) {
        p.prefixo = (p.prefixo.empty() ? "WITH " : p.prefixo + ", ") +
                    "zv_novos AS MATERIALIZED (SELECT " + escolhidas->chave + " AS zv_k" + novos +
                    " FROM " + escolhidas->de +
                    (escolhidas->onde.empty() ? "" : " WHERE " + escolhidas->onde) +
                    escolhidas->limite + ") ";
        p.onde = " WHERE zv_alvo." + ColunaDaLinha(t) + " IN (SELECT zv_k FROM zv_novos)";
    } else if (!c.resto.Vazia()) {
        p.onde = " " + execucao_.Gerada(ArvoreDe(c.resto));
    }
    return p;
}

// The base table an UPDATE or DELETE changes, and the view or WITH query it goes through.
Tabela& AlteracoesDeDados::TabelaAlterada(const NomeComposto& objeto, const ClausulasLidas& resto,
                                          const instrucao::ConsultasNomeadas& com, char operacao,
                                          const std::vector<std::string>& colunas,
                                          std::unique_ptr<AlvoAlteravel>& alvo) {
    const auto juncao = LerJuncao(resto, objeto.Nome());
    const std::vector<std::string> nome =
        juncao ? std::vector<std::string>{juncao->tabela} : objeto.partes;
    alvo = AlvoPorVisao(nome, com, operacao, colunas);
    if (alvo) return *alvo->tabela;
    Tabela* t = s_.CatalogoAtual().AcharTabela(nome.back());
    if (!t) AlvoInexistente(objeto.Nome());
    return *t;
}

void AlteracoesDeDados::Atualizar(const instrucao::Atualizar& c) {
    if (auto g = GatilhoEmVezDe(NomeDoAlvo(c.objeto, c.resto), "UPDATE")) {
        if (g->visao && TemDe(c.resto)) throw ErroDoServidor(4422, {NomeDoAlvo(c.objeto, c.resto)});
        return AtualizarEmVezDe(c, *g);
    }
    std::unique_ptr<AlvoAlteravel> alvo;
    Tabela& t = TabelaAlterada(c.objeto, c.resto, c.com, 'U', ColunasAtribuidas(c), alvo);
    ExigirCascataSemGatilhos(s_.CatalogoAtual(), t, "UPDATE");
    if (alvo && c.saida)
        throw Recusa(
            "O simulador de SQL Server não aceita OUTPUT em alterações por meio "
            "de visões.");
    const bool guardar = !c.topo && s_.Opcoes().limiteDeLinhas <= 0;  // TOP and ROWCOUNT: each run
    if (!c.compilado.pronto || !guardar) {
        const PartesDaAtualizacao p = CompilarAtualizacao(c, t, alvo.get());
        std::string sql = p.prefixo + "UPDATE " + p.alvo + " SET ";
        for (std::size_t k = 0; k < p.valores.size(); ++k)
            sql += (k ? ", " : "") + ComoIdentificador(p.valores[k].first) + " = " +
                   p.valores[k].second;
        c.compilado.sql = sql + p.onde;
        const std::string linha = ColunaDaLinha(t);
        c.compilado.antigas =
            p.prefixo + "SELECT " +
            (p.alvo.find(" AS zv_alvo") == std::string::npos ? linha + ", *"
                                                             : "zv_alvo." + linha + ", zv_alvo.*") +
            " FROM " + p.alvo + p.onde;
        c.compilado.pronto = guardar;
    }
    if (c.saida) RecusarChaveNaSaida(t, ColunasAtribuidas(c));
    const std::string sql = c.compilado.sql, antigas = c.compilado.antigas;
    try {
        e_.chaveViolada_.clear();
        db::Resultado r;
        if (!MudarComGatilhos(
                t, "UPDATE", sql, [&] { return antigas; }, ColunasAtribuidas(c), 'U', r,
                [](const db::Resultado&) {}, SaidaDe(c.saida, c.objeto, t, "UPDATE")))
            r = execucao_.Consultar(sql, 0, 'U', t.nome);
        Contar(std::move(r), c.saida);
    } catch (const ErroDeBanco& e) {
        if ((e.Numero() != 2627 && e.Numero() != 2601) || e_.estado_->erroDeGatilho) throw;
        throw ErroDeBanco(
            std::string(e.what()) + ValorDuplicado(CompilarAtualizacao(c, t, alvo.get()), t),
            e.Numero(), e.Severidade(), e.Estado());
    }
}

// The SQLite text of a DELETE, and the query of the rows it removes (their row ids first).
void AlteracoesDeDados::CompilarExclusao(const instrucao::Excluir& c, const Tabela& t,
                                         const AlvoAlteravel* alvo) {
    EscopoDaAlteracao escopo(*this, t, alvo, c.objeto, c.resto);
    const auto escolhidas = EscolherLinhas(c.objeto, c.resto, c.topo, t, alvo);
    const std::string prefixo = PrefixoCom(c.com, alvo);
    std::string filtro;
    if (escolhidas)
        filtro = escolhidas->Filtro(t);
    else if (!c.resto.Vazia())
        filtro = " " + execucao_.Gerada(ArvoreDe(c.resto));
    const std::string tabela = IdentificadorNoSqlite(t.nome);
    c.compilado.sql = prefixo + "DELETE FROM " + tabela + filtro;
    c.compilado.antigas = prefixo + "SELECT " + ColunaDaLinha(t) + ", * FROM " + tabela + filtro;
}

void AlteracoesDeDados::Excluir(const instrucao::Excluir& c) {
    if (!c.truncar)
        if (auto g = GatilhoEmVezDe(NomeDoAlvo(c.objeto, c.resto), "DELETE")) {
            if (g->visao && TemDe(c.resto))
                throw ErroDoServidor(4423, {NomeDoAlvo(c.objeto, c.resto)});
            return ExcluirEmVezDe(c, *g);
        }
    std::unique_ptr<AlvoAlteravel> alvo;
    Tabela& t = c.truncar ? TabelaTruncada(c.objeto)
                          : TabelaAlterada(c.objeto, c.resto, c.com, 'D', {}, alvo);
    ExigirCascataSemGatilhos(s_.CatalogoAtual(), t, "DELETE");
    if (alvo && c.saida)
        throw Recusa(
            "O simulador de SQL Server não aceita OUTPUT em alterações por meio "
            "de visões.");
    const bool guardar = !c.topo && s_.Opcoes().limiteDeLinhas <= 0;
    if (!c.compilado.pronto || !guardar) {
        CompilarExclusao(c, t, alvo.get());
        c.compilado.pronto = guardar;
    }
    const std::string sql = c.compilado.sql, antigas = c.compilado.antigas;
    db::Resultado r;
    // TRUNCATE TABLE fires no trigger
    if (c.truncar || !MudarComGatilhos(
                         t, "DELETE", sql, [&] { return antigas; }, {}, 'D', r,
                         [](const db::Resultado&) {}, SaidaDe(c.saida, c.objeto, t, "DELETE")))
        r = execucao_.Consultar(sql, 0, 'D', t.nome);
    if (c.truncar) {  // TRUNCATE TABLE counts no rows
        e_.estado_->linhas = 0;
        resultados_.push_back(db::Resultado{});
        RecomecarIdentidade(t);
    } else {
        Contar(std::move(r), c.saida);
    }
}

// INSERT through a view or WITH query: the same statement on its base table, with the
// base columns of the view's, made the first time it runs.
void AlteracoesDeDados::InserirPelaVisao(const instrucao::Inserir& c, const AlvoAlteravel& alvo) {
    if (c.saida)
        throw Recusa(
            "O simulador de SQL Server não aceita OUTPUT em alterações por meio "
            "de visões.");
    if (!c.pelaBase || c.pelaBase->objeto.Nome() != alvo.tabela->nome) {
        auto base = std::make_shared<instrucao::Inserir>();
        base->objeto.partes = {alvo.tabela->nome};
        base->com = c.com;
        base->topo = c.topo;
        base->valores = c.valores;
        base->valoresComConsulta = c.valoresComConsulta;
        base->valoresComParametros = c.valoresComParametros;
        base->forma = c.forma;
        base->selecao = c.selecao;
        base->valoresPadrao = c.valoresPadrao;
        std::vector<std::string> nomes = c.colunasAlvo;
        if (nomes.empty() && !c.valoresPadrao)
            for (const auto& coluna : alvo.colunas) nomes.push_back(coluna.first);
        for (const auto& n : nomes) base->colunasAlvo.push_back(alvo.ColunaBase(n).nome);
        c.pelaBase = std::move(base);
    }
    Inserir(*c.pelaBase);
}

// " LIMIT n" of INSERT TOP (n) [PERCENT] ... SELECT or, without TOP, of SET ROWCOUNT n: of
// the rows of zv_fonte, the query's.
std::string AlteracoesDeDados::LimiteDaInsercao(const instrucao::Inserir& c) {
    LinhasEscolhidas fonte;
    fonte.de = "zv_fonte";
    return LimiteDaAlteracao(c.topo, fonte);
}

// TRUNCATE TABLE: a table, and none that a foreign key references.
Tabela& AlteracoesDeDados::TabelaTruncada(const NomeComposto& objeto) {
    Tabela* t = s_.CatalogoAtual().AcharTabela(objeto.Nome());
    if (!t) AlvoInexistente(objeto.Nome());
    for (Tabela* outra : s_.CatalogoAtual().TabelasQueReferem(t->nome))
        for (const auto& r : outra->restricoes)
            if (r.tipo == "F" && IguaisCiAs(r.tabelaReferida, t->nome))
                throw ErroDoServidor(4712, {t->nome});
    return *t;
}

// After TRUNCATE TABLE the next row takes the identity's seed again.
void AlteracoesDeDados::RecomecarIdentidade(const Tabela& t) {
    const ColunaDaTabela* id = t.Identidade();
    if (!id) return;
    Instrucao(s_.Conexao(), "DELETE FROM main.sqlite_sequence WHERE name=?")
        .Ligar(1, NomeNoSqlite(t.nome))
        .Executar();
    if (id->semente != 1)
        Instrucao(s_.Conexao(), "INSERT INTO main.sqlite_sequence(name, seq) VALUES (?, ?)")
            .Ligar(1, NomeNoSqlite(t.nome))
            .Ligar(2, id->semente - 1)
            .Executar();
}

}  // namespace zolvek::simulador
