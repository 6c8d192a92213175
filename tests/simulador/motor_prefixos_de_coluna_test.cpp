#include <string>
#include <utility>

#include "ambiente.hpp"
#include "comum/erros.hpp"

// A column named with a prefix: a prefix that names a table or alias of the batch and a
// column it lacks is 207 ("Invalid column name"); a prefix that names nothing is 4104
// ("could not be bound"). Each way a batch is read tells them apart alike: a batch, a long
// batch read in pieces, sp_executesql, a procedure's body and a trigger's, the last two
// with their tables made after them.
namespace {

class PrefixosDeColuna : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE T (id INT NOT NULL, v VARCHAR(10) NULL)");
    }

    static std::pair<int, std::string> ColunaInvalida(const std::string& c) {
        return {207, "Invalid column name '" + c + "'."};
    }
    static std::pair<int, std::string> NaoLigado(const std::string& nome) {
        return {4104, "The multi-part identifier \"" + nome + "\" could not be bound."};
    }
};

TEST_F(PrefixosDeColuna, NumLoteENumLoteLongo) {
    EXPECT_EQ(Recusa("SELECT a.nada FROM T a"), ColunaInvalida("nada"));
    EXPECT_EQ(Recusa("SELECT x.id FROM T a"), NaoLigado("x.id"));
    EXPECT_EQ(Recusa("WITH c AS (SELECT id FROM T) SELECT c.nada FROM c"), ColunaInvalida("nada"));
    EXPECT_EQ(Recusa("SELECT d.nada FROM (SELECT id FROM T) d"), ColunaInvalida("nada"));

    // some 300 KB of INSERTs: the batch is read a piece at a time
    std::string insercoes;
    for (int k = 0; k < 1400; ++k)
        insercoes += "INSERT INTO T (id, v) VALUES (" + std::to_string(k) + ", '" +
                     std::string(200, ' ') + "')\n";
    EXPECT_EQ(Recusa(insercoes + "SELECT a.nada FROM T a"), ColunaInvalida("nada"));
    EXPECT_EQ(Recusa(insercoes + "SELECT x.id FROM T a"), NaoLigado("x.id"));
}

TEST_F(PrefixosDeColuna, NoSqlDinamicoENosCorpos) {
    EXPECT_EQ(Recusa("EXEC sp_executesql N'SELECT a.nada FROM T a'"), ColunaInvalida("nada"));
    EXPECT_EQ(Recusa("EXEC sp_executesql N'SELECT x.id FROM T a'"), NaoLigado("x.id"));

    Sql("CREATE PROCEDURE Coluna AS SELECT t.nada FROM Tarde t");
    Sql("CREATE PROCEDURE Prefixo AS SELECT x.id FROM Tarde t");
    Sql("CREATE TRIGGER Gatilho ON T AFTER INSERT AS "
        "UPDATE d SET id = 1 FROM Tarde d WHERE d.nada = 1");
    Sql("CREATE TABLE Tarde (id INT NULL)");
    EXPECT_EQ(Recusa("EXEC Coluna"), ColunaInvalida("nada"));
    EXPECT_EQ(Recusa("EXEC Prefixo"), NaoLigado("x.id"));
    EXPECT_EQ(Recusa("INSERT INTO T (id) VALUES (1)"), ColunaInvalida("nada"));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM T"), "0");
}

}  // namespace
