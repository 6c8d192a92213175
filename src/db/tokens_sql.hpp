#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The words, names, string literals and symbols of a T-SQL text, for the program's
// readers of its own statements. Comments and blanks are skipped.
namespace zolvek::db {

enum class TipoDeToken {
    Palavra,  // a keyword or a bare name (also @variables and #temporary tables)
    Nome,     // a [bracketed] or "quoted" name, without its marks
    Texto,    // a 'string' literal, without its apostrophes
    Simbolo,  // one character of punctuation or an operator
};

struct TokenSql {
    TipoDeToken tipo = TipoDeToken::Simbolo;
    std::string texto;
    std::size_t inicio = 0;  // where it starts in the text
    std::size_t fim = 0;     // just past its end
};

// Index just past a quoted piece, comment or bracketed name starting at `i`, or `i`
// when none starts there. A doubled closing mark stands for itself; block comments nest.
std::size_t PularTrechoEspecial(std::string_view sql, std::size_t i);

std::vector<TokenSql> TokensSql(std::string_view sql);

// A word (not a name in brackets) equal to `palavra` without regard to letter case.
bool EhPalavra(const TokenSql& token, std::string_view palavra);
bool EhSimbolo(const TokenSql& token, char simbolo);
// A word or a bracketed name: what can name a table or a column.
bool EhNome(const TokenSql& token);

}  // namespace zolvek::db
