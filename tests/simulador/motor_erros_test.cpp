#include "ambiente.hpp"
#include "comum/erros.hpp"

// Every error carries SQL Server's number, severity and state beside its text, so that
// callers decide by number.
class NumerosDeErro : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("create table Pai (Id int not null primary key, Nome varchar(5) not null, "
            "Cod int null, constraint UQ_Pai_Cod unique (Cod), constraint CK_Pai_Nome check "
            "(Nome <> 'x'))");
        Sql("create table Filho (Id int not null, PaiId int null constraint FK_Filho_Pai "
            "references Pai (Id))");
        Sql("create unique index IX_Filho_Id on Filho (Id)");
        Sql("insert into Pai (Id, Nome, Cod) values (1, 'a', 1)");
        Sql("insert into Filho (Id, PaiId) values (1, 1)");
    }

    // "numero/severidade/estado" of the error the batch raises.
    std::string Numero(const std::string& sql) {
        try {
            Sql(sql);
        } catch (const zolvek::ErroDeBanco& e) {
            return std::to_string(e.Numero()) + "/" + std::to_string(e.Severidade()) + "/" +
                   std::to_string(e.Estado());
        }
        return "(sem erro)";
    }
};

TEST_F(NumerosDeErro, NomesEDados) {
    EXPECT_EQ(Numero("select * from NaoExiste"), "208/16/1");
    EXPECT_EQ(Numero("select NaoExiste from Pai"), "207/16/1");
    EXPECT_EQ(Numero("insert into Pai (Id) values (2)"), "515/16/2");
    EXPECT_EQ(Numero("insert into Pai (Id, Nome) values (1, 'b')"), "2627/14/1");
    EXPECT_EQ(Numero("insert into Pai (Id, Nome, Cod) values (2, 'b', 1)"), "2627/14/1");
    EXPECT_EQ(Numero("insert into Filho (Id) values (1)"), "2601/14/1");
    EXPECT_EQ(Numero("insert into Pai (Id, Nome) values (3, 'x')"), "547/16/0");
    EXPECT_EQ(Numero("insert into Filho (Id, PaiId) values (2, 9)"), "547/16/0");
    EXPECT_EQ(Numero("delete from Pai"), "547/16/0");
    EXPECT_EQ(Numero("insert into Pai (Id, Nome) values (4, 'abcdef')"), "8152/16/14");
    EXPECT_EQ(Numero("select cast('abc' as int)"), "245/16/1");
}

TEST_F(NumerosDeErro, ValorDaChaveDuplicada) {
    EXPECT_EQ(Falha("insert into Pai (Id, Nome) values (1, 'b')"),
              "Violation of PRIMARY KEY constraint '" +
                  Valor("select name from sys.key_constraints where type = 'PK'") +
                  "'. Cannot insert duplicate key in object 'dbo.Pai'. The duplicate key value is "
                  "(1).");
    // two new rows with the same key, and a key that is NULL
    Sql("create table Dupla (A int not null, B varchar(5) null, constraint UQ_Dupla unique (A, "
        "B))");
    Sql("insert into Dupla values (1, 'x')");
    EXPECT_EQ(Falha("insert into Dupla values (2, 'y'), (2, 'y')"),
              "Violation of UNIQUE KEY constraint 'UQ_Dupla'. Cannot insert duplicate key in "
              "object 'dbo.Dupla'. The duplicate key value is (2, y).");
    EXPECT_EQ(Falha("insert into Filho (Id, PaiId) select 1, null"),
              "Cannot insert duplicate key row in object 'dbo.Filho' with unique index "
              "'IX_Filho_Id'. The duplicate key value is (1).");
    EXPECT_EQ(Valor("select count(*) from Dupla"), "1");
    // an UPDATE: against a row it leaves, and two rows it changes to the same key
    Sql("insert into Dupla values (3, 'z'), (4, 'w')");
    EXPECT_EQ(Falha("update Dupla set A = 1, B = 'x' where A = 3"),
              "Violation of UNIQUE KEY constraint 'UQ_Dupla'. Cannot insert duplicate key in "
              "object 'dbo.Dupla'. The duplicate key value is (1, x).");
    EXPECT_EQ(Falha("update Dupla set A = 5, B = 'v' where A > 2"),
              "Violation of UNIQUE KEY constraint 'UQ_Dupla'. Cannot insert duplicate key in "
              "object 'dbo.Dupla'. The duplicate key value is (5, v).");
    EXPECT_EQ(
        Falha("update d set A = p.Id, B = 'x' from Dupla d join Pai p on p.Id = 1 where d.A = 4"),
        "Violation of UNIQUE KEY constraint 'UQ_Dupla'. Cannot insert duplicate key in "
        "object 'dbo.Dupla'. The duplicate key value is (1, x).");
    Sql("update Dupla set A = A + 10");  // every key moves at once: no conflict
    EXPECT_EQ(Valor("select min(A) from Dupla"), "11");
}

TEST_F(NumerosDeErro, InstrucoesEServidor) {
    EXPECT_EQ(Numero("commit"), "3902/16/1");
    EXPECT_EQ(Numero("rollback"), "3903/16/1");
    EXPECT_EQ(Numero("exec NaoExiste"), "2812/16/62");
    EXPECT_EQ(Numero("create table Pai (Id int)"), "2714/16/6");
    EXPECT_EQ(Numero("drop table NaoExiste"), "3701/11/5");
    EXPECT_EQ(Numero("alter database NaoExiste set single_user"), "5011/14/5");
    // a rollback of the statement leaves the session usable, and no error is left over
    EXPECT_EQ(Valor("select count(*) from Pai"), "1");
}
