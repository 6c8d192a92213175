#include <gtest/gtest.h>

#include "auxiliares.hpp"

namespace zolvek::dicionario {
namespace {

using teste::Carregar;
using teste::ComCabecalho;
using teste::LinhaDeCampo;

class Modelo : public ::testing::Test {
  protected:
    void SetUp() override {
        Carregar(d, ComCabecalho({
                        "Tabela",
                        "Opções,\"Opções do programa\",N,",
                        "Campos",
                        LinhaDeCampo("Identificador", "C", "100"),
                        LinhaDeCampo("Opções", "M", "0"),
                        "Tabela",
                        "CLIENTE,Primeiro,N,",
                        "Campos",
                        LinhaDeCampo("CLIENTE", "S"),
                        LinhaDeCampo("Nome", "C"),
                        LinhaDeCampo("nome", "C", "99"),
                        "Tabela",
                        "cliente,Segundo,N,",
                        "Campos",
                        LinhaDeCampo("EXTRA", "C"),
                    }));
    }
    DicionarioDeDados d;
};

TEST_F(Modelo, ObterTabelaDicComEsemPrefixoDbo) {
    ASSERT_NE(d.ObterTabelaDic("dbo.CLIENTE"), nullptr);
    EXPECT_EQ(d.ObterTabelaDic("dbo.CLIENTE")->Descricao, "Primeiro");
    // The prefix is dropped only in lower case; "DBO.CLIENTE" is looked up whole.
    EXPECT_EQ(d.ObterTabelaDic("DBO.CLIENTE"), nullptr);
    EXPECT_EQ(d.ObterTabelaDic("Dbo.cliente"), nullptr);
    // Case is ignored, accents included; duplicates give the first.
    EXPECT_EQ(d.ObterTabelaDic("cliente")->Descricao, "Primeiro");
    EXPECT_EQ(d.ObterTabelaDic("OPÇÕES")->Nome, "Opções");
    EXPECT_EQ(d.ObterTabelaDic("Opcoes"), nullptr);
    EXPECT_EQ(d.ObterTabelaDic(""), nullptr);
}

TEST_F(Modelo, ObterCampoDicEExisteCampo) {
    TabelaDic* cliente = d.ObterTabelaDic("CLIENTE");
    ASSERT_NE(cliente, nullptr);
    ASSERT_NE(ObterCampoDic(*cliente, "NOME"), nullptr);
    EXPECT_EQ(ObterCampoDic(*cliente, "NOME")->Tamanho, 10);  // the first of the two
    EXPECT_EQ(ObterCampoDic(*cliente, "EXTRA"), nullptr);
    // Any table of that name counts, not only the first.
    EXPECT_TRUE(d.ExisteCampoNoDicionario("CLIENTE", "extra"));
    EXPECT_TRUE(d.ExisteCampoNoDicionario("opções", "IDENTIFICADOR"));
    EXPECT_FALSE(d.ExisteCampoNoDicionario("dbo.CLIENTE", "Nome"));
    EXPECT_FALSE(d.ExisteCampoNoDicionario("CLIENTE", "Outro"));
    // The model can be widened in place by the analysis.
    ObterCampoDic(*cliente, "Nome")->Tamanho = 60;
    EXPECT_EQ(d.Tabelas()[1].Campos[1].Tamanho, 60);
}

TEST_F(Modelo, NovaCargaSubstituiTudo) {
    Carregar(d, ComCabecalho({"Tabela", "OUTRA,x,N,", "Campos"}, "8"));
    EXPECT_EQ(d.RevisaoDoDicionario(), 8);
    EXPECT_EQ(d.ObterTabelaDic("CLIENTE"), nullptr);
    EXPECT_FALSE(d.ExisteCampoNoDicionario("CLIENTE", "Nome"));
    EXPECT_EQ(d.Tabelas().size(), 1u);
    d.Limpar();
    EXPECT_EQ(d.RevisaoDoDicionario(), -1);
    EXPECT_TRUE(d.Tabelas().empty());
}

CampoDic Campo(char tipo, int tamanho = 0, int decimais = 0) {
    CampoDic c;
    c.Tipo = tipo;
    c.Tamanho = tamanho;
    c.Decimais = decimais;
    return c;
}

TEST(CampoDic, CategoriaDeDados) {
    using K = CategoriaDeDados;
    EXPECT_EQ(Campo('c').Categoria(), K::Texto);
    EXPECT_EQ(Campo('N', 9, 0).Categoria(), K::Inteiro);
    EXPECT_EQ(Campo('N', 10, 0).Categoria(), K::Flutuante);
    EXPECT_EQ(Campo('N', 5, 2).Categoria(), K::Flutuante);
    EXPECT_EQ(Campo('F', 5, 0).Categoria(), K::Flutuante);
    EXPECT_EQ(Campo('R').Categoria(), K::Bytes);
    EXPECT_EQ(Campo('s').Categoria(), K::Nenhuma);  // case matters
    EXPECT_EQ(Campo('\0').Categoria(), K::Nenhuma);
}

TEST(CampoDic, ListaDeValoresValidos) {
    CampoDic c;
    using V = std::vector<std::string>;
    EXPECT_EQ(c.ListaDeValoresValidos(), V{});
    c.ValoresValidos = "*S,N";
    EXPECT_EQ(c.ListaDeValoresValidos(), V{});
    c.ValoresValidos = "Sim,Não";
    EXPECT_EQ(c.ListaDeValoresValidos(), (V{"Sim", "Não"}));
    c.ValoresValidos = "Pessoa física";  // no comma: the whole text is the one value
    EXPECT_EQ(c.ListaDeValoresValidos(), (V{"Pessoa física"}));
    c.ValoresValidos = "Em aberto,\"Pago, parcial\",Pago";
    EXPECT_EQ(c.ListaDeValoresValidos(), (V{"Em", "aberto", "Pago, parcial", "Pago"}));
}

TEST(CampoDic, ObrigatorioSomenteComSMaiusculo) {
    DicionarioDeDados d;
    Carregar(d, ComCabecalho({"Tabela", "T,d,N,", "Campos", "A,C,1,0,,,,,,,,S,,,,",
                              "B,C,1,0,,,,,,,,s,,,,", "C,C,1,0,,,,,,,,Sim,,,,",
                              "D,c,1,0,,,\"S,N\",,,,,,,,,"}));
    const auto& campos = d.Tabelas()[0].Campos;
    EXPECT_TRUE(campos[0].Obrigatorio);
    EXPECT_FALSE(campos[1].Obrigatorio);
    EXPECT_FALSE(campos[2].Obrigatorio);
    EXPECT_EQ(campos[3].Tipo, 'c');
    EXPECT_EQ(campos[3].ListaDeValoresValidos(), (std::vector<std::string>{"S", "N"}));
}

}  // namespace
}  // namespace zolvek::dicionario
