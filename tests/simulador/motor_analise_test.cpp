#include "ambiente.hpp"

using zolvek::db::TipoDeCampo;

// The statements of one structure analysis over two related tables, run twice: the
// second run must find every column as the first one left it and rebuild the
// dependent objects without errors.
class Analise : public SimuladorTeste {
  protected:
    void Ciclo(bool criar) {
        if (criar) {
            Sql("CREATE TABLE [Grupos]([Codigo] INT NOT NULL,[Nome] NVARCHAR(40) NOT NULL)");
            Sql("CREATE TABLE [Itens]([Id] INT IDENTITY(1,1),[Grupo] INT NULL,[Descricao] "
                "NVARCHAR(60) NOT NULL,"
                "[Preco] DEC(15,2) NULL,[Custo] MONEY NULL,[Cadastro] DATETIME NULL,[Obs] "
                "NVARCHAR(max),"
                "[Foto] VARBINARY(max),[Versao] ROWVERSION,[Ativo] NVARCHAR(1) NOT NULL,[Codigo] "
                "DEC(10,0) NULL)");
        }
        Sql("if exists (select * from sysobjects where id = object_id('Rlcto_Itens_Grupo')) ALTER "
            "TABLE [Itens] DROP "
            "CONSTRAINT [Rlcto_Itens_Grupo]");
        Sql("if exists (select * from sysobjects where id = object_id('Deflt_Itens_Ativo')) ALTER "
            "TABLE [Itens] DROP "
            "CONSTRAINT [Deflt_Itens_Ativo]");
        Sql("IF EXISTS (SELECT name FROM sysindexes WHERE name = 'Descricao') DROP INDEX "
            "[Itens].[Descricao]");
        Sql("if exists (select * from sysobjects where id = object_id('Chvpr_Itens')) ALTER TABLE "
            "[Itens] DROP "
            "CONSTRAINT [Chvpr_Itens]");
        Sql("if exists (select * from sysobjects where id = object_id('Chvpr_Grupos')) ALTER TABLE "
            "[Grupos] DROP "
            "CONSTRAINT [Chvpr_Grupos]");
        Sql("if exists (select * from sysobjects where id = object_id('Check_Itens_Ativo')) ALTER "
            "TABLE [Itens] DROP "
            "CONSTRAINT [Check_Itens_Ativo]");
        Sql("ALTER TABLE [Itens] ADD CONSTRAINT [Deflt_Itens_Ativo] DEFAULT ('S') FOR [Ativo]");
        Sql("UPDATE [Itens] SET [Ativo]='S' WHERE [Ativo] IS NULL");
        for (const char* c :
             {"[Grupo] INT NULL", "[Descricao] NVARCHAR(60) NULL", "[Ativo] NVARCHAR(1) NULL"})
            Sql(std::string("ALTER TABLE [Itens] ALTER COLUMN ") + c);
        Sql("ALTER TABLE [Grupos] ALTER COLUMN [Codigo] INT NULL");
        for (const char* c : {"[Descricao] NVARCHAR(60) NOT NULL", "[Ativo] NVARCHAR(1) NOT NULL"})
            Sql(std::string("ALTER TABLE [Itens] ALTER COLUMN ") + c);
        Sql("ALTER TABLE [Grupos] ALTER COLUMN [Codigo] INT NOT NULL");
        Sql("ALTER TABLE [Grupos] ADD CONSTRAINT [Chvpr_Grupos] PRIMARY KEY ([Codigo])");
        Sql("ALTER TABLE [Itens] ADD CONSTRAINT [Chvpr_Itens] PRIMARY KEY ([Id])");
        Sql("CREATE INDEX [Descricao] ON [Itens]([Descricao] DESC,[Grupo])");
        Sql("ALTER TABLE [Itens] ADD CONSTRAINT [Check_Itens_Ativo] CHECK ([Ativo] IN ('S','N'))");
        Sql("GRANT SELECT,INSERT,UPDATE,DELETE ON [Itens] TO PUBLIC");
        Sql("ALTER TABLE [Itens] ADD CONSTRAINT [Rlcto_Itens_Grupo] FOREIGN KEY ([Grupo]) "
            "REFERENCES [Grupos]([Codigo])");
    }
};

TEST_F(Analise, SegundaExecucaoEncontraOQueAPrimeiraDeixou) {
    Ciclo(true);
    Sql("insert into Grupos values (1, 'Geral')");
    Sql("insert into Itens (Grupo, Descricao, Preco) values (1, 'Parafuso', 1.25)");
    Ciclo(false);
    auto r = Sql("select top 1 * from [Itens]");
    std::vector<TipoDeCampo> esperado = {
        TipoDeCampo::Integer,  TipoDeCampo::Integer,  TipoDeCampo::String, TipoDeCampo::Float,
        TipoDeCampo::Currency, TipoDeCampo::DateTime, TipoDeCampo::Memo,   TipoDeCampo::Blob,
        TipoDeCampo::Bytes,    TipoDeCampo::String,   TipoDeCampo::Float};
    ASSERT_EQ(r.colunas.size(), esperado.size());
    for (std::size_t i = 0; i < esperado.size(); ++i)
        EXPECT_EQ(r.colunas[i].tipo, esperado[i]) << r.colunas[i].nome;
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][9]), "S");
    EXPECT_EQ(Texto(r.linhas[0][3]), "1.25");
    EXPECT_EQ(Valor("select numeric_precision from information_schema.columns where "
                    "table_catalog=lower('Teste') and "
                    "table_name=lower('Itens') and column_name=lower('Codigo')"),
              "10");
    EXPECT_EQ(Valor("select count(*) from sysobjects where parent_obj = object_id('Itens')"), "4");
    EXPECT_NE(Falha("insert into Itens (Grupo, Descricao) values (2, 'Porca')"), "(sem erro)");
    // the rowversion changes on every update
    auto antes = Sql("select Versao from Itens").linhas[0][0];
    Sql("update Itens set Preco = 2");
    EXPECT_NE(Sql("select Versao from Itens").linhas[0][0], antes);
}
