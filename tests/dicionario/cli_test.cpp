// The dictionary command of the built zolvek-cli.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "auxiliares.hpp"

namespace zolvek::dicionario {
namespace {

namespace fs = std::filesystem;

struct Resultado {
    int status;
    std::string saida;
};

class ComandoDicionario : public ::testing::Test {
  protected:
    Resultado Executar(const std::string& argumentos) {
        const fs::path saida = pasta / "saida.txt";
        const std::string comando = "'" + std::string(ZOLVEK_PASTA_BINARIOS) +
                                    "/zolvek-cli' dicionario " + argumentos + " >'" +
                                    saida.string() + "' 2>&1";
        const int bruto = std::system(comando.c_str());
        return {WIFEXITED(bruto) ? WEXITSTATUS(bruto) : -1, Ler(saida)};
    }
    static std::string Ler(const fs::path& caminho) {
        std::ifstream entrada(caminho, std::ios::binary);
        std::ostringstream texto;
        texto << entrada.rdbuf();
        return texto.str();
    }
    void Escrever(const fs::path& caminho, const std::string& texto) {
        std::ofstream(caminho, std::ios::binary) << texto;
    }
    std::string Em(const std::string& nome) { return "'" + (pasta / nome).string() + "'"; }

    teste::PastaTemporaria pasta;
};

TEST_F(ComandoDicionario, CodificarDecodificarEMostrar) {
    Escrever(pasta / "d.txt",
             "Dicionário versão 5\n21\nteste\n1,1,0\nTabela\nOpções,\"Opções do programa\",S,ZV\n"
             "Campos\nIdentificador,C,100,0,,,,,,,,S,,,,\n");
    auto r = Executar("codificar " + Em("d.txt") + " " + Em("d.DicD"));
    ASSERT_EQ(r.status, 0) << r.saida;
    r = Executar("mostrar " + Em("d.DicD"));
    ASSERT_EQ(r.status, 0) << r.saida;
    EXPECT_NE(r.saida.find("Revisão do dicionário: 21"), std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("Tabelas: 1, campos: 1, índices: 0"), std::string::npos);
    EXPECT_NE(r.saida.find("Tabela Opções - Opções do programa"), std::string::npos);
    EXPECT_NE(r.saida.find("Identificador C(100) obrigatório"), std::string::npos);

    // Decoding gives the text with CR LF; encoding that again gives the same bytes.
    r = Executar("decodificar " + Em("d.DicD") + " " + Em("volta.txt"));
    ASSERT_EQ(r.status, 0) << r.saida;
    EXPECT_EQ(Ler(pasta / "volta.txt").rfind("Dicionário versão 5\r\n21\r\n", 0), 0u);
    r = Executar("codificar " + Em("volta.txt") + " " + Em("de_novo.DicD"));
    ASSERT_EQ(r.status, 0) << r.saida;
    EXPECT_EQ(Ler(pasta / "de_novo.DicD"), Ler(pasta / "d.DicD"));
}

TEST_F(ComandoDicionario, DemoAoLadoDoExecutavelFazIdaEVolta) {
    const fs::path demo = fs::path(ZOLVEK_PASTA_BINARIOS) / "ZAV_Molvena.DicD";
    auto r = Executar("mostrar");
    ASSERT_EQ(r.status, 0) << r.saida;
    EXPECT_NE(r.saida.find("Tabelas de parâmetro: PEMPRESA PARFN PARFROTA PARHIS"),
              std::string::npos);
    r = Executar("decodificar '" + demo.string() + "' " + Em("demo.txt"));
    ASSERT_EQ(r.status, 0) << r.saida;
    r = Executar("codificar " + Em("demo.txt") + " " + Em("demo.DicD"));
    ASSERT_EQ(r.status, 0) << r.saida;
    EXPECT_EQ(Ler(pasta / "demo.DicD"), Ler(demo));
}

// A cut file is shown (that is how one finds what is missing) with a warning and status 1.
TEST_F(ComandoDicionario, MostrarArquivoCortadoAvisaESai1) {
    Escrever(pasta / "cortado.txt",
             "Dicionário versão 5\n21\nteste\n2,2,0\nTabela\nA,\"Tabela A\",N,ZV\n"
             "Campos\nId,C,10,0,,,,,,,,S,,,,\n");
    ASSERT_EQ(Executar("codificar " + Em("cortado.txt") + " " + Em("cortado.DicD")).status, 0);
    const auto r = Executar("mostrar " + Em("cortado.DicD"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.saida.find("Tabelas: 1, campos: 1, índices: 0 (declarados: 2, 2, 0)"),
              std::string::npos)
        << r.saida;
    EXPECT_NE(r.saida.find("Tabela A - Tabela A"), std::string::npos);
    EXPECT_NE(r.saida.find("Atenção: a linha 4 declara 2 tabela(s), 2 campo(s) e 0 índice(s), "
                           "mas o arquivo tem 1 tabela(s), 1 campo(s) e 0 índice(s). O arquivo "
                           "está cortado ou foi alterado"),
              std::string::npos)
        << r.saida;
}

TEST_F(ComandoDicionario, ErrosEUsoIncorreto) {
    EXPECT_EQ(Executar("").status, 2);
    EXPECT_EQ(Executar("embaralhar x").status, 2);
    EXPECT_EQ(Executar("codificar so_um").status, 2);
    EXPECT_EQ(Executar("mostrar a b").status, 2);
    EXPECT_EQ(Executar("mostrar --rapido").status, 2);

    auto r = Executar("mostrar " + Em("nada.DicD"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.saida.find("com o dicionário de dados não foi encontrado"), std::string::npos);

    Escrever(pasta / "ruim.txt", "Dicionário versão 5\n1\nx\n0,0,0\nTabela\nΩmega,d,N,\n");
    r = Executar("codificar " + Em("ruim.txt") + " " + Em("ruim.DicD"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.saida.find("Linha 6: O caractere 'Ω' (U+03A9) não tem representação em Windows-1252"),
        std::string::npos)
        << r.saida;
    EXPECT_FALSE(fs::exists(pasta / "ruim.DicD"));

    // A folder is no text to encode, even where it reads as empty.
    fs::create_directory(pasta / "uma_pasta");
    r = Executar("codificar " + Em("uma_pasta") + " " + Em("pasta.DicD"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.saida.find("Não foi possível ler o arquivo '"), std::string::npos) << r.saida;
    EXPECT_FALSE(fs::exists(pasta / "pasta.DicD"));

    Escrever(pasta / "v4.txt", "Dicionário versão 4\n1\nx\n0,0,0\n");
    ASSERT_EQ(Executar("codificar " + Em("v4.txt") + " " + Em("v4.DicD")).status, 0);
    r = Executar("mostrar " + Em("v4.DicD"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.saida.find("é inválido, versão deve ser 5"), std::string::npos);
}

}  // namespace
}  // namespace zolvek::dicionario
