#include <gtest/gtest.h>

#include "db/cadeia_de_conexao.hpp"

using zolvek::db::AlterarValorDaConexao;
using zolvek::db::ObterValorDaConexao;

TEST(CadeiaDeConexao, ObterValorComparaChaveComMesmaCaixa) {
    const std::string cadeia = "Provider=SQLOLEDB.1;Initial Catalog=DB1;Data Source=srv";
    EXPECT_EQ(ObterValorDaConexao(cadeia, "Initial Catalog"), "DB1");
    EXPECT_EQ(ObterValorDaConexao(cadeia, "initial catalog"), "");
    EXPECT_EQ(ObterValorDaConexao(cadeia, "User ID"), "");
    EXPECT_EQ(ObterValorDaConexao("", "Provider"), "");
}

TEST(CadeiaDeConexao, AlterarValorSubstituiRemoveEAcrescenta) {
    const std::string cadeia = "A=1;B=2;C=3";
    EXPECT_EQ(AlterarValorDaConexao(cadeia, "B", "Remover"), "A=1;;C=3");
    EXPECT_EQ(AlterarValorDaConexao(cadeia, "C", "Remover"), "A=1;B=2;");
    EXPECT_EQ(AlterarValorDaConexao(cadeia, "D", "4"), "A=1;B=2;C=3;D=4");
    EXPECT_EQ(AlterarValorDaConexao(cadeia, "A", "9"), "A=9;B=2;C=3");
    EXPECT_EQ(AlterarValorDaConexao("", "A", "1"), "A=1");
    EXPECT_EQ(AlterarValorDaConexao("", "A", "Remover"), "");
}

TEST(CadeiaDeConexao, ValoresEntreAspasOuChaves) {
    // A password with ";" or edge blanks survives being written and read back.
    for (const std::string senha : {"a;b", " com brancos ", "\"aspas\";x", "{chave}"}) {
        const auto cadeia =
            AlterarValorDaConexao("Provider=SQLOLEDB;User ID=sa", "Password", senha);
        EXPECT_EQ(ObterValorDaConexao(cadeia, "Password"), senha) << cadeia;
        EXPECT_EQ(ObterValorDaConexao(cadeia, "User ID"), "sa");
    }
    EXPECT_EQ(AlterarValorDaConexao("A=1", "Password", "a;b"), "A=1;Password=\"a;b\"");
    const std::string cadeia = "Password={x;}}y};User ID='o;k';Data Source=\"s\"\"1\"";
    EXPECT_EQ(ObterValorDaConexao(cadeia, "Password"), "x;}y");
    EXPECT_EQ(ObterValorDaConexao(cadeia, "User ID"), "o;k");
    EXPECT_EQ(ObterValorDaConexao(cadeia, "Data Source"), "s\"1");
    EXPECT_EQ(AlterarValorDaConexao(cadeia, "User ID", "Remover"),
              "Password={x;}}y};;Data Source=\"s\"\"1\"");
}

TEST(CadeiaDeConexao, SenhaRemovidaParaGuardarEFaltandoParaConectar) {
    using zolvek::db::FaltaSenhaNaConexao;
    using zolvek::db::RemoverSenhaDaConexao;
    // Any letter case, OLE DB's and ODBC's names, values in quotes or braces.
    EXPECT_EQ(RemoverSenhaDaConexao(
                  "Provider=SQLOLEDB.1;Password=\"a;b\";User ID=sa;PWD={x;}}y};Data Source=s"),
              "Provider=SQLOLEDB.1;User ID=sa;Data Source=s");
    EXPECT_EQ(RemoverSenhaDaConexao(" password = p ;Data Source=s;"), "Data Source=s");
    EXPECT_EQ(RemoverSenhaDaConexao("Data Source=s;Password Hint=x"),
              "Data Source=s;Password Hint=x");
    EXPECT_EQ(RemoverSenhaDaConexao(""), "");
    // A name without a password must ask for it; Windows authentication never does.
    EXPECT_TRUE(FaltaSenhaNaConexao("Provider=SQLOLEDB.1;User ID=sa;Data Source=s"));
    EXPECT_TRUE(FaltaSenhaNaConexao("Driver={FreeTDS};UID=sa"));
    EXPECT_FALSE(FaltaSenhaNaConexao("Provider=SQLOLEDB.1;User ID=sa;Password="));
    EXPECT_FALSE(FaltaSenhaNaConexao("Provider=SQLOLEDB.1;User ID=;Data Source=s"));
    EXPECT_FALSE(FaltaSenhaNaConexao("Provider=SQLOLEDB.1;Integrated Security=SSPI;User ID=sa"));
    EXPECT_TRUE(FaltaSenhaNaConexao("Provider=SQLOLEDB.1;Integrated Security=False;User ID=sa"));
}
