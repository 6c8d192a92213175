#include "ambiente.hpp"

using zolvek::db::TipoDeCampo;

TEST_F(SimuladorTeste, CriaInsereEConsulta) {
    Sql("CREATE TABLE [Clientes]([Id] INT IDENTITY(1,1),[Nome] NVARCHAR(40) NOT NULL,[Saldo] MONEY "
        "NULL,"
        "[Nascimento] DATETIME NULL,[Obs] NVARCHAR(max),[Ativo] BIT NULL,[Taxa] DEC(15,2) NULL)");
    auto r =
        Sql("insert into Clientes (Nome, Saldo, Nascimento, Ativo, Taxa) values (?, ?, '20000101', "
            "1, 12.345)",
            {std::string("Ana"), zolvek::db::Decimal{"10.5"}});
    EXPECT_EQ(r.linhasAfetadas, 1);
    r = Sql("select top 1 * from [Clientes]");
    ASSERT_EQ(r.colunas.size(), 7u);
    EXPECT_EQ(r.colunas[0].tipo, TipoDeCampo::Integer);
    EXPECT_TRUE(r.colunas[0].somenteLeitura);
    EXPECT_EQ(r.colunas[1].tipo, TipoDeCampo::String);
    EXPECT_EQ(r.colunas[1].tamanho, 40);
    EXPECT_FALSE(r.colunas[1].anulavel);
    EXPECT_EQ(r.colunas[1].tabelaBase, "Clientes");
    EXPECT_EQ(r.colunas[2].tipo, TipoDeCampo::Currency);
    EXPECT_EQ(r.colunas[3].tipo, TipoDeCampo::DateTime);
    EXPECT_EQ(r.colunas[4].tipo, TipoDeCampo::Memo);
    EXPECT_EQ(r.colunas[5].tipo, TipoDeCampo::Boolean);
    EXPECT_EQ(r.colunas[6].tipo, TipoDeCampo::Float);
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "1");
    EXPECT_EQ(Texto(r.linhas[0][2]), "10.5000");
    EXPECT_EQ(std::get<zolvek::db::DataHora>(r.linhas[0][3]).ano, 2000);
    EXPECT_EQ(Texto(r.linhas[0][6]), "12.35");
}
