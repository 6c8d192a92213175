#pragma once

#include <string>

#include "db/conexao.hpp"

// The company's internal procedures: a script kept in PARFN.Script, edited from the
// options dialog of "Analisar" ("Procedimentos internos: Editar").
namespace zolvek::admin {

extern const char* const kConsultaDosProcedimentosInternos;  // "select Script from PARFN"
extern const char* const kGravacaoDosProcedimentosInternos;  // "update PARFN set Script=:SCRIPT"

// The stored script ("" when PARFN has no row or the column is NULL).
std::string LerProcedimentosInternos(db::Conexao& conexao);

// Stores the edited script. Raises ErroDeEntrada when PARFN has no row to keep it in,
// rather than let the text be lost without a word.
void GravarProcedimentosInternos(db::Conexao& conexao, const std::string& script);

}  // namespace zolvek::admin
