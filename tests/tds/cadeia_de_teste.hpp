#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "simulador/tds/servidor_tds.hpp"

// The connection strings of the end-to-end tests. With ZOLVEK_TESTE_VIA_TDS set they
// reach the same stand-in folder the way the program reaches a real server: ODBC and
// FreeTDS against a TDS listener that this test process runs on a free loopback port.
namespace zolvek::teste {

inline bool ViaTds() {
    const char* v = std::getenv("ZOLVEK_TESTE_VIA_TDS");
    return v && *v;
}

// The port of the listener of that folder, started at its first use and kept until the
// process ends. ZOLVEK_TESTE_TDS_LOG shows its log on standard error.
inline int PortaDoServidorTds(const std::string& pasta) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<simulador::tds::ServidorTds>> servidores;
    std::lock_guard trava(mutex);
    auto& servidor = servidores[pasta];
    if (!servidor) {
        simulador::tds::OpcoesDoServidorTds opcoes;
        opcoes.pasta = pasta;
        opcoes.porta = 0;
        opcoes.registrar = [](const std::string& linha) {
            if (std::getenv("ZOLVEK_TESTE_TDS_LOG"))
                std::fprintf(stderr, "tds: %s\n", linha.c_str());
        };
        servidor = std::make_unique<simulador::tds::ServidorTds>(opcoes);
        servidor->Iniciar();
    }
    return servidor->Porta();
}

inline std::string CadeiaDeTeste(const std::string& pasta, const std::string& banco,
                                 const std::string& usuario = "sa", const std::string& senha = "") {
    const std::string resto =
        ";Initial Catalog=" + banco + ";User ID=" + usuario + ";Password=" + senha;
    if (!ViaTds()) return "Provider=Simulador;Data Source=" + pasta + resto;
    return "Provider=SQLOLEDB.1;Data Source=127.0.0.1," +
           std::to_string(PortaDoServidorTds(pasta)) + resto;
}

}  // namespace zolvek::teste
