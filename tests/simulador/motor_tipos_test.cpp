#include <gtest/gtest.h>

#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/tipos/tipos.hpp"

using namespace zolvek::simulador;
using zolvek::db::DataHora;
using zolvek::db::TipoDeCampo;

TEST(Colacao, SemCaixaComAcentosEBrancosNoFim) {
    EXPECT_EQ(CompararCiAs("AÇÃO", "ação"), 0);
    EXPECT_NE(CompararCiAs("acao", "ação"), 0);
    EXPECT_EQ(CompararCiAs("abc   ", "ABC"), 0);
    EXPECT_LT(CompararCiAs("álamo", "Alfa"), 0);
    EXPECT_LT(CompararCiAs("Alfa", "beta"), 0);
    EXPECT_LT(CompararCiAs("a", "á"), 0);
    EXPECT_EQ(Dobrar("Opções  "), "opções");
}

TEST(Tipos, DatasLidasEArredondadas) {
    DataHora d;
    ASSERT_TRUE(LerDataHora("20000101", d));
    EXPECT_EQ(FormatarDataHora(d), "2000-01-01 00:00:00.000");
    ASSERT_TRUE(LerDataHora("2021-03-04T05:06:07.8", d));
    EXPECT_EQ(FormatarDataHora(d), "2021-03-04 05:06:07.800");
    ASSERT_TRUE(LerDataHora("04/03/2021 1:02 PM", d));
    EXPECT_EQ(FormatarDataHora(d), "2021-03-04 13:02:00.000");
    EXPECT_FALSE(LerDataHora("2021-02-29", d));
    EXPECT_FALSE(LerDataHora("amanhã", d));
    d = DataHora{2020, 1, 1, 10, 0, 0, 998};
    EXPECT_EQ(FormatarDataHora(ArredondarDataHora(d)), "2020-01-01 10:00:00.997");
    d.milissegundo = 999;
    EXPECT_EQ(FormatarDataHora(ArredondarDataHora(d)), "2020-01-01 10:00:01.000");
    EXPECT_EQ(DiasDesde1900(DataHora{1900, 1, 2, 12, 0, 0, 0}), 1.5);
    EXPECT_EQ(FormatarDataHora(DataHoraDeDias1900(1.5)), "1900-01-02 12:00:00.000");
}

TEST(Tipos, CategoriasENumerosDoCatalogo) {
    auto t = LerTextoDeTipo("decimal(15,2)");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(TextoDoTipo(*t), "decimal(15,2)");
    EXPECT_EQ(CategoriaDoTipo(*t), TipoDeCampo::Float);
    EXPECT_EQ(ComprimentoEmBytes(*t), 9);
    t = LerTextoDeTipo("nvarchar(max)");
    EXPECT_EQ(CategoriaDoTipo(*t), TipoDeCampo::Memo);
    EXPECT_EQ(ComprimentoEmBytes(*t), -1);
    EXPECT_EQ(PrecisaoDoCatalogo(*t), -1);
    t = LerTextoDeTipo("nvarchar(40)");
    EXPECT_EQ(ComprimentoEmBytes(*t), 80);
    EXPECT_EQ(PrecisaoDoCatalogo(*t), 40);
    EXPECT_EQ(CategoriaDoTipo(*LerTextoDeTipo("rowversion")), TipoDeCampo::Bytes);
    EXPECT_EQ(NomeDoTipo(LerTextoDeTipo("rowversion")->base), "timestamp");
    EXPECT_EQ(CategoriaDoTipo(*LerTextoDeTipo("money")), TipoDeCampo::Currency);
    EXPECT_EQ(CategoriaDoTipo(*LerTextoDeTipo("varbinary(10)")), TipoDeCampo::Blob);
    EXPECT_EQ(CategoriaDoTipo(*LerTextoDeTipo("float(10)")), TipoDeCampo::Float);
    EXPECT_EQ(LerTextoDeTipo("float(10)")->base, TipoBase::Real);
    EXPECT_FALSE(LerTextoDeTipo("naoexiste").has_value());
    EXPECT_EQ(FormatarDecimal(-0.001, 2), "0.00");
    EXPECT_EQ(FormatarDecimal(12.345, 2), "12.35");
}
