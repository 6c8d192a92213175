#include "dictionary/lista_de_itens.hpp"

#include <gtest/gtest.h>

namespace zolvek::dicionario {
namespace {

using Itens = std::vector<std::string>;

TEST(ListaDeItens, RegrasDeSeparacao) {
    EXPECT_EQ(DividirItens("a,b,c"), (Itens{"a", "b", "c"}));
    EXPECT_EQ(DividirItens("  \t a , b"), (Itens{"a", "b"}));
    EXPECT_EQ(DividirItens("a,,b"), (Itens{"a", "", "b"}));
    EXPECT_EQ(DividirItens("a,"), (Itens{"a", ""}));
    EXPECT_EQ(DividirItens(",a"), (Itens{"", "a"}));
    EXPECT_EQ(DividirItens("a b c"), (Itens{"a", "b", "c"}));  // blanks also separate
    EXPECT_EQ(DividirItens(""), Itens{});
    EXPECT_EQ(DividirItens("   "), Itens{});
    // Only a comma at the very end adds an empty item.
    EXPECT_EQ(DividirItens("a, "), (Itens{"a"}));
}

TEST(ListaDeItens, AspasAgrupamEDobradasValemUma) {
    EXPECT_EQ(DividirItens("\"a, b\",c"), (Itens{"a, b", "c"}));
    EXPECT_EQ(DividirItens("\"diz \"\"oi\"\"\""), (Itens{"diz \"oi\""}));
    EXPECT_EQ(DividirItens("\"\",x"), (Itens{"", "x"}));
    EXPECT_EQ(DividirItens("\"sem fim, ok"), (Itens{"sem fim, ok"}));
    EXPECT_EQ(DividirItens("\"ab\"cd"), (Itens{"ab", "cd"}));
    EXPECT_EQ(DividirItens("\"Sim,Não\",x"), (Itens{"Sim,Não", "x"}));
}

TEST(ListaDeItens, FormatarVoltaAosMesmosItens) {
    const std::vector<Itens> casos = {
        {"a", "b"},
        {"", "", ""},
        {""},
        {"a b", "c,d", "e\"f"},
        {"x", ""},
        {"Opções", "ção"},
        {"\"", "", "\t"},
        {"[Data] DESC,Numero"},
    };
    for (const auto& itens : casos) EXPECT_EQ(DividirItens(FormatarItens(itens)), itens);
    EXPECT_EQ(FormatarItens({"a", "", "b c"}), "a,,\"b c\"");
}

}  // namespace
}  // namespace zolvek::dicionario
