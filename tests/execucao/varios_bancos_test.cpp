#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "dictionary/escritor.hpp"
#include "execucao/analise_de_varios_bancos.hpp"
#include "execucao/arquivos_de_saida.hpp"

// The analysis of the databases of a list, side by side, on one stand-in server.
namespace zolvek::execucao {
namespace {

class VariosBancos : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_varios_XXXXXX").string();
        ASSERT_NE(mkdtemp(modelo.data()), nullptr);
        pasta_ = modelo;
        std::ifstream entrada(std::filesystem::path(ZOLVEK_PASTA_TESTES) / ".." / "src" /
                                  "dictionary" / "demo" / "ZAV_Molvena.txt",
                              std::ios::binary);
        std::stringstream texto;
        texto << entrada.rdbuf();
        std::ofstream(pasta_ / "demo.DicD", std::ios::binary)
            << dicionario::CodificarTexto(texto.str());
        pedido_.modelo.arquivoDoDicionario = pasta_ / "demo.DicD";
    }
    void TearDown() override { std::filesystem::remove_all(pasta_); }

    std::string Cadeia(const std::string& banco) const {
        return "Provider=Simulador;Data Source=" + pasta_.string() + ";Initial Catalog=" + banco +
               ";User ID=sa;Password=";
    }
    void CriarBanco(const std::string& nome) const {
        db::Conexao c;
        c.DefinirStringDeConexao(Cadeia("master"));
        c.Abrir();
        db::Consulta q(&c);
        q.DefinirSQL("CREATE DATABASE " + nome);
        q.Executar();
    }
    std::string Valor(const std::string& banco, const std::string& sql) const {
        db::Conexao c;
        c.DefinirStringDeConexao(Cadeia(banco));
        c.Abrir();
        db::Consulta q(&c);
        q.DefinirSQL(sql);
        q.Abrir();
        return q.Campos().at(0).Texto();
    }

    std::filesystem::path pasta_;
    PedidoDeVariosBancos pedido_;
};

TEST(ListaDeBancos, LinhasVaziasEComentariosPuladosLinhasRuinsGuardadas) {
    const auto bancos = LerLinhasDaLista(
        "# empresas\r\n\r\nProvider=Simulador;Data Source=x;Initial Catalog=A\r\n"
        "  isto não é uma conexão\r\nProvider=Simulador;Data Source=x\r\n   # outra\r\n");
    ASSERT_EQ(bancos.size(), 3u);
    EXPECT_EQ(bancos[0].linha, 3);
    EXPECT_EQ(bancos[0].problema, "");
    EXPECT_EQ(bancos[1].linha, 4);
    EXPECT_EQ(bancos[1].cadeia, "isto não é uma conexão");
    EXPECT_NE(bancos[1].problema, "");
    EXPECT_EQ(bancos[2].problema, "a cadeia de conexão não diz o banco de dados (Initial Catalog)");
}

TEST(ListaDeBancos, ArquivosDeCadaBanco) {
    EXPECT_EQ(ArquivoDoBanco("script.sql", 3, "EMPRESA"), "script.3.EMPRESA.sql");
    EXPECT_EQ(ArquivoDoBanco("/tmp/a.b/script", 7, "X"), "/tmp/a.b/script.7.X");
    EXPECT_EQ(ArquivoDoBanco("D:\\copias\\antes.bak", 2, "A/B"), "D:\\copias\\antes.2.A_B.bak");
    EXPECT_EQ(ArquivoDoBanco(".oculto", 1, "E"), ".oculto.1.E");
}

// Each database its own run: a bad line and a database that cannot be reached fail on
// their own, the others are analysed; the list's order is kept.
TEST_F(VariosBancos, CadaBancoSuaExecucao) {
    for (const char* nome : {"EMP1", "EMP2", "EMP3"}) CriarBanco(nome);
    pedido_.bancos = LerLinhasDaLista(Cadeia("EMP1") + "\n" + Cadeia("NAO_EXISTE") +
                                      "\nlinha ruim\n" + Cadeia("EMP2") + "\n" + Cadeia("EMP3"));
    pedido_.paralelo = 2;
    int terminados = 0;
    pedido_.aoTerminar = [&](const ExecucaoRelatada&) { ++terminados; };
    const auto r = AnalisarVariosBancos(pedido_);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(terminados, 5);
    EXPECT_EQ(r[0].banco, "EMP1");
    EXPECT_EQ(r[0].classe, ClasseDoDesfecho::Sucesso) << r[0].desfecho;
    EXPECT_EQ(r[1].classe, ClasseDoDesfecho::Falhou);
    EXPECT_EQ(r[2].classe, ClasseDoDesfecho::Falhou);
    EXPECT_EQ(r[2].desfecho.rfind("Linha 3 da lista: ", 0), 0u) << r[2].desfecho;
    EXPECT_EQ(r[3].classe, ClasseDoDesfecho::Sucesso);
    EXPECT_EQ(r[4].classe, ClasseDoDesfecho::Sucesso);
    for (const char* nome : {"EMP1", "EMP2", "EMP3"})
        EXPECT_EQ(Valor(nome, "select RevisaoDoBD from PEMPRESA"), "12") << nome;
    const auto resumo = ResumoDosBancos(r);
    ASSERT_EQ(resumo.size(), 6u);
    EXPECT_EQ(resumo[0], "EMP1 (" + pasta_.string() + "): [sucesso] " +
                             "Dicionário de dados revisão 12, executado com sucesso");
    EXPECT_EQ(resumo[5], "Total: 5 banco(s): 2 falhou, 3 sucesso");
    EXPECT_EQ(SaidaDoRelatorio({"analisar", r}), 1);
}

// A cancellation reaches the running analysis at its next check; the databases not
// started yet are not started, and the total says so.
TEST_F(VariosBancos, CancelamentoParaOsEmAndamentoENaoIniciaOsOutros) {
    for (const char* nome : {"EMP1", "EMP2", "EMP3"}) CriarBanco(nome);
    pedido_.bancos =
        LerLinhasDaLista(Cadeia("EMP1") + "\n" + Cadeia("EMP2") + "\n" + Cadeia("EMP3"));
    bool cancelado = false;
    pedido_.cancelado = [&] { return cancelado; };
    pedido_.aoIniciar = [&](const BancoDaLista&) { cancelado = true; };
    const auto r = AnalisarVariosBancos(pedido_);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].classe, ClasseDoDesfecho::Cancelada) << r[0].desfecho;
    EXPECT_EQ(r[0].desfecho.rfind("Dicionário de dados revisão 12, cancelado, ", 0), 0u);
    EXPECT_EQ(r[1].classe, ClasseDoDesfecho::NaoIniciada);
    EXPECT_EQ(r[2].desfecho, "Não iniciada: a execução foi cancelada");
    EXPECT_EQ(Valor("EMP2", "select count(*) from sysobjects"), "0");
    EXPECT_EQ(ResumoDosBancos(r).back(),
              "Total: 3 banco(s): 1 cancelada, 2 nao_iniciada; a execução foi cancelada antes de "
              "iniciar 2 banco(s)");
    EXPECT_EQ(SaidaDoRelatorio({"analisar", r}), 3);
}

// --simular applies to every database, each with its own script file.
TEST_F(VariosBancos, SimulacaoDeCadaBancoComSeuScript) {
    for (const char* nome : {"EMP1", "EMP2"}) CriarBanco(nome);
    pedido_.bancos = LerLinhasDaLista(Cadeia("EMP1") + "\n" + Cadeia("EMP2"));
    pedido_.modelo.extras.simular = true;
    pedido_.modelo.arquivoDoScript = pasta_ / "s.sql";
    pedido_.paralelo = 2;
    const auto r = AnalisarVariosBancos(pedido_);
    ASSERT_EQ(r.size(), 2u);
    for (const auto& e : r) {
        EXPECT_TRUE(e.simulacao);
        EXPECT_EQ(e.classe, ClasseDoDesfecho::Sucesso) << e.desfecho;
    }
    EXPECT_EQ(r[1].script, (pasta_ / "s.2.EMP2.sql").string());
    EXPECT_TRUE(std::filesystem::file_size(pasta_ / "s.1.EMP1.sql") > 1000);
    EXPECT_EQ(Valor("EMP1", "select count(*) from sysobjects"), "0");
    // A script file that cannot be written: nothing runs.
    pedido_.modelo.arquivoDoScript = "/nao/existe/s.sql";
    EXPECT_THROW(AnalisarVariosBancos(pedido_), ErroDeEntrada);
}

}  // namespace
}  // namespace zolvek::execucao
