#include "ambiente.hpp"
#include "comum/erros.hpp"

// A NUL byte in a batch's text: outside a literal it is a syntax error and nothing of
// the batch runs; inside a literal it is a character like any other.
namespace {

using namespace std::string_literals;

class ByteNulo : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE T (id INT NOT NULL, v VARCHAR(20) NULL, n NVARCHAR(20) NULL)");
        Sql("INSERT INTO T (id, v) VALUES (1, 'um')");
        Sql("INSERT INTO T (id, v) VALUES (2, 'dois')");
    }
};

TEST_F(ByteNulo, ForaDeUmLiteralEhErroDeSintaxeENadaRoda) {
    EXPECT_EQ(Recusa("DELETE FROM T WHERE 1=1 \0AND id = 999"s),
              std::make_pair(102, "Incorrect syntax near 'AND'."s));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "2");
    // at the end of the batch, and with a whole statement after it
    EXPECT_EQ(Recusa("DELETE FROM T WHERE id = 999\0"s),
              std::make_pair(102, "Incorrect syntax near the end of the batch."s));
    EXPECT_EQ(Recusa("INSERT INTO T (id) VALUES (3)\0 DELETE FROM T"s),
              std::make_pair(102, "Incorrect syntax near 'DELETE'."s));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "2");
    // inside a name it is no name
    EXPECT_EQ(Recusa("SELECT * FROM [T\0x]"s).first, 102);
    // inside a comment it is part of the comment
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T -- a\0b\n WHERE id = 1"s), "1");
}

TEST_F(ByteNulo, DentroDeUmLiteralEhGuardadoEDevolvido) {
    Sql("INSERT INTO T (id, v, n) VALUES (3, 'a\0b', N'c\0d')"s);
    auto r = Sql("SELECT v, n, DATALENGTH(v), LEN(n) FROM T WHERE id = 3");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "a\0b"s);
    EXPECT_EQ(Texto(r.linhas[0][1]), "c\0d"s);
    EXPECT_EQ(Texto(r.linhas[0][2]), "3");
    EXPECT_EQ(Texto(r.linhas[0][3]), "3");
    // compared, updated and deleted by it
    EXPECT_EQ(Valor("SELECT id FROM T WHERE v = 'a\0b'"s), "3");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T WHERE v = 'a'"), "0");
    Sql("UPDATE T SET v = 'x\0' WHERE id = 3"s);
    EXPECT_EQ(Valor("SELECT DATALENGTH(v) FROM T WHERE id = 3"), "2");
    EXPECT_EQ(Sql("DELETE FROM T WHERE v = 'x\0'"s).linhasAfetadas, 1);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "2");
    // a default with a NUL in it
    Sql("CREATE TABLE D (id INT NOT NULL, v VARCHAR(5) NOT NULL DEFAULT 'p\0q')"s);
    Sql("INSERT INTO D (id) VALUES (1)");
    EXPECT_EQ(Valor("SELECT v FROM D"), "p\0q"s);
}

TEST_F(ByteNulo, ComoParametroEhUmCaractere) {
    Sql("INSERT INTO T (id, v) VALUES (4, ?)", {"e\0f"s});
    EXPECT_EQ(Valor("SELECT DATALENGTH(v) FROM T WHERE id = 4"), "3");
    EXPECT_EQ(Sql("SELECT id FROM T WHERE v = ?", {"e\0f"s}).linhas.size(), 1u);
}

}  // namespace
