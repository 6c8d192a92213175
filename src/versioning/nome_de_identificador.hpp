#pragma once

#include <string>
#include <string_view>

namespace zolvek::versionamento {

// The name of the T-SQL variable that carries a field in the generated triggers:
// punctuation, symbols, blanks and quotes are dropped, the letter after each dropped
// character (and the first one) is put in upper case, and accented letters lose their
// accents. "Data de emissão" gives DataDeEmissao, "Preço" gives Preco.
std::string NomeDeIdentificador(std::string_view nome);

}  // namespace zolvek::versionamento
