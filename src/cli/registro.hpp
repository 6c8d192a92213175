#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zolvek::cli {

// A subcommand of zolvek-cli. Each lives in its own file and registers itself with a
// static RegistrarComando object, so adding one touches no other file. The object is
// named for its command (registroSql): files are compiled in batches, so names in their
// anonymous namespaces must differ.
struct ComandoCli {
    // Texts of the program itself: every start registers every command, without copying.
    std::string_view nome;    // "sql", "dicionario", "info", ...
    std::string_view resumo;  // one line for "zolvek-cli --help"
    // The full text of "zolvek-cli NOME --help", made only when asked for: every
    // start registers every command.
    std::string (*ajuda)();
    // Receives the arguments after the command name; returns the exit status.
    int (*executar)(const std::vector<std::string>& argumentos);
};

const std::vector<ComandoCli>& ComandosRegistrados();
const ComandoCli* AcharComando(const std::string& nome);

struct RegistrarComando {
    explicit RegistrarComando(ComandoCli comando);
};

}  // namespace zolvek::cli
