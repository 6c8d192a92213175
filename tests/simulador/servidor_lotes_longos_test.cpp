#include "ambiente.hpp"

// A batch longer than the piece the stand-in reads at a time runs as one batch: every
// statement runs, in order, and a syntax error anywhere in it runs none.
namespace {

class LotesLongos : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE T (id INT NOT NULL, v VARCHAR(MAX) NULL)");
    }
    // n single-row INSERTs, one a line: about 230 bytes each.
    static std::string Insercoes(int n, int primeiro = 0, const std::string& fim = "\n") {
        std::string sql;
        for (int k = primeiro; k < primeiro + n; ++k)
            sql += "INSERT INTO T (id, v) VALUES (" + std::to_string(k) + ", '" +
                   std::string(190, 'a') + "')" + fim;
        return sql;
    }
};

TEST_F(LotesLongos, TodasAsInstrucoesRodamEmOrdem) {
    const std::string lote =
        "BEGIN TRAN\n" + Insercoes(3000) + "UPDATE T SET v = 'fim' WHERE id = 2999\nCOMMIT\n";
    ASSERT_GT(lote.size(), 600000u);
    auto r = db_->Executar(lote, {}, 0);
    EXPECT_EQ(r.size(), 3001u);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "3000");
    EXPECT_EQ(Valor("SELECT v FROM T WHERE id = 2999"), "fim");
}

TEST_F(LotesLongos, UmErroDeSintaxeNoFimNaoDeixaNadaRodar) {
    EXPECT_EQ(Falha(Insercoes(3000) + "INSERT INTO T VALUES (1,"),
              Falha("INSERT INTO T VALUES (1,"));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "0");
    EXPECT_EQ(Falha(Insercoes(1500) + "SELEC 1\n" + Insercoes(1500)),
              Falha("INSERT INTO T (id) VALUES (1)\nSELEC 1"));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(LotesLongos, BlocosELiteraisQueAtravessamOTrechoFicamInteiros) {
    std::string bloco = "IF 1 = 1\nBEGIN\n" + Insercoes(1500) + "END\nELSE\n" + "DELETE FROM T\n";
    std::string texto = "INSERT INTO T (id, v) VALUES (-1, 'x')\n";
    std::string longo =
        "INSERT INTO T (id, v) VALUES (-2, 'a\n" + std::string(300000, 'y') + "')\n";
    db_->Executar("BEGIN TRAN\n" + Insercoes(1500, 10000) + bloco + longo + texto + "COMMIT\n", {},
                  0);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "3002");
    EXPECT_EQ(Valor("SELECT LEN(v) FROM T WHERE id = -2"), "300002");
}

// Statements closed by ';' at a line's end, where a piece may end: an INSERT there runs
// once, and an IF's ELSE after its ';' still belongs to the IF.
TEST_F(LotesLongos, InstrucoesFechadasPorPontoEVirgulaNoFimDoTrecho) {
    std::string ses;
    for (int k = 0; k < 1500; ++k)
        ses +=
            "IF 1 = 0 INSERT INTO T (id, v) VALUES (-1, 'x');\nELSE INSERT INTO T (id, v) "
            "VALUES (" +
            std::to_string(20000 + k) + ", '" + std::string(60, 'b') + "');\n";
    db_->Executar("BEGIN TRAN;\n" + Insercoes(3000, 0, ";\n") + ses + "COMMIT;\n", {}, 0);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T WHERE id < 20000"), "3000");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T WHERE id >= 20000"), "1500");
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT id) FROM T"), "4500");
    Sql("DELETE FROM T");
    EXPECT_EQ(Falha(Insercoes(3000, 0, ";\n") + "SELEC 1;\n"),
              Falha("INSERT INTO T (id) VALUES (1);\nSELEC 1"));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "0");
}

// Long statements are prepared afresh each time (a session keeps only short ones): the
// same long text runs again, after a failure of its own too.
TEST_F(LotesLongos, UmaInstrucaoLongaRodaDeNovo) {
    std::string insercao = "INSERT INTO T (id, v) VALUES ";
    for (int k = 0; k < 500; ++k)
        insercao += (k ? ", (" : "(") + std::to_string(k) + ", 'linha " + std::to_string(k) + "')";
    ASSERT_GT(insercao.size(), 8192u);
    Sql(insercao);
    Sql("CREATE UNIQUE INDEX IX_T ON T (id)");
    EXPECT_EQ(Falha(insercao).substr(0, 38), "Cannot insert duplicate key row in obj");
    Sql("DELETE FROM T WHERE id >= 250");
    EXPECT_EQ(Falha(insercao).substr(0, 38), "Cannot insert duplicate key row in obj");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "250");
    Sql("DELETE FROM T");
    EXPECT_EQ(Sql(insercao).linhasAfetadas, 500);
    std::string consulta = "SELECT COUNT(*) FROM T WHERE id IN (-1";
    for (int k = 0; k < 2000; ++k) consulta += ", " + std::to_string(k * 7);
    consulta += ")";
    ASSERT_GT(consulta.size(), 8192u);
    EXPECT_EQ(Valor(consulta), "72");
    Sql("DELETE FROM T WHERE id = 399");
    EXPECT_EQ(Valor(consulta), "71");
}

}  // namespace
