#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "admin/copia_antes_de_alterar.hpp"
#include "ambiente_da_analise.hpp"
#include "db/lotes_sql.hpp"

// Simulated runs of the analysis: the whole run inside one transaction rolled back at
// the end. Nothing of it may stay in the database, and what it reports must be what a
// run does.
namespace zolvek::analysis::teste {
namespace {

using Lista = std::vector<std::string>;

// Every row of a query, its columns joined by "|".
Lista LinhasDaConsulta(AmbienteDaAnalise& a, const std::string& sql) {
    db::Consulta q(&a.modulo.Banco);
    q.DefinirSQL(sql);
    q.Abrir();
    Lista r;
    for (q.Primeiro(); !q.Fim(); q.Proximo()) {
        std::string linha;
        for (const db::Campo& c : q.Campos()) linha += (c.Nulo() ? "<NULL>" : c.Texto()) + "|";
        r.push_back(linha);
    }
    return r;
}

// The catalog (objects, columns, indexes, programmed objects' texts, constraints, the
// access mode) and every row of every table.
Lista FotoDoBanco(AmbienteDaAnalise& a) {
    Lista r;
    for (const char* sql :
         {"select name, xtype from sysobjects order by name",
          "select TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, "
          "NUMERIC_PRECISION, NUMERIC_SCALE, IS_NULLABLE, COLUMN_DEFAULT from "
          "INFORMATION_SCHEMA.COLUMNS order by TABLE_NAME, ORDINAL_POSITION",
          "select t.name, i.name, i.is_unique, i.is_primary_key from sys.indexes i join "
          "sys.objects t on i.object_id = t.object_id order by 1, 2",
          "select o.name, m.definition from sys.sql_modules m join sys.objects o on "
          "o.object_id = m.object_id order by 1",
          "select name, definition from sys.check_constraints order by 1",
          "select name, definition from sys.default_constraints order by 1",
          "select name, is_disabled from sys.foreign_keys order by 1",
          "select user_access_desc from sys.databases where name = db_name()"}) {
        r.push_back(std::string("== ") + sql);
        for (auto& l : LinhasDaConsulta(a, sql)) r.push_back(std::move(l));
    }
    for (const std::string& t : a.Coluna("select name from sysobjects where xtype = 'U'")) {
        Lista linhas = LinhasDaConsulta(a, "select * from " + db::EntreColchetes(t));
        std::sort(linhas.begin(), linhas.end());
        r.push_back("== " + t);
        r.insert(r.end(), linhas.begin(), linhas.end());
    }
    return r;
}

// The demo company database as the repository's script leaves it: older column types,
// the company row, parameters.
void CriarEmpresaDeDemonstracao(AmbienteDaAnalise& a) {
    std::ifstream entrada(std::filesystem::path(ZOLVEK_PASTA_TESTES) / ".." / "demo" /
                          "empresa_demo.sql");
    std::stringstream texto;
    texto << entrada.rdbuf();
    db::RodarLotes(a.modulo.Banco.ConectorAberto(),
                   db::DividirEmLotes(db::DividirEmLinhas(texto.str())), true,
                   db::ModoDoLote::Executar, [](const db::LoteSql&, auto&) {});
}

bool ContemTrecho(const std::string& texto, const std::string& trecho) {
    return texto.find(trecho) != std::string::npos;
}

std::string JuntarLinhas(const Lista& linhas) {
    std::string r;
    for (const auto& l : linhas) r += l + "\n";
    return r;
}

TEST(Simulacao, NadaFicaNoBancoEOQueMudariaEhRelatado) {
    AmbienteDaAnalise a;
    CriarEmpresaDeDemonstracao(a);
    a.UsarDicionarioDeDemonstracao();
    const Lista antes = FotoDoBanco(a);
    a.extras.simular = true;
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(FotoDoBanco(a), antes);
    EXPECT_FALSE(a.modulo.Banco.EmTransacao());

    // What a run would register, without registering it.
    EXPECT_TRUE(r.simulada);
    EXPECT_EQ(r.Complemento, "Dicionário de dados revisão 12, executado com sucesso");
    EXPECT_EQ(a.interface.progresso.back(), "Simulação concluída");
    EXPECT_EQ(a.interface.eventos, (Lista{"abrir:Analisando banco de dados", "finalizar:1"}));
    EXPECT_GT(r.contagem.tabelasCriadas, 10);
    EXPECT_EQ(r.contagem.tabelasAlteradas, 3);

    // The script: the statements in order, each batch ended by GO, the single-user
    // switch commented out as SQL Server refuses it inside a transaction.
    EXPECT_EQ(r.script.rfind("-- Simulação de \"Analisar\" no banco de dados EMPRESA", 0), 0u);
    EXPECT_TRUE(
        ContemTrecho(r.script,
                     "-- Não enviado na simulação: o SQL Server não aceita ALTER DATABASE "
                     "dentro de uma transação:\n-- ALTER DATABASE [EMPRESA] SET SINGLE_USER\n"));
    EXPECT_TRUE(ContemTrecho(
        r.script, "\nALTER TABLE [PEMPRESA] ALTER COLUMN [RAZAO_SOC] NVARCHAR(60)\nGO\n"));
    EXPECT_TRUE(ContemTrecho(r.script, "\nCREATE TABLE [RegMov]([idRegMov] INT IDENTITY(1,1),"));
    EXPECT_FALSE(ContemTrecho(r.script, "RegMov (Hora, Operador, Tipo, Complemento)"));
    EXPECT_FALSE(ContemTrecho(r.script, "StatusBD SET"));
    EXPECT_EQ(r.retidos, (Lista{"ALTER DATABASE [EMPRESA] SET SINGLE_USER -- o SQL Server não "
                                "aceita ALTER DATABASE dentro de uma transação"}));

    // The report, grouped by table.
    const std::string relatorio = JuntarLinhas(r.relatorio);
    EXPECT_TRUE(ContemTrecho(relatorio,
                             "A execução registraria: Dicionário de dados revisão 12, "
                             "executado com sucesso\n"));
    EXPECT_TRUE(
        ContemTrecho(relatorio, "\nTabela PEMPRESA\n  Acrescentar colunas: INSCEST NVARCHAR(20)"));
    EXPECT_TRUE(ContemTrecho(relatorio, "  Coluna RAZAO_SOC: VARCHAR(60) -> NVARCHAR(60)\n"));
    EXPECT_TRUE(
        ContemTrecho(relatorio,
                     "  Coluna RevisaoDoBD: DECIMAL(9,0) -> INT (ATENÇÃO: pode falhar ou perder "
                     "dados: nenhuma linha deixa de converter agora)\n"));
    EXPECT_TRUE(ContemTrecho(relatorio, "\nTabela FERIADOS: criar, com "));
    EXPECT_TRUE(ContemTrecho(relatorio, "  Dados iniciais: 8 linha(s)\n"));

    // A run afterwards does what the simulation said.
    a.extras.simular = false;
    const ResultadoDaAnalise real = a.Analisar();
    EXPECT_EQ(real.Complemento, r.Complemento);
    EXPECT_EQ(real.contagem.tabelasCriadas, r.contagem.tabelasCriadas);
    EXPECT_EQ(real.contagem.tabelasAlteradas, r.contagem.tabelasAlteradas);
    EXPECT_EQ(real.contagem.objetosRecriados, r.contagem.objetosRecriados);
}

// A column whose rows do not all convert to the new type: counted before the change,
// which is not sent (it would end the simulation's transaction on SQL Server) and fails
// as the run's statement would.
TEST(Simulacao, ColunaQueNaoConverteEhContadaEFalhaComoNaExecucao) {
    AmbienteDaAnalise a;
    a.Executar("CREATE TABLE T (Codigo NVARCHAR(10) NULL, Nome NVARCHAR(20) NULL)");
    a.Executar("INSERT INTO T VALUES ('12', 'a'), ('x1', NULL), ('7', NULL)");
    a.EscreverDicionario({"Tabela", "T,Teste,N,Z", "Campos", "Codigo,N,5,0,,Código,,,,,,N,,,Z,",
                          "Nome,C,20,,,Nome,,,,,,S,,,Z,", "Indices"});
    a.extras.simular = true;
    const Lista antes = FotoDoBanco(a);
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(FotoDoBanco(a), antes);
    ASSERT_EQ(r.erros.size(), 1u);
    EXPECT_EQ(r.erros[0].tabela, "T");
    EXPECT_EQ(r.erros[0].descricao,
              "A alteração da coluna falharia: 1 linha(s) de T.Codigo não convertem de "
              "NVARCHAR(10) para INT (na simulação o comando não foi enviado)");
    EXPECT_EQ(r.Complemento, "Dicionário de dados revisão 7, executado até o fim com 1 erro(s)");
    EXPECT_TRUE(ContemTrecho(r.script,
                             "-- Falharia (não enviado na simulação): 1 linha(s) de T.Codigo "
                             "não convertem de NVARCHAR(10) para INT\n-- ALTER TABLE [T] "
                             "ALTER COLUMN [Codigo] INT\n"));
    const std::string relatorio = JuntarLinhas(r.relatorio);
    EXPECT_TRUE(ContemTrecho(relatorio,
                             "  Coluna Codigo: NVARCHAR(10) -> INT (não aplicado) (ATENÇÃO: "
                             "pode falhar ou perder dados: 1 linha(s) não convertem)\n"));

    // The run itself fails there too, on the server's conversion error (and then on
    // its registration, which a simulation does not try: this database has no RegMov).
    a.extras.simular = false;
    const ResultadoDaAnalise real = a.Analisar();
    ASSERT_EQ(real.erros.size(), 2u);
    EXPECT_EQ(real.erros[0].tabela, "T");
    EXPECT_TRUE(ContemTrecho(real.erros[0].descricao, "Conversion failed when converting"));
    EXPECT_EQ(real.erros[1].tabela, "REGMOV");
}

// NOT NULL asked of a column that holds NULLs: counted, sent, refused by the server
// (only that statement ends), as in a run.
TEST(Simulacao, NaoNuloComLinhasNulasEhContado) {
    AmbienteDaAnalise a;
    a.Executar("CREATE TABLE T (Nome NVARCHAR(20) NULL)");
    a.Executar("INSERT INTO T VALUES ('a'), (NULL), (NULL)");
    a.EscreverDicionario(
        {"Tabela", "T,Teste,N,Z", "Campos", "Nome,C,20,,,Nome,,,,,,S,,,Z,", "Indices"});
    a.opcoes.VerificarIntegridade = true;  // the table is processed although it matches
    a.extras.simular = true;
    const ResultadoDaAnalise r = a.Analisar();
    ASSERT_EQ(r.erros.size(), 1u);
    EXPECT_EQ(r.erros[0].funcao, "Criar não nulo");
    EXPECT_TRUE(
        ContemTrecho(JuntarLinhas(r.relatorio),
                     "  Coluna Nome: (ATENÇÃO: 2 linha(s) com NULL não aceitam NOT NULL)\n"));
    EXPECT_TRUE(ContemTrecho(r.script, "-- Falhou na simulação: "));
}

// Statements of the company's own script that SQL Server refuses inside a transaction,
// or that would end it, are not sent and stay in the script as comments; the run goes
// on without an error for them.
TEST(Simulacao, ComandosRecusadosOuQueEncerrariamATransacaoNaoSaoEnviados) {
    AmbienteDaAnalise a;
    a.UsarDicionarioDeDemonstracao();
    a.Analisar();  // the tables in place, the company parameters among them
    a.ExecutarAqui("ALTER DATABASE [EMPRESA] SET MULTI_USER");
    a.ExecutarAqui(
        "update PARFN set Script = 'ALTER DATABASE [EMPRESA] SET RECOVERY SIMPLE\r\nGO\r\n"
        "BEGIN TRAN\r\nUPDATE PEMPRESA SET FANTASIA = ''x''\r\nROLLBACK\r\nGO\r\n"
        "BEGIN TRAN\r\nUPDATE PEMPRESA SET FANTASIA = ''y''\r\nCOMMIT\r\nGO\r\n'");
    const Lista antes = FotoDoBanco(a);
    a.extras.simular = true;
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(FotoDoBanco(a), antes);
    EXPECT_TRUE(r.erros.empty()) << r.erros.front().descricao;
    EXPECT_TRUE(ContemTrecho(r.script,
                             "-- Não enviado na simulação: o SQL Server não aceita ALTER "
                             "DATABASE dentro de uma transação:\n-- ALTER DATABASE [EMPRESA] "
                             "SET RECOVERY SIMPLE\n"));
    EXPECT_TRUE(ContemTrecho(r.script,
                             "-- Não enviado na simulação: encerraria a transação da "
                             "simulação:\n-- BEGIN TRAN\n"));
    // A transaction of its own inside the simulation's is sent: it ends nothing.
    EXPECT_TRUE(
        ContemTrecho(r.script, "\nBEGIN TRAN\nUPDATE PEMPRESA SET FANTASIA = 'y'\nCOMMIT\nGO\n"));
}

// A batch that rolls the transaction back on the server (a conversion error) leaves the
// simulation without its transaction: it stops and says why; nothing stays.
TEST(Simulacao, TransacaoDesfeitaPeloServidorParaASimulacao) {
    AmbienteDaAnalise a;
    a.UsarDicionarioDeDemonstracao();
    a.Analisar();
    a.ExecutarAqui("ALTER DATABASE [EMPRESA] SET MULTI_USER");
    a.ExecutarAqui("update PARFN set Script = 'UPDATE PARFN SET DIASPRAZO = ''x'''");
    const Lista antes = FotoDoBanco(a);
    a.extras.simular = true;
    try {
        a.Analisar();
        FAIL() << "a simulação devia parar";
    } catch (const Cancelamento&) {
        FAIL() << "a parada não é silenciosa";
    } catch (const Erro& e) {
        EXPECT_EQ(std::string(e.what()).rfind("A simulação parou: o servidor desfez a sua "
                                              "transação quando este comando falhou (",
                                              0),
                  0u)
            << e.what();
    }
    EXPECT_EQ(a.interface.eventos.back(), "finalizar:0");
    EXPECT_FALSE(a.modulo.Banco.EmTransacao());
    EXPECT_EQ(FotoDoBanco(a), antes);
}

// The record versioning runs in a transaction of its own: inside a simulation it is a
// savepoint, and its failure (a document table without a record key) undoes only its
// own work, which the report and the script then leave out.
TEST(Simulacao, VersionamentoQueFalhaNaoDesfazASimulacao) {
    AmbienteDaAnalise a;
    a.EscreverDicionario({"Tabela", "REF,Produtos,N,Z", "Campos", "id,S,,,,Id,,,,,,N,,,Z,",
                          "Nome,C,20,,,Nome,,,,,,N,,,Z,", "Indices", "Tabela", "Filial,Filiais,N,Z",
                          "Campos", "Nome,C,20,,,Nome,,,,,,N,,,Z,", "Indices"});
    const Lista antes = FotoDoBanco(a);
    a.extras.simular = true;
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(FotoDoBanco(a), antes);
    EXPECT_TRUE(std::any_of(r.erros.begin(), r.erros.end(),
                            [](const LinhaDeErro& e) { return e.tabela == "RegTab"; }));
    const std::string relatorio = JuntarLinhas(r.relatorio);
    EXPECT_TRUE(ContemTrecho(relatorio, "\nTabela REF: criar, com 2 coluna(s)\n")) << relatorio;
    EXPECT_FALSE(ContemTrecho(relatorio, "Trigr_REF_RegTab_Ins")) << relatorio;
    EXPECT_FALSE(ContemTrecho(r.script, "CREATE TRIGGER [Trigr_REF_RegTab_Ins]"));
    EXPECT_TRUE(ContemTrecho(r.script,
                             "-- Comandos desfeitos pela própria análise depois de uma falha "
                             "(volta ao ponto salvo zv_ponto_1) foram omitidos aqui.\n"));
}

TEST(CopiaAntes, FeitaEVerificadaAntesDaPrimeiraMudanca) {
    AmbienteDaAnalise a;
    a.UsarDicionarioDeDemonstracao();
    a.extras.copiaAntes = "antes.bak";
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Sucesso);
    EXPECT_TRUE(std::filesystem::exists(a.Pasta() / "Backup" / "antes.bak"));
}

TEST(CopiaAntes, FalhaImpedeOInicio) {
    AmbienteDaAnalise a;
    a.UsarDicionarioDeDemonstracao();
    a.extras.copiaAntes = "/nao/existe/antes.bak";
    const Lista antes = FotoDoBanco(a);
    try {
        a.Analisar();
        FAIL();
    } catch (const admin::ErroDaCopiaAntes& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Não foi possível fazer a cópia de segurança de "
                                              "EMPRESA em '/nao/existe/antes.bak': ",
                                              0),
                  0u);
        EXPECT_TRUE(ContemTrecho(e.what(), ". A análise não foi iniciada."));
    }
    EXPECT_EQ(FotoDoBanco(a), antes);
    EXPECT_TRUE(a.interface.eventos.empty());
}

}  // namespace
}  // namespace zolvek::analysis::teste
