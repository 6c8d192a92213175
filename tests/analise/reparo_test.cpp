// A run that dies half-way through a table (killed between dropping its keys and
// creating them again) is repaired by the next run.
#include <gtest/gtest.h>

#include <algorithm>

#include "ambiente_da_analise.hpp"

namespace zolvek::analysis::teste {
namespace {

using Lista = std::vector<std::string>;

std::string ResumoDosErros(const std::vector<LinhaDeErro>& erros) {
    std::string texto;
    for (const auto& e : erros) texto += e.tabela + "|" + e.descricao + "|" + e.comando + "\n";
    return texto;
}

// The demo company database analysed once: every table and key in place.
void PrepararAnalisado(AmbienteDaAnalise& a) {
    a.Executar(
        "CREATE TABLE PEMPRESA (idEmpresa INT IDENTITY(1,1), RAZAO_SOC NVARCHAR(60) NOT NULL)");
    a.Executar("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('Molvena')");
    a.UsarDicionarioDeDemonstracao();
    const ResultadoDaAnalise r = a.Analisar();
    ASSERT_EQ(r.classificacao, ClassificacaoDaAnalise::Sucesso) << ResumoDosErros(r.erros);
    a.interface = InterfaceGravada();
}

// The objects of CADASTRO that the analysis drops and creates again, and the foreign key
// of CLIENTE that needs its primary key.
Lista ObjetosDeCadastro(AmbienteDaAnalise& a) {
    return a.Coluna(
        "select name from sysobjects where name in ('Chvpr_CADASTRO', 'Deflt_CADASTRO_ESTADO', "
        "'Check_CADASTRO_NUMCAD', 'Check_CADASTRO_TIPOPESSOA', 'Rlcto_CLIENTE_CLIENTE') "
        "union all select name from sysindexes where name = 'IX_CADASTRO_NOME' order by 1");
}

const Lista kObjetosDeCadastro{"Check_CADASTRO_NUMCAD", "Check_CADASTRO_TIPOPESSOA",
                               "Chvpr_CADASTRO",        "Deflt_CADASTRO_ESTADO",
                               "IX_CADASTRO_NOME",      "Rlcto_CLIENTE_CLIENTE"};

TEST(Reparo, ExecucaoMortaEntreRemoverECriarAsChavesEReparadaPelaSeguinte) {
    AmbienteDaAnalise a;
    PrepararAnalisado(a);
    ASSERT_EQ(ObjetosDeCadastro(a), kObjetosDeCadastro);

    // A column the dictionary has and the database lost: CADASTRO is processed, and the
    // run dies after dropping its defaults, keys, indexes and checks.
    a.Executar("ALTER TABLE CADASTRO DROP COLUMN EMAIL");
    a.interface.morrerEm = "Criando valores padrão da tabela \"CADASTRO\"";
    EXPECT_THROW(a.Analisar(), ProcessoMorto);
    a.modulo.Banco.Fechar();  // the process is gone, and its session with it
    a.modulo.Conectar();
    EXPECT_EQ(a.Coluna("select Status from StatusBD"), Lista{"Em análise..."});
    EXPECT_EQ(a.Coluna("select user_access_desc from sys.databases where name = 'EMPRESA'"),
              Lista{"SINGLE_USER"});
    EXPECT_EQ(ObjetosDeCadastro(a), Lista{});

    // The next run, with the options as the dialog shows them.
    a.interface = InterfaceGravada();
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(r.Complemento, "Dicionário de dados revisão 12, executado com sucesso")
        << ResumoDosErros(r.erros);
    ASSERT_FALSE(a.interface.perguntas.empty());
    EXPECT_EQ(a.interface.perguntas.front().rfind(
                  "A análise anterior deste banco de dados, iniciada em ", 0),
              0u)
        << a.interface.perguntas.front();
    EXPECT_NE(a.interface.perguntas.front().find(
                  " por sa, não registrou o seu fim: pode ter parado com chaves, índices, "
                  "valores padrão ou validações de uma tabela removidos. Todas as tabelas "
                  "serão processadas nesta execução."),
              std::string::npos)
        << a.interface.perguntas.front();
    EXPECT_EQ(ObjetosDeCadastro(a), kObjetosDeCadastro);
    EXPECT_EQ(a.Coluna("select user_access_desc from sys.databases where name = 'EMPRESA'"),
              Lista{"MULTI_USER"});
    // Every table was processed, the register of runs too.
    const auto& progresso = a.interface.progresso;
    EXPECT_NE(std::find(progresso.begin(), progresso.end(),
                        "Criando índices da tabela \"RegMov\" - Registro de manutenções..."),
              progresso.end());

    // Repaired: the run after it processes only what changed, and says nothing.
    a.interface = InterfaceGravada();
    EXPECT_EQ(a.Analisar().classificacao, ClassificacaoDaAnalise::Sucesso);
    EXPECT_TRUE(a.interface.perguntas.empty());
    EXPECT_EQ(
        std::count_if(a.interface.progresso.begin(), a.interface.progresso.end(),
                      [](const std::string& s) { return s.rfind("Criando índices", 0) == 0; }),
        0);
}

// Killed after the keys came back and before the checks: only the record of the
// unfinished run tells the next one that CADASTRO must be processed.
TEST(Reparo, ExecucaoMortaAntesDasValidacoesEReparadaPelaSeguinte) {
    AmbienteDaAnalise a;
    PrepararAnalisado(a);
    a.Executar("ALTER TABLE CADASTRO DROP COLUMN EMAIL");
    a.interface.morrerEm = "Criando validações de campo da tabela \"CADASTRO\"";
    EXPECT_THROW(a.Analisar(), ProcessoMorto);
    a.modulo.Banco.Fechar();
    a.modulo.Conectar();
    EXPECT_EQ(ObjetosDeCadastro(a),
              (Lista{"Chvpr_CADASTRO", "Deflt_CADASTRO_ESTADO", "IX_CADASTRO_NOME"}));

    a.interface = InterfaceGravada();
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Sucesso) << ResumoDosErros(r.erros);
    EXPECT_EQ(ObjetosDeCadastro(a), kObjetosDeCadastro);
}

// A table whose columns match but which lacks an index of the dictionary (dropped by
// hand, or by a run that died before StatusBD existed) is processed like a changed one.
TEST(Reparo, TabelaSemUmIndiceOuSemAChavePrimariaEProcessada) {
    AmbienteDaAnalise a;
    PrepararAnalisado(a);
    a.ExecutarAqui("DROP INDEX CADASTRO.IX_CADASTRO_NOME");
    a.ExecutarAqui("ALTER TABLE CARTACOR DROP CONSTRAINT Chvpr_CARTACOR");
    const ResultadoDaAnalise r = a.Analisar();
    EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Sucesso) << ResumoDosErros(r.erros);
    EXPECT_TRUE(a.interface.perguntas.empty());
    EXPECT_EQ(ObjetosDeCadastro(a), kObjetosDeCadastro);
    EXPECT_EQ(a.Coluna("select name from sysobjects where name = 'Chvpr_CARTACOR'"),
              Lista{"Chvpr_CARTACOR"});
    Lista criados;
    for (const auto& p : a.interface.progresso)
        if (p.rfind("Criando índices da tabela", 0) == 0) criados.push_back(p);
    EXPECT_EQ(criados, (Lista{"Criando índices da tabela \"CADASTRO\" - Cadastro de pessoas...",
                              "Criando índices da tabela \"CARTACOR\" - Cartas de correção dos "
                              "documentos de saída..."}));
}

}  // namespace
}  // namespace zolvek::analysis::teste
