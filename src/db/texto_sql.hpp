#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reading the program's SQL texts: `:name` parameters and the single table of a SELECT.
// Quoted strings, "quoted" and [bracketed] names and comments are skipped; `::` is not
// a parameter.
namespace zolvek::db {

struct SqlPosicional {
    std::string sql;                 // every `:name` replaced by `?`
    std::vector<std::string> nomes;  // the name of each `?`, in order (repeats kept)
};

SqlPosicional TraduzirParametros(std::string_view sql);

// The distinct parameter names in order of first appearance (letter case ignored).
std::vector<std::string> NomesDeParametros(std::string_view sql);

// The table after FROM when the statement reads exactly one table ("StatusBD(NOLOCK)",
// "[dbo].[X] with (nolock) a", "Opções where ..."), written with brackets
// ("[dbo].[StatusBD]"); "" for joins, several tables, subqueries and unions.
std::string TabelaUnicaDoSelect(std::string_view sql);

// A name in brackets, "]" doubled.
std::string EntreColchetes(std::string_view nome);

// A text as a SQL string literal: in apostrophes, each apostrophe doubled.
std::string EntreApostrofos(std::string_view texto);

// Text as lines, the way a line list takes it: CR LF, LF or CR end a line, and a final
// line break does not start another line.
std::vector<std::string> DividirEmLinhas(std::string_view texto);

}  // namespace zolvek::db
