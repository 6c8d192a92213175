#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Text inside the program is UTF-8. Windows-1252 is used only at the edges that
// demand it (dictionary file, log file).
namespace zolvek::texto {

// Appends the UTF-8 form of the character.
void AcrescentarUtf8(std::string& saida, char32_t c);

// Reads the character at `pos` and advances past it. Returns false (leaving `pos`
// unchanged) when the bytes there are not valid UTF-8 (overlong forms, surrogates
// and values past U+10FFFF included).
bool LerUtf8(std::string_view s, size_t& pos, char32_t& c);

// Windows-1252 bytes to UTF-8. All 256 byte values map to a character (the five
// bytes Windows leaves undefined, 0x81 0x8D 0x8F 0x90 0x9D, map to the C1 control
// of the same number, as Windows' own conversion does).
std::string DeWindows1252(std::string_view bytes);

// UTF-8 to Windows-1252. A character with no Windows-1252 form, or invalid UTF-8,
// raises ErroDeEntrada naming the character.
std::string ParaWindows1252(std::string_view utf8);

// Upper and lower casing that know the accented Portuguese letters (and the rest of
// Latin-1): "ação" <-> "AÇÃO". Characters without a case are kept as they are.
std::string Maiusculas(std::string_view utf8);
std::string Minusculas(std::string_view utf8);

// Case-insensitive comparison under the rules above: <0, 0, >0.
int CompararSemCaixa(std::string_view a, std::string_view b);
bool IguaisSemCaixa(std::string_view a, std::string_view b);

// Blanks (space, tab, CR, LF and the other ASCII control characters) removed at both ends.
std::string Aparar(std::string_view s);

// Splits at every occurrence of the separator (empty pieces kept).
std::vector<std::string> Dividir(std::string_view s, char separador);

// Joins the pieces with the separator between them.
std::string Juntar(const std::vector<std::string>& partes, std::string_view separador);

}  // namespace zolvek::texto
