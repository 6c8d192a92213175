#include "ambiente.hpp"
#include "comum/erros.hpp"

// A server folder answers as the SQL Server version it was created as: 10.50 (SQL
// Server 2008 R2) still has sp_dboption, 11.0 and later do not.
class VersoesDoServidor : public SimuladorTeste {
  protected:
    std::string Versao(zolvek::db::Conector* c = nullptr) {
        auto r = (c ? c : db_.get())
                     ->ExecutarProcedimento("master.dbo.xp_msver",
                                            {{"optname", std::string("ProductVersion")}}, 0);
        return Texto(r.at(0).linhas.at(0)[3]) + " " + Texto(r.at(0).linhas.at(0)[2]);
    }
};

class Versao2008R2 : public VersoesDoServidor {
  protected:
    void SetUp() override {
        versao_ = "10.50";
        VersoesDoServidor::SetUp();
    }
};

TEST_F(VersoesDoServidor, OPadraoE2012SemSpDboption) {
    EXPECT_EQ(Versao(), "11.0.2100.60 720896");
    EXPECT_EQ(Valor("select serverproperty('ProductVersion')"), "11.0.2100.60");
    EXPECT_EQ(Valor("select @@version").rfind("Microsoft SQL Server 2012 - 11.0.2100.60", 0), 0u);
    EXPECT_EQ(Falha("exec sp_dboption 'Teste', 'single user'"),
              "Could not find stored procedure 'sp_dboption'.");
    EXPECT_EQ(Falha("sp_dboption"), "Could not find stored procedure 'sp_dboption'.");
    try {
        Sql("exec master..sp_dboption 'Teste', 'single user', 'true'");
        FAIL();
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 2812);
    }
}

TEST_F(Versao2008R2, TemSpDboptionEInformaAVersao) {
    EXPECT_EQ(Versao(), "10.50.1600.1 655410");
    EXPECT_EQ(Valor("select serverproperty('ProductVersion')"), "10.50.1600.1");
    EXPECT_EQ(
        Valor("select @@version").rfind("Microsoft SQL Server 2008 R2 (RTM) - 10.50.1600.1", 0),
        0u);
    EXPECT_EQ(Texto(Sql("exec sp_dboption Teste, 'single user'").linhas.at(0)[1]), "OFF");
    EXPECT_EQ(Sql("exec sp_dboption").colunas.at(0).nome, "Settable database options:");
    // the functions SQL Server 2012 brought are unknown here
    EXPECT_EQ(Falha("select iif(1 = 1, 'a', 'b')"),
              "'iif' is not a recognized built-in function name.");
    EXPECT_EQ(Falha("select CONCAT('a', 'b')"),
              "'CONCAT' is not a recognized built-in function name.");
    // the version stays with the folder: later connections need not name it
    versao_.clear();
    auto outra = Conectar("Teste");
    EXPECT_EQ(Versao(outra.get()), "10.50.1600.1 655410");
}

TEST_F(VersoesDoServidor, VersaoSoSeEscolheParaPastaNova) {
    versao_ = "10.50";
    try {
        Conectar("Teste");
        FAIL() << "a pasta já existe com 11.0";
    } catch (const zolvek::ErroDeEntrada& e) {
        EXPECT_NE(std::string(e.what()).find("já existe com a versão 11.0"), std::string::npos)
            << e.what();
    }
    versao_ = "11";  // the same version, by its major number
    EXPECT_NO_THROW(Conectar("Teste"));
    pasta_ /= "outra";
    versao_ = "9.0";
    try {
        Conectar("master");
        FAIL() << "versão desconhecida";
    } catch (const zolvek::ErroDeEntrada& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Versão do servidor desconhecida para o simulador: '9.0'. Use uma destas: "
                  "10.50, 11.0, 12.0, 13.0, 14.0, 15.0, 16.0.");
    }
    versao_ = "16.0";
    auto nova = Conectar("master");
    EXPECT_EQ(Versao(nova.get()), "16.0.1000.6 1048576");
}

// The recovery model and auto-shrink are one state, whether set by ALTER DATABASE or by
// sp_dboption's flags.
TEST_F(Versao2008R2, RecuperacaoEAutoShrinkPorAlterDatabaseOuSpDboption) {
    auto estado = [&] {
        return Valor(
            "select recovery_model_desc + ' ' + cast(is_auto_shrink_on as varchar(1)) "
            "from sys.databases where name = 'Teste'");
    };
    EXPECT_EQ(estado(), "FULL 0");
    Sql("ALTER DATABASE Teste SET RECOVERY BULK_LOGGED");
    EXPECT_EQ(estado(), "BULK_LOGGED 0");
    EXPECT_EQ(Texto(Sql("exec sp_dboption Teste, 'select into/bulkcopy'").linhas.at(0)[1]), "ON");
    Sql("ALTER DATABASE [Teste] SET RECOVERY SIMPLE");
    Sql("ALTER DATABASE Teste SET AUTO_SHRINK ON");
    EXPECT_EQ(estado(), "SIMPLE 1");
    Sql("exec sp_dboption Teste, 'trunc. log on chkpt.', 'false'");
    Sql("exec sp_dboption Teste, 'autoshrink', 'false'");
    EXPECT_EQ(estado(), "FULL 0");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET RECOVERY PARCIAL"),
              "Incorrect syntax near 'PARCIAL'.");
    EXPECT_EQ(Falha("ALTER DATABASE Teste SET COMPATIBILITY_LEVEL = 100"),
              "O simulador de SQL Server não interpreta a opção 'COMPATIBILITY_LEVEL' de ALTER "
              "DATABASE.");
}
