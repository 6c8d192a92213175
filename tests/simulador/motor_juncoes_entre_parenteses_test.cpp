// Joins in parentheses, as Access and generated SQL write them, in queries and views.

#include "como_sql_server.hpp"

namespace {

class JuncoesEntreParenteses : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        a_ = Tabela("Clientes");
        b_ = Tabela("Pedidos");
        c_ = Tabela("Itens");
        Sql("CREATE TABLE [" + a_ + "] (id int, nome varchar(10))");
        Sql("CREATE TABLE [" + b_ + "] (id int, cliente int)");
        Sql("CREATE TABLE [" + c_ + "] (pedido int, produto varchar(10))");
        Sql("INSERT [" + a_ + "] VALUES (1, 'ana'), (2, 'bia')");
        Sql("INSERT [" + b_ + "] VALUES (10, 1), (11, 1), (12, 3)");
        Sql("INSERT [" + c_ + "] VALUES (10, 'pao'), (12, 'leite')");
    }
    std::string a_, b_, c_;
};

TEST_P(JuncoesEntreParenteses, JuncaoDentroDeOutra) {
    EXPECT_EQ(Coluna("SELECT a.nome + ':' + ISNULL(c.produto, '-') FROM [" + a_ +
                     "] AS a LEFT JOIN ([" + b_ + "] AS b INNER JOIN [" + c_ +
                     "] AS c ON c.pedido = b.id) ON b.cliente = a.id ORDER BY a.nome"),
              "ana:pao,bia:-");
    EXPECT_EQ(Valor("SELECT count(*) FROM ([" + a_ + "] AS x CROSS JOIN [" + b_ + "] AS y)"), "6");
    EXPECT_EQ(Valor("SELECT count(*) FROM ((([" + a_ + "] a INNER JOIN [" + b_ +
                    "] b ON b.cliente = a.id)) INNER JOIN [" + c_ + "] c ON c.pedido = b.id)"),
              "1");
    // the second id inside the parentheses keeps its name
    const auto r =
        Sql("SELECT z.id, * FROM [" + a_ + "] x INNER JOIN ([" + a_ + "] y INNER JOIN [" + b_ +
            "] z ON z.cliente = y.id) ON y.id = x.id WHERE z.id = 10");
    ASSERT_EQ(r.colunas.size(), 7u);
    for (std::size_t k : {0, 1, 3, 5}) EXPECT_EQ(r.colunas[k].nome, "id") << k;
    // a query in parentheses is still a derived table
    EXPECT_EQ(Valor("SELECT count(*) FROM ((SELECT id FROM [" + a_ + "])) AS d"), "2");
}

TEST_P(JuncoesEntreParenteses, NoCorpoDeUmaVisao) {
    const std::string v = Objeto("VIEW", "Compras");
    Sql("CREATE VIEW [" + v + "] AS SELECT a.nome, c.produto FROM ([" + a_ + "] a INNER JOIN (" +
        "[" + b_ + "] b INNER JOIN [" + c_ + "] c ON c.pedido = b.id) ON b.cliente = a.id)");
    EXPECT_EQ(Coluna("SELECT nome + '/' + produto FROM [" + v + "]"), "ana/pao");
}

INSTANTIATE_TEST_SUITE_P(Servidores, JuncoesEntreParenteses,
                         ::testing::Values("simulador", "mssql"));

}  // namespace
