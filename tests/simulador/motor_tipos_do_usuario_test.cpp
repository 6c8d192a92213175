// Alias types: sp_addtype, CREATE TYPE ... FROM, sp_droptype, DROP TYPE, the columns and
// variables declared with them, and the catalog views that show them.

#include "como_sql_server.hpp"

namespace {

class TiposDoUsuario : public ComoSqlServer {
  protected:
    std::string Tipo(const std::string& base) { return Objeto("TYPE", base); }
};

TEST_P(TiposDoUsuario, ColunasEVariaveisDeTiposDoUsuario) {
    const std::string id = Tipo("Ident"), sigla = Tipo("Sigla"), t = Tabela("Autores");
    Sql("EXEC sp_addtype [" + id + "], 'varchar(11)', 'NOT NULL'");
    Sql("CREATE TYPE [" + sigla + "] FROM char(2) NULL");
    Sql("CREATE TABLE [" + t + "] (au_id [" + id + "], uf [" + sigla + "], nome sysname NULL)");
    EXPECT_EQ(Recusa("INSERT [" + t + "] (uf) VALUES ('SP')").substr(0, 4), "515:");
    Sql("INSERT [" + t + "] (au_id, uf) VALUES ('123-45-6789', 'SP')");
    EXPECT_EQ(Recusa("INSERT [" + t + "] (au_id) VALUES ('123456789012')").substr(0, 5), "8152:");
    EXPECT_EQ(Valor("DECLARE @x [" + id + "] = '98765432100999'; SELECT @x"), "98765432100");
    EXPECT_EQ(Coluna("SELECT c.name + ':' + ut.name + ':' + st.name FROM sys.columns c JOIN "
                     "sys.types ut ON ut.user_type_id = c.user_type_id JOIN sys.types st ON "
                     "st.user_type_id = c.system_type_id WHERE c.object_id = OBJECT_ID('" +
                     t + "') ORDER BY c.column_id"),
              "au_id:" + id + ":varchar,uf:" + sigla + ":char,nome:sysname:nvarchar");
    EXPECT_EQ(Valor("SELECT CAST(length AS varchar) + ':' + CAST(allownulls AS varchar) FROM "
                    "systypes WHERE name = '" +
                    id + "'"),
              "11:0");
    EXPECT_EQ(Valor("SELECT DATA_TYPE + ':' + DOMAIN_NAME FROM INFORMATION_SCHEMA.COLUMNS WHERE "
                    "TABLE_NAME = '" +
                    t + "' AND COLUMN_NAME = 'au_id'"),
              "varchar:" + id);
    EXPECT_EQ(Valor("SELECT is_user_defined FROM sys.types WHERE name = '" + sigla + "'"), "1");
    EXPECT_EQ(Coluna("SELECT TYPE_NAME(user_type_id) FROM sys.columns WHERE object_id = "
                     "OBJECT_ID('" +
                     t + "') AND TYPE_ID('" + id + "') = user_type_id"),
              id);
}

TEST_P(TiposDoUsuario, CriarEExcluirTipos) {
    const std::string a = Tipo("Codigo"), t = Tabela("UsaCodigo");
    Sql("CREATE TYPE [" + a + "] FROM int");
    EXPECT_EQ(Recusa("CREATE TYPE [" + a + "] FROM int"),
              "219: The type '" + a +
                  "' already exists, or you do not have permission to create "
                  "it.");
    Sql("CREATE TABLE [" + t + "] (c [" + a + "])");
    EXPECT_EQ(Recusa("DROP TYPE [" + a + "]"),
              "3732: Cannot drop type '" + a + "' because it is being referenced by object '" + t +
                  "'. There may be other objects that reference this type.");
    Sql("DROP TABLE [" + t + "]");
    Sql("EXEC sp_droptype '" + a + "'");
    EXPECT_EQ(Recusa("DROP TYPE [" + a + "]"),
              "218: Cannot find the type '" + a +
                  "', because it does not exist or you do not have permission.");
    EXPECT_EQ(Recusa("CREATE TABLE [" + t + "] (x int, c [" + a + "])"),
              "2715: Column, parameter, or variable #2: Cannot find data type " + a + ".");
}

INSTANTIATE_TEST_SUITE_P(Servidores, TiposDoUsuario, ::testing::Values("simulador", "mssql"));

}  // namespace
