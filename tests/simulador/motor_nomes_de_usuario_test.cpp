#include "ambiente.hpp"
#include "comum/erros.hpp"

// A user's table, view or procedure may have any name SQL Server takes, the engine's own
// (zv_..., zvi_..., sqlite_...) included: it works as any other, and the engine's own
// objects stay out of the user's reach whatever the user names.
namespace {

class NomesDeUsuario : public SimuladorTeste {
  protected:
    std::string Linhas(const std::string& sql) {
        std::string s;
        for (const auto& l : Sql(sql).linhas) {
            for (std::size_t k = 0; k < l.size(); ++k) s += (k ? "," : "") + Texto(l[k]);
            s += ";";
        }
        return s;
    }
};

TEST_F(NomesDeUsuario, TabelasComNomesDoMotorFuncionamPorInteiro) {
    Sql("CREATE TABLE ZV_CONFIG (chave INT NOT NULL PRIMARY KEY, valor VARCHAR(10) NULL)");
    Sql("CREATE TABLE zv_objetos (id INT NOT NULL, nome VARCHAR(20) NULL)");
    Sql("CREATE TABLE [sqlite_master] (x INT NULL)");
    Sql("CREATE TABLE sqlite_x (x INT NULL)");
    Sql("CREATE TABLE zvi_100000001_1 (x INT NULL)");
    Sql("INSERT INTO zv_config (chave, valor) VALUES (1, 'um'), (2, 'dois')");
    Sql("INSERT INTO zv_objetos VALUES (7, 'sete')");
    Sql("INSERT INTO sqlite_master SELECT chave FROM zv_config");
    Sql("INSERT INTO zvi_100000001_1 VALUES (5)");
    EXPECT_EQ(Linhas("SELECT zv_config.chave, ZV_CONFIG.valor FROM zv_config ORDER BY chave"),
              "1,um;2,dois;");
    EXPECT_EQ(Linhas("SELECT * FROM dbo.zv_objetos"), "7,sete;");
    EXPECT_EQ(Linhas("SELECT sqlite_master.x FROM sqlite_master ORDER BY 1"), "1;2;");
    EXPECT_EQ(Valor("SELECT x FROM zvi_100000001_1"), "5");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sqlite_x"), "0");
    Sql("UPDATE zv_config SET valor = 'UM' WHERE zv_config.chave = 1");
    Sql("UPDATE c SET valor = o.nome FROM zv_config c JOIN zv_objetos o ON o.id = c.chave + 5");
    Sql("DELETE FROM sqlite_master WHERE sqlite_master.x = 2");
    EXPECT_EQ(Linhas("SELECT c.valor, s.x FROM zv_config c LEFT JOIN sqlite_master s "
                     "ON s.x = c.chave ORDER BY c.chave"),
              "UM,1;sete,NULL;");
    EXPECT_EQ(Linhas("WITH zv_fonte AS (SELECT chave FROM zv_config) "
                     "SELECT zv_fonte.chave FROM zv_fonte ORDER BY 1"),
              "1;2;");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM zv_config AS sqlite_temp_master"), "2");
    EXPECT_EQ(Valor("WITH sqlite_r (n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM sqlite_r "
                    "WHERE n < 4) SELECT SUM(n) FROM sqlite_r"),
              "10");
    // the catalog and its functions show them by the names given
    EXPECT_EQ(Linhas("SELECT name FROM sysobjects WHERE xtype = 'U' ORDER BY name"),
              "sqlite_master;sqlite_x;ZV_CONFIG;zv_objetos;zvi_100000001_1;");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.tables WHERE name LIKE 'zv[_]%'"), "2");
    EXPECT_EQ(Linhas("SELECT COLUMN_NAME FROM INFORMATION_SCHEMA.COLUMNS "
                     "WHERE TABLE_NAME = 'zv_config' ORDER BY ORDINAL_POSITION"),
              "chave;valor;");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM syscolumns WHERE id = OBJECT_ID('sqlite_master')"), "1");
    EXPECT_EQ(Valor("SELECT OBJECT_NAME(OBJECT_ID('dbo.zv_config'))"), "ZV_CONFIG");
    EXPECT_EQ(Valor("SELECT rows FROM sysindexes WHERE id = OBJECT_ID('zv_config') AND indid < 2"),
              "2");
    EXPECT_EQ(Recusa("CREATE TABLE zv_config (y INT)"),
              std::make_pair(2714, std::string("There is already an object named 'zv_config' in "
                                               "the database.")));
    Sql("DROP TABLE zv_config, sqlite_master, sqlite_x, zvi_100000001_1");
    EXPECT_EQ(Recusa("SELECT * FROM zv_config"),
              std::make_pair(208, std::string("Invalid object name 'zv_config'.")));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysobjects WHERE xtype = 'U'"), "1");
    // the engine's own tables were never touched: a new connection reads them as before
    auto outra = Conectar("Teste");
    EXPECT_EQ(Texto(Sql("SELECT nome FROM zv_objetos", {}, outra.get()).linhas.at(0)[0]), "sete");
}

TEST_F(NomesDeUsuario, OsObjetosDoMotorContinuamInvisiveis) {
    Sql("CREATE TABLE zv_config (chave INT NULL)");
    // the user's table, not the engine's, under the name given
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM zv_config"), "0");
    // nor any name the engine may use for it inside
    EXPECT_EQ(Recusa("SELECT * FROM zv_usuario_zv_config").first, 208);
    EXPECT_EQ(Recusa("SELECT * FROM zv_usuarios").first, 208);
    EXPECT_EQ(Recusa("SELECT * FROM sqlite_sequence").first, 208);
    EXPECT_EQ(Recusa("SELECT * FROM main.zv_config").first, 208);
    EXPECT_EQ(Recusa("DROP TABLE zv_objetos"),
              std::make_pair(3701, std::string("Cannot drop the table 'zv_objetos', because it "
                                               "does not exist or you do not have permission.")));
    EXPECT_EQ(Recusa("ALTER TABLE zv_colunas ADD x INT NULL").first, 4902);
    EXPECT_EQ(Recusa("TRUNCATE TABLE zv_indices").first, 208);
    EXPECT_EQ(Recusa("DELETE FROM zv_permissoes").first, 208);
    EXPECT_EQ(Recusa("UPDATE zv_contador SET valor = 0").first, 208);
    EXPECT_EQ(Recusa("CREATE INDEX IX ON zv_objetos (nome)").first, 1088);
    EXPECT_EQ(Recusa("EXEC sp_rename 'zv_objetos', 'Roubada'").first, 15248);
    EXPECT_EQ(Recusa("GRANT SELECT ON zv_usuarios TO public").first, 15151);
    EXPECT_EQ(Valor("SELECT ISNULL(OBJECT_ID('zv_objetos'), 0)"), "0");
    EXPECT_EQ(Valor("SELECT ISNULL(IDENT_CURRENT('sqlite_sequence'), 0)"), "0");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysobjects WHERE name LIKE 'zv[_]%'"), "1");
    // nor do the names the engine gives its own statements' pieces clash with the user's
    Sql("CREATE TABLE zv_alvo (id INT NOT NULL PRIMARY KEY, v INT NULL)");
    Sql("CREATE TABLE zv_novas (id INT NULL)");
    Sql("INSERT INTO zv_novas VALUES (1), (2)");
    Sql("INSERT INTO zv_alvo (id) SELECT id FROM zv_novas");
    Sql("UPDATE zv_alvo SET v = n.id * 10 FROM zv_alvo JOIN zv_novas n ON n.id = zv_alvo.id "
        "WHERE n.id = 2");
    EXPECT_EQ(Linhas("SELECT id, v FROM zv_alvo ORDER BY id"), "1,NULL;2,20;");
    EXPECT_EQ(Recusa("INSERT INTO zv_alvo (id) SELECT id FROM zv_novas"),
              std::make_pair(2627, std::string("Violation of PRIMARY KEY constraint '" +
                                               Valor("SELECT name FROM sys.key_constraints") +
                                               "'. Cannot insert duplicate key in object "
                                               "'dbo.zv_alvo'. The duplicate key value is (1).")));
    EXPECT_EQ(Recusa("SELECT id FROM zv_alvo, zv_novas"),
              std::make_pair(209, std::string("Ambiguous column name 'id'.")));
    EXPECT_EQ(Recusa("SELECT zv_novas.id FROM zv_novas JOIN dbo.zv_novas ON 1 = 1"),
              std::make_pair(1013, std::string("The objects \"zv_novas\" and \"dbo.zv_novas\" in "
                                               "the FROM clause have the same exposed names. Use "
                                               "correlation names to distinguish them.")));
    EXPECT_EQ(Recusa("SELECT zv_alvo.id FROM zv_alvo a").first, 4104);
    EXPECT_EQ(Recusa("SELECT zv_alvo.id FROM zv_alvo a").second,
              "The multi-part identifier \"zv_alvo.id\" could not be bound.");
}

TEST_F(NomesDeUsuario, AlteracoesIndicesERestricoes) {
    Sql("CREATE TABLE sqlite_pai (id INT NOT NULL CONSTRAINT zv_pk PRIMARY KEY, nome VARCHAR(5) "
        "NULL)");
    Sql("CREATE TABLE zv_filho (id INT IDENTITY(10,1) NOT NULL, pai INT NULL CONSTRAINT "
        "sqlite_fk REFERENCES sqlite_pai (id), qtd INT NULL CONSTRAINT zv_ck CHECK (qtd > 0))");
    Sql("INSERT INTO sqlite_pai VALUES (1, 'a'), (2, 'b')");
    Sql("INSERT INTO zv_filho (pai, qtd) VALUES (1, 3)");
    EXPECT_EQ(Valor("SELECT @@IDENTITY"), "10");
    EXPECT_EQ(Valor("SELECT IDENT_CURRENT('zv_filho')"), "10");
    EXPECT_EQ(Recusa("INSERT INTO sqlite_pai VALUES (1, 'c')"),
              std::make_pair(2627, std::string("Violation of PRIMARY KEY constraint 'zv_pk'. "
                                               "Cannot insert duplicate key in object "
                                               "'dbo.sqlite_pai'. The duplicate key value is "
                                               "(1).")));
    EXPECT_EQ(Recusa("INSERT INTO zv_filho (pai, qtd) VALUES (9, 1)"),
              std::make_pair(547, std::string("The INSERT statement conflicted with the FOREIGN "
                                              "KEY constraint \"sqlite_fk\". The conflict "
                                              "occurred in database \"Teste\", table "
                                              "\"dbo.sqlite_pai\", column 'id'.")));
    EXPECT_EQ(Recusa("DELETE FROM sqlite_pai WHERE id = 1").first, 547);
    EXPECT_EQ(Recusa("UPDATE zv_filho SET qtd = 0"),
              std::make_pair(547, std::string("The UPDATE statement conflicted with the CHECK "
                                              "constraint \"zv_ck\". The conflict occurred in "
                                              "database \"Teste\", table \"dbo.zv_filho\", "
                                              "column 'qtd'.")));
    // each of these rebuilds the table under its name
    Sql("ALTER TABLE zv_filho ADD obs VARCHAR(10) NULL CONSTRAINT zv_df DEFAULT ('x')");
    Sql("ALTER TABLE zv_filho ALTER COLUMN obs VARCHAR(20) NULL");
    Sql("ALTER TABLE sqlite_pai ADD extra INT NULL");
    Sql("ALTER TABLE sqlite_pai DROP COLUMN extra");
    Sql("CREATE UNIQUE INDEX sqlite_ix ON zv_filho (obs)");
    Sql("INSERT INTO zv_filho (pai, qtd, obs) VALUES (2, 1, 'y')");
    EXPECT_EQ(Linhas("SELECT id, pai, qtd, obs FROM zv_filho ORDER BY id"),
              "10,1,3,NULL;11,2,1,y;");
    EXPECT_EQ(Recusa("INSERT INTO zv_filho (pai, qtd, obs) VALUES (2, 1, 'y')"),
              std::make_pair(2601, std::string("Cannot insert duplicate key row in object "
                                               "'dbo.zv_filho' with unique index 'sqlite_ix'. "
                                               "The duplicate key value is (y).")));
    EXPECT_EQ(Recusa("UPDATE zv_filho SET qtd = NULL, obs = 'y' WHERE id = 10").first, 2601);
    EXPECT_EQ(Recusa("INSERT INTO sqlite_pai (nome) VALUES ('z')"),
              std::make_pair(515, std::string("Cannot insert the value NULL into column 'id', "
                                              "table 'Teste.dbo.sqlite_pai'; column does not "
                                              "allow nulls. INSERT fails.")));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysindexes WHERE name = 'sqlite_ix'"), "1");
    Sql("DROP INDEX zv_filho.sqlite_ix");
    Sql("ALTER TABLE zv_filho DROP CONSTRAINT sqlite_fk");
    Sql("INSERT INTO zv_filho (pai, qtd, obs) VALUES (9, 1, 'y')");
    Sql("TRUNCATE TABLE zv_filho");
    Sql("INSERT INTO zv_filho (pai, qtd, obs) VALUES (9, 1, 'y')");
    EXPECT_EQ(Valor("SELECT id FROM zv_filho"), "10");
    Sql("SET IDENTITY_INSERT zv_filho ON");
    Sql("INSERT INTO zv_filho (id, pai, qtd, obs) VALUES (50, 1, 1, 'z')");
    Sql("SET IDENTITY_INSERT zv_filho OFF");
    EXPECT_EQ(Valor("SELECT MAX(id) FROM zv_filho"), "50");
}

TEST_F(NomesDeUsuario, VisoesProcedimentosEGatilhos) {
    Sql("CREATE TABLE zv_itens (id INT NOT NULL, valor INT NULL)");
    Sql("INSERT INTO zv_itens VALUES (1, 10), (2, 20)");
    Sql("CREATE VIEW sqlite_visao AS SELECT zv_itens.id, valor * 2 AS dobro FROM zv_itens");
    Sql("CREATE VIEW zv_visao AS SELECT s.id FROM sqlite_visao s WHERE s.dobro > 30");
    EXPECT_EQ(Linhas("SELECT * FROM sqlite_visao ORDER BY id"), "1,20;2,40;");
    EXPECT_EQ(Valor("SELECT id FROM zv_visao"), "2");
    Sql("CREATE PROCEDURE zv_proc AS SELECT 1");
    Sql("CREATE TRIGGER sqlite_gatilho ON zv_itens FOR INSERT AS SELECT 1");
    Sql("EXEC zv_proc");
    // a body's statements are compiled against them as against any table
    EXPECT_EQ(Recusa("CREATE PROCEDURE zv_errada AS UPDATE zv_itens SET valor = 1 WHERE nada = 1"),
              std::make_pair(207, std::string("Invalid column name 'nada'.")));
    EXPECT_EQ(Linhas("SELECT name, xtype FROM sysobjects WHERE xtype IN ('V', 'P', 'TR') "
                     "ORDER BY name"),
              "sqlite_gatilho,TR;sqlite_visao,V;zv_proc,P;zv_visao,V;");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.views"), "2");
    EXPECT_EQ(Valor("SELECT OBJECTPROPERTY(OBJECT_ID('zv_visao'), 'IsView')"), "1");
    Sql("ALTER VIEW zv_visao AS SELECT id FROM zv_itens");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM zv_visao"), "2");
    // the table made again under its name keeps its views
    Sql("ALTER TABLE zv_itens ADD extra INT NULL");
    EXPECT_EQ(Valor("SELECT SUM(dobro) FROM sqlite_visao"), "60");
    // their rights are their own
    Sql("CREATE LOGIN Leitor WITH PASSWORD = 'x'");
    Sql("CREATE USER Leitor FOR LOGIN Leitor");
    auto leitor = Conectar("Teste", "Leitor", "x");
    EXPECT_EQ(Recusa("SELECT * FROM zv_itens", leitor.get()),
              std::make_pair(229, std::string("The SELECT permission was denied on the object "
                                              "'zv_itens', database 'Teste', schema 'dbo'.")));
    Sql("GRANT SELECT ON zv_itens TO Leitor");
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM zv_itens", {}, leitor.get()).linhas.at(0)[0]), "2");
    EXPECT_EQ(Recusa("DELETE FROM zv_itens", leitor.get()).first, 229);
    Sql("DROP VIEW zv_visao, sqlite_visao");
    Sql("DROP PROCEDURE zv_proc");
    Sql("DROP TRIGGER sqlite_gatilho");
    EXPECT_EQ(Recusa("SELECT * FROM sqlite_visao").first, 208);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysobjects WHERE xtype <> 'U'"), "0");
}

// Functions too, though the engine's own SQL functions are named zv_...: a call through
// the schema is the user's function; a bare name is a built-in one, as on SQL Server.
TEST_F(NomesDeUsuario, FuncoesComNomesDoMotor) {
    Sql("CREATE FUNCTION zv_len (@a INT) RETURNS INT AS BEGIN RETURN @a + 1 END");
    Sql("CREATE FUNCTION sqlite_tabela (@a INT) RETURNS TABLE AS RETURN (SELECT @a AS x)");
    EXPECT_EQ(Valor("SELECT dbo.zv_len(1)"), "2");
    EXPECT_EQ(Valor("SELECT x FROM dbo.sqlite_tabela(3)"), "3");
    Sql("CREATE TABLE T (a INT NULL CONSTRAINT zv_ck CHECK (dbo.zv_len(a) > 0))");
    Sql("INSERT INTO T VALUES (1)");
    EXPECT_EQ(Recusa("INSERT INTO T VALUES (-5)").first, 547);
    EXPECT_EQ(Recusa("SELECT zv_len(1)"),
              std::make_pair(195, std::string("'zv_len' is not a recognized built-in function "
                                              "name.")));
    EXPECT_EQ(Recusa("SELECT dbo.zv_upper('a')").first, 4121);
}

// A table named as one of SQL Server's compatibility views is the user's under dbo. and
// in DML; the bare name in a query still reads the catalog view.
TEST_F(NomesDeUsuario, TabelasComNomesDeVisoesDoCatalogo) {
    Sql("CREATE TABLE sysobjects (x INT NULL)");
    Sql("CREATE TABLE SysColumns (x INT NULL)");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysobjects WHERE xtype = 'U'"), "2");
    Sql("INSERT INTO sysobjects VALUES (7)");
    Sql("INSERT INTO syscolumns SELECT x + 1 FROM dbo.sysobjects");
    Sql("CREATE PROCEDURE Multiplicar AS UPDATE sysobjects SET x = x * 10 WHERE x > 0");
    Sql("DROP PROCEDURE Multiplicar");
    Sql("UPDATE sysobjects SET x = x * 10 WHERE x > 0");
    EXPECT_EQ(Valor("SELECT x FROM dbo.sysobjects"), "70");
    EXPECT_EQ(Valor("SELECT s.x FROM dbo.syscolumns s"), "8");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM syscolumns WHERE id = OBJECT_ID('sysobjects')"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sys.sysobjects WHERE name = 'SysColumns'"), "1");
    Sql("DELETE FROM syscolumns");
    Sql("DROP TABLE sysobjects, syscolumns");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM dbo.sysobjects"), "0");
}

// SQLite's hidden rowid (also oid and _rowid_) is no column of SQL Server's; a column the
// user names so is the user's, and the engine finds its rows without it.
TEST_F(NomesDeUsuario, ColunasComONomeDaLinhaDoSqlite) {
    Sql("CREATE TABLE T (id INT NOT NULL, v INT NULL)");
    Sql("INSERT INTO T VALUES (1, 10), (2, 20)");
    EXPECT_EQ(Recusa("SELECT rowid FROM T"),
              std::make_pair(207, std::string("Invalid column name 'rowid'.")));
    EXPECT_EQ(Recusa("SELECT t.OID FROM T t").first, 207);
    EXPECT_EQ(Recusa("SELECT id FROM T WHERE _rowid_ = 1").first, 207);
    EXPECT_EQ(Recusa("UPDATE T SET v = rowid").first, 207);
    EXPECT_EQ(Recusa("SELECT id FROM T ORDER BY rowid").first, 207);
    EXPECT_EQ(Linhas("SELECT v AS rowid FROM T ORDER BY rowid DESC"), "20;10;");
    Sql("CREATE TABLE R (rowid INT NULL, oid INT NULL, v INT NULL CONSTRAINT UQ_R UNIQUE, "
        "versao TIMESTAMP NOT NULL)");
    Sql("INSERT INTO R (rowid, oid, v) VALUES (5, 5, 1), (5, 5, 2)");
    EXPECT_EQ(Linhas("SELECT rowid, R.oid, v FROM R ORDER BY v"), "5,5,1;5,5,2;");
    // each change reaches its own row only
    Sql("UPDATE R SET v = 3 WHERE v = 1");
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT versao) FROM R"), "2");
    Sql("UPDATE R SET v = 7 FROM R JOIN T ON T.id = R.v WHERE T.id = 2");
    EXPECT_EQ(Linhas("SELECT v FROM R ORDER BY v"), "3;7;");
    EXPECT_EQ(Recusa("UPDATE R SET v = 3 FROM R JOIN T ON T.id = 1 WHERE R.v = 7"),
              std::make_pair(2627, std::string("Violation of UNIQUE KEY constraint 'UQ_R'. "
                                               "Cannot insert duplicate key in object 'dbo.R'. "
                                               "The duplicate key value is (3).")));
    Sql("DELETE R FROM R JOIN T ON T.id = 1 WHERE R.v = 3");
    EXPECT_EQ(Linhas("SELECT rowid, v FROM R"), "5,7;");
}

TEST_F(NomesDeUsuario, RenomearDeEParaNomesDoMotor) {
    Sql("CREATE TABLE Pai (id INT NOT NULL PRIMARY KEY)");
    Sql("CREATE TABLE Filho (pai INT NULL REFERENCES Pai (id))");
    Sql("INSERT INTO Pai VALUES (1)");
    Sql("INSERT INTO Filho VALUES (1)");
    Sql("EXEC sp_rename 'Pai', 'zv_config'");
    EXPECT_EQ(Valor("SELECT id FROM zv_config"), "1");
    EXPECT_EQ(Recusa("INSERT INTO Filho VALUES (2)").first, 547);
    EXPECT_EQ(Recusa("SELECT * FROM Pai").first, 208);
    Sql("EXEC sp_rename 'zv_config', 'sqlite_sequence'");
    Sql("EXEC sp_rename 'sqlite_sequence.id', 'codigo', 'COLUMN'");
    EXPECT_EQ(Valor("SELECT codigo FROM sqlite_sequence"), "1");
    EXPECT_EQ(Recusa("DELETE FROM sqlite_sequence").first, 547);
    Sql("EXEC sp_rename 'sqlite_sequence', 'Pai'");
    EXPECT_EQ(Valor("SELECT codigo FROM Pai"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sysobjects WHERE name IN ('zv_config', "
                    "'sqlite_sequence')"),
              "0");
}

TEST_F(NomesDeUsuario, OutroBancoECopia) {
    Conectar("master")->Executar("CREATE DATABASE Origem", {}, 0);
    auto origem = Conectar("Origem");
    Sql("CREATE TABLE zv_config (chave INT NOT NULL, valor VARCHAR(5) NULL)", {}, origem.get());
    Sql("INSERT INTO zv_config VALUES (1, 'a'), (2, 'b')", {}, origem.get());
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Origem..zv_config"), "2");
    EXPECT_EQ(Valor("SELECT valor FROM Origem.dbo.zv_config WHERE chave = 2"), "b");
    EXPECT_EQ(Recusa("SELECT * FROM zv_config").first, 208);
    EXPECT_EQ(Recusa("SELECT * FROM Origem..zv_objetos"),
              std::make_pair(208, std::string("Invalid object name 'Origem.dbo.zv_objetos'.")));
    Sql("CREATE TABLE sqlite_copia (chave INT NULL, valor VARCHAR(5) NULL)");
    Sql("INSERT INTO sqlite_copia SELECT chave, valor FROM Origem..zv_config");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM sqlite_copia"), "2");
    // a backup brings them back under their names
    const std::string copia = (pasta_ / "Backup" / "origem.bak").string();
    auto master = Conectar("master");
    Sql("BACKUP DATABASE Origem TO DISK = '" + copia + "'", {}, master.get());
    Sql("DROP TABLE zv_config", {}, origem.get());
    origem.reset();
    Sql("RESTORE DATABASE Origem FROM DISK = '" + copia + "' WITH REPLACE", {}, master.get());
    origem = Conectar("Origem");
    EXPECT_EQ(Texto(Sql("SELECT SUM(chave) FROM zv_config", {}, origem.get()).linhas.at(0)[0]),
              "3");
    Sql("ALTER TABLE zv_config ADD extra INT NULL", {}, origem.get());
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM zv_config WHERE extra IS NULL", {}, origem.get())
                        .linhas.at(0)[0]),
              "2");
}

// The server's own tables (srv_sessoes, srv_logins, srv_bancos...) are out of reach too:
// databases, logins, users, roles and objects named as them are the user's, and the
// server goes on knowing its sessions (a KILL still reaches one).
TEST_F(NomesDeUsuario, NomesDasTabelasDoServidor) {
    auto master = Conectar("master");
    for (const char* banco : {"srv_sessoes", "zv_config", "sqlite_master"})
        Sql(std::string("CREATE DATABASE ") + banco, {}, master.get());
    Sql("CREATE LOGIN srv_logins WITH PASSWORD = 'x'", {}, master.get());
    auto dono = Conectar("srv_sessoes");
    Sql("CREATE TABLE ZV_CONFIG (a INT)", {}, dono.get());
    Sql("CREATE TABLE srv_sessoes (chave INT NOT NULL CONSTRAINT srv_pk PRIMARY KEY, b INT NULL "
        "CONSTRAINT zv_ck CHECK (b > 0) CONSTRAINT srv_df DEFAULT (LEN('abc')))",
        {}, dono.get());
    Sql("CREATE PROCEDURE srv_bancos AS SELECT COUNT(*) + MAX(b) FROM srv_sessoes", {}, dono.get());
    Sql("CREATE USER srv_logins FOR LOGIN srv_logins", {}, dono.get());
    Sql("CREATE ROLE zv_papeis", {}, dono.get());
    Sql("EXEC sp_addrolemember 'zv_papeis', 'srv_logins'", {}, dono.get());
    Sql("GRANT EXECUTE ON srv_bancos TO zv_papeis\nGRANT SELECT ON srv_sessoes TO zv_papeis", {},
        dono.get());
    Sql("INSERT INTO ZV_CONFIG VALUES (1)\nINSERT INTO srv_sessoes (chave) VALUES (1)", {},
        dono.get());
    EXPECT_EQ(Recusa("INSERT INTO srv_sessoes VALUES (2, 0)", dono.get()).first, 547);

    auto usuario = Conectar("srv_sessoes", "srv_logins", "x");
    EXPECT_EQ(Texto(Sql("EXEC srv_bancos", {}, usuario.get()).linhas.at(0)[0]), "4");
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM sys.databases WHERE name IN ('srv_sessoes', "
                        "'zv_config', 'sqlite_master')",
                        {}, master.get())
                        .linhas.at(0)[0]),
              "3");
    const std::string spid = Texto(Sql("SELECT @@SPID", {}, usuario.get()).linhas.at(0)[0]);
    Sql("KILL " + spid, {}, master.get());
    EXPECT_NE(Recusa("EXEC srv_bancos", usuario.get()).second.find("foi encerrada"),
              std::string::npos);
    EXPECT_EQ(
        Texto(Sql("SELECT a FROM ZV_CONFIG", {}, Conectar("srv_sessoes").get()).linhas.at(0)[0]),
        "1");
}

}  // namespace
