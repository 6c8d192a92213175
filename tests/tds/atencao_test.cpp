// ATTENTION: the client's cancel (or its query timeout) stops the running batch at its
// next check and is acknowledged with DONE_ATTN, after which the connection serves the
// next request.
#include <gtest/gtest.h>

#include "apoio_tds.hpp"

namespace zolvek::simulador::tds::teste {
namespace {

constexpr std::uint16_t kAtencao = 0x20;

TEST(AtencaoDoCliente, RespondidaComDoneAttnEAConexaoSegue) {
    ServidorDeTeste servidor;
    ClienteCru c(servidor.Porta());
    ASSERT_TRUE(c.Entrar());
    // were the wait not stopped, the acknowledgement would come ten minutes later, with
    // the row written
    c.Pacote(0x01, ClienteCru::Lote("waitfor delay '00:10:00'; insert into T values (1)"));
    c.Pacote(0x06, {});
    // The batch's answer may come first; the acknowledgement ends the exchange.
    Bytes r;
    ASSERT_TRUE(c.Ler(r));
    if ((StatusDoUltimoFim(r) & kAtencao) == 0) {
        ASSERT_TRUE(c.Ler(r));
    }
    EXPECT_EQ(StatusDoUltimoFim(r) & kAtencao, kAtencao);
    // nothing else is waiting: the next request gets its own answer
    c.Pacote(0x01, ClienteCru::Lote("select 1"));
    ASSERT_TRUE(c.Ler(r));
    EXPECT_EQ(StatusDoUltimoFim(r) & kAtencao, 0);
    EXPECT_EQ(servidor.Sql("select count(*) from T"), "0");
    // an ATTENTION with nothing running is acknowledged too
    c.Pacote(0x06, {});
    ASSERT_TRUE(c.Ler(r));
    EXPECT_EQ(StatusDoUltimoFim(r) & kAtencao, kAtencao);
}

}  // namespace
}  // namespace zolvek::simulador::tds::teste
