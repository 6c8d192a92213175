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

}  // namespace zolvek::analysis
