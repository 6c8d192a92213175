// AFTER triggers. A statement on a table with triggers keeps its old and new rows in
// temporary tables (the triggers' deleted and inserted) and runs each trigger of its
// action once, within the statement's own atomicity: an error in a trigger undoes the
// statement, and a trigger that ends the transaction aborts the batch.

#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

#include <sqlite3.h>

namespace zolvek::simulador {

namespace {

constexpr std::size_t kLinhasPorCopia = 500;

}  // namespace

bool AlteracoesDeDados::TemGatilhos(const Tabela& t) {
    return s_.CatalogoAtual().TemGatilhos(t.id);
}

// A grouped INSERT shares its transaction with the next ones: one that fires triggers,
// or goes through a view, runs on its own.
bool AlteracoesDeDados::InsercaoComGatilhos(const instrucao::Inserir& c) {
    Catalogo& cat = s_.CatalogoAtual();
    const Tabela* t = cat.AcharTabela(c.objeto.Nome());
    if (!t) return true;
    return cat.AlgumGatilho() && cat.TemGatilhos(t->id);
}

// " (rowid, a, b...)": the captured rows keep the table's row ids, which pair an UPDATE's
// old and new rows for its OUTPUT.
std::string AlteracoesDeDados::ColunasComALinha(const Tabela& t) {
    std::string s = " (" + ColunaDaLinha(t);
    for (const auto& c : t.colunas) s += ", " + ComoIdentificador(c.nome);
    return s + ")";
}

std::vector<std::string> AlteracoesDeDados::ColunasAtribuidas(const instrucao::Atualizar& c) {
    std::vector<std::string> r;
    for (const auto& a : c.atribuicoes) r.push_back(a.coluna);
    return r;
}

// The plans of the triggers the event fires on the table. A trigger does not fire
// itself again (RECURSIVE_TRIGGERS is OFF); an INSTEAD OF one runs in the statement's place.
std::vector<std::shared_ptr<PlanoDeLote>> AlteracoesDeDados::GatilhosQueDisparam(
    const Tabela& t, const std::string& evento, std::vector<std::int64_t>& ids) {
    std::vector<std::shared_ptr<PlanoDeLote>> planos;
    for (const ObjetoProgramado* o : s_.CatalogoAtual().GatilhosDe(t.id)) {
        const std::int64_t id = o->id;
        const std::string nome = o->nome;
        auto plano = s_.Planejar(o->texto);
        const auto* def =
            plano->comandos.empty()
                ? nullptr
                : std::get_if<instrucao::CriarObjeto>(&plano->comandos.front()->instrucao);
        if (!def) throw Recusa("O simulador de SQL Server não leu o corpo de '" + nome + "'.");
        if (std::find(def->eventos.begin(), def->eventos.end(), evento) == def->eventos.end())
            continue;
        if (def->emVezDe) continue;  // run instead of the statement (dados_em_vez_de.cpp)
        if (e_.gatilho_ && e_.gatilho_->id == id) continue;
        planos.push_back(std::move(plano));
        ids.push_back(id);
    }
    return planos;
}

// Runs `sql` (the statement's SQLite text) and the triggers it fires; false, with nothing
// run, when it fires none and has no OUTPUT. `antigas` gives the query of the rows an
// UPDATE or DELETE will change (their row ids first); `feita` is told of the statement's
// rows before any trigger runs, and `saida` (the OUTPUT clause) reads them then.
bool AlteracoesDeDados::MudarComGatilhos(const Tabela& tabela, const std::string& evento,
                                         const std::string& sql,
                                         const std::function<std::string()>& antigas,
                                         const std::vector<std::string>& atualizadas, char operacao,
                                         db::Resultado& r,
                                         const std::function<void(const db::Resultado&)>& feita,
                                         const SaidaDaInstrucao& saida) {
    std::vector<std::int64_t> ids;
    std::vector<std::shared_ptr<PlanoDeLote>> planos;
    if (TemGatilhos(tabela)) planos = GatilhosQueDisparam(tabela, evento, ids);
    if (planos.empty() && !saida) return false;
    const Tabela copia = tabela;  // what a trigger's DDL reloads does not move it
    ContextoDoGatilho ctx;
    ctx.tabela = const_cast<Tabela*>(&copia);
    const std::string nivel = std::to_string(e_.estado_->aninhamento + 1);
    ctx.inseridas = "temp.zv_inseridas_" + nivel;
    ctx.excluidas = "temp.zv_excluidas_" + nivel;
    if (evento == "INSERT")
        for (const auto& c : copia.colunas) ctx.atualizadas.push_back(c.nome);
    else if (evento == "UPDATE")
        ctx.atualizadas = atualizadas;
    sqlite3* db = s_.Conexao();
    const int nossas = std::max(s_.NivelDeTransacao(), 1);
    auto descartar = [&] {
        for (const auto& n : {ctx.inseridas, ctx.excluidas})
            sqlite3_exec(db, ("DROP TABLE IF EXISTS " + n).c_str(), nullptr, nullptr, nullptr);
    };
    ComoUmaInstrucao(
        "zv_gatilhos_" + nivel,
        [&] {
            descartar();
            ExecutarSql(db, DefinicaoDasLinhas(copia, ctx.inseridas));
            ExecutarSql(db, DefinicaoDasLinhas(copia, ctx.excluidas));
            if (evento != "INSERT")
                execucao_.Consultar(
                    "INSERT INTO " + ctx.excluidas + ColunasComALinha(copia) + " " + antigas(), 0,
                    'S', "");
            if (evento == "DELETE") {
                r = execucao_.Consultar(sql, 0, operacao, copia.nome);
                feita(r);
            } else {
                const std::string linha = ColunaDaLinha(copia);
                db::Resultado novas =
                    execucao_.Consultar(sql + " RETURNING " + linha, 0, operacao, copia.nome);
                r = db::Resultado{};
                r.linhasAfetadas = static_cast<std::int64_t>(novas.linhas.size());
                feita(r);
                CopiarLinhas(novas, copia, ctx.inseridas);
            }
            if (saida) saida(ctx);
            for (std::size_t k = 0; k < planos.size(); ++k) {
                ctx.id = ids[k];
                DispararGatilho(*planos[k], ctx, r.linhasAfetadas, nossas);
            }
            descartar();
        },
        descartar);  // a COMMIT in the trigger kept them
    return true;
}

// A trigger whose CATCH block took an error and left the doomed transaction open: it is
// undone, and the batch ends.
void AlteracoesDeDados::SairComTransacaoCondenada() {
    s_.Desfazer();
    e_.estado_->erroDeGatilho = true;
    throw ErroDoServidor(3616);
}

// Runs `corpo` as one statement that fires triggers: in the session's transaction (one of
// its own when none is open, so that a trigger sees @@TRANCOUNT 1), undone whole when it
// fails unless a trigger already ended the transaction; `limpar` runs after the undoing.
void AlteracoesDeDados::ComoUmaInstrucao(const std::string& ponto,
                                         const std::function<void()>& corpo,
                                         const std::function<void()>& limpar) {
    sqlite3* db = s_.Conexao();
    const int transacoes = s_.NivelDeTransacao();
    s_.FecharGrupo();
    if (transacoes == 0) s_.IniciarTransacao();
    try {
        s_.GarantirEscrita();
    } catch (...) {
        if (transacoes == 0) s_.Desfazer();  // the lock was not had: nothing to undo
        throw;
    }
    if (transacoes > 0) ExecutarSql(db, "SAVEPOINT " + ponto);
    const int nossas = std::max(transacoes, 1);
    const std::uint64_t reconstrucoes = s_.Reconstrucoes();
    try {
        corpo();
        if (transacoes == 0)
            s_.Confirmar();
        else
            ExecutarSql(db, "RELEASE " + ponto);
    } catch (...) {
        if (s_.NivelDeTransacao() >= nossas) {
            if (transacoes == 0) {
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                s_.AbandonarTransacao();
            } else {
                sqlite3_exec(db, ("ROLLBACK TO " + ponto).c_str(), nullptr, nullptr, nullptr);
                sqlite3_exec(db, ("RELEASE " + ponto).c_str(), nullptr, nullptr, nullptr);
            }
            if (s_.Reconstrucoes() != reconstrucoes) s_.EsquecerEstrutura();
        }
        limpar();
        throw;
    }
}

// The statement's new rows, by their SQLite row ids, into the trigger's inserted.
void AlteracoesDeDados::CopiarLinhas(const db::Resultado& novas, const Tabela& t,
                                     const std::string& destino) {
    const std::string inicio = "INSERT INTO " + destino + ColunasComALinha(t) + " SELECT " +
                               ColunaDaLinha(t) + ", * FROM " + IdentificadorNoSqlite(t.nome) +
                               " WHERE " + ColunaDaLinha(t) + " IN (";
    for (std::size_t k = 0; k < novas.linhas.size(); k += kLinhasPorCopia) {
        std::string lista;
        for (std::size_t j = k; j < std::min(novas.linhas.size(), k + kLinhasPorCopia); ++j)
            lista +=
                (j > k ? "," : "") + std::to_string(std::get<std::int64_t>(novas.linhas[j].at(0)));
        ExecutarSql(s_.Conexao(), inicio + lista + ")");
    }
}

// Fires a trigger of the statement, whose transaction is at level `nivel`: an error in it
// is a trigger's (it ends the batch); a trigger that ended the transaction fails (3609),
// one that left it doomed has it undone.
void AlteracoesDeDados::DispararGatilho(PlanoDeLote& plano, const ContextoDoGatilho& ctx,
                                        std::int64_t linhas, int nivel) {
    try {
        RodarGatilho(plano, ctx, linhas);
    } catch (const ErroDeBanco&) {
        e_.estado_->erroDeGatilho = true;
        throw;
    }
    if (s_.NivelDeTransacao() < nivel) throw ErroDoServidor(3609);
    if (s_.TransacaoCondenada()) SairComTransacaoCondenada();
}

// A trigger's body runs as a procedure's does, with no parameters, @@ROWCOUNT the
// statement's rows and its SET options its own.
void AlteracoesDeDados::RodarGatilho(PlanoDeLote& plano, const ContextoDoGatilho& ctx,
                                     std::int64_t linhas) {
    if (e_.estado_->aninhamento >= kAninhamentoMaximo) throw ErroDoServidor(217);
    const auto& def = std::get<instrucao::CriarObjeto>(plano.comandos.front()->instrucao);
    Executor corpo(s_, plano, kSemParametros);
    Interpretador interpretador(execucao_);
    interpretador.PrepararCorpo(corpo);
    corpo.Estado().gatilho_ = &ctx;
    corpo.Estado().quadro_->DeclararDe(def.instrucoes);
    ++e_.estado_->aninhamento;
    struct Saida {
        OpcoesDaSessao& o;
        int& n;
        const bool semContagem;
        const bool xactAbort;
        ~Saida() {
            --n;
            o.semContagem = semContagem;
            o.xactAbort = xactAbort;
        }
    } saida{s_.Opcoes(), e_.estado_->aninhamento, s_.Opcoes().semContagem, s_.Opcoes().xactAbort};
    s_.Opcoes().xactAbort = true;  // an error in a trigger undoes the transaction
    CadeiaDeDono cadeia(s_, true);
    e_.estado_->linhas = linhas;
    interpretador.RodarCorpo(corpo, def.instrucoes);
}

}  // namespace zolvek::simulador
