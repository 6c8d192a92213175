#include "ambiente.hpp"

// Fixed database roles and GRANT/DENY/REVOKE on tables and procedures are enforced with
// SQL Server's messages.
class DireitosNoBanco : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE RegMov (Id INT NOT NULL, Valor INT NULL)");
        Sql("INSERT INTO RegMov VALUES (1, 10)");
        Sql("CREATE PROCEDURE Fechar AS SELECT 1");
    }

    std::unique_ptr<zolvek::db::Conector> Usuario(const std::string& nome,
                                                  const std::string& papel) {
        Sql("CREATE LOGIN " + nome + " WITH PASSWORD = 'x'");
        Sql("CREATE USER " + nome + " FOR LOGIN " + nome);
        if (!papel.empty()) Sql("exec sp_addrolemember '" + papel + "', '" + nome + "'");
        return Conectar("Teste", nome, "x");
    }

    static std::string Negada(const std::string& permissao, const std::string& objeto) {
        return "The " + permissao + " permission was denied on the object '" + objeto +
               "', database 'Teste', schema 'dbo'.";
    }
};

TEST_F(DireitosNoBanco, LeitorSoLe) {
    auto leitor = Usuario("Leitor", "db_datareader");
    EXPECT_EQ(Texto(Sql("SELECT Valor FROM RegMov", {}, leitor.get()).linhas.at(0)[0]), "10");
    EXPECT_EQ(Falha("INSERT INTO RegMov VALUES (2, 20)", leitor.get()), Negada("INSERT", "RegMov"));
    EXPECT_EQ(Falha("UPDATE RegMov SET Valor = 11", leitor.get()), Negada("UPDATE", "RegMov"));
    EXPECT_EQ(Falha("DELETE FROM RegMov", leitor.get()), Negada("DELETE", "RegMov"));
    EXPECT_EQ(Falha("CREATE TABLE Nova (x INT)", leitor.get()),
              "CREATE TABLE permission denied in database 'Teste'.");
    EXPECT_EQ(Falha("ALTER TABLE RegMov ADD Outro INT NULL", leitor.get()),
              "Cannot alter the table 'RegMov', because it does not exist or you do not have "
              "permission.");
    EXPECT_EQ(Falha("DROP TABLE RegMov", leitor.get()),
              "Cannot drop the table 'RegMov', because it does not exist or you do not have "
              "permission.");
    EXPECT_EQ(Falha("TRUNCATE TABLE RegMov", leitor.get()),
              "Cannot find the object \"RegMov\" because it does not exist or you do not have "
              "permissions.");
    EXPECT_EQ(Falha("EXEC Fechar", leitor.get()), Negada("EXECUTE", "Fechar"));
    EXPECT_EQ(Falha("GRANT INSERT ON RegMov TO Leitor", leitor.get()),
              "Cannot find the object 'RegMov', because it does not exist or you do not have "
              "permission.");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM RegMov WHERE Valor = 10"), "1");
}

TEST_F(DireitosNoBanco, ConcederNegarERevogar) {
    auto op = Usuario("Operador", "db_datareader");
    Sql("GRANT INSERT ON RegMov TO Operador");
    Sql("GRANT EXECUTE ON Fechar TO Operador");
    Sql("INSERT INTO RegMov VALUES (2, 20)", {}, op.get());
    Sql("EXEC Fechar", {}, op.get());
    Sql("DENY SELECT ON RegMov TO public");  // a DENY to any of the user's roles wins
    EXPECT_EQ(Falha("SELECT * FROM RegMov", op.get()), Negada("SELECT", "RegMov"));
    Sql("REVOKE SELECT ON RegMov FROM public");
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM RegMov", {}, op.get()).linhas.at(0)[0]), "2");
    Sql("REVOKE INSERT ON RegMov FROM Operador");
    EXPECT_EQ(Falha("INSERT INTO RegMov VALUES (3, 30)", op.get()), Negada("INSERT", "RegMov"));
}

TEST_F(DireitosNoBanco, PapeisFixos) {
    auto nenhum = Usuario("Nenhum", "");
    EXPECT_EQ(Falha("SELECT * FROM RegMov", nenhum.get()), Negada("SELECT", "RegMov"));
    auto escritor = Usuario("Escritor", "db_datawriter");
    Sql("INSERT INTO RegMov VALUES (5, 50)", {}, escritor.get());
    EXPECT_EQ(Falha("SELECT * FROM RegMov", escritor.get()), Negada("SELECT", "RegMov"));
    auto negado = Usuario("Negado", "db_datareader");
    Sql("exec sp_addrolemember 'db_denydatareader', 'Negado'");
    EXPECT_EQ(Falha("SELECT * FROM RegMov", negado.get()), Negada("SELECT", "RegMov"));
    auto ddl = Usuario("Estrutura", "db_ddladmin");
    Sql("CREATE TABLE Nova (x INT NULL)", {}, ddl.get());
    Sql("DROP TABLE Nova", {}, ddl.get());
    auto dono = Usuario("Dono", "db_owner");
    Sql("DELETE FROM RegMov WHERE Id = 5", {}, dono.get());
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM RegMov"), "1");
}

// EXECUTE on a procedure is enough for what its body (and the triggers it fires, and the
// procedures it calls) does to dbo's objects; dynamic SQL inside it is the caller's own,
// and a statement the body prepared unchecked never serves the caller's batches.
TEST_F(DireitosNoBanco, CadeiaDeDonoDoProcedimento) {
    Sql("CREATE TABLE Auditoria (Id INT NOT NULL)");
    Sql("CREATE TRIGGER RegMovAuditado ON RegMov AFTER INSERT AS "
        "INSERT INTO Auditoria SELECT Id FROM inserted");
    Sql("CREATE PROCEDURE Contar AS SELECT COUNT(*) FROM RegMov");
    Sql("CREATE PROCEDURE Lancar @id INT AS INSERT INTO RegMov VALUES (@id, 0) EXEC Contar");
    Sql("CREATE PROCEDURE LerDinamico AS EXEC ('SELECT COUNT(*) FROM RegMov')");
    auto caixa = Usuario("Caixa", "");
    Sql("GRANT EXECUTE ON Lancar TO Caixa");
    Sql("GRANT EXECUTE ON LerDinamico TO Caixa");
    EXPECT_EQ(Texto(Sql("EXEC Lancar 7", {}, caixa.get()).linhas.at(0)[0]), "2");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM Auditoria WHERE Id = 7"), "1");
    EXPECT_EQ(Falha("SELECT COUNT(*) FROM RegMov", caixa.get()), Negada("SELECT", "RegMov"));
    EXPECT_EQ(Falha("EXEC Contar", caixa.get()), Negada("EXECUTE", "Contar"));
    EXPECT_EQ(Falha("EXEC LerDinamico", caixa.get()), Negada("SELECT", "RegMov"));
}

// ON SCHEMA::dbo reaches every object of the database, those made after the GRANT too;
// a DENY on the schema or on the database wins over a GRANT on the object.
TEST_F(DireitosNoBanco, DireitosNoEsquemaENoBanco) {
    auto op = Usuario("Operador", "");
    Sql("GRANT SELECT, INSERT ON SCHEMA::dbo TO Operador");
    Sql("GRANT EXECUTE ON SCHEMA :: [dbo] TO Operador");
    Sql("CREATE TABLE Depois (x INT NULL)");
    Sql("INSERT INTO Depois VALUES (1)", {}, op.get());
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM Depois", {}, op.get()).linhas.at(0)[0]), "1");
    Sql("EXEC Fechar", {}, op.get());
    EXPECT_EQ(Falha("DELETE FROM RegMov", op.get()), Negada("DELETE", "RegMov"));
    Sql("GRANT DELETE ON RegMov TO Operador");
    Sql("DENY DELETE ON SCHEMA::dbo TO public");
    EXPECT_EQ(Falha("DELETE FROM RegMov", op.get()), Negada("DELETE", "RegMov"));
    Sql("REVOKE DELETE ON SCHEMA::dbo FROM public");
    Sql("DELETE FROM RegMov", {}, op.get());
    Sql("REVOKE SELECT ON SCHEMA::dbo FROM Operador");
    EXPECT_EQ(Falha("SELECT * FROM RegMov", op.get()), Negada("SELECT", "RegMov"));
    Sql("GRANT SELECT TO Operador");  // on the database: every object again
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM RegMov", {}, op.get()).linhas.at(0)[0]), "0");
    Sql("DENY EXECUTE TO Operador");
    EXPECT_EQ(Falha("EXEC Fechar", op.get()), Negada("EXECUTE", "Fechar"));
}

TEST_F(DireitosNoBanco, EsquemasQueNaoGuardaDireitos) {
    Usuario("Operador", "");
    EXPECT_EQ(Falha("GRANT SELECT ON SCHEMA::vendas TO Operador"),
              "Cannot find the schema 'vendas', because it does not exist or you do not have "
              "permission.");
    EXPECT_EQ(Falha("GRANT SELECT ON SCHEMA::sys TO Operador"),
              "O simulador de SQL Server não concede permissões no esquema 'sys'.");
    EXPECT_EQ(Falha("GRANT ALTER ON SCHEMA::dbo TO Operador"),
              "O simulador de SQL Server não interpreta a permissão 'ALTER' em um esquema.");
    EXPECT_EQ(Falha("GRANT CONTROL ON DATABASE::Teste TO Operador"),
              "O simulador de SQL Server não interpreta permissões em 'DATABASE::'.");
    EXPECT_EQ(Falha("GRANT SELECT ON SCHEMA::dbo TO Ninguem"),
              "Cannot find the user 'Ninguem', because it does not exist or you do not have "
              "permission.");
}
