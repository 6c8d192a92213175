#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dictionary/dicionario.hpp"

// Writing dictionary files, for the tools that produce them (the dictionary command
// of zolvek-cli, tests, benchmarks).
namespace zolvek::dicionario {

struct BlocoDeScript {
    TipoDeServidor tipo = TipoDeServidor::SqlServer;  // "Script" or "plpgsql" header
    std::string descricao;                            // the line the loader skips
    std::string sistemas;
    std::vector<std::string> corpo;
};

// Everything a dictionary file holds.
struct ConteudoDoDicionario {
    std::int32_t revisao = 1;
    std::string comentario;  // line 3, not read by the loader
    std::vector<TabelaDic> tabelas;
    std::vector<BlocoDeScript> scripts;
};

// The content lines (UTF-8) of a dictionary, from line 1 ("Dicionário versão 5") on;
// line 4 holds the real counts.
std::vector<std::string> LinhasDoDicionario(const ConteudoDoDicionario& conteudo);

// Line 4 ("tables,fields,indexes") for content lines from line 5 on, counted as the
// loader reads them: for files written from text lines.
std::string LinhaDeContagens(const std::vector<std::string>& corpo);

// UTF-8 lines -> file bytes (Windows-1252, CR LF, hexadecimal, XOR). Raises
// ErroDeEntrada naming the line of a character with no Windows-1252 form.
std::string CodificarLinhas(const std::vector<std::string>& linhas);

// UTF-8 text -> file bytes. Every line end (CR LF, CR or LF) is written as CR LF; a
// text that ends without a line end is encoded without one.
std::string CodificarTexto(std::string_view textoUtf8);

// File bytes -> the content as UTF-8 text, line ends as they are in the file.
std::string DecodificarParaTexto(std::string_view bytes, const std::string& caminho);

void GravarDicionario(const std::filesystem::path& caminho, const ConteudoDoDicionario& conteudo);

}  // namespace zolvek::dicionario
