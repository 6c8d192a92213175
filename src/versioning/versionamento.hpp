#pragma once

#include "comum/comando.hpp"
#include "db/conexao.hpp"
#include "dictionary/dicionario.hpp"
#include "versioning/modelo_de_versionamento.hpp"

// Record versioning: the triggers that keep a history of the rows of the versioned
// tables in RegTab (class F) or RegVer (class P), and the build procedures.
namespace zolvek::versionamento {

// Drops the triggers of the older RegMov scheme ("Trigr_" T "_RegMov_Ins", "_Upd",
// "_Del") of every dictionary table, outside any transaction. Server errors propagate.
void RemoverTriggersDeRegMov(db::Conexao& conexao, const dicionario::DicionarioDeDados& dicionario,
                             InterfaceDoComando& interface);

// Replaces the insert, update and delete triggers (and for class P the build
// procedures, each run once right after its creation) of the class's tables in one
// transaction. Anything that fails rolls the whole class back, leaving its objects as
// they were, and the error propagates.
void GerarVersionamento(db::Conexao& conexao, const dicionario::DicionarioDeDados& dicionario,
                        ClasseDeVersionamento classe, InterfaceDoComando& interface);

}  // namespace zolvek::versionamento
