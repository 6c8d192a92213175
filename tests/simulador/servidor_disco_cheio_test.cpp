#include "ambiente.hpp"
#include "comum/erros.hpp"

// A database file that cannot grow (a full disk): SQL Server's messages, which name the
// table being written when there is one, never SQLite's words nor a generic refusal.
namespace {

using zolvek::ErroDeBanco;

class DiscoCheio : public SimuladorTeste {
  protected:
    void TearDown() override {
        zolvek::simulador::LimitarCrescimentoDosBancosParaTestes(0);
        SimuladorTeste::TearDown();
    }

    // The error of a batch that must fail on `c`.
    static ErroDeBanco ErroDe(zolvek::db::Conector& c, const std::string& sql) {
        try {
            c.Executar(sql, {}, 0);
        } catch (const ErroDeBanco& e) {
            return e;
        }
        return ErroDeBanco("(sem erro)");
    }
};

TEST_F(DiscoCheio, TabelaQueNaoCabeEDefinicaoQueNaoCabe) {
    Sql("CREATE TABLE Notas (id int, texto varchar(max))");
    zolvek::simulador::LimitarCrescimentoDosBancosParaTestes(2);
    auto cheio = Conectar("Teste");

    const ErroDeBanco insercao = ErroDe(
        *cheio, "INSERT INTO Notas VALUES (1, REPLICATE(CAST('x' AS varchar(max)), 200000))");
    EXPECT_EQ(std::string(insercao.what()),
              "Could not allocate space for object 'dbo.Notas' in database 'Teste' because the "
              "'PRIMARY' filegroup is full. Create disk space by deleting unneeded files, "
              "dropping objects in the filegroup, adding additional files to the filegroup, or "
              "setting autogrowth on for existing files in the filegroup.");
    EXPECT_EQ(insercao.Numero(), 1105);
    EXPECT_EQ(insercao.Severidade(), 17);

    // A definition writes the catalog: no table of the user's to name.
    std::string definicao;
    for (int i = 0; i < 50 && definicao.empty(); ++i) {
        const ErroDeBanco e = ErroDe(*cheio, "CREATE TABLE Nova" + std::to_string(i) +
                                                 " (a int, b varchar(100), c datetime)");
        if (std::string(e.what()) != "(sem erro)") definicao = e.what();
    }
    EXPECT_EQ(definicao,
              "Could not allocate a new page for database 'Teste' because of insufficient disk "
              "space in filegroup 'PRIMARY'. Create the necessary space by dropping objects in "
              "the filegroup, adding additional files to the filegroup, or setting autogrowth on "
              "for existing files in the filegroup.");

    // In a transaction as outside it, and the data already there still reads.
    cheio->IniciarTransacao();
    EXPECT_EQ(ErroDe(*cheio,
                     "INSERT INTO Notas VALUES (2, REPLICATE(CAST('y' AS varchar(max)), "
                     "200000))")
                  .Numero(),
              1105);
    cheio->Desfazer();
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Notas"), "0");
}

}  // namespace
