#pragma once

#include "dictionary/dicionario.hpp"

namespace zolvek::analysis {

// Refuses (ErroDeEntrada), before the analysis sends anything, a dictionary whose names
// it could not write into SQL: a table, field, index or referenced name, or a
// constraint, trigger or procedure name made from them, longer than the server takes;
// an index column list that is not a list of names.
void VerificarNomesDoDicionario(const dicionario::DicionarioDeDados& dicionario);

}  // namespace zolvek::analysis
