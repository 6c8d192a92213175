#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "como_sql_server.hpp"

// CREATE INDEX ... INCLUDE (...): the included columns are kept after the keys, in the
// catalog, and are not keys.
namespace {

class IndicesIncluidos : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Pedidos");
        Sql("CREATE TABLE [" + t_ +
            "] (id int PRIMARY KEY, cliente int NOT NULL, data datetime NULL, total "
            "decimal(10,2) NULL, obs varchar(max) NULL)");
    }

    // "coluna:key_ordinal:is_included_column" of each column of the index, in order.
    std::string ColunasDoIndice(const std::string& indice) {
        return Coluna(
            "SELECT c.name + ':' + CAST(ic.key_ordinal AS varchar) + ':' + "
            "CAST(ic.is_included_column AS varchar) + ':' + CAST(ic.is_descending_key AS varchar) "
            "FROM sys.index_columns ic JOIN sys.columns c ON c.object_id = ic.object_id AND "
            "c.column_id = ic.column_id JOIN sys.indexes i ON i.object_id = ic.object_id AND "
            "i.index_id = ic.index_id WHERE ic.object_id = OBJECT_ID('" +
            t_ + "') AND i.name = '" + indice + "' ORDER BY ic.index_column_id");
    }

    std::string t_;
};

TEST_P(IndicesIncluidos, ColunasIncluidasFicamNoCatalogoSemSeremChaves) {
    const std::string ix = "IX_Cliente" + sufixo_;
    Sql("CREATE NONCLUSTERED INDEX [" + ix + "] ON [" + t_ +
        "] (cliente, data DESC) INCLUDE (total, OBS)");
    EXPECT_EQ(ColunasDoIndice(ix), "cliente:1:0:0,data:2:0:1,total:0:1:0,obs:0:1:0");
    // sp_helpindex shows the keys only
    auto r = Sql("EXEC sp_helpindex '" + t_ + "'");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas[0][0]), ix);
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas[0][2]), "cliente, data(-)");
    // an included column is one the index depends on
    EXPECT_EQ(Recusa("ALTER TABLE [" + t_ + "] DROP COLUMN total"),
              "5074: The index '" + ix +
                  "' is dependent on column 'total'.\nALTER TABLE DROP COLUMN total failed "
                  "because one or more objects access this column.");
    // renaming a column keeps it included
    Sql("EXEC sp_rename '" + t_ + ".total', 'valor', 'COLUMN'");
    EXPECT_EQ(ColunasDoIndice(ix), "cliente:1:0:0,data:2:0:1,valor:0:1:0,obs:0:1:0");
    Sql("DROP INDEX [" + ix + "] ON [" + t_ + "]");
    Sql("ALTER TABLE [" + t_ + "] DROP COLUMN valor");
    EXPECT_EQ(
        Valor("SELECT COUNT(*) FROM sys.index_columns WHERE object_id = OBJECT_ID('" + t_ + "')"),
        "1");
}

TEST_P(IndicesIncluidos, IncluirChaveOuColunaQueNaoExisteEhRecusado) {
    const std::string ix = "IX_Erro" + sufixo_;
    const std::string criar = "CREATE INDEX [" + ix + "] ON [" + t_ + "] ";
    EXPECT_EQ(Recusa(criar + "(cliente) INCLUDE (nada)"),
              "1911: Column name 'nada' does not exist in the target table or view.");
    EXPECT_EQ(Recusa(criar + "(cliente, data) INCLUDE (total, Cliente)"),
              "1909: Cannot use duplicate column names in index. Column name 'Cliente' listed "
              "more than once.");
    EXPECT_EQ(Recusa(criar + "(cliente) INCLUDE (total, total)"),
              "1909: Cannot use duplicate column names in index. Column name 'total' listed more "
              "than once.");
    EXPECT_EQ(Recusa(criar + "(cliente, cliente)"),
              "1909: Cannot use duplicate column names in index. Column name 'cliente' listed "
              "more than once.");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.indexes WHERE name = '" + ix + "'"), "0");
    // a filtered index names columns of the table
    EXPECT_EQ(Recusa(criar + "(cliente) INCLUDE (total) WHERE nada > 0"),
              "207: Invalid column name 'nada'.");
}

}  // namespace
INSTANTIATE_TEST_SUITE_P(Servidores, IndicesIncluidos, ::testing::Values("simulador", "mssql"));
