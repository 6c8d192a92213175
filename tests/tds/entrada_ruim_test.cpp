// Bad input closes the connection with a line in the log; the listener, the other
// sessions and the data are untouched.
#include <gtest/gtest.h>

#include <thread>

#include "apoio_tds.hpp"

namespace zolvek::simulador::tds::teste {
namespace {

class EntradaRuim : public ::testing::Test {
  protected:
    // A session that stays open through the bad input of the test, in a transaction.
    void SetUp() override {
        outra_.DefinirStringDeConexao(servidor_.Cadeia());
        outra_.Abrir();
        outra_.IniciarTransacao();
        db::Consulta q(&outra_);
        q.DefinirSQL("insert into T values (7)");
        q.Executar();
    }
    // The other session goes on, and nothing the bad input carried was written.
    void TearDown() override {
        db::Consulta q(&outra_);
        q.DefinirSQL("select count(*) from T");
        q.Abrir();
        EXPECT_EQ(q.Campos().at(0).Texto(), "1");
        q.Fechar();
        outra_.Desfazer();
        EXPECT_EQ(servidor_.Sql("select count(*) from T"), "0");
    }
    void EsperarFechamento(ClienteCru& c, const std::string& motivo) {
        EXPECT_TRUE(c.FechadaPeloServidor());
        EXPECT_TRUE(servidor_.EsperarLinha({"fechada", motivo})) << servidor_.Log();
    }

    ServidorDeTeste servidor_;
    db::Conexao outra_;
};

TEST_F(EntradaRuim, PacotesMalFormadosAntesEDepoisDoLogin) {
    {
        ClienteCru c(servidor_.Porta());
        c.Pacote(0x01, ClienteCru::Lote("insert into T values (1)"));
        EsperarFechamento(c, "a primeira mensagem não é PRELOGIN");
    }
    {
        ClienteCru c(servidor_.Porta());
        c.Pacote(0x12, MontarPrelogin("11.0.0", kCriptografiaSemSuporte));
        Bytes r;
        ASSERT_TRUE(c.Ler(r));
        c.Pacote(0x01, ClienteCru::Lote("insert into T values (1)"));
        EsperarFechamento(c, "antes do LOGIN7");
    }
    {
        ClienteCru c(servidor_.Porta());
        c.Bruto({0x12, 0x01, 0x00, 0x03, 0, 0, 1, 0});  // shorter than its own header
        EsperarFechamento(c, "tamanho inválido");
    }
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        c.Pacote(0x99, {1, 2, 3});
        EsperarFechamento(c, "tipo desconhecido");
    }
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        Bytes lote = ClienteCru::Lote("insert into T values (1)");
        lote.push_back(0x41);  // half a UTF-16 character
        c.Pacote(0x01, lote);
        EsperarFechamento(c, "número ímpar de bytes");
    }
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        Bytes lote = ClienteCru::Lote("insert into T values (1)");
        lote[0] = 0xFF;  // ALL_HEADERS longer than the message
        c.Pacote(0x01, lote);
        EsperarFechamento(c, "ALL_HEADERS");
    }
}

TEST_F(EntradaRuim, RpcMalFormadoNaoRodaNenhumaDeSuasChamadas) {
    // sp_executesql of an INSERT, then a second call cut in the middle of its parameter.
    Escritor e;
    e.Acrescentar(ClienteCru::Cabecalhos());
    e.U16(0xFFFF);
    e.U16(10);  // sp_executesql
    e.U16(0);
    e.BVarChar("");
    e.U8(0);
    e.U8(0xE7);
    e.U16(8000);
    e.Acrescentar({0x09, 0x04, 0xD0, 0x00, 0x34});
    Escritor texto;
    texto.Utf16("insert into T values (1)");
    e.U16(static_cast<std::uint16_t>(texto.Tamanho()));
    e.Acrescentar(texto.Dados());
    e.U8(0xFF);  // the next call
    e.U16(0xFFFF);
    e.U16(10);
    e.U16(0);
    e.BVarChar("");
    e.U8(0);
    e.U8(0x26);  // intn(4) with a value of 4 bytes, of which 2 come
    e.U8(4);
    e.U8(4);
    e.U16(1);
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        c.Pacote(0x03, e.Dados());
        EsperarFechamento(c, "além do fim");
    }
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        Bytes desconhecido = e.Dados();
        desconhecido[desconhecido.size() - 5] = 0xF3;  // a table-valued parameter
        c.Pacote(0x03, desconhecido);
        EsperarFechamento(c, "tipo de dado desconhecido");
    }
}

TEST_F(EntradaRuim, LoteMaiorQueOLimiteEClienteQueSaiNoMeioDaResposta) {
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        // 100 MB of one batch, in packets of 32 KB; the listener takes at most 8 MB here
        const std::string inicio = "insert into T values (1) --";
        Bytes pedaco(32760, 'x');
        Bytes primeiro = ClienteCru::Lote(inicio);
        primeiro.insert(primeiro.end(), pedaco.begin(), pedaco.begin() + 32760 - primeiro.size());
        c.Pacote(0x01, primeiro, false);
        for (int i = 0; i < 3200; ++i) c.Pacote(0x01, pedaco, false);
        c.Pacote(0x01, {'x', 0}, true);
        EsperarFechamento(c, "maior que o limite");
    }
    {
        ClienteCru c(servidor_.Porta());
        ASSERT_TRUE(c.Entrar());
        c.Pacote(0x01,
                 ClienteCru::Lote("select replicate(cast('x' as varchar(max)), 8000000) as longo"));
        c.Fechar();
        EXPECT_TRUE(servidor_.EsperarLinha({"fechada", "desconectou durante a resposta"}))
            << servidor_.Log();
    }
}

TEST_F(EntradaRuim, ConexaoQueCaiDesfazATransacaoDeixadaAberta) {
    ClienteCru c(servidor_.Porta());
    ASSERT_TRUE(c.Entrar());
    c.Pacote(0x01, ClienteCru::Lote("begin tran; insert into T values (1)"));
    Bytes r;
    ASSERT_TRUE(c.Ler(r));
    c.Fechar();
    // the next request waits for the session of the connection that is gone
    EXPECT_EQ(servidor_.Sql("select count(*) from T with (nolock)"), "0");
}

TEST_F(EntradaRuim, AutenticacaoDoWindowsEMarsSaoRecusados) {
    ClienteCru c(servidor_.Porta());
    c.Pacote(0x12, MontarPrelogin("11.0.0", kCriptografiaSemSuporte));
    Bytes r;
    ASSERT_TRUE(c.Ler(r));
    Bytes login = ClienteCru::Login7("", "", "Teste");
    login[25] |= 0x80;  // integrated security
    c.Pacote(0x10, login);
    ASSERT_TRUE(c.Ler(r));
    EXPECT_EQ(StatusDoUltimoFim(r) & 0x02, 0x02);  // DONE with the error bit
    EXPECT_TRUE(servidor_.EsperarLinha({"login recusado", "autenticação do Windows"}))
        << servidor_.Log();
}

}  // namespace
}  // namespace zolvek::simulador::tds::teste
