#include "comum/decimal.hpp"

#include <gtest/gtest.h>

#include "comum/erros.hpp"

namespace zolvek {
namespace {

Decimal D(const char* t) {
    return Decimal::Ler(t);
}

TEST(DecimalTexto, LeituraGuardaAEscalaEscrita) {
    EXPECT_EQ(D("12.3400").Texto(), "12.3400");
    EXPECT_EQ(D("12.3400").Escala(), 4);
    EXPECT_EQ(D("-0.5").Texto(), "-0.5");
    EXPECT_EQ(D(".5").Texto(), "0.5");
    EXPECT_EQ(D("5.").Texto(), "5");
    EXPECT_EQ(D("  +007 ").Texto(), "7");
    EXPECT_EQ(D("0.000").Texto(), "0.000");
    EXPECT_EQ(D("-0.00").Texto(), "0.00");  // no negative zero
    EXPECT_EQ(D("1.5e3").Texto(), "1500");
    EXPECT_EQ(D("15E-4").Texto(), "0.0015");
    EXPECT_EQ(Decimal(-42).Texto(), "-42");
}

TEST(DecimalTexto, TrintaEOitoDigitosEMaisSaoExatos) {
    const char* maximo = "99999999999999999999999999999999999999";  // 38 nines
    EXPECT_EQ(D(maximo).Texto(), maximo);
    EXPECT_EQ(D(maximo).Digitos(), 38);
    EXPECT_EQ(D("0.00000000000000000000000000000000000001").Texto(),
              "0.00000000000000000000000000000000000001");
    const Decimal quadrado = D(maximo) * D(maximo);
    EXPECT_EQ(quadrado.Texto(),
              "9999999999999999999999999999999999999800000000000000000000000000000000000001");
    EXPECT_FALSE(D(maximo).CabeEm(38, 1));
    EXPECT_TRUE(D(maximo).CabeEm(38, 0));
    EXPECT_TRUE(D("123.456").CabeEm(5, 2));  // three integer digits fit in (5,2)
    EXPECT_FALSE(D("1234.5").CabeEm(5, 2));
}

TEST(DecimalTexto, TextoInvalidoEhErroQueOCita) {
    Decimal d;
    for (const char* t : {"", "-", ".", "1.2.3", "abc", "1e", "1,5", "12a", "1e99999"})
        EXPECT_FALSE(Decimal::TentarLer(t, d)) << t;
    try {
        Decimal::Ler("1,5");
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(), "'1,5' não é um número decimal válido");
    }
    EXPECT_THROW(D("9") * D("1e75") * D("100"), ErroDeEntrada);  // past 76 digits
}

TEST(DecimalTexto, RealEDeRealSemRuidoBinario) {
    EXPECT_EQ(Decimal::DeReal(0.1).Texto(), "0.1");
    EXPECT_EQ(Decimal::DeReal(-1234.5678).Texto(), "-1234.5678");
    EXPECT_EQ(Decimal::DeReal(1e20).Texto(), "100000000000000000000");
    EXPECT_DOUBLE_EQ(D("25.20").ComoReal(), 25.2);
    EXPECT_EQ(D("-7.9").ComoInteiro(), -7);
}

TEST(DecimalAritmetica, SomaESubtracaoSaoExatas) {
    // In binary floating point 0.1 + 0.2 != 0.3.
    EXPECT_EQ(D("0.1") + D("0.2"), D("0.3"));
    EXPECT_EQ((D("0.1") + D("0.2")).Texto(), "0.3");
    EXPECT_EQ((D("1.25") - D("3")).Texto(), "-1.75");
    EXPECT_EQ((D("1.250") + D("0.0001")).Escala(), 4);
    EXPECT_EQ((-D("2.5")).Texto(), "-2.5");
}

TEST(DecimalAritmetica, ProdutoSomaAsEscalas) {
    EXPECT_EQ((D("1.5") * D("0.25")).Texto(), "0.375");
    EXPECT_EQ((D("18") * D("140") * D("0.01")).Texto(), "25.20");
    EXPECT_EQ((D("-3.00") * D("2")).Texto(), "-6.00");
}

TEST(DecimalAritmetica, DivisaoComEscalaEArredondamento) {
    EXPECT_EQ(D("10").Dividir(D("3"), 4, Arredondamento::Truncar).Texto(), "3.3333");
    EXPECT_EQ(D("2").Dividir(D("3"), 2, Arredondamento::MetadeLongeDoZero).Texto(), "0.67");
    EXPECT_EQ(D("-2").Dividir(D("3"), 2, Arredondamento::MetadeLongeDoZero).Texto(), "-0.67");
    EXPECT_EQ(D("1").Dividir(D("8"), 2, Arredondamento::MetadeParaPar).Texto(), "0.12");
    EXPECT_EQ(D("3").Dividir(D("8"), 2, Arredondamento::MetadeParaPar).Texto(), "0.38");
    EXPECT_EQ(D("1").Dividir(D("0.001"), 0, Arredondamento::Truncar).Texto(), "1000");
    // SQL Server's default: 2.0/3 is 0.666666 (scale max(6, 1+1+1), digits dropped).
    EXPECT_EQ((D("2.0") / D("3")).Texto(), "0.666666");
    try {
        D("1") / D("0.00");
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(), "Divisão por zero");
    }
}

TEST(DecimalArredondamento, MetadeParaParEMetadeLongeDoZero) {
    using enum Arredondamento;
    EXPECT_EQ(D("0.125").Arredondar(2, MetadeParaPar).Texto(), "0.12");
    EXPECT_EQ(D("0.135").Arredondar(2, MetadeParaPar).Texto(), "0.14");
    EXPECT_EQ(D("-0.125").Arredondar(2, MetadeParaPar).Texto(), "-0.12");
    EXPECT_EQ(D("0.1251").Arredondar(2, MetadeParaPar).Texto(), "0.13");
    EXPECT_EQ(D("0.125").Arredondar(2, MetadeLongeDoZero).Texto(), "0.13");
    EXPECT_EQ(D("-0.125").Arredondar(2, MetadeLongeDoZero).Texto(), "-0.13");
    EXPECT_EQ(D("2.5").Arredondar(0, MetadeParaPar).Texto(), "2");
    EXPECT_EQ(D("3.5").Arredondar(0, MetadeParaPar).Texto(), "4");
    EXPECT_EQ(D("1234.5").Arredondar(-2, MetadeLongeDoZero).Texto(), "1200");
    EXPECT_EQ(D("1250").Arredondar(-2, MetadeParaPar).Texto(), "1200");
    EXPECT_EQ(D("1.5").Arredondar(3).Texto(), "1.500");  // more places: same value
}

TEST(DecimalArredondamento, TruncarCortaEmDirecaoAoZero) {
    EXPECT_EQ(D("3.339").Truncar(2).Texto(), "3.33");
    EXPECT_EQ(D("-3.339").Truncar(2).Texto(), "-3.33");
    EXPECT_EQ(D("1234.9999999").Truncar(0).Texto(), "1234");
    EXPECT_EQ(D("0.004").Truncar(2).Texto(), "0.00");
    EXPECT_EQ(D("7").ComEscala(2).Texto(), "7.00");
    EXPECT_THROW(D("7.123").ComEscala(2), ErroDeEntrada);
}

TEST(DecimalComparacao, ValoresIguaisComEscalasDiferentes) {
    EXPECT_EQ(D("1.50"), D("1.5"));
    EXPECT_LT(D("-2"), D("-1.99"));
    EXPECT_GT(D("0.001"), Decimal());
    EXPECT_TRUE(D("0.000").Zero());
    EXPECT_EQ(D("-0.01").Sinal(), -1);
}

}  // namespace
}  // namespace zolvek
