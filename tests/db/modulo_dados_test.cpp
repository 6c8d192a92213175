#include <gtest/gtest.h>

#include "comum/erros.hpp"
#include "db/modulo_dados.hpp"

namespace zolvek::db {
namespace {

using Linhas = std::vector<std::string>;

TEST(ModuloDados, TextosFixosDosConjuntos) {
    TModuloDados m;
    EXPECT_EQ(m.Parametros.LinhasSQL(),
              (Linhas{"select * from [PEMPRESA] full outer join [PARFN]", "on 1=1"}));
    EXPECT_EQ(m.Parametros.Bloqueio(), TipoDeBloqueio::SomenteLeitura);
    EXPECT_EQ(m.Opcoes.LinhasSQL(),
              (Linhas{"select * from", "Opções where", "identificador=:Identificador"}));
    ASSERT_EQ(m.Opcoes.Parametros().size(), 1u);
    EXPECT_EQ(m.Opcoes.Parametros()[0].Nome(), "Identificador");
    EXPECT_EQ(m.Opcoes.Parametros()[0].Tipo(), TipoDeParametro::Texto);
    EXPECT_EQ(m.qryDataHora.LinhasSQL(), (Linhas{"select GetDate() As Valor"}));
    EXPECT_EQ(m.qryNomeDoUsuario.LinhasSQL(), (Linhas{"select suser_sname() As Valor"}));
    EXPECT_EQ(m.MSVer.Nome(), "master.dbo.xp_msver");
    EXPECT_NE(m.MSVer.AcharParametro("OPTNAME"), nullptr);
    EXPECT_EQ(m.qryEDbo.LinhasSQL(), (Linhas{"select IS_MEMBER('db_owner')  as Valor"}));
    EXPECT_EQ(m.PGSVer.LinhasSQL(), (Linhas{"select version() as Versão"}));
    EXPECT_EQ(m.Opcoes.TextoSQL(), "select * from\r\nOpções where\r\nidentificador=:Identificador");
    for (ConjuntoDeDados* c :
         std::initializer_list<ConjuntoDeDados*>{&m.Parametros, &m.Opcoes, &m.MSVer})
        EXPECT_EQ(c->ConexaoAtual(), &m.Banco);
    EXPECT_EQ(m.TipoDeServidor, TipoServidor::Nenhum);
}

TEST(ModuloDados, VersaoMaior) {
    EXPECT_EQ(VersaoMaior("9.00.5000.00"), 9);
    EXPECT_EQ(VersaoMaior("11.0.2100.60"), 11);
    EXPECT_EQ(VersaoMaior("10.50.1600.1"), 10);
    EXPECT_EQ(VersaoMaior("11"), 11);
    EXPECT_EQ(VersaoMaior("Microsoft SQL Server"), 0);
    EXPECT_EQ(VersaoMaior("x9.1"), 0);
    EXPECT_EQ(VersaoMaior(""), 0);
    EXPECT_EQ(VersaoMaior("99999999999.1"), 0);
}

TEST(ModuloDados, NomeDoBancoEOperacoesSemConexao) {
    TModuloDados m;
    m.Banco.DefinirStringDeConexao("Provider=SQLOLEDB.1;Initial Catalog=EMPRESA;Data Source=srv");
    EXPECT_EQ(m.NomeDoBanco(), "EMPRESA");
    EXPECT_THROW(m.DataHoraDoServidor(), ErroDeBanco);
    EXPECT_FALSE(m.qryDataHora.Aberto());
    std::vector<std::string> linhas;
    EXPECT_THROW(m.LerOpcoes("x", linhas), ErroDeBanco);
}

}  // namespace
}  // namespace zolvek::db
