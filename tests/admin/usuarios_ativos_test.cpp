#include "admin/usuarios_ativos.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "admin/procedimentos_internos.hpp"
#include "banco_de_teste.hpp"
#include "comum/erros.hpp"

namespace zolvek::admin {
namespace {

std::unique_ptr<db::Conexao> Conectar(const teste::BancoDeTeste& banco, const std::string& host) {
    auto conexao = std::make_unique<db::Conexao>();
    conexao->DefinirStringDeConexao(banco.Cadeia() + ";Workstation ID=" + host);
    conexao->Abrir();
    return conexao;
}

bool Viva(db::Conexao& conexao) {
    try {
        db::Consulta consulta(&conexao);
        consulta.DefinirSQL("select 1 as Um");
        consulta.Abrir();
        return true;
    } catch (const ErroDeBanco&) {
        return false;
    }
}

TEST(UsuariosAtivos, ListaPorLoginEComputadorEEliminaOsProcessosDeUmDeles) {
    teste::BancoDeTeste banco;
    banco.Executar(
        "CREATE PROCEDURE MatarProcesso @NOME varchar(128), @HOST varchar(128) AS select 1");
    auto nossa = Conectar(banco, "PC1");
    auto outra = Conectar(banco, "PC2");
    auto terceira = Conectar(banco, "PC2");

    UsuariosAtivos usuarios(*nossa, "EMPRESA");
    EXPECT_EQ(usuarios.qryProcessos.TextoSQL(),
              "SELECT hostname,loginame, max(datediff(minute,login_time,getdate())) as Tempo "
              "FROM master.dbo.sysprocesses where DB_NAME(dbid)=:BD group by hostname,loginame");
    EXPECT_EQ(usuarios.qryProcessos.Timeout(), 0);
    EXPECT_EQ(usuarios.stpMatarProcesso.Timeout(), 0);
    EXPECT_EQ(usuarios.stpMatarProcesso.Nome(), "MatarProcesso");
    usuarios.Atualizar();
    auto linhas = usuarios.Linhas();
    std::sort(linhas.begin(), linhas.end(),
              [](const auto& a, const auto& b) { return a.hostname < b.hostname; });
    ASSERT_EQ(linhas.size(), 2u);  // one login from two computers: two rows
    EXPECT_EQ(linhas[0].hostname, "PC1");
    EXPECT_EQ(linhas[0].loginame, "sa");
    EXPECT_EQ(linhas[0].tempo, 0);
    EXPECT_EQ(linhas[1].hostname, "PC2");

    usuarios.MatarProcesso("sa", "PC2");
    EXPECT_FALSE(Viva(*outra));
    EXPECT_FALSE(Viva(*terceira));
    EXPECT_TRUE(Viva(*nossa));
    linhas = usuarios.Linhas();
    ASSERT_EQ(linhas.size(), 1u);
    EXPECT_EQ(linhas[0].hostname, "PC1");
}

TEST(UsuariosAtivos, SemOProcedimentoNoBancoOErroDoServidorChegaAoChamador) {
    teste::BancoDeTeste banco;
    auto nossa = Conectar(banco, "PC1");
    UsuariosAtivos usuarios(*nossa, "EMPRESA");
    usuarios.Atualizar();
    EXPECT_THROW(usuarios.MatarProcesso("sa", "PC9"), ErroDeBanco);
    EXPECT_EQ(usuarios.Linhas().size(), 1u);
}

TEST(ProcedimentosInternos, LeEGravaOScriptDePARFN) {
    teste::BancoDeTeste banco;
    banco.Executar("CREATE TABLE PARFN (CODIGO int NULL, Script text NULL)");
    db::Conexao conexao;
    conexao.DefinirStringDeConexao(banco.Cadeia());
    conexao.Abrir();
    // No row yet: nothing to read, and nothing may be lost without a word.
    EXPECT_EQ(LerProcedimentosInternos(conexao), "");
    EXPECT_THROW(GravarProcedimentosInternos(conexao, "exec X"), ErroDeEntrada);
    banco.Executar("insert into PARFN (CODIGO) values (1)");
    EXPECT_EQ(LerProcedimentosInternos(conexao), "");
    GravarProcedimentosInternos(conexao, "update T set N='d''Ávila'\r\nGO\r\nexec P");
    EXPECT_EQ(LerProcedimentosInternos(conexao), "update T set N='d''Ávila'\r\nGO\r\nexec P");
    EXPECT_EQ(banco.Coluna("select Script from PARFN"),
              std::vector<std::string>{"update T set N='d''Ávila'\r\nGO\r\nexec P"});
}

}  // namespace
}  // namespace zolvek::admin
