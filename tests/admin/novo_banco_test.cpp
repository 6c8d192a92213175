#include "admin/novo_banco.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "admin/conexao_administrativa.hpp"
#include "comum/erros.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;

const char* const kFinal =
    ";Locale Identifier=1046;Connect Timeout=15;Use Procedure for Prepare=1;Auto "
    "Translate=True;Packet Size=4096";

TEST(NovoBanco, ComandoDeCriacaoComBrancosEPastaComOuSemSeparador) {
    DadosDoNovoBanco dados;
    dados.nome = "  Empresa Nova ";
    dados.pasta = " D:\\Dados ";
    dados.tamanhoMaximoDoLog = 250;
    const std::vector<std::string> esperado = {"CREATE DATABASE",
                                               "[Empresa Nova]",
                                               "ON",
                                               "( NAME =",
                                               "[Empresa Nova_dat],",
                                               "  FILENAME =",
                                               "'D:\\Dados\\Empresa Nova_dat.mdf',",
                                               "  SIZE = 10,",
                                               "  MAXSIZE = UNLIMITED,",
                                               "  FILEGROWTH = 10% )",
                                               "LOG ON",
                                               "( NAME =",
                                               "'Empresa Nova_log',",
                                               "  FILENAME =",
                                               "'D:\\Dados\\Empresa Nova_log.ldf',",
                                               "  SIZE = 5,",
                                               "  MAXSIZE =",
                                               "250,",
                                               "  FILEGROWTH = 10% )"};
    EXPECT_EQ(ComandoDeCriacao(dados), esperado);
    dados.pasta = "D:\\Dados\\";
    EXPECT_EQ(ComandoDeCriacao(dados), esperado);
    dados.pasta = "  ";
    EXPECT_EQ(ComandoDeCriacao(dados)[6], "'Empresa Nova_dat.mdf',");
    dados.nome = "D'Ávila]";
    dados.pasta = "E:\\O'Brien";
    const auto linhas = ComandoDeCriacao(dados);
    EXPECT_EQ(linhas[1], "[D'Ávila]]]");
    EXPECT_EQ(linhas[6], "'E:\\O''Brien\\D''Ávila]_dat.mdf',");
    EXPECT_EQ(linhas[12], "'D''Ávila]_log',");
}

TEST(NovoBanco, HabilitacaoEOpcoesPorVersao) {
    EXPECT_TRUE(PodeCriarBanco(" a ", " s "));
    EXPECT_FALSE(PodeCriarBanco("  ", "s"));
    EXPECT_FALSE(PodeCriarBanco("a", " "));
    const auto antigas = ComandosDeOpcoes(" NOVO ", 10);
    ASSERT_EQ(antigas.size(), 3u);
    EXPECT_EQ(antigas[0].sql, "sp_dboption :Banco, :Nome, :Valor");
    using Pares = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(antigas[0].parametros,
              (Pares{{"Banco", "NOVO"}, {"Nome", "select into/bulkcopy"}, {"Valor", "True"}}));
    EXPECT_EQ(antigas[1].parametros[1].second, "trunc. log on chkpt.");
    EXPECT_EQ(antigas[2].parametros[1].second, "autoshrink");
    const auto novas = ComandosDeOpcoes("Em presa", 11);
    ASSERT_EQ(novas.size(), 3u);
    EXPECT_EQ(novas[0].sql, "ALTER DATABASE [Em presa] SET RECOVERY BULK_LOGGED");
    EXPECT_EQ(novas[1].sql, "ALTER DATABASE [Em presa] SET RECOVERY SIMPLE");
    EXPECT_EQ(novas[2].sql, "ALTER DATABASE [Em presa] SET AUTO_SHRINK ON");
    EXPECT_TRUE(novas[2].parametros.empty());
}

TEST(NovoBanco, CadeiaDoMasterNasTresFormas) {
    EXPECT_EQ(CadeiaDoMaster("SRV", " adm ", " segredo "),
              std::string("Provider=SQLOLEDB.1;Password=segredo;Persist Security Info=True;User "
                          "ID=adm;Initial Catalog=master;Data Source=SRV") +
                  kFinal);
    EXPECT_EQ(CadeiaDoMaster("SRV", "adm", "  "),
              std::string("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=adm;Initial "
                          "Catalog=master;Data Source=SRV") +
                  kFinal);
    EXPECT_EQ(CadeiaDoMaster("SRV", " ", "x"),
              std::string("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                          "Info=False;Initial Catalog=master;Data Source=SRV") +
                  kFinal);
    // A password cannot add entries to the string.
    EXPECT_EQ(CadeiaDoMaster("SRV", "adm", "a;Provider=X"),
              std::string("Provider=SQLOLEDB.1;Password=\"a;Provider=X\";Persist Security "
                          "Info=True;User ID=adm;Initial Catalog=master;Data Source=SRV") +
                  kFinal);
    EXPECT_EQ(CadeiaComSenha("Destino", "SRV", "sa", ""),
              std::string("Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User "
                          "ID=sa;Initial Catalog=Destino;Data Source=SRV") +
                  kFinal);
}

// The new database on a stand-in server (the server typed as its folder).
class NovoBancoNoServidor : public ::testing::Test {
  protected:
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
                               lista.CampoPorNome("filename").Texto() + "|" +
                               lista.CampoPorNome("maxsize").Texto());
        return arquivos;
    }

    BancoDeTeste servidor;
};

TEST_F(NovoBancoNoServidor, CriaComNomeAparadoEArquivosNaPasta) {
    DadosDoNovoBanco dados;
    dados.nome = " NOVO ";
    dados.servidor = servidor.Pasta().string();
    dados.pasta = "D:\\Dados\\";
    dados.tamanhoMaximoDoLog = 250;
    dados.senha = "";
    CriarNovoBanco(dados);
    EXPECT_EQ(Arquivos("NOVO"),
              (std::vector<std::string>{"NOVO_dat|D:\\Dados\\NOVO_dat.mdf|Unlimited",
                                        "NOVO_log|D:\\Dados\\NOVO_log.ldf|256000 KB"}));
    // Created again: the server's refusal, with its text.
    try {
        CriarNovoBanco(dados);
        FAIL() << "criado duas vezes";
    } catch (const ErroDeBanco& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Database 'NOVO' already exists. Choose a different database name.");
    }
}

TEST_F(NovoBancoNoServidor, LoginRecusadoNadaCria) {
    DadosDoNovoBanco dados;
    dados.nome = "OUTRO";
    dados.servidor = servidor.Pasta().string();
    dados.login = "ninguem";
    dados.senha = "x";
    EXPECT_THROW(CriarNovoBanco(dados), ErroDeBanco);
    EXPECT_EQ(servidor.Coluna("select count(*) from sys.databases where name='OUTRO'"),
              std::vector<std::string>{"0"});
}

// The options of a new database as the server reports them, on a server of each side of
// the removal of sp_dboption: "select into/bulkcopy" and "trunc. log on chkpt." end as the
// simple recovery model either way.
void ConferirOpcoesDoNovoBanco(const std::string& versao, const std::string& versaoEsperada) {
    BancoDeTeste servidor("EMPRESA", versao);
    EXPECT_EQ(servidor.Coluna("SELECT CAST(SERVERPROPERTY('ProductVersion') AS varchar(20))")
                  .at(0)
                  .rfind(versaoEsperada, 0),
              0u);
    DadosDoNovoBanco dados;
    dados.nome = "NOVO";
    dados.servidor = servidor.Pasta().string();
    dados.pasta = "D:\\Dados";
    dados.tamanhoMaximoDoLog = 100;
    CriarNovoBanco(dados);
    EXPECT_EQ(servidor.Coluna("SELECT recovery_model_desc + '|' + CAST(is_auto_shrink_on AS "
                              "varchar(1)) FROM sys.databases WHERE name = 'NOVO'"),
              std::vector<std::string>{"SIMPLE|1"});
    // the company database next to it keeps the model's options
    EXPECT_EQ(servidor.Coluna("SELECT recovery_model_desc + '|' + CAST(is_auto_shrink_on AS "
                              "varchar(1)) FROM sys.databases WHERE name = 'EMPRESA'"),
              std::vector<std::string>{"FULL|0"});
}

TEST_F(NovoBancoNoServidor, OpcoesNumServidor1050PorSpDboption) {
    ConferirOpcoesDoNovoBanco("10.50", "10.50.");
}

TEST_F(NovoBancoNoServidor, OpcoesNumServidor11PorAlterDatabase) {
    ConferirOpcoesDoNovoBanco("11.0", "11.0.");
}

}  // namespace
}  // namespace zolvek::admin
