#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "cli/rodar_cli.hpp"

namespace {

namespace fs = std::filesystem;

using zolvek::teste::Aspas;
using zolvek::teste::Execucao;

// A stand-in server in a temporary folder, and zolvek-cli sql run against it.
class ComandoSql : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> contador{0};
        pasta_ = fs::temp_directory_path() /
                 ("zolvek_cli_sql_" + std::to_string(getpid()) + "_" + std::to_string(contador++) +
                  "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(pasta_);
        fs::create_directories(pasta_);
    }
    void TearDown() override {
        std::error_code erro;
        fs::remove_all(pasta_, erro);
    }

    std::string Conexao(const std::string& banco) const {
        return "Provider=Simulador;Data Source=" + (pasta_ / "servidor").string() +
               ";Initial Catalog=" + banco + ";User ID=sa;Password=";
    }

    // Runs "zolvek-cli sql ARGUMENTOS" with `script` on its standard input.
    Execucao Rodar(const std::string& argumentos, const std::string& script = "",
                   const std::string& ambiente = "") {
        const auto entrada = pasta_ / "entrada.sql";
        std::ofstream(entrada, std::ios::binary) << script;
        return zolvek::teste::RodarCli(pasta_, "sql " + argumentos, entrada.string(), ambiente);
    }

    void CriarBanco(const std::string& nome) {
        auto e = Rodar("--sem-transacao --conexao " + Aspas(Conexao("master")),
                       "CREATE DATABASE " + nome + "\n");
        ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    }

    fs::path pasta_;
};

TEST_F(ComandoSql, AjudaEUso) {
    auto ajuda = Rodar("--help");
    EXPECT_EQ(ajuda.status, 0);
    EXPECT_NE(ajuda.saida.find("--sem-transacao"), std::string::npos);
    EXPECT_NE(ajuda.saida.find("ZOLVEK_CONEXAO"), std::string::npos);
    EXPECT_EQ(Rodar("").status, 2);  // no connection
    EXPECT_EQ(Rodar("--conexao x a.sql b.sql").status, 2);
    EXPECT_EQ(Rodar("--conexao x --outra").status, 2);
}

TEST_F(ComandoSql, LotesComResultadosELinhasAfetadas) {
    CriarBanco("Empresa");
    auto e = Rodar("--conexao " + Aspas(Conexao("Empresa")),
                   "create table Itens (Codigo int, Nome varchar(20))\r\n"
                   "go\r\n"
                   "insert into Itens values (1, 'Parafuso')\r\n"
                   "insert into Itens values (2, NULL)\r\n"
                   "GO\r\n"
                   "select Codigo, Nome from Itens order by Codigo\r\n"
                   "select count(*) as Total from Itens\r\n"
                   "GO\r\n"
                   "update Itens set Codigo = Codigo + 10\r\n");
    EXPECT_EQ(e.status, 0) << e.erros;
    EXPECT_EQ(e.saida,
              "Comando executado com sucesso\n"
              "Linhas afetadas: 1\n"
              "Linhas afetadas: 1\n"
              "\n"
              "Codigo\tNome\n"
              "1\tParafuso\n"
              "2\tNULL\n"
              "\n"
              "Total\n"
              "2\n"
              "Linhas afetadas: 2\n");
}

// A date shows no time and a time no date, whether a column or a value the query makes.
TEST_F(ComandoSql, DataSemHoraEHoraSemData) {
    CriarBanco("Empresa");
    auto e = Rodar("--conexao " + Aspas(Conexao("Empresa")),
                   "create table D (d date, t time, h datetime)\n"
                   "insert into D values ('2024-03-05', '10:11:12.123', '20240305')\n"
                   "GO\n"
                   "select d, t, h, dateadd(day, 1, d), cast(h as date), cast('10:11' as time) "
                   "from D\n");
    EXPECT_EQ(e.status, 0) << e.erros;
    EXPECT_NE(e.saida.find("2024-03-05\t10:11:12.1230000\t2024-03-05 00:00:00.000\t2024-03-06\t"
                           "2024-03-05\t10:11:00.0000000\n"),
              std::string::npos)
        << e.saida;
}

// datetime2(n) and time(n) show exactly n fraction digits, and no point for none.
TEST_F(ComandoSql, FracaoDaEscalaDeDatetime2ETime) {
    CriarBanco("Empresa");
    auto e = Rodar("--conexao " + Aspas(Conexao("Empresa")),
                   "create table D (a datetime2, b datetime2(0), t time(3), s smalldatetime)\n"
                   "insert into D values ('2024-01-02 03:04:05.1234567', "
                   "'2024-01-02 03:04:05.1234567', '12:34:56.1234567', '20240102 03:04:05')\n"
                   "GO\n"
                   "select a, b, t, s, sysdatetime() from D\n");
    EXPECT_EQ(e.status, 0) << e.erros;
    EXPECT_NE(e.saida.find("2024-01-02 03:04:05.1234567\t2024-01-02 03:04:05\t12:34:56.123\t"
                           "2024-01-02 03:04:00.000\t"),
              std::string::npos)
        << e.saida;
}

TEST_F(ComandoSql, FalhaMostraAMensagemDoServidorEDesfazOLote) {
    CriarBanco("Empresa");
    const std::string conexao = "--conexao " + Aspas(Conexao("Empresa"));
    auto e = Rodar(conexao,
                   "create table T (a int)\n"
                   "GO\n"
                   "insert into T values (1)\n"
                   "select * from NaoExiste\n"
                   "GO\n"
                   "insert into T values (2)\n");
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.saida, "Comando executado com sucesso\nInvalid object name 'NaoExiste'.\n");
    EXPECT_EQ(e.erros,
              "Falha no lote iniciado na linha 3; os comandos deste lote foram desfeitos\n");
    // The first batch stays; the failing one left nothing; the last never ran.
    auto depois = Rodar(conexao, "select count(*) as n from T\n");
    EXPECT_EQ(depois.saida, "n\n0\n");
}

TEST_F(ComandoSql, MensagensDoServidorNaOrdemEntreOsResultados) {
    CriarBanco("Empresa");
    const std::string conexao = "--conexao " + Aspas(Conexao("Empresa"));
    auto e = Rodar(conexao,
                   "create table T (a int)\n"
                   "GO\n"
                   "create trigger Tr on T for insert as print 'na trigger'\n"
                   "GO\n"
                   "print 'início'\n"
                   "select 1 as um\n"
                   "raiserror('aviso %d de %s', 10, 1, 7, 'dez')\n"
                   "declare @n int; print @n\n"
                   "insert into T values (1)\n"
                   "exec ('print ''dinâmico''')\n"
                   "print 42\n"
                   "GO\n"
                   "print 'antes do erro'\n"
                   "select 1 / 0\n");
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.saida,
              "Comando executado com sucesso\n"
              "Comando executado com sucesso\n"
              "início\n"
              "\num\n1\n"
              "aviso 7 de dez\n"
              "\n"
              "na trigger\n"
              "Linhas afetadas: 1\n"
              "dinâmico\n"
              "42\n"
              "antes do erro\n"
              "Divide by zero error encountered.\n");
}

TEST_F(ComandoSql, LoteVazioPuladoELoteQueEncerraSuaTransacao) {
    CriarBanco("Empresa");
    const std::string conexao = "--conexao " + Aspas(Conexao("Empresa"));
    auto e = Rodar(conexao,
                   "GO\n"
                   "create table T (a int)\n"
                   "GO\n"
                   "GO\n"
                   "BEGIN TRAN\n"
                   "insert into T values (1)\n"
                   "ROLLBACK TRAN\n"
                   "GO\n"
                   "insert into T values (2)\n");
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida, "Comando executado com sucesso\nLinhas afetadas: 1\nLinhas afetadas: 1\n");
    auto depois = Rodar(conexao, "select a from T\n");
    EXPECT_EQ(depois.saida, "a\n2\n");
}

TEST_F(ComandoSql, ArquivoWindows1252EConexaoDoAmbiente) {
    CriarBanco("Empresa");
    const auto arquivo = pasta_ / "script.sql";
    std::ofstream(arquivo, std::ios::binary)
        << "create table Opcoes (Descricao varchar(20))\r\nGO\r\n"
           "insert into Opcoes values ('A\xe7\xe3o')\r\nGO\r\nselect Descricao from Opcoes\r\n";
    auto e = Rodar(Aspas(arquivo.string()), "", "ZOLVEK_CONEXAO=" + Aspas(Conexao("Empresa")));
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida, "Comando executado com sucesso\nLinhas afetadas: 1\n\nDescricao\nAção\n");
    EXPECT_EQ(Rodar(Aspas((pasta_ / "nada.sql").string()), "",
                    "ZOLVEK_CONEXAO=" + Aspas(Conexao("Empresa")))
                  .status,
              1);
    // A folder is no script, even where it opens as an empty file.
    const auto pastaComoScript =
        Rodar(Aspas(pasta_.string()), "", "ZOLVEK_CONEXAO=" + Aspas(Conexao("Empresa")));
    EXPECT_EQ(pastaComoScript.status, 1);
    EXPECT_EQ(pastaComoScript.saida,
              "Não foi possível ler o arquivo de comandos: " + pasta_.string() + "\n");
}

TEST_F(ComandoSql, ConexaoRecusada) {
    CriarBanco("Empresa");
    auto e = Rodar("--conexao " + Aspas(Conexao("NaoHa")), "select 1\n");
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(e.saida.find("Cannot open database \"NaoHa\" requested by the login."),
              std::string::npos)
        << e.saida;
}

}  // namespace
