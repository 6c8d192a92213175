#pragma once

#include "comum/comando.hpp"
#include "db/conexao.hpp"
#include "dictionary/dicionario.hpp"

// Record versioning: the triggers that keep a history of the rows of the versioned
// tables in RegTab (class F) or RegVer (class P), and the build procedures.
namespace zolvek::versionamento {

enum class ClasseDeVersionamento { F, P };

// Drops the triggers of the older RegMov scheme of every dictionary table. Server
// errors propagate.
void RemoverTriggersDeRegMov(db::Conexao& conexao, const dicionario::DicionarioDeDados& dicionario,
                             InterfaceDoComando& interface);

// Replaces the triggers (and for class P the build procedures, run once) of the
// class's tables in one transaction, rolled back when anything fails; the error then
// propagates.
void GerarVersionamento(db::Conexao& conexao, const dicionario::DicionarioDeDados& dicionario,
                        ClasseDeVersionamento classe, InterfaceDoComando& interface);

}  // namespace zolvek::versionamento
