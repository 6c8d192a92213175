#pragma once

#include <string>
#include <string_view>
#include <vector>

// The comma lists of the dictionary lines: items separated by commas (or by blanks),
// items holding a comma, a blank or a double quote written between double quotes with
// inner quotes doubled.
namespace zolvek::dicionario {

// Splits one line into its items, appending them to `itens` (which is cleared first).
void DividirItens(std::string_view linha, std::vector<std::string>& itens);
std::vector<std::string> DividirItens(std::string_view linha);

// Writes the items as one line that DividirItens reads back as the same items.
std::string FormatarItens(const std::vector<std::string>& itens);

}  // namespace zolvek::dicionario
