#include "simulador/motor/execucao/formas_de_insercao.hpp"

#include <cstdint>
#include <cstdlib>

namespace zolvek::simulador {

namespace {

// Statements longer than this are seldom repeated; their forms are not kept.
constexpr std::size_t kTokensDaForma = 400;

// An integer whose type (int of so many digits) its number of digits tells alone.
bool InteiroCurto(const Token& t) {
    if (t.tipo != TipoToken::Numero || t.texto.empty() || t.texto.size() > 9) return false;
    if (t.texto.size() > 1 && t.texto[0] == '0') return false;
    for (char c : t.texto)
        if (c < '0' || c > '9') return false;
    return true;
}

// A text that the compiler writes as itself (one with a NUL goes as its bytes).
bool TextoSimples(const Token& t) {
    return (t.tipo == TipoToken::Texto || t.tipo == TipoToken::TextoN) &&
           t.texto.find('\0') == std::string::npos;
}

db::Valor ValorDoToken(const Token& t, bool negativo) {
    if (t.tipo != TipoToken::Numero) return t.texto;
    const auto n = static_cast<std::int64_t>(std::strtoll(t.texto.c_str(), nullptr, 10));
    return negativo ? -n : n;
}

bool MesmoValor(const db::Valor& a, const db::Valor& b) {
    if (const auto* x = std::get_if<std::string>(&a)) {
        const auto* y = std::get_if<std::string>(&b);
        return y && *x == *y;
    }
    const auto* x = std::get_if<std::int64_t>(&a);
    const auto* y = std::get_if<std::int64_t>(&b);
    return x && y && *x == *y;
}

}  // namespace

std::string ChaveDaForma(const std::vector<Token>& tokens, Faixa faixa, bool identidadeLigada) {
    if (faixa.Vazia() || faixa.fim > tokens.size() || faixa.fim - faixa.inicio > kTokensDaForma)
        return "";
    std::string chave;
    chave.reserve(8 * (faixa.fim - faixa.inicio) + 1);
    chave += identidadeLigada ? 'L' : 'D';
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

FormaDeInsercao FormaCompilada(const std::vector<Token>& tokens, Faixa faixa,
                               const instrucao::Inserir& c, std::string sql,
                               const std::vector<db::Valor>& literais,
                               const std::vector<int>& ligados) {
    FormaDeInsercao forma;
    std::size_t v = 0;
    for (const auto& linha : c.valores) {
        for (const Faixa& x : linha) {
            const int ligado = v < ligados.size() ? ligados[v] : -1;
            ++v;
            const std::size_t n = x.fim - x.inicio;
            const Token& ultimo = tokens[x.fim - 1];
            const bool negativo =
                n == 2 && EhSimbolo(tokens[x.inicio], "-") && InteiroCurto(ultimo);
            if ((n == 1 && (TextoSimples(ultimo) || InteiroCurto(ultimo))) || negativo) {
                const auto k = static_cast<std::size_t>(ligado);
                if (ligado < 0 || k != forma.literais.size() || k >= literais.size() ||
                    !MesmoValor(ValorDoToken(ultimo, negativo), literais[k]))
                    return {};
                forma.literais.push_back({x.fim - 1 - faixa.inicio, negativo});
            } else if (n != 1 || ligado >= 0 ||
                       !(EhPalavra(ultimo, "NULL") || EhPalavra(ultimo, "DEFAULT"))) {
                return {};
            }
        }
    }
    if (forma.literais.size() != literais.size()) return {};
    forma.sql = std::move(sql);
    forma.reutilizavel = true;
    return forma;
}

std::vector<db::Valor> LiteraisDaForma(const FormaDeInsercao& forma,
                                       const std::vector<Token>& tokens, Faixa faixa) {
    std::vector<db::Valor> r;
    r.reserve(forma.literais.size());
    for (const auto& l : forma.literais)
        r.push_back(ValorDoToken(tokens[faixa.inicio + l.token], l.negativo));
    return r;
}

}  // namespace zolvek::simulador
