#pragma once

#include <memory>
#include <string>

#include "db/conector/conector.hpp"
#include "db/conector_observado.hpp"

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

    // While an observer is set, every command sent on the connection (by its
    // datasets, or by whoever runs batches on ConectorAberto) is handed to it first:
    // a statement log for tests, benchmarks and support. An empty one stops it. It
    // lasts across closing and opening again.
    void DefinirObservadorDeComandos(ObservadorDeComandos observador);

  private:
    std::string cadeia_;
    std::unique_ptr<Conector> conector_;
    ObservadorDeComandos observador_;
    std::unique_ptr<ConectorObservado> observado_;  // wraps conector_ while observed
};

}  // namespace zolvek::db
