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
    // One begun inside another is a savepoint of it ("SAVE TRANSACTION"): its rollback
    // undoes only its own work, its commit leaves the work to the outer transaction.
    void IniciarTransacao();
    void Confirmar();
    void Desfazer();
    // A transaction begun here and not ended here (the server may have rolled it back
    // meanwhile: a rollback then only ends it here), or one the backend has open.
    bool EmTransacao() const;

    // The open backend; raises ErroDeBanco when the connection is closed.
    Conector& ConectorAberto();

    // While an observer is set, every command sent on the connection (by its
    // datasets, or by whoever runs batches on ConectorAberto) is handed to it first,
    // and its outcome to `desfechos`: a statement log for tests, benchmarks and
    // support, the change tracking of the analysis. Empty ones stop them. They last
    // across closing and opening again.
    void DefinirObservadorDeComandos(ObservadorDeComandos observador,
                                     ObservadorDeDesfechos desfechos = {});
    // The observers set now, for one who puts its own in front of them for a while.
    const ObservadorDeComandos& ObservadorAtual() const { return observador_; }
    const ObservadorDeDesfechos& ObservadorDeDesfechosAtual() const { return desfechos_; }

  private:
    static std::string PontoSalvo(int nivel);
    void Observar();

    std::string cadeia_;
    std::unique_ptr<Conector> conector_;
    ObservadorDeComandos observador_;
    ObservadorDeDesfechos desfechos_;
    std::unique_ptr<ConectorObservado> observado_;  // wraps conector_ while observed
    int transacoes_ = 0;  // the outer transaction and the savepoints inside it
};

}  // namespace zolvek::db
