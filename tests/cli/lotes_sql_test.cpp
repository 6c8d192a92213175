#include <gtest/gtest.h>

#include "db/lotes_sql.hpp"

using zolvek::db::DividirEmLotes;
using zolvek::db::EhSeparadorDeLote;

TEST(LotesSql, SemGoOScriptInteiroEhUmLote) {
    auto lotes = DividirEmLotes({"update T set a = 1", "update T set b = 2"});
    ASSERT_EQ(lotes.size(), 1u);
    EXPECT_EQ(lotes[0].Texto(), "update T set a = 1\nupdate T set b = 2");
    EXPECT_EQ(lotes[0].primeiraLinha, 1);
}

TEST(LotesSql, SoGoSozinhoNaLinhaSepara) {
    EXPECT_TRUE(EhSeparadorDeLote("GO"));
    EXPECT_TRUE(EhSeparadorDeLote("go"));
    EXPECT_TRUE(EhSeparadorDeLote("Go"));
    EXPECT_FALSE(EhSeparadorDeLote(" GO"));
    EXPECT_FALSE(EhSeparadorDeLote("GO "));
    EXPECT_FALSE(EhSeparadorDeLote("GO;"));
    EXPECT_FALSE(EhSeparadorDeLote("GOTO"));

    auto lotes = DividirEmLotes({"create table T (a int)", "go", "insert T values (1)", " GO",
                                 "select * from T", "GO", "", "  "});
    ASSERT_EQ(lotes.size(), 2u);
    EXPECT_EQ(lotes[0].Texto(), "create table T (a int)");
    EXPECT_EQ(lotes[1].Texto(), "insert T values (1)\n GO\nselect * from T");
    EXPECT_EQ(lotes[1].primeiraLinha, 3);
}

TEST(LotesSql, GoNoInicioOuRepetidoDaLoteVazio) {
    auto lotes = DividirEmLotes({"GO", "select 1", "GO", "GO", "select 2"});
    ASSERT_EQ(lotes.size(), 4u);
    EXPECT_TRUE(lotes[0].Vazio());
    EXPECT_EQ(lotes[1].Texto(), "select 1");
    EXPECT_EQ(lotes[1].primeiraLinha, 2);
    EXPECT_TRUE(lotes[2].Vazio());
    EXPECT_EQ(lotes[3].Texto(), "select 2");
    EXPECT_EQ(lotes[3].primeiraLinha, 5);
    EXPECT_TRUE(DividirEmLotes({}).empty());
    EXPECT_TRUE(DividirEmLotes({"", "\t"}).empty());
}
