// Hostile and damaged dictionary files: every one must either load or fail with a
// clear ErroDeEntrada, never read or write out of bounds (the sanitizer build checks
// the latter).
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "auxiliares.hpp"
#include "comum/erros.hpp"
#include "dictionary/arquivo.hpp"

namespace zolvek::dicionario {
namespace {

namespace fs = std::filesystem;

std::string LerBytes(const fs::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    return texto.str();
}

std::vector<std::string> Corpus() {
    std::vector<std::string> sementes;
    for (const auto& e :
         fs::directory_iterator(fs::path(ZOLVEK_PASTA_TESTES) / "dicionario/corpus"))
        if (e.path().extension() == ".DicD") sementes.push_back(LerBytes(e.path()));
    return sementes;
}

// Loads and tells whether it worked; anything but ErroDeEntrada fails the test.
bool Tentar(DicionarioDeDados& d, const std::string& bytes, std::vector<std::string>& script) {
    try {
        script.clear();
        d.CarregarDeBytes(bytes, "fuzz.DicD", TipoDeServidor::SqlServer, &script, nullptr);
        return true;
    } catch (const ErroDeEntrada&) {
        EXPECT_TRUE(d.Tabelas().empty());
        return false;
    }
}

TEST(Robustez, CorpusCarregaOuFalhaComMensagem) {
    const auto sementes = Corpus();
    ASSERT_GE(sementes.size(), 8u);
    DicionarioDeDados d;
    std::vector<std::string> script;
    int carregados = 0;
    for (const auto& s : sementes) carregados += Tentar(d, s, script);
    EXPECT_GE(carregados, 5);
    EXPECT_LT(carregados, static_cast<int>(sementes.size()));
}

// Seeded random mutations, both of the file bytes and of the decoded content (which
// reach the line grammar instead of stopping at the hexadecimal layer).
TEST(Robustez, MutacoesAleatorias) {
    const auto sementes = Corpus();
    std::mt19937 gerador(20240611);
    auto numero = [&](std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(gerador);
    };
    const std::string especiais[] = {
        "\r\n",        "\r",         "\n",          ",",    "\"", "Tabela\r\n", "Campos\r\n",
        "Indices\r\n", "Script\r\n", "plpgsql\r\n", "\"\"", " ",  "..."};
    DicionarioDeDados d;
    std::vector<std::string> script;
    int carregados = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string& semente = sementes[numero(sementes.size())];
        const bool noConteudo = i % 4 != 0;
        std::string alvo;
        if (noConteudo) {
            try {
                alvo = ConteudoDoArquivo(semente, "s");
            } catch (const ErroDeEntrada&) {
                alvo = "Dicion\xE1rio vers\xE3o 5\r\n1\r\n\r\n0,0,0\r\n";
            }
        } else {
            alvo = semente;
        }
        for (int m = 0, n = 1 + static_cast<int>(numero(4)); m < n; ++m) {
            const std::size_t pos = numero(alvo.size() + 1);
            switch (numero(6)) {
                case 0:
                    if (!alvo.empty()) alvo[numero(alvo.size())] = static_cast<char>(numero(256));
                    break;
                case 1:
                    alvo.insert(pos, 1, static_cast<char>(numero(256)));
                    break;
                case 2:
                    alvo.erase(pos, numero(40));
                    break;
                case 3:
                    alvo.resize(pos);
                    break;
                case 4:
                    alvo.insert(pos, especiais[numero(std::size(especiais))]);
                    break;
                case 5:
                    if (!alvo.empty()) {
                        const std::size_t de = numero(alvo.size());
                        alvo.insert(pos, alvo.substr(de, numero(200)));
                    }
                    break;
            }
        }
        carregados += Tentar(d, noConteudo ? CodificarConteudo(alvo) : alvo, script);
    }
    // Both outcomes must occur, or the mutations are not reaching the grammar.
    EXPECT_GT(carregados, 100);
    EXPECT_LT(carregados, 3900);
}

TEST(Robustez, TodosOsCortesDeUmArquivoValido) {
    const std::string bytes = CodificarLinhas(
        teste::ComCabecalho({"Tabela", "T,\"d x\",P,ZV", "Campos", teste::LinhaDeCampo("A", "C"),
                             "Indices", "I,A,S,S", "Script", "d", "ZV", "SELECT 1", "GO"}));
    DicionarioDeDados d;
    std::vector<std::string> script;
    for (std::size_t n = 0; n <= bytes.size(); ++n) Tentar(d, bytes.substr(0, n), script);
    EXPECT_TRUE(Tentar(d, bytes, script));
    EXPECT_EQ(script, (std::vector<std::string>{"SELECT 1", "GO"}));
}

TEST(Robustez, ArquivoGrandeComContagensMentirosas) {
    ConteudoDoDicionario conteudo;
    conteudo.revisao = 3;
    for (int t = 0; t < 1500; ++t) {
        TabelaDic tabela;
        tabela.Nome = "TAB" + std::to_string(t);
        tabela.Descricao = "Tabela número " + std::to_string(t);
        tabela.Classe = t % 3 == 0 ? "P" : "N";
        for (int c = 0; c < 8; ++c) {
            CampoDic campo;
            campo.Nome = "CAMPO" + std::to_string(c);
            campo.Tipo = "CNDS"[c % 4];
            campo.Tamanho = 10 + c;
            campo.ValoresValidos = c == 1 ? "Sim,Não" : "";
            tabela.Campos.push_back(campo);
        }
        tabela.Indices.push_back({"Chvpr_" + tabela.Nome, "CAMPO0", true, true});
        conteudo.tabelas.push_back(std::move(tabela));
    }
    auto linhas = LinhasDoDicionario(conteudo);
    linhas[3] = "2,3,1";
    DicionarioDeDados d;
    std::vector<std::string> parametros;
    d.CarregarDeBytes(CodificarLinhas(linhas), "grande", TipoDeServidor::SqlServer, nullptr,
                      &parametros, ContagensDaLinha4::Aceitar);
    ASSERT_EQ(d.Tabelas().size(), 1500u);
    EXPECT_EQ(d.Tabelas()[1499].Campos.size(), 8u);
    EXPECT_EQ(d.Tabelas()[1499].Campos[1].ListaDeValoresValidos(),
              (std::vector<std::string>{"Sim", "Não"}));
    EXPECT_EQ(parametros.size(), 500u);
    EXPECT_EQ(d.Declaradas().tabelas, 2);
}

TEST(Robustez, IdaEVoltaDoModeloPeloEscritor) {
    ConteudoDoDicionario conteudo;
    conteudo.revisao = 44;
    TabelaDic t;
    t.Nome = "Opções";
    t.Descricao = "Descrição com \"aspas\", vírgula e  dois brancos";
    t.Classe = "S";
    t.Restrita = true;
    CampoDic c;
    c.Nome = "Hora da liberação";
    c.Tipo = 'D';
    c.ValoresValidos = "Venda,\"Simples remessa\"";
    c.Validacao = "[Hora da liberação] > '20000101'";
    c.Obrigatorio = true;
    c.Texto15 = "fim";
    t.Campos = {c, CampoDic{}};
    t.Indices = {{"IX", "[Hora da liberação] DESC", true, false}};
    conteudo.tabelas = {t};
    conteudo.scripts = {{TipoDeServidor::SqlServer, "d", "ZV", {"SELECT 'ç'", "GO"}},
                        {TipoDeServidor::PostgreSql, "d", "ZV", {"SELECT 2;"}}};
    DicionarioDeDados d;
    std::vector<std::string> script;
    d.CarregarDeBytes(CodificarLinhas(LinhasDoDicionario(conteudo)), "x", TipoDeServidor::SqlServer,
                      &script);
    EXPECT_EQ(d.RevisaoDoDicionario(), 44);
    ASSERT_EQ(d.Tabelas().size(), 1u);
    const TabelaDic& lida = d.Tabelas()[0];
    EXPECT_EQ(lida.Descricao, t.Descricao);
    EXPECT_TRUE(lida.Restrita);
    ASSERT_EQ(lida.Campos.size(), 2u);
    EXPECT_EQ(lida.Campos[0].Nome, c.Nome);
    EXPECT_EQ(lida.Campos[0].Validacao, c.Validacao);
    EXPECT_EQ(lida.Campos[0].ListaDeValoresValidos(),
              (std::vector<std::string>{"Venda", "Simples remessa"}));
    EXPECT_TRUE(lida.Campos[0].Obrigatorio);
    EXPECT_EQ(lida.Campos[0].Texto15, "fim");
    EXPECT_EQ(lida.Campos[1].Tipo, '\0');
    EXPECT_EQ(lida.Indices[0].Colunas, "[Hora da liberação] DESC");
    EXPECT_EQ(script, (std::vector<std::string>{"SELECT 'ç'", "GO"}));
}

}  // namespace
}  // namespace zolvek::dicionario
