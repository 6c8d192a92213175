#include "ambiente.hpp"

// SELECT ... INTO makes a table of the query's rows, typed as SQL Server types them.
class SelecaoPara : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("create table T (id int identity(1,1) primary key, nome varchar(20) not null, "
            "valor decimal(15,2) null)");
        Sql("insert into T (nome, valor) values ('a', 1.5), ('b', null), ('c', 3.25)");
    }

    // "nome tipo(tamanho,precisao,escala) NULL|NOT NULL [IDENTITY]" of each column.
    std::string Colunas(const std::string& tabela) {
        auto r = Sql(
            "select c.name + ' ' + type_name(c.system_type_id) + '(' + "
            "cast(c.max_length as varchar) + ',' + cast(c.precision as varchar) + ',' + "
            "cast(c.scale as varchar) + ')' + case c.is_nullable when 1 then ' NULL' else ' NOT "
            "NULL' end + case c.is_identity when 1 then ' IDENTITY' else '' end "
            "from sys.columns c where c.object_id = object_id('" +
            tabela + "') order by c.column_id");
        std::string s;
        for (const auto& l : r.linhas) s += (s.empty() ? "" : "; ") + Texto(l[0]);
        return s;
    }
};

TEST_F(SelecaoPara, CopiaColunasTiposELinhas) {
    auto r = Sql("select * into N from T where id > 1");
    EXPECT_EQ(r.linhasAfetadas, 2);
    EXPECT_EQ(Colunas("N"),
              "id int(4,10,0) NOT NULL IDENTITY; nome varchar(20,0,0) NOT NULL; "
              "valor decimal(9,15,2) NULL");
    EXPECT_EQ(Valor("select count(*) from INFORMATION_SCHEMA.COLUMNS where TABLE_NAME = 'N'"), "3");
    EXPECT_EQ(Valor("select count(*) from syscolumns where id = object_id('N')"), "3");
    // no constraints come along: the key of T is not N's
    EXPECT_EQ(Valor("select count(*) from sysobjects where parent_obj = object_id('N')"), "0");
    Sql("insert into N (nome) values ('z')");
    EXPECT_EQ(Valor("select max(id) from N"), "4");
    EXPECT_EQ(Valor("select sum(valor) from N"), "3.25");
    EXPECT_EQ(Falha("select * into N from T"),
              "There is already an object named 'N' in the database.");
}

TEST_F(SelecaoPara, ExpressoesDerivamTipoENulidade) {
    Sql("select nome + 'x' as k, 'abc' as lit, 1 as um, null as nada, isnull(valor, 0) as v0, "
        "getdate() as agora into #t from T");
    EXPECT_EQ(Colunas("#t"),
              "k varchar(21,0,0) NULL; lit varchar(3,0,0) NOT NULL; um int(4,10,0) NOT NULL; "
              "nada int(4,10,0) NULL; v0 decimal(9,15,2) NOT NULL; agora datetime(8,23,3) NULL");
    // an identity read twice, joined or grouped is a plain NOT NULL column
    Sql("select id, id as id2 into A from T");
    EXPECT_EQ(Colunas("A"), "id int(4,10,0) NOT NULL; id2 int(4,10,0) NOT NULL");
    Sql("select a.id, b.nome into B from T a left join T b on a.id = b.id + 1");
    EXPECT_EQ(Colunas("B"), "id int(4,10,0) NOT NULL; nome varchar(20,0,0) NULL");
    Sql("select x.* into C from (select id, nome from T) x");
    EXPECT_EQ(Colunas("C"), "id int(4,10,0) NOT NULL; nome varchar(20,0,0) NOT NULL");
    EXPECT_EQ(Valor("select count(*) from C"), "3");
}

TEST_F(SelecaoPara, ErrosComoSqlServer) {
    EXPECT_EQ(Falha("select 1 + 1 into Z"),
              "An object or column name is missing or empty. For SELECT INTO statements, verify "
              "each column has a name. For other statements, look for empty alias names. Aliases "
              "defined as \"\" or [] are not allowed. Change the alias to a valid name.");
    EXPECT_EQ(Falha("select 1 as a, 2 as a into Z"),
              "Column names in each table must be unique. Column name 'a' in table 'Z' is "
              "specified more than once.");
    EXPECT_EQ(Falha("select 1 as a union select 2 into Z"),
              "SELECT INTO must be the first query in a statement containing a UNION, INTERSECT "
              "or EXCEPT operator.");
    EXPECT_EQ(Falha("select * from (select 1 as a into Z) d"),
              "Incorrect syntax near the keyword 'into'.");
    EXPECT_EQ(Falha("select nme into Z from T"), "Invalid column name 'nme'.");
    EXPECT_EQ(Falha("select nome into foo.Z from T"),
              "The specified schema name \"foo\" either does not exist or you do not have "
              "permission to use it.");
    EXPECT_EQ(Valor("select object_id('Z')"), "NULL");
}

TEST_F(SelecaoPara, TransacaoEProcedimento) {
    Sql("begin tran; select * into N from T; rollback");
    EXPECT_EQ(Valor("select object_id('N')"), "NULL");
    Sql("create procedure P as select id, nome into #x from T where id < 3; "
        "select count(*) from #x");
    EXPECT_EQ(Valor("exec P"), "2");
}
