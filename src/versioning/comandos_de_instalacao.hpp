#pragma once

#include <string>
#include <vector>

#include "dictionary/dicionario.hpp"
#include "versioning/modelo_de_versionamento.hpp"

namespace zolvek::versionamento {

// The statements that install the versioning of one table, in the order they run: for
// each trigger (and the build procedure of class P) the drop of the existing object
// and its creation; for class P, last, the execution of the build procedure. Raises
// the error of a table without a record key.
std::vector<std::string> ComandosDeInstalacao(const dicionario::TabelaDic& tabela,
                                              ClasseDeVersionamento classe);

}  // namespace zolvek::versionamento
