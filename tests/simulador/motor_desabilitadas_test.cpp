#include "ambiente.hpp"

// ALTER TABLE ... NOCHECK CONSTRAINT: what install scripts do to load tables before
// the ones they reference.
class RestricoesDesabilitadas : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("create table Pai (Id int not null primary key)");
        Sql("create table Filho (Id int not null, PaiId int null constraint FK_Filho_Pai "
            "references Pai (Id), Qtd int null constraint CK_Filho_Qtd check (Qtd > 0))");
    }
    const std::string kFk =
        " statement conflicted with the FOREIGN KEY constraint \"FK_Filho_Pai\". The conflict "
        "occurred in database \"Teste\", table \"dbo.Pai\", column 'Id'.";
    const std::string kCk =
        " statement conflicted with the CHECK constraint \"CK_Filho_Qtd\". The conflict occurred "
        "in database \"Teste\", table \"dbo.Filho\", column 'Qtd'.";
};

TEST_F(RestricoesDesabilitadas, NaoValemEnquantoDesabilitadas) {
    Sql("ALTER TABLE Filho NOCHECK CONSTRAINT ALL");
    Sql("insert into Filho values (1, 7, 0)");
    EXPECT_EQ(Valor("select is_disabled from sys.foreign_keys where name = 'FK_Filho_Pai'"), "1");
    EXPECT_EQ(Valor("select is_not_trusted from sys.foreign_keys where name = 'FK_Filho_Pai'"),
              "1");
    EXPECT_EQ(Valor("select is_disabled from sys.check_constraints where name = 'CK_Filho_Qtd'"),
              "1");
    // WITH CHECK validates the rows already there
    EXPECT_EQ(Falha("ALTER TABLE Filho WITH CHECK CHECK CONSTRAINT FK_Filho_Pai"),
              "The ALTER TABLE" + kFk);
    Sql("insert into Pai values (7)");
    Sql("ALTER TABLE Filho WITH CHECK CHECK CONSTRAINT FK_Filho_Pai");
    EXPECT_EQ(Valor("select is_disabled from sys.foreign_keys where name = 'FK_Filho_Pai'"), "0");
    EXPECT_EQ(Valor("select is_not_trusted from sys.foreign_keys where name = 'FK_Filho_Pai'"),
              "0");
    EXPECT_EQ(Falha("insert into Filho values (2, 8, 1)"), "The INSERT" + kFk);
    EXPECT_EQ(Falha("delete from Pai"),
              "The DELETE statement conflicted with the REFERENCE constraint \"FK_Filho_Pai\". "
              "The conflict occurred in database \"Teste\", table \"dbo.Filho\", column 'PaiId'.");
    // enabled without WITH CHECK: enforced from now on, still not trusted
    EXPECT_EQ(Falha("ALTER TABLE Filho WITH CHECK CHECK CONSTRAINT CK_Filho_Qtd"),
              "The ALTER TABLE" + kCk);
    Sql("ALTER TABLE Filho CHECK CONSTRAINT CK_Filho_Qtd");
    EXPECT_EQ(Falha("insert into Filho values (3, 7, 0)"), "The INSERT" + kCk);
    EXPECT_EQ(Valor("select is_not_trusted from sys.check_constraints where name = 'CK_Filho_Qtd'"),
              "1");
    EXPECT_EQ(Valor("select count(*) from Filho"), "1");
}

TEST_F(RestricoesDesabilitadas, NomesQueNaoServem) {
    EXPECT_EQ(Falha("ALTER TABLE Filho NOCHECK CONSTRAINT Nada"),
              "Constraint 'Nada' does not exist.\nCould not enable or disable the constraint. See "
              "previous errors.");
    EXPECT_EQ(Falha("ALTER TABLE Pai NOCHECK CONSTRAINT " +
                    Valor("select name from sys.key_constraints where type = 'PK'")),
              "Object '" + Valor("select name from sys.key_constraints where type = 'PK'") +
                  "' cannot be disabled or enabled. This action applies only to foreign key and "
                  "check constraints.\nCould not enable or disable the constraint. See previous "
                  "errors.");
    // the parent side of a disabled foreign key is not checked either
    Sql("insert into Pai values (1)");
    Sql("insert into Filho values (1, 1, 1)");
    Sql("ALTER TABLE Filho NOCHECK CONSTRAINT FK_Filho_Pai");
    Sql("delete from Pai");
    EXPECT_EQ(Valor("select count(*) from Filho"), "1");
}
