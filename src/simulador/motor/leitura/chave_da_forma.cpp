#include "simulador/motor/leitura/chave_da_forma.hpp"

#include <cstdint>

namespace zolvek::simulador {

namespace {

// Statements longer than this are seldom repeated; their forms are not kept.
constexpr std::size_t kTokensDaForma = 400;

bool InteiroCurto(const Token& t) {
    return t.tipo == TipoToken::Numero && DigitosCurtos(t.texto);
}

// A text that the compiler writes as itself (one with a NUL goes as its bytes).
bool TextoSimples(const Token& t) {
    return (t.tipo == TipoToken::Texto || t.tipo == TipoToken::TextoN) &&
           t.texto.find('\0') == std::string::npos;
}

}  // namespace

bool DigitosCurtos(const std::string& n) {
    return !n.empty() && n.size() <= 9 && !(n.size() > 1 && n[0] == '0') &&
           n.find_first_not_of("0123456789") == std::string::npos;
}

std::string ChaveDaForma(const std::vector<Token>& tokens, Faixa faixa) {
    if (faixa.Vazia() || faixa.fim > tokens.size() || faixa.fim - faixa.inicio > kTokensDaForma)
        return "";
    std::string chave;
    chave.reserve(8 * (faixa.fim - faixa.inicio) + 1);
    chave += 'D';
    for (std::size_t k = faixa.inicio; k < faixa.fim; ++k) {
        const Token& t = tokens[k];
        if (t.tipo == TipoToken::Parametro) return "";
        // the kind, then: nothing for a text, one digit for a short integer, or the
        // length in four bytes and the text itself
        chave += static_cast<char>('a' + static_cast<int>(t.tipo));
        if (TextoSimples(t)) continue;
        if (InteiroCurto(t)) {
            chave += static_cast<char>('0' + t.texto.size());
            continue;
        }
        const auto n = static_cast<std::uint32_t>(t.texto.size());
        for (int b = 0; b < 4; ++b) chave += static_cast<char>((n >> (8 * b)) & 0xFF);
        chave += t.texto;
    }
    return chave;
}

}  // namespace zolvek::simulador
