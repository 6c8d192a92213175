#include "simulador/motor/sessao/formas_de_insercao.hpp"

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "simulador/motor/arvores/expressao.hpp"

namespace zolvek::simulador {

namespace {

// Statements longer than this are seldom repeated; their forms are not kept.
constexpr std::size_t kTokensDaForma = 400;

// A short integer written without leading zeros: its type (int of so many digits) its
// number of digits tells alone.
bool DigitosCurtos(const std::string& n) {
    return !n.empty() && n.size() <= 9 && !(n.size() > 1 && n[0] == '0') &&
           n.find_first_not_of("0123456789") == std::string::npos;
}

bool InteiroCurto(const Token& t) {
    return t.tipo == TipoToken::Numero && DigitosCurtos(t.texto);
}

// A text that the compiler writes as itself (one with a NUL goes as its bytes).
bool TextoSimples(const Token& t) {
    return (t.tipo == TipoToken::Texto || t.tipo == TipoToken::TextoN) &&
           t.texto.find('\0') == std::string::npos;
}

// The value a form binds for a value of VALUES: a text, a short integer or one with a
// minus sign before it; none for anything else.
std::optional<db::Valor> ValorDaForma(const instrucao::ValorDaInsercao& v) {
    using Forma = instrucao::ValorDaInsercao::Forma;
    if (v.forma == Forma::Texto && v.literal.find('\0') == std::string::npos) return v.literal;
    if (v.forma == Forma::Inteiro && DigitosCurtos(v.literal))
        return static_cast<std::int64_t>(std::strtoll(v.literal.c_str(), nullptr, 10));
    if (v.forma != Forma::Expressao || !v.expressao->arvore) return std::nullopt;
    const auto* u = std::get_if<Unaria>(&v.expressao->arvore->no);
    const auto* l = u && u->operador == "-" ? std::get_if<Literal>(&u->operando->no) : nullptr;
    if (!l || l->tipo != Literal::Tipo::Numero || l->moeda || !DigitosCurtos(l->texto))
        return std::nullopt;
    return -static_cast<std::int64_t>(std::strtoll(l->texto.c_str(), nullptr, 10));
}

bool NuloOuPadrao(const instrucao::ValorDaInsercao& v) {
    if (v.forma == instrucao::ValorDaInsercao::Forma::Padrao) return true;
    const Expressao* e = v.forma == instrucao::ValorDaInsercao::Forma::Expressao
                             ? v.expressao->arvore.get()
                             : nullptr;
    const auto* l = e ? std::get_if<Literal>(&e->no) : nullptr;
    return l && l->tipo == Literal::Tipo::Nulo;
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

std::string ComIdentidadeLigada(std::string chave) {
    if (!chave.empty()) chave[0] = 'L';
    return chave;
}

FormaDeInsercao FormaCompilada(const instrucao::Inserir& c, std::string sql,
                               const std::vector<db::Valor>& literais,
                               const std::vector<int>& ligados) {
    FormaDeInsercao forma;
    std::size_t v = 0;
    for (std::size_t r = 0; r < c.valores.size(); ++r) {
        for (std::size_t k = 0; k < c.valores[r].size(); ++k) {
            const int ligado = v < ligados.size() ? ligados[v] : -1;
            ++v;
            if (auto valor = ValorDaForma(c.valores[r][k])) {
                const auto n = static_cast<std::size_t>(ligado);
                if (ligado < 0 || n != forma.literais.size() || n >= literais.size() ||
                    !MesmoValor(*valor, literais[n]))
                    return {};
                forma.literais.push_back({r, k});
            } else if (ligado >= 0 || !NuloOuPadrao(c.valores[r][k])) {
                return {};
            }
        }
    }
    if (forma.literais.size() != literais.size()) return {};
    forma.sql = std::move(sql);
    forma.reutilizavel = true;
    return forma;
}

std::vector<db::Valor> LiteraisDaForma(const FormaDeInsercao& forma, const instrucao::Inserir& c) {
    std::vector<db::Valor> r;
    r.reserve(forma.literais.size());
    for (const auto& l : forma.literais) r.push_back(*ValorDaForma(c.valores[l.linha][l.coluna]));
    return r;
}

}  // namespace zolvek::simulador
