// A run inside a function's body: the executor whose statement SQLite is running, what
// the body may run, and its changes to its return table made atomic inside its caller's
// statement. The calls themselves are FuncoesDoUsuario's (funcoes_do_usuario.hpp).

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

thread_local Executor* Executor::emCurso_ = nullptr;

void Executor::ExigirLeituraNaFuncao(const Comando& c) {
    if (std::holds_alternative<instrucao::ExecutarProcedimento>(c.instrucao))
        throw ErroDoServidor(557);
    // its caller's statement is running: no table can be made for a table variable now
    if (const auto* d = std::get_if<instrucao::Declarar>(&c.instrucao))
        for (const auto& v : d->variaveis)
            if (v.tabela)
                throw Recusa(
                    "O simulador de SQL Server não interpreta variáveis de tabela em funções "
                    "(DECLARE " +
                    v.nome + " TABLE).");
    // a table function's body fills its return table (its only table: created so)
    const bool muda = funcaoDeTabela_;
    const bool le = std::visit(
        [muda](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            return InstrucaoProcedural<T> || std::is_same_v<T, instrucao::Selecionar> ||
                   std::is_same_v<T, instrucao::Se> || std::is_same_v<T, instrucao::Bloco> ||
                   (muda && (std::is_same_v<T, instrucao::Inserir> ||
                             std::is_same_v<T, instrucao::Atualizar> ||
                             std::is_same_v<T, instrucao::Excluir>));
        },
        c.instrucao);
    if (!le)
        throw Recusa("O simulador de SQL Server não interpreta a instrução " + c.palavra +
                     " numa função.");
}

// A savepoint of its own: the caller's statement holds SQLite's transaction and its
// prepared statements, which a change failing here must leave as they are.
void Executor::AtomicoNaFuncao(const std::function<void()>& f) {
    sqlite3* db = s_.Conexao();
    ExecutarSql(db, "SAVEPOINT zv_funcao");
    try {
        f();
        ExecutarSql(db, "RELEASE zv_funcao");
    } catch (...) {
        sqlite3_exec(db, "PRAGMA ignore_check_constraints = OFF", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "ROLLBACK TO zv_funcao", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE zv_funcao", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace zolvek::simulador
