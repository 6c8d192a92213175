#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The TDS listener: SQL Server's network protocol (TDS 7.4) in front of a stand-in
// server folder, so that any SQL Server client (FreeTDS, ODBC drivers, tedious,
// pymssql) can use the stand-in. One thread and one session per connection.
namespace zolvek::simulador::tds {

class ContextoTls;
class VigiaDeAtencao;

struct OpcoesDoServidorTds {
    std::string pasta;
    std::string endereco = "127.0.0.1";  // loopback unless asked otherwise
    int porta = 1433;                    // 0: any free port (Porta() tells which)
    std::string certificado;             // PEM; with `chave`, TLS is offered
    std::string chave;
    std::string versaoDoSimulador;             // the version a new folder is created as
    std::size_t limiteDaMensagem = 64u << 20;  // the longest request taken, in bytes
    // One line for each connection, failed login and protocol error (from any thread).
    std::function<void(const std::string&)> registrar;
};

class ServidorTds {
  public:
    explicit ServidorTds(OpcoesDoServidorTds opcoes);
    ~ServidorTds();
    ServidorTds(const ServidorTds&) = delete;
    ServidorTds& operator=(const ServidorTds&) = delete;

    // Opens the folder and starts listening; ErroDeEntrada when the folder, the address,
    // the port or the certificate cannot be used.
    void Iniciar();
    int Porta() const { return porta_; }
    // Stops taking connections, closes the open ones and waits for their threads (a
    // running batch ends first).
    void Parar();
    // Blocks until Parar (from another thread) or until `parar` turns true.
    void Esperar(const std::atomic<bool>& parar);

    // A client that closed one connection and then sends a request on another expects the
    // first one's session to be gone (a database it left can go single-user): before a
    // request runs, the connections whose client has already hung up are waited for.
    void EsperarDesconexoes(int socketDoPedido);

  private:
    void Aceitar();
    void Registrar(const std::string& linha);
    void Recolher(bool todas);

    struct Conexao {
        int socket;
        std::thread thread;
        std::atomic<bool> terminada{false};
    };

    OpcoesDoServidorTds opcoes_;
    std::string versao_;
    std::unique_ptr<ContextoTls> tls_;
    std::unique_ptr<VigiaDeAtencao> vigia_;
    int escuta_ = -1;
    int porta_ = 0;
    std::atomic<bool> parando_{false};
    std::thread aceitacao_;
    std::mutex mutex_;  // conexoes_ (a socket is closed only under it) and the log
    std::condition_variable terminou_;
    std::list<Conexao> conexoes_;
};

}  // namespace zolvek::simulador::tds
