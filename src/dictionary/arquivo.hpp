#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The byte layers of the dictionary file: the content (Windows-1252 text) written as
// hexadecimal digits, and those digits combined with the key byte by byte.
namespace zolvek::dicionario {

// The key of the XOR layer: 57 characters, of which the first 51 take part.
extern const char ChaveDoDicionario[58];
inline constexpr std::size_t kBytesUsadosDaChave = 51;

// The XOR pass, in place, up to the first zero byte: each byte that differs from its
// key byte is combined with it; the key position restarts every 51 bytes. The pass is
// its own inverse on data without zero bytes.
void DesembaralharDicionario(std::string& dados);

// File bytes -> content bytes (Windows-1252): the XOR pass, then the hexadecimal
// pairs (an odd last character is ignored); the content ends at its first zero byte.
// A character that is not a hexadecimal digit raises ErroDeEntrada naming its
// position; `caminho` names the file in the message.
std::string ConteudoDoArquivo(std::string bytes, const std::string& caminho);

// Content bytes -> file bytes: upper-case hexadecimal digits, then the XOR pass.
std::string CodificarConteudo(std::string_view conteudo);

// Reads the whole file in one piece, with the loader's messages for a file that is
// missing or cannot be opened, measured or read.
std::string LerArquivoDoDicionario(const std::filesystem::path& caminho);

// Writes the bytes to the file (through a temporary beside it, so that a failure never
// leaves a half-written dictionary). Raises Erro with the path on failure.
void GravarArquivoDoDicionario(const std::filesystem::path& caminho, std::string_view bytes);

// UTF-8 text lines -> content bytes: each line in Windows-1252, each followed by CR LF.
// A character with no Windows-1252 form raises ErroDeEntrada naming the line (counted
// from `primeiraLinha`).
std::string ConteudoDasLinhas(const std::vector<std::string>& linhas,
                              std::size_t primeiraLinha = 1);

// Splits a text into lines: CR LF, a lone CR and a lone LF each end a line; a line end
// at the very end adds no empty line.
std::vector<std::string_view> DividirLinhas(std::string_view texto);

}  // namespace zolvek::dicionario
