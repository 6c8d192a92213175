#pragma once

#include <string>

#include "db/modulo_dados.hpp"

// The access group that the options dialog remembers per database, in the table
// Opções under the identifier "ConfirmacaoAnalisar". A new database does not have
// that table until its first analysis creates it: then nothing is stored or read.
namespace zolvek::analysis {

// The stored group, or "PUBLIC" when none is stored (or it is blank, or the table
// does not exist yet).
std::string LerGrupoParaAcesso(db::TModuloDados& modulo);

// Stores the group, keeping the identifier's other lines; skipped while the table
// does not exist.
void GravarGrupoParaAcesso(db::TModuloDados& modulo, const std::string& grupo);

}  // namespace zolvek::analysis
