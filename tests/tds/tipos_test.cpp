// Each data type written as the server writes it and read back as a client sends it.
#include <gtest/gtest.h>

#include "comum/erros.hpp"
#include "simulador/tds/colunas.hpp"
#include "simulador/tds/tipos_tds.hpp"

namespace zolvek::simulador::tds {
namespace {

TipoTds Tipo(std::uint8_t tipo, std::uint32_t tamanho = 0, std::uint8_t precisao = 0,
             std::uint8_t escala = 0) {
    TipoTds t;
    t.tipo = tipo;
    t.tamanho = tamanho;
    t.precisao = precisao;
    t.escala = escala;
    if (tipo == kNVarChar || tipo == kVarChar || tipo == kNChar) t.colacao = {9, 4, 0xD0, 0, 0x34};
    return t;
}

// The value after a trip through TYPE_INFO and the value's bytes.
db::Valor IdaEVolta(const TipoTds& t, const db::Valor& v) {
    Escritor e;
    EscreverInfoDeTipo(e, t);
    EscreverValor(e, t, v);
    Leitor l(e.Dados());
    const TipoTds lido = LerInfoDeTipo(l);
    db::Valor r = LerValor(l, lido);
    EXPECT_TRUE(l.Fim()) << NomeSql(t);
    return r;
}

TEST(TiposTds, NumerosExatosEAproximadosIdaEVolta) {
    EXPECT_EQ(IdaEVolta(Tipo(kIntN, 4), std::int64_t{-2147483648LL}),
              db::Valor(std::int64_t{-2147483648LL}));
    EXPECT_EQ(IdaEVolta(Tipo(kIntN, 1), std::int64_t{255}), db::Valor(std::int64_t{255}));
    EXPECT_EQ(IdaEVolta(Tipo(kIntN, 8), std::int64_t{9007199254740993}),
              db::Valor(std::int64_t{9007199254740993}));
    EXPECT_THROW(IdaEVolta(Tipo(kIntN, 2), std::int64_t{40000}), Erro);
    EXPECT_EQ(IdaEVolta(Tipo(kBitN, 1), true), db::Valor(true));
    EXPECT_EQ(IdaEVolta(Tipo(kRealN, 8), 0.1), db::Valor(0.1));
    EXPECT_EQ(
        IdaEVolta(Tipo(kDecimalN, 17, 38, 4), db::Decimal{"-12345678901234567890123456789.1234"}),
        db::Valor(db::Decimal{"-12345678901234567890123456789.1234"}));
    // rounded half away from zero to the column's scale, as SQL Server converts
    EXPECT_EQ(IdaEVolta(Tipo(kDecimalN, 5, 5, 2), db::Decimal{"1.005"}),
              db::Valor(db::Decimal{"1.01"}));
    EXPECT_EQ(IdaEVolta(Tipo(kDecimalN, 5, 3, 0), std::int64_t{0}), db::Valor(db::Decimal{"0"}));
    EXPECT_THROW(IdaEVolta(Tipo(kDecimalN, 5, 3, 0), db::Decimal{"1000"}), Erro);
    EXPECT_EQ(IdaEVolta(Tipo(kDinheiroN, 8), db::Decimal{"-922337203685477.5808"}),
              db::Valor(db::Decimal{"-922337203685477.5808"}));
    EXPECT_EQ(IdaEVolta(Tipo(kDinheiroN, 4), db::Decimal{"-3.25"}),
              db::Valor(db::Decimal{"-3.2500"}));
    EXPECT_EQ(IdaEVolta(Tipo(kIntN, 4), db::Valor{}), db::Valor{});
}

TEST(TiposTds, DatasEHorasIdaEVolta) {
    const db::DataHora d{2024, 2, 29, 23, 59, 59, 997};
    EXPECT_EQ(IdaEVolta(Tipo(kDataHoraN, 8), d), db::Valor(d));
    // datetime keeps three-hundredths of a second: .999 is the next day
    EXPECT_EQ(IdaEVolta(Tipo(kDataHoraN, 8), db::DataHora{2024, 12, 31, 23, 59, 59, 999}),
              db::Valor(db::DataHora{2025, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(IdaEVolta(Tipo(kDataHoraN, 4), db::DataHora{2024, 1, 2, 10, 30, 29, 0}),
              db::Valor(db::DataHora{2024, 1, 2, 10, 30, 0, 0}));
    const db::DataHora fina{1, 1, 1, 12, 0, 0, 123, 4567};
    EXPECT_EQ(IdaEVolta(Tipo(kDataHora2N, 0, 0, 7), fina), db::Valor(fina));
    EXPECT_EQ(IdaEVolta(Tipo(kDataN, 3), db::DataHora{9999, 12, 31}),
              db::Valor(db::DataHora{9999, 12, 31}));
    // time(3) keeps the milliseconds; the date part is the default one
    EXPECT_EQ(IdaEVolta(Tipo(kHoraN, 0, 0, 3), db::DataHora{1899, 12, 30, 8, 1, 2, 345, 6789}),
              db::Valor(db::DataHora{1899, 12, 30, 8, 1, 2, 345}));
    EXPECT_THROW(IdaEVolta(Tipo(kDataHoraN, 8), db::DataHora{1700, 1, 1}), Erro);
}

TEST(TiposTds, TextosBinariosGuidEVariante) {
    EXPECT_EQ(IdaEVolta(Tipo(kNVarChar, 80), std::string("Ação 😀")),
              db::Valor(std::string("Ação 😀")));
    std::string longo(100000, 'x');
    EXPECT_EQ(IdaEVolta(Tipo(kNVarChar, kTamanhoMax), longo), db::Valor(longo));
    EXPECT_EQ(IdaEVolta(Tipo(kVarChar, 20), std::string("Opção€")),
              db::Valor(std::string("Opção€")));
    EXPECT_EQ(IdaEVolta(Tipo(kVarChar, 20), std::string("日本")), db::Valor(std::string("??")));
    EXPECT_EQ(IdaEVolta(Tipo(kNChar, 8), std::string("ab")), db::Valor(std::string("ab  ")));
    EXPECT_THROW(IdaEVolta(Tipo(kNVarChar, 4), std::string("abc")), Erro);
    EXPECT_EQ(IdaEVolta(Tipo(kVarBinario, kTamanhoMax), db::Bytes{0, 1, 255}),
              db::Valor(db::Bytes{0, 1, 255}));
    EXPECT_EQ(IdaEVolta(Tipo(kVarBinario, kTamanhoMax), db::Valor{}), db::Valor{});
    EXPECT_EQ(IdaEVolta(Tipo(kBinario, 4), db::Bytes{1}), db::Valor(db::Bytes{1, 0, 0, 0}));
    EXPECT_EQ(IdaEVolta(Tipo(kGuid, 16), std::string("6F9619FF-8B86-D011-B42D-00C04FC964FF")),
              db::Valor(std::string("6F9619FF-8B86-D011-B42D-00C04FC964FF")));
    EXPECT_EQ(IdaEVolta(Tipo(kVariante, 8009), std::int64_t{7}), db::Valor(std::int64_t{7}));
    EXPECT_EQ(IdaEVolta(Tipo(kVariante, 8009), db::Decimal{"-1.50"}),
              db::Valor(db::Decimal{"-1.50"}));
    EXPECT_EQ(IdaEVolta(Tipo(kVariante, 8009), std::string("é")), db::Valor(std::string("é")));
    EXPECT_EQ(IdaEVolta(Tipo(kVariante, 8009), db::Valor{}), db::Valor{});
}

TEST(TiposTds, ColunasTomamOTipoDaCategoriaEDosValores) {
    db::Resultado r;
    auto coluna = [](db::TipoDeCampo tipo, int tamanho = 0, int precisao = 0) {
        db::Coluna c;
        c.tipo = tipo;
        c.tamanho = tamanho;
        c.precisao = precisao;
        return c;
    };
    const auto texto = coluna(db::TipoDeCampo::String, 10);
    const auto exato = coluna(db::TipoDeCampo::Float);
    const auto real = coluna(db::TipoDeCampo::Float, 0, 53);
    const auto inteiro = coluna(db::TipoDeCampo::Integer);
    const auto memo = coluna(db::TipoDeCampo::Memo);
    r.colunas = {texto, exato, real, inteiro, memo};
    r.linhas = {{std::string(5000, 'a'), db::Decimal{"12.345"}, 1.5, std::int64_t{5000000000}, {}},
                {{}, db::Decimal{"-1.5"}, {}, std::int64_t{1}, std::string("x")}};
    const auto c = DescreverColunas(r);
    EXPECT_EQ(NomeSql(c[0].tipo), "nvarchar(max)");  // a value longer than nvarchar(4000)
    EXPECT_EQ(NomeSql(c[1].tipo), "decimal(5,3)");
    EXPECT_EQ(NomeSql(c[2].tipo), "float");
    EXPECT_EQ(NomeSql(c[3].tipo), "bigint");  // a value past int
    EXPECT_EQ(NomeSql(c[4].tipo), "nvarchar(max)");
}

// A value its column's type cannot hold is SQL Server's error, with its number: the answer
// sends it as raised.
TEST(TiposTds, ValorQueNaoCabeEhOErroDoServidor) {
    const auto erro = [](const TipoTds& t, const db::Valor& v) {
        try {
            IdaEVolta(t, v);
        } catch (const ErroDeBanco& e) {
            return std::to_string(e.Numero()) + ": " + e.what();
        }
        return std::string("(sem erro)");
    };
    EXPECT_EQ(erro(Tipo(kIntN, 2), std::int64_t{40000}),
              "8115: Arithmetic overflow error converting expression to data type int.");
    EXPECT_EQ(erro(Tipo(kDecimalN, 5, 3, 0), db::Decimal{"1000"}),
              "8115: Arithmetic overflow error converting expression to data type numeric.");
    EXPECT_EQ(erro(Tipo(kDinheiroN, 8), db::Decimal{"922337203685478"}),
              "8115: Arithmetic overflow error converting expression to data type money.");
}

}  // namespace
}  // namespace zolvek::simulador::tds
