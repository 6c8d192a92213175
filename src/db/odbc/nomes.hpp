#pragma once

#include <string>

namespace zolvek::db::odbc {

// A procedure name may be qualified ("master.dbo.xp_msver") and bracketed; anything
// that could end the statement raises ErroDeEntrada.
void ValidarNomeDeProcedimento(const std::string& nome);

// "[dbo].[Tabela]", "dbo.Tabela" or "Tabela" into schema ("" when absent) and name.
void SepararNomeDeTabela(const std::string& tabela, std::string& esquema, std::string& nome);

}  // namespace zolvek::db::odbc
