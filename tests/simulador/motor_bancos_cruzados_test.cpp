#include "ambiente.hpp"
#include "comum/erros.hpp"

// Names that point at another database of the server: ORIGEM.dbo.T and ORIGEM..T.
class BancosCruzados : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Conectar("master")->Executar("CREATE DATABASE Origem", {}, 0);
        origem_ = Conectar("Origem");
        Sql("create table Itens (Id int not null primary key, Nome varchar(10) null, "
            "Valor decimal(10,2) null)",
            {}, origem_.get());
        Sql("insert into Itens values (1, 'Caneta', 1.50)", {}, origem_.get());
        Sql("insert into Itens values (2, 'Lápis', 0.75)", {}, origem_.get());
        Sql("create table Solo (X int)", {}, origem_.get());
        Sql("create table Itens (Id int not null primary key, Nome varchar(10) null, "
            "Valor decimal(10,2) null)");
    }
    std::unique_ptr<zolvek::db::Conector> origem_;
};

TEST_F(BancosCruzados, LeEInsereDeOutroBanco) {
    EXPECT_EQ(Valor("select count(*) from Origem.dbo.Itens"), "2");
    EXPECT_EQ(Valor("select Nome from Origem..Itens where Id = 2"), "Lápis");
    EXPECT_EQ(Valor("select count(*) from Itens"), "0");
    Sql("insert into Itens (Id, Nome, Valor) select Id, Nome, Valor from ORIGEM..Itens");
    EXPECT_EQ(Valor("select count(*) from Itens"), "2");
    EXPECT_EQ(Valor("select sum(Valor) from Itens"), Valor("select sum(Valor) from Origem..Itens"));
    // the source is left as it was
    EXPECT_EQ(Texto(Sql("select count(*) from Itens", {}, origem_.get()).linhas[0][0]), "2");
    // the current database by its own name
    EXPECT_EQ(Valor("select count(*) from Teste.dbo.Itens"), "2");
    // a column named with its schema and table is no database
    EXPECT_EQ(Valor("select dbo.Itens.Nome from dbo.Itens where Id = 1"), "Caneta");
}

TEST_F(BancosCruzados, DentroDeUmaTransacao) {
    db_->IniciarTransacao();
    Sql("insert into Itens (Id, Nome, Valor) select Id, Nome, Valor from Origem.dbo.Itens");
    EXPECT_EQ(Valor("select count(*) from Itens i join Origem..Itens o on o.Id = i.Id"), "2");
    db_->Desfazer();
    EXPECT_EQ(Valor("select count(*) from Itens"), "0");
    Sql("begin tran insert into Itens select * from Origem..Itens commit");
    EXPECT_EQ(Valor("select count(*) from Itens"), "2");
}

TEST_F(BancosCruzados, MensagensDoSqlServer) {
    EXPECT_EQ(Falha("select * from Inexistente.dbo.Itens"),
              "Database 'Inexistente' does not exist. Make sure that the name is entered "
              "correctly.");
    EXPECT_EQ(Falha("select * from Origem.dbo.Nada"), "Invalid object name 'Origem.dbo.Nada'.");
    // a table only the other database has is not found by its bare name
    EXPECT_EQ(Falha("select * from Origem..Itens; select * from Solo"),
              "Invalid object name 'Solo'.");
    Sql("create login Leitor with password = 'x1'");
    Sql("create user Leitor for login Leitor");
    auto leitor = Conectar("Teste", "Leitor", "x1");
    EXPECT_EQ(Falha("select * from Origem..Itens", leitor.get()),
              "The server principal \"Leitor\" is not able to access the database \"Origem\" "
              "under the current security context.");
    try {
        Sql("select * from Origem..Itens", {}, leitor.get());
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 916);
    }
}

TEST_F(BancosCruzados, RecusaOQueNaoFaz) {
    EXPECT_EQ(Falha("insert into Origem.dbo.Itens values (3, 'Borracha', 1)"),
              "O simulador de SQL Server não altera objetos de outro banco ('Origem.dbo.Itens'); "
              "use USE Origem.");
    EXPECT_EQ(Falha("select * from Origem.sys.tables"),
              "O simulador de SQL Server não lê o catálogo de outro banco ('Origem.sys.tables'); "
              "use USE Origem.");
    EXPECT_EQ(Texto(Sql("select count(*) from Itens", {}, origem_.get()).linhas[0][0]), "2");
}
