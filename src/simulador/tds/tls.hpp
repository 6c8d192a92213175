#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "simulador/tds/canal.hpp"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct bio_st BIO;

// TLS of the listener (--certificado, --chave), with OpenSSL.
namespace zolvek::simulador::tds {

// The certificate and key, read once when the listener starts; a file that cannot be
// read or a key that does not match raises ErroDeEntrada.
class ContextoTls {
  public:
    ContextoTls(const std::string& certificado, const std::string& chave);
    ~ContextoTls();
    ContextoTls(const ContextoTls&) = delete;
    ContextoTls& operator=(const ContextoTls&) = delete;
    SSL_CTX* Bruto() const { return ctx_; }

  private:
    SSL_CTX* ctx_ = nullptr;
};

// One connection's TLS. The handshake runs inside PRELOGIN packets (Negociar); then the
// records go straight over the socket.
class CamadaTls : public Cifra {
  public:
    explicit CamadaTls(const ContextoTls& contexto);
    ~CamadaTls() override;
    CamadaTls(const CamadaTls&) = delete;
    CamadaTls& operator=(const CamadaTls&) = delete;

    // Runs the server side of the handshake over the channel; ErroDeProtocolo when it fails.
    void Negociar(Canal& canal, std::size_t limite);
    std::size_t Ler(std::uint8_t* dados, std::size_t n) override;
    void Escrever(const std::uint8_t* dados, std::size_t n) override;
    bool Pendente() const override;

  private:
    SSL* ssl_ = nullptr;
    BIO* entrada_ = nullptr;  // handshake bytes from the client
    BIO* saida_ = nullptr;    // handshake bytes for the client
};

}  // namespace zolvek::simulador::tds
