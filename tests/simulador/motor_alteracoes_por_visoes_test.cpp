// INSERT, UPDATE and DELETE through views and WITH queries, and SQL Server's refusals of
// those that cannot reach the rows of one base table.

#include "como_sql_server.hpp"

namespace {

class AlteracoesPorVisoes : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Pessoas");
        Sql("CREATE TABLE [" + t_ + "] (id int IDENTITY PRIMARY KEY, nome varchar(10) NOT NULL, "
            "idade int NULL)");
        Sql("INSERT [" + t_ + "] (nome, idade) VALUES ('ana', 30), ('ana', 31), ('bia', 20), "
            "('bia', 21), ('bia', 22), ('caio', 40)");
    }

    std::string t_;
};

TEST_P(AlteracoesPorVisoes, ExcluiDuplicadosPorUmaConsultaNomeadaComRowNumber) {
    const auto r = Sql("WITH d AS (SELECT nome, ROW_NUMBER() OVER (PARTITION BY nome ORDER BY "
                       "id) AS n FROM [" + t_ + "]) DELETE FROM d WHERE n > 1");
    EXPECT_EQ(r.linhasAfetadas, 3);
    EXPECT_EQ(Coluna("SELECT nome + ':' + CAST(idade AS varchar) FROM [" + t_ + "] ORDER BY id"),
              "ana:30,bia:20,caio:40");
}

TEST_P(AlteracoesPorVisoes, AtualizaExcluiEInserePorUmaVisaoDeUmaTabela) {
    const std::string v = Objeto("VIEW", "Adultos");
    Sql("CREATE VIEW [" + v + "] AS SELECT id, nome AS apelido, idade FROM [" + t_ +
        "] WHERE idade >= 30");
    EXPECT_EQ(Sql("UPDATE [" + v + "] SET apelido = UPPER(apelido), idade = idade + 1")
                  .linhasAfetadas,
              3);
    EXPECT_EQ(Coluna("SELECT nome FROM [" + t_ + "] ORDER BY id"), "ANA,ANA,bia,bia,bia,CAIO");
    EXPECT_EQ(Sql("DELETE FROM [" + v + "] WHERE apelido = 'ana' AND idade = 32").linhasAfetadas,
              1);
    Sql("INSERT INTO [" + v + "] (apelido, idade) VALUES ('davi', 50)");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t_ + "] WHERE nome = 'davi'"), "1");
    // a row the view does not show is no row of it
    EXPECT_EQ(Sql("DELETE [" + v + "] WHERE apelido = 'bia'").linhasAfetadas, 0);
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t_ + "]"), "6");
}

TEST_P(AlteracoesPorVisoes, AtualizaPorUmaVisaoDeOutraVisaoEPeloFromDaInstrucao) {
    const std::string v1 = Objeto("VIEW", "V1"), v2 = Objeto("VIEW", "V2");
    Sql("CREATE VIEW [" + v1 + "] AS SELECT id, nome, idade FROM [" + t_ + "] WHERE nome <> 'caio'");
    Sql("CREATE VIEW [" + v2 + "] (codigo, quem) AS SELECT id, nome FROM [" + v1 +
        "] WHERE id > 1");
    EXPECT_EQ(Sql("UPDATE [" + v2 + "] SET quem = 'x' WHERE codigo <= 3").linhasAfetadas, 2);
    EXPECT_EQ(Coluna("SELECT nome FROM [" + t_ + "] ORDER BY id"), "ana,x,x,bia,bia,caio");
    EXPECT_EQ(Sql("UPDATE w SET quem = 'y' FROM [" + v2 + "] AS w JOIN [" + t_ +
                  "] AS p ON p.id = w.codigo - 1 WHERE p.nome = 'x'")
                  .linhasAfetadas,
              2);
    EXPECT_EQ(Coluna("SELECT nome FROM [" + t_ + "] ORDER BY id"), "ana,x,y,y,bia,caio");
}

TEST_P(AlteracoesPorVisoes, ConsultaNomeadaAntesDeInsertEUpdate) {
    const std::string u = Tabela("Resumo");
    Sql("CREATE TABLE [" + u + "] (nome varchar(10), total int)");
    Sql("WITH g AS (SELECT nome, count(*) AS n FROM [" + t_ + "] GROUP BY nome) INSERT INTO [" +
        u + "] (nome, total) SELECT nome, n FROM g");
    EXPECT_EQ(Coluna("SELECT nome + '=' + CAST(total AS varchar) FROM [" + u + "] ORDER BY nome"),
              "ana=2,bia=3,caio=1");
    Sql("WITH m AS (SELECT nome, max(idade) AS maior FROM [" + t_ + "] GROUP BY nome) UPDATE r "
        "SET total = m.maior FROM [" + u + "] AS r JOIN m ON m.nome = r.nome WHERE r.total > 1");
    EXPECT_EQ(Coluna("SELECT CAST(total AS varchar) FROM [" + u + "] ORDER BY nome"), "31,22,1");
}

TEST_P(AlteracoesPorVisoes, VisaoDeDuasTabelasMudaSoUmaDelas) {
    const std::string g = Tabela("Grupos");
    Sql("CREATE TABLE [" + g + "] (nome varchar(10) PRIMARY KEY, grupo varchar(10))");
    Sql("INSERT [" + g + "] VALUES ('ana', 'A'), ('bia', 'B'), ('caio', 'C')");
    const std::string v = Objeto("VIEW", "Juntas");
    Sql("CREATE VIEW [" + v + "] AS SELECT p.id, p.idade, g.grupo, p.idade * 2 AS dobro FROM [" +
        t_ + "] p JOIN [" + g + "] g ON g.nome = p.nome");
    EXPECT_EQ(Sql("UPDATE [" + v + "] SET idade = 0 WHERE grupo = 'B'").linhasAfetadas, 3);
    EXPECT_EQ(Valor("SELECT sum(idade) FROM [" + t_ + "] WHERE nome = 'bia'"), "0");
    EXPECT_EQ(Recusa("DELETE FROM [" + v + "] WHERE id = 1"),
              "4405: View or function '" + v +
                  "' is not updatable because the modification affects multiple base tables.");
    EXPECT_EQ(Recusa("UPDATE [" + v + "] SET idade = 1, grupo = 'Z'"),
              "4405: View or function '" + v +
                  "' is not updatable because the modification affects multiple base tables.");
    EXPECT_EQ(Recusa("UPDATE [" + v + "] SET dobro = 1"),
              "4406: Update or insert of view or function '" + v +
                  "' failed because it contains a derived or constant field.");
}

TEST_P(AlteracoesPorVisoes, VisoesQueAgrupamOuUnemSaoRecusadas) {
    const std::string a = Objeto("VIEW", "Agrupada"), u = Objeto("VIEW", "Unida");
    Sql("CREATE VIEW [" + a + "] AS SELECT nome, count(*) AS n FROM [" + t_ + "] GROUP BY nome");
    Sql("CREATE VIEW [" + u + "] AS SELECT nome FROM [" + t_ + "] UNION SELECT 'zeca'");
    EXPECT_EQ(Recusa("DELETE FROM [" + a + "] WHERE n > 1"),
              "4403: Cannot update the view or function '" + a +
                  "' because it contains aggregates, or a DISTINCT or GROUP BY clause, or PIVOT "
                  "or UNPIVOT operator.");
    EXPECT_EQ(Recusa("UPDATE [" + u + "] SET nome = 'x'"),
              "4426: View '" + u + "' is not updatable because the definition contains a UNION "
                                   "operator.");
    EXPECT_EQ(Recusa("WITH d AS (SELECT DISTINCT nome FROM [" + t_ + "]) DELETE FROM d"),
              "4403: Cannot update the view or function 'd' because it contains aggregates, or a "
              "DISTINCT or GROUP BY clause, or PIVOT or UNPIVOT operator.");
    EXPECT_EQ(Valor("SELECT count(*) FROM [" + t_ + "]"), "6");
}

TEST_P(AlteracoesPorVisoes, GatilhoDaTabelaDisparaPelaVisao) {
    const std::string log = Tabela("Log"), tr = Objeto("TRIGGER", "TrExcluidas");
    Sql("CREATE TABLE [" + log + "] (n int)");
    Sql("CREATE TRIGGER [" + tr + "] ON [" + t_ + "] AFTER DELETE AS INSERT INTO [" + log +
        "] SELECT count(*) FROM deleted");
    Sql("WITH d AS (SELECT TOP 2 * FROM [" + t_ + "] ORDER BY idade DESC) DELETE FROM d");
    EXPECT_EQ(Valor("SELECT n FROM [" + log + "]"), "2");
    EXPECT_EQ(Valor("SELECT max(idade) FROM [" + t_ + "]"), "30");
}

INSTANTIATE_TEST_SUITE_P(Servidores, AlteracoesPorVisoes,
                         ::testing::Values("simulador", "mssql"));

}  // namespace
