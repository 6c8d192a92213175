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

// The longest name SQL Server takes for a table, column, index, constraint, object
// or database (sysname), in characters.
inline constexpr std::size_t kTamanhoMaximoDeNome = 128;

// Refuses (ErroDeEntrada) a name longer than kTamanhoMaximoDeNome characters, before
// any statement carries it.
void VerificarTamanhoDoNome(std::string_view nome);

// A name in brackets, "]" doubled: the one way the program writes a table, column,
// index, constraint, object or database name into SQL, so that no name can end the
// brackets early. Refuses names that are too long (VerificarTamanhoDoNome).
std::string EntreColchetes(std::string_view nome);

// A text as a SQL string literal: in apostrophes, each apostrophe doubled.
std::string EntreApostrofos(std::string_view texto);

// A name as the argument of object_id(): a literal of the bare name, or of the name in
// brackets when it holds a dot, a bracket, a double quote or blanks at its ends, which
// object_id would otherwise read as part separators or trim.
std::string NomeDeObjetoComoLiteral(std::string_view nome);

// "ALTER DATABASE [nome] " + opcao ("SET SINGLE_USER", "SET MULTI_USER", ...): every
// statement that changes a database's options names it this way.
std::string AlterarBanco(std::string_view nome, std::string_view opcao);

// Text as lines, the way a line list takes it: CR LF, LF or CR end a line, and a final
// line break does not start another line.
std::vector<std::string> DividirEmLinhas(std::string_view texto);

}  // namespace zolvek::db
