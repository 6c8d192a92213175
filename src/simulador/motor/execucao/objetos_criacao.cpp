// CREATE, ALTER and DROP of views, procedures, functions and triggers.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/objetos_programados.hpp"
#include "simulador/motor/leitura/textos_guardados.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

ObjetosProgramados::ObjetosProgramados(Executor& execucao)
    : execucao_(execucao), s_(execucao.Sessao()), resultados_(execucao.Resultados()) {}

void ObjetosProgramados::Criar(const instrucao::CriarObjeto& c) {
    Catalogo& cat = s_.CatalogoAtual();
    const std::string& nome = c.objeto.Nome();
    const ObjetoProgramado* existente = cat.AcharObjeto(nome);
    const bool alterar = c.alterar || (c.ouAlterar && existente);
    // (a trigger's schema is its table's)
    if (!alterar && c.tipoDeObjeto != "TR") Executor::ExigirEsquemaDbo(c.objeto.partes);
    if (!alterar && cat.IdDoObjeto(nome)) throw ErroDoServidor(2714, {nome});
    if (alterar && !existente) throw ErroDoServidor(208, {nome});
    // a procedure stays one, and a scalar, inline or multi-statement function of its kind
    if (alterar && existente->tipo != c.tipoDeObjeto) throw ErroDoServidor(2010, {nome});
    if (alterar && existente &&
        (existente->tipo == "FN" || existente->tipo == "IF" || existente->tipo == "TF"))
        ExigirFuncaoSemRestricoes(existente->nome, "ALTER");
    ObjetoProgramado o;
    o.nome = nome;
    o.tipo = c.tipoDeObjeto;
    o.texto = c.texto;
    // a view or inline function whose query the engine does not run is not created
    if (!c.corpo.Vazia()) ArvoreDe(c.corpo);
    o.criacao = existente ? existente->criacao : FormatarDataHora(DataHoraAtual());
    if (c.tipoDeObjeto == "TR") o.pai = DonoDoGatilho(c, existente);
    ExigirTiposDoCorpo(c);
    VerificarColunasDoCorpo(c);
    execucao_.Atomico([&] {
        sqlite3* db = s_.Conexao();
        o.id = existente ? existente->id : cat.NovoId();
        if (c.tipoDeObjeto == "V") CriarVisao(c);
        cat.GravarObjeto(db, o);
        execucao_.AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

// The table (or, for an INSTEAD OF trigger, view) a trigger is created on: at most one
// INSTEAD OF trigger of each event (2111), none on a table whose foreign keys cascade that
// event (2113).
std::int64_t ObjetosProgramados::DonoDoGatilho(const instrucao::CriarObjeto& c,
                                               const ObjetoProgramado* existente) {
    Catalogo& cat = s_.CatalogoAtual();
    const std::string& nome = c.tabelaDoGatilho.Nome();
    const Tabela* t = cat.AcharTabela(nome);
    const ObjetoProgramado* v = t ? nullptr : cat.AcharObjeto(nome);
    if (!t && !(v && v->tipo == "V")) throw ErroDoServidor(208, {nome});
    if (v && !c.emVezDe) throw ErroDoServidor(8197, {nome});
    const std::int64_t dono = t ? t->id : v->id;
    if (!c.emVezDe) return dono;
    for (const auto& evento : c.eventos) {
        if (t && evento != "INSERT")
            for (const auto& r : t->restricoes)
                if (r.tipo == "F" && !(evento == "DELETE" ? r.aoExcluir : r.aoAtualizar).empty())
                    throw ErroDoServidor(
                        2113, {c.alterar ? "ALTER" : "CREATE", c.objeto.Nome(), t->nome});
        for (const ObjetoProgramado* o : cat.GatilhosDe(dono)) {
            if (existente && o->id == existente->id) continue;
            auto plano = s_.Planejar(o->texto);
            const auto& def = std::get<instrucao::CriarObjeto>(plano->comandos.front()->instrucao);
            if (def.emVezDe &&
                std::find(def.eventos.begin(), def.eventos.end(), evento) != def.eventos.end())
                throw ErroDoServidor(2111, {c.alterar ? "alter" : "create", c.objeto.Nome(),
                                            t ? "table" : "view", t ? t->nome : v->nome, evento});
        }
    }
    return dono;
}

// A view is SQLite's view of its query; SQLite tells of more column names than columns
// only when it is read.
void ObjetosProgramados::CriarVisao(const instrucao::CriarObjeto& c) {
    sqlite3* db = s_.Conexao();
    const std::string& nome = c.objeto.Nome();
    ExecutarSql(db, "DROP VIEW IF EXISTS " + IdentificadorNoSqlite(nome));
    std::string colunas;
    for (const auto& n : c.colunasDaVisao)
        colunas += (colunas.empty() ? "(" : ", ") + ComoIdentificador(n);
    std::string sql = "CREATE VIEW " + IdentificadorNoSqlite(nome) +
                      (colunas.empty() ? "" : colunas + ")") + " AS " +
                      execucao_.Gerada(ArvoreDe(c.corpo));
    try {
        ExecutarSql(db, sql);
        Instrucao teste(db, "SELECT * FROM " + IdentificadorNoSqlite(nome) + " LIMIT 0");
        teste.Passo();
    } catch (const FalhaDoSqlite& f) {
        // "expected N columns for 'v' but got M": more names than columns
        int nomes = 0, colunasDaConsulta = 0;
        if (std::sscanf(f.what(), "expected %d columns for %*s but got %d", &nomes,
                        &colunasDaConsulta) == 2 &&
            nomes > colunasDaConsulta)
            throw ErroDoServidor(4502, {nome});
        execucao_.FalhaTraduzida(f, 'S', "");
    }
}

void ObjetosProgramados::Excluir(const instrucao::ExcluirObjeto& c) {
    Catalogo& cat = s_.CatalogoAtual();
    static const std::map<std::string, std::string> nomes = {
        {"P", "procedure"}, {"TR", "trigger"}, {"V", "view"}, {"FN", "function"}};
    execucao_.Atomico([&] {
        for (const auto& nome : c.nomes) {
            const ObjetoProgramado* o = cat.AcharObjeto(nome);
            bool tipoCerto =
                o && (o->tipo == c.tipoDeObjeto ||
                      (c.tipoDeObjeto == "FN" && (o->tipo == "IF" || o->tipo == "TF")));
            if (!tipoCerto) {
                if (c.seExistir) continue;
                throw ErroDoServidor(3701, {nomes.at(c.tipoDeObjeto), nome});
            }
            if (c.tipoDeObjeto == "FN") ExigirFuncaoSemRestricoes(o->nome, "DROP FUNCTION");
            if (o->tipo == "V") {
                ExecutarSql(s_.Conexao(), "DROP VIEW IF EXISTS " + IdentificadorNoSqlite(o->nome));
                for (const ObjetoProgramado* g : cat.GatilhosDe(o->id)) {
                    const std::string gatilho = g->nome;  // its triggers go with it
                    cat.ExcluirObjeto(s_.Conexao(), gatilho);
                }
            }
            cat.ExcluirObjeto(s_.Conexao(), nome);
        }
        execucao_.AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

void ObjetosProgramados::ExigirFuncaoSemRestricoes(const std::string& nome,
                                                   const std::string& acao) {
    for (const Tabela* t : s_.CatalogoAtual().Tabelas())
        for (const auto& r : t->restricoes)
            if ((r.tipo == "C" || r.tipo == "D") && ChamaAFuncao(r.texto, nome))
                throw ErroDoServidor(3729, {acao, nome, r.nome});
}

// A procedure's, function's or trigger's parameters and variables name types there are
// (2715 when one does not), as SQL Server finds when it compiles them.
void ObjetosProgramados::ExigirTiposDoCorpo(const instrucao::CriarObjeto& c) {
    for (std::size_t k = 0; k < c.parametros.size(); ++k)
        if (!c.parametros[k].tipoDoUsuario.empty() &&
            !execucao_.AcharTipoDoUsuario(c.parametros[k].tipoDoUsuario))
            throw ErroDoServidor(2715, {std::to_string(k + 1), c.parametros[k].tipoDoUsuario});
    for (const auto& r : c.retorno) TipoDeclarado(r);
    QuadroDeVariaveis variaveis;
    variaveis.DeclararDe(c.instrucoes);
}

}  // namespace zolvek::simulador
