#include "ambiente.hpp"

using zolvek::db::DataHora;

// Data statements in the forms users type them in the SQL window.
class Dados : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE [Nomes]([Id] INT IDENTITY(100,1),[Nome] NVARCHAR(20) NULL,[Quando] "
            "DATETIME NULL,"
            "[Versao] ROWVERSION)");
    }
};

TEST_F(Dados, VariasLinhasSelecaoEOrdem) {
    auto r = Sql("insert into Nomes (Nome) values ('beta'), ('Alfa'), ('álamo'), (N'Ábaco')");
    EXPECT_EQ(r.linhasAfetadas, 4);
    EXPECT_EQ(Valor("select max(Id) from Nomes"), "103");
    EXPECT_EQ(Falha("CREATE TABLE [Passo]([Id] INT IDENTITY(1,2))"),
              "O simulador de SQL Server só aceita IDENTITY com incremento 1 (coluna 'Id').");
    r = Sql("select Nome from Nomes order by Nome");
    ASSERT_EQ(r.linhas.size(), 4u);
    // accented letters sort among their plain letters, as Latin1_General_CI_AS sorts them
    EXPECT_EQ(Texto(r.linhas[0][0]), "Ábaco");
    EXPECT_EQ(Texto(r.linhas[1][0]), "álamo");
    EXPECT_EQ(Texto(r.linhas[2][0]), "Alfa");
    EXPECT_EQ(Texto(r.linhas[3][0]), "beta");
    EXPECT_EQ(Valor("select count(distinct Nome) from Nomes where Nome in ('ALFA', 'BETA')"), "2");
    Sql("insert Nomes (Nome) select upper(Nome) + '!' from Nomes where Nome like 'a%'");
    EXPECT_EQ(Valor("select count(*) from Nomes where Nome = 'ALFA!'"), "1");
    EXPECT_EQ(Falha("insert Nomes (Nome) select Nome + '..................' from Nomes"),
              "String or binary data would be truncated.");
    EXPECT_EQ(Valor("select count(*) from Nomes"), "5");
}

TEST_F(Dados, ParametrosDeDataEVersaoDaLinha) {
    DataHora d;
    d.ano = 2021;
    d.mes = 5;
    d.dia = 6;
    d.hora = 7;
    Sql("insert Nomes (Nome, Quando) values (?, ?)", {std::string("a"), d});
    Sql("insert Nomes (Nome, Quando) values (?, getdate())", {std::string("b")});
    EXPECT_EQ(Texto(Sql("select Nome from Nomes where Quando = ?", {d}).linhas.at(0)[0]), "a");
    EXPECT_EQ(Valor("select count(*) from Nomes where Quando < '2021-05-06 08:00'"), "1");
    auto r = Sql("select Versao from Nomes order by Id");
    ASSERT_EQ(r.linhas.size(), 2u);
    auto v1 = std::get<zolvek::db::Bytes>(r.linhas[0][0]);
    auto v2 = std::get<zolvek::db::Bytes>(r.linhas[1][0]);
    EXPECT_EQ(v1.size(), 8u);
    EXPECT_LT(v1, v2);
    EXPECT_EQ(r.colunas[0].tipo, zolvek::db::TipoDeCampo::Bytes);
    EXPECT_TRUE(r.colunas[0].somenteLeitura);
    EXPECT_EQ(Falha("update Nomes set Versao = 0x01"), "Cannot update a timestamp column.");
    EXPECT_EQ(Falha("insert Nomes (Nome, Versao) values ('c', 0x01)"),
              "Cannot insert an explicit value into a timestamp column. Use INSERT with a column "
              "list to exclude the timestamp column, or insert a DEFAULT into the timestamp "
              "column.");
}

TEST_F(Dados, ExclusaoDeTabelaLevaSeusObjetos) {
    Sql("ALTER TABLE [Nomes] ADD CONSTRAINT [Chvpr_Nomes] PRIMARY KEY ([Id])");
    Sql("CREATE TRIGGER [Trigr_Nomes] ON [Nomes] FOR INSERT AS select 1");
    Sql("GRANT SELECT ON [Nomes] TO PUBLIC");
    Sql("DROP TABLE [Nomes]");
    EXPECT_EQ(Valor("select count(*) from sysobjects"), "0");
    EXPECT_EQ(Valor("select count(*) from syscolumns"), "0");
    EXPECT_EQ(Valor("select count(*) from sysindexes"), "0");
    Sql("CREATE TABLE [Nomes]([Id] INT NULL)");
    Sql("insert Nomes values (1)");
    EXPECT_EQ(Valor("select count(*) from Nomes"), "1");
}

TEST_F(Dados, IdentidadeDaSessaoSoMudaComTabelaDeIdentidade) {
    EXPECT_EQ(Valor("select @@identity"), "NULL");
    Sql("CREATE TABLE [Sem]([X] INT NULL)");
    Sql("insert into Nomes (Nome) values ('a')");
    Sql("insert into Sem (X) values (7)");
    Sql("insert into Sem (X) values (8)");
    EXPECT_EQ(Valor("select @@identity"), "100");
    EXPECT_EQ(Valor("select scope_identity()"), "100");
    EXPECT_EQ(Falha("insert into Nomes (Id, Nome) values (5, 'b')"),
              "Cannot insert explicit value for identity column in table 'Nomes' when "
              "IDENTITY_INSERT is set to OFF.");
    EXPECT_EQ(Valor("select @@identity"), "100");
    auto outra = Conectar("Teste");
    EXPECT_EQ(Texto(Sql("select @@identity", {}, outra.get()).linhas.at(0).at(0)), "NULL");
}

TEST_F(Dados, TextoDeFuncaoComparaSemCaixaNemBrancosFinais) {
    Sql("insert into Nomes (Nome) values ('um')");
    EXPECT_EQ(Valor("select count(*) from Nomes where upper(Nome) = 'um '"), "1");
    EXPECT_EQ(Valor("select count(*) from Nomes where 'UM' = rtrim(Nome)"), "1");
    EXPECT_EQ(Valor("select count(*) from Nomes where Nome + '' = 'Um'"), "1");
    EXPECT_EQ(Valor("select case when 'abc' = 'ABC  ' then 1 else 0 end"), "1");
    EXPECT_EQ(Valor("select case when 'abc' = 'ábc' then 1 else 0 end"), "0");
    Sql("update Nomes set Quando = '20210105 10:00'");
    EXPECT_EQ(Valor("select count(*) from Nomes where Quando >= '20210105'"), "1");
}

TEST_F(Dados, TruncateRecomecaAIdentidade) {
    Sql("insert into Nomes (Nome) values ('a'), ('b')");
    Sql("truncate table Nomes");
    Sql("insert into Nomes (Nome) values ('c')");
    EXPECT_EQ(Valor("select Id from Nomes"), "100");
    Sql("CREATE TABLE [Filhos]([Pai] INT NULL)");
    Sql("ALTER TABLE [Nomes] ADD CONSTRAINT [PK_Nomes] PRIMARY KEY ([Id])");
    Sql("ALTER TABLE [Filhos] ADD CONSTRAINT [FK_Filhos] FOREIGN KEY ([Pai]) REFERENCES "
        "[Nomes]([Id])");
    EXPECT_EQ(Falha("truncate table Nomes"),
              "Cannot truncate table 'Nomes' because it is being referenced by a FOREIGN KEY "
              "constraint.");
}
