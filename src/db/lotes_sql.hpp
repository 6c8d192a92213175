#pragma once

#include <string>
#include <string_view>
#include <vector>

// A SQL script split into batches at its "GO" lines, as the SQL script window and
// `zolvek-cli sql` run it.
namespace zolvek::db {

struct LoteSql {
    std::vector<std::string> linhas;
    int primeiraLinha = 1;  // 1-based number of the batch's first line in the script

    // The lines joined with line breaks, as the batch is sent.
    std::string Texto() const;
    // True when the batch holds nothing but blanks and line breaks.
    bool Vazio() const;
};

// A line that ends a batch: the word GO in any letter case, nothing else on the line
// (a blank before or after makes it an ordinary line).
bool EhSeparadorDeLote(std::string_view linha);

// Every GO line ends the batch collected so far, even an empty one (the server then
// rejects it, as the script window shows); after the last line the rest is a batch
// only when it is not blank.
std::vector<LoteSql> DividirEmLotes(const std::vector<std::string>& linhas);

}  // namespace zolvek::db
