#include "db/tokens_sql.hpp"

#include "comum/texto.hpp"

namespace zolvek::db {

namespace {

bool CaractereDePalavra(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '#' || c == '@' || c == '$' || u >= 0x80;
}

std::size_t FimDoTrechoDelimitado(std::string_view s, std::size_t i, char fecha) {
    std::size_t j = i + 1;
    while (j < s.size()) {
        if (s[j] == fecha) {
            if (j + 1 < s.size() && s[j + 1] == fecha) {
                j += 2;  // doubled closing character stands for itself
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

std::size_t FimDoComentarioEmBloco(std::string_view s, std::size_t i) {
    int profundidade = 0;
    std::size_t j = i;
    while (j < s.size()) {
        if (s[j] == '/' && j + 1 < s.size() && s[j + 1] == '*') {
            ++profundidade;
            j += 2;
        } else if (s[j] == '*' && j + 1 < s.size() && s[j + 1] == '/') {
            j += 2;
            if (--profundidade == 0) return j;
        } else {
            ++j;
        }
    }
    return s.size();
}

// The content of a delimited piece, the doubled closing marks undone.
std::string ConteudoDelimitado(std::string_view s, std::size_t inicio, std::size_t fim,
                               char fecha) {
    std::string r;
    for (std::size_t j = inicio + 1; j < fim; ++j) {
        if (s[j] == fecha) {
            if (j + 1 < fim && s[j + 1] == fecha) {
                r += fecha;
                ++j;
                continue;
            }
            break;
        }
        r += s[j];
    }
    return r;
}

}  // namespace

std::size_t PularTrechoEspecial(std::string_view s, std::size_t i) {
    const char c = s[i];
    const char prox = i + 1 < s.size() ? s[i + 1] : '\0';
    if (c == '\'' || c == '"') return FimDoTrechoDelimitado(s, i, c);
    if (c == '[') return FimDoTrechoDelimitado(s, i, ']');
    if (c == '-' && prox == '-') {
        const auto fim = s.find('\n', i);
        return fim == std::string_view::npos ? s.size() : fim;
    }
    if (c == '/' && prox == '*') return FimDoComentarioEmBloco(s, i);
    return i;
}

std::vector<TokenSql> TokensSql(std::string_view s) {
    std::vector<TokenSql> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (const std::size_t fim = PularTrechoEspecial(s, i); fim != i) {
            if (c == '[' || c == '"')
                tokens.push_back({TipoDeToken::Nome,
                                  ConteudoDelimitado(s, i, fim, c == '[' ? ']' : '"'), i, fim});
            else if (c == '\'')
                tokens.push_back({TipoDeToken::Texto, ConteudoDelimitado(s, i, fim, '\''), i, fim});
            i = fim;
            continue;
        }
        if (CaractereDePalavra(c)) {
            std::size_t j = i + 1;
            while (j < s.size() && CaractereDePalavra(s[j])) ++j;
            tokens.push_back({TipoDeToken::Palavra, std::string(s.substr(i, j - i)), i, j});
            i = j;
            continue;
        }
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            tokens.push_back({TipoDeToken::Simbolo, std::string(1, c), i, i + 1});
        ++i;
    }
    return tokens;
}

bool EhPalavra(const TokenSql& t, std::string_view palavra) {
    return t.tipo == TipoDeToken::Palavra && texto::IguaisSemCaixa(t.texto, palavra);
}

bool EhSimbolo(const TokenSql& t, char c) {
    return t.tipo == TipoDeToken::Simbolo && t.texto.size() == 1 && t.texto[0] == c;
}

bool EhNome(const TokenSql& t) {
    return t.tipo == TipoDeToken::Palavra || t.tipo == TipoDeToken::Nome;
}

}  // namespace zolvek::db
