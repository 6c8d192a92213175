#include <gtest/gtest.h>

#include "auxiliares.hpp"
#include "comum/erros.hpp"
#include "versioning/comandos_das_triggers.hpp"

namespace zolvek::versionamento {
namespace {

using teste::Campo;
using teste::Linhas;
using teste::Tabela;

// A document table of RegTab: identity key, a long text and a date.
ComandosDasTriggers ComandosDoPedido() {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(
        Tabela("Pedido", {Campo("Id", 'S'), Campo("Nome", 'C', 60), Campo("Emissao", 'D')}),
        ClasseDeVersionamento::F, c);
    return c;
}

// A parameter table of RegVer whose first field is no identity.
dicionario::TabelaDic ParametrosSemIdentity() {
    return Tabela("PARFN", {Campo("Código", 'N', 9), Campo("Data de emissão", 'D'),
                            Campo("Hora da baixa", 'H'), Campo("Foto", 'B')});
}

TEST(TriggersDeRegTab, InsercaoGravaSoAChaveDoRegistro) {
    EXPECT_EQ(ComandosDoPedido().Insercao, Linhas(R"(
CREATE TRIGGER [Trigr_Pedido_RegTab_Ins] ON [Pedido]
WITH ENCRYPTION
FOR INSERT
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Id varchar(50), @Nome varchar(max), @Emissao varchar(50)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'I'
declare regs cursor local fast_forward for
select n.[Id], n.[Nome], convert(varchar(23), n.[Emissao], 121) from inserted n
open regs
while 1=1
   begin
   fetch next from regs
   into @Id, @Nome, @Emissao
   if @@fetch_status <> 0
      break
   insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'Pedido',@Id, 'Id',@Id)
   end
close regs
deallocate regs
end
)"));
}

TEST(TriggersDeRegTab, AlteracaoGravaOsValoresAnteriores) {
    EXPECT_EQ(ComandosDoPedido().Alteracao, Linhas(R"(
CREATE TRIGGER [Trigr_Pedido_RegTab_Upd] ON [Pedido]
WITH ENCRYPTION
FOR UPDATE
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Id_before varchar(50), @Nome_before varchar(max), @Emissao_before varchar(50), @Id varchar(50), @Nome varchar(max), @Emissao varchar(50)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'U'
declare regs cursor local fast_forward for
select b.[Id], b.[Nome], convert(varchar(23), b.[Emissao], 121),n.[Id], n.[Nome], convert(varchar(23), n.[Emissao], 121) from deleted b
inner join inserted n
on b.[Id]=n.[Id]
open regs
while 1=1
   begin
   fetch next from regs
   into @Id_before, @Nome_before, @Emissao_before, @Id, @Nome, @Emissao
   if @@fetch_status <> 0
      break
   if (@Id <> @Id_before) or
      (@Id is null and @Id_before is not null) or
      (@Id is not null and @Id_before is null)
      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'Pedido',@Id, 'Id',@Id_before)
   if (@Nome <> @Nome_before) or
      (@Nome is null and @Nome_before is not null) or
      (@Nome is not null and @Nome_before is null)
      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmTexto) values (@IUD, 'Pedido',@Id, 'Nome',@Nome_before)
   if (@Emissao <> @Emissao_before) or
      (@Emissao is null and @Emissao_before is not null) or
      (@Emissao is not null and @Emissao_before is null)
      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'Pedido',@Id, 'Emissao',@Emissao_before)
   end
close regs
deallocate regs
end
)"));
}

TEST(TriggersDeRegTab, ExclusaoGravaCadaValorNaoNulo) {
    const auto comandos = ComandosDoPedido();
    EXPECT_EQ(comandos.Exclusao, Linhas(R"(
CREATE TRIGGER [Trigr_Pedido_RegTab_Del] ON [Pedido]
WITH ENCRYPTION
FOR DELETE
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Id varchar(50), @Nome varchar(max), @Emissao varchar(50)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'D'
declare regs cursor local fast_forward for
select n.[Id], n.[Nome], convert(varchar(23), n.[Emissao], 121) from deleted n
open regs
while 1=1
   begin
   fetch next from regs
   into @Id, @Nome, @Emissao
   if @@fetch_status <> 0
      break
   if not (@Id is null)
      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'Pedido',@Id, 'Id',@Id)
   if not (@Nome is null)
      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmTexto) values (@IUD, 'Pedido',@Id, 'Nome',@Nome)
   if not (@Emissao is null)
      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'Pedido',@Id, 'Emissao',@Emissao)
   end
close regs
deallocate regs
end
)"));
    EXPECT_TRUE(comandos.Construcao.empty());
}

TEST(TriggersDeRegVer, InsercaoGravaCadaValorComAContagemComoChave) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(ParametrosSemIdentity(), ClasseDeVersionamento::P, c);
    EXPECT_EQ(c.Insercao, Linhas(R"(
CREATE TRIGGER [Trigr_PARFN_RegVer_Ins] ON [PARFN]
WITH ENCRYPTION
FOR INSERT
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Codigo varchar(50), @DataDeEmissao varchar(50), @HoraDaBaixa varchar(50), @Foto varbinary(max)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'I'
SET @nRegsEmPar = (select count(*) from [PARFN])
declare regs cursor local fast_forward for
select n.[Código], convert(varchar(23), n.[Data de emissão], 121), n.[Hora da baixa], n.[Foto] from inserted n
open regs
while 1=1
   begin
   fetch next from regs
   into @Codigo, @DataDeEmissao, @HoraDaBaixa, @Foto
   if @@fetch_status <> 0
      break
   if not (@Codigo is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Código',@Codigo)
   if not (@DataDeEmissao is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Data de emissão',@DataDeEmissao)
   if not (@HoraDaBaixa is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Hora da baixa',@HoraDaBaixa)
   if not (@Foto is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmBinario) values (@IUD, 'PARFN',@nRegsEmPar, 'Foto',@Foto)
   end
close regs
deallocate regs
end
)"));
}

TEST(TriggersDeRegVer, AlteracaoPareiaAsLinhasSemChaveEGravaOsNovosValores) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(ParametrosSemIdentity(), ClasseDeVersionamento::P, c);
    EXPECT_EQ(c.Alteracao, Linhas(R"(
CREATE TRIGGER [Trigr_PARFN_RegVer_Upd] ON [PARFN]
WITH ENCRYPTION
FOR UPDATE
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Codigo_before varchar(50), @DataDeEmissao_before varchar(50), @HoraDaBaixa_before varchar(50), @Foto_before varbinary(max), @Codigo varchar(50), @DataDeEmissao varchar(50), @HoraDaBaixa varchar(50), @Foto varbinary(max)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'U'
SET @nRegsEmPar = (select count(*) from [PARFN])
declare regs cursor local fast_forward for
select b.[Código], convert(varchar(23), b.[Data de emissão], 121), b.[Hora da baixa], b.[Foto],n.[Código], convert(varchar(23), n.[Data de emissão], 121), n.[Hora da baixa], n.[Foto] from deleted b
inner join inserted n
on 1=1
open regs
while 1=1
   begin
   fetch next from regs
   into @Codigo_before, @DataDeEmissao_before, @HoraDaBaixa_before, @Foto_before, @Codigo, @DataDeEmissao, @HoraDaBaixa, @Foto
   if @@fetch_status <> 0
      break
   if (@Codigo <> @Codigo_before) or
      (@Codigo is null and @Codigo_before is not null) or
      (@Codigo is not null and @Codigo_before is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Código',@Codigo)
   if (@DataDeEmissao <> @DataDeEmissao_before) or
      (@DataDeEmissao is null and @DataDeEmissao_before is not null) or
      (@DataDeEmissao is not null and @DataDeEmissao_before is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Data de emissão',@DataDeEmissao)
   if (@HoraDaBaixa <> @HoraDaBaixa_before) or
      (@HoraDaBaixa is null and @HoraDaBaixa_before is not null) or
      (@HoraDaBaixa is not null and @HoraDaBaixa_before is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Hora da baixa',@HoraDaBaixa)
   if (@Foto <> @Foto_before) or
      (@Foto is null and @Foto_before is not null) or
      (@Foto is not null and @Foto_before is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmBinario) values (@IUD, 'PARFN',@nRegsEmPar, 'Foto',@Foto)
   end
close regs
deallocate regs
end
)"));
}

TEST(TriggersDeRegVer, ExclusaoGravaSoOPrimeiroCampo) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(ParametrosSemIdentity(), ClasseDeVersionamento::P, c);
    EXPECT_EQ(c.Exclusao, Linhas(R"(
CREATE TRIGGER [Trigr_PARFN_RegVer_Del] ON [PARFN]
WITH ENCRYPTION
FOR DELETE
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Codigo varchar(50), @DataDeEmissao varchar(50), @HoraDaBaixa varchar(50), @Foto varbinary(max)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'D'
SET @nRegsEmPar = (select count(*) from [PARFN])
declare regs cursor local fast_forward for
select n.[Código], convert(varchar(23), n.[Data de emissão], 121), n.[Hora da baixa], n.[Foto] from deleted n
open regs
while 1=1
   begin
   fetch next from regs
   into @Codigo, @DataDeEmissao, @HoraDaBaixa, @Foto
   if @@fetch_status <> 0
      break
   insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Código',@Codigo)
   end
close regs
deallocate regs
end
)"));
}

TEST(TriggersDeRegVer, ProcedimentoDeConstrucaoTiraOInstantaneoUmaVez) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(ParametrosSemIdentity(), ClasseDeVersionamento::P, c);
    EXPECT_EQ(c.Construcao, Linhas(R"(
CREATE PROCEDURE dbo.[Stprc_PARFN_RegVer_Build]
WITH ENCRYPTION
AS
DECLARE @IUD char(1),@nRegsEmPar int,@Codigo varchar(50), @DataDeEmissao varchar(50), @HoraDaBaixa varchar(50), @Foto varbinary(max)
BEGIN
SET ANSI_NULLS ON
SET NOCOUNT ON
SET @IUD = 'B'
if (select COUNT(*) from [PARFN]) > 0 and (select top 1 id from RegVer where Tabela = 'PARFN') is not null
   return
SET @nRegsEmPar = (select count(*) from [PARFN])
declare regs cursor local fast_forward for
select n.[Código], convert(varchar(23), n.[Data de emissão], 121), n.[Hora da baixa], n.[Foto] from [PARFN] n order by [Código]
open regs
while 1=1
   begin
   fetch next from regs
   into @Codigo, @DataDeEmissao, @HoraDaBaixa, @Foto
   if @@fetch_status <> 0
      break
   if not (@Codigo is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Código',@Codigo)
   if not (@DataDeEmissao is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Data de emissão',@DataDeEmissao)
   if not (@HoraDaBaixa is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) values (@IUD, 'PARFN',@nRegsEmPar, 'Hora da baixa',@HoraDaBaixa)
   if not (@Foto is null)
      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmBinario) values (@IUD, 'PARFN',@nRegsEmPar, 'Foto',@Foto)
   end
close regs
deallocate regs
end
)"));
}

TEST(TriggersDeRegVer, ChaveIdentityOuNumeroObrigatorioIdentificaORegistro) {
    for (const auto& chave : {Campo("idEmpresa", 'S'), Campo("idEmpresa", 'N', 9, true)}) {
        ComandosDasTriggers c;
        CriarComandosDasTriggers(Tabela("PEMPRESA", {chave, Campo("RAZAO_SOC", 'C', 60)}),
                                 ClasseDeVersionamento::P, c);
        EXPECT_EQ(c.Insercao[20],
                  "      insert into RegVer (Operacao, Tabela, idTabela, Campo, ValorEmString) "
                  "values (@IUD, 'PEMPRESA',@IdEmpresa, 'idEmpresa',@IdEmpresa)");
        // Parameter tables pair old and new rows without a key, whatever their first field.
        EXPECT_EQ(c.Alteracao[13], "on 1=1");
        EXPECT_EQ(c.Construcao[12],
                  "select n.[idEmpresa], n.[RAZAO_SOC] from [PEMPRESA] n order by [idEmpresa]");
    }
}

TEST(TriggersDeRegTab, SemChaveIdentityFalhaComOLocalDoErro) {
    ComandosDasTriggers c;
    c.Insercao = {"restos de outra tabela"};
    const auto semChave = Tabela("CLIENTE", {Campo("CLIENTE", 'N', 9), Campo("Nome", 'C', 60)});
    try {
        CriarComandosDasTriggers(semChave, ClasseDeVersionamento::F, c);
        FAIL() << "devia falhar";
    } catch (const Erro& e) {
        const std::string texto = e.what();
        EXPECT_EQ(texto.rfind("Tabela 'CLIENTE' não tem campo chave identity\r\n\r\nArquivo: "
                              "FLibRegVer\r\nMétodo: CriarComandosDasTriggers\r\nLinha: ",
                              0),
                  0u)
            << texto;
        EXPECT_NE(texto.find("\r\nRevisão: "), std::string::npos);
    }
    EXPECT_TRUE(c.Insercao.empty());  // no text of another table is left behind
}

TEST(TriggersDeRegTab, NomesComEspacoEAcentoSaoCitadosComoEstaoNoDicionario) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(
        Tabela("Orçamento", {Campo("Número", 'S'), Campo("Data de emissão", 'D'),
                             Campo("Hora", 'H'), Campo("Preço", 'N', 12)}),
        ClasseDeVersionamento::F, c);
    EXPECT_EQ(c.Insercao[0], "CREATE TRIGGER [Trigr_Orçamento_RegTab_Ins] ON [Orçamento]");
    EXPECT_EQ(c.Insercao[10],
              "select n.[Número], convert(varchar(23), n.[Data de emissão], 121), n.[Hora], "
              "n.[Preço] from inserted n");
    EXPECT_EQ(c.Alteracao[12], "on b.[Número]=n.[Número]");
    EXPECT_EQ(c.Exclusao[21],
              "      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values "
              "(@IUD, 'Orçamento',@Numero, 'Data de emissão',@DataDeEmissao)");
}

TEST(TriggersDeRegTab, ApostrofoEColcheteNosNomesNaoQuebramOTexto) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(Tabela("Pedido", {Campo("Id", 'S'), Campo("D'água [m3]", 'N', 9)}),
                             ClasseDeVersionamento::F, c);
    EXPECT_EQ(c.Exclusao[10], "select n.[Id], n.[D'água [m3]]] from deleted n");
    EXPECT_EQ(c.Exclusao[21],
              "      insert into RegTab (Operacao, Tabela, idTabela, Campo, ValorEmString) values "
              "(@IUD, 'Pedido',@Id, 'D''água [m3]',@DAguaM3)");
}

TEST(TriggersDeRegTab, CamposExcluidosNaoSaoGravados) {
    ComandosDasTriggers c;
    CriarComandosDasTriggers(
        Tabela("docrec",
               {Campo("Numint", 'S'), Campo("dataalt", 'D'), Campo("DATAINC", 'D'),
                Campo("LctoContabilEmEdicao", 'L'), Campo("Versao", 'R'), Campo("Valor", 'N', 12)}),
        ClasseDeVersionamento::F, c);
    EXPECT_EQ(c.Insercao[4],
              "DECLARE @IUD char(1),@nRegsEmPar int,@Numint varchar(50), @Valor varchar(50)");
}

TEST(TextoDoComando, CadaLinhaTerminaEmCrLf) {
    EXPECT_EQ(TextoDoComando({"AS", "", "end"}), "AS\r\n\r\nend\r\n");
    EXPECT_EQ(TextoDoComando({}), "");
}

}  // namespace
}  // namespace zolvek::versionamento
