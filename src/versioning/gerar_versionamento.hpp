#pragma once

#include <string>
#include <vector>

#include "db/conexao.hpp"
#include "dictionary/dicionario.hpp"
#include "versioning/modelo_de_versionamento.hpp"

namespace zolvek::versionamento {

// The statements that install the versioning of one table, in the order they run: for
// each trigger (and the build procedure of class P) the drop of the existing object
// and its creation; for class P, last, the execution of the build procedure. Raises
// the error of a table without a record key.
std::vector<std::string> ComandosDeInstalacao(const dicionario::TabelaDic& tabela,
                                              ClasseDeVersionamento classe);

// Installs the insert, update and delete triggers of every dictionary table of the
// class (and, for class P, the build procedure, run once at once), all in one
// transaction: any error rolls the whole class back, leaving its objects as they were,
// and reaches the caller.
void GerarVersionamento(db::Conexao& conexao, const dicionario::DicionarioDeDados& dicionario,
                        ClasseDeVersionamento classe);

// Drops the triggers of the older RegMov scheme ("Trigr_" T "_RegMov_Ins", "_Upd",
// "_Del") from every dictionary table, outside any transaction.
void RemoverTriggersDeRegMov(db::Conexao& conexao, const dicionario::DicionarioDeDados& dicionario);

}  // namespace zolvek::versionamento
