#include "ambiente.hpp"

using zolvek::db::TipoDeCampo;

// The catalog queries the analysis sends, as it sends them.
class Catalogo : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE [Produtos]([Id] INT IDENTITY(1,1),[Nome] NVARCHAR(40) NOT NULL,[Texto] "
            "NVARCHAR(max),"
            "[Grande] VARCHAR(5000) NULL,[Preco] DEC(15,2) NULL,[Qtd] INT NULL,[Valor] MONEY NULL,"
            "[Foto] VARBINARY(max),[Versao] ROWVERSION,[Real] FLOAT NULL)");
    }

    std::vector<std::string> Linha(const std::string& sql) {
        auto r = Sql(sql);
        std::vector<std::string> v;
        if (!r.linhas.empty())
            for (const auto& x : r.linhas[0]) v.push_back(Texto(x));
        return v;
    }

    std::vector<std::string> TipoDaColuna(const std::string& coluna) {
        return Linha(
            "select c.prec as length,st.name as UserType,bt.name as BaseType from dbo.syscolumns c "
            "INNER JOIN "
            "dbo.systypes st ON st.xusertype = c.xusertype INNER JOIN dbo.systypes bt ON "
            "bt.xusertype = "
            "c.xtype where c.id=object_id('Produtos') and c.name = '" +
            coluna + "'");
    }

    std::vector<std::string> Precisao(const std::string& coluna) {
        return Linha(
            "select numeric_precision,numeric_scale from information_schema.columns where "
            "table_catalog=lower('Teste') and table_name=lower('Produtos') and "
            "column_name=lower('" +
            coluna + "')");
    }
};

TEST_F(Catalogo, TabelaExisteEmSysobjects) {
    EXPECT_EQ(Sql("select * from sysobjects where id = object_id('Produtos')").linhas.size(), 1u);
    EXPECT_EQ(Sql("select * from sysobjects where id = object_id('PRODUTOS')").linhas.size(), 1u);
    EXPECT_EQ(Sql("select * from sysobjects where id = object_id('Outra')").linhas.size(), 0u);
    EXPECT_EQ(Valor("select xtype from sysobjects where name = 'produtos'"), "U");
}

TEST_F(Catalogo, ComprimentoETiposComoOSqlServer) {
    EXPECT_EQ(TipoDaColuna("Nome"), (std::vector<std::string>{"40", "nvarchar", "nvarchar"}));
    EXPECT_EQ(TipoDaColuna("Texto"), (std::vector<std::string>{"-1", "nvarchar", "nvarchar"}));
    EXPECT_EQ(TipoDaColuna("Grande"), (std::vector<std::string>{"5000", "varchar", "varchar"}));
    EXPECT_EQ(TipoDaColuna("Foto"), (std::vector<std::string>{"-1", "varbinary", "varbinary"}));
    EXPECT_EQ(TipoDaColuna("Versao")[1], "timestamp");
}

TEST_F(Catalogo, PrecisaoNumerica) {
    EXPECT_EQ(Precisao("Preco"), (std::vector<std::string>{"15", "2"}));
    EXPECT_EQ(Precisao("Qtd"), (std::vector<std::string>{"10", "0"}));
    EXPECT_EQ(Precisao("Valor"), (std::vector<std::string>{"19", "4"}));
    EXPECT_EQ(Precisao("Real")[0], "53");
}

TEST_F(Catalogo, CategoriasDosCamposDaAmostra) {
    auto r = Sql("select top 1 * from [Produtos]");
    std::vector<TipoDeCampo> esperado = {
        TipoDeCampo::Integer, TipoDeCampo::String,  TipoDeCampo::Memo,     TipoDeCampo::String,
        TipoDeCampo::Float,   TipoDeCampo::Integer, TipoDeCampo::Currency, TipoDeCampo::Blob,
        TipoDeCampo::Bytes,   TipoDeCampo::Float};
    ASSERT_EQ(r.colunas.size(), esperado.size());
    for (std::size_t i = 0; i < esperado.size(); ++i)
        EXPECT_EQ(r.colunas[i].tipo, esperado[i]) << r.colunas[i].nome;
}

TEST_F(Catalogo, IndicesERestricoesNasVisoes) {
    Sql("ALTER TABLE [Produtos] ADD CONSTRAINT [Chvpr_Produtos] PRIMARY KEY ([Id])");
    Sql("CREATE UNIQUE INDEX [Nome] ON [Produtos]([Nome] DESC)");
    auto r =
        Sql("SELECT i.name FROM sys.indexes i inner join sys.objects t on i.object_id=t.object_id "
            "where t.name = "
            "'Produtos' and i.name is not null");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "Chvpr_Produtos");
    EXPECT_EQ(Texto(r.linhas[1][0]), "Nome");
    EXPECT_EQ(Sql("SELECT name FROM sysindexes WHERE name = 'Nome'").linhas.size(), 1u);
    Sql("IF EXISTS (SELECT name FROM sysindexes WHERE name = 'Nome') DROP INDEX [Produtos].[Nome]");
    EXPECT_EQ(Sql("SELECT name FROM sysindexes WHERE name = 'Nome'").linhas.size(), 0u);
    EXPECT_EQ(Valor("select xtype from sysobjects where id = object_id('Chvpr_Produtos')"), "PK");
    Sql("if exists (select * from sysobjects where id = object_id('Chvpr_Produtos')) ALTER TABLE "
        "[Produtos] DROP "
        "CONSTRAINT [Chvpr_Produtos]");
    EXPECT_EQ(Sql("select * from sysobjects where id = object_id('Chvpr_Produtos')").linhas.size(),
              0u);
    // a table without a clustered index shows a heap row without a name
    EXPECT_EQ(Valor("select count(*) from sys.indexes where object_id = object_id('Produtos') and "
                    "name is null"),
              "1");
}

TEST_F(Catalogo, CodigosDeTipoDosObjetos) {
    Sql("CREATE TABLE [Pai]([Cod] INT NOT NULL CONSTRAINT [Chvpr_Pai] PRIMARY KEY, [X] NCHAR(2) "
        "NULL "
        "CONSTRAINT [Deflt_Pai_X] DEFAULT ('A') CONSTRAINT [Check_Pai_X] CHECK ([X] IN ('A','B')) "
        "CONSTRAINT [UQ_Pai_X] UNIQUE)");
    Sql("CREATE TABLE [Filho]([Cod] INT NULL, CONSTRAINT [Rlcto_Filho_Cod] FOREIGN KEY ([Cod]) "
        "REFERENCES [Pai]([Cod]))");
    Sql("CREATE PROCEDURE dbo.[P1] AS select 1");
    Sql("CREATE VIEW [V1] AS select Cod from Pai");
    Sql("CREATE TRIGGER [T1] ON [Pai] FOR INSERT AS select 1");
    Sql("CREATE FUNCTION [F1] (@a int) RETURNS int AS BEGIN RETURN @a END");
    auto tipo = [&](const std::string& n) {
        return Valor("select xtype from sysobjects where name = '" + n + "'");
    };
    EXPECT_EQ(tipo("Chvpr_Pai"), "PK");
    EXPECT_EQ(tipo("Deflt_Pai_X"), "D");
    EXPECT_EQ(tipo("Check_Pai_X"), "C");
    EXPECT_EQ(tipo("UQ_Pai_X"), "UQ");
    EXPECT_EQ(tipo("Rlcto_Filho_Cod"), "F");
    EXPECT_EQ(tipo("P1"), "P");
    EXPECT_EQ(tipo("V1"), "V");
    EXPECT_EQ(tipo("T1"), "TR");
    EXPECT_EQ(tipo("F1"), "FN");
    EXPECT_EQ(Valor("select parent_obj from sysobjects where name = 'T1'"),
              Valor("select object_id('Pai')"));
    EXPECT_EQ(Valor("select type_desc from sys.objects where name = 'Chvpr_Pai'"),
              "PRIMARY_KEY_CONSTRAINT");
}

TEST_F(Catalogo, CategoriasDeExpressoes) {
    auto r = Sql("select GetDate() As Valor");
    EXPECT_EQ(r.colunas[0].tipo, TipoDeCampo::DateTime);
    r = Sql("select suser_sname() As Valor");
    EXPECT_EQ(Texto(r.linhas[0][0]), "sa");
    EXPECT_EQ(Valor("select IS_MEMBER('db_owner')  as Valor"), "1");
    EXPECT_EQ(Valor("select DB_NAME()"), "Teste");
    EXPECT_EQ(Valor("select convert(varchar(23), convert(datetime, '20200102 03:04:05.678'), 121)"),
              "2020-01-02 03:04:05.677");
    EXPECT_EQ(Valor("select datediff(minute, '2020-01-01 10:00', '2020-01-01 11:30')"), "90");
    EXPECT_EQ(Valor("select len('abc  ') + 0"), "3");
    EXPECT_EQ(Valor("select isnull(NULL, 'x')"), "x");
    EXPECT_EQ(Valor("select coalesce(NULL, N'ção')"), "ção");
}

TEST_F(Catalogo, PrecisaoEEscalaDeDatasEBitNoSyscolumns) {
    Sql("CREATE TABLE [Datas]([A] DATETIME NULL,[B] SMALLDATETIME NULL,[C] BIT NULL,"
        "[D] DATETIME2 NULL,[E] NVARCHAR(9) NULL)");
    auto r =
        Sql("select xprec, xscale from syscolumns where id = object_id('Datas') order by colid");
    ASSERT_EQ(r.linhas.size(), 5u);
    std::string s;
    for (const auto& l : r.linhas) s += Texto(l[0]) + "," + Texto(l[1]) + ";";
    EXPECT_EQ(s, "23,3;16,0;1,0;27,7;0,0;");
    EXPECT_EQ(Valor("select precision from sys.columns where object_id = object_id('Datas') and "
                    "name = 'A'"),
              "23");
}
