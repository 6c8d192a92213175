#include "ambiente.hpp"

// sp_rename, sp_executesql, SET NOCOUNT, sysname and sysindexes.rows, with SQL Server's
// answers and messages.
class ProcedimentosDoSistema : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("create table Pai (Id int not null constraint PK_Pai primary key, Nome varchar(10) "
            "null constraint CK_Pai_Nome check (Nome <> 'x'))");
        Sql("create table Filho (Id int not null, PaiId int null constraint FK_Filho_Pai "
            "references Pai (Id))");
        Sql("insert into Pai values (1, 'a')");
        Sql("insert into Pai values (2, 'b')");
        Sql("insert into Filho values (1, 1)");
    }
};

TEST_F(ProcedimentosDoSistema, RenomeiaColunaETabela) {
    Sql("exec sp_rename 'Pai.Nome', 'Descricao', 'COLUMN'");
    EXPECT_EQ(Valor("select Descricao from Pai where Id = 2"), "b");
    EXPECT_EQ(Falha("select Nome from Pai"), "Invalid column name 'Nome'.");
    // the check follows the column
    EXPECT_NE(Valor("select definition from sys.check_constraints where name = 'CK_Pai_Nome'")
                  .find("[Descricao]"),
              std::string::npos);
    EXPECT_NE(Falha("insert into Pai values (3, 'x')").find("CK_Pai_Nome"), std::string::npos);
    Sql("exec sp_rename 'Pai.Id', 'Codigo', 'COLUMN'");
    EXPECT_NE(Falha("insert into Filho values (2, 9)").find("column 'Codigo'"), std::string::npos);
    // the rows that reference the key still hold it under its new name
    EXPECT_EQ(Falha("delete from Pai where Codigo = 1"),
              "The DELETE statement conflicted with the REFERENCE constraint \"FK_Filho_Pai\". The "
              "conflict occurred in database \"Teste\", table \"dbo.Filho\", column 'PaiId'.");
    Sql("update Pai set Codigo = 3 where Codigo = 2");
    Sql("exec sp_rename 'Pai', 'Mae'");
    EXPECT_EQ(Valor("select count(*) from Mae"), "2");
    EXPECT_EQ(Falha("select * from Pai"), "Invalid object name 'Pai'.");
    EXPECT_EQ(Falha("insert into Filho values (2, 9)"),
              "The INSERT statement conflicted with the FOREIGN KEY constraint \"FK_Filho_Pai\". "
              "The conflict occurred in database \"Teste\", table \"dbo.Mae\", column 'Codigo'.");
    EXPECT_EQ(Falha("delete from Mae"),
              "The DELETE statement conflicted with the REFERENCE constraint \"FK_Filho_Pai\". The "
              "conflict occurred in database \"Teste\", table \"dbo.Filho\", column 'PaiId'.");
    EXPECT_EQ(Falha("exec sp_rename 'Mae.Nada', 'X', 'COLUMN'"),
              "Either the parameter @objname is ambiguous or the claimed @objtype (COLUMN) is "
              "wrong.");
    EXPECT_EQ(Falha("exec sp_rename 'Mae', 'Filho'"),
              "Error: The new name 'Filho' is already in use as a object name and would cause a "
              "duplicate that is not permitted.");
    EXPECT_EQ(Falha("exec sp_rename 'Mae.Codigo', 'Descricao', 'COLUMN'"),
              "Error: The new name 'Descricao' is already in use as a COLUMN name and would cause "
              "a duplicate that is not permitted.");
}

TEST_F(ProcedimentosDoSistema, SqlDinamicoComParametros) {
    auto r = Sql("exec sp_executesql N'select Nome from Pai where Id = @id', N'@id int', @id = 2");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][0]), "b");
    EXPECT_EQ(Valor("exec sp_executesql N'select count(*) from Pai where Id >= @a and Nome <> "
                    "@b', N'@a int, @b varchar(10)', 1, 'a'"),
              "1");
    Sql("exec sp_executesql N'insert into Pai values (@id, @nome)', N'@id int, @nome "
        "varchar(10)', @nome = 'c', @id = '3'");
    EXPECT_EQ(Valor("select Nome from Pai where Id = 3"), "c");
    EXPECT_EQ(Falha("exec sp_executesql N'select @id', N'@id int'"),
              "The parameterized query '(@id int)select @id' expects the parameter '@id', which "
              "was not supplied.");
    EXPECT_EQ(Falha("exec sp_executesql 'select 1'"),
              "Procedure expects parameter '@statement' of type 'ntext/nchar/nvarchar'.");
    EXPECT_EQ(Falha("exec sp_executesql N'select @x'"), "Must declare the scalar variable \"@x\".");
}

TEST_F(ProcedimentosDoSistema, NocountSysnameESysindexes) {
    auto lote = db_->Executar("insert into Filho values (5, 2); select count(*) from Filho", {}, 0);
    ASSERT_EQ(lote.size(), 2u);
    EXPECT_EQ(lote[0].linhasAfetadas, 1);
    lote = db_->Executar(
        "set nocount on; insert into Filho values (6, 2); select count(*) from Filho", {}, 0);
    ASSERT_EQ(lote.size(), 1u);
    EXPECT_EQ(Texto(lote[0].linhas[0][0]), "3");
    // it lasts for the session, until turned off
    EXPECT_EQ(db_->Executar("delete from Filho where Id = 6", {}, 0).size(), 0u);
    EXPECT_EQ(db_->Executar("set nocount off; delete from Filho where Id = 5", {}, 0).size(), 1u);

    Sql("create table Nomes (Nome sysname, Outro sysname null)");
    const std::string colunas =
        "select %s from sys.columns where object_id = object_id('Nomes') "
        "and name = '%s'";
    auto coluna = [&](const char* o, const char* n) {
        char sql[200];
        std::snprintf(sql, sizeof sql, colunas.c_str(), o, n);
        return Valor(sql);
    };
    EXPECT_EQ(coluna("max_length", "Nome"), "256");
    EXPECT_EQ(coluna("is_nullable", "Nome"), "0");
    EXPECT_EQ(coluna("is_nullable", "Outro"), "1");
    EXPECT_EQ(Falha("create table Largo (N sysname(10))"),
              "Column, parameter, or variable #1: Cannot specify a column width on data type "
              "sysname.");

    EXPECT_EQ(Valor("select rows from sysindexes where id = object_id('Pai') and indid = 1"), "2");
    EXPECT_EQ(Valor("select rows from sysindexes where id = object_id('Filho') and indid = 0"),
              "1");
}

namespace {

// A result as text: the column names, then a line per row, values joined by '|'.
std::string Linhas(const zolvek::db::Resultado& r) {
    std::string s;
    for (const auto& c : r.colunas) s += (s.empty() ? "" : "|") + c.nome;
    for (const auto& l : r.linhas) {
        s += "\n";
        for (std::size_t k = 0; k < l.size(); ++k)
            s += (k ? "|" : "") + ProcedimentosDoSistema::Texto(l[k]);
    }
    return s;
}

}  // namespace

TEST_F(ProcedimentosDoSistema, CatalogoPorProcedimentosDoSistema) {
    Sql("create unique index IX_Filho on Filho (PaiId desc, Id)");
    EXPECT_EQ(Linhas(Sql("exec sp_helpindex 'Filho'")),
              "index_name|index_description|index_keys\n"
              "IX_Filho|nonclustered, unique located on PRIMARY|PaiId(-), Id");
    EXPECT_EQ(Linhas(Sql("exec sp_helpindex 'Pai'")),
              "index_name|index_description|index_keys\n"
              "PK_Pai|clustered, unique, primary key located on PRIMARY|Id");
    EXPECT_EQ(Falha("exec sp_helpindex 'Nada'"),
              "The object 'Nada' does not exist in database 'Teste' or is invalid for this "
              "operation.");
    EXPECT_EQ(Linhas(Sql("exec sp_tables @table_name = 'F%'")),
              "TABLE_QUALIFIER|TABLE_OWNER|TABLE_NAME|TABLE_TYPE|REMARKS\n"
              "Teste|dbo|Filho|TABLE|NULL");
    EXPECT_EQ(Linhas(Sql("exec sp_pkeys 'Pai'")),
              "TABLE_QUALIFIER|TABLE_OWNER|TABLE_NAME|COLUMN_NAME|KEY_SEQ|PK_NAME\n"
              "Teste|dbo|Pai|Id|1|PK_Pai");
    auto fk = Sql("exec sp_fkeys @fktable_name = 'Filho'");
    ASSERT_EQ(fk.linhas.size(), 1u);
    EXPECT_EQ(Linhas(fk).substr(Linhas(fk).find('\n') + 1),
              "Teste|dbo|Pai|Id|Teste|dbo|Filho|PaiId|1|1|1|FK_Filho_Pai|PK_Pai|7");
    EXPECT_EQ(Falha("exec sp_fkeys"),
              "Must specify either a primary key table or a foreign key table.");
    // sp_who's nine columns, this session running, nchar values padded
    auto who = Sql("exec sp_who");
    ASSERT_EQ(who.colunas.size(), 9u);
    EXPECT_EQ(who.colunas[5].nome, "blk");
    EXPECT_EQ(Texto(who.linhas.at(0).at(7)), "SELECT          ");
    EXPECT_EQ(Falha("exec sp_who 'ninguem'"),
              "'ninguem' is not a valid login or you do not have permission.");
    EXPECT_EQ(Sql("exec sp_who2").colunas.size(), 13u);
}
