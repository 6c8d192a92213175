#include <gtest/gtest.h>

#include "comum/erros.hpp"
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

TEST(TextoSql, NomesLongosSaoRecusadosAntesDeIrParaOServidor) {
    const std::string limite(128, 'a');
    EXPECT_EQ(EntreColchetes(limite), "[" + limite + "]");
    // Counted in characters as the server counts them: an accented letter is one.
    std::string acentos;
    for (int i = 0; i < 128; ++i) acentos += "ç";
    EXPECT_NO_THROW(EntreColchetes(acentos));
    try {
        EntreColchetes(limite + "b");
        FAIL() << "um nome de 129 caracteres passou";
    } catch (const ErroDeEntrada& e) {
        EXPECT_EQ(std::string(e.what()), "O nome '" + limite +
                                             "b' tem 129 caracteres; o SQL Server aceita nomes "
                                             "de até 128 caracteres");
    }
    // A character outside the basic plane takes two of the server's 128.
    std::string emojis;
    for (int i = 0; i < 65; ++i) emojis += "\U0001F600";
    EXPECT_THROW(VerificarTamanhoDoNome(emojis), ErroDeEntrada);
    EXPECT_THROW(AlterarBanco(limite + "b", "SET MULTI_USER"), ErroDeEntrada);
}

TEST(TextoSql, NomeDoBancoENomeDeObjetoEmLiteral) {
    EXPECT_EQ(AlterarBanco("Empresa-Teste 2", "SET SINGLE_USER"),
              "ALTER DATABASE [Empresa-Teste 2] SET SINGLE_USER");
    EXPECT_EQ(AlterarBanco("A]; DROP DATABASE B; --", "SET MULTI_USER"),
              "ALTER DATABASE [A]]; DROP DATABASE B; --] SET MULTI_USER");
    // A plain name goes as it is; one that object_id would split or trim, in brackets.
    EXPECT_EQ(NomeDeObjetoComoLiteral("Deflt_T_F"), "'Deflt_T_F'");
    EXPECT_EQ(NomeDeObjetoComoLiteral("Ordem de Serviço"), "'Ordem de Serviço'");
    EXPECT_EQ(NomeDeObjetoComoLiteral("O'Brien"), "'O''Brien'");
    EXPECT_EQ(NomeDeObjetoComoLiteral("a.b"), "'[a.b]'");
    EXPECT_EQ(NomeDeObjetoComoLiteral("x]')); DROP TABLE C; --"), "'[x]]'')); DROP TABLE C; --]'");
    EXPECT_EQ(NomeDeObjetoComoLiteral(" T"), "'[ T]'");
}

}  // namespace
}  // namespace zolvek::db
