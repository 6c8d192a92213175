#pragma once

#include <cstdint>
#include <string>

#include "simulador/tds/bytes.hpp"

// PRELOGIN: the first message of a connection, where the client and the server agree
// on encryption.
namespace zolvek::simulador::tds {

enum Criptografia : std::uint8_t {
    kCriptografiaDesligada = 0x00,  // only LOGIN7 goes through TLS
    kCriptografiaLigada = 0x01,
    kCriptografiaSemSuporte = 0x02,
    kCriptografiaExigida = 0x03,
};

struct PreloginDoCliente {
    std::uint8_t criptografia = kCriptografiaSemSuporte;
    bool mars = false;
};

// ErroDeProtocolo for a malformed message (the client's version must come first).
PreloginDoCliente LerPrelogin(const Bytes& dados);

// The server's answer. `versao` is "major.minor.build[.rev]" of the product.
Bytes MontarPrelogin(const std::string& versao, std::uint8_t criptografia);

// What the server answers to the client's wish: without a certificate it supports none;
// with one, it follows the client (login only when the client wants no more).
std::uint8_t CriptografiaCombinada(std::uint8_t doCliente, bool temCertificado);

}  // namespace zolvek::simulador::tds
