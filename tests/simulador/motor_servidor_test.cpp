#include "ambiente.hpp"

using zolvek::db::Valor;

// Statements that reach the server: databases, options, sessions, backup and restore,
// logins and database users.
class ServidorSql : public SimuladorTeste {};

// A server of SQL Server 2008 R2, which still has sp_dboption.
class ServidorSql2008R2 : public SimuladorTeste {
  protected:
    void SetUp() override {
        versao_ = "10.50";
        SimuladorTeste::SetUp();
    }
};

TEST_F(ServidorSql2008R2, CriaBancoComArquivosEOpcoes) {
    auto master = Conectar("master");
    std::string pasta = (pasta_ / "Dados").string() + "/";
    std::string sql = "CREATE DATABASE\nNovo\nON\n( NAME =\nNovo_dat,\n  FILENAME =\n'" + pasta +
                      "Novo_dat.mdf',\n  SIZE = 10,\n  MAXSIZE = UNLIMITED,\n  FILEGROWTH = 10% "
                      ")\nLOG ON\n( NAME "
                      "=\n'Novo_log',\n  FILENAME =\n'" +
                      pasta +
                      "Novo_log.ldf',\n  SIZE = 5,\n  MAXSIZE =\n250,\n"
                      "  FILEGROWTH = 10% )";
    master->Executar(sql, {}, 0);
    for (auto [nome, valor] : {std::pair{"select into/bulkcopy", "True"},
                               {"trunc. log on chkpt.", "True"},
                               {"autoshrink", "True"}})
        master->Executar("sp_dboption ?, ?, ?",
                         {std::string("Novo"), std::string(nome), std::string(valor)}, 0);
    auto r = master->Executar("sp_dboption 'Novo', 'single user'", {}, 0).back();
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][1]), "OFF");
    auto novo = Conectar("Novo");
    r = Sql("sp_helpfile", {}, novo.get());
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "Novo_dat");
    EXPECT_EQ(Texto(r.linhas[0][2]), pasta + "Novo_dat.mdf");
    EXPECT_EQ(Texto(r.linhas[1][0]), "Novo_log");
    EXPECT_EQ(Texto(r.linhas[1][5]), "256000 KB");
    // the same files in the catalog views, sizes in 8 KB pages
    r =
        Sql("SELECT name, type_desc, size, max_size, growth, is_percent_growth FROM "
            "sys.database_files ORDER BY file_id",
            {}, novo.get());
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(Texto(r.linhas[1][0]) + "/" + Texto(r.linhas[1][1]) + "/" + Texto(r.linhas[1][2]) +
                  "/" + Texto(r.linhas[1][3]) + "/" + Texto(r.linhas[1][4]) + "/" +
                  Texto(r.linhas[1][5]),
              "Novo_log/LOG/640/32000/10/1");
    r =
        Sql("SELECT SUBSTRING(filename, 1, CHARINDEX(N'novo_dat.mdf', LOWER(filename)) - 1) "
            "FROM master.dbo.sysaltfiles WHERE dbid = DB_ID('Novo') AND fileid = 1",
            {}, master.get());
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]), pasta);
    EXPECT_NE(Falha(sql, master.get()), "(sem erro)");
}

TEST_F(ServidorSql2008R2, UsuarioUnicoESessoes) {
    const std::string situacao =
        "select case when user_access_desc='SINGLE_USER' then 'ON' else 'OFF' end as "
        "CurrentSetting from "
        "sys.databases where name='Teste'";
    EXPECT_EQ(Valor(situacao), "OFF");
    auto outra = Conectar("Teste");
    EXPECT_NE(Falha("ALTER DATABASE Teste SET SINGLE_USER"), "(sem erro)");
    auto r =
        Sql("SELECT hostname,loginame, max(datediff(minute,login_time,getdate())) as Tempo FROM "
            "master.dbo.sysprocesses where DB_NAME(dbid)=? group by hostname,loginame",
            {std::string("Teste")});
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][1]), "sa");
    EXPECT_EQ(Texto(r.linhas[0][2]), "0");
    std::string host = Texto(r.linhas[0][0]);
    // MatarProcesso ends the sessions of that login on that computer, ours included
    Sql("CREATE PROCEDURE MatarProcesso @NOME varchar(128), @HOST varchar(128) AS select 1");
    db_->ExecutarProcedimento("MatarProcesso", {{"NOME", std::string("sa")}, {"HOST", host}}, 0);
    EXPECT_NE(Falha("select 1", outra.get()).find("foi encerrada"), std::string::npos);
    EXPECT_NE(Falha("select 1").find("foi encerrada"), std::string::npos);
    EXPECT_NE(Falha("select 2").find("foi encerrada"), std::string::npos);
    db_ = Conectar("Teste");
    Sql("ALTER DATABASE Teste SET SINGLE_USER");
    EXPECT_EQ(Valor(situacao), "ON");
    EXPECT_EQ(Texto(Sql("sp_dboption 'Teste', 'single user'").linhas[0][1]), "ON");
    EXPECT_NE(Falha("select 1", nullptr).find("(sem erro)"), std::string::npos);
    Sql("ALTER DATABASE Teste SET MULTI_USER");
    EXPECT_EQ(Valor(situacao), "OFF");
}

// MatarProcesso ends sessions as KILL does, and is refused where KILL is: inside a user
// transaction, which it leaves open.
TEST_F(ServidorSql, MatarProcessoRecusadoDentroDeTransacao) {
    Sql("CREATE PROCEDURE MatarProcesso @NOME varchar(128), @HOST varchar(128) AS select 1");
    auto outra = Conectar("Teste");
    Sql("BEGIN TRAN");
    EXPECT_EQ(Falha("EXEC MatarProcesso 'sa', ''"),
              "KILL command cannot be used inside user transactions.");
    EXPECT_EQ(Valor("select @@TRANCOUNT"), "1");
    Sql("ROLLBACK");
    EXPECT_EQ(Texto(Sql("select 1", {}, outra.get()).linhas.at(0).at(0)), "1");
}

TEST_F(ServidorSql, VersaoDoProduto) {
    auto r = db_->ExecutarProcedimento("master.dbo.xp_msver",
                                       {{"optname", std::string("ProductVersion")}}, 0);
    ASSERT_EQ(r.size(), 1u);
    ASSERT_EQ(r[0].linhas.size(), 1u);
    EXPECT_EQ(r[0].colunas[3].nome, "Character_Value");
    EXPECT_EQ(Texto(r[0].linhas[0][3]).substr(0, 3), "11.");
}

TEST_F(ServidorSql, CopiaERestauracao) {
    Sql("CREATE TABLE [T]([X] INT NULL)");
    Sql("insert into T values (1)");
    std::string copia = (pasta_ / "Backup" / "teste.bak").string();
    Sql("BACKUP DATABASE Teste TO DISK = '" + copia + "'");
    Sql("insert into T values (2)");
    auto master = Conectar("master");
    auto lista =
        master->Executar("RESTORE FILELISTONLY \nFROM DISK = ?\nWITH\n    FILE = 1", {copia}, 0)
            .back();
    ASSERT_EQ(lista.linhas.size(), 2u);
    auto arquivos = Sql("sp_helpfile");
    db_.reset();
    master->Executar(
        "RESTORE DATABASE\nTeste\nFROM DISK=?\nWITH FILE=1, NOUNLOAD, RECOVERY, REPLACE,\n"
        "MOVE ? TO ?,\nMOVE ? TO ?",
        {copia, lista.linhas[0][0], arquivos.linhas[0][2], lista.linhas[1][0],
         arquivos.linhas[1][2]},
        0);
    db_ = Conectar("Teste");
    EXPECT_EQ(Valor("select count(*) from T"), "1");
}

TEST_F(ServidorSql, LoginsUsuariosEPapeis) {
    Sql("CREATE LOGIN Operador WITH PASSWORD = 'segredo'");
    EXPECT_NE(Falha("select 1", nullptr), "x");
    EXPECT_THROW(Conectar("Teste", "Operador", "errada"), std::exception);
    EXPECT_THROW(Conectar("Teste", "Operador", "segredo"),
                 std::exception);  // no user in the database
    EXPECT_THROW(Conectar("Nenhum"), std::exception);
    Sql("CREATE USER Operador FOR LOGIN Operador");
    auto op = Conectar("Teste", "Operador", "segredo");
    EXPECT_EQ(Texto(Sql("select IS_MEMBER('db_owner')  as Valor", {}, op.get()).linhas[0][0]), "0");
    EXPECT_EQ(Texto(Sql("select suser_sname() As Valor", {}, op.get()).linhas[0][0]), "Operador");
    Sql("ALTER ROLE db_owner ADD MEMBER Operador");
    EXPECT_EQ(Texto(Sql("select IS_MEMBER('db_owner')  as Valor", {}, op.get()).linhas[0][0]), "1");
    Sql("exec sp_droprolemember 'db_owner', 'Operador'");
    EXPECT_EQ(Texto(Sql("select IS_MEMBER('db_owner')  as Valor", {}, op.get()).linhas[0][0]), "0");
    Sql("exec sp_addrolemember 'db_owner', 'Operador'");
    EXPECT_EQ(Texto(Sql("select IS_MEMBER('db_owner')  as Valor", {}, op.get()).linhas[0][0]), "1");
    EXPECT_EQ(Falha("CREATE DATABASE Outro", op.get()),
              "CREATE DATABASE permission denied in database 'master'.");
}

TEST_F(ServidorSql, UseKillEOutrosBancos) {
    Sql("CREATE TABLE [Local]([X] INT NULL)");
    Sql("USE master");
    EXPECT_EQ(Valor("select db_name()"), "master");
    EXPECT_EQ(Falha("select * from Local"), "Invalid object name 'Local'.");
    Sql("USE Teste");
    EXPECT_EQ(Valor("select count(*) from Local"), "0");
    auto outra = Conectar("Teste");
    std::string spid = Texto(Sql("select @@spid", {}, outra.get()).linhas[0][0]);
    EXPECT_EQ(Valor("select count(*) from sys.databases where name in ('master', 'teste')"), "2");
    Sql("KILL " + spid);
    EXPECT_NE(Falha("select 1", outra.get()).find("foi encerrada"), std::string::npos);
    EXPECT_EQ(Falha("ALTER DATABASE Nenhum SET SINGLE_USER"),
              "User does not have permission to alter database 'Nenhum', the database does not "
              "exist, or the database is not in a state that allows access checks.\nALTER "
              "DATABASE statement failed.");
    auto r = Sql("exec sp_who");
    EXPECT_EQ(r.linhas.size(), 1u);
}
