#pragma once

#include <string>
#include <string_view>

// Pieces of the SQL text that the analysis builds by concatenation.
namespace zolvek::analysis {

// A text as a SQL string literal: between apostrophes, each apostrophe doubled.
std::string Literal(std::string_view texto);

// A database name as ALTER DATABASE takes it: between brackets, "]" doubled, so that
// names with blanks, hyphens or apostrophes work.
std::string NomeDoBancoEntreColchetes(std::string_view nome);

}  // namespace zolvek::analysis
