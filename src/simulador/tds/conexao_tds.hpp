#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace zolvek::simulador::tds {

class ContextoTls;
class VigiaDeAtencao;

struct ConfiguracaoDaConexao {
    std::string pasta;                 // the stand-in's server folder
    std::string versao;                // the folder's product version, for PRELOGIN
    const ContextoTls* tls = nullptr;  // --certificado/--chave, or none
    std::size_t limiteDaMensagem = 0;  // bytes of the longest request taken
    std::function<void(const std::string&)> registrar;
    // Called before each request runs (see ServidorTds::EsperarDesconexoes).
    std::function<void(int socket)> antesDoPedido;
    VigiaDeAtencao* vigia = nullptr;
};

// Serves one client on its socket until it leaves, breaks the protocol or its session
// is killed; on return the session (with any transaction it left open) has ended, and
// the caller closes the socket. Never throws: every way it ends is one line of the log.
void AtenderConexao(int socket, const std::string& cliente, const ConfiguracaoDaConexao& c);

}  // namespace zolvek::simulador::tds
