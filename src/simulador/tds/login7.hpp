#pragma once

#include <cstdint>
#include <string>

#include "simulador/tds/bytes.hpp"

// LOGIN7: who connects, to which database, in which language.
namespace zolvek::simulador::tds {

struct Login7 {
    std::uint32_t versaoTds = 0;
    std::uint32_t tamanhoDoPacote = 0;
    bool segurancaIntegrada = false;  // Windows authentication (SSPI)
    bool mudarSenha = false;
    std::string host;
    std::string usuario;
    std::string senha;
    std::string aplicacao;
    std::string servidor;
    std::string biblioteca;  // the client's interface library
    std::string idioma;
    std::string banco;
};

// ErroDeProtocolo for a record whose offsets or lengths do not fit in it.
Login7 LerLogin7(const Bytes& dados);

}  // namespace zolvek::simulador::tds
