// A body's columns are resolved when it is created: SQL Server compiles each statement
// against the tables that exist then and refuses an unknown column (207) or an ambiguous
// one (209), while a statement that names a table not made yet waits until it runs.

#include "comum/erros.hpp"
#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/objetos_programados.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void ObjetosProgramados::VerificarColunasDoCorpo(const instrucao::CriarObjeto& c) {
    // a trigger reads inserted and deleted with its table's columns
    if (const Tabela* t = c.tipoDeObjeto == "TR" ? TabelaDoCorpo(c.tabelaDoGatilho) : nullptr) {
        const std::string linhas =
            " AS (SELECT * FROM " + IdentificadorNoSqlite(t->nome) + " WHERE 0)";
        pseudoTabelas_ = "inserted" + linhas + ", deleted" + linhas;
    }
    execucao_.CompilarCorpo([&] {
        if (c.tipoDeObjeto == "IF")
            CompilarSeResolvido([&] {
                // RETURN (SELECT ...): the query in parentheses
                const std::string q = execucao_.Gerada(ArvoreDe(c.corpo));
                return q.rfind('(', 0) == 0 ? "SELECT * FROM " + q : q;
            });
        for (const auto& i : c.instrucoes) ColunasDaInstrucao(*i);
    });
}

void ObjetosProgramados::ColunasDaInstrucao(const Comando& c) {
    auto consulta = [&](const ConsultaLida& q) {
        CompilarSeResolvido([&] { return execucao_.Gerada(ArvoreDe(q)); });
    };
    auto valor = [&](const ExpressaoLida& e) {
        if (!e.Vazia())
            CompilarSeResolvido([&] { return "SELECT " + execucao_.Gerada(ArvoreDe(e)); });
    };
    auto condicao = [&](const ExpressaoLida& e) {
        CompilarSeResolvido(
            [&] { return "SELECT CASE WHEN (" + execucao_.Gerada(ArvoreDe(e)) + ") THEN 1 END"; });
    };
    std::visit(
        Visitante{
            [&](const instrucao::Selecionar& x) { consulta(x.selecao); },
            [&](const instrucao::DeclararCursor& x) { consulta(x.selecao); },
            [&](const instrucao::Inserir& x) {
                ColunasDoAlvo(x.objeto, x.colunasAlvo);
                if (!x.selecao.Vazia()) consulta(x.selecao);
            },
            [&](const instrucao::Atualizar& x) { ClausulasDoAlvo(x.objeto, x.resto, &x); },
            [&](const instrucao::Excluir& x) { ClausulasDoAlvo(x.objeto, x.resto, nullptr); },
            [&](const instrucao::Se& x) {
                condicao(x.condicao);
                ColunasDaInstrucao(*x.entao);
                if (x.senao) ColunasDaInstrucao(*x.senao);
            },
            [&](const instrucao::Enquanto& x) {
                condicao(x.condicao);
                ColunasDaInstrucao(*x.corpo);
            },
            [&](const instrucao::Bloco& x) {
                for (const auto& f : x.filhos) ColunasDaInstrucao(*f);
            },
            [&](const instrucao::TentarCapturar& x) {
                ColunasDaInstrucao(*x.tentar);
                ColunasDaInstrucao(*x.capturar);
            },
            [&](const instrucao::Atribuir& x) { valor(x.valor); },
            [&](const instrucao::Retornar& x) { valor(x.valor); },
            [&](const auto&) {},
        },
        c.instrucao);
}

// The columns an INSERT or UPDATE names in a table of this database.
void ObjetosProgramados::ColunasDoAlvo(const NomeComposto& objeto,
                                       const std::vector<std::string>& colunas) {
    const Tabela* t = TabelaDoCorpo(objeto);
    if (!t) return;
    for (const auto& c : colunas)  // UPDATE ... SET @v = ... sets a variable
        if (c.rfind('@', 0) != 0 && !t->Coluna(c)) throw ErroDoServidor(207, {c});
}

// UPDATE and DELETE: the columns they set, the values they set them to and what their
// FROM and WHERE read.
void ObjetosProgramados::ClausulasDoAlvo(const NomeComposto& objeto, const ClausulasLidas& resto,
                                         const instrucao::Atualizar* atualizar) {
    auto selecao = [&] {
        std::string s = "SELECT 1";
        if (atualizar)
            for (const auto& a : atualizar->atribuicoes)
                if (!a.padrao) s += ", " + execucao_.Gerada(ArvoreDe(a.valor));
        return s + " ";
    };
    auto clausulas = [&] {
        return resto.Vazia() ? std::string() : execucao_.Gerada(ArvoreDe(resto));
    };
    const bool comFrom = !resto.Vazia() && !resto.recusa && !ArvoreDe(resto).de.empty();
    if (comFrom) {
        CompilarSeResolvido([&] { return selecao() + clausulas(); });
        if (!s_.CatalogoAtual().AcharTabela(objeto.Nome())) return;  // an alias of the FROM
    }
    const Tabela* t = TabelaDoCorpo(objeto);
    if (!t) return;
    if (atualizar) {
        std::vector<std::string> colunas;
        for (const auto& a : atualizar->atribuicoes) colunas.push_back(a.coluna);
        ColunasDoAlvo(objeto, colunas);
    }
    if (!comFrom)
        CompilarSeResolvido([&] {
            return selecao() + "FROM " + IdentificadorNoSqlite(t->nome) + " " + clausulas();
        });
}

// A table of this database named by dbo.T or T; null for a table variable, a temporary
// table, another database's table or one not made yet.
const Tabela* ObjetosProgramados::TabelaDoCorpo(const NomeComposto& objeto) {
    const auto& p = objeto.partes;
    if (p.empty() || p.size() > 2 || (p.size() == 2 && !IguaisCiAs(p[0], "dbo"))) return nullptr;
    if (p.back().empty() || p.back()[0] == '@' || p.back()[0] == '#') return nullptr;
    return s_.CatalogoAtual().AcharTabela(p.back());
}

// Prepares the statement's SQLite text: a column SQLite cannot find among tables that all
// exist is SQL Server's error; anything else (a missing table, what the engine does not
// write) waits until the body runs.
void ObjetosProgramados::CompilarSeResolvido(const std::function<std::string()>& texto) {
    std::string sql;
    try {
        sql = texto();
    } catch (const ErroDeBanco&) {
        return;
    }
    if (!pseudoTabelas_.empty())
        sql = sql.rfind("WITH ", 0) == 0 ? "WITH " + pseudoTabelas_ + ", " + sql.substr(5)
                                         : "WITH " + pseudoTabelas_ + " " + sql;
    try {
        Instrucao teste(s_.Conexao(), sql);
    } catch (const FalhaDoSqlite& f) {
        const std::string msg = f.what();
        if (msg.find("no such column: ") != std::string::npos ||
            msg.find("ambiguous column name: ") != std::string::npos)
            execucao_.FalhaDeCompilacao(msg);
    }
}

}  // namespace zolvek::simulador
