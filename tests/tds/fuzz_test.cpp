// Random and cut packets for a few seconds: the listener survives them all and still
// answers a client that speaks the protocol.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "apoio_tds.hpp"

namespace zolvek::simulador::tds::teste {
namespace {

// Valid requests to start from: a batch, and an RPC of sp_executesql with an int.
std::vector<Bytes> Modelos() {
    Escritor rpc;
    rpc.Acrescentar(ClienteCru::Cabecalhos());
    rpc.U16(0xFFFF);
    rpc.U16(10);
    rpc.U16(0);
    rpc.BVarChar("");
    rpc.U8(0);
    rpc.U8(0xE7);
    rpc.U16(200);
    rpc.Acrescentar({0x09, 0x04, 0xD0, 0x00, 0x34});
    Escritor texto;
    texto.Utf16("select @P1 + 1");
    rpc.U16(static_cast<std::uint16_t>(texto.Tamanho()));
    rpc.Acrescentar(texto.Dados());
    rpc.BVarChar("");
    rpc.U8(0);
    rpc.Acrescentar({0xE7, 0x40, 0x00, 0x09, 0x04, 0xD0, 0x00, 0x34});
    Escritor declaracao;
    declaracao.Utf16("@P1 int");
    rpc.U16(static_cast<std::uint16_t>(declaracao.Tamanho()));
    rpc.Acrescentar(declaracao.Dados());
    rpc.BVarChar("@P1");
    rpc.U8(0);
    rpc.Acrescentar({0x26, 4, 4, 41, 0, 0, 0});
    return {ClienteCru::Lote("select 1, N'x', cast(2 as decimal(5,1))"), rpc.Dados()};
}

Bytes Estragar(Bytes b, std::mt19937& g) {
    std::uniform_int_distribution<int> tipo(0, 3);
    switch (tipo(g)) {
        case 0:  // a few bytes changed
            for (int i = 0; i < 3 && !b.empty(); ++i)
                b[g() % b.size()] = static_cast<std::uint8_t>(g());
            break;
        case 1:  // cut
            b.resize(g() % (b.size() + 1));
            break;
        case 2:  // noise
            b.resize(g() % 200);
            for (auto& x : b) x = static_cast<std::uint8_t>(g());
            break;
        default:  // bytes added
            for (int i = 0; i < 8; ++i)
                b.insert(b.begin() + static_cast<long>(g() % (b.size() + 1)),
                         static_cast<std::uint8_t>(g()));
    }
    return b;
}

TEST(FuzzDoServidor, PacotesAleatoriosECortadosNaoDerrubamOServidor) {
    ServidorDeTeste servidor;
    const auto semente = std::random_device{}();
    std::mt19937 g(semente);
    const auto modelos = Modelos();
    const std::uint8_t tipos[] = {0x01, 0x03, 0x06, 0x0E, 0x10, 0x12, 0x07, 0x11};
    const auto fim = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int tentativas = 0;
    while (std::chrono::steady_clock::now() < fim) {
        ClienteCru c(servidor.Porta());
        const bool logado = g() % 4 != 0 && c.Entrar();
        for (int i = 0; i < 3; ++i) {
            const Bytes corpo = Estragar(modelos[g() % modelos.size()], g);
            if (g() % 5 == 0)
                c.Bruto(corpo);  // not even a packet
            else
                c.Pacote(logado && g() % 3 ? (g() % 2 ? 0x01 : 0x03) : tipos[g() % 8], corpo,
                         g() % 6 != 0);
        }
        ++tentativas;
    }
    SCOPED_TRACE("semente " + std::to_string(semente) + ", " + std::to_string(tentativas) +
                 " conexões");
    EXPECT_EQ(servidor.Sql("select 1"), "1");
    ClienteCru c(servidor.Porta());
    EXPECT_TRUE(c.Entrar());
}

}  // namespace
}  // namespace zolvek::simulador::tds::teste
