#pragma once

#include <memory>
#include <string>

#include "db/conector/conector.hpp"

namespace zolvek::db {

// A connection to the database (the program's one connection is `Banco` of the data
// module). The backend is chosen by the Provider of the connection string when it
// opens, among those the program registered (db/conector/provedores.hpp).
class Conexao {
  public:
    Conexao();
    ~Conexao();
    Conexao(const Conexao&) = delete;
    Conexao& operator=(const Conexao&) = delete;

    // Getting returns exactly what was set.
    void DefinirStringDeConexao(const std::string& cadeia);
    const std::string& StringDeConexao() const { return cadeia_; }

    // Raises ErroDeBanco with the provider's message (or ErroDeEntrada for a malformed
    // string) on failure. Closing is silent.
    void Abrir();
    void Fechar() noexcept;
    bool Aberta() const;

    // A transaction spans every command run on the connection until commit or rollback.
    void IniciarTransacao();
    void Confirmar();
    void Desfazer();
    bool EmTransacao() const;

    // The open backend; raises ErroDeBanco when the connection is closed.
    Conector& ConectorAberto();

  private:
    std::string cadeia_;
    std::unique_ptr<Conector> conector_;
};

}  // namespace zolvek::db
