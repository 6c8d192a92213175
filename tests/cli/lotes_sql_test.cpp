#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "db/lotes_sql.hpp"

using zolvek::db::DividirEmLotes;
using zolvek::db::EhSeparadorDeLote;
using zolvek::db::FalhaNoLote;
using zolvek::db::ModoDoLote;
using zolvek::db::Resultado;
using zolvek::db::RodarLotes;

TEST(LotesSql, SemGoOScriptInteiroEhUmLote) {
    auto lotes = DividirEmLotes({"update T set a = 1", "update T set b = 2"});
    ASSERT_EQ(lotes.size(), 1u);
    EXPECT_EQ(lotes[0].Texto(), "update T set a = 1\nupdate T set b = 2");
    EXPECT_EQ(lotes[0].primeiraLinha, 1);
}

TEST(LotesSql, SoGoSozinhoNaLinhaSepara) {
    EXPECT_TRUE(EhSeparadorDeLote("GO"));
    EXPECT_TRUE(EhSeparadorDeLote("go"));
    EXPECT_TRUE(EhSeparadorDeLote("Go"));
    EXPECT_FALSE(EhSeparadorDeLote(" GO"));
    EXPECT_FALSE(EhSeparadorDeLote("GO "));
    EXPECT_FALSE(EhSeparadorDeLote("GO;"));
    EXPECT_FALSE(EhSeparadorDeLote("GOTO"));

    auto lotes = DividirEmLotes({"create table T (a int)", "go", "insert T values (1)", " GO",
                                 "select * from T", "GO", "", "  "});
    ASSERT_EQ(lotes.size(), 2u);
    EXPECT_EQ(lotes[0].Texto(), "create table T (a int)");
    EXPECT_EQ(lotes[1].Texto(), "insert T values (1)\n GO\nselect * from T");
    EXPECT_EQ(lotes[1].primeiraLinha, 3);
}

TEST(LotesSql, LoteVazioEhPulado) {
    auto lotes = DividirEmLotes({"GO", "select 1", "GO", "GO", "  ", "go", "select 2"});
    ASSERT_EQ(lotes.size(), 2u);
    EXPECT_EQ(lotes[0].Texto(), "select 1");
    EXPECT_EQ(lotes[0].primeiraLinha, 2);
    EXPECT_EQ(lotes[1].Texto(), "select 2");
    EXPECT_EQ(lotes[1].primeiraLinha, 7);
    EXPECT_TRUE(DividirEmLotes({}).empty());
    EXPECT_TRUE(DividirEmLotes({"", "\t"}).empty());
}

// The runner on a stand-in database: commit per batch, the batch's own transaction,
// rollback of a failing batch.
class RodarLotesNoBanco : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.Executar("CREATE TABLE T (a int)");
        conexao.DefinirStringDeConexao(banco.Cadeia());
        conexao.Abrir();
    }

    // Runs the script; the row counts of each batch, in order.
    std::vector<std::int64_t> Rodar(const std::vector<std::string>& linhas,
                                    ModoDoLote modo = ModoDoLote::Executar) {
        std::vector<std::int64_t> contagens;
        RodarLotes(conexao.ConectorAberto(), DividirEmLotes(linhas), true, modo,
                   [&](const zolvek::db::LoteSql&, std::vector<Resultado>& resultados) {
                       contagens.push_back(zolvek::db::LinhasAfetadasDoComando(resultados));
                   });
        return contagens;
    }

    std::vector<std::string> Valores() { return banco.Coluna("select a from T order by a"); }

    zolvek::teste::BancoDeTeste banco;
    zolvek::db::Conexao conexao;
};

TEST_F(RodarLotesNoBanco, CadaLoteConfirmadoEUltimaContagem) {
    EXPECT_EQ(Rodar({"insert T values (1)", "insert T values (2)", "GO", "GO",
                     "update T set a = a + 10", "go", "insert T values (3)"}),
              (std::vector<std::int64_t>{1, 2, 1}));
    EXPECT_FALSE(conexao.EmTransacao());
    EXPECT_EQ(Valores(), (std::vector<std::string>{"3", "11", "12"}));
}

TEST_F(RodarLotesNoBanco, LoteQueEncerraAPropriaTransacaoNaoEhConfirmadoDeNovo) {
    Rodar({"BEGIN TRAN", "insert T values (1)", "ROLLBACK TRAN", "GO", "BEGIN TRANSACTION",
           "insert T values (2)", "COMMIT TRANSACTION", "GO", "insert T values (3)"});
    EXPECT_FALSE(conexao.EmTransacao());
    EXPECT_EQ(Valores(), (std::vector<std::string>{"2", "3"}));
}

TEST_F(RodarLotesNoBanco, LoteQueFalhaEhDesfeitoEOsSeguintesNaoRodam) {
    try {
        Rodar({"insert T values (1)", "GO", "insert T values (2)", "BEGIN TRAN",
               "insert T values (3)", "select * from NaoExiste", "GO", "insert T values (4)"});
        FAIL() << "o lote com erro passou";
    } catch (const FalhaNoLote& falha) {
        EXPECT_EQ(std::string(falha.what()), "Invalid object name 'NaoExiste'.");
        EXPECT_EQ(falha.PrimeiraLinha(), 3);
        EXPECT_TRUE(falha.Desfeito());
        EXPECT_EQ(zolvek::db::TextoDaFalha(falha),
                  "Falha no lote iniciado na linha 3; os comandos deste lote foram desfeitos");
    }
    EXPECT_FALSE(conexao.EmTransacao());
    // Nothing pending: a later batch on the same connection commits only itself.
    Rodar({"insert T values (5)"});
    conexao.Fechar();
    EXPECT_EQ(Valores(), (std::vector<std::string>{"1", "5"}));
}

TEST_F(RodarLotesNoBanco, ModoAbrirExigeConjuntoDeRegistros) {
    EXPECT_THROW(Rodar({"insert T values (1)"}, ModoDoLote::Abrir), FalhaNoLote);
    EXPECT_EQ(Valores(), std::vector<std::string>{});
    std::vector<std::size_t> linhas;
    RodarLotes(conexao.ConectorAberto(), DividirEmLotes({"select 1 as x union all select 2"}), true,
               ModoDoLote::Abrir,
               [&](const zolvek::db::LoteSql&, std::vector<Resultado>& resultados) {
                   linhas.push_back(resultados.at(0).linhas.size());
               });
    EXPECT_EQ(linhas, std::vector<std::size_t>{2});
}
