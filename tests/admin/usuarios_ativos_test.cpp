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

TEST(UsuariosAtivos, ProcessoParaEliminarPeloNumeroDaSessao) {
    teste::BancoDeTeste banco;
    auto nossa = Conectar(banco, "PC1");
    auto mesmoComputador = Conectar(banco, "PC1");
    auto outra = Conectar(banco, "PC2");
    const auto processos = ProcessosDoBanco(*nossa, "EMPRESA");
    ASSERT_EQ(processos.size(), 3u);
    const int propria = SessaoPropria(*nossa);
    EXPECT_LT(processos[0].spid, processos[1].spid);  // ordered by number
    EXPECT_LT(processos[1].spid, processos[2].spid);

    const ProcessoAtivo alvo = ProcessoParaEliminar(*nossa, "EMPRESA", SessaoPropria(*outra));
    EXPECT_EQ(alvo.hostname, "PC2");
    EXPECT_EQ(alvo.loginame, "sa");
    auto recusa = [&](int spid) {
        try {
            ProcessoParaEliminar(*nossa, "EMPRESA", spid);
        } catch (const ErroDeEntrada& e) {
            return std::string(e.what());
        }
        return std::string("(aceito)");
    };
    const std::string p = std::to_string(propria);
    EXPECT_EQ(recusa(propria),
              "O processo " + p + " é a sessão deste programa: ele não pode eliminá-la");
    const std::string m = std::to_string(SessaoPropria(*mesmoComputador));
    EXPECT_EQ(recusa(SessaoPropria(*mesmoComputador)),
              "O processo " + m +
                  " é do usuário sa no computador PC1, os mesmos desta sessão: eliminar os "
                  "processos dele encerraria também a conexão deste programa");
    EXPECT_EQ(recusa(99999), "O processo 99999 não está conectado ao banco de dados EMPRESA");
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
