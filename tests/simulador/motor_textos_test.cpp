#include "ambiente.hpp"

// The program's fixed queries, sent exactly as the program sends them.
class Textos : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("CREATE TABLE [PEMPRESA]([RAZAO_SOC] NVARCHAR(60) NULL,[RevisaoDoBD] INT NULL)");
        Sql("CREATE TABLE [PARFN]([Script] NVARCHAR(max))");
        Sql("CREATE TABLE [Opções]([Identificador] NVARCHAR(100) NOT NULL,[Opções] NVARCHAR(max))");
        Sql("CREATE TABLE [RegMov]([Id] INT IDENTITY(1,1),[Hora] DATETIME NULL CONSTRAINT "
            "[Deflt_RegMov_Hora] DEFAULT "
            "(getdate()),[Operador] NVARCHAR(30) NULL,[Tipo] NVARCHAR(10) NULL,[Complemento] "
            "NVARCHAR(200) NULL)");
        Sql("CREATE TABLE [StatusBD]([Inicio] DATETIME NULL,[Final] DATETIME NULL,[Parâmetros] "
            "NVARCHAR(max),"
            "[Hora da liberação] DATETIME NULL,[Liberado por] NVARCHAR(30) NULL)");
    }
};

TEST_F(Textos, ModuloDeDados) {
    Sql("insert PEMPRESA default values");
    Sql("update PEMPRESA set RevisaoDoBD=?", {std::int64_t{42}});
    auto r = Sql("select * from [PEMPRESA] full outer join [PARFN]\r\non 1=1");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(r.colunas.size(), 3u);
    EXPECT_EQ(Texto(r.linhas[0][1]), "42");
    Sql("insert into Opções (Identificador, Opções) values ('X', 'texto')");
    r = Sql("select * from\r\nOpções where\r\nidentificador=?", {std::string("x")});
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(r.colunas[1].tipo, zolvek::db::TipoDeCampo::Memo);
    EXPECT_EQ(r.colunas[1].tabelaBase, "Opções");
    EXPECT_EQ(Valor("select RevisaoDoBD from PEMPRESA(NOLOCK)"), "42");
    EXPECT_EQ(Valor("select RevisaoDoBD from PEMPRESA"), "42");
    Sql("update PEMPRESA set RevisaoDoBD=NULL");
    EXPECT_EQ(Valor("select RevisaoDoBD from PEMPRESA(NOLOCK)"), "NULL");
}

TEST_F(Textos, RegistroDeMovimentoEStatus) {
    Sql("insert into RegMov (Hora, Operador, Tipo, Complemento) values (getdate(), suser_sname(), "
        "'Analisar', "
        "'Dicionário de dados revisão 7, executado com sucesso')");
    Sql("insert RegMov (Operador, Tipo) values (suser_sname(), 'Liberar')");
    Sql("insert RegMov (Operador, Tipo) values (suser_sname(), 'Validar')");
    auto r =
        Sql("select * from regmov where\r\ntipo='Analisar' or tipo='Liberar' order by hora desc");
    ASSERT_EQ(r.linhas.size(), 2u);
    EXPECT_EQ(r.colunas[1].tipo, zolvek::db::TipoDeCampo::DateTime);
    EXPECT_TRUE(std::holds_alternative<zolvek::db::DataHora>(r.linhas[0][1]));
    EXPECT_EQ(Texto(r.linhas[1][2]), "sa");
    Sql("insert RegMov (Hora, Tipo) values ('20200102', 'Liberar')");
    EXPECT_EQ(Valor("select count(*) from RegMov where Hora = '20200102'"), "1");
    EXPECT_EQ(
        Valor("select count(*) from RegMov where Hora < '2020-01-03' and Hora >= '02/01/2020'"),
        "1");
    EXPECT_EQ(Sql("select * from StatusBD(NOLOCK)").linhas.size(), 0u);
    Sql("insert into StatusBD ([Inicio], [Parâmetros]) values (getdate(), 'cbxGerarIndices=Sim')");
    r = Sql("select * from StatusBD(NOLOCK)");
    ASSERT_EQ(r.colunas.size(), 5u);
    EXPECT_EQ(r.colunas[3].nome, "Hora da liberação");
    EXPECT_EQ(Texto(r.linhas[0][2]), "cbxGerarIndices=Sim");
}

TEST_F(Textos, ImportacaoEIdentidade) {
    Sql("insert RegMov (Operador, Tipo) values ('a', 'Liberar')");
    EXPECT_EQ(Valor("select count(*) from RegMov"), "1");
    Sql("delete RegMov");
    Sql("set identity_insert RegMov on");
    Sql("insert into RegMov (Id, Operador) values (?, ?)", {std::int64_t{7}, std::string("b")});
    Sql("set identity_insert RegMov off");
    EXPECT_EQ(Falha("set identity_insert PARFN on"),
              "Table 'PARFN' does not have the identity property. Cannot perform SET operation.");
    Sql("insert RegMov (Operador) values ('c')");
    EXPECT_EQ(Valor("select max(Id) from RegMov"), "8");
}

TEST_F(Textos, ConsultasDosTributos) {
    Sql("CREATE TABLE [DOCREC]([Numint] INT NOT NULL,[CODFIS] NVARCHAR(10) NULL,[TIPO] "
        "NVARCHAR(30) NULL)");
    Sql("CREATE TABLE [DOCRECIT]([Numint] INT NOT NULL,[Id_item] INT IDENTITY(1,1),[CODFIS] "
        "NVARCHAR(10) NULL,"
        "[COMPONENTE] NVARCHAR(1) NULL,[BASECALC] MONEY NULL,[BASEIPI] MONEY NULL,[IcmsSemIsenção] "
        "MONEY NULL)");
    Sql("insert into DOCREC values (1, '5102', 'Venda')");
    Sql("insert into DOCRECIT (Numint, CODFIS, COMPONENTE) values (1, NULL, 'N')");
    const std::string contagem =
        "select sum(totReg) as totalRegistros\r\nfrom(\r\nselect count(*) as "
        "totReg\r\nfrom\r\ndocrecit\r\n"
        "inner join Docrec on Docrecit.Numint=Docrec.Numint\r\nWHERE "
        "COALESCE(DOCRECIT.CODFIS,DOCREC.CODFIS) IS NOT "
        "NULL\r\nAND DOCREC.TIPO IN ('Nota de "
        "Serviço','Saída','Transferência','Devolução','Venda','Simples "
        "remessa','Retorno') -- Docpag\r\nAND DOCRECIT.COMPONENTE='N' -- não em Docpag /*Linha "
        "37*/\r\nAND ( "
        "DOCRECIT.BASECALC is null or DOCRECIT.BASEIPI is null )\r\n\r\n)t";
    EXPECT_EQ(Valor(contagem), "1");
    auto r = Sql(
        "select\r\nDocrecit.Numint,Docrecit.Id_item,\r\ncoalesce(Docrecit.IcmsSemIsenção,0) as "
        "[IcmsSemIsenção], /*LINHA 15 não em Docpag*/\r\ncoalesce(Docrecit.CODFIS,Docrec.CODFIS) "
        "as CODFIS,\r\n"
        "Docrec.Tipo\r\nfrom docrecit\r\ninner join Docrec on Docrecit.Numint=Docrec.Numint\r\n");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(Texto(r.linhas[0][3]), "5102");
    EXPECT_EQ(r.colunas[2].nome, "IcmsSemIsenção");
    r = Sql("select\r\n\"ContribuinteICMS\" = 1, Tipo as \"Outro\"\r\nfrom docrec where numint=?",
            {std::int64_t{1}});
    EXPECT_EQ(r.linhas.size(), 1u);
}
