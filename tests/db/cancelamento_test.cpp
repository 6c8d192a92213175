#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "banco_de_teste.hpp"
#include "comum/erros.hpp"
#include "db/conector/cancelamento.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"

namespace zolvek::db {
namespace {

using namespace std::chrono_literals;

// Generous: a cancel that works ends the statement at once; one that does not would
// leave the test waiting for the whole statement.
constexpr auto kPrazo = 60s;

// A connection run by a thread of its own, bound to a canceller, as a command's worker
// thread is.
class Trabalhador {
  public:
    explicit Trabalhador(Conexao& conexao) : conexao_(conexao) {}

    // Runs the statement on the thread; the future gives its error text ("" when it ran).
    std::future<std::string> Rodar(const std::string& sql) {
        return std::async(std::launch::async, [this, sql] {
            VinculoDoCancelador vinculo(cancelador);
            try {
                Consulta c(&conexao_);
                c.DefinirTimeout(0);
                c.DefinirSQL(sql);
                c.Executar();
                return std::string();
            } catch (const ErroDeBanco& e) {
                estadoSql = e.EstadoSql();
                return std::string(e.what());
            }
        });
    }

    // Waits, without timing anything, until the statement is under way.
    void EsperarComando() {
        const auto limite = std::chrono::steady_clock::now() + kPrazo;
        while (!cancelador.ComandoEmExecucao() && std::chrono::steady_clock::now() < limite)
            std::this_thread::yield();
        ASSERT_TRUE(cancelador.ComandoEmExecucao());
    }

    CanceladorDeComandos cancelador;
    std::string estadoSql;

  private:
    Conexao& conexao_;
};

std::string Esperar(std::future<std::string>& f) {
    EXPECT_EQ(f.wait_for(kPrazo), std::future_status::ready) << "o comando não foi cancelado";
    return f.get();
}

class CancelamentoNoSimulador : public ::testing::Test {
  protected:
    void SetUp() override {
        pasta_ = std::filesystem::temp_directory_path() / teste::NomeUnico("zolvek_cancelamento");
        Conexao master;
        master.DefinirStringDeConexao(Cadeia("master"));
        master.Abrir();
        Rodar(master, "CREATE DATABASE EMPRESA");
        conexao_.DefinirStringDeConexao(Cadeia("EMPRESA"));
        conexao_.Abrir();
        Rodar(conexao_, "CREATE TABLE T (N int NOT NULL)");
    }
    void TearDown() override {
        conexao_.Fechar();
        std::error_code e;
        std::filesystem::remove_all(pasta_, e);
    }
    std::string Cadeia(const std::string& banco) const {
        return "Provider=Simulador;Data Source=" + pasta_.string() + ";Initial Catalog=" + banco +
               ";User ID=sa;Password=";
    }
    static void Rodar(Conexao& c, const std::string& sql) {
        Consulta q(&c);
        q.DefinirSQL(sql);
        q.Executar();
    }
    std::string Contar() {
        Consulta q(&conexao_);
        q.DefinirSQL("select count(*) as N from T");
        q.Abrir();
        return q.Campos().at(0).Texto();
    }

    std::filesystem::path pasta_;
    Conexao conexao_;
};

TEST_F(CancelamentoNoSimulador, CancelarParaOComandoEmCursoEAConexaoSegueUsavel) {
    Rodar(conexao_,
          "CREATE TABLE U (N int NOT NULL) DECLARE @i int = 0 WHILE @i < 200 BEGIN INSERT INTO "
          "U VALUES (@i) SET @i = @i + 1 END");
    Trabalhador t(conexao_);
    // A wait, a loop of the engine's own and a statement SQLite runs: each stops.
    for (const std::string sql :
         {"WAITFOR DELAY '00:02:00'", "DECLARE @i int = 0 WHILE 1 = 1 SET @i = @i + 1",
          "SELECT count(*) FROM U a, U b, U c, U d"}) {
        auto f = t.Rodar(sql);
        t.EsperarComando();
        t.cancelador.Cancelar();
        EXPECT_EQ(Esperar(f), "Operation canceled") << sql;
        EXPECT_EQ(t.estadoSql, "HY008");
    }
    // Nothing of the cancel is left over for the next statement.
    auto f = t.Rodar("INSERT INTO T VALUES (1)");
    EXPECT_EQ(Esperar(f), "");
    EXPECT_EQ(Contar(), "1");
}

TEST_F(CancelamentoNoSimulador, CancelarEntreComandosParaSoOProximoEDescartarOEsquece) {
    Trabalhador t(conexao_);
    t.cancelador.Cancelar();  // nothing runs: the next statement is refused, unrun
    auto f = t.Rodar("INSERT INTO T VALUES (1)");
    EXPECT_EQ(Esperar(f), "Operation canceled");
    f = t.Rodar("INSERT INTO T VALUES (2)");
    EXPECT_EQ(Esperar(f), "");
    EXPECT_EQ(Contar(), "1");
    // Seen by the command itself between statements: its own way out runs.
    t.cancelador.Cancelar();
    t.cancelador.Descartar();
    f = t.Rodar("INSERT INTO T VALUES (3)");
    EXPECT_EQ(Esperar(f), "");
    EXPECT_EQ(Contar(), "2");
    // A thread the canceller is not bound to is never touched.
    t.cancelador.Cancelar();
    Rodar(conexao_, "INSERT INTO T VALUES (4)");
    EXPECT_EQ(Contar(), "3");
}

// Through the ODBC backend (the SQLite driver here): SQLCancel from another thread.
TEST(CancelamentoOdbc, SqlCancelDeOutraThreadParaOComando) {
    const std::string lib = teste::BibliotecaSqliteOdbc();
    if (lib.empty()) GTEST_SKIP() << "driver ODBC do SQLite não instalado";
    const auto arquivo =
        std::filesystem::temp_directory_path() / (teste::NomeUnico("zolvek_cancel") + ".sqlite");
    Conexao c;
    c.DefinirStringDeConexao("Driver=" + lib + ";Database=" + arquivo.string());
    c.Abrir();
    Trabalhador t(c);
    auto f = t.Rodar(
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 2000000000) "
        "SELECT count(*) FROM n");
    t.EsperarComando();
    t.cancelador.Cancelar();
    EXPECT_EQ(Esperar(f), "Operation canceled");
    EXPECT_EQ(t.estadoSql, "HY008");
    c.Fechar();
    std::error_code e;
    std::filesystem::remove(arquivo, e);
}

}  // namespace
}  // namespace zolvek::db
