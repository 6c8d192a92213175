#include <gtest/gtest.h>

#include "ambiente.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/leitura/lexico.hpp"

using namespace zolvek::simulador;

TEST(Lexico, ColchetesAspasComentariosEParametros) {
    auto t = Tokenizar(
        "select [a]]b], 'it''s', N'ção', \"x\" -- fim\n /* a /* b */ c */ from T where x = ? and "
        "@v = :n");
    ASSERT_GE(t.size(), 15u);
    EXPECT_EQ(t[1].tipo, TipoToken::Colchete);
    EXPECT_EQ(t[1].texto, "a]b");
    EXPECT_EQ(t[3].tipo, TipoToken::Texto);
    EXPECT_EQ(t[3].texto, "it's");
    EXPECT_EQ(t[5].tipo, TipoToken::TextoN);
    EXPECT_EQ(t[5].texto, "ção");
    EXPECT_EQ(t[7].tipo, TipoToken::Aspas);
    EXPECT_EQ(t[8].texto, "from");
    EXPECT_EQ(t[13].tipo, TipoToken::Parametro);
    EXPECT_EQ(t[15].tipo, TipoToken::Variavel);
    EXPECT_THROW(Tokenizar("select 'aberto"), std::exception);
    EXPECT_THROW(Tokenizar("select /* sem fim"), std::exception);
}

// Names and variables hold at most 128 characters (accented letters count as one);
// longer ones fail the whole batch with SQL Server's 103.
TEST(Lexico, NomesDeMaisDe128CaracteresSaoRecusados) {
    const std::string a128(128, 'a'), cedilhas = [] {
        std::string s;
        for (int i = 0; i < 128; ++i) s += "ç";
        return s;
    }();
    EXPECT_NO_THROW(
        Tokenizar("select [" + a128 + "] from " + cedilhas + " where @" + a128.substr(1) + " = 1"));
    const auto recusa = [](const std::string& sql) {
        try {
            Tokenizar(sql);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + " " + e.what();
        }
        return std::string("(sem erro)");
    };
    const std::string esperado =
        "103 The identifier that starts with '" + a128 + "' is too long. Maximum length is 128.";
    EXPECT_EQ(recusa("create table " + a128 + "b (x int)"), esperado);
    EXPECT_EQ(recusa("select 1 from [" + std::string(100000, 'a') + "]"), esperado);
    EXPECT_EQ(recusa("select \"" + a128 + "]\""), "103 The identifier that starts with '" + a128 +
                                                      "' is too long. Maximum length is 128.");
    EXPECT_EQ(recusa("declare @" + a128 + " int"), "103 The identifier that starts with '@" +
                                                       a128.substr(1) +
                                                       "' is too long. Maximum length is 128.");
    EXPECT_EQ(recusa("select 1 from " + cedilhas + "x"),
              "103 The identifier that starts with '" + cedilhas +
                  "' is too long. Maximum length is 128.");
    EXPECT_EQ(recusa("select '" + std::string(1000, 'x') + "'"), "(sem erro)");
}

TEST(Lexico, LinhasGoSeparamLotes) {
    auto l = DividirLotes(
        "create table a (x int)\nGO\ninsert a values (1)\n  go  \n\nGO\nselect 'GO'\n GOTO");
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "create table a (x int)\n");
    EXPECT_EQ(l[2], "select 'GO'\n GOTO");
}

TEST_F(SimuladorTeste, SintaxeDoTSql) {
    Sql("CREATE TABLE [A b]([Preço] DEC(10,2) NULL,[Nome] NVARCHAR(20) NULL)");
    Sql("insert [A b] values (1.5, N'Ação') insert into [A b] ([Nome]) values ('ação')");
    EXPECT_EQ(Valor("select count(*) from [A b] where Nome = 'AÇÃO'"), "2");
    EXPECT_EQ(Valor("select count(*) from [A b] where Nome = 'acao'"), "0");
    EXPECT_EQ(Valor("select top 1 [Preço] from dbo.[A b] (NOLOCK) order by [Preço] desc"), "1.50");
    EXPECT_EQ(Valor("select top (1) Nome from [A b] with (nolock) order by Nome"), "Ação");
    EXPECT_EQ(Valor("select 'a' + Nome from [A b] where [Preço] is null"), "aação");
    Sql("delete [A b] where Nome = 'ação' and [Preço] is null");
    EXPECT_EQ(Valor("IF EXISTS (select * from [A b]) select 'sim' ELSE select 'não'"), "sim");
    EXPECT_EQ(Valor("if not exists (select * from [A b] where 1=0) begin select 'vazio' end"),
              "vazio");
    EXPECT_EQ(Falha("select * from [Nada]"), "Invalid object name 'Nada'.");
    EXPECT_EQ(Falha("select Nada from [A b]"), "Invalid column name 'Nada'.");
    EXPECT_EQ(Falha("select from where"), "Incorrect syntax near the keyword 'from'.");
    EXPECT_EQ(Valor("select count(*) from [A b] where Nome = 'Ação   '"), "1");
    // + joins texts and adds numbers, with T-SQL's precedence
    EXPECT_EQ(Valor("select top 1 Nome + ' ' + Nome from [A b]"), "Ação Ação");
    EXPECT_EQ(Valor("select 1 + 2 * 3 - 1"), "6");
    EXPECT_EQ(Valor("select len('ab' + 'c') + 1"), "4");
    EXPECT_EQ(Valor("select case when 1 + 1 = 2 then 'a' + 'b' else 'c' end"), "ab");
    EXPECT_EQ(Valor("select '1' + 1"), "2");
    EXPECT_EQ(Falha("select 'x' + 1"),
              "Conversion failed when converting the varchar value 'x' to data type int.");
    EXPECT_EQ(Falha(""), "Command text was not set for the command object.");
    EXPECT_EQ(Falha("-- só comentário"), "(sem erro)");
    auto r = db_->Executar("select 1\nGO\nselect 2", {}, 0);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(Texto(r[1].linhas[0][0]), "2");
}
