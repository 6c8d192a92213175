#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "simulador/tds/bytes.hpp"

// One client's connection: TDS packets in and out of a socket, with or without TLS.
// The socket stays its owner's: the channel neither opens nor closes it.
namespace zolvek::simulador::tds {

// Packet types of the protocol.
enum TipoDePacote : std::uint8_t {
    kLoteSql = 0x01,
    kRpc = 0x03,
    kResposta = 0x04,
    kAtencao = 0x06,
    kCargaEmMassa = 0x07,
    kTransacao = 0x0E,
    kLogin7 = 0x10,
    kSspi = 0x11,
    kPrelogin = 0x12,
};

struct MensagemTds {
    std::uint8_t tipo = 0;
    bool reiniciarConexao = false;  // RESETCONNECTION in the first packet's status
    Bytes dados;
};

// What the channel's bytes pass through once TLS is on: the connection's TLS layer.
class Cifra {
  public:
    virtual ~Cifra() = default;
    virtual std::size_t Ler(std::uint8_t* dados, std::size_t n) = 0;  // 0 at the end of the stream
    virtual void Escrever(const std::uint8_t* dados, std::size_t n) = 0;
    virtual bool Pendente() const = 0;
};

class Canal {
  public:
    explicit Canal(int socket);
    ~Canal();
    Canal(const Canal&) = delete;
    Canal& operator=(const Canal&) = delete;

    int Socket() const { return socket_; }
    // One whole message (its packets up to the one marked last). False when the client
    // closed the connection between messages; ErroDeProtocolo for a broken packet or a
    // message longer than `limite` bytes.
    bool Ler(MensagemTds& m, std::size_t limite);
    // True when the client has sent bytes not read yet (an ATTENTION while a request runs).
    bool TemDadosPendentes(int esperaMs) const;

    // The message in packets of the negotiated size. A client that went away raises
    // ErroDeProtocolo.
    void Enviar(std::uint8_t tipo, const Bytes& dados);
    // Streaming a long response: Acumular keeps adding to the message and sends every
    // full packet; Concluir sends what is left as the last packet.
    void Acumular(std::uint8_t tipo, Bytes& dados, bool ultimo);

    void DefinirTamanhoDoPacote(std::size_t tamanho) { tamanhoDoPacote_ = tamanho; }
    std::size_t TamanhoDoPacote() const { return tamanhoDoPacote_; }
    void DefinirSpid(std::uint16_t spid) { spid_ = spid; }

    // TLS: the handshake's records travel inside PRELOGIN packets; afterwards the
    // packets themselves travel inside TLS records.
    void LigarTls(std::unique_ptr<Cifra> tls);
    void DesligarTls();

    // Raw bytes, through TLS when it is on.
    void EnviarBruto(const std::uint8_t* dados, std::size_t n);
    // False at the end of the stream before any byte.
    bool ReceberBruto(std::uint8_t* dados, std::size_t n);

  private:
    void EnviarPacote(std::uint8_t tipo, const std::uint8_t* dados, std::size_t n, bool ultimo);

    int socket_;
    std::size_t tamanhoDoPacote_ = 4096;
    std::uint16_t spid_ = 0;
    std::uint8_t numeroDoPacote_ = 1;
    std::unique_ptr<Cifra> tls_;
};

}  // namespace zolvek::simulador::tds
