#include "simulador/tds/prelogin.hpp"

#include <cstdlib>
#include <vector>

namespace zolvek::simulador::tds {

namespace {

enum OpcaoDoPrelogin : std::uint8_t {
    kVersao = 0x00,
    kCripto = 0x01,
    kInstancia = 0x02,
    kThread = 0x03,
    kMars = 0x04,
    kTerminador = 0xFF,
};

}  // namespace

PreloginDoCliente LerPrelogin(const Bytes& dados) {
    PreloginDoCliente p;
    Leitor l(dados);
    bool primeira = true;
    while (true) {
        const std::uint8_t opcao = l.U8();
        if (opcao == kTerminador) break;
        const std::size_t inicio = l.U16Be();
        const std::size_t tamanho = l.U16Be();
        if (primeira && opcao != kVersao)
            throw ErroDeProtocolo("PRELOGIN sem a versão do cliente como primeira opção");
        primeira = false;
        if (inicio > dados.size() || tamanho > dados.size() - inicio)
            throw ErroDeProtocolo("opção do PRELOGIN além do fim da mensagem");
        if (opcao == kCripto && tamanho >= 1) p.criptografia = dados[inicio];
        if (opcao == kMars && tamanho >= 1) p.mars = dados[inicio] != 0;
    }
    if (primeira) throw ErroDeProtocolo("PRELOGIN vazio");
    return p;
}

Bytes MontarPrelogin(const std::string& versao, std::uint8_t criptografia) {
    int partes[3] = {0, 0, 0};
    const char* p = versao.c_str();
    for (int& n : partes) {
        n = static_cast<int>(std::strtol(p, const_cast<char**>(&p), 10));
        if (*p == '.') ++p;
    }
    struct Opcao {
        std::uint8_t token;
        Bytes dados;
    };
    const std::vector<Opcao> opcoes = {
        {kVersao,
         {static_cast<std::uint8_t>(partes[0]), static_cast<std::uint8_t>(partes[1]),
          static_cast<std::uint8_t>(partes[2] >> 8), static_cast<std::uint8_t>(partes[2]), 0, 0}},
        {kCripto, {criptografia}},
        {kInstancia, {0}},
        {kThread, {}},
        {kMars, {0}},
    };
    Escritor e;
    std::size_t posicao = opcoes.size() * 5 + 1;
    for (const auto& o : opcoes) {
        e.U8(o.token);
        e.U16Be(static_cast<std::uint16_t>(posicao));
        e.U16Be(static_cast<std::uint16_t>(o.dados.size()));
        posicao += o.dados.size();
    }
    e.U8(kTerminador);
    for (const auto& o : opcoes) e.Acrescentar(o.dados);
    return std::move(e.Dados());
}

std::uint8_t CriptografiaCombinada(std::uint8_t doCliente, bool temCertificado) {
    if (!temCertificado) return kCriptografiaSemSuporte;
    switch (doCliente) {
        case kCriptografiaLigada:
        case kCriptografiaExigida:
            return kCriptografiaLigada;
        case kCriptografiaDesligada:
            return kCriptografiaDesligada;
        default:
            return kCriptografiaSemSuporte;
    }
}

}  // namespace zolvek::simulador::tds
