#include "maintenance/imposto_do_item.hpp"

#include <gtest/gtest.h>

#include <map>

namespace zolvek::manutencao {
namespace {

Decimal D(const char* t) {
    return Decimal::Ler(t);
}

// A sale of 100.00 inside SP, product CST "60" with MVA 40, ICMS 18%, no IPI, no
// discount; each test changes what it is about.
struct Caso {
    ItemDoDocumento item;
    ValoresConsultados v;
    Caso() {
        item.vendas = true;
        item.tipo = "Venda";
        item.valor = D("100.00");
        item.aliqIcms = D("18.00");
        item.totItens = D("100.00");
        v.estadoDoLocal = "SP";
        v.estadoDoParceiro = "SP";
        v.codIcmsDoProduto = "60";
        v.mvaDoProduto = D("40.00");
        v.aplicacao = "R";
    }
    ImpostosDoItem Calcular() const { return CalcularImpostosDoItem(item, v); }
};

std::map<std::string, std::string> Colunas(const ItemDoDocumento& item, const ImpostosDoItem& f) {
    std::map<std::string, std::string> m;
    for (const auto& [nome, valor] : ColunasDosImpostos(item, f)) m[nome] = valor.Texto();
    return m;
}

TEST(TruncarEmCentavos, CortaOsCentavosDepoisDeArredondarA4Casas) {
    EXPECT_EQ(TruncarEmCentavos(D("12.3456")).Texto(), "12.34");
    EXPECT_EQ(TruncarEmCentavos(D("12.349999999")).Texto(), "12.35");
    EXPECT_EQ(TruncarEmCentavos(D("-3.339")).Texto(), "-3.33");
    EXPECT_EQ(TruncarEmCentavos(D("7")).Texto(), "7.00");
    // Half to even at the fourth place of the cents: 1234.99995 goes up (9 is odd),
    // 1234.99985 stays (8 is even) and is then cut.
    EXPECT_EQ(TruncarEmCentavos(D("12.3499995")).Texto(), "12.35");
    EXPECT_EQ(TruncarEmCentavos(D("12.3499985")).Texto(), "12.34");
    // A quotient is rounded from its exact value, not from a cut-off expansion.
    EXPECT_EQ(TruncarEmCentavos(D("1000"), D("300")).Texto(), "3.33");
    EXPECT_EQ(TruncarEmCentavos(D("2"), D("3")).Texto(), "0.66");
}

TEST(ImpostoDoItem, SubstituicaoDentroDoEstado) {
    const ImpostosDoItem f = Caso().Calcular();
    EXPECT_EQ(f.baseSt, D("140"));
    EXPECT_EQ(f.icmsSt.Texto(), "25.20");
    EXPECT_EQ(f.baseIcms, D("100"));
    EXPECT_EQ(f.icms, D("18"));
    EXPECT_EQ(f.isentasIpi, D("100"));
    EXPECT_EQ(f.codIcms, "60");
}

TEST(ImpostoDoItem, SemSubstituicaoEntreEstados) {
    Caso c;
    c.v.estadoDoParceiro = "RJ";
    const ImpostosDoItem f = c.Calcular();
    EXPECT_TRUE(f.baseSt.Zero());
    EXPECT_TRUE(f.icmsSt.Zero());
    EXPECT_EQ(f.baseIcms, D("100"));
    EXPECT_EQ(f.icms, D("18"));
}

TEST(ImpostoDoItem, BaseReduzidaDoDocumentoUsaSituacao20MasGravaOCodigoDoProduto) {
    Caso c;
    c.item.baseReduzida = "S";
    c.item.redIcms = D("30.00");
    c.item.valor = D("200.00");
    c.item.totItens = D("200.00");
    c.v.codIcmsDoProduto = "00";
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.isencao, D("60"));
    EXPECT_EQ(f.baseIcms, D("140"));
    EXPECT_EQ(f.icms, D("25.2"));
    EXPECT_TRUE(f.baseSt.Zero());  // the margin is not read under a reduced base
    EXPECT_EQ(f.codIcms, "00");
}

TEST(ImpostoDoItem, CompraParaConsumoOuDoExteriorVaiToda_paraOutras) {
    Caso c;
    c.item.vendas = false;
    c.item.tipo = "Entrada";
    c.item.ipi = D("10.00");
    c.item.ipiTotal = D("10.00");
    c.item.descInc = D("11.00");
    c.item.totItens = D("110.00");
    c.v.codIcmsDoProduto = "00";
    c.v.aplicacao = "c";  // compared in upper case
    ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.outras, D("99"));  // 100 + 10 less 11 of discount
    EXPECT_TRUE(f.baseIcms.Zero());
    EXPECT_TRUE(f.icms.Zero());
    EXPECT_TRUE(f.naoIncidencia.Zero());
    EXPECT_EQ(f.baseIpi, D("100"));
    EXPECT_EQ(Colunas(c.item, f)["BASEIPI"], "100.00");
    EXPECT_EQ(Colunas(c.item, f).count("IcmsSemIsenção"), 0u);
    EXPECT_EQ(Colunas(c.item, f).count("ICMS"), 1u);
    EXPECT_EQ(Colunas(c.item, f).count("LF_SUBTRIB"), 1u);

    c.v.aplicacao = "R";
    c.v.estadoDoParceiro = "EX";  // supplier abroad: the same booking
    f = c.Calcular();
    EXPECT_EQ(f.outras, D("99"));
    EXPECT_TRUE(f.baseIcms.Zero());
}

TEST(ImpostoDoItem, SemTotalDeItensNaoHaRateioDoDesconto) {
    Caso c;
    c.v.codIcmsDoProduto = "00";
    c.item.descInc = D("10.00");
    c.item.totItens = D("0");
    EXPECT_EQ(c.Calcular().baseIcms, D("100"));
    // The items total less the IPI charged on the items is 0: no share either.
    c.item.totItens = D("10.00");
    c.item.ipiTotal = D("10.00");
    EXPECT_EQ(c.Calcular().baseIcms, D("100"));
}

TEST(ImpostoDoItem, RateioDoDescontoTruncaEmCentavos) {
    Caso c;
    c.v.codIcmsDoProduto = "00";
    c.item.descInc = D("10.00");
    c.item.totItens = D("300.00");
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.baseIcms, D("96.67"));       // 3.33 of discount, not 3.34
    EXPECT_EQ(f.icms.Texto(), "17.400600");  // not rounded
}

TEST(ImpostoDoItem, SemIpiNoDocumentoAsColunasDeIpiFicamZeradas) {
    Caso c;
    c.item.ipi = D("5.00");
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.baseIpi, D("100"));
    auto colunas = Colunas(c.item, f);
    EXPECT_EQ(colunas["BASEIPI"], "0");
    EXPECT_EQ(colunas["ISENTASIPI"], "0");
    EXPECT_EQ(colunas["OUTRASIPI"], "0");
    c.item.ipiTotal = D("5.00");
    colunas = Colunas(c.item, f);
    EXPECT_EQ(colunas["BASEIPI"], "100.00");
    EXPECT_EQ(colunas["ISENTASIPI"], "0");
    EXPECT_EQ(ColunasDosImpostos(c.item, f).front().first, "BASECALC");
}

TEST(ImpostoDoItem, OrgaoPublicoUsaOValorSemIsencaoELevaOIcmsParaOutraColuna) {
    Caso c;
    c.item.tipo = "Orgão Público";
    c.item.valor = D("50.00");
    c.item.valorSemIsencao = D("100.00");
    c.v.codIcmsDoProduto = "00";
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.baseIcms, D("100"));
    EXPECT_EQ(f.icmsSemIsencao, D("18"));
    EXPECT_TRUE(f.icms.Zero());
    EXPECT_EQ(Colunas(c.item, f)["ICM"], "0");
    EXPECT_EQ(Colunas(c.item, f)["IcmsSemIsenção"], "18.000000");
}

// Figures computed by hand.
TEST(ImpostoDoItem, VendaInterestadualComIpiEDesconto) {
    Caso c;
    c.v.estadoDoParceiro = "MG";
    c.v.codIcmsDoProduto = "00";
    c.item.valor = D("1000.00");
    c.item.ipi = D("100.00");
    c.item.ipiTotal = D("150.00");
    c.item.ipiDespesasInclusas = D("50.00");
    c.item.totItens = D("2100.00");
    c.item.descInc = D("21.00");
    c.item.aliqIcms = D("12.00");
    // itens = 2100 - (150 - 50) = 2000; desconto = 21 * 1000 / 2000 = 10.50
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.naoIncidencia, D("100"));
    EXPECT_EQ(f.baseIcms, D("989.50"));
    EXPECT_EQ(f.icms, D("118.74"));
    EXPECT_EQ(f.baseIpi, D("1000"));
    EXPECT_TRUE(f.isentasIpi.Zero());
}

TEST(ImpostoDoItem, SubstituicaoComIpiNaBaseParaAtivo) {
    Caso c;
    c.v.aplicacao = "A";
    c.v.mvaDoProduto = D("35.50");
    c.item.valor = D("200.00");
    c.item.ipi = D("20.00");
    c.item.totItens = D("220.00");
    // base = 220; base ST = (220 + 20) * 1.355 = 325.20; ICMS ST = 58.536 cut to 58.53
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.baseIcms, D("220"));
    EXPECT_EQ(f.baseSt, D("325.2"));
    EXPECT_EQ(f.icmsSt.Texto(), "58.53");
    EXPECT_EQ(f.icms, D("39.6"));
}

TEST(ImpostoDoItem, ReducaoDoProdutoGuardaTodasAsCasas) {
    Caso c;
    c.v.codIcmsDoProduto = "20";
    c.item.redIcms = D("33.33");
    c.item.valor = D("150.00");
    c.item.totItens = D("150.00");
    // redução = 150 * 33.33% = 49.995; base = 100.005; ICMS = 18.0009
    const ImpostosDoItem f = c.Calcular();
    EXPECT_EQ(f.isencao, D("49.995"));
    EXPECT_EQ(f.baseIcms, D("100.005"));
    EXPECT_EQ(f.icms, D("18.0009"));
}

TEST(ImpostoDoItem, CadaSituacaoVaiParaSuaColuna) {
    const std::map<std::string, Decimal ImpostosDoItem::*> destino = {
        {"00", &ImpostosDoItem::baseIcms},      {"10", &ImpostosDoItem::substituicao},
        {"30", &ImpostosDoItem::isencao},       {"40", &ImpostosDoItem::isencao},
        {"41", &ImpostosDoItem::naoIncidencia}, {"50", &ImpostosDoItem::suspensao},
        {"51", &ImpostosDoItem::diferimento},   {"70", &ImpostosDoItem::substituicao},
        {"90", &ImpostosDoItem::outras},
    };
    for (const auto& [cst, membro] : destino) {
        Caso c;
        c.v.codIcmsDoProduto = cst;
        const ImpostosDoItem f = c.Calcular();
        EXPECT_EQ(f.*membro, D("100")) << cst;
        EXPECT_TRUE(f.baseSt.Zero()) << cst;
    }
    // An unknown code, or a product without a row, books nothing.
    for (const char* cst : {"99", ""}) {
        Caso c;
        c.v.codIcmsDoProduto = cst;
        const ImpostosDoItem f = c.Calcular();
        EXPECT_TRUE(f.baseIcms.Zero() && f.isencao.Zero() && f.outras.Zero() && f.icms.Zero());
        EXPECT_EQ(f.codIcms, cst);
    }
}

TEST(ImpostoDoItem, EstadosDeOrigemEDestinoPorTipo) {
    Caso c;
    c.v.estadoDoLocal = "SP";
    c.v.estadoDoParceiro = "PR";
    auto estados = [&](bool vendas, const char* tipo) {
        c.item.vendas = vendas;
        c.item.tipo = tipo;
        const EstadosDaOperacao e = DefinirEstados(c.item, c.v);
        return e.origem + ">" + e.destino;
    };
    EXPECT_EQ(estados(true, "Venda"), "SP>PR");
    EXPECT_EQ(estados(true, "Retorno"), "PR>SP");
    EXPECT_EQ(estados(true, "Retorno de venda"), "PR>SP");
    EXPECT_EQ(estados(true, "retorno"), "SP>PR");  // exact, case-sensitive
    EXPECT_EQ(estados(true, "Transferência"), "SP>PR");
    EXPECT_EQ(estados(false, "Entrada"), "PR>SP");
    EXPECT_EQ(ParceiroDaOperacao(true, "Transferência só fiscal"), Parceiro::LocalDeDestino);
    EXPECT_EQ(ParceiroDaOperacao(true, "Retorno"), Parceiro::Cliente);
    EXPECT_EQ(ParceiroDaOperacao(false, "Transferência"), Parceiro::Fornecedor);
}

}  // namespace
}  // namespace zolvek::manutencao
