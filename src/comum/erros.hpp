#pragma once

#include <stdexcept>
#include <string>

namespace zolvek {

// Every failure the program raises carries a Portuguese message (or the server's
// own text for database errors). Errors are thrown below the front ends and caught
// only by them: a dialog in the GUI, a message and exit status in the CLI.
class Erro : public std::runtime_error {
public:
    explicit Erro(const std::string& mensagem) : std::runtime_error(mensagem) {}
};

// A failure reported by the database provider; the message is the server's own text.
class ErroDeBanco : public Erro {
public:
    using Erro::Erro;
};

// Bad input from the user or from a file (dictionary, connection string, arguments).
class ErroDeEntrada : public Erro {
public:
    using Erro::Erro;
};

// The user cancelled: the front end ends the command silently and shows nothing.
class Cancelamento : public Erro {
public:
    Cancelamento() : Erro("Operação cancelada") {}
};

}  // namespace zolvek
