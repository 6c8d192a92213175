// INSTEAD OF triggers on tables and views: the statement changes nothing itself, and the
// trigger gets its rows in inserted and deleted.

#include "como_sql_server.hpp"

namespace {

class GatilhosEmVezDe : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Produtos");
        log_ = Tabela("Registro");
        Sql("CREATE TABLE [" + t_ +
            "] (id int PRIMARY KEY, nome varchar(10), ativo bit DEFAULT 1)");
        Sql("CREATE TABLE [" + log_ + "] (texto varchar(60))");
        Sql("INSERT [" + t_ + "] (id, nome) VALUES (1, 'pao'), (2, 'leite')");
    }
    std::string t_, log_;
};

TEST_P(GatilhosEmVezDe, ExclusaoViraDesativacaoNaTabela) {
    const std::string tr = Objeto("TRIGGER", "TrDesativa");
    Sql("CREATE TRIGGER [" + tr + "] ON [" + t_ +
        "] INSTEAD OF DELETE AS BEGIN SET NOCOUNT ON; "
        "UPDATE p SET ativo = 0 FROM [" +
        t_ +
        "] p JOIN deleted d ON d.id = p.id; "
        "DELETE FROM [" +
        t_ + "] WHERE id IN (SELECT id FROM deleted WHERE nome = 'leite') END");
    EXPECT_EQ(Sql("DELETE FROM [" + t_ + "]").linhasAfetadas, 2);
    EXPECT_EQ(Coluna("SELECT CAST(id AS varchar) + ':' + CAST(ativo AS varchar) FROM [" + t_ +
                     "] ORDER BY id"),
              "1:0");
}

TEST_P(GatilhosEmVezDe, VisaoDeDuasTabelasRecebeInsertEUpdate) {
    const std::string v = Objeto("VIEW", "Vitrine"), ti = Objeto("TRIGGER", "TrIns"),
                      tu = Objeto("TRIGGER", "TrUpd");
    Sql("CREATE VIEW [" + v + "] AS SELECT p.id, p.nome, l.texto FROM [" + t_ + "] p JOIN [" +
        log_ + "] l ON l.texto = p.nome");
    Sql("CREATE TRIGGER [" + ti + "] ON [" + v + "] INSTEAD OF INSERT AS BEGIN INSERT [" + t_ +
        "] (id, nome) SELECT id, nome FROM inserted; INSERT [" + log_ +
        "] SELECT texto FROM inserted END");
    Sql("CREATE TRIGGER [" + tu + "] ON [" + v + "] INSTEAD OF UPDATE AS INSERT [" + log_ +
        "] SELECT 'de ' + d.nome + ' para ' + i.nome FROM inserted i JOIN deleted d ON d.id = "
        "i.id");
    Sql("INSERT INTO [" + v + "] (id, nome, texto) VALUES (3, 'cafe', 'cafe')");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + v + "]"), "1");
    Sql("UPDATE [" + v + "] SET nome = 'cha' WHERE id = 3");
    EXPECT_EQ(Valor("SELECT nome FROM [" + t_ + "] WHERE id = 3"), "cafe");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + log_ + "] WHERE texto = 'de cafe para cha'"), "1");
    EXPECT_EQ(Recusa("UPDATE x SET nome = 'y' FROM [" + v + "] x WHERE x.id = 3"),
              "4422: View '" + v +
                  "' has an INSTEAD OF UPDATE trigger and cannot be a target of an UPDATE FROM "
                  "statement.");
}

TEST_P(GatilhosEmVezDe, SoUmaPorEvento) {
    const std::string a = Objeto("TRIGGER", "TrA"), b = Objeto("TRIGGER", "TrB");
    Sql("CREATE TRIGGER [" + a + "] ON [" + t_ + "] INSTEAD OF INSERT AS SELECT 1");
    EXPECT_EQ(Recusa("CREATE TRIGGER [" + b + "] ON [" + t_ + "] INSTEAD OF INSERT AS SELECT 2"),
              "2111: Cannot create trigger '" + b + "' on table '" + t_ +
                  "' because an INSTEAD OF INSERT trigger already exists on this object.");
}

// SET coluna = DEFAULT under an INSTEAD OF UPDATE trigger: the engine does not work out
// the row the trigger would see, and says so instead of a syntax error.
TEST_P(GatilhosEmVezDe, PadraoNumUpdateComGatilhoRecusadoComClareza) {
    if (GetParam() != "simulador") GTEST_SKIP() << "a refusal of the stand-in's";
    const std::string tr = Objeto("TRIGGER", "TrUpdPadrao");
    Sql("CREATE TRIGGER [" + tr + "] ON [" + t_ + "] INSTEAD OF UPDATE AS SET NOCOUNT ON");
    EXPECT_EQ(Recusa("UPDATE [" + t_ + "] SET ativo = DEFAULT WHERE id = 1"),
              "0: O simulador de SQL Server não aceita SET coluna = DEFAULT num UPDATE que "
              "dispara uma trigger INSTEAD OF.");
    EXPECT_EQ(Recusa("UPDATE [" + t_ + "] SET nome = 'x', ativo = 0 WHERE id = 1"), "(sem erro)");
    EXPECT_EQ(Valor("SELECT nome FROM [" + t_ + "] WHERE id = 1"), "pao");
}

INSTANTIATE_TEST_SUITE_P(Servidores, GatilhosEmVezDe, ::testing::Values("simulador", "mssql"));

}  // namespace
