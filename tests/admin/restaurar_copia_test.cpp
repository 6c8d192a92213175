#include "admin/restaurar_copia.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"
#include "simulador/banco_completo.hpp"
#include "simulador/simulador.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;

TEST(RestaurarCopia, HabilitacaoEComando) {
    EXPECT_TRUE(PodeRestaurar(" a ", " b ", " c "));
    EXPECT_FALSE(PodeRestaurar(" ", "b", "c"));
    EXPECT_FALSE(PodeRestaurar("a", "", "c"));
    EXPECT_FALSE(PodeRestaurar("a", "b", "  "));
    EXPECT_EQ(ComandoDeRestauracao("Em presa"),
              (std::vector<std::string>{"RESTORE DATABASE", "[Em presa]", "FROM DISK=:Origem",
                                        "WITH FILE=1, NOUNLOAD, RECOVERY, REPLACE,",
                                        "MOVE :Dados TO :ArqDados,", "MOVE :Log TO :ArqLog"}));
}

TEST(RestaurarCopia, PareiaPorTipoEmQualquerOrdem) {
    const std::vector<ArquivoDoBanco> copia = {{"X_log", "C:\\x_log.ldf", false},
                                               {"X_dat", "C:\\x.mdf", true}};
    const std::vector<ArquivoDoBanco> destino = {{"D", "E:\\d.mdf", true},
                                                 {"D_log", "E:\\d.ldf", false}};
    const auto plano = ParearArquivos(copia, destino);
    EXPECT_EQ(plano.dados, "X_dat");
    EXPECT_EQ(plano.arquivoDeDados, "E:\\d.mdf");
    EXPECT_EQ(plano.log, "X_log");
    EXPECT_EQ(plano.arquivoDeLog, "E:\\d.ldf");
}

TEST(RestaurarCopia, RecusaMaisDeUmArquivoDoTipoOuNenhum) {
    const std::vector<ArquivoDoBanco> simples = {{"A", "a.mdf", true}, {"A_log", "a.ldf", false}};
    auto dois = simples;
    dois.push_back({"A2", "a2.ndf", true});
    try {
        ParearArquivos(dois, simples);
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(
            "A cópia de segurança tem mais de um arquivo de dados;"))
            << e.what();
        EXPECT_TRUE(std::string(e.what()).ends_with("Nada foi restaurado"));
    }
    auto doisLogs = simples;
    doisLogs.push_back({"A_log2", "a2.ldf", false});
    try {
        ParearArquivos(simples, doisLogs);
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(
            "O banco de dados destino tem mais de um arquivo de 'log';"))
            << e.what();
    }
    try {
        ParearArquivos({{"A", "a.mdf", true}}, simples);
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_EQ(std::string(e.what()),
                  "A cópia de segurança não tem arquivo de 'log'; nada foi restaurado");
    }
}

// A backup of ORIGEM restored over DESTINO on the same stand-in server.
class RestaurarNoServidor : public ::testing::Test {
  protected:
    void SetUp() override {
        servidor.Executar("CREATE TABLE Clientes (Nome varchar(20))");
        servidor.Executar("INSERT INTO Clientes VALUES ('Ana')");
        servidor.Executar("BACKUP DATABASE ORIGEM TO DISK = 'origem.bak'");
        servidor.Executar(
            "CREATE DATABASE DESTINO ON (NAME = Dest_dados, FILENAME = 'E:\\Dest.mdf') "
            "LOG ON (NAME = Dest_log, FILENAME = 'E:\\Dest.ldf')",
            "master");
        dados.arquivo = "origem.bak";
        dados.destino = "DESTINO";
        dados.servidor = servidor.Pasta().string();
    }

    std::vector<std::string> Arquivos(const std::string& banco) {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(servidor.Cadeia(banco));
        conexao.Abrir();
        db::Consulta lista(&conexao);
        lista.DefinirSQL("sp_helpfile");
        lista.Abrir();
        std::vector<std::string> arquivos;
        for (lista.Primeiro(); !lista.Fim(); lista.Proximo())
            arquivos.push_back(lista.CampoPorNome("name").Texto() + "|" +
                               lista.CampoPorNome("filename").Texto());
        return arquivos;
    }

    std::vector<std::string> Clientes(const std::string& banco) {
        db::Conexao conexao;
        conexao.DefinirStringDeConexao(servidor.Cadeia(banco));
        conexao.Abrir();
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL("select Nome from Clientes");
        consulta.Abrir();
        std::vector<std::string> nomes;
        for (consulta.Primeiro(); !consulta.Fim(); consulta.Proximo())
            nomes.push_back(consulta.Campos().at(0).Texto());
        return nomes;
    }

    BancoDeTeste servidor{"ORIGEM"};
    DadosDaRestauracao dados;
};

TEST_F(RestaurarNoServidor, SobreBancoExistenteFicaNosArquivosDoDestino) {
    RestaurarCopia(dados);
    EXPECT_EQ(Clientes("DESTINO"), std::vector<std::string>{"Ana"});
    // The backup's logical names, on the destination's physical files.
    EXPECT_EQ(Arquivos("DESTINO"),
              (std::vector<std::string>{"ORIGEM|E:\\Dest.mdf", "ORIGEM_log|E:\\Dest.ldf"}));
}

TEST_F(RestaurarNoServidor, DestinoInexistenteNadaRestaura) {
    dados.destino = "NAOEXISTE";
    EXPECT_THROW(RestaurarCopia(dados), ErroDeBanco);
    EXPECT_EQ(servidor.Coluna("select count(*) from sys.databases where name='NAOEXISTE'"),
              std::vector<std::string>{"0"});
}

TEST_F(RestaurarNoServidor, CopiaComDoisArquivosDeDadosRecusadaAntes) {
    servidor.Executar(
        "CREATE DATABASE DUPLO ON (NAME = a, FILENAME = 'E:\\a.mdf'), (NAME = b, FILENAME = "
        "'E:\\b.ndf') LOG ON (NAME = l, FILENAME = 'E:\\l.ldf')",
        "master");
    servidor.Executar("BACKUP DATABASE DUPLO TO DISK = 'dois.bak'", "master");
    dados.arquivo = "dois.bak";
    EXPECT_THROW(RestaurarCopia(dados), ErroDeEntrada);
    EXPECT_THROW(Clientes("DESTINO"), ErroDeBanco);  // still the empty destination
}

// The command's round trip over a database holding every kind of object the analysis
// makes: the destination ends with the same rows, objects and states.
TEST(RestaurarCopiaCompleta, DestinoFicaIgualAOrigem) {
    BancoDeTeste servidor{"ORIGEM"};
    servidor.Executar("CREATE DATABASE DESTINO", "master");
    auto origem = simulador::CriarConector(servidor.Cadeia("ORIGEM"));
    origem->Abrir();
    for (const auto& lote : teste::LotesDoBancoCompleto()) origem->Executar(lote, {}, 0);
    const std::string antes = teste::RetratoDoBanco(*origem);
    origem->Fechar();
    servidor.Executar("BACKUP DATABASE ORIGEM TO DISK = 'completo.bak'", "master");

    DadosDaRestauracao dados;
    dados.arquivo = "completo.bak";
    dados.destino = "DESTINO";
    dados.servidor = servidor.Pasta().string();
    RestaurarCopia(dados);
    auto destino = simulador::CriarConector(servidor.Cadeia("DESTINO"));
    destino->Abrir();
    EXPECT_EQ(teste::RetratoDoBanco(*destino), antes);
}

}  // namespace
}  // namespace zolvek::admin
