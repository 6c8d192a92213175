#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace zolvek {

// Every failure the program raises carries a Portuguese message (or the server's
// own text for database errors). Errors are thrown below the front ends and caught
// only by them: a dialog in the GUI, a message and exit status in the CLI.
class Erro : public std::runtime_error {
  public:
    explicit Erro(const std::string& mensagem) : std::runtime_error(mensagem) {}
};

// A failure reported by the database provider; the message is the server's own text.
// A server error also carries SQL Server's error number, severity (level) and state, so
// that callers decide by number, never by the wording. An error of the provider itself
// (a closed connection, a driver failure) has number 0. The ODBC backend keeps the
// SQLSTATE it read; the stand-in gives one only where a driver would (a timeout: HYT00).
class ErroDeBanco : public Erro {
  public:
    // What a failure without a server number is, where a caller must tell it apart.
    enum class TipoDeFalha {
        Comum,
        NaoSuportado,     // a statement the provider reads and cannot run
        SessaoEncerrada,  // the session was ended on the server (KILL)
    };

    explicit ErroDeBanco(const std::string& mensagem) : Erro(mensagem) {}
    ErroDeBanco(TipoDeFalha tipo, const std::string& mensagem) : Erro(mensagem), tipo_(tipo) {}
    ErroDeBanco(const std::string& mensagem, int numero, int severidade = 16, int estado = 1,
                std::string estadoSql = {})
        : Erro(mensagem),
          numero_(numero),
          severidade_(severidade),
          estado_(estado),
          estadoSql_(std::move(estadoSql)) {}

    int Numero() const noexcept { return numero_; }
    int Severidade() const noexcept { return severidade_; }
    int Estado() const noexcept { return estado_; }
    const std::string& EstadoSql() const noexcept { return estadoSql_; }
    TipoDeFalha Tipo() const noexcept { return tipo_; }

  private:
    TipoDeFalha tipo_ = TipoDeFalha::Comum;
    int numero_ = 0;
    int severidade_ = 0;
    int estado_ = 0;
    std::string estadoSql_;
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
