// Multi-statement table functions (RETURNS @t TABLE (...) AS BEGIN ... RETURN END): each
// call runs the body, which fills its return table, and gives that table's rows to the
// statement that called it (funcoes_de_tabela.cpp is SQLite's side of the call).

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/funcoes_de_tabela.hpp"
#include "simulador/motor/execucao/funcoes_do_usuario.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// The return tables set aside while a statement ran, dropped when none runs.
void DescartarTabelasDeRetorno(sqlite3* db) noexcept {
    std::vector<std::string> nomes;
    try {
        Instrucao q(db, "SELECT name FROM temp.sqlite_master WHERE type = 'table' AND name LIKE '" +
                            std::string(kDescartada) + "%'");
        while (q.Passo()) nomes.push_back(q.Texto(0));
    } catch (...) {
        return;
    }
    for (const auto& n : nomes)
        sqlite3_exec(db, ("DROP TABLE temp." + ComoIdentificador(n)).c_str(), nullptr, nullptr,
                     nullptr);
}

// A scan's rows: the body runs in the executor whose statement SQLite is running.
LinhasDoSqlite LinhasDoExecutorEmCurso(const std::string& funcao, const std::string& padroes,
                                       const std::vector<db::Valor>& argumentos) {
    Executor* executor = Executor::EmCurso();
    if (!executor) throw Recusa("O simulador de SQL Server não executa funções do usuário aqui.");
    return FuncoesDoUsuario(*executor).Linhas(funcao, padroes, argumentos);
}

}  // namespace

void FuncoesDoUsuario::PrepararFuncaoDeTabela(const ObjetoProgramado& o,
                                              const instrucao::CriarObjeto& def,
                                              AssinaturaDeFuncao& f) {
    if (def.retorno.empty() || !def.retorno.front().tabela)
        throw Recusa("O simulador de SQL Server não leu o corpo de '" + o.nome + "'.");
    auto t = std::make_shared<Tabela>(execucao_.TabelaDaVariavel(def.retorno.front()));
    f.modulo = RegistrarFuncaoDeTabela(s_.Conexao(), o.nome, o.texto, *t, def.parametros.size(),
                                       LinhasDoExecutorEmCurso);
    DescartarTabelasDeRetorno(s_.Conexao());  // no statement runs while one is written
    f.tabela = std::move(t);
}

LinhasDoSqlite FuncoesDoUsuario::Linhas(const std::string& nome, const std::string& padroes,
                                        const std::vector<db::Valor>& argumentos) {
    ExigirAninhamento();
    const FuncaoLida f = LerFuncao(nome, "TF", padroes);
    const instrucao::CriarObjeto* def = f.def;
    if (!def->retorno.front().tabela)
        throw Recusa("O simulador de SQL Server não leu o corpo de '" + nome + "'.");
    auto corpo = Corpo(*f.plano, *def, padroes, argumentos);
    corpo->Estado().funcaoDeTabela_ = true;
    const Tabela& retorno = s_.EmprestarVariavelDeTabela(
        execucao_.TabelaDaVariavel(def->retorno.front()), nome + "\n" + f.objeto->texto);
    struct Devolver {
        SessaoDeExecucao& s;
        std::string nome;
        ~Devolver() { s.DevolverVariavelDeTabela(nome); }
    } devolver{s_, retorno.nome};
    RodarCorpo(*corpo, *def);
    return s_.LinhasDaVariavel(retorno);
}

}  // namespace zolvek::simulador
