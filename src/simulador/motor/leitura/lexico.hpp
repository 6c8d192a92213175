#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// T-SQL's lexical rules: [brackets] with ]] inside, 'quotes' with '' inside, N'...',
// -- and /* */ comments (nested, as SQL Server allows), @variables, ? and :name
// parameters, and GO lines between batches.
namespace zolvek::simulador {

enum class TipoToken {
    Palavra,    // identifier or keyword, as written
    Colchete,   // [name]; texto holds the name without brackets
    Aspas,      // "name"; texto holds the name without quotes
    Texto,      // 'text'; texto holds the value
    TextoN,     // N'text'
    Numero,     // 12, 1.5, 1e3
    Binario,    // 0x0A0B
    Variavel,   // @x, @@x (texto keeps the @)
    Parametro,  // ?
    Simbolo,    // operators and punctuation
};

struct Token {
    TipoToken tipo;
    std::string texto;
    std::size_t inicio = 0;  // offsets in the source text
    std::size_t fim = 0;
};

// Raises ErroDeBanco for an unclosed quote, bracket or comment, and for a NUL byte
// outside a text literal or comment (SQL Server's syntax error 102).
std::vector<Token> Tokenizar(std::string_view sql);
// The same into `tokens`, emptied first: a long batch read a piece at a time keeps
// the memory of its tokens from piece to piece.
void Tokenizar(std::string_view sql, std::vector<Token>& tokens);
// The number (from 1) of each '?' in a batch; -1 for other tokens.
std::vector<int> NumerarParametros(const std::vector<Token>& tokens);

// Splits a script at lines that hold only GO (any letter case, blanks allowed around
// it, as sqlcmd does). Batches that are blank are dropped.
std::vector<std::string> DividirLotes(std::string_view sql);

// Case-insensitive comparison of a Palavra token with an ASCII keyword.
bool EhPalavra(const Token& t, std::string_view palavra);
// Palavra, Colchete or Aspas.
bool EhNome(const Token& t);
// Inline: the parsers ask it of nearly every token, mostly for one character.
inline bool EhSimbolo(const Token& t, std::string_view simbolo) {
    return t.tipo == TipoToken::Simbolo && t.texto.size() == simbolo.size() &&
           std::char_traits<char>::compare(t.texto.data(), simbolo.data(), simbolo.size()) == 0;
}

// Writes an identifier as SQLite expects it ("a""b").
std::string ComoIdentificador(std::string_view nome);
// Writes a text literal ('it''s'); one with a NUL in it as CAST(X'...' AS TEXT).
std::string ComoTexto(std::string_view valor);

}  // namespace zolvek::simulador
