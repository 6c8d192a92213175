#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The byte layer of the TDS listener: a reader that never goes past what the client
// sent, and a writer of the little-endian integers and UTF-16 texts of the protocol.
namespace zolvek::simulador::tds {

using Bytes = std::vector<std::uint8_t>;

// A client broke the protocol (a wrong length, a field past the end of its packet, an
// unknown type): the connection is closed with this text in the log.
class ErroDeProtocolo : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Leitor {
  public:
    Leitor(const std::uint8_t* dados, std::size_t tamanho) : p_(dados), fim_(dados + tamanho) {}
    explicit Leitor(const Bytes& b) : Leitor(b.data(), b.size()) {}

    std::size_t Restante() const { return static_cast<std::size_t>(fim_ - p_); }
    bool Fim() const { return p_ == fim_; }
    const std::uint8_t* Posicao() const { return p_; }

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint16_t U16Be();
    std::uint32_t U32();
    std::uint64_t U64();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::int64_t I64() { return static_cast<std::int64_t>(U64()); }
    // An unsigned little-endian integer of 1 to 8 bytes.
    std::uint64_t Inteiro(std::size_t bytes);
    Bytes Pedaco(std::size_t n);
    void Pular(std::size_t n);
    // `caracteres` UTF-16LE units, as UTF-8.
    std::string Utf16(std::size_t caracteres);
    std::string BVarChar() { return Utf16(U8()); }
    std::string UsVarChar() { return Utf16(U16()); }

  private:
    void Exigir(std::size_t n) const;
    const std::uint8_t* p_;
    const std::uint8_t* fim_;
};

class Escritor {
  public:
    Bytes& Dados() { return b_; }
    const Bytes& Dados() const { return b_; }
    std::size_t Tamanho() const { return b_.size(); }

    void U8(std::uint8_t v) { b_.push_back(v); }
    void U16(std::uint16_t v);
    void U16Be(std::uint16_t v);
    void U32(std::uint32_t v);
    void U32Be(std::uint32_t v);
    void U64(std::uint64_t v);
    // The `bytes` low bytes of v, little-endian.
    void Inteiro(std::uint64_t v, std::size_t bytes);
    void Acrescentar(const std::uint8_t* dados, std::size_t n) {
        b_.insert(b_.end(), dados, dados + n);
    }
    void Acrescentar(const Bytes& dados) { Acrescentar(dados.data(), dados.size()); }
    // UTF-8 text as UTF-16LE, without a length; returns the UTF-16 units written.
    std::size_t Utf16(std::string_view utf8);
    // B_VARCHAR (a byte of length in characters) and US_VARCHAR (two bytes).
    void BVarChar(std::string_view utf8);
    void UsVarChar(std::string_view utf8);
    // Overwrites two bytes already written (a length known only afterwards).
    void U16Em(std::size_t posicao, std::uint16_t v);
    void U32Em(std::size_t posicao, std::uint32_t v);

  private:
    Bytes b_;
};

// UTF-16 units of a UTF-8 text (invalid bytes count as one replacement character each).
std::size_t UnidadesUtf16(std::string_view utf8);

}  // namespace zolvek::simulador::tds
