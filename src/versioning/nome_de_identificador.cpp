#include "versioning/nome_de_identificador.hpp"

#include <string_view>

#include "comum/texto.hpp"

namespace zolvek::versionamento {

namespace {

// The characters that separate words in a field name. Control characters and other
// blanks count too: kept, they would end the variable's name in the generated SQL.
bool EhSeparador(char32_t c) {
    static constexpr std::u32string_view kSeparadores =
        U"/\\.,[]+-*?><;:{}\u00BA\u00AA\u00A2\u00A7=()&\u00A8%\u00A3#@!\u00B4^~$\u00B0 \"'`";
    return kSeparadores.find(c) != std::u32string_view::npos || c < 0x20 || c == 0x7F ||
           (c >= 0x80 && c <= 0xA0);
}

char32_t SemAcento(char32_t c) {
    switch (c) {
        case U'Á':
        case U'Ã':
        case U'Â':
        case U'À':
            return U'A';
        case U'á':
        case U'ã':
        case U'â':
        case U'à':
            return U'a';
        case U'Ç':
            return U'C';
        case U'ç':
            return U'c';
        case U'É':
        case U'Ê':
        case U'È':
            return U'E';
        case U'é':
        case U'ê':
        case U'è':
            return U'e';
        case U'Í':
        case U'Ì':
            return U'I';
        case U'í':
        case U'ì':
            return U'i';
        case U'Ó':
        case U'Õ':
        case U'Ô':
        case U'Ò':
            return U'O';
        case U'ó':
        case U'õ':
        case U'ô':
        case U'ò':
            return U'o';
        case U'Ú':
        case U'Ü':
            return U'U';
        case U'ú':
        case U'ü':
            return U'u';
        default:
            return c;
    }
}

}  // namespace

std::string NomeDeIdentificador(std::string_view nome) {
    std::string saida;
    bool inicioDePalavra = true;
    std::size_t pos = 0;
    while (pos < nome.size()) {
        char32_t c;
        if (!texto::LerUtf8(nome, pos, c)) {  // not a character: kept as it is
            saida += nome[pos++];
            inicioDePalavra = false;
            continue;
        }
        if (EhSeparador(c)) {
            inicioDePalavra = true;
            continue;
        }
        std::string letra;
        texto::AcrescentarUtf8(letra, c);
        if (inicioDePalavra) letra = texto::Maiusculas(letra);
        inicioDePalavra = false;
        std::size_t p = 0;
        char32_t maiuscula;
        texto::LerUtf8(letra, p, maiuscula);
        texto::AcrescentarUtf8(saida, SemAcento(maiuscula));
    }
    return saida;
}

}  // namespace zolvek::versionamento
