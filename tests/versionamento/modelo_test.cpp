#include <gtest/gtest.h>

#include "auxiliares.hpp"
#include "versioning/modelo_de_versionamento.hpp"
#include "versioning/nome_de_identificador.hpp"

namespace zolvek::versionamento {
namespace {

using teste::Campo;
using teste::Tabela;

TEST(ClassesVersionadas, ListasFixasComparadasSemCaixa) {
    EXPECT_EQ(VersionadaEmRegTab().size(), 47u);
    EXPECT_EQ(VersionadaEmRegVer().size(), 9u);
    EXPECT_TRUE(TabelaDaClasse("docrec", ClasseDeVersionamento::F));
    EXPECT_TRUE(TabelaDaClasse("orçamentoit", ClasseDeVersionamento::F));
    EXPECT_TRUE(TabelaDaClasse("TIPREFEXCEÇÃOICMS", ClasseDeVersionamento::F));
    EXPECT_TRUE(TabelaDaClasse("statusbd", ClasseDeVersionamento::P));
    EXPECT_FALSE(TabelaDaClasse("PEMPRESA", ClasseDeVersionamento::F));
    EXPECT_FALSE(TabelaDaClasse("DOCREC", ClasseDeVersionamento::P));
    EXPECT_FALSE(TabelaDaClasse("ORCAMENTO", ClasseDeVersionamento::F));  // accents count
    EXPECT_EQ(TabelaDeHistorico(ClasseDeVersionamento::F), "RegTab");
    EXPECT_EQ(TabelaDeHistorico(ClasseDeVersionamento::P), "RegVer");
}

TEST(ClassesVersionadas, SoTabelasDoDicionarioEmSuaOrdem) {
    dicionario::DicionarioDeDados d;
    d.Tabelas() = {Tabela("cliente", {Campo("CLIENTE", 'N', 9, true)}), Tabela("FERIADOS", {}),
                   Tabela("Filial", {Campo("FILIAL", 'S')}), Tabela("PARFN", {Campo("id", 'S')})};
    const auto f = TabelasVersionadas(d, ClasseDeVersionamento::F);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0]->Nome, "cliente");
    EXPECT_EQ(f[1]->Nome, "Filial");
    const auto p = TabelasVersionadas(d, ClasseDeVersionamento::P);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0]->Nome, "PARFN");
}

TEST(CampoVersionado, RegrasDeExclusao) {
    const auto docpag = Tabela("DocPag", {});
    const auto lcba = Tabela("lcba2hdr", {});
    const auto outra = Tabela("PEDIDO", {});
    EXPECT_FALSE(CampoVersionado(outra, Campo("lctocontabilemedicao", 'L')));
    EXPECT_FALSE(CampoVersionado(docpag, Campo("DataAlt", 'D')));
    EXPECT_FALSE(CampoVersionado(docpag, Campo("DATAINC", 'D')));
    EXPECT_TRUE(CampoVersionado(outra, Campo("DATAALT", 'D')));
    EXPECT_FALSE(CampoVersionado(lcba, Campo("DataDeInclusao", 'D')));
    EXPECT_FALSE(CampoVersionado(lcba, Campo("DATAULTIMAALTERACAO", 'D')));
    EXPECT_TRUE(CampoVersionado(docpag, Campo("DataDeInclusao", 'D')));
    EXPECT_FALSE(CampoVersionado(outra, Campo("Versao", 'R')));
    EXPECT_TRUE(CampoVersionado(outra, Campo("Versao", 'N')));
}

TEST(TipoDeValor, PeloCodigoDoTipo) {
    EXPECT_EQ(TipoDeValorDoCampo(Campo("a", 'B')).Sufixo, "Binario");
    EXPECT_EQ(TipoDeValorDoCampo(Campo("a", 'B')).TipoDaVariavel, "varbinary(max)");
    EXPECT_EQ(TipoDeValorDoCampo(Campo("a", 'M')).TipoDaVariavel, "varchar(max)");
    EXPECT_EQ(TipoDeValorDoCampo(Campo("a", 'C', 51)).Sufixo, "Texto");
    EXPECT_EQ(TipoDeValorDoCampo(Campo("a", 'C', 50)).Sufixo, "String");
    EXPECT_EQ(TipoDeValorDoCampo(Campo("a", 'c', 200)).TipoDaVariavel, "varchar(50)");
    for (char tipo : {'L', 'D', 'H', 'F', 'N', 'I', 'S'})
        EXPECT_EQ(TipoDeValorDoCampo(Campo("a", tipo)).TipoDaVariavel, "varchar(50)") << tipo;
}

TEST(ChaveDoRegistro, IdentityOuNumeroObrigatorioNoPrimeiroCampo) {
    EXPECT_TRUE(TemChaveDoRegistro(Tabela("T", {Campo("Id", 'S')})));
    EXPECT_TRUE(TemChaveDoRegistro(Tabela("T", {Campo("Id", 'N', 9, true)})));
    EXPECT_FALSE(TemChaveDoRegistro(Tabela("T", {Campo("Id", 'N', 9, false)})));
    EXPECT_FALSE(TemChaveDoRegistro(Tabela("T", {Campo("Id", 'C', 9, true), Campo("X", 'S')})));
    EXPECT_FALSE(TemChaveDoRegistro(Tabela("T", {})));
}

TEST(NomeDeIdentificador, PalavrasJuntasSemAcentos) {
    EXPECT_EQ(NomeDeIdentificador("Data de emissão"), "DataDeEmissao");
    EXPECT_EQ(NomeDeIdentificador("Preço"), "Preco");
    EXPECT_EQ(NomeDeIdentificador("idEmpresa"), "IdEmpresa");
    EXPECT_EQ(NomeDeIdentificador("RAZAO_SOC"), "RAZAO_SOC");  // "_" is kept
    EXPECT_EQ(NomeDeIdentificador("ação útil"), "AcaoUtil");
    EXPECT_EQ(NomeDeIdentificador("ÁÃÂÀÇÉÊÈÍÌÓÕÔÒÚÜ"), "AAAACEEEIIOOOOUU");
    EXPECT_EQ(NomeDeIdentificador("xáãâàçéêèíìóõôòúü"), "Xaaaaceeeiioooouu");
    EXPECT_EQ(NomeDeIdentificador("ñandú ä"), "ÑanduÄ");  // other letters keep their marks
}

TEST(NomeDeIdentificador, CadaSeparadorSomeEIniciaPalavra) {
    const std::vector<std::string> separadores = {
        "/", "\\", ".", ",", "[", "]", "+", "-", "*", "?", ">",  "<", ";",
        ":", "{",  "}", "º", "ª", "¢", "§", "=", "(", ")", "&",  "¨", "%",
        "£", "#",  "@", "!", "´", "^", "~", "$", "°", " ", "\"", "'", "`"};
    for (const auto& s : separadores)
        EXPECT_EQ(NomeDeIdentificador("a" + s + "b" + s + s + "c" + s), "ABC") << s;
    EXPECT_EQ(NomeDeIdentificador("Nº do pedido (%)"), "NDoPedido");
    EXPECT_EQ(NomeDeIdentificador("a|b_c"), "A|b_c");
    EXPECT_EQ(NomeDeIdentificador(""), "");
    // A tab, a line break or a no-break space would end the variable's name early.
    EXPECT_EQ(NomeDeIdentificador("a\tint\ndrop\u00A0table"), "AIntDropTable");
}

}  // namespace
}  // namespace zolvek::versionamento
