#include "ambiente.hpp"

// The catalog views of keys, constraints, modules and schemas, and the functions about
// objects, as a script reads them.
class CatalogoDeChaves : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE Pai (Id INT IDENTITY(10,1) NOT NULL, Nome VARCHAR(30) NOT NULL, "
            "CONSTRAINT PK_Pai PRIMARY KEY (Id))");
        Sql("CREATE TABLE Filho (A INT NOT NULL, B INT NOT NULL, PaiId INT NULL, "
            "Valor MONEY CONSTRAINT DF_Filho_Valor DEFAULT 0, CONSTRAINT PK_Filho PRIMARY KEY (b, "
            "a), "
            "CONSTRAINT FK_Filho_Pai FOREIGN KEY (PaiId) REFERENCES Pai (Id), "
            "CONSTRAINT CK_Filho CHECK (Valor >= 0 AND [B] > 0), CONSTRAINT UQ_Filho UNIQUE "
            "(PaiId, A))");
        Sql("CREATE INDEX IX_Filho ON Filho (Valor DESC, PaiId)");
        Sql("CREATE VIEW VFilho AS SELECT A, B FROM Filho");
        Sql("CREATE PROCEDURE PFilho @x INT AS SELECT @x");
        Sql("CREATE TRIGGER TFilho ON Filho FOR INSERT, DELETE AS SET NOCOUNT ON");
        Sql("CREATE FUNCTION FDobro (@x INT) RETURNS DECIMAL(12,3) AS BEGIN RETURN @x * 2 END");
    }

    // Every row of a query, its values joined by "," and the rows by ";".
    std::string Linhas(const std::string& sql) {
        std::string s;
        for (const auto& linha : Sql(sql).linhas) {
            for (std::size_t i = 0; i < linha.size(); ++i) s += (i ? "," : "") + Texto(linha[i]);
            s += ";";
        }
        return s;
    }
};

TEST_F(CatalogoDeChaves, RestricoesNoInformationSchema) {
    EXPECT_EQ(Linhas("select CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_CATALOG, TABLE_SCHEMA, "
                     "IS_DEFERRABLE from information_schema.table_constraints where "
                     "table_name = 'FILHO' order by constraint_name"),
              "CK_Filho,CHECK,Teste,dbo,NO;FK_Filho_Pai,FOREIGN KEY,Teste,dbo,NO;"
              "PK_Filho,PRIMARY KEY,Teste,dbo,NO;UQ_Filho,UNIQUE,Teste,dbo,NO;");
    // the key's own order, and the columns' names as the table has them
    EXPECT_EQ(Linhas("select CONSTRAINT_NAME, COLUMN_NAME, ORDINAL_POSITION from "
                     "INFORMATION_SCHEMA.KEY_COLUMN_USAGE where table_name = 'filho' "
                     "order by constraint_name, ordinal_position"),
              "FK_Filho_Pai,PaiId,1;PK_Filho,B,1;PK_Filho,A,2;UQ_Filho,PaiId,1;UQ_Filho,A,2;");
    EXPECT_EQ(Linhas("select CONSTRAINT_NAME, UNIQUE_CONSTRAINT_NAME, MATCH_OPTION, UPDATE_RULE, "
                     "DELETE_RULE from information_schema.referential_constraints"),
              "FK_Filho_Pai,PK_Pai,SIMPLE,NO ACTION,NO ACTION;");
    EXPECT_EQ(Linhas("select COLUMN_NAME from information_schema.constraint_column_usage where "
                     "constraint_name = 'ck_filho' order by column_name"),
              "B;Valor;");
    EXPECT_EQ(Valor("select CHECK_CLAUSE from information_schema.check_constraints"),
              "(Valor >= 0 AND [B] > 0)");
}

TEST_F(CatalogoDeChaves, ChavesEIndicesNoSys) {
    EXPECT_EQ(Linhas("select i.name, c.key_ordinal, col_name(c.object_id, c.column_id), "
                     "c.is_descending_key from sys.index_columns c join sys.indexes i on "
                     "i.object_id = c.object_id and i.index_id = c.index_id where c.object_id = "
                     "object_id('Filho') order by c.index_id, c.key_ordinal"),
              "PK_Filho,1,B,0;PK_Filho,2,A,0;UQ_Filho,1,PaiId,0;UQ_Filho,2,A,0;"
              "IX_Filho,1,Valor,1;IX_Filho,2,PaiId,0;");
    EXPECT_EQ(Linhas("select object_name(referenced_object_id), key_index_id, is_system_named, "
                     "delete_referential_action_desc from sys.foreign_keys"),
              "Pai,1,0,NO_ACTION;");
    EXPECT_EQ(Linhas("select col_name(parent_object_id, parent_column_id), "
                     "col_name(referenced_object_id, referenced_column_id) from "
                     "sys.foreign_key_columns"),
              "PaiId,Id;");
    EXPECT_EQ(Linhas("select name, unique_index_id from sys.key_constraints order by name"),
              "PK_Filho,1;PK_Pai,1;UQ_Filho,2;");
    EXPECT_EQ(Linhas("select parent_column_id, definition from sys.default_constraints"), "4,(0);");
    EXPECT_EQ(Valor("select parent_column_id from sys.check_constraints"), "0");
}

TEST_F(CatalogoDeChaves, IdentidadeComSementeEUltimoValor) {
    const std::string colunas =
        "select name, seed_value, increment_value, last_value from sys.identity_columns";
    EXPECT_EQ(Linhas(colunas), "Id,10,1,NULL;");
    EXPECT_EQ(Linhas("select ident_current('Pai'), ident_seed('Pai'), ident_incr('Pai'), "
                     "ident_seed('Filho')"),
              "10,10,1,NULL;");
    Sql("INSERT INTO Pai (Nome) VALUES ('a') INSERT INTO Pai (Nome) VALUES ('b')");
    EXPECT_EQ(Linhas(colunas), "Id,10,1,11;");
    EXPECT_EQ(Valor("select ident_current('Pai')"), "11");
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai TRUNCATE TABLE Pai");
    EXPECT_EQ(Linhas(colunas + " where object_id = object_id('pai')"), "Id,10,1,NULL;");
}

TEST_F(CatalogoDeChaves, ModulosEEsquemas) {
    EXPECT_EQ(Linhas("select TABLE_NAME, VIEW_DEFINITION, CHECK_OPTION, IS_UPDATABLE from "
                     "information_schema.views"),
              "VFilho,CREATE VIEW VFilho AS SELECT A, B FROM Filho,NONE,NO;");
    EXPECT_EQ(Linhas("select ROUTINE_NAME, ROUTINE_TYPE, DATA_TYPE, NUMERIC_PRECISION, "
                     "NUMERIC_SCALE, SQL_DATA_ACCESS, MAX_DYNAMIC_RESULT_SETS from "
                     "information_schema.routines order by routine_name"),
              "FDobro,FUNCTION,decimal,12,3,READS,0;PFilho,PROCEDURE,NULL,NULL,NULL,MODIFIES,-1;");
    EXPECT_EQ(Valor("select ROUTINE_DEFINITION from information_schema.routines where "
                    "routine_type = 'procedure'"),
              "CREATE PROCEDURE PFilho @x INT AS SELECT @x");
    EXPECT_EQ(Linhas("select object_name(object_id), definition from sys.sql_modules where "
                     "object_id = object_id('TFilho')"),
              "TFilho,CREATE TRIGGER TFilho ON Filho FOR INSERT, DELETE AS SET NOCOUNT ON;");
    EXPECT_EQ(Valor("select count(*) from sys.sql_modules"), "4");
    EXPECT_EQ(Linhas("select name, schema_id, principal_id from sys.schemas where schema_id < 5 "
                     "or name = 'DB_OWNER'"),
              "dbo,1,1;guest,2,2;INFORMATION_SCHEMA,3,3;sys,4,4;db_owner,16384,16384;");
    EXPECT_EQ(Linhas("select CATALOG_NAME, SCHEMA_OWNER, DEFAULT_CHARACTER_SET_NAME from "
                     "information_schema.schemata where schema_name = 'dbo'"),
              "Teste,dbo,iso_1;");
    // the engine's own tables stay out of every view
    EXPECT_EQ(Valor("select count(*) from sys.all_objects"), "12");
    EXPECT_EQ(Falha("select * from information_schema.zv_objetos"),
              "Invalid object name 'information_schema.zv_objetos'.");
}

TEST_F(CatalogoDeChaves, FuncoesDeObjetos) {
    EXPECT_EQ(
        Linhas("select object_definition(object_id('VFilho')), "
               "object_definition(object_id('Pai')), object_definition(object_id('CK_Filho')), "
               "object_definition(null)"),
        "CREATE VIEW VFilho AS SELECT A, B FROM Filho,NULL,(Valor >= 0 AND [B] > 0),NULL;");
    EXPECT_EQ(Linhas("select schema_name(), schema_name(3), schema_name(99), schema_id('SYS'), "
                     "schema_id(), object_schema_name(object_id('Filho')), object_schema_name(1)"),
              "dbo,INFORMATION_SCHEMA,NULL,4,1,dbo,NULL;");
    auto propriedade = [&](const std::string& objeto, const std::string& p) {
        return Valor("select objectproperty(object_id('" + objeto + "'), '" + p + "')");
    };
    EXPECT_EQ(propriedade("Pai", "TableHasIdentity"), "1");
    EXPECT_EQ(propriedade("Filho", "TableHasIdentity"), "0");
    EXPECT_EQ(propriedade("Filho", "TableHasInsertTrigger"), "1");
    EXPECT_EQ(propriedade("Filho", "TableHasUpdateTrigger"), "0");
    EXPECT_EQ(propriedade("Filho", "TableHasDeleteTrigger"), "1");
    EXPECT_EQ(propriedade("Pai", "TableHasForeignRef"), "1");
    EXPECT_EQ(propriedade("VFilho", "TableHasPrimaryKey"), "NULL");
    EXPECT_EQ(propriedade("UQ_Filho", "IsUniqueCnst"), "1");
    EXPECT_EQ(propriedade("PFilho", "IsProcedure"), "1");
    EXPECT_EQ(propriedade("PFilho", "Inexistente"), "NULL");
    EXPECT_EQ(Linhas("select choose(2, 'a', 'b'), choose(2.9, 1, 2.5), choose(3, 'a'), "
                     "choose('1', 'x')"),
              "b,2.5,NULL,x;");
    EXPECT_EQ(Falha("select object_name(1, db_id('master'))"),
              "O simulador de SQL Server não lê o catálogo de outro banco (id 1).");
    EXPECT_EQ(Valor("select object_name(object_id('Pai'), 99)"), "NULL");
    // @@VERSION holds the line break and the tab themselves
    EXPECT_NE(Valor("select charindex(char(10) + char(9), @@version)"), "0");
    EXPECT_EQ(Valor("select charindex('\\n', @@version)"), "0");
}
