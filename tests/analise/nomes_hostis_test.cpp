#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "ambiente_da_analise.hpp"
#include "analysis/nomes_da_analise.hpp"
#include "comum/erros.hpp"
#include "dictionary/escritor.hpp"

// Names that end brackets or literals early, split at a dot or carry a statement of
// their own: the analysis writes every one of them as a name, and runs none.
namespace zolvek::analysis::teste {
namespace {

using dicionario::CampoDic;
using dicionario::IndiceDic;
using dicionario::TabelaDic;
using Lista = std::vector<std::string>;

bool AlgumComecaCom(const Lista& lista, const std::string& inicio) {
    return std::any_of(lista.begin(), lista.end(),
                       [&](const std::string& s) { return s.rfind(inicio, 0) == 0; });
}

std::filesystem::path ArquivoTemporario(const std::string& nome) {
    return std::filesystem::temp_directory_path() /
           ("zolvek_" + nome + "_" + std::to_string(::getpid()) + ".DicD");
}

CampoDic Campo(const std::string& nome, char tipo, int tamanho = 0, int decimais = 0) {
    CampoDic c;
    c.Nome = nome;
    c.Tipo = tipo;
    c.Tamanho = tamanho;
    c.Decimais = decimais;
    c.Sistemas = "Z";
    return c;
}

IndiceDic Indice(const std::string& nome, const std::string& colunas, bool primario) {
    return {nome, colunas, primario, primario};
}

TabelaDic Tabela(const std::string& nome, std::vector<CampoDic> campos,
                 std::vector<IndiceDic> indices, const std::string& classe = "N") {
    TabelaDic t;
    t.Nome = nome;
    t.Descricao = "Tabela de teste";
    t.Classe = classe;
    t.Restrita = classe == "S" || classe == "P";
    t.Sistemas = "Z";
    t.Campos = std::move(campos);
    t.Indices = std::move(indices);
    return t;
}

// The bookkeeping a run writes to (with PEMPRESA's history table), a table named `h` with a field,
// an index and a default and a check named after it, and a table whose field `h` references it.
dicionario::ConteudoDoDicionario Dicionario(const std::string& h, int tamanho) {
    dicionario::ConteudoDoDicionario d;
    d.revisao = 7;
    CampoDic hora = Campo("Hora", 'D');
    hora.ValorPadrao = "getdate()";
    d.tabelas.push_back(Tabela("RegMov",
                               {Campo("idRegMov", 'S'), hora, Campo("Operador", 'C', 128),
                                Campo("Tipo", 'C', 20), Campo("Complemento", 'C', 255)},
                               {Indice("Chvpr_RegMov", "idRegMov", true)}, "S"));
    // PEMPRESA keeps its history in RegVer.
    d.tabelas.push_back(
        Tabela("RegVer",
               {Campo("id", 'S'), Campo("Hora", 'D'), Campo("Operador", 'C', 128),
                Campo("Operacao", 'C', 1), Campo("Tabela", 'C', 60), Campo("idTabela", 'N', 9),
                Campo("Campo", 'C', 60), Campo("ValorEmString", 'C', 50),
                Campo("ValorEmTexto", 'M'), Campo("ValorEmBinario", 'B')},
               {Indice("Chvpr_RegVer", "id", true)}, "S"));
    d.tabelas.push_back(Tabela("PEMPRESA", {Campo("idEmpresa", 'S'), Campo("RevisaoDoBD", 'N', 9)},
                               {Indice("Chvpr_PEMPRESA", "idEmpresa", true)}, "P"));
    CampoDic campo = Campo(h, 'C', tamanho);
    campo.ValoresValidos = "S,N";
    campo.Obrigatorio = true;
    CampoDic valor = Campo("Valor", 'N', 5, 2);
    valor.Validacao = "[Valor] >= 0";
    d.tabelas.push_back(Tabela(h, {Campo("Id", 'S'), campo, valor},
                               {Indice("Chave", "Id", true), Indice(h, h, false)}));
    CampoDic referencia = Campo(h, 'N', 9);
    referencia.TabelaReferenciada = h;
    referencia.CampoReferenciado = "Id";
    d.tabelas.push_back(
        Tabela("FILHO", {Campo("Id", 'S'), referencia}, {Indice("Chave_FILHO", "Id", true)}));
    return d;
}

class NomesHostis : public ::testing::TestWithParam<std::string> {
  protected:
    void Analisar(int tamanho) {
        const auto arquivo = ArquivoTemporario("hostil");
        dicionario::GravarDicionario(arquivo, Dicionario(GetParam(), tamanho));
        amb.interface = InterfaceGravada();
        resultado =
            analysis::Analisar(amb.modulo, amb.dicionario, arquivo, amb.opcoes, amb.interface);
        std::filesystem::remove(arquivo);
    }
    Lista Objeto(const std::string& nome) {
        return amb.Coluna("select type from sys.objects where name = " + db::EntreApostrofos(nome));
    }

    // A database name with a blank and a hyphen: the single-user switch and the
    // release at the end of a successful run name it in brackets.
    AmbienteDaAnalise amb{"Empresa-Teste 2"};
    ResultadoDaAnalise resultado;
};

TEST_P(NomesHostis, CriadosEAlteradosComoNomes) {
    const std::string h = GetParam();
    amb.Executar("CREATE TABLE CANARIO (x int)");

    Analisar(10);
    EXPECT_EQ(resultado.classificacao, ClassificacaoDaAnalise::Sucesso)
        << (resultado.erros.empty()
                ? ""
                : resultado.erros[0].descricao + " | " + resultado.erros[0].comando);
    EXPECT_EQ(Objeto("CANARIO"), Lista{"U"});
    EXPECT_EQ(Objeto(h), Lista{"U"});
    EXPECT_EQ(Objeto("Chvpr_" + h), Lista{"PK"});
    EXPECT_EQ(Objeto("Deflt_" + h + "_" + h), Lista{"D"});
    EXPECT_EQ(Objeto("Check_" + h + "_" + h), Lista{"C"});
    EXPECT_EQ(Objeto("Check_" + h + "_Valor"), Lista{"C"});
    EXPECT_EQ(Objeto("Rlcto_FILHO_" + h), Lista{"F"});
    EXPECT_EQ(amb.Coluna("select count(*) from sys.indexes where name = " + db::EntreApostrofos(h)),
              Lista{"1"});
    EXPECT_EQ(AmbienteDaAnalise::Comandos().front(),
              "ALTER DATABASE [Empresa-Teste 2] SET SINGLE_USER");
    EXPECT_EQ(amb.Coluna("select user_access_desc from sys.databases where name = "
                         "'Empresa-Teste 2'"),
              Lista{"MULTI_USER"});

    // A wider column: the table is altered, its indexes and constraints rebuilt.
    amb.ExecutarAqui("INSERT INTO " + db::EntreColchetes(h) + " (" + db::EntreColchetes(h) +
                     ") VALUES ('N')");
    Analisar(20);
    EXPECT_EQ(resultado.classificacao, ClassificacaoDaAnalise::Sucesso)
        << (resultado.erros.empty()
                ? ""
                : resultado.erros[0].descricao + " | " + resultado.erros[0].comando);
    EXPECT_TRUE(AlgumComecaCom(AmbienteDaAnalise::Comandos(),
                               "ALTER TABLE " + db::EntreColchetes(h) + " ALTER COLUMN " +
                                   db::EntreColchetes(h) + " NVARCHAR(20)"));
    EXPECT_EQ(amb.Coluna("select count(*) from " + db::EntreColchetes(h)), Lista{"1"});
    EXPECT_EQ(Objeto("CANARIO"), Lista{"U"});
    EXPECT_EQ(Objeto("Chvpr_" + h), Lista{"PK"});
    EXPECT_EQ(Objeto("Rlcto_FILHO_" + h), Lista{"F"});

    // Nothing changed: the table is found whole, keys and indexes included.
    AmbienteDaAnalise::EsquecerComandos();
    Analisar(20);
    EXPECT_EQ(resultado.classificacao, ClassificacaoDaAnalise::Sucesso);
    EXPECT_FALSE(AlgumComecaCom(AmbienteDaAnalise::Comandos(), "CREATE INDEX"));
    EXPECT_FALSE(AlgumComecaCom(AmbienteDaAnalise::Comandos(),
                                "ALTER TABLE " + db::EntreColchetes(h) + " ADD CONSTRAINT"));
}

INSTANTIATE_TEST_SUITE_P(Nomes, NomesHostis,
                         ::testing::Values("B] INT); DROP TABLE CANARIO; --",
                                           "x')) DROP TABLE CANARIO; --", "Empresa.Filial",
                                           "Ordem de Serviço \"nº\"", "a]]b'c"));

TEST(NomesLongos, RecusadosAntesDeQualquerComando) {
    AmbienteDaAnalise amb;
    const std::string longo(123, 'T');  // "Chvpr_" + 123 characters is 129
    const auto arquivo = ArquivoTemporario("longo");
    dicionario::GravarDicionario(arquivo, Dicionario(longo, 10));
    try {
        analysis::Analisar(amb.modulo, amb.dicionario, arquivo, amb.opcoes, amb.interface);
        FAIL() << "a análise começou";
    } catch (const ErroDeEntrada& e) {
        EXPECT_EQ(std::string(e.what()), "O nome 'Chvpr_" + longo +
                                             "' tem 129 caracteres; o SQL Server aceita nomes "
                                             "de até 128 caracteres");
    }
    std::filesystem::remove(arquivo);
    // Not even the single-user switch was sent.
    EXPECT_TRUE(AmbienteDaAnalise::Comandos().empty());
    EXPECT_TRUE(amb.interface.eventos.empty());
    // The check reads every name the run would write.
    dicionario::DicionarioDeDados dic;
    dic.Tabelas().push_back(Tabela("T", {Campo(std::string(121, 'F'), 'C', 1)}, {}));
    EXPECT_THROW(VerificarNomesDoDicionario(dic), ErroDeEntrada);  // "Deflt_T_" + 121
    dic.Tabelas().back().Campos.front().Nome = "F";
    dic.Tabelas().back().Indices.push_back(Indice("I", "[F]); DROP TABLE X; --", false));
    EXPECT_THROW(VerificarNomesDoDicionario(dic), ErroDeEntrada);
    dic.Tabelas().back().Indices.back().Colunas = "[F] DESC";
    EXPECT_NO_THROW(VerificarNomesDoDicionario(dic));
}

}  // namespace
}  // namespace zolvek::analysis::teste
