// CROSS APPLY and OUTER APPLY of derived tables, inline and multi-statement functions.

#include "como_sql_server.hpp"

namespace {

class Aplicacao : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        c_ = Tabela("Clientes");
        p_ = Tabela("Pedidos");
        Sql("CREATE TABLE [" + c_ + "] (id int, nome varchar(10))");
        Sql("CREATE TABLE [" + p_ + "] (id int, cliente int, valor decimal(9,2), dia date)");
        Sql("INSERT [" + c_ + "] VALUES (1, 'ana'), (2, 'bia'), (3, 'caio')");
        Sql("INSERT [" + p_ +
            "] VALUES (10, 1, 5.50, '20240102'), (11, 1, 7.25, '20240105'), "
            "(12, 2, 1.00, '20240103')");
    }
    std::string c_, p_;
};

TEST_P(Aplicacao, TabelaDerivadaLeALinhaDeFora) {
    EXPECT_EQ(Coluna("SELECT c.nome + ':' + CAST(u.valor AS varchar) FROM [" + c_ +
                     "] c CROSS APPLY (SELECT TOP 1 p.valor FROM [" + p_ +
                     "] p WHERE p.cliente = c.id ORDER BY p.dia DESC) AS u ORDER BY c.id"),
              "ana:7.25,bia:1.00");
    EXPECT_EQ(Coluna("SELECT c.nome + ':' + ISNULL(CONVERT(varchar(10), u.dia, 112), '-') FROM [" +
                     c_ + "] c OUTER APPLY (SELECT p.dia FROM [" + p_ +
                     "] p WHERE p.cliente = c.id) u ORDER BY c.id, u.dia"),
              "ana:20240102,ana:20240105,bia:20240103,caio:-");
    EXPECT_EQ(Valor("SELECT sum(u.n) FROM [" + c_ + "] c CROSS APPLY (SELECT count(*) AS n FROM [" +
                    p_ + "] p WHERE p.cliente = c.id) u"),
              "3");
    // the applied query orders by its own column, and the outer list names what it reads
    const auto r =
        Sql("SELECT c.id, u.valor FROM [" + c_ + "] c CROSS APPLY (SELECT TOP 1 valor FROM [" + p_ +
            "] WHERE cliente = c.id ORDER BY valor) u ORDER BY c.id");
    ASSERT_EQ(r.colunas.size(), 2u);
    EXPECT_EQ(r.colunas[1].nome, "valor");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas[0][1]), "5.50");
}

TEST_P(Aplicacao, FuncoesDeTabela) {
    const std::string f = Objeto("FUNCTION", "DoCliente"), g = Objeto("FUNCTION", "Maiores");
    Sql("CREATE FUNCTION [" + f + "] (@c int) RETURNS TABLE AS RETURN SELECT id, valor FROM [" +
        p_ + "] WHERE cliente = @c");
    Sql("CREATE FUNCTION [" + g +
        "] (@c int) RETURNS @r TABLE (v decimal(9,2)) AS BEGIN "
        "INSERT @r SELECT max(valor) FROM [" +
        p_ + "] WHERE cliente = @c RETURN END");
    EXPECT_EQ(Coluna("SELECT c.nome + '/' + CAST(x.id AS varchar) FROM [" + c_ +
                     "] c CROSS APPLY dbo.[" + f + "](c.id) x ORDER BY x.id"),
              "ana/10,ana/11,bia/12");
    EXPECT_EQ(Coluna("SELECT ISNULL(CAST(m.v AS varchar), '-') FROM [" + c_ +
                     "] c OUTER APPLY dbo.[" + g + "](c.id) m ORDER BY c.id"),
              "7.25,1.00,-");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Aplicacao, ::testing::Values("simulador", "mssql"));

}  // namespace
