#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>

#include "comum/erros.hpp"
#include "db/conexao.hpp"
#include "db/odbc/biblioteca_odbc.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "db/odbc/leitura.hpp"
#include "db/odbc/nomes.hpp"
#include "db/odbc/traducao.hpp"

namespace zolvek::db::odbc {
namespace {

TEST(TraducaoOdbc, CadeiaOleDbViraCadeiaDoFreeTds) {
    EXPECT_EQ(
        TraduzirParaOdbc("Provider=SQLOLEDB.1;Data Source=servidor,1433;Initial Catalog=EMPRESA;"
                         "User ID=sa;Password=segredo",
                         "FreeTDS"),
        "Driver={FreeTDS};Server=servidor;Port=1433;Database=EMPRESA;UID=sa;PWD=segredo;"
        "TDS_Version=7.4;ClientCharset=UTF-8");
    EXPECT_EQ(
        TraduzirParaOdbc("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                         "Initial Catalog=DB1;Data Source=srv\\SQL2008",
                         "FreeTDS"),
        "Driver={FreeTDS};Server=srv\\SQL2008;Database=DB1;Trusted_Connection=yes;"
        "TDS_Version=7.4;ClientCharset=UTF-8");
    EXPECT_EQ(TraduzirParaOdbc("Provider=SQLOLEDB;Data Source=(local);User ID=u;Password=a;b=c",
                               "FreeTDS"),
              "Driver={FreeTDS};Server=localhost;UID=u;PWD=a;TDS_Version=7.4;ClientCharset=UTF-8");
    // A password with separators goes in braces.
    EXPECT_EQ(
        TraduzirParaOdbc("Provider=SQLOLEDB;Data Source=s;User ID=u;Password=\"p;w}\"", "FreeTDS"),
        "Driver={FreeTDS};Server=s;UID=u;PWD={p;w}}};TDS_Version=7.4;ClientCharset=UTF-8");
}

TEST(TraducaoOdbc, OutroDriverEhEscolhidoPelaChaveOuPeloAmbiente) {
    EXPECT_EQ(TraduzirParaOdbc("Provider=SQLOLEDB.1;Data Source=tcp:srv,1444;Initial Catalog=E;"
                               "Driver=ODBC Driver 18 for SQL Server;User ID=sa;Password=x",
                               "FreeTDS"),
              "Driver={ODBC Driver 18 for SQL Server};Server=tcp:srv,1444;Database=E;UID=sa;PWD=x");
    ::setenv("ZOLVEK_DRIVER_ODBC", "ODBC Driver 17 for SQL Server", 1);
    EXPECT_EQ(TraduzirParaOdbc("Provider=SQLOLEDB.1;Data Source=srv"),
              "Driver={ODBC Driver 17 for SQL Server};Server=srv");
    ::unsetenv("ZOLVEK_DRIVER_ODBC");
    // Without a choice, FreeTDS by name when registered, else by its library's path.
    const std::string padrao = DriverPadrao();
    EXPECT_TRUE(padrao == "FreeTDS" || padrao.find("libtdsodbc") != std::string::npos) << padrao;
}

TEST(TraducaoOdbc, CadeiasOdbcPassamSemMudancaEEntradasRuinsSaoRecusadas) {
    const std::string odbc = "Driver={FreeTDS};Server=x;PWD={a;b}";
    EXPECT_EQ(TraduzirParaOdbc(odbc), odbc);
    EXPECT_EQ(TraduzirParaOdbc("DSN=empresa"), "DSN=empresa");
    EXPECT_THROW(TraduzirParaOdbc(""), ErroDeEntrada);
    EXPECT_THROW(TraduzirParaOdbc("servidor sem chave"), ErroDeEntrada);
    try {
        TraduzirParaOdbc("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\x.mdb");
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(
            e.what(),
            "O provedor \"Microsoft.Jet.OLEDB.4.0\" não é suportado: use SQLOLEDB (SQL Server) "
            "ou Simulador");
    }
    EXPECT_EQ(TimeoutDeConexao("Provider=SQLOLEDB;Connect Timeout=3"), 3);
    EXPECT_EQ(TimeoutDeConexao("Provider=SQLOLEDB"), kTimeoutDeConexaoPadrao);
    EXPECT_THROW(TimeoutDeConexao("Provider=SQLOLEDB;Connect Timeout=abc"), ErroDeEntrada);
}

TEST(ConexaoOdbc, EntradaRuimDaErroClaroSemAbrir) {
    Conexao c;
    c.DefinirStringDeConexao("");
    EXPECT_THROW(c.Abrir(), ErroDeEntrada);
    c.DefinirStringDeConexao("isto não é uma string de conexão");
    try {
        c.Abrir();
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_NE(std::string(e.what()).find("chave=valor"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(c.Aberta());
    EXPECT_EQ(c.StringDeConexao(), "isto não é uma string de conexão");
    EXPECT_THROW(c.ConectorAberto(), ErroDeBanco);
}

// The driver manager is opened at the first ODBC connection: one that cannot be loaded,
// or that lacks a function, is told by name, never a crash at the first call.
TEST(ConexaoOdbc, GerenciadorDeDriversAusenteDaErroClaro) {
    const auto falha = [](const std::string& biblioteca) {
        try {
            CarregarFuncoesOdbc(biblioteca);
        } catch (const ErroDeBanco& e) {
            return std::string(e.what());
        }
        return std::string("carregou");
    };
    EXPECT_EQ(falha("libzolvek_inexistente.so.9")
                  .rfind("Não foi possível iniciar o gerenciador de drivers ODBC: a biblioteca "
                         "libzolvek_inexistente.so.9 não pôde ser carregada (",
                         0),
              0u);
    EXPECT_EQ(falha("libm.so.6"),
              "Não foi possível iniciar o gerenciador de drivers ODBC: a biblioteca libm.so.6 "
              "não tem a função SQLAllocHandle");
    // the system's own is found and complete
    EXPECT_NE(Odbc().SQLDriverConnectW, nullptr);
}

TEST(ConexaoOdbc, ServidorQueNaoRespondeDaErroDoDriver) {
    if (CaminhoDaBibliotecaFreeTds().empty()) GTEST_SKIP() << "FreeTDS não instalado";
    Conexao c;
    c.DefinirStringDeConexao(
        "Provider=SQLOLEDB.1;Data Source=127.0.0.1,1;Initial Catalog=X;User "
        "ID=sa;Password=x;Connect Timeout=2");
    try {
        c.Abrir();
        FAIL() << "não devia conectar";
    } catch (const ErroDeBanco& e) {
        const std::string m = e.what();
        EXPECT_EQ(m.rfind("Não foi possível conectar ao banco de dados:\n", 0), 0u) << m;
        EXPECT_GT(m.size(), std::string("Não foi possível conectar ao banco de dados:\n").size());
        EXPECT_EQ(std::string(e.what()).find("[FreeTDS]"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(c.Aberta());
}

TEST(TiposOdbc, TiposDoSqlServerComoOsDriversInformam) {
    EXPECT_EQ(TipoDaColuna(SQL_WVARCHAR, 50, "nvarchar"), TipoDeCampo::String);
    EXPECT_EQ(TipoDaColuna(SQL_VARCHAR, 0, "varchar"), TipoDeCampo::Memo);  // varchar(max)
    EXPECT_EQ(TipoDaColuna(SQL_WLONGVARCHAR, 1073741823, "nvarchar"), TipoDeCampo::Memo);
    EXPECT_EQ(TipoDaColuna(SQL_LONGVARCHAR, 2147483647, "text"), TipoDeCampo::Memo);
    EXPECT_EQ(TipoDaColuna(SQL_VARBINARY, 100, "varbinary"), TipoDeCampo::Blob);
    EXPECT_EQ(TipoDaColuna(SQL_LONGVARBINARY, 2147483647, "image"), TipoDeCampo::Blob);
    EXPECT_EQ(TipoDaColuna(SQL_BINARY, 8, "timestamp"), TipoDeCampo::Bytes);
    EXPECT_EQ(TipoDaColuna(SQL_TINYINT, 3, "tinyint"), TipoDeCampo::Word);
    EXPECT_EQ(TipoDaColuna(SQL_BIGINT, 19, "bigint"), TipoDeCampo::LargeInt);
    EXPECT_EQ(TipoDaColuna(SQL_BIT, 1, "bit"), TipoDeCampo::Boolean);
    EXPECT_EQ(TipoDaColuna(SQL_DECIMAL, 19, "money"), TipoDeCampo::Currency);  // FreeTDS
    EXPECT_EQ(TipoDaColuna(SQL_DECIMAL, 18, "decimal"), TipoDeCampo::Float);
    EXPECT_EQ(TipoDaColuna(SQL_REAL, 24, "real"), TipoDeCampo::Float);
    EXPECT_EQ(TipoDaColuna(SQL_TYPE_TIMESTAMP, 23, "datetime"), TipoDeCampo::DateTime);
    EXPECT_EQ(TipoDaColuna(SQL_TYPE_DATE, 10, "date"), TipoDeCampo::Date);
    EXPECT_EQ(TipoDaColuna(-154, 16, "time"), TipoDeCampo::Time);
    EXPECT_EQ(TipoDaColuna(SQL_GUID, 36, "uniqueidentifier"), TipoDeCampo::Guid);
    EXPECT_EQ(NormalizarDecimal(".5000"), "0.5000");
    EXPECT_EQ(NormalizarDecimal("-.25"), "-0.25");
    EXPECT_EQ(NormalizarDecimal("12.00"), "12.00");
}

TEST(TiposOdbc, NomesDeProcedimentoETabela) {
    EXPECT_NO_THROW(ValidarNomeDeProcedimento("master.dbo.xp_msver"));
    EXPECT_NO_THROW(ValidarNomeDeProcedimento("[dbo].[Matar Processo]"));
    EXPECT_THROW(ValidarNomeDeProcedimento("x; drop table y"), ErroDeEntrada);
    EXPECT_THROW(ValidarNomeDeProcedimento(""), ErroDeEntrada);
    std::string esquema, nome;
    SepararNomeDeTabela("[dbo].[Reg.Mov]", esquema, nome);
    EXPECT_EQ(esquema, "dbo");
    EXPECT_EQ(nome, "Reg.Mov");
    SepararNomeDeTabela("StatusBD", esquema, nome);
    EXPECT_EQ(esquema, "");
    EXPECT_EQ(nome, "StatusBD");
}

}  // namespace
}  // namespace zolvek::db::odbc
