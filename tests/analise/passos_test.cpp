#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ambiente_da_analise.hpp"
#include "analysis/passos_da_analise.hpp"
#include "dicionario_de_teste.hpp"

// The statements of each step, word for word and in order, against the
// stand-in.
namespace zolvek::analysis::teste {
namespace {

using Lista = std::vector<std::string>;

class Passos : public ::testing::Test {
protected:
  void SetUp() override {
    ambiente.EscreverDicionario(DicionarioPaiEFilho());
    ambiente.CarregarDicionario();
    contexto = std::make_unique<ContextoDaAnalise>(
        ambiente.modulo, ambiente.dicionario, ambiente.opcoes,
        ambiente.interface);
  }
  dicionario::TabelaDic &Tabela(const std::string &nome) {
    return *ambiente.dicionario.ObterTabelaDic(nome);
  }
  Lista ComandosDe(const std::function<void()> &passo) {
    AmbienteDaAnalise::EsquecerComandos();
    passo();
    return AmbienteDaAnalise::Comandos();
  }

  AmbienteDaAnalise ambiente;
  std::unique_ptr<ContextoDaAnalise> contexto;
};

TEST_F(Passos, CriarTabelaEAtualizarEstrutura) {
  auto &c = *contexto;
  EXPECT_FALSE(TabelaExiste(c, "PAI"));
  EXPECT_EQ(
      ComandosDe([&] { CriarTabela(c, Tabela("PAI")); }),
      Lista{"CREATE TABLE [PAI]([Empresa] INT NOT NULL,[Serie] NVARCHAR(3) NOT "
            "NULL,[Numero] INT NOT NULL)"});
  EXPECT_TRUE(TabelaExiste(c, "PAI"));
  EXPECT_TRUE(EstruturaConfere(c, Tabela("PAI")));

  // Two missing columns and one narrower: one ADD, the indexes removed, one
  // ALTER.
  ambiente.Executar(
      "CREATE TABLE [FILHO]([id] INT IDENTITY(1,1),[E] INT NULL,[S] "
      "NVARCHAR(2) NULL,[N] INT NULL,[Situacao] NVARCHAR(1) NULL,[Valor] "
      "DEC(12,2) NOT NULL)");
  EXPECT_FALSE(EstruturaConfere(c, Tabela("FILHO")));
  const Lista comandos =
      ComandosDe([&] { AtualizarEstrutura(c, Tabela("FILHO")); });
  ASSERT_GE(comandos.size(), 3u);
  EXPECT_EQ(comandos[0], "select top 1 * from [FILHO]");
  EXPECT_NE(std::find(comandos.begin(), comandos.end(),
                      "ALTER TABLE [FILHO] ADD [Pai] INT,[Proprio] INT"),
            comandos.end());
  EXPECT_NE(std::find(comandos.begin(), comandos.end(),
                      "ALTER TABLE [FILHO] ALTER COLUMN [S] NVARCHAR(3)"),
            comandos.end());
  EXPECT_NE(std::find(comandos.begin(), comandos.end(),
                      "IF EXISTS (SELECT name FROM sysindexes WHERE name = "
                      "'Chvpr_FILHO') DROP "
                      "INDEX [FILHO].[Chvpr_FILHO]"),
            comandos.end());
  // The indexes go before the column is altered.
  const auto alterar =
      std::find(comandos.begin(), comandos.end(),
                "ALTER TABLE [FILHO] ALTER COLUMN [S] NVARCHAR(3)");
  const auto remover =
      std::find(comandos.begin(), comandos.end(),
                "IF EXISTS (SELECT name FROM sysindexes WHERE name = "
                "'Chvpr_FILHO') DROP INDEX [FILHO].[Chvpr_FILHO]");
  EXPECT_LT(remover, alterar);
  EXPECT_TRUE(EstruturaConfere(c, Tabela("FILHO")));
  EXPECT_TRUE(c.Erros().empty());
}

TEST_F(Passos, ColunaMaisLargaNoBancoAlargaODicionario) {
  auto &c = *contexto;
  ambiente.Executar(
      "CREATE TABLE [PAI]([Empresa] INT NOT NULL,[Serie] NVARCHAR(60) NOT "
      "NULL,[Numero] INT NOT NULL)");
  EXPECT_TRUE(EstruturaConfere(c, Tabela("PAI")));
  EXPECT_EQ(Tabela("PAI").Campos[1].Tamanho, 60);
  EXPECT_EQ(ComandosDe([&] { RemoverNaoNulos(c, Tabela("PAI")); }),
            (Lista{"ALTER TABLE [PAI] ALTER COLUMN [Empresa] INT NULL",
                   "ALTER TABLE [PAI] ALTER COLUMN [Serie] NVARCHAR(60) NULL",
                   "ALTER TABLE [PAI] ALTER COLUMN [Numero] INT NULL"}));

  // A decimal column of more precision and scale: the model takes both.
  ambiente.Executar(
      "CREATE TABLE [FILHO]([id] INT IDENTITY(1,1),[E] INT NULL,[S] "
      "NVARCHAR(3) NULL,[N] INT NULL,[Situacao] NVARCHAR(1) NULL,[Valor] "
      "DEC(14,4) NOT NULL,[Pai] INT NULL,[Proprio] INT NULL)");
  EXPECT_TRUE(EstruturaConfere(c, Tabela("FILHO")));
  EXPECT_EQ(Tabela("FILHO").Campos[5].Tamanho, 14);
  EXPECT_EQ(Tabela("FILHO").Campos[5].Decimais, 4);
  EXPECT_EQ(
      ComandosDe([&] { CriarNaoNulos(c, Tabela("FILHO")); }),
      Lista{"ALTER TABLE [FILHO] ALTER COLUMN [Valor] DEC(14,4) NOT NULL"});

  // A narrower text column compares different and is altered to the
  // dictionary's size.
  ambiente.Executar(
      "ALTER TABLE [PAI] ALTER COLUMN [Serie] NVARCHAR(30) NOT NULL");
  Tabela("PAI").Campos[1].Tamanho = 40;
  EXPECT_FALSE(EstruturaConfere(c, Tabela("PAI")));
  EXPECT_EQ(ComandosDe([&] { AtualizarEstrutura(c, Tabela("PAI")); }).back(),
            "ALTER TABLE [PAI] ALTER COLUMN [Serie] NVARCHAR(40)");
  EXPECT_TRUE(c.Erros().empty()) << c.Erros().front().descricao;
}

TEST_F(Passos, ColunaFloatPedeDecimal) {
  auto &c = *contexto;
  ambiente.Executar(
      "CREATE TABLE [FILHO]([id] INT IDENTITY(1,1),[Valor] FLOAT NOT NULL)");
  EXPECT_FALSE(EstruturaConfere(c, Tabela("FILHO")));
  EXPECT_TRUE(c.Erros().empty());
  try {
    AtualizarEstrutura(c, Tabela("FILHO"));
    FAIL();
  } catch (const Erro &e) {
    EXPECT_STREQ(
        e.what(),
        "Campo 'Valor' deveria ser decimal 12,2. Verificar se é float e "
        "convertê-lo para decimal na precisão desejada");
  }
}

TEST_F(Passos, ValoresPadraoValidacoesEIndices) {
  auto &c = *contexto;
  CriarTabela(c, Tabela("FILHO"));
  EXPECT_EQ(ComandosDe([&] { CriarValoresPadrao(c, Tabela("FILHO"), true); }),
            (Lista{"ALTER TABLE [FILHO] ADD CONSTRAINT [Deflt_FILHO_Situacao] "
                   "DEFAULT ('A') "
                   "FOR [Situacao]",
                   "UPDATE [FILHO] SET [Situacao]='A' WHERE [Situacao] IS NULL",
                   "ALTER TABLE [FILHO] ADD CONSTRAINT [Deflt_FILHO_Valor] "
                   "DEFAULT (0) FOR "
                   "[Valor]",
                   "UPDATE [FILHO] SET [Valor]=0 WHERE [Valor] IS NULL"}));
  EXPECT_EQ(c.Trabalho.Timeout(), 0);
  EXPECT_EQ(ComandosDe([&] { CriarValidacoes(c, Tabela("FILHO"), false); }),
            (Lista{"ALTER TABLE [FILHO] WITH NOCHECK ADD CONSTRAINT "
                   "[Check_FILHO_Situacao] "
                   "CHECK ([Situacao] IN ('A','I','D'))",
                   "ALTER TABLE [FILHO] WITH NOCHECK ADD CONSTRAINT "
                   "[Check_FILHO_Valor] CHECK "
                   "(Valor >= 0)"}));
  EXPECT_EQ(
      ComandosDe([&] { CriarIndices(c, Tabela("FILHO")); }),
      (Lista{
          "ALTER TABLE [FILHO] ADD CONSTRAINT [Chvpr_FILHO] PRIMARY KEY ([id])",
          "CREATE INDEX [IX_FILHO_ES] ON [FILHO]([E] DESC,[S])",
          "CREATE UNIQUE INDEX [UX_FILHO_N] ON [FILHO]([N])"}));
  EXPECT_TRUE(c.Erros().empty()) << c.Erros().front().descricao;

  const Lista remocao = ComandosDe([&] { RemoverIndices(c, Tabela("FILHO")); });
  ASSERT_GE(remocao.size(), 5u);
  EXPECT_EQ(remocao[0], "IF EXISTS (SELECT name FROM sysindexes WHERE name = "
                        "'Chvpr_FILHO') DROP INDEX "
                        "[FILHO].[Chvpr_FILHO]");
  EXPECT_EQ(remocao[1], "if exists (select * from sysobjects where id = "
                        "object_id('Chvpr_FILHO')) ALTER "
                        "TABLE [FILHO] DROP CONSTRAINT [Chvpr_FILHO]");
  EXPECT_EQ(
      remocao[4],
      "SELECT i.name FROM sys.indexes i inner join sys.objects t on "
      "i.object_id=t.object_id where t.name = 'FILHO' and i.name is not null");
  EXPECT_TRUE(c.Erros().empty()) << c.Erros().front().descricao;
  EXPECT_TRUE(
      ambiente
          .Coluna(
              "SELECT i.name FROM sys.indexes i inner join sys.objects t on "
              "i.object_id=t.object_id where t.name = 'FILHO' and i.name is "
              "not null")
          .empty());

  EXPECT_EQ(ComandosDe([&] { RemoverValoresPadrao(c, Tabela("FILHO")); }).at(4),
            "if exists (select * from sysobjects where id = "
            "object_id('Deflt_FILHO_Situacao')) "
            "ALTER TABLE [FILHO] DROP CONSTRAINT [Deflt_FILHO_Situacao]");
  EXPECT_EQ(ComandosDe([&] { RemoverValidacoes(c, Tabela("FILHO")); }).at(5),
            "if exists (select * from sysobjects where id = "
            "object_id('Check_FILHO_Valor')) "
            "ALTER TABLE [FILHO] DROP CONSTRAINT [Check_FILHO_Valor]");
  EXPECT_TRUE(c.Erros().empty()) << c.Erros().front().descricao;
}

TEST_F(Passos, RelacionamentoDeChaveComposta) {
  auto &c = *contexto;
  CriarTabela(c, Tabela("PAI"));
  CriarIndices(c, Tabela("PAI"));
  CriarTabela(c, Tabela("FILHO"));
  EXPECT_EQ(
      ComandosDe([&] { CriarRelacionamentos(c, Tabela("FILHO"), false); }),
      (Lista{"ALTER TABLE [FILHO] WITH NOCHECK ADD CONSTRAINT [Rlcto_FILHO_N] "
             "FOREIGN "
             "KEY ([E],[S],[N]) REFERENCES [PAI]([Empresa],[Serie],[Numero])",
             "ALTER TABLE [FILHO] WITH NOCHECK ADD CONSTRAINT "
             "[Rlcto_FILHO_Pai] FOREIGN "
             "KEY ([Pai]) REFERENCES [PAI]([Empresa])"}));
  // The single-column key fails (Empresa alone is not a key of PAI): its own
  // row.
  ASSERT_EQ(c.Erros().size(), 1u);
  EXPECT_EQ(c.Erros()[0].campo, "Pai");
  EXPECT_EQ(c.Erros()[0].funcao, "Criar relacionamento");
  const Lista remocao =
      ComandosDe([&] { RemoverRelacionamentos(c, Tabela("FILHO")); });
  EXPECT_EQ(remocao.front(), "select top 1 * from [FILHO]");
  EXPECT_EQ(remocao.at(4), "if exists (select * from sysobjects where id = "
                           "object_id('Rlcto_FILHO_N')) ALTER "
                           "TABLE [FILHO] DROP CONSTRAINT [Rlcto_FILHO_N]");
  EXPECT_TRUE(
      ambiente.Coluna("select name from sysobjects where name like 'Rlcto_%'")
          .empty());
}

TEST_F(Passos, AcessoUnicoComNomeDeBancoQualquer) {
  AmbienteDaAnalise outro("Empresa Demo-O'Neil");
  ContextoDaAnalise c(outro.modulo, outro.dicionario, outro.opcoes,
                      outro.interface);
  EXPECT_EQ(ComandosDe([&] { AcessoUnico(c, false); }),
            (Lista{"ALTER DATABASE [Empresa Demo-O'Neil] SET SINGLE_USER",
                   "ALTER DATABASE [Empresa Demo-O'Neil] SET MULTI_USER"}));
}

TEST_F(Passos, AcessoUnicoRecusadoMostraUsuarios) {
  auto &c = *contexto;
  db::Conexao outra;
  outra.DefinirStringDeConexao(ambiente.Cadeia(ambiente.Banco()));
  outra.Abrir();
  ambiente.interface.respostaAcessoUnico = Resposta::Ok;
  EXPECT_THROW(AcessoUnico(c, true), Cancelamento);
  ASSERT_EQ(ambiente.interface.perguntas.size(), 1u);
  EXPECT_EQ(
      ambiente.interface.perguntas[0].rfind(
          "Ocorreu o seguinte erro ao tentar acesso único ao banco de dados: ",
          0),
      0u);
  EXPECT_NE(ambiente.interface.perguntas[0].find(
                ". Para executar esta rotina não deve haver outro usuário "
                "conectado. Será "
                "exibida uma lista com todos os usuários ativos caso seja esta "
                "a causa do erro"),
            std::string::npos);
  EXPECT_EQ(ambiente.interface.usuariosAtivosPedidos, Lista{ambiente.Banco()});
}

TEST_F(Passos, DadosIniciaisAcessoELinhasDeParametro) {
  auto &c = *contexto;
  dicionario::TabelaDic feriados;
  feriados.Nome = "feriados";
  ambiente.Executar(
      "CREATE TABLE FERIADOS (DATA datetime, DESCRICAO nvarchar(60), FIXO "
      "nchar(1))");
  const Lista seed = ComandosDe([&] { InserirDadosIniciais(c, feriados); });
  ASSERT_EQ(seed.size(), 8u);
  EXPECT_EQ(seed[0], "INSERT INTO FERIADOS (DATA,DESCRICAO,FIXO) VALUES "
                     "('20000101','Confraternização Universal','S')");
  EXPECT_EQ(ambiente.Coluna("select count(*) from FERIADOS"), Lista{"8"});

  CriarTabela(c, Tabela("PAI"));
  EXPECT_EQ(ComandosDe([&] { ConcederAcesso(c, Tabela("PAI"), " PUBLIC"); }),
            Lista{"GRANT SELECT,INSERT,UPDATE,DELETE ON [PAI] TO [PUBLIC]"});
  EXPECT_TRUE(
      ComandosDe([&] { ConcederAcesso(c, Tabela("PAI"), "   "); }).empty());
  dicionario::TabelaDic restrita = Tabela("PAI");
  restrita.Restrita = true;
  EXPECT_TRUE(
      ComandosDe([&] { ConcederAcesso(c, restrita, "PUBLIC"); }).empty());

  ambiente.Executar(
      "CREATE TABLE PARX (id int IDENTITY(1,1), v int NULL DEFAULT 5)");
  c.TabelasDeParametro = {"PARX", "NAOEXISTE"};
  CriarLinhasDeParametro(c);
  CriarLinhasDeParametro(c);
  EXPECT_EQ(ambiente.Coluna("select count(*) from PARX"), Lista{"1"});
  ASSERT_EQ(c.Erros().size(), 2u);
  EXPECT_EQ(c.Erros()[0].tabela, "NAOEXISTE");
  EXPECT_EQ(c.Erros()[0].comando, "if not exists (select * from [NAOEXISTE]) "
                                  "INSERT INTO [NAOEXISTE] DEFAULT VALUES");
}

} // namespace
} // namespace zolvek::analysis::teste
