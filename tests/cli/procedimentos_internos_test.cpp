// zolvek-cli procedimentos-internos: the company's internal procedures (PARFN.Script)
// written to a file and read back from one.
#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "cli/rodar_cli.hpp"
#include "dictionary/escritor.hpp"

namespace {

using zolvek::teste::Aspas;
using zolvek::teste::BancoDeTeste;
using zolvek::teste::Execucao;
using Lista = std::vector<std::string>;

class ProcedimentosInternos : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.Executar("CREATE TABLE PARFN (CODIGO int NULL, Script text NULL)");
        zolvek::dicionario::GravarDicionario(dicionario, {});
    }

    Execucao Rodar(const std::string& argumentos, const std::string& entrada = "/dev/null") {
        return zolvek::teste::RodarCli(banco.Pasta(),
                                       "procedimentos-internos " + argumentos + " --conexao " +
                                           Aspas(banco.Cadeia()) + " --dicionario " +
                                           Aspas(dicionario.string()),
                                       entrada);
    }
    std::filesystem::path Escrever(const std::string& nome, const std::string& bytes) {
        const auto arquivo = banco.Pasta() / nome;
        std::ofstream(arquivo, std::ios::binary) << bytes;
        return arquivo;
    }

    BancoDeTeste banco;
    std::filesystem::path dicionario = banco.Pasta() / "teste.DicD";
};

TEST_F(ProcedimentosInternos, ImportaWindows1252EUtf8EExportaEmUtf8) {
    banco.Executar("INSERT INTO PARFN (CODIGO) VALUES (1)");
    // As the program for Windows saves it: Windows-1252, CR LF.
    const auto antigo =
        Escrever("antigo.sql", "CREATE PROCEDURE A\xE7\xE3o AS SELECT 'p\xE9'\r\nGO\r\n");
    auto e = Rodar("importar " + Aspas(antigo.string()));
    ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida,
              "Procedimentos internos importados de " + antigo.string() + " (2 linha(s))\n");
    EXPECT_EQ(banco.Coluna("select Script from PARFN"),
              Lista{"CREATE PROCEDURE Ação AS SELECT 'pé'\r\nGO\r\n"});

    const auto saida = banco.Pasta() / "exportado.sql";
    e = Rodar("exportar " + Aspas(saida.string()));
    ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(zolvek::teste::LerArquivo(saida), "CREATE PROCEDURE Ação AS SELECT 'pé'\r\nGO\r\n");
    EXPECT_EQ(Rodar("exportar -").saida, "CREATE PROCEDURE Ação AS SELECT 'pé'\r\nGO\r\n");

    // UTF-8 with its mark, from the standard input.
    const auto novo = Escrever("novo.sql", "\xEF\xBB\xBFSELECT 'ção'\n");
    e = Rodar("importar -", novo.string());
    ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(banco.Coluna("select Script from PARFN"), Lista{"SELECT 'ção'\n"});
}

TEST_F(ProcedimentosInternos, SemLinhaEmPARFNNadaEGravadoEUsoIncorreto) {
    const auto arquivo = Escrever("p.sql", "SELECT 1\n");
    auto e = Rodar("importar " + Aspas(arquivo.string()));
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.saida,
              "Os procedimentos internos não foram gravados: a tabela PARFN não tem nenhuma "
              "linha\n");
    e = Rodar("importar " + Aspas((banco.Pasta() / "nada.sql").string()));
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(e.saida.find("Não foi possível ler o arquivo '"), std::string::npos) << e.saida;
    EXPECT_EQ(Rodar("").status, 2);
    EXPECT_EQ(Rodar("exportar").status, 2);
    EXPECT_EQ(Rodar("copiar x").status, 2);
    EXPECT_EQ(Rodar("exportar a b").status, 2);
}

}  // namespace
