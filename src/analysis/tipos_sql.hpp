#pragma once

#include <string>

#include "db/conector/conector.hpp"
#include "dictionary/dicionario.hpp"

// Translating a dictionary field into a SQL Server column, and a database column back
// into the category that the structure comparison uses.
namespace zolvek::analysis {

// The column type text of a field ("NVARCHAR(40)", "DEC(12,2)", "INT IDENTITY(1,1)").
// `versaoMaior` picks ROWVERSION (10 or later) or TIMESTAMP. A text field longer than
// 8000 characters raises ErroDeEntrada.
std::string TipoSQL(const dicionario::CampoDic& campo, int versaoMaior);

// How DefinicaoDaColuna writes nullability: 1 as the field requires, 2 always NULL,
// 3 not at all.
enum class ModoDeNulo { ConformeCampo = 1, SempreNulo = 2, Omitido = 3 };

// "[Nome] " + type + the nullability clause (none for "S", "M" and "R").
std::string DefinicaoDaColuna(const dicionario::CampoDic& campo, ModoDeNulo modo, int versaoMaior);

// The category of a database column as the session layer reports its type.
dicionario::CategoriaDeDados CategoriaDaColuna(const db::Coluna& coluna);

// The category that the column TipoSQL makes for the field reports: an "F" field of at
// most 9 digits and no decimals is an INT column (integer), a code outside the type
// table a text column (string). The comparison accepts it beside the field's own
// category, so that every column the analysis creates compares equal on the next run.
dicionario::CategoriaDeDados CategoriaDaColunaCriada(const dicionario::CampoDic& campo);

// True when TipoSQL makes a single-byte VARCHAR column for the field (a text of more
// than 4000 characters).
bool CriaVarchar(const dicionario::CampoDic& campo);

}  // namespace zolvek::analysis
