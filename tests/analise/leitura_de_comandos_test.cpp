#include <gtest/gtest.h>

#include "analysis/catalogo_da_analise.hpp"
#include "analysis/leitura_de_comandos.hpp"

// Reading the analysis' own statements: what they change, on which table, and whether
// SQL Server takes them inside a transaction.
namespace zolvek::analysis {
namespace {

TEST(LeituraDeComandos, EspecieDoComando) {
    EXPECT_EQ(EspecieDoComando("select * from sysobjects where id = object_id('T')"),
              EspecieDeComando::Leitura);
    EXPECT_EQ(EspecieDoComando("select top 1 * from [T]"), EspecieDeComando::Leitura);
    EXPECT_EQ(EspecieDoComando("EXEC master.dbo.xp_msver"), EspecieDeComando::Leitura);
    EXPECT_EQ(EspecieDoComando("sp_dboption 'X', 'single user'"), EspecieDeComando::Mudanca);
    EXPECT_EQ(EspecieDoComando("EXEC sp_dboption 'X', 'single user'"), EspecieDeComando::Leitura);
    EXPECT_EQ(EspecieDoComando("EXEC sp_dboption 'X', 'single user', 'true'"),
              EspecieDeComando::Mudanca);
    EXPECT_EQ(EspecieDoComando("select * into Copia from T"), EspecieDeComando::Mudanca);
    EXPECT_EQ(EspecieDoComando("SAVE TRANSACTION zv_ponto_1"), EspecieDeComando::Transacao);
    EXPECT_EQ(EspecieDoComando("ROLLBACK TRANSACTION zv_ponto_1"), EspecieDeComando::Transacao);
    EXPECT_EQ(EspecieDoComando("BEGIN TRAN UPDATE T SET a = 1 COMMIT"), EspecieDeComando::Mudanca);
    EXPECT_EQ(EspecieDoComando("if exists (select * from sysobjects where id = object_id('X')) "
                               "drop trigger dbo.[X]"),
              EspecieDeComando::Mudanca);
    EXPECT_EQ(EspecieDoComando("-- nada\n"), EspecieDeComando::Leitura);
}

TEST(LeituraDeComandos, RecusadosDentroDeTransacao) {
    EXPECT_EQ(RecusaEmTransacao("ALTER DATABASE [EMPRESA] SET SINGLE_USER"), "ALTER DATABASE");
    EXPECT_EQ(RecusaEmTransacao("if 1=1\n  backup database X to disk = 'x.bak'"), "BACKUP");
    EXPECT_EQ(RecusaEmTransacao("RESTORE VERIFYONLY FROM DISK = 'x.bak'"), "RESTORE");
    EXPECT_EQ(RecusaEmTransacao("exec sp_configure 'x', 1\nRECONFIGURE"), "RECONFIGURE");
    EXPECT_EQ(RecusaEmTransacao("KILL 53"), "KILL");
    EXPECT_EQ(RecusaEmTransacao("CREATE FULLTEXT CATALOG c"), "CREATE FULLTEXT");
    // Comments, literals and bracketed names are not statements; a procedure's body
    // does not run when the procedure is created.
    EXPECT_EQ(RecusaEmTransacao("-- ALTER DATABASE X\nselect 'KILL 1', [kill] from T"), "");
    EXPECT_EQ(RecusaEmTransacao("CREATE PROCEDURE MatarProcesso AS KILL 53"), "");
    EXPECT_EQ(RecusaEmTransacao("create or alter proc P as alter database X set offline"), "");
}

TEST(LeituraDeComandos, EncerraTransacaoDeFora) {
    EXPECT_TRUE(EncerraTransacaoDeFora("UPDATE T SET a = 1 IF @@ERROR <> 0 ROLLBACK"));
    EXPECT_TRUE(EncerraTransacaoDeFora("COMMIT"));
    EXPECT_FALSE(EncerraTransacaoDeFora("BEGIN TRAN UPDATE T SET a = 1 COMMIT TRAN"));
    EXPECT_FALSE(EncerraTransacaoDeFora("BEGIN TRY SELECT 1 END TRY BEGIN CATCH END CATCH"));
    EXPECT_FALSE(EncerraTransacaoDeFora("CREATE TRIGGER G ON T FOR INSERT AS ROLLBACK"));
}

TEST(LeituraDeComandos, MudancasDaAnalise) {
    Mudanca m = ClassificarMudanca(
        "CREATE TABLE [RegMov]([idRegMov] INT IDENTITY(1,1),[Hora] DATETIME NOT NULL,"
        "[Valor] DEC(12,2) NULL)");
    EXPECT_EQ(m.tipo, TipoDeMudanca::CriarTabela);
    EXPECT_EQ(m.tabela, "RegMov");
    EXPECT_EQ(m.colunas,
              (std::vector<std::pair<std::string, std::string>>{{"idRegMov", "INT IDENTITY(1,1)"},
                                                                {"Hora", "DATETIME NOT NULL"},
                                                                {"Valor", "DEC(12,2) NULL"}}));

    m = ClassificarMudanca("ALTER TABLE [P]]Q] ADD [A] NVARCHAR(20),[B] DEC(5,2)");
    EXPECT_EQ(m.tipo, TipoDeMudanca::AcrescentarColunas);
    EXPECT_EQ(m.tabela, "P]Q");
    ASSERT_EQ(m.colunas.size(), 2u);
    EXPECT_EQ(m.colunas[1].second, "DEC(5,2)");

    m = ClassificarMudanca("ALTER TABLE [T] ALTER COLUMN [Valor Total] DEC(12,2) NOT NULL");
    EXPECT_EQ(m.tipo, TipoDeMudanca::AlterarColuna);
    EXPECT_EQ(m.objeto, "Valor Total");
    EXPECT_EQ(m.especie, "DEC(12,2)");
    EXPECT_EQ(m.nulo, false);
    EXPECT_EQ(ClassificarMudanca("ALTER TABLE [T] ALTER COLUMN [C] NVARCHAR(max)").nulo,
              std::nullopt);

    m = ClassificarMudanca(
        "ALTER TABLE [T] WITH NOCHECK ADD CONSTRAINT [Rlcto_T_F] FOREIGN KEY "
        "([F]) REFERENCES [P]([Id])");
    EXPECT_EQ(m.tipo, TipoDeMudanca::CriarRestricao);
    EXPECT_EQ(m.objeto, "Rlcto_T_F");
    EXPECT_EQ(m.especie, "FOREIGN KEY");
    m = ClassificarMudanca(
        "if exists (select * from sysobjects where id = "
        "object_id('Deflt_T_F')) ALTER TABLE [T] DROP CONSTRAINT [Deflt_T_F]");
    EXPECT_EQ(m.tipo, TipoDeMudanca::RemoverRestricao);
    EXPECT_EQ(m.tabela, "T");

    m = ClassificarMudanca(
        "IF EXISTS (SELECT name FROM sysindexes WHERE name = 'IX') DROP INDEX [T].[IX]");
    EXPECT_EQ(m.tipo, TipoDeMudanca::RemoverIndice);
    EXPECT_EQ(m.tabela + "." + m.objeto, "T.IX");
    m = ClassificarMudanca("CREATE UNIQUE INDEX [UX] ON [T]([A],[B] DESC)");
    EXPECT_EQ(m.tipo, TipoDeMudanca::CriarIndice);
    EXPECT_EQ(m.tabela + "." + m.objeto, "T.UX");

    m = ClassificarMudanca("CREATE TRIGGER [Trigr_T_RegTab_Ins] ON [T]\nFOR INSERT\nAS\n...");
    EXPECT_EQ(m.tipo, TipoDeMudanca::CriarObjeto);
    EXPECT_EQ(m.especie, "trigger");
    EXPECT_EQ(m.tabela, "T");
    m = ClassificarMudanca(
        "if exists (select * from sysobjects where id = object_id('P')) drop "
        "procedure dbo.[P]");
    EXPECT_EQ(m.tipo, TipoDeMudanca::RemoverObjeto);
    EXPECT_EQ(m.objeto, "P");

    EXPECT_EQ(ClassificarMudanca("GRANT SELECT,INSERT,UPDATE,DELETE ON [T] TO [PUBLIC]").tabela,
              "T");
    EXPECT_EQ(ClassificarMudanca("INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES "
                                 "('20000101','Confraternização Universal','S')")
                  .tipo,
              TipoDeMudanca::DadosIniciais);
    EXPECT_EQ(ClassificarMudanca("if not exists (select * from [PARFN]) INSERT INTO [PARFN] "
                                 "DEFAULT VALUES")
                  .tipo,
              TipoDeMudanca::LinhaDeParametro);
    m = ClassificarMudanca("UPDATE [T] SET [F]='S' WHERE [F] IS NULL");
    EXPECT_EQ(m.tipo, TipoDeMudanca::Preenchimento);
    EXPECT_EQ(m.objeto, "F");
    m = ClassificarMudanca("exec Stprc_PARFN_RegVer_Build");
    EXPECT_EQ(m.tipo, TipoDeMudanca::Outra);
    EXPECT_EQ(m.objeto, "EXEC Stprc_PARFN_RegVer_Build");
}

TEST(LeituraDeComandos, TiposNormalizados) {
    EXPECT_EQ(TipoNormalizado("dec(10, 2)"), "DECIMAL(10,2)");
    EXPECT_EQ(TipoNormalizado("NUMERIC"), "DECIMAL(18,0)");
    EXPECT_EQ(TipoNormalizado("nvarchar(MAX)"), "NVARCHAR(max)");
    EXPECT_EQ(TipoNormalizado("INT IDENTITY(1,1)"), "INT");
    EXPECT_EQ(TipoNormalizado("timestamp"), "ROWVERSION");
    EXPECT_EQ(TipoDoCatalogo("nvarchar", -1, 0, 0), "NVARCHAR(max)");
    EXPECT_EQ(TipoDoCatalogo("numeric", 0, 9, 0), "DECIMAL(9,0)");
    EXPECT_EQ(TipoDoCatalogo("int", 0, 10, 0), "INT");
}

TEST(LeituraDeComandos, MudancasQuePodemFalharOuPerderDados) {
    EXPECT_FALSE(PodeFalharOuPerder("NVARCHAR(30)", "NVARCHAR(40)"));
    EXPECT_FALSE(PodeFalharOuPerder("VARCHAR(60)", "NVARCHAR(60)"));
    EXPECT_FALSE(PodeFalharOuPerder("TEXT", "NVARCHAR(max)"));
    EXPECT_FALSE(PodeFalharOuPerder("DECIMAL(10,2)", "DECIMAL(12,3)"));
    EXPECT_FALSE(PodeFalharOuPerder("INT", "DECIMAL(12,2)"));
    EXPECT_TRUE(PodeFalharOuPerder("NVARCHAR(60)", "VARCHAR(60)"));
    EXPECT_TRUE(PodeFalharOuPerder("NVARCHAR(40)", "NVARCHAR(30)"));
    EXPECT_TRUE(PodeFalharOuPerder("DECIMAL(10,3)", "DECIMAL(10,1)"));
    EXPECT_TRUE(PodeFalharOuPerder("DECIMAL(9,0)", "INT"));
    EXPECT_TRUE(PodeFalharOuPerder("NVARCHAR(10)", "INT"));

    EXPECT_EQ(ConsultaDeValoresQueNaoConvertem("T", "C", "NVARCHAR(10)", "INT", 11),
              "SELECT COUNT(CASE WHEN TRY_CONVERT(INT, [C]) IS NULL THEN 1 END) AS falham, 0 AS "
              "perdem FROM [T] WHERE [C] IS NOT NULL");
    EXPECT_EQ(ConsultaDeValoresQueNaoConvertem("T", "C", "DECIMAL(10,3)", "DECIMAL(10,1)", 11),
              "SELECT COUNT(CASE WHEN TRY_CONVERT(DECIMAL(10,1), [C]) IS NULL THEN 1 END) AS "
              "falham, COUNT(CASE WHEN TRY_CONVERT(DECIMAL(10,1), [C]) <> [C] THEN 1 END) AS "
              "perdem FROM [T] WHERE [C] IS NOT NULL");
    EXPECT_EQ(ConsultaDeValoresQueNaoConvertem("T", "C", "NVARCHAR(40)", "NVARCHAR(30)", 10),
              "SELECT COUNT(CASE WHEN LEN(CONVERT(NVARCHAR(max), [C])) > 30 THEN 1 END) AS "
              "falham, 0 AS perdem FROM [T] WHERE [C] IS NOT NULL");
    // SQL Server 2008 R2 has no TRY_CONVERT; a widening has nothing to count.
    EXPECT_EQ(ConsultaDeValoresQueNaoConvertem("T", "C", "NVARCHAR(10)", "INT", 10), std::nullopt);
    EXPECT_EQ(ConsultaDeValoresQueNaoConvertem("T", "C", "NVARCHAR(10)", "NVARCHAR(20)", 11),
              std::nullopt);
}

}  // namespace
}  // namespace zolvek::analysis
