#include "comum/texto.hpp"

#include <gtest/gtest.h>

#include "comum/erros.hpp"

namespace zolvek::texto {
namespace {

TEST(Windows1252, TodosOsBytesVoltamIguais) {
    std::string todos;
    for (int b = 0; b < 256; ++b) todos += static_cast<char>(b);
    const std::string utf8 = DeWindows1252(todos);
    EXPECT_EQ(ParaWindows1252(utf8), todos);
}

TEST(Windows1252, FaixaDe80a9FUsaOsCaracteresDoWindows) {
    EXPECT_EQ(DeWindows1252("\x80"), "€");
    EXPECT_EQ(DeWindows1252("\x8A\x8C\x8E\x9A\x9C\x9E\x9F"), "ŠŒŽšœžŸ");
    EXPECT_EQ(DeWindows1252("\x91\x92\x93\x94\x96\x97\x99"), "‘’“”–—™");
    EXPECT_EQ(DeWindows1252("\x81"), "\xC2\x81");  // undefined byte: C1 control
    EXPECT_EQ(ParaWindows1252("€…"), "\x80\x85");
}

TEST(Windows1252, LetrasAcentuadasDoPortugues) {
    EXPECT_EQ(ParaWindows1252("Opções ação É"),
              "Op\xE7\xF5"
              "es a\xE7\xE3o \xC9");
    EXPECT_EQ(DeWindows1252("Op\xE7\xF5"
                            "es"),
              "Opções");
}

TEST(Windows1252, CaractereSemRepresentacaoEhErroQueONomeia) {
    try {
        ParaWindows1252("ohm Ω");
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(), "O caractere 'Ω' (U+03A9) não tem representação em Windows-1252");
    }
    EXPECT_THROW(ParaWindows1252("\xC2\x80"), ErroDeEntrada);  // C1 control not in the table
    EXPECT_THROW(ParaWindows1252("😀"), ErroDeEntrada);
}

TEST(Windows1252, Utf8InvalidoEhErro) {
    EXPECT_THROW(ParaWindows1252("a\xC3"), ErroDeEntrada);         // truncated
    EXPECT_THROW(ParaWindows1252("\xC0\xAF"), ErroDeEntrada);      // overlong
    EXPECT_THROW(ParaWindows1252("\xED\xA0\x80"), ErroDeEntrada);  // surrogate
    EXPECT_THROW(ParaWindows1252("\xE9"), ErroDeEntrada);          // raw Latin-1 byte
}

TEST(Caixa, MaiusculasEMinusculasAcentuadas) {
    EXPECT_EQ(Maiusculas("ação çãéô àü ñ"), "AÇÃO ÇÃÉÔ ÀÜ Ñ");
    EXPECT_EQ(Minusculas("AÇÃO ÇÃÉÔ ÀÜ Ñ"), "ação çãéô àü ñ");
    EXPECT_EQ(Maiusculas("ÿ œ š ž"), "Ÿ Œ Š Ž");
    EXPECT_EQ(Minusculas("Ÿ Œ Š Ž"), "ÿ œ š ž");
    // Without case: kept.
    EXPECT_EQ(Maiusculas("ß × ÷ 1_2 µ"), "ß × ÷ 1_2 µ");
    EXPECT_EQ(Minusculas("× ÷ Ω"), "× ÷ Ω");
    // Invalid bytes pass through.
    EXPECT_EQ(Maiusculas("a\xFF"
                         "b"),
              "A\xFF"
              "B");
}

TEST(Caixa, ComparacaoIgnoraCaixaInclusiveAcentos) {
    EXPECT_TRUE(IguaisSemCaixa("Opções", "OPÇÕES"));
    EXPECT_TRUE(IguaisSemCaixa("statusbd", "StatusBD"));
    EXPECT_TRUE(IguaisSemCaixa("", ""));
    EXPECT_FALSE(IguaisSemCaixa("Opcoes", "Opções"));
    EXPECT_FALSE(IguaisSemCaixa("REF", "REFS"));
    EXPECT_FALSE(IguaisSemCaixa("a", "b"));
    EXPECT_EQ(CompararSemCaixa("abc", "ABD"), -1);
    EXPECT_EQ(CompararSemCaixa("ABD", "abc"), 1);
    EXPECT_EQ(CompararSemCaixa("ab", "AB"), 0);
    EXPECT_EQ(CompararSemCaixa("ab", "ABC"), -1);
    EXPECT_EQ(CompararSemCaixa("ÉZ", "éa"), 1);
}

TEST(Aparar, RemoveBrancosEControlesDasPontas) {
    EXPECT_EQ(Aparar(" \t\r\n x y \x01\r\n"), "x y");
    EXPECT_EQ(Aparar("   "), "");
    EXPECT_EQ(Aparar(""), "");
    EXPECT_EQ(Aparar("ç "), "ç");
}

TEST(DividirJuntar, PedacosVaziosSaoMantidos) {
    EXPECT_EQ(Dividir("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(Dividir("", ','), (std::vector<std::string>{""}));
    EXPECT_EQ(Dividir("abc", ','), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(Juntar({"a", "", "b"}, ", "), "a, , b");
    EXPECT_EQ(Juntar({}, ","), "");
    const std::string texto = "x;y;;z";
    EXPECT_EQ(Juntar(Dividir(texto, ';'), ";"), texto);
}

}  // namespace
}  // namespace zolvek::texto
