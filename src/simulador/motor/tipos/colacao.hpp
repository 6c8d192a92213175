#pragma once

#include <string>
#include <string_view>

struct sqlite3;

// SQL Server's usual Latin1_General_CI_AS collation: letters compare without case
// (the accented Latin-1 letters too) but with their accents, and trailing blanks do
// not count. Identifiers and data use the same rule.
namespace zolvek::simulador {

inline constexpr const char* kColacao = "LATIN1_CI_AS";
// Date-time columns compare as dates, so that '20200101' equals the stored
// '2020-01-01 00:00:00.000'.
inline constexpr const char* kColacaoDeData = "ZV_DATAHORA";
// Decimal, numeric and money columns hold exact texts ("12.50") that compare as
// numbers, so that '9.5' sorts before '10.00' and '1.5' equals '1.50'.
inline constexpr const char* kColacaoDecimal = "ZV_DECIMAL";

// Compares two decimal texts by value; texts that are not numbers compare byte by
// byte after every number.
int CompararTextosDecimais(std::string_view a, std::string_view b);

int CompararCiAs(std::string_view a, std::string_view b);
bool IguaisCiAs(std::string_view a, std::string_view b);

// The key under which a name is looked up: lower case, trailing blanks removed.
std::string Dobrar(std::string_view s);
// The text with its letters folded as the collation compares them, blanks kept. Byte for
// byte as long as the text, so that a position in one is the same in the other.
std::string SemCaixa(std::string_view s);

// The SQLite collation that stands for a SQL Server collation name; the stand-in knows
// only the Latin1 case-insensitive, accent-sensitive ones, and refuses the others
// rather than compare by a rule the name does not say.
const char* ColacaoConhecida(const std::string& nome);

// Registers the collation on a connection.
void RegistrarColacao(sqlite3* db);

}  // namespace zolvek::simulador
