#pragma once

#include <string>

// Facts fixed when the program is built: names, version and the source revision it
// was built from (taken from git by the build; fixed fallbacks outside a checkout).
namespace zolvek::versao {

// "Zolvek" and "ZWK".
const std::string& NomeDoProduto();
const std::string& NomeInterno();

// Four numbers with dots, for example "1.0.16.0".
const std::string& VersaoDoArquivo();

// The file version without its last two characters: "1.0.16" from "1.0.16.0".
const std::string& VersaoDoPrograma();

// Number of commits up to the built revision (0 outside a git checkout).
int NumeroDaRevisao();

// Hexadecimal id of the built revision (only its first 6 characters are shown).
const std::string& IdDaRevisao();

// "yyyy-mm-dd hh:nn:ss +zzzz" of the built revision.
const std::string& DataDaRevisao();

// The file version without its last two characters (exposed for its rule alone).
std::string CortarVersao(const std::string& versaoDoArquivo);

}  // namespace zolvek::versao
