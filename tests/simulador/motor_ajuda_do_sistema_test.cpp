#include <cstdlib>

#include "como_sql_server.hpp"

// sp_help, sp_spaceused, sp_helpdb, the parameters of modules in the catalog views and the
// sessions and requests views, with SQL Server's result sets and messages.
class AjudaDoSistema : public ComoSqlServer {
  protected:
    // Every result set of a batch.
    std::vector<zolvek::db::Resultado> Conjuntos(const std::string& sql) {
        std::vector<zolvek::db::Resultado> r;
        for (auto& x : banco_.ConectorAberto().Executar(sql, {}, 0))
            if (!x.colunas.empty()) r.push_back(std::move(x));
        return r;
    }

    static std::string Texto(const zolvek::db::Valor& v) { return SimuladorTeste::Texto(v); }

    // A set as text: the column names, then a line per row, values joined by '|';
    // `pular` leaves out the columns whose values vary (dates).
    static std::string Linhas(const zolvek::db::Resultado& r, std::size_t pular = 99) {
        std::string s;
        for (std::size_t k = 0; k < r.colunas.size(); ++k)
            if (k != pular) s += (s.empty() ? "" : "|") + r.colunas[k].nome;
        for (const auto& l : r.linhas) {
            s += "\n";
            bool primeiro = true;
            for (std::size_t k = 0; k < l.size(); ++k) {
                if (k == pular) continue;
                s += (primeiro ? "" : "|") + SimuladorTeste::Texto(l[k]);
                primeiro = false;
            }
        }
        return s;
    }
};

TEST_P(AjudaDoSistema, DescreveUmaTabela) {
    const std::string pai = Tabela("Pai"), filho = Tabela("Filho");
    Sql("create table " + pai + " (Id int identity(10, 1) not null constraint PK_" + pai +
        " primary key, Nome varchar(20) null constraint CK_" + pai +
        " check (Nome <> 'x'), "
        "Valor decimal(15, 2) not null constraint DF_" +
        pai + " default 0, Taxa float null)");
    Sql("create table " + filho + " (Id int not null, PaiId int null constraint FK_" + filho +
        " references " + pai + " (Id))");
    auto sets = Conjuntos("exec sp_help '" + pai + "'");
    ASSERT_EQ(sets.size(), 8u);
    EXPECT_EQ(Linhas(sets[0], 3), "Name|Owner|Type\n" + pai + "|dbo|user table");
    EXPECT_EQ(Linhas(sets[1]),
              "Column_name|Type|Computed|Length|Prec|Scale|Nullable|TrimTrailingBlanks|"
              "FixedLenNullInSource|Collation\n"
              "Id|int|no|4|10   |0    |no|(n/a)|(n/a)|NULL\n"
              "Nome|varchar|no|20|     |     |yes|no|yes|Latin1_General_CI_AS\n"
              "Valor|decimal|no|9|15   |2    |no|(n/a)|(n/a)|NULL\n"
              "Taxa|float|no|8|53   |NULL|yes|(n/a)|(n/a)|NULL");
    EXPECT_EQ(Linhas(sets[2]), "Identity|Seed|Increment|Not For Replication\nId|10|1|0");
    EXPECT_EQ(Linhas(sets[3]), "RowGuidCol\nNo rowguidcol column defined.");
    EXPECT_EQ(Linhas(sets[4]), "Data_located_on_filegroup\nPRIMARY");
    EXPECT_EQ(Linhas(sets[5]), "index_name|index_description|index_keys\nPK_" + pai +
                                   "|clustered, unique, primary key located on PRIMARY|Id");
    // the texts as the catalog keeps them
    const std::string padrao =
        Valor("select definition from sys.default_constraints where name = 'DF_" + pai + "'");
    const std::string verificacao =
        Valor("select definition from sys.check_constraints where name = 'CK_" + pai + "'");
    EXPECT_EQ(Linhas(sets[6]),
              "constraint_type|constraint_name|delete_action|update_action|status_enabled|"
              "status_for_replication|constraint_keys\n"
              "CHECK on column Nome|CK_" +
                  pai + "|(n/a)|(n/a)|Enabled|Is_For_Replication|" + verificacao +
                  "\n"
                  "DEFAULT on column Valor|DF_" +
                  pai + "|(n/a)|(n/a)|(n/a)|(n/a)|" + padrao +
                  "\n"
                  "PRIMARY KEY (clustered)|PK_" +
                  pai + "|(n/a)|(n/a)|(n/a)|(n/a)|Id");
    const std::string banco = Valor("select db_name()");
    EXPECT_EQ(Linhas(sets[7]),
              "Table is referenced by foreign key\n" + banco + ".dbo." + filho + ": FK_" + filho);

    // the child: no identity, a foreign key in two rows, no index set
    sets = Conjuntos("exec sp_help '" + filho + "'");
    ASSERT_EQ(sets.size(), 6u);
    EXPECT_EQ(Linhas(sets[2]),
              "Identity|Seed|Increment|Not For Replication\nNo identity column defined.|NULL|"
              "NULL|NULL");
    EXPECT_EQ(Linhas(sets[5]).substr(Linhas(sets[5]).find('\n') + 1),
              "FOREIGN KEY|FK_" + filho +
                  "|No Action|No Action|Enabled|Is_For_Replication|PaiId\n"
                  " | | | | | |REFERENCES " +
                  banco + ".dbo." + pai + " (Id)");

    EXPECT_EQ(Recusa("exec sp_help 'Nada_" + pai + "'"),
              "15009: The object 'Nada_" + pai + "' does not exist in database '" + banco +
                  "' or is invalid for this operation.");
}

TEST_P(AjudaDoSistema, ParametrosDosProcedimentosEFuncoes) {
    const std::string p = Tabela("Proc"), f = Tabela("Func");
    Sql("create procedure " + p +
        " @Codigo int, @Nome nvarchar(30) = null, @Total decimal(12, 3) output as select 1");
    Sql("create function " + f + " (@a varchar(10)) returns smallint as begin return 1 end");
    auto sets = Conjuntos("exec sp_help '" + p + "'");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(Linhas(sets[0], 3), "Name|Owner|Type\n" + p + "|dbo|stored procedure");
    EXPECT_EQ(Linhas(sets[1]),
              "Parameter_name|Type|Length|Prec|Scale|Param_order|Collation\n"
              "@Codigo|int|4|10|0|1|NULL\n"
              "@Nome|nvarchar|60|30|NULL|2|Latin1_General_CI_AS\n"
              "@Total|decimal|9|12|3|3|NULL");
    EXPECT_EQ(Coluna("select name + ':' + cast(parameter_id as varchar) + ':' + "
                     "cast(max_length as varchar) + ':' + cast(precision as varchar) + ':' + "
                     "cast(scale as varchar) + ':' + cast(is_output as varchar) "
                     "from sys.parameters where object_id = object_id('" +
                     p + "') order by parameter_id"),
              "@Codigo:1:4:10:0:0,@Nome:2:60:0:0:0,@Total:3:9:12:3:1");
    EXPECT_EQ(Coluna("select isnull(parameter_name, '?') + ':' + cast(ordinal_position as "
                     "varchar) + ':' + parameter_mode + ':' + is_result + ':' + data_type + ':' + "
                     "isnull(cast(character_maximum_length as varchar), '-') + ':' + "
                     "isnull(cast(numeric_precision as varchar), '-') from "
                     "information_schema.parameters where specific_name = '" +
                     f + "' order by ordinal_position"),
              ":0:OUT:YES:smallint:-:5,@a:1:IN:NO:varchar:10:-");
    EXPECT_EQ(Valor("select count(*) from information_schema.parameters where specific_name = '" +
                    p + "' and parameter_mode = 'INOUT'"),
              "1");
}

TEST_P(AjudaDoSistema, EspacoEBancos) {
    const std::string t = Tabela("Espaco");
    Sql("create table " + t + " (Id int not null primary key, Texto varchar(100) null)");
    Sql("insert into " + t + " values (1, 'a'), (2, 'b'), (3, 'c')");
    auto sets = Conjuntos("exec sp_spaceused '" + t + "'");
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].linhas.size(), 1u);
    EXPECT_EQ(Linhas(sets[0]).substr(0, Linhas(sets[0]).find('\n')),
              "name|rows|reserved|data|index_size|unused");
    EXPECT_EQ(Texto(sets[0].linhas[0][1]), "3                   ");
    for (std::size_t k = 2; k < 6; ++k)
        EXPECT_EQ(Texto(sets[0].linhas[0][k]).substr(Texto(sets[0].linhas[0][k]).size() - 3),
                  " KB");
    sets = Conjuntos("exec sp_spaceused");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(Linhas(sets[0]).substr(0, Linhas(sets[0]).find('\n')),
              "database_name|database_size|unallocated space");
    EXPECT_EQ(Linhas(sets[1]).substr(0, Linhas(sets[1]).find('\n')),
              "reserved|data|index_size|unused");
    const std::string banco = Valor("select db_name()");
    EXPECT_EQ(Recusa("exec sp_spaceused 'Nada_" + t + "'"),
              "15009: The object 'Nada_" + t + "' does not exist in database '" + banco +
                  "' or is invalid for this operation.");

    sets = Conjuntos("exec sp_helpdb '" + banco + "'");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(Linhas(sets[0]).substr(0, Linhas(sets[0]).find('\n')),
              "name|db_size|owner|dbid|created|status|compatibility_level");
    EXPECT_EQ(Texto(sets[0].linhas.at(0).at(0)), banco);
    EXPECT_EQ(Texto(sets[0].linhas[0][5]).rfind("Status=ONLINE, Updateability=READ_WRITE, ", 0),
              0u);
    EXPECT_EQ(Linhas(sets[1]).substr(0, Linhas(sets[1]).find('\n')),
              "name|fileid|filename|filegroup|size|maxsize|growth|usage");
    EXPECT_EQ(Recusa("exec sp_helpdb 'Nada_" + t + "'"),
              "15010: The database 'Nada_" + t +
                  "' does not exist. Supply a valid database name. To see available databases, "
                  "use sys.databases.");
}

TEST_P(AjudaDoSistema, SessoesERequisicoes) {
    EXPECT_EQ(Valor("select count(*) from sys.dm_exec_sessions where session_id = @@spid and "
                    "status = 'running' and login_name = suser_sname() and database_id = db_id() "
                    "and is_user_process = 1 and login_time <= getdate() and "
                    "last_request_start_time <= getdate() and program_name = app_name() and "
                    "host_name = host_name()"),
              "1");
    EXPECT_EQ(Valor("select command + ':' + status + ':' + cast(blocking_session_id as varchar) "
                    "from sys.dm_exec_requests where session_id = @@spid"),
              "SELECT:running:0");
}

INSTANTIATE_TEST_SUITE_P(Servidores, AjudaDoSistema, ::testing::Values("simulador", "mssql"));

TEST_P(AjudaDoSistema, CatalogoOdbc) {
    const std::string t = Tabela("Odbc"), p = Tabela("ProcOdbc");
    Sql("create table " + t +
        " (Id int identity not null, Nome nvarchar(10) null, Preco decimal(9, 2) not null "
        "constraint DF_" +
        t + " default 1, Ativo bit not null, Quando datetime null)");
    Sql("create procedure " + p + " as select 1");
    const std::string banco = Valor("select db_name()");
    auto r = Sql("exec sp_columns @table_name = '" + t + "'");
    std::string esperado =
        "TABLE_QUALIFIER|TABLE_OWNER|TABLE_NAME|COLUMN_NAME|DATA_TYPE|TYPE_NAME|PRECISION|LENGTH|"
        "SCALE|RADIX|NULLABLE|REMARKS|COLUMN_DEF|SQL_DATA_TYPE|SQL_DATETIME_SUB|"
        "CHAR_OCTET_LENGTH|ORDINAL_POSITION|IS_NULLABLE|SS_DATA_TYPE";
    const std::string prefixo = "\n" + banco + "|dbo|" + t + "|";
    esperado += prefixo + "Id|4|int identity|10|4|0|10|0|NULL|NULL|4|NULL|NULL|1|NO|56";
    esperado += prefixo + "Nome|-9|nvarchar|10|20|NULL|NULL|1|NULL|NULL|-9|NULL|20|2|YES|39";
    // the default as the catalog keeps it
    const std::string padrao =
        Valor("select definition from sys.default_constraints where name = 'DF_" + t + "'");
    esperado += prefixo + "Preco|3|decimal|9|11|2|10|0|NULL|" + padrao + "|3|NULL|NULL|3|NO|55";
    esperado += prefixo + "Ativo|-7|bit|1|1|NULL|NULL|0|NULL|NULL|-7|NULL|NULL|4|NO|50";
    esperado += prefixo + "Quando|11|datetime|23|16|3|NULL|1|NULL|NULL|9|3|NULL|5|YES|111";
    EXPECT_EQ(Linhas(r), esperado);
    EXPECT_EQ(Sql("exec sp_columns '" + t + "', @column_name = 'P%'").linhas.size(), 1u);
    EXPECT_EQ(Recusa("exec sp_columns @table_owner = 'dbo'"),
              "201: Procedure or function 'sp_columns' expects parameter '@table_name', which "
              "was not supplied.");
    EXPECT_EQ(Recusa("exec sp_columns '" + t + "', 'dbo', 'OutroBanco'"),
              "15250: The database name component of the object qualifier must be the name of "
              "the current database.");

    EXPECT_EQ(Linhas(Sql("exec sp_stored_procedures @sp_name = '" + p + "'")),
              "PROCEDURE_QUALIFIER|PROCEDURE_OWNER|PROCEDURE_NAME|NUM_INPUT_PARAMS|"
              "NUM_OUTPUT_PARAMS|NUM_RESULT_SETS|REMARKS|PROCEDURE_TYPE\n" +
                  banco + "|dbo|" + p + ";1|-1|-1|-1|NULL|2");
}

// What only the stand-in can be asked: its whole database is the test's, and what it does
// not build it refuses by name.
class AjudaDoSimulador : public SimuladorTeste {};

TEST_F(AjudaDoSimulador, ListaOsObjetosERecusaOQueNaoDescreve) {
    Sql("create table T (Id int not null constraint PK_T primary key)");
    Sql("create view V as select Id from T");
    Sql("create procedure P as select 1");
    auto lote = db_->Executar("exec sp_help", {}, 0);
    ASSERT_EQ(lote.size(), 2u);
    std::string objetos;
    for (const auto& l : lote[0].linhas)
        objetos += Texto(l[0]) + ":" + Texto(l[1]) + ":" + Texto(l[2]) + ",";
    EXPECT_EQ(objetos,
              "V:dbo:view,T:dbo:user table,P:dbo:stored procedure,PK_T:dbo:primary key cns,");
    EXPECT_EQ(lote[1].colunas.at(0).nome, "User_type");
    EXPECT_EQ(Falha("exec sp_help 'V'"),
              "O simulador de SQL Server não descreve visões com sp_help.");
    EXPECT_EQ(Falha("exec sp_help 'int'"),
              "O simulador de SQL Server não descreve tipos de dados com sp_help.");
    EXPECT_EQ(Falha("exec sp_spaceused 'V'"), "Views do not have space allocated.");
    Sql("create table Grande (Id bigint not null)");
    EXPECT_EQ(Falha("exec sp_columns 'Grande'"),
              "O simulador de SQL Server não descreve colunas do tipo bigint com sp_columns "
              "(coluna Grande.Id).");
    EXPECT_EQ(Falha("exec sp_columns 'V'"),
              "O simulador de SQL Server não descreve as colunas da visão V com sp_columns.");
    // what a session does not keep is no column of the view
    EXPECT_EQ(Falha("select cpu_time from sys.dm_exec_sessions"),
              "Invalid column name 'cpu_time'.");
}

TEST_F(AjudaDoSimulador, EspacoSomaAsPartes) {
    Sql("create table T (Id int not null primary key, Texto varchar(200) null)");
    for (int i = 0; i < 50; ++i)
        Sql("insert into T values (" + std::to_string(i) + ", replicate('x', 150))");
    auto lote = db_->Executar("exec sp_spaceused 'T'", {}, 0);
    ASSERT_EQ(lote.size(), 1u);
    auto kb = [](const zolvek::db::Valor& v) { return std::stoll(Texto(v)); };
    const auto l = lote[0].linhas.at(0);
    EXPECT_EQ(Texto(l[1]).substr(0, 3), "50 ");
    EXPECT_GT(kb(l[3]), 7);  // 50 rows of 150 characters
    EXPECT_EQ(kb(l[2]), kb(l[3]) + kb(l[4]) + kb(l[5]));
    lote = db_->Executar("exec sp_spaceused", {}, 0);
    ASSERT_EQ(lote.size(), 2u);
    EXPECT_EQ(Texto(lote[0].linhas.at(0).at(0)), "Teste");
    EXPECT_GE(kb(lote[1].linhas.at(0).at(0)), kb(l[2]));
    lote = db_->Executar("exec sp_helpdb", {}, 0);
    ASSERT_EQ(lote.size(), 1u);
    std::string linha;
    for (const auto& x : lote[0].linhas)
        if (Texto(x[0]) == "Teste")
            for (std::size_t k = 1; k < x.size(); ++k)
                if (k != 4) linha += Texto(x[k]) + "|";
    EXPECT_EQ(linha.substr(linha.find(" MB|")),
              " MB|sa|5|Status=ONLINE, Updateability=READ_WRITE, UserAccess=MULTI_USER, "
              "Recovery=FULL, Version=706, Collation=Latin1_General_CI_AS, SQLSortOrder=0, "
              "IsAutoCreateStatistics, IsAutoUpdateStatistics, IsFullTextEnabled|110|");
}
