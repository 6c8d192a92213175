#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "db/conexao.hpp"

// The session layer's transactions on the stand-in: nested ones are savepoints, and one
// the server rolled back is ended by the client's rollback without a second error.
namespace {

class TransacoesDaConexao : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE T (id INT NOT NULL PRIMARY KEY)");
        conexao_.DefinirStringDeConexao(Cadeia("Teste"));
        conexao_.Abrir();
    }
    void TearDown() override {
        conexao_.Fechar();
        SimuladorTeste::TearDown();
    }
    void Rodar(const std::string& sql) { conexao_.ConectorAberto().Executar(sql, {}, 0); }
    std::string Contar() {
        auto r = conexao_.ConectorAberto().Executar("select count(*) from T", {}, 0);
        return Texto(r.back().linhas[0][0]);
    }

    zolvek::db::Conexao conexao_;
};

TEST_F(TransacoesDaConexao, TransacaoDentroDeOutraEhPontoSalvo) {
    std::vector<std::string> enviados;
    conexao_.DefinirObservadorDeComandos([&](std::string_view c) { enviados.emplace_back(c); });
    conexao_.IniciarTransacao();
    Rodar("insert into T values (1)");
    conexao_.IniciarTransacao();
    Rodar("insert into T values (2)");
    conexao_.Desfazer();
    EXPECT_TRUE(conexao_.EmTransacao());
    conexao_.IniciarTransacao();
    Rodar("insert into T values (3)");
    conexao_.Confirmar();
    EXPECT_TRUE(conexao_.EmTransacao());
    EXPECT_EQ(Contar(), "2");
    conexao_.Desfazer();
    EXPECT_FALSE(conexao_.EmTransacao());
    EXPECT_EQ(Contar(), "0");
    EXPECT_EQ(enviados, (std::vector<std::string>{
                            "insert into T values (1)", "SAVE TRANSACTION zv_ponto_1",
                            "insert into T values (2)", "ROLLBACK TRANSACTION zv_ponto_1",
                            "SAVE TRANSACTION zv_ponto_1", "insert into T values (3)",
                            "select count(*) from T", "select count(*) from T"}));
}

TEST_F(TransacoesDaConexao, TransacaoDesfeitaPeloServidor) {
    conexao_.IniciarTransacao();
    Rodar("insert into T values (1)");
    EXPECT_THROW(Rodar("insert into T values ('x')"), zolvek::ErroDeBanco);
    // Still begun for the connection, gone on the server; its rollback ends it quietly.
    EXPECT_TRUE(conexao_.EmTransacao());
    conexao_.Desfazer();
    EXPECT_FALSE(conexao_.EmTransacao());
    EXPECT_EQ(Contar(), "0");
    conexao_.IniciarTransacao();  // the next one starts afresh, not as a savepoint
    Rodar("insert into T values (4)");
    conexao_.Confirmar();
    EXPECT_EQ(Contar(), "1");
}

}  // namespace
