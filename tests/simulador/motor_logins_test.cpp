// ALTER LOGIN, ALTER SERVER ROLE and their system procedures, with the logins they change
// connecting again.

#include <gtest/gtest.h>

#include <memory>

#include "ambiente.hpp"
#include "db/conexao.hpp"
#include "simulador/servidor_apoio.hpp"

namespace {

class Logins : public PastaDeServidor {
  protected:
    void SetUp() override {
        PastaDeServidor::SetUp();
        sa_ = Conectar("sa", "");
        Sql(*sa_, "CREATE DATABASE Teste");
        Sql(*sa_, "CREATE LOGIN Op WITH PASSWORD = 'Um1'");
    }

    // Without a database the session goes to the login's default one.
    std::unique_ptr<zolvek::db::Conexao> Conectar(const std::string& login,
                                                  const std::string& senha,
                                                  const std::string& banco = "master") {
        auto c = std::make_unique<zolvek::db::Conexao>();
        c->DefinirStringDeConexao("Provider=Simulador;Data Source=" + pasta_.string() +
                                  ";User ID=" + login + ";Password=" + senha +
                                  (banco.empty() ? "" : ";Initial Catalog=" + banco));
        c->Abrir();
        return c;
    }

    // "número: mensagem" of a connection that must fail.
    std::string RecusaDoLogin(const std::string& login, const std::string& senha) {
        try {
            Conectar(login, senha);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + ": " + e.what();
        }
        return "(sem erro)";
    }

    static zolvek::db::Resultado Sql(zolvek::db::Conexao& c, const std::string& sql) {
        auto r = c.ConectorAberto().Executar(sql, {}, 0);
        return r.empty() ? zolvek::db::Resultado{} : r.back();
    }

    static std::string Valor(zolvek::db::Conexao& c, const std::string& sql) {
        return SimuladorTeste::Texto(Sql(c, sql).linhas.at(0).at(0));
    }

    static std::string Recusa(zolvek::db::Conexao& c, const std::string& sql) {
        try {
            Sql(c, sql);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + ": " + e.what();
        }
        return "(sem erro)";
    }

    std::unique_ptr<zolvek::db::Conexao> sa_;
};

const char* const kOpInalteravel =
    "15151: Cannot alter the login 'Op', because it does not exist or you do not have "
    "permission.";

TEST_F(Logins, SenhaBancoPadraoEDesabilitado) {
    auto op = Conectar("Op", "Um1");
    EXPECT_EQ(Recusa(*op, "ALTER LOGIN Op WITH PASSWORD = 'Dois2'"), kOpInalteravel);
    EXPECT_EQ(Recusa(*op, "ALTER LOGIN Op WITH PASSWORD = 'Dois2' OLD_PASSWORD = 'x'"),
              kOpInalteravel);
    EXPECT_EQ(Recusa(*op, "ALTER LOGIN Op DISABLE"), kOpInalteravel);
    EXPECT_EQ(Recusa(*op, "ALTER LOGIN sa WITH PASSWORD = 'x' OLD_PASSWORD = ''"),
              "15151: Cannot alter the login 'sa', because it does not exist or you do not have "
              "permission.");
    Sql(*op, "ALTER LOGIN Op WITH PASSWORD = N'Dois2' OLD_PASSWORD = 'Um1', CHECK_POLICY = OFF");
    EXPECT_EQ(RecusaDoLogin("Op", "Um1"), "18456: Login failed for user 'Op'.");
    Sql(*Conectar("Op", "Dois2"), "EXEC sp_password 'Dois2', 'Tres3'");
    Sql(*sa_, "EXEC sp_password @new = 'Quatro4', @loginame = 'Op'");
    Conectar("Op", "Quatro4");
    EXPECT_EQ(Recusa(*sa_, "EXEC sp_password NULL, 'x', 'ninguem'"),
              "15007: 'ninguem' is not a valid login or you do not have permission.");

    Sql(*sa_, "ALTER LOGIN Op DISABLE");
    EXPECT_EQ(RecusaDoLogin("Op", "Quatro4"),
              "18470: Login failed for user 'Op'. Reason: The account is disabled.");
    Sql(*sa_, "ALTER LOGIN [Op] ENABLE");
    Sql(*sa_, "ALTER LOGIN Op WITH DEFAULT_DATABASE = [teste]");
    try {
        Conectar("Op", "Quatro4", "");
        ADD_FAILURE() << "entrou sem usuário no banco padrão";
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 4064);
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open user default database. Login failed.\nLogin failed for user 'Op'.");
    }
    Sql(*sa_, "CREATE LOGIN Outro WITH PASSWORD = 'x', DEFAULT_DATABASE = Teste");
    // generated scripts name the default schema; dbo is the only one there is
    Sql(*sa_,
        "USE Teste; CREATE USER Op FOR LOGIN Op; CREATE USER Outro FOR LOGIN Outro WITH "
        "DEFAULT_SCHEMA=[dbo]");
    EXPECT_EQ(Recusa(*sa_, "CREATE USER Terceiro FOR LOGIN Outro WITH DEFAULT_SCHEMA = vendas"),
              "0: O simulador de SQL Server não dá a um usuário outro esquema padrão que dbo.");
    Sql(*sa_, "USE master");
    EXPECT_EQ(Valor(*Conectar("Op", "Quatro4", ""), "SELECT DB_NAME()"), "Teste");
    EXPECT_EQ(Valor(*Conectar("Op", "Quatro4"), "SELECT DB_NAME()"), "master");
    EXPECT_EQ(Valor(*Conectar("Outro", "x", ""), "SELECT DB_NAME()"), "Teste");
    EXPECT_EQ(Recusa(*sa_, "ALTER LOGIN Op WITH DEFAULT_DATABASE = Nada"),
              "15010: The database 'Nada' does not exist. Supply a valid database name. To see "
              "available databases, use sys.databases.");
    EXPECT_EQ(Recusa(*sa_, "CREATE LOGIN Nenhum WITH PASSWORD = 'x', DEFAULT_DATABASE = Nada")
                  .substr(0, 7),
              "15010: ");
    EXPECT_EQ(RecusaDoLogin("Nenhum", "x"), "18456: Login failed for user 'Nenhum'.");
    EXPECT_EQ(Recusa(*sa_, "ALTER LOGIN Ninguem ENABLE"),
              "15151: Cannot alter the login 'Ninguem', because it does not exist or you do not "
              "have permission.");
    EXPECT_EQ(Recusa(*sa_, "ALTER LOGIN Op WITH PASSWORD = senha").substr(0, 5), "102: ");
    EXPECT_NE(Recusa(*sa_, "ALTER LOGIN Op WITH NAME = Outro").find("não interpreta a opção NAME"),
              std::string::npos);
}

TEST_F(Logins, PapelSysadmin) {
    auto op = Conectar("Op", "Um1");
    EXPECT_EQ(Valor(*op, "SELECT IS_SRVROLEMEMBER('sysadmin')"), "0");
    EXPECT_EQ(Recusa(*op, "ALTER SERVER ROLE sysadmin ADD MEMBER Op"),
              "15151: Cannot alter the server role 'sysadmin', because it does not exist or you "
              "do not have permission.");
    Sql(*sa_, "ALTER SERVER ROLE sysadmin ADD MEMBER [op]");
    EXPECT_EQ(Valor(*sa_,
                    "SELECT CAST(IS_SRVROLEMEMBER('sysadmin', 'Op') AS varchar) + '/' + "
                    "ISNULL(CAST(IS_SRVROLEMEMBER('nada') AS varchar), 'nulo') + '/' + "
                    "ISNULL(CAST(IS_SRVROLEMEMBER('sysadmin', 'ninguem') AS varchar), "
                    "'nulo')"),
              "1/nulo/nulo");
    EXPECT_EQ(Valor(*Conectar("Op", "Um1"), "SELECT IS_SRVROLEMEMBER('dbcreator')"), "1");
    Sql(*sa_, "EXEC sp_dropsrvrolemember 'Op', 'sysadmin'");
    EXPECT_EQ(Valor(*sa_, "SELECT IS_SRVROLEMEMBER('sysadmin', 'Op')"), "0");
    Sql(*sa_, "EXEC sp_addsrvrolemember @loginame = 'Op', @rolename = 'sysadmin'");
    EXPECT_EQ(Valor(*sa_, "SELECT IS_SRVROLEMEMBER('sysadmin', 'Op')"), "1");
    Sql(*sa_, "ALTER SERVER ROLE sysadmin DROP MEMBER Op");
    EXPECT_EQ(Valor(*sa_, "SELECT IS_SRVROLEMEMBER('sysadmin', 'Op')"), "0");

    EXPECT_EQ(Recusa(*sa_, "EXEC sp_addsrvrolemember 'Op', 'nada'"),
              "15412: 'nada' is not a known fixed role.");
    EXPECT_EQ(Recusa(*sa_, "EXEC sp_addsrvrolemember 'ninguem', 'sysadmin'"),
              "15007: 'ninguem' is not a valid login or you do not have permission.");
    EXPECT_EQ(Recusa(*sa_, "ALTER SERVER ROLE sysadmin DROP MEMBER sa"),
              "15405: Cannot use the special principal 'sa'.");
    EXPECT_EQ(Recusa(*sa_, "ALTER SERVER ROLE nada ADD MEMBER Op"),
              "15151: Cannot alter the server role 'nada', because it does not exist or you do "
              "not have permission.");
    EXPECT_EQ(Recusa(*sa_, "ALTER SERVER ROLE sysadmin ADD MEMBER ninguem"),
              "15151: Cannot add the principal 'ninguem', because it does not exist or you do "
              "not have permission.");
}

TEST_F(Logins, VisoesDosLogins) {
    Sql(*sa_, "ALTER LOGIN Op WITH DEFAULT_DATABASE = Teste");
    Sql(*sa_, "ALTER LOGIN Op DISABLE");
    const std::string op =
        "SELECT type + '/' + type_desc + '/' + CAST(is_disabled AS varchar) + '/' + "
        "default_database_name FROM sys.server_principals WHERE name = 'op'";
    EXPECT_EQ(Valor(*sa_, op), "S/SQL_LOGIN/1/Teste");
    EXPECT_EQ(Valor(*sa_,
                    "SELECT CAST(principal_id AS varchar) + '/' + "
                    "CONVERT(varchar, sid, 1) FROM sys.sql_logins WHERE name = 'sa'"),
              "1/0x01");
    Sql(*sa_, "ALTER LOGIN Op ENABLE");
    Sql(*sa_, "ALTER SERVER ROLE sysadmin ADD MEMBER Op");
    const std::string membros =
        "SELECT m.name FROM sys.server_role_members rm JOIN sys.server_principals r ON "
        "r.principal_id = rm.role_principal_id JOIN sys.server_principals m ON m.principal_id "
        "= rm.member_principal_id WHERE r.name = 'sysadmin' AND m.name = 'Op'";
    EXPECT_EQ(Valor(*sa_, membros), "Op");
    auto teste = Conectar("sa", "", "Teste");
    EXPECT_EQ(Valor(*teste, "SELECT dbname FROM master.dbo.syslogins WHERE name = 'Op'"), "Teste");
    Sql(*sa_, "ALTER SERVER ROLE sysadmin DROP MEMBER Op");
    EXPECT_EQ(Sql(*sa_, membros).linhas.size(), 0u);
    // another login sees itself, sa and the roles
    Sql(*sa_, "CREATE LOGIN Outro WITH PASSWORD = 'Dois2'");
    EXPECT_EQ(Valor(*Conectar("Op", "Um1"),
                    "SELECT COUNT(*) FROM sys.server_principals WHERE name IN ('sa', 'Op', "
                    "'Outro', 'sysadmin')"),
              "3");
}

}  // namespace
