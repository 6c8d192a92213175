#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/conector/conector.hpp"

struct sqlite3_value;

namespace zolvek::simulador {

class Executor;
class SessaoDeExecucao;
struct AssinaturaDeFuncao;
struct EstadoDaExecucao;
struct ObjetoProgramado;
struct PlanoDeLote;
namespace instrucao {
struct CriarObjeto;
}  // namespace instrucao

// The calls of user functions from the statement SQLite is running: what a query needs of
// the function a name calls, a scalar function's body run once per row
// (funcoes_escalares_do_usuario.cpp), a multi-statement table function's rows for one call
// (funcoes_de_tabela_do_usuario.cpp). A body runs in an executor of its own on its
// caller's procedural state. Made for one call from the running executor, it keeps no
// state.
class FuncoesDoUsuario {
  public:
    explicit FuncoesDoUsuario(Executor& execucao);

    // dbo.f or DB.dbo.f of this database; nothing when it names no user function.
    std::optional<AssinaturaDeFuncao> Assinatura(const std::vector<std::string>& nome);
    // `padroes` marks with '1' the parameters the call left to their defaults;
    // `argumentos` are the others', of their types.
    db::Valor Chamar(const std::string& nome, const std::string& padroes,
                     const std::vector<db::Valor>& argumentos);
    std::vector<std::vector<sqlite3_value*>> Linhas(const std::string& nome,
                                                    const std::string& padroes,
                                                    const std::vector<db::Valor>& argumentos);

  private:
    // The function of that name and kind ("FN", "TF"), its text read: a refusal when the
    // engine has not read a body it can run with these parameters.
    struct FuncaoLida {
        const ObjetoProgramado* objeto = nullptr;
        std::shared_ptr<PlanoDeLote> plano;
        const instrucao::CriarObjeto* def = nullptr;
    };
    FuncaoLida LerFuncao(const std::string& nome, const char* tipo, const std::string& padroes);
    void ExigirAninhamento() const;
    std::unique_ptr<Executor> Corpo(PlanoDeLote& plano, const instrucao::CriarObjeto& def,
                                    const std::string& padroes,
                                    const std::vector<db::Valor>& argumentos);
    void RodarCorpo(Executor& corpo, const instrucao::CriarObjeto& def);
    // Its return table's columns and the SQLite module that runs it, for the generator.
    void PrepararFuncaoDeTabela(const ObjetoProgramado& o, const instrucao::CriarObjeto& def,
                                AssinaturaDeFuncao& f);

    Executor& execucao_;
    EstadoDaExecucao& e_;
    SessaoDeExecucao& s_;
};

}  // namespace zolvek::simulador
