#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvores/arvore.hpp"

namespace zolvek::simulador {

class FalhaDoSqlite;
class SessaoDeExecucao;
struct Tabela;

// What a definition asks of the run it is a statement of (the Executor): the session and
// the result sets, a statement made atomic (Atomico; AposDdl after a definition), SQLite's
// failure of a statement as SQL Server's error by SQLite's result code (FalhaTraduzida).
class ExecucaoDaDefinicao {
  public:
    virtual SessaoDeExecucao& Sessao() = 0;
    virtual std::vector<db::Resultado>& Resultados() = 0;
    virtual void Atomico(const std::function<void()>& f) = 0;
    virtual void AposDdl() = 0;
    [[noreturn]] virtual void FalhaTraduzida(const FalhaDoSqlite& falha, char operacao,
                                             const std::string& tabela) = 0;
    virtual std::vector<DefColuna> ColunasComTipos(const std::vector<DefColuna>& colunas) = 0;
    virtual void TiparColunasCalculadas(Tabela& t) = 0;
    // A #table of the run.
    virtual void AnotarTemporaria(const std::string& nome) = 0;
    // The login is sysadmin or the user a member of db_owner.
    virtual bool DonoDoBanco() = 0;

  protected:
    ~ExecucaoDaDefinicao() = default;
};

}  // namespace zolvek::simulador
