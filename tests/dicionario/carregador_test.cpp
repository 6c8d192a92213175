#include <gtest/gtest.h>

#include <tuple>

#include "auxiliares.hpp"
#include "comum/erros.hpp"
#include "dictionary/arquivo.hpp"

namespace zolvek::dicionario {
namespace {

using teste::Carregar;
using teste::ComCabecalho;
using teste::LinhaDeCampo;
using teste::PastaTemporaria;

std::string ErroAoCarregar(DicionarioDeDados& d, const std::vector<std::string>& linhas) {
    try {
        Carregar(d, linhas);
    } catch (const ErroDeEntrada& e) {
        return e.what();
    }
    return "(sem erro)";
}

const std::string kVersaoInvalida =
    "Arquivo 'teste.DicD' com o dicionário de dados é inválido, versão deve ser 5";

TEST(Carregador, MarcaDeVersaoExata) {
    DicionarioDeDados d;
    auto linhas = ComCabecalho({});
    linhas[0] = "Dicionário versão 5 ";
    EXPECT_EQ(ErroAoCarregar(d, linhas), kVersaoInvalida);
    linhas[0] = "Dicionário versão 6";
    EXPECT_EQ(ErroAoCarregar(d, linhas), kVersaoInvalida);
    EXPECT_EQ(ErroAoCarregar(d, {}), kVersaoInvalida);
    EXPECT_EQ(d.RevisaoDoDicionario(), -1);
}

TEST(Carregador, TabelaCamposEIndicesNaOrdemDoArquivo) {
    DicionarioDeDados d;
    Carregar(d, ComCabecalho({
                    "linha ignorada antes da primeira tabela",
                    "Tabela",
                    "CLIENTE,\"Clientes da empresa\",N,ZVZF",
                    "Campos",
                    "CLIENTE,N,9,0,XX,Cliente,,p7,CADASTRO,NUMCAD,f10,S,\"CLIENTE>0\",,ZV,p15",
                    LinhaDeCampo("NOME", "C", "60"),
                    "LIMITE,N,12,2,,,,,,,,,,,,",
                    "Indices",
                    "Chvpr_CLIENTE,CLIENTE,S,S",
                    "IX_NOME,\"[NOME] DESC,CLIENTE\",N,N",
                    "Tabela",
                    "VAZIA,Vazia,S,",
                    "Campos",
                }));
    EXPECT_EQ(d.RevisaoDoDicionario(), 7);
    ASSERT_EQ(d.Tabelas().size(), 2u);
    const TabelaDic& t = d.Tabelas()[0];
    EXPECT_EQ(t.Nome, "CLIENTE");
    EXPECT_EQ(t.Descricao, "Clientes da empresa");
    EXPECT_EQ(t.Classe, "N");
    EXPECT_FALSE(t.Restrita);
    EXPECT_EQ(t.Sistemas, "ZVZF");
    ASSERT_EQ(t.Campos.size(), 3u);
    const CampoDic& c = t.Campos[0];
    EXPECT_EQ(std::tie(c.Nome, c.Tipo, c.Tamanho, c.SistemasExcluidos, c.Titulo, c.Texto7),
              std::make_tuple(std::string("CLIENTE"), 'N', 9, std::string("XX"),
                              std::string("Cliente"), std::string("p7")));
    EXPECT_EQ(std::tie(c.TabelaReferenciada, c.CampoReferenciado, c.FiltroDaReferencia, c.Validacao,
                       c.ValorPadrao, c.Sistemas, c.Texto15),
              std::make_tuple(std::string("CADASTRO"), std::string("NUMCAD"), std::string("f10"),
                              std::string("CLIENTE>0"), std::string(), std::string("ZV"),
                              std::string("p15")));
    EXPECT_TRUE(c.Obrigatorio);
    EXPECT_EQ(t.Campos[1].Nome, "NOME");
    EXPECT_EQ(t.Campos[2].Tamanho, 12);
    EXPECT_EQ(t.Campos[2].Decimais, 2);
    ASSERT_EQ(t.Indices.size(), 2u);
    EXPECT_TRUE(t.Indices[0].Primario);
    EXPECT_TRUE(t.Indices[0].Unico);
    EXPECT_EQ(t.Indices[1].Colunas, "[NOME] DESC,CLIENTE");
    EXPECT_FALSE(t.Indices[1].Unico);
    // A "Campos" line with no field lines: an empty list, still iterated.
    EXPECT_TRUE(d.Tabelas()[1].Campos.empty());
    EXPECT_TRUE(d.Tabelas()[1].Restrita);
}

TEST(Carregador, DescricaoSemAspasECortadaNoPrimeiroBranco) {
    DicionarioDeDados d;
    Carregar(d, ComCabecalho({"Tabela", "T,Notas de venda,S,ZV", "Campos"}));
    const TabelaDic& t = d.Tabelas()[0];
    EXPECT_EQ(t.Descricao, "Notas");
    EXPECT_EQ(t.Classe, "de");
    EXPECT_EQ(t.Sistemas, "venda");
    EXPECT_FALSE(t.Restrita);
}

TEST(Carregador, PalavrasDeSecaoSaoExatas) {
    DicionarioDeDados d;
    // "tabela" in lower case is a field line here, and too short for one.
    EXPECT_EQ(ErroAoCarregar(d, ComCabecalho({"Tabela", "T,d,N,", "Campos", "tabela"})),
              "Arquivo 'teste.DicD' com o dicionário de dados é inválido: a linha 8 tem 1 "
              "item(ns), são necessários 16");
    // Before any table it is ignored; with a trailing blank "Tabela " is not a word.
    Carregar(d, ComCabecalho({"tabela", "Tabela ", "Campos", "Tabela", "T,d,N,"}));
    ASSERT_EQ(d.Tabelas().size(), 1u);
    EXPECT_EQ(d.Tabelas()[0].Nome, "T");
}

TEST(Carregador, TamanhoVazioOuInvalidoLeZero) {
    DicionarioDeDados d;
    Carregar(d, ComCabecalho(
                    {"Tabela", "T,d,N,", "Campos", "A,C,,,,,,,,,,,,,,", "B,,x9,-3,,,,,,,,,,,,"}));
    const auto& campos = d.Tabelas()[0].Campos;
    EXPECT_EQ(campos[0].Tamanho, 0);
    EXPECT_EQ(campos[0].Decimais, 0);
    EXPECT_EQ(campos[1].Tipo, '\0');
    EXPECT_EQ(campos[1].Tamanho, 0);
    EXPECT_EQ(campos[1].Decimais, -3);
}

TEST(Carregador, LinhasCurtasSaoErrosComONumeroDaLinha) {
    DicionarioDeDados d;
    const std::string inicio = "Arquivo 'teste.DicD' com o dicionário de dados é inválido: ";
    EXPECT_EQ(ErroAoCarregar(d, ComCabecalho({"Tabela", "T,d,N,", "Campos", "A,C,1,0,,,,,,,,,,,"})),
              inicio + "a linha 8 tem 15 item(ns), são necessários 16");
    EXPECT_EQ(ErroAoCarregar(d, ComCabecalho({"Tabela", "T,d,N"})),
              inicio + "a linha 6 tem 3 item(ns), são necessários 4");
    EXPECT_EQ(ErroAoCarregar(d, ComCabecalho({"Tabela", "T,d,N,", "Indices", "I,A,S"})),
              inicio + "a linha 8 tem 3 item(ns), são necessários 4");
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "3", "x"}), inicio + "falta a linha 4");
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5"}), inicio + "falta a linha 2");
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "", "x", "1,1,1"}),
              inicio + "a linha 2 tem 0 item(ns), são necessários 1");
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "1", "x", "1,1"}),
              inicio + "a linha 4 tem 2 item(ns), são necessários 3");
    EXPECT_EQ(ErroAoCarregar(d, ComCabecalho({"Tabela", "Campos", "A,C,1,0,,,,,,,,,,,,"})),
              inicio + "a linha 6 (\"Campos\") não pertence a nenhuma tabela");
}

TEST(Carregador, NumerosInvalidosNasLinhas2E4) {
    DicionarioDeDados d;
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "12a", "x", "0,0,0"}),
              "'12a' não é um valor inteiro válido");
    EXPECT_EQ(d.RevisaoDoDicionario(), -1);
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "12", "x", "0,dois,0"}),
              "'dois' não é um valor inteiro válido");
    // The revision was already read when line 4 failed.
    EXPECT_EQ(d.RevisaoDoDicionario(), 12);
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "99999999999", "x", "0,0,0"}),
              "'99999999999' não é um valor inteiro válido");
    // A negative count is never what the file holds.
    EXPECT_EQ(ErroAoCarregar(d, {"Dicionário versão 5", "+15,extra", "x", "-1,0,0"}),
              "Arquivo 'teste.DicD' com o dicionário de dados é inválido: a linha 4 declara -1 "
              "tabela(s), 0 campo(s) e 0 índice(s), mas o arquivo tem 0 tabela(s), 0 campo(s) "
              "e 0 índice(s) (arquivo cortado ou alterado)");
    EXPECT_EQ(d.RevisaoDoDicionario(), 15);
    EXPECT_EQ(d.Declaradas().tabelas, -1);
}

// A file cut at a line end (or edited by hand) no longer holds what line 4 declares: it
// is refused, unless the caller only shows it; the content is never bound by the counts.
TEST(Carregador, ContagensDaLinha4DiferentesDoConteudo) {
    std::vector<std::string> corpo;
    for (int i = 0; i < 5; ++i) {
        corpo.insert(corpo.end(),
                     {"Tabela", "T" + std::to_string(i) + ",d,N,", "Campos", LinhaDeCampo("A", "C"),
                      LinhaDeCampo("B", "C"), "Indices", "I,A,N,N"});
    }
    const auto inteiro = ComCabecalho(corpo);
    EXPECT_EQ(inteiro[3], "5,10,5");
    DicionarioDeDados d;
    Carregar(d, inteiro);
    EXPECT_EQ(d.Tabelas().size(), 5u);

    // Cut after the second field of the fourth table: its index and the fifth table go.
    const std::vector<std::string> cortado(inteiro.begin(), inteiro.begin() + 4 + 7 * 3 + 5);
    EXPECT_EQ(ErroAoCarregar(d, cortado),
              "Arquivo 'teste.DicD' com o dicionário de dados é inválido: a linha 4 declara 5 "
              "tabela(s), 10 campo(s) e 5 índice(s), mas o arquivo tem 4 tabela(s), 8 campo(s) "
              "e 3 índice(s) (arquivo cortado ou alterado)");
    EXPECT_TRUE(d.Tabelas().empty());
    // Cut inside the last index list: one index short is refused as well.
    EXPECT_NE(ErroAoCarregar(d, std::vector<std::string>(inteiro.begin(), inteiro.end() - 1))
                  .find("mas o arquivo tem 5 tabela(s), 10 campo(s) e 4 índice(s)"),
              std::string::npos);

    auto linhas = inteiro;
    linhas[3] = "1,1,1";  // claims far less than the content holds
    EXPECT_NE(ErroAoCarregar(d, linhas).find("a linha 4 declara 1 tabela(s)"), std::string::npos);
    d.CarregarDeBytes(CodificarLinhas(linhas), "teste.DicD", TipoDeServidor::SqlServer, nullptr,
                      nullptr, ContagensDaLinha4::Aceitar);
    EXPECT_EQ(d.Tabelas().size(), 5u);
    EXPECT_EQ(d.Tabelas()[4].Campos.size(), 2u);
    EXPECT_EQ(d.Declaradas().campos, 1);
}

const std::vector<std::string> kComScripts = ComCabecalho({
    "Tabela",
    "PEMPRESA,Empresa,P,",
    "Campos",
    LinhaDeCampo("RAZAO_SOC", "C"),
    "Tabela",
    "PARFN,Parâmetros,P,",
    "Tabela",
    "CLIENTE,Clientes,p,",
    "Script",
    "Procedimentos de integridade",
    "ZVZF",
    "IF EXISTS (SELECT * FROM sysobjects WHERE name = 'X') DROP PROCEDURE X",
    "GO",
    "plpgsql",
    "Postgres",
    "ZV",
    "CREATE FUNCTION x() RETURNS void AS $$ $$ LANGUAGE plpgsql;",
    "Script",
    "segundo bloco",
    "ZV",
    "  CREATE PROCEDURE X AS SELECT 1",
    "",
    "GO",
});

TEST(Carregador, BlocosDeScriptPeloTipoDeServidor) {
    DicionarioDeDados d;
    std::vector<std::string> script = {"já estava"}, parametros;
    Carregar(d, kComScripts, &script, &parametros);
    EXPECT_EQ(script, (std::vector<std::string>{
                          "já estava",
                          "IF EXISTS (SELECT * FROM sysobjects WHERE name = 'X') DROP PROCEDURE X",
                          "GO", "  CREATE PROCEDURE X AS SELECT 1", "", "GO"}));
    // Class "P" exactly: "p" is neither restricted nor a parameter table.
    EXPECT_EQ(parametros, (std::vector<std::string>{"PEMPRESA", "PARFN"}));
    EXPECT_TRUE(d.Tabelas()[1].Restrita);
    EXPECT_FALSE(d.Tabelas()[2].Restrita);
    // The structure section ended at the first "Script".
    EXPECT_EQ(d.Tabelas().size(), 3u);

    std::vector<std::string> pg;
    Carregar(d, kComScripts, &pg, nullptr, TipoDeServidor::PostgreSql);
    EXPECT_EQ(
        pg,
        (std::vector<std::string>{"CREATE FUNCTION x() RETURNS void AS $$ $$ LANGUAGE plpgsql;"}));
    std::vector<std::string> nenhum;
    Carregar(d, kComScripts, &nenhum, nullptr, TipoDeServidor::Nenhum);
    EXPECT_TRUE(nenhum.empty());
}

TEST(Carregador, SemLinhaScriptAEstruturaVaiAteOFim) {
    DicionarioDeDados d;
    std::vector<std::string> script;
    Carregar(d, ComCabecalho({"Tabela", "T,d,N,", "Campos", LinhaDeCampo("A", "C")}), &script);
    EXPECT_TRUE(script.empty());
    EXPECT_EQ(d.Tabelas()[0].Campos.size(), 1u);
}

TEST(Carregador, CargaQueFalhaNaoDeixaTabelasNemListas) {
    DicionarioDeDados d;
    Carregar(d, kComScripts);
    ASSERT_FALSE(d.Tabelas().empty());
    auto ruim = kComScripts;
    ruim.insert(ruim.begin() + 8, "curta");  // a field line of PEMPRESA with one item
    std::vector<std::string> script, parametros;
    EXPECT_THROW(Carregar(d, ruim, &script, &parametros), ErroDeEntrada);
    EXPECT_TRUE(d.Tabelas().empty());
    EXPECT_TRUE(script.empty());
    EXPECT_TRUE(parametros.empty());
    EXPECT_EQ(d.RevisaoDoDicionario(), 7);
}

TEST(Carregador, ArquivoEmDiscoComQuebrasDeLinhaVariadasEByteImpar) {
    PastaTemporaria pasta;
    const std::string conteudo =
        "Dicion\xE1rio vers\xE3o 5\r9\nx\r1,0,0\r\nTabela\nOP\xC7\xD5"
        "ES,Op\xE7\xF5"
        "es,S,\r\n";
    std::string bytes = CodificarConteudo(conteudo) + "7";
    const auto arquivo = pasta / "ZAV_Molvena.DicD";
    GravarArquivoDoDicionario(arquivo, bytes);
    DicionarioDeDados d;
    d.CarregarDicionario(CaminhoDoDicionario(pasta.caminho()), TipoDeServidor::SqlServer);
    EXPECT_EQ(d.RevisaoDoDicionario(), 9);
    ASSERT_EQ(d.Tabelas().size(), 1u);
    EXPECT_EQ(d.Tabelas()[0].Nome, "OPÇÕES");
    EXPECT_EQ(d.Tabelas()[0].Descricao, "Opções");

    std::filesystem::remove(arquivo);
    EXPECT_THROW(d.CarregarDicionario(arquivo, TipoDeServidor::SqlServer), ErroDeEntrada);
    EXPECT_TRUE(d.Tabelas().empty());
    EXPECT_EQ(d.RevisaoDoDicionario(), 9);
}

}  // namespace
}  // namespace zolvek::dicionario
