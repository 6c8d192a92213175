#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Runs the built zolvek-cli as a user would, from a shell.
namespace zolvek::teste {

struct Execucao {
    int status = -1;
    std::string saida;
    std::string erros;
};

// The text as one shell word.
inline std::string Aspas(const std::string& texto) {
    std::string saida = "'";
    for (char c : texto) saida += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return saida + "'";
}

inline std::string LerArquivo(const std::filesystem::path& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    return texto.str();
}

// "zolvek-cli ARGUMENTOS" with the file `entrada` on its standard input and the
// environment assignments of `ambiente` (ZOLVEK_CONEXAO is cleared first). Its output
// goes through files in `pasta`, which must exist.
inline Execucao RodarCli(const std::filesystem::path& pasta, const std::string& argumentos,
                         const std::string& entrada = "/dev/null",
                         const std::string& ambiente = "") {
    const auto saida = pasta / "saida.txt";
    const auto erros = pasta / "erros.txt";
    const std::string comando = "env -u ZOLVEK_CONEXAO " + ambiente + " " +
                                Aspas(std::string(ZOLVEK_PASTA_BINARIOS) + "/zolvek-cli") + " " +
                                argumentos + " <" + Aspas(entrada) + " >" + Aspas(saida.string()) +
                                " 2>" + Aspas(erros.string());
    Execucao e;
    const int bruto = std::system(comando.c_str());
    e.status = WIFEXITED(bruto) ? WEXITSTATUS(bruto) : -1;
    e.saida = LerArquivo(saida);
    e.erros = LerArquivo(erros);
    return e;
}

}  // namespace zolvek::teste
