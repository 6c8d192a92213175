#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The list of databases of `zolvek-cli analisar --bancos ARQUIVO`: one connection
// string per line; blank lines and lines starting with "#" are skipped.
namespace zolvek::execucao {

struct BancoDaLista {
    int linha = 0;         // 1-based line number in the file
    std::string cadeia;    // the connection string, blanks trimmed
    std::string problema;  // why the line cannot be used ("" when it can)
};

// A file that cannot be read raises ErroDeEntrada. A line that is not a connection
// string, or names no Initial Catalog, is kept with its problem: that database is then
// reported as failed and the others run.
std::vector<BancoDaLista> LerListaDeBancos(const std::filesystem::path& arquivo);

// The lines of a list's text (the file's reader, kept apart for the tests).
std::vector<BancoDaLista> LerLinhasDaLista(const std::string& texto);

}  // namespace zolvek::execucao
