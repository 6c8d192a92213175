#include <gtest/gtest.h>

#include "comum/erros.hpp"
#include "db/conector/entradas_da_conexao.hpp"
#include "db/conector/valor.hpp"

namespace zolvek::db {
namespace {

TEST(Valor, DataHoraFormasDeTextoEDias) {
    const DataHora d{2024, 2, 29, 7, 5, 9, 120};
    EXPECT_EQ(d.TextoIso(), "2024-02-29 07:05:09.120");
    EXPECT_EQ(d.Texto(), "29/02/2024 07:05:09");
    EXPECT_EQ((DataHora{2024, 2, 29, 0, 0, 0, 0}).Texto(), "29/02/2024");
    DataHora lida;
    ASSERT_TRUE(DataHora::LerIso("2024-02-29T07:05:09.1204567", lida));
    EXPECT_EQ(lida, (DataHora{2024, 2, 29, 7, 5, 9, 120, 4567}));  // 100 ns kept
    EXPECT_EQ(lida.TextoIso(7), "2024-02-29 07:05:09.1204567");
    EXPECT_EQ(lida.TextoIso(0), "2024-02-29 07:05:09");
    EXPECT_FALSE(DataHora::LerIso("2023-02-29", lida));
    EXPECT_FALSE(DataHora::LerIso("29/02/2024", lida));
    EXPECT_DOUBLE_EQ(DataHora{}.ComoDias(), 0.0);
    EXPECT_DOUBLE_EQ((DataHora{1900, 1, 1, 12, 0, 0, 0}).ComoDias(), 2.5);
    EXPECT_EQ(DataHora::DeDias(-1.25), (DataHora{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_EQ(DataHora::DeDias(d.ComoDias()), d);
}

TEST(Valor, Conversoes) {
    EXPECT_EQ(ValorComoTexto(Valor{}), "");
    EXPECT_EQ(ValorComoTexto(Valor{std::int64_t{-7}}), "-7");
    EXPECT_EQ(ValorComoTexto(Valor{Decimal{"12.3400"}}), "12.3400");
    EXPECT_EQ(ValorComoTexto(Valor{true}), "True");
    EXPECT_EQ(ValorComoInteiro(Valor{std::string(" 42 ")}), 42);
    EXPECT_EQ(ValorComoInteiro(Valor{Decimal{"2.5000"}}), 3);
    EXPECT_DOUBLE_EQ(ValorComoReal(Valor{std::string("1,5")}), 1.5);
    EXPECT_TRUE(ValorComoLogico(Valor{std::string("Sim")}));
    EXPECT_EQ(ValorComoDataHora(Valor{std::string("31/12/2023 23:59")}),
              (DataHora{2023, 12, 31, 23, 59, 0, 0}));
    try {
        ValorComoInteiro(Valor{std::string("abc")});
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(), "'abc' não é um valor inteiro válido");
    }
    EXPECT_THROW(ValorComoDataHora(Valor{std::string("ontem")}), ErroDeEntrada);
    EXPECT_TRUE(EhBlob(TipoDeCampo::Blob));
    EXPECT_FALSE(EhBlob(TipoDeCampo::Memo));
    EXPECT_STREQ(NomeDoTipo(TipoDeCampo::Currency), "Currency");
}

TEST(EntradasDaConexao, ChavesSemCaixaValoresEntreAspasEErros) {
    const auto e =
        LerEntradasDaConexao(" Provider = SQLOLEDB.1 ;;password=\"a;\"\"b\";Data Source=x");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(ValorDaEntrada(e, "provider"), "SQLOLEDB.1");
    EXPECT_EQ(ValorDaEntrada(e, "Password"), "a;\"b");
    EXPECT_EQ(ValorDaEntrada(e, "User ID"), "");
    EXPECT_THROW(LerEntradasDaConexao("   "), ErroDeEntrada);
    EXPECT_THROW(LerEntradasDaConexao("A=1;lixo"), ErroDeEntrada);
    EXPECT_THROW(LerEntradasDaConexao("=1"), ErroDeEntrada);
    EXPECT_THROW(LerEntradasDaConexao("A=\"aberta"), ErroDeEntrada);
}

}  // namespace
}  // namespace zolvek::db
