#include "ambiente.hpp"

using zolvek::db::DataHora;
using zolvek::db::TipoDeCampo;

// T-SQL's built-in functions and conversions as the stand-in answers them.
class Funcoes : public SimuladorTeste {};

TEST_F(Funcoes, DatasEHoras) {
    EXPECT_EQ(Valor("select convert(varchar(23), dateadd(day, 1, '20201231'), 121)"),
              "2021-01-01 00:00:00.000");
    EXPECT_EQ(Valor("select convert(varchar(23), dateadd(month, 1, '2020-01-31'), 121)"),
              "2020-02-29 00:00:00.000");
    EXPECT_EQ(Valor("select datepart(year, '2021-03-04') * 100 + month('2021-03-04')"), "202103");
    EXPECT_EQ(Valor("select day('04/03/2021')"), "4");
    EXPECT_EQ(Valor("select datediff(day, '2020-12-31 23:59', '2021-01-01 00:01')"), "1");
    EXPECT_EQ(Valor("select datediff(year, '2020-12-31', '2021-01-01')"), "1");
    EXPECT_EQ(Valor("select convert(varchar(10), convert(datetime, '2021-03-04T05:06:07'), 103)"),
              "04/03/2021");
    EXPECT_EQ(Valor("select convert(varchar(8), convert(datetime, '20210304'), 112)"), "20210304");
    EXPECT_EQ(Falha("select convert(datetime, '20211301')"),
              "The conversion of a varchar data type to a datetime data type resulted in an "
              "out-of-range value.");
    EXPECT_EQ(Falha("select convert(datetime, '2021-1x-01')"),
              "Conversion failed when converting date and/or time from character string.");
    auto r =
        Sql("select dateadd(hour, 1, getdate()) as Depois, cast('20210304' as datetime) as Data");
    EXPECT_EQ(r.colunas[0].tipo, TipoDeCampo::DateTime);
    ASSERT_TRUE(std::holds_alternative<DataHora>(r.linhas[0][1]));
    EXPECT_EQ(std::get<DataHora>(r.linhas[0][1]).mes, 3);
}

TEST_F(Funcoes, TextosComAcentos) {
    EXPECT_EQ(Valor("select upper('ação')"), "AÇÃO");
    EXPECT_EQ(Valor("select lower('ÁRVORE')"), "árvore");
    EXPECT_EQ(Valor("select left('ação', 2) + right('ação', 1)"), "aço");
    EXPECT_EQ(Valor("select charindex('ÇÃ', 'ação')"), "2");
    EXPECT_EQ(Valor("select substring('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(Valor("select replicate('ab', 3) + space(1) + ltrim('  x')"), "ababab x");
    EXPECT_EQ(Valor("select len(N'ação')"), "4");
    EXPECT_EQ(Valor("select quotename('a]b')"), "[a]]b]");
    // a literal takes the database's collation, so letter case does not count
    EXPECT_EQ(Valor("select case when 'ABC' = 'abc' then 'sim' else 'não' end"), "sim");
    // LIKE without letter case, accented letters too, and T-SQL's character classes
    EXPECT_EQ(Valor("select case when 'AÇÃO' like 'açã%' then 1 else 0 end"), "1");
    EXPECT_EQ(Valor("select case when 'Nota 7' like 'nota [0-9]' then 1 else 0 end"), "1");
    EXPECT_EQ(Valor("select case when 'Nota x' like 'nota [^a-z]' then 1 else 0 end"), "0");
    EXPECT_EQ(Valor("select case when 'a_b' like 'a!_b' escape '!' then 1 else 0 end"), "1");
    EXPECT_EQ(Valor("select case when 'axb' like 'a!_b' escape '!' then 1 else 0 end"), "0");
    EXPECT_EQ(Valor("select case when 'abc' like '_b%' then 1 else 0 end"), "1");
}

TEST_F(Funcoes, ConversoesDeNumeros) {
    EXPECT_EQ(Valor("select convert(int, '42') + 1"), "43");
    EXPECT_EQ(Valor("select cast(12.7 as int)"), "12");
    EXPECT_EQ(Valor("select convert(varchar(3), 'abcdef')"), "abc");
    EXPECT_EQ(Falha("select convert(int, 'x1')"),
              "Conversion failed when converting the varchar value 'x1' to data "
              "type int.");
    EXPECT_EQ(Falha("select convert(tinyint, 300)"),
              "Arithmetic overflow error converting expression to data type "
              "tinyint.");
    EXPECT_EQ(Valor("select isnumeric('12.5') + isnumeric('a')"), "1");
    EXPECT_EQ(Valor("select convert(decimal(10,2), 1.005)"), "1.01");
    EXPECT_EQ(Valor("select convert(decimal(10,2), -2.675)"), "-2.68");
    EXPECT_EQ(Valor("select round(2.345, 2) * 1000"), "2350.000");  // numeric(9,3)
    EXPECT_EQ(Valor("select ceiling(1.2) + floor(1.8)"), "3");
}

TEST_F(Funcoes, ServidorESessao) {
    EXPECT_EQ(Valor("select db_name()"), "Teste");
    EXPECT_EQ(Valor("select user_name()"), "dbo");
    EXPECT_EQ(Valor("select is_srvrolemember('sysadmin')"), "1");
    EXPECT_EQ(Valor("select IS_MEMBER('db_datareader')"), "0");
    EXPECT_EQ(Valor("select IS_MEMBER('papel_que_nao_existe')"), "NULL");
    EXPECT_EQ(Valor("select serverproperty('ProductVersion')").substr(0, 3), "11.");
    EXPECT_NE(Valor("select @@version").find("Microsoft SQL Server"), std::string::npos);
    EXPECT_EQ(Valor("select @@trancount"), "0");
    EXPECT_EQ(Valor("select object_id('Nada')"), "NULL");
    Sql("CREATE TABLE [T]([Id] INT IDENTITY(5,1),[X] INT NULL)");
    Sql("insert T (X) values (1)");
    EXPECT_EQ(Valor("select @@identity"), "5");
    EXPECT_EQ(Valor("select scope_identity()"), "5");
    EXPECT_EQ(Valor("select ident_current('T')"), "5");
    EXPECT_EQ(Valor("select object_name(object_id('dbo.T'))"), "T");
    EXPECT_EQ(Valor("select count(*) from Teste.dbo.T"), "1");
    EXPECT_EQ(Valor("select count(*) from Teste..T"), "1");
    EXPECT_EQ(Valor("select count(*) from information_schema.tables where table_name = 't'"), "1");
    EXPECT_EQ(Valor("select count(*) from sys.tables where name = 'T'"), "1");
}

TEST_F(Funcoes, TiposDeColunaNaGravacao) {
    Sql("CREATE TABLE [V]([C] CHAR(3) NULL,[B] BIT NULL,[G] UNIQUEIDENTIFIER NULL,[Bin] "
        "VARBINARY(2) NULL,"
        "[S] SMALLINT NULL,[L] BIGINT NULL,[R] REAL NULL,[Tx] TEXT NULL,[Im] IMAGE NULL)");
    Sql("insert V (C, B, G, S, L) values ('a', 'true', newid(), 7, 9000000000)");
    auto r = Sql("select * from V");
    EXPECT_EQ(Texto(r.linhas[0][0]), "a  ");
    EXPECT_EQ(std::get<bool>(r.linhas[0][1]), true);
    EXPECT_EQ(Texto(r.linhas[0][2]).size(), 36u);
    EXPECT_EQ(r.colunas[2].tipo, TipoDeCampo::Guid);
    EXPECT_EQ(r.colunas[4].tipo, TipoDeCampo::SmallInt);
    EXPECT_EQ(r.colunas[5].tipo, TipoDeCampo::LargeInt);
    EXPECT_EQ(r.colunas[7].tipo, TipoDeCampo::Memo);
    EXPECT_EQ(r.colunas[8].tipo, TipoDeCampo::Blob);
    Sql("update V set Bin = ?", {zolvek::db::Bytes{1, 2}});
    EXPECT_EQ(std::get<zolvek::db::Bytes>(Sql("select Bin from V").linhas[0][0]),
              (zolvek::db::Bytes{1, 2}));
    EXPECT_EQ(Falha("update V set Bin = 0x010203"), "String or binary data would be truncated.");
    EXPECT_EQ(Falha("update V set S = 40000"),
              "Arithmetic overflow error converting expression to data type smallint.");
    EXPECT_EQ(Falha("update V set G = 'x'"),
              "Conversion failed when converting from a character string to uniqueidentifier.");
    EXPECT_EQ(Falha("insert V (C) values (?)"),
              "No value given for one or more required parameters.");
}

TEST_F(Funcoes, EstiloDeConversaoDeColunaDeData) {
    Sql("CREATE TABLE [Ped]([Data] DATETIME NULL)");
    Sql("insert into Ped (Data) values ('20240105 13:14:15')");
    EXPECT_EQ(Valor("select convert(varchar(10), Data, 103) from Ped"), "05/01/2024");
    EXPECT_EQ(Valor("select convert(varchar(8), Data, 112) from Ped"), "20240105");
    EXPECT_EQ(Valor("select convert(varchar(8), Data, 108) from Ped"), "13:14:15");
    EXPECT_EQ(
        Valor("select count(*) from Ped where convert(varchar(10), Data, 103) = '05/01/2024'"),
        "1");
    // a text keeps its characters whatever the style
    EXPECT_EQ(Valor("select convert(varchar(10), '2024-01-05', 103)"), "2024-01-05");
}

TEST_F(Funcoes, ExpressaoSemApelidoNaoTemNome) {
    Sql("CREATE TABLE [Cli]([Nome] NVARCHAR(10) NULL)");
    Sql("insert into Cli values ('a')");
    auto r = Sql("select len(Nome), Nome, upper(Nome) as Maior, 1 as [Um Dois], 2 from Cli");
    ASSERT_EQ(r.colunas.size(), 5u);
    EXPECT_EQ(r.colunas[0].nome, "");
    EXPECT_EQ(r.colunas[1].nome, "Nome");
    EXPECT_EQ(r.colunas[2].nome, "Maior");
    EXPECT_EQ(r.colunas[3].nome, "Um Dois");
    EXPECT_EQ(r.colunas[4].nome, "");
}

TEST_F(Funcoes, ApelidoComIgualNaSelecao) {
    Sql("CREATE TABLE [Cli]([Id] INT NULL,[Nome] NVARCHAR(10) NULL)");
    Sql("insert into Cli values (1, 'a')");
    Sql("insert into Cli values (2, 'b')");
    auto r =
        Sql("select top 1 Total = count(*), 'Maior' = max(Nome), [Com Id] = (select min(Id) "
            "from Cli where Nome = 'a') from Cli where Id = ?",
            {zolvek::db::Valor{std::int64_t{2}}});
    ASSERT_EQ(r.colunas.size(), 3u);
    EXPECT_EQ(r.colunas[0].nome, "Total");
    EXPECT_EQ(r.colunas[1].nome, "Maior");
    EXPECT_EQ(r.colunas[2].nome, "Com Id");
    EXPECT_EQ(Texto(r.linhas[0][0]) + Texto(r.linhas[0][1]) + Texto(r.linhas[0][2]), "1b1");
    // a comparison outside the column list stays a comparison
    EXPECT_EQ(Valor("select count(*) from Cli where Id = 1"), "1");
}

// What the stand-in cannot answer as SQL Server does it refuses in Portuguese, never with
// another value nor with "not a recognized built-in function name".
TEST_F(Funcoes, RecusaOQueNaoReproduz) {
    // the logins' language is Brazilian Portuguese: dd/mm, Portuguese names
    EXPECT_EQ(Valor("select @@language + ' ' + datename(month, '2024-03-05')"),
              "Português (Brasil) Março");
    EXPECT_EQ(Falha("select checksum(1)"),
              "O simulador de SQL Server não calcula checksum: os valores de SQL Server para ela "
              "não se reproduzem aqui.");
    EXPECT_EQ(Falha("select format(1, 'C')"),
              "O simulador de SQL Server não aceita o formato 'C' em FORMAT.");
    EXPECT_EQ(Falha("select convert(varchar(30), getdate(), 130)"),
              "O simulador de SQL Server não escreve datas no calendário Hijri (estilos 130 e "
              "131).");
    EXPECT_EQ(Falha("set language Deutsch select datename(month, getdate())"),
              "O simulador de SQL Server não conhece os nomes de meses e dias do idioma "
              "'Deutsch'.");
}
