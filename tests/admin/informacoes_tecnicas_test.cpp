#include "admin/informacoes_tecnicas.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"
#include "comum/log.hpp"
#include "comum/versao.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;

bool Contem(const std::vector<std::string>& linhas, const std::string& linha) {
    return std::find(linhas.begin(), linhas.end(), linha) != linhas.end();
}

class InformacoesTecnicas : public ::testing::Test {
  protected:
    void SetUp() override {
        log::DescartarLog();
        log::DefinirConfiguracaoDoLog({});
        DefinirListagemDeJanelas(nullptr);
    }
    void TearDown() override {
        DefinirListagemDeJanelas(nullptr);
        log::DefinirConfiguracaoDoLog({});
        log::DescartarLog();
    }
};

TEST_F(InformacoesTecnicas, ErroLocalizado) {
    const std::string bloco =
        "\r\n\r\nArquivo: FGerador\r\nMétodo: Gerar\r\nLinha: 12\r\nRevisão: " +
        std::to_string(versao::NumeroDaRevisao());
    try {
        LevantarErroLocalizado("FGerador", 12, "Gerar", "Falhou");
    } catch (const Erro& e) {
        EXPECT_EQ(e.what(), "Falhou" + bloco);
    }
    try {
        LevantarErroLocalizado("FGerador", 12, "Gerar");
    } catch (const Erro& e) {
        EXPECT_EQ(e.what(), "Linha de código retornou resultado inválido" + bloco);
    }
}

TEST_F(InformacoesTecnicas, SolicitadasMesmoComLogDesligado) {
    db::TModuloDados modulo;
    log::RegistrarNoLog("X", 1, "Y", "antes");  // log off: not written
    const auto lista = ObterInformacoesTecnicas(modulo);
    ASSERT_GE(lista.size(), 12u);
    EXPECT_TRUE(
        lista[0].ends_with(",00000000s,000000ms,00000000i,FPrincipal/341/"
                           "TPrincipal::ObterInformacoesTecnicas"))
        << lista[0];
    EXPECT_EQ(lista[1], "");
    EXPECT_EQ(lista[2],
              "<<<*>>> Tabelas e componentes do ambiente solicitados pelo usuário - "
              "De: Principal <<<*>>>");
    EXPECT_TRUE(Contem(lista, "<<<*>>> Informações técnicas <<<*>>>"));
    EXPECT_TRUE(Contem(lista, "ZWK - Sem conexão com servidor SQL"));
    EXPECT_EQ(lista.back(), "<<<*>>> Informações técnicas - Final <<<*>>>");

    // Not requested, with the log off: nothing at all.
    std::vector<std::string> saida{"intocada"};
    GravarInformacoesTecnicas(modulo, false, "", &saida);
    EXPECT_EQ(saida, std::vector<std::string>{"intocada"});

    // With the log on and no list, the log goes to LogZAV.txt in its folder.
    const auto pasta = teste::PastaTemporariaUnica("zolvek_logzav_");
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({true, pasta.string()});
    log::RegistrarNoLog("A", 1, "M", "inicio");
    GravarInformacoesTecnicas(modulo, false, "EvolucaoAnalisar", nullptr);
    EXPECT_TRUE(std::filesystem::exists(pasta / "LogZAV.txt"));
    EXPECT_TRUE(
        Contem(log::EntradasDoLog(),
               "<<<*>>> Tabelas e componentes do ambiente  - De: EvolucaoAnalisar <<<*>>>"));
    std::filesystem::remove_all(pasta);
}

TEST_F(InformacoesTecnicas, JanelasComponentesEQuadros) {
    DefinirListagemDeJanelas([] {
        ItemDoConteiner nome{ItemDoConteiner::Tipo::Componente, "edtNome", nullptr, "Ana", {}};
        ItemDoConteiner vazio{ItemDoConteiner::Tipo::Componente, "edtVazio", nullptr, "  ", {}};
        ItemDoConteiner interno{ItemDoConteiner::Tipo::Componente, "spnQtd", nullptr, "3", {}};
        ItemDoConteiner quadro{ItemDoConteiner::Tipo::Quadro, "frmFiltro", nullptr, "", {interno}};
        return std::vector<JanelaAberta>{{"Principal", {nome}},
                                         {"", {nome}},
                                         {"ConexaoADO", {nome}},
                                         {"SQLScript", {nome, vazio, quadro}}};
    });
    ListarTabelasEComponentes("T", true, true);
    EXPECT_EQ(log::EntradasDoLog(),
              (std::vector<std::string>{"<<<*>>> Tabelas e componentes do ambiente T <<<*>>>", "",
                                        "", "\r\n<<*>> Tabelas de SQLScript <<*>>",
                                        "\r\n<<*>> Tabelas de frmFiltro <<*>>",
                                        "\r\n<<*>> Componentes de SQLScript <<*>>", "edtNome=Ana",
                                        "\r\n<<*>> Componentes de frmFiltro <<*>>", "spnQtd=3", "",
                                        "<<<*>>> Tabelas e componentes do ambiente T - Final "
                                        "<<<*>>>"}));
    log::DescartarLog();
    ListarTabelasEComponentes("T", false, false);  // log off, not forced
    EXPECT_TRUE(log::EntradasDoLog().empty());
}

TEST_F(InformacoesTecnicas, ConjuntoDeDadosComMaisDeCemLinhas) {
    BancoDeTeste banco;
    banco.Executar("CREATE TABLE ITENS (N int NULL, Foto image NULL)");
    std::string insercoes;
    for (int i = 1; i <= 250; ++i)
        insercoes += "INSERT INTO ITENS (N) VALUES (" + std::to_string(i) + ")\n";
    banco.Executar(insercoes);
    db::Conexao conexao;
    conexao.DefinirStringDeConexao(banco.Cadeia());
    conexao.Abrir();
    db::Consulta itens(&conexao);
    itens.DefinirSQL("select N, Foto from ITENS order by N");
    itens.Abrir();
    for (int i = 1; i < 7; ++i) itens.Proximo();

    std::vector<std::string> linhas;
    ListarConjuntoDeDados(linhas, "qryItens", itens, false);
    EXPECT_EQ(itens.NumeroDoRegistro(), 7);
    EXPECT_FALSE(itens.ControlesDesabilitados());
    ASSERT_EQ(linhas.size(), 1u + 3u + 100u * 3u + 2u);
    EXPECT_EQ(linhas[0], ">>qryItens;7");
    EXPECT_EQ(linhas[1], " >Linha selecionada");
    EXPECT_EQ(linhas[2], "  N=7");
    EXPECT_EQ(linhas[3], "  Foto=<Blob>");
    EXPECT_EQ(linhas[4], " >Linha 1");
    EXPECT_EQ(linhas[5], "  N=1");
    EXPECT_EQ(linhas[301], " >Linha 100");
    EXPECT_EQ(linhas[302], "  N=100");
    EXPECT_EQ(linhas[304], " >...");
    EXPECT_EQ(linhas[305], "");

    // Editing: one row with its state; read-only only when requested.
    itens.Editar();
    linhas.clear();
    ListarConjuntoDeDados(linhas, "qryItens", itens, false);
    EXPECT_EQ(linhas[1], " >Linha 1 * <dsEdit>");
    itens.Cancelar();
    itens.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    linhas.clear();
    ListarConjuntoDeDados(linhas, "qryItens", itens, false);
    EXPECT_TRUE(linhas.empty());
}

TEST_F(InformacoesTecnicas, PacoteDeSuporteNaPastaTemporaria) {
    const auto temp = teste::PastaTemporariaUnica("zolvek_temp_");
    const char* anterior = std::getenv("TEMP");
    const std::string guardado = anterior ? anterior : "";
    setenv("TEMP", temp.c_str(), 1);
    db::TModuloDados modulo;
    const auto pacote = CriarPacoteDeSuporte(modulo);
    if (anterior)
        setenv("TEMP", guardado.c_str(), 1);
    else
        unsetenv("TEMP");

    EXPECT_EQ(pacote.pasta.parent_path(), temp / "ZAV");
    EXPECT_TRUE(pacote.pasta.filename().string().starts_with("zwk"));
    EXPECT_EQ(pacote.pasta.filename().string().size(), 15u);
    EXPECT_EQ(pacote.arquivo, pacote.pasta / "LogZAV.txt");
    EXPECT_TRUE(std::filesystem::exists(pacote.arquivo));
    EXPECT_EQ(pacote.topico, "2");
    EXPECT_EQ(pacote.mensagem,
              "Favor detalhar sua dúvida aqui e no campo abaixo anexar o arquivo '" +
                  pacote.arquivo.string() + "'");
    RemoverPacoteDeSuporte(pacote);
    EXPECT_FALSE(std::filesystem::exists(pacote.pasta));
    std::filesystem::remove_all(temp);
}

}  // namespace
}  // namespace zolvek::admin
