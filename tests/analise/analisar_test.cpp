#include <gtest/gtest.h>

#include <algorithm>

#include "ambiente_da_analise.hpp"
#include "analysis/grupo_para_acesso.hpp"
#include "dicionario_de_teste.hpp"

// Whole runs of the analysis on stand-in databases.
namespace zolvek::analysis::teste {
namespace {

using Lista = std::vector<std::string>;

bool Contem(const Lista &lista, const std::string &item) {
  return std::find(lista.begin(), lista.end(), item) != lista.end();
}

bool AlgumComeca(const Lista &lista, const std::string &inicio) {
  return std::any_of(lista.begin(), lista.end(), [&](const std::string &s) {
    return s.rfind(inicio, 0) == 0;
  });
}

std::string Descrever(const std::vector<LinhaDeErro> &erros) {
  std::string texto;
  for (const auto &e : erros)
    texto += e.tabela + "|" + e.campo + "|" + e.funcao + "|" + e.descricao +
             "|" + e.comando + "\n";
  return texto;
}

// The demo company database as a new installation has it: the company row in
// place.
void PrepararEmpresa(AmbienteDaAnalise &a) {
  a.Executar("CREATE TABLE PEMPRESA (idEmpresa INT IDENTITY(1,1), RAZAO_SOC "
             "NVARCHAR(60) NOT "
             "NULL)");
  a.Executar("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('Molvena')");
}

TEST(Analisar, BancoVazioLevadoAoDicionarioEDepoisSoConferido) {
  AmbienteDaAnalise a;
  a.UsarDicionarioDeDemonstracao();
  // A new database: every table created, the parameter tables given their row
  // of defaults (the company's name among them), and the run is a success.
  const ResultadoDaAnalise primeira = a.Analisar();
  EXPECT_EQ(primeira.Complemento,
            "Dicionário de dados revisão 12, executado com sucesso")
      << Descrever(primeira.erros);
  EXPECT_EQ(primeira.classificacao, ClassificacaoDaAnalise::Sucesso);
  const Lista criacao = AmbienteDaAnalise::Comandos();
  EXPECT_EQ(criacao.front(), "ALTER DATABASE [EMPRESA] SET SINGLE_USER");
  EXPECT_TRUE(Contem(
      criacao, "CREATE TABLE [RegMov]([idRegMov] INT IDENTITY(1,1),[Hora] "
               "DATETIME NOT NULL,[Operador] NVARCHAR(128) NOT NULL,[Tipo] "
               "NVARCHAR(20) NOT NULL,[Complemento] NVARCHAR(255) NULL)"));
  EXPECT_TRUE(Contem(criacao, "if not exists (select * from [PEMPRESA]) "
                              "INSERT INTO [PEMPRESA] DEFAULT VALUES"));
  EXPECT_EQ(a.Coluna("select count(*) from FERIADOS"), Lista{"8"});
  EXPECT_EQ(a.Coluna("select count(*) from IntMan"), Lista{"4"});
  EXPECT_EQ(a.Coluna("select count(*) from SeqMan"), Lista{"12"});
  EXPECT_EQ(a.Coluna("select count(*) from PARFROTA"), Lista{"1"});
  EXPECT_EQ(a.Coluna("select '[' + RAZAO_SOC + ']' from PEMPRESA"),
            Lista{"[]"});
  EXPECT_EQ(a.interface.eventos,
            (Lista{"abrir:Analisando banco de dados", "finalizar:1"}));
  const int n = static_cast<int>(a.dicionario.Tabelas().size());
  EXPECT_EQ(a.interface.maximo, n * 3 + 4);
  EXPECT_EQ(a.interface.posicao, a.interface.maximo);
  EXPECT_EQ(a.interface.progresso.back(), "Análise concluída");
  EXPECT_EQ(a.Coluna("select RevisaoDoBD from PEMPRESA"), Lista{"12"});
  EXPECT_EQ(a.Coluna("select Complemento from RegMov order by idRegMov"),
            (Lista{primeira.Complemento}));
  EXPECT_EQ(a.Coluna("select distinct Tipo from RegMov"), Lista{"Analisar"});
  EXPECT_EQ(a.Coluna("select Status from StatusBD"),
            Lista{primeira.Complemento});
  EXPECT_EQ(AmbienteDaAnalise::Comandos().back(),
            "insert into RegMov (Hora, Operador, Tipo, Complemento) values "
            "(getdate(), "
            "suser_sname(), 'Analisar', 'Dicionário de dados revisão 12, "
            "executado com "
            "sucesso')");

  // Second run: nothing to create or alter; relationships rebuilt.
  a.interface = InterfaceGravada();
  const ResultadoDaAnalise segunda = a.Analisar();
  EXPECT_EQ(segunda.classificacao, ClassificacaoDaAnalise::Sucesso)
      << Descrever(segunda.erros);
  const Lista comandos = AmbienteDaAnalise::Comandos();
  EXPECT_FALSE(AlgumComeca(comandos, "CREATE TABLE"));
  EXPECT_FALSE(
      std::any_of(comandos.begin(), comandos.end(), [](const std::string &s) {
        return s.find("ALTER COLUMN") != std::string::npos ||
               s.find("] ADD [") != std::string::npos;
      }));
  EXPECT_FALSE(AlgumComeca(comandos, "CREATE INDEX"));
  EXPECT_TRUE(Contem(
      comandos, "GRANT SELECT,INSERT,UPDATE,DELETE ON [CLIENTE] TO [PUBLIC]"));
  EXPECT_TRUE(Contem(
      comandos, "ALTER TABLE [CLIENTE] WITH NOCHECK ADD CONSTRAINT "
                "[Rlcto_CLIENTE_CLIENTE] "
                "FOREIGN KEY ([CLIENTE]) REFERENCES [CADASTRO]([NUMCAD])"));
  EXPECT_TRUE(
      Contem(a.interface.progresso,
             "Verificando existência da tabela \"CLIENTE\" - Clientes..."));
  EXPECT_FALSE(
      Contem(a.interface.progresso,
             "Verificando estrutura da tabela \"CLIENTE\" - Clientes..."));
  EXPECT_EQ(a.Coluna("select count(*) from RegMov"), Lista{"2"});
  EXPECT_EQ(a.Coluna("select count(*) from FERIADOS"), Lista{"8"});
}

TEST(Analisar, PerguntasNaoESimParaTodos) {
  AmbienteDaAnalise a;
  a.EscreverDicionario(DicionarioPaiEFilho());
  a.Executar("CREATE TABLE [PAI]([Empresa] INT NOT NULL,[Serie] NVARCHAR(2) "
             "NOT NULL,[Numero] "
             "INT NOT NULL)");
  a.opcoes.ConfirmarAlteracao = true;
  a.interface.respostas = {Resposta::SimParaTodos, Resposta::Nao};
  const ResultadoDaAnalise r = a.Analisar();
  EXPECT_EQ(a.interface.perguntas,
            (Lista{"Será necessário atualizar a estrutura da tabela \"PAI\" - "
                   "Tabela pai. "
                   "Atualizar agora ?",
                   "Será necessário criar a tabela \"FILHO\" - Tabela filho. "
                   "Criar agora ?"}));
  EXPECT_EQ(a.Coluna("select count(*) from sysobjects where name = 'FILHO'"),
            Lista{"0"});
  EXPECT_EQ(a.Coluna("select character_maximum_length from "
                     "information_schema.columns where "
                     "table_name = 'PAI' and column_name = 'Serie'"),
            Lista{"3"});
  // The missing table makes the grant (and the relationship) fail: rows of the
  // run.
  EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::ComErros);
  // The RegMov insert fails too (no such table here): its row comes after the
  // count.
  ASSERT_EQ(r.erros.size(), 4u);
  EXPECT_EQ(r.erros.back().tabela, "REGMOV");
  EXPECT_EQ(r.Complemento,
            "Dicionário de dados revisão 7, executado até o fim com 3 erro(s)");
}

TEST(Analisar, CancelarNaPerguntaInterrompeSemRegistrar) {
  AmbienteDaAnalise a;
  a.UsarDicionarioDeDemonstracao();
  a.opcoes.ConfirmarAlteracao = true;
  a.interface.respostas = {Resposta::Cancelar};
  EXPECT_THROW(a.Analisar(), Cancelamento);
  EXPECT_EQ(a.interface.eventos,
            (Lista{"abrir:Analisando banco de dados", "finalizar:0"}));
  EXPECT_EQ(a.Coluna("select count(*) from sysobjects where name in "
                     "('RegMov','StatusBD')"),
            Lista{"0"});
}

TEST(Analisar, CancelamentoNoLacoDasTabelas) {
  AmbienteDaAnalise a;
  PrepararEmpresa(a);
  a.UsarDicionarioDeDemonstracao();
  a.Analisar();
  a.interface = InterfaceGravada();
  a.interface.cancelarEm = "Verificando existência da tabela \"CADASTRO\"";
  const ResultadoDaAnalise r = a.Analisar();
  EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Cancelada);
  EXPECT_EQ(r.Complemento,
            "Dicionário de dados revisão 12, cancelado, 0 erro(s)");
  EXPECT_EQ(a.interface.progresso.back(), "Análise cancelada");
  // The loops after the cancelled one show their first text and leave at its
  // check.
  EXPECT_FALSE(
      Contem(a.interface.progresso,
             "Verificando existência da tabela \"CLIENTE\" - Clientes..."));
  EXPECT_FALSE(
      Contem(a.interface.progresso, "Criando relacionamentos da tabela "
                                    "\"PARFN\" - Parâmetros financeiros..."));
  const Lista comandos = AmbienteDaAnalise::Comandos();
  EXPECT_FALSE(
      std::any_of(comandos.begin(), comandos.end(), [](const std::string &s) {
        return s.find("FOREIGN KEY") != std::string::npos;
      }));
  EXPECT_EQ(
      a.Coluna("select top 1 Complemento from RegMov order by idRegMov desc"),
      Lista{r.Complemento});
  EXPECT_EQ(a.Coluna("select RevisaoDoBD from PEMPRESA"), Lista{"<NULL>"});
}

TEST(Analisar, AcessoUnicoRecusadoNadaRegistra) {
  AmbienteDaAnalise a;
  PrepararEmpresa(a);
  a.UsarDicionarioDeDemonstracao();
  a.Analisar();
  db::Conexao outra;
  outra.DefinirStringDeConexao(a.Cadeia(a.Banco()));
  outra.Abrir();
  a.interface = InterfaceGravada();
  EXPECT_THROW(a.Analisar(), Cancelamento);
  EXPECT_TRUE(a.interface.usuariosAtivosPedidos.empty());
  EXPECT_TRUE(a.interface.eventos.empty());
  EXPECT_EQ(a.Coluna("select count(*) from RegMov"), Lista{"1"});
  EXPECT_EQ(a.Coluna("select RevisaoDoBD from PEMPRESA"), Lista{"12"});
}

// Another user connects once the run is registered and its window finished:
// the last switch of "Não bloquear" is refused, and that is told once, with no
// question and no users window over the finished run.
class InterfaceComOutroUsuarioNoFim : public InterfaceGravada {
public:
  std::string cadeia;
  db::Conexao outra;
  void FinalizarEvolucao(bool concluido) override {
    InterfaceGravada::FinalizarEvolucao(concluido);
    outra.DefinirStringDeConexao(cadeia);
    outra.Abrir();
  }
};

TEST(Analisar, AcessoUnicoRecusadoNoFimDitoUmaVez) {
  AmbienteDaAnalise a;
  PrepararEmpresa(a);
  a.UsarDicionarioDeDemonstracao();
  a.opcoes.NaoBloquear = true;
  InterfaceComOutroUsuarioNoFim interface;
  interface.cadeia = a.Cadeia(a.Banco());
  const ResultadoDaAnalise r = a.Analisar(interface);
  EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Sucesso)
      << Descrever(r.erros);
  ASSERT_EQ(interface.perguntas.size(), 1u);
  EXPECT_EQ(interface.perguntas[0].rfind(
                "Ocorreu o seguinte erro ao tentar acesso único ao banco de "
                "dados ao fim da análise: ",
                0),
            0u)
      << interface.perguntas[0];
  EXPECT_NE(interface.perguntas[0].find(
                ". A execução já está registrada e o banco de dados continua "
                "liberado para os outros usuários"),
            std::string::npos);
  EXPECT_TRUE(interface.usuariosAtivosPedidos.empty());
  EXPECT_EQ(interface.eventos,
            (Lista{"abrir:Analisando banco de dados", "finalizar:1"}));
  EXPECT_EQ(a.Coluna("select user_access_desc from sys.databases where name "
                     "= 'EMPRESA'"),
            Lista{"MULTI_USER"});
  EXPECT_EQ(a.Coluna("select Complemento from RegMov"), Lista{r.Complemento});
}

TEST(Analisar, ForaDoPadraoMinimoNaoGravaRevisao) {
  AmbienteDaAnalise a;
  PrepararEmpresa(a);
  a.UsarDicionarioDeDemonstracao();
  a.opcoes.CriarProcedimentos = false;
  const ResultadoDaAnalise r = a.Analisar();
  EXPECT_EQ(r.Complemento, "Dicionário de dados revisão 12, executado fora do "
                           "padrão mínimo necessário")
      << Descrever(r.erros);
  EXPECT_EQ(a.Coluna("select RevisaoDoBD from PEMPRESA"), Lista{"<NULL>"});
  EXPECT_EQ(a.Coluna("select Status from StatusBD"), Lista{r.Complemento});
}

TEST(Analisar, ColunaFloatDaUmaLinhaDeErroETerminaComErros) {
  AmbienteDaAnalise a;
  a.EscreverDicionario(DicionarioPaiEFilho());
  a.Executar(
      "CREATE TABLE [FILHO]([id] INT IDENTITY(1,1),[Valor] FLOAT NOT NULL)");
  const ResultadoDaAnalise r = a.Analisar();
  ASSERT_FALSE(r.erros.empty());
  EXPECT_EQ(r.erros[0].tabela, "FILHO");
  EXPECT_EQ(r.erros[0].descricao, "Campo 'Valor' deveria ser decimal 12,2. "
                                  "Verificar se é float e convertê-lo para "
                                  "decimal na precisão desejada");
  EXPECT_EQ(
      a.Coluna(
          "select data_type from information_schema.columns where table_name = "
          "'FILHO' and column_name = 'Valor'"),
      Lista{"float"});
  EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::ComErros);
}

TEST(Analisar, BancoSemTabelaDeOpcoes) {
  AmbienteDaAnalise a("Empresa O'Neil-2");
  PrepararEmpresa(a);
  EXPECT_EQ(LerGrupoParaAcesso(a.modulo), "PUBLIC");
  GravarGrupoParaAcesso(a.modulo, "VENDAS"); // skipped: no table yet
  a.UsarDicionarioDeDemonstracao();
  a.opcoes.GrupoParaAcesso = LerGrupoParaAcesso(a.modulo);
  const ResultadoDaAnalise r = a.Analisar();
  EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Sucesso)
      << Descrever(r.erros);
  GravarGrupoParaAcesso(a.modulo, "VENDAS");
  EXPECT_EQ(LerGrupoParaAcesso(a.modulo), "VENDAS");
}

} // namespace
} // namespace zolvek::analysis::teste
