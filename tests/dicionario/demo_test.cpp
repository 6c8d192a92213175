// The demo company dictionary that ships beside the programs must load and be
// self-consistent: every reference and index column points at something that exists.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "auxiliares.hpp"
#include "comum/texto.hpp"

namespace zolvek::dicionario {
namespace {

class Demo : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::ifstream entrada(
            std::filesystem::path(ZOLVEK_PASTA_TESTES) / "../src/dictionary/demo/ZAV_Molvena.txt",
            std::ios::binary);
        std::ostringstream texto;
        texto << entrada.rdbuf();
        d = new DicionarioDeDados;
        d->CarregarDeBytes(CodificarTexto(texto.str()), "demo", TipoDeServidor::SqlServer, &script,
                           &parametros);
    }
    static void TearDownTestSuite() { delete d; }

    static void ExigirCampos(const std::string& tabela, const std::vector<std::string>& campos) {
        const TabelaDic* t = d->ObterTabelaDic(tabela);
        ASSERT_NE(t, nullptr) << tabela;
        for (const auto& campo : campos)
            EXPECT_NE(ObterCampoDic(*t, campo), nullptr) << tabela << "." << campo;
    }

    static inline DicionarioDeDados* d = nullptr;
    static inline std::vector<std::string> script, parametros;
};

TEST_F(Demo, TabelasEColunasQueOSistemaUsa) {
    EXPECT_EQ(d->RevisaoDoDicionario(), 12);
    ExigirCampos("PEMPRESA", {"RAZAO_SOC", "RevisaoDoBD"});
    ExigirCampos("PARFN", {"Script"});
    ExigirCampos("PARFROTA", {});
    ExigirCampos("PARHIS", {});
    ExigirCampos("StatusBD",
                 {"Inicio", "Final", "Operador", "Parâmetros", "Procedimentos", "Status", "Erros",
                  "Hora da liberação", "Liberado por", "Hora da validação", "Validado por"});
    ExigirCampos("RegMov", {"Hora", "Operador", "Tipo", "Complemento"});
    for (const char* h : {"RegTab", "RegVer"})
        ExigirCampos(h, {"id", "Operacao", "Tabela", "idTabela", "Campo", "ValorEmString",
                         "ValorEmTexto", "ValorEmBinario"});
    ExigirCampos("Opções", {"Identificador", "Opções"});
    ExigirCampos("LibAgr", {"idLibAgr", "Ordem", "itemDe"});
    ExigirCampos("PrgAgr",
                 {"idPrgAgr", "Tipo", "Nome", "Fonte", "Ordem", "Linguagem", "Status", "fkLibAgr"});
    ExigirCampos("FERIADOS", {"DATA", "DESCRICAO", "FIXO"});
    ExigirCampos("IntMan", {"Ordem", "Descrição", "Tipo", "Compartimento"});
    ExigirCampos("SeqMan", {"Nome", "Intervalo"});
    const std::vector<std::string> itemComum = {
        "Numint",     "Id_item",    "NUMREF",     "BASECALC",  "LF_ISENCAO",
        "LF_SUSPENS", "LF_NAOINCI", "LF_DIFERIM", "LF_OUTRAS", "BASESTRIB",
        "ICMSSTINC",  "BASEIPI",    "ISENTASIPI", "OUTRASIPI", "CODFIS",
        "Valor",      "IPI",        "CODICMS",    "REDICMS",   "ALIQICMS"};
    ExigirCampos("DOCRECIT", itemComum);
    ExigirCampos("DOCRECIT",
                 {"LF_SUBSTRB", "IcmsSemIsenção", "ICM", "ValorUnitárioSemIsenção", "COMPONENTE"});
    ExigirCampos("DOCPAGIT", itemComum);
    ExigirCampos("DOCPAGIT", {"LF_SUBTRIB", "ICMS"});
    const std::vector<std::string> documento = {"Numint",     "CODFIS",  "TIPO",     "IPI",
                                                "IPIDESPINC", "DESCINC", "TOTITENS", "LOCAL"};
    ExigirCampos("DOCREC", documento);
    ExigirCampos("DOCREC", {"BaseCálculoICMSReduzida", "DESTINO", "Cliente"});
    ExigirCampos("DOCPAG", documento);
    ExigirCampos("DOCPAG", {"FORNECEDOR"});
    ExigirCampos("FILIAL", {"FILIAL", "BaseCálculoICMSReduzida", "estado"});
    ExigirCampos("LOCAL", {"LOCAL", "FILIAL", "NUMCAD"});
    ExigirCampos("CADASTRO", {"NUMCAD", "estado"});
    ExigirCampos("CLIENTE", {"CLIENTE", "ESTADOENT", "conticms"});
    ExigirCampos("FORNEC", {"FORNECEDOR"});
    ExigirCampos("REF", {"NUMREF", "CODICMS", "MVA"});
    ExigirCampos("CODFIS", {"CODFIS", "APLICACAO"});
    EXPECT_EQ(parametros, (std::vector<std::string>{"PEMPRESA", "PARFN", "PARFROTA", "PARHIS"}));
}

TEST_F(Demo, ReferenciasEIndicesApontamParaOQueExiste) {
    std::size_t campos = 0, indices = 0;
    std::set<char> tipos;
    std::set<std::string> classes;
    bool compostaCompleta = false;
    for (const auto& t : d->Tabelas()) {
        classes.insert(t.Classe);
        campos += t.Campos.size();
        indices += t.Indices.size();
        for (const auto& c : t.Campos) {
            tipos.insert(c.Tipo);
            if (c.TabelaReferenciada.empty()) continue;
            std::string coluna = c.CampoReferenciado;
            if (coluna.rfind("...", 0) == 0) coluna.erase(0, 3);
            if (coluna.size() > 3 && coluna.ends_with("...")) coluna.resize(coluna.size() - 3);
            if (c.CampoReferenciado.rfind("...", 0) == 0 && !c.CampoReferenciado.ends_with("..."))
                compostaCompleta = true;
            EXPECT_TRUE(d->ExisteCampoNoDicionario(c.TabelaReferenciada, coluna))
                << t.Nome << "." << c.Nome << " -> " << c.TabelaReferenciada << "." << coluna;
        }
        for (const auto& i : t.Indices)
            for (std::string coluna : texto::Dividir(i.Colunas, ',')) {
                if (coluna.ends_with(" DESC")) coluna.resize(coluna.size() - 5);
                if (coluna.front() == '[') coluna = coluna.substr(1, coluna.size() - 2);
                EXPECT_NE(ObterCampoDic(t, coluna), nullptr) << t.Nome << ": " << i.Nome;
            }
    }
    EXPECT_TRUE(compostaCompleta);
    EXPECT_EQ(tipos, (std::set<char>{'B', 'C', 'c', 'L', 'D', 'H', 'F', 'N', 'I', 'M', 'R', 'S'}));
    EXPECT_TRUE(classes.count("S") && classes.count("P"));
    EXPECT_EQ(static_cast<std::size_t>(d->Declaradas().tabelas), d->Tabelas().size());
    EXPECT_EQ(static_cast<std::size_t>(d->Declaradas().campos), campos);
    EXPECT_EQ(static_cast<std::size_t>(d->Declaradas().indices), indices);
}

TEST_F(Demo, TabelasVersionadasTemChaveUtilizavel) {
    // History class F needs an identity or a required N as its first field.
    for (const char* nome : {"DOCREC", "DOCRECIT", "DOCPAG", "DOCPAGIT", "CADASTRO", "CLIENTE",
                             "FORNEC", "FILIAL", "REF"}) {
        const TabelaDic* t = d->ObterTabelaDic(nome);
        ASSERT_NE(t, nullptr) << nome;
        const CampoDic& chave = t->Campos.front();
        EXPECT_TRUE(chave.Tipo == 'S' || (chave.Tipo == 'N' && chave.Obrigatorio)) << nome;
    }
}

TEST_F(Demo, ValoresValidosEScript) {
    const TabelaDic* docrec = d->ObterTabelaDic("DOCREC");
    const auto tipos = ObterCampoDic(*docrec, "TIPO")->ListaDeValoresValidos();
    EXPECT_EQ(tipos.size(), 10u);
    EXPECT_EQ(tipos[3], "Transferência só fiscal");
    EXPECT_TRUE(
        ObterCampoDic(*d->ObterTabelaDic("CODFIS"), "APLICACAO")->ListaDeValoresValidos().empty());
    const std::string sql = texto::Juntar(script, "\n");
    EXPECT_NE(sql.find("CREATE PROCEDURE MatarProcesso @NOME NVARCHAR(128), @HOST NVARCHAR(128)"),
              std::string::npos);
    EXPECT_NE(sql.find("TabelasZAV..DOCRECIT"), std::string::npos);
    EXPECT_NE(sql.find("IF EXISTS (SELECT"), std::string::npos);
    EXPECT_EQ(sql.find("plpgsql"), std::string::npos);
    EXPECT_EQ(script.back(), "GO");
}

}  // namespace
}  // namespace zolvek::dicionario
