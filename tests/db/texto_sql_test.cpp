#include <gtest/gtest.h>

#include "db/texto_sql.hpp"

namespace zolvek::db {
namespace {

TEST(TextoSql, ParametrosViramMarcadoresForaDeAspasColchetesEComentarios) {
    const auto r = TraduzirParametros(
        "select ':x', [a:b], \"c:d\", x::int, :Id -- :comentario\n"
        "/* :outro /* :aninhado */ :ainda */ where n = :id and o=:Opção and t = 'it''s :y'");
    EXPECT_EQ(r.sql,
              "select ':x', [a:b], \"c:d\", x::int, ? -- :comentario\n"
              "/* :outro /* :aninhado */ :ainda */ where n = ? and o=? and t = 'it''s :y'");
    EXPECT_EQ(r.nomes, (std::vector<std::string>{"Id", "id", "Opção"}));
    EXPECT_EQ(NomesDeParametros("select :Id, :ID, :b, :id"), (std::vector<std::string>{"Id", "b"}));
    EXPECT_TRUE(TraduzirParametros("select 10 : 2").nomes.empty());
}

TEST(TextoSql, TabelaUnicaDoSelect) {
    EXPECT_EQ(TabelaUnicaDoSelect("select * from StatusBD"), "[StatusBD]");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from StatusBD(NOLOCK)"), "[StatusBD]");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from\r\nOpções where\r\nidentificador=:Identificador"),
              "[Opções]");
    EXPECT_EQ(TabelaUnicaDoSelect("SELECT a FROM dbo.[Reg Mov] r WITH (NOLOCK) ORDER BY a"),
              "[dbo].[Reg Mov]");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from banco..tabela as t where x = 1"),
              "[banco]..[tabela]");
    EXPECT_EQ(TabelaUnicaDoSelect("select (select max(x) from b) as m from a"), "[a]");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from [PEMPRESA] full outer join [PARFN]\r\non 1=1"),
              "");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from a, b"), "");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from a x join b y on x.i = y.i"), "");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from (select 1 as a) t"), "");
    EXPECT_EQ(TabelaUnicaDoSelect("select * from a union select * from b"), "");
    EXPECT_EQ(TabelaUnicaDoSelect("select GetDate() As Valor"), "");
}

TEST(TextoSql, LinhasEColchetes) {
    EXPECT_EQ(DividirEmLinhas("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(DividirEmLinhas("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(DividirEmLinhas("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(DividirEmLinhas("").empty());
    EXPECT_EQ(EntreColchetes("Hora da liberação"), "[Hora da liberação]");
    EXPECT_EQ(EntreColchetes("a]b"), "[a]]b]");
    EXPECT_EQ(EntreApostrofos("D'Ávila"), "'D''Ávila'");
    EXPECT_EQ(EntreApostrofos(""), "''");
}

}  // namespace
}  // namespace zolvek::db
