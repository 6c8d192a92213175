#include <gtest/gtest.h>

#include <fstream>

#include "cli/empresa_demo.hpp"
#include "cli/esquema_do_relatorio.hpp"

// --relatorio of every command that takes it, each report checked against the schema
// of the README; --simular, --script and --copia-antes of zolvek-cli analisar.
namespace {

using zolvek::teste::Aspas;
using zolvek::teste::Execucao;
using zolvek::teste::LerRelatorio;

const std::string kAnaliseComSucesso = "Dicionário de dados revisão 12, executado com sucesso";

class RelatorioDaLinhaDeComando : public zolvek::teste::EmpresaDemoPelaLinhaDeComando {
  protected:
    Execucao Rodar(const std::string& comando, const std::string& argumentos) {
        return RodarComando(comando, argumentos);
    }
    std::string Arquivo(const std::string& nome) const { return (banco.Pasta() / nome).string(); }
};

TEST_F(RelatorioDaLinhaDeComando, AnalisarLiberarEValidar) {
    Execucao e = Rodar("analisar", "--relatorio " + Aspas(Arquivo("a.json")));
    ASSERT_EQ(e.status, 0) << e.saida << e.erros;
    auto r = LerRelatorio(Arquivo("a.json"));
    EXPECT_EQ(r["comando"], "analisar");
    EXPECT_EQ(r["saida"], 0);
    ASSERT_EQ(r["execucoes"].size(), 1u);
    auto x = r["execucoes"][0];
    EXPECT_EQ(x["banco"], "EMPRESA_DEMO");
    EXPECT_EQ(x["servidor"], banco.Pasta().string());
    EXPECT_EQ(x["desfecho"], kAnaliseComSucesso);
    EXPECT_EQ(x["classe"], "sucesso");
    EXPECT_EQ(x["operador"], "sa");
    EXPECT_EQ(x["revisaoDoDicionario"], 12);
    EXPECT_EQ(x["opcoes"]["cbxGerarIndices"], "Sim");
    EXPECT_EQ(x["opcoes"]["edtGrupoParaAcesso"], "PUBLIC");
    EXPECT_GT(x["contagens"]["tabelasCriadas"].get<int>(), 20);
    EXPECT_EQ(x["contagens"]["tabelasAlteradas"], 1);
    EXPECT_TRUE(x["contagens"]["itens"].is_null());
    EXPECT_TRUE(x["simulacao"].is_null());
    EXPECT_TRUE(x["copiaDeSeguranca"].is_null());

    e = Rodar("liberar", "--sim --relatorio " + Aspas(Arquivo("l.json")));
    EXPECT_EQ(e.status, 0) << e.saida;
    x = LerRelatorio(Arquivo("l.json"))["execucoes"][0];
    EXPECT_EQ(x["desfecho"], "Banco de dados já está liberado");
    EXPECT_EQ(x["classe"], "sucesso");
    EXPECT_EQ(x["opcoes"]["sim"], "Sim");

    banco.Executar("UPDATE PEMPRESA SET RevisaoDoBD = NULL");
    e = Rodar("validar", "--sim --relatorio " + Aspas(Arquivo("v.json")));
    EXPECT_EQ(e.status, 0) << e.saida;
    x = LerRelatorio(Arquivo("v.json"))["execucoes"][0];
    EXPECT_EQ(x["desfecho"], "Banco de dados validado com sucesso");
    EXPECT_EQ(x["revisaoDoDicionario"], 12);
}

// The check against the schema is no formality: a report that strays from it fails.
TEST(EsquemaDoRelatorio, RelatorioForaDoEsquemaEhRecusado) {
    const auto valido = nlohmann::json::parse(R"({"formato": 1, "comando": "liberar", "saida": 0,
        "execucoes": []})");
    EXPECT_EQ(zolvek::teste::ViolacoesDoEsquema(valido), "");
    auto errado = valido;
    errado["comando"] = "sql";
    EXPECT_NE(zolvek::teste::ViolacoesDoEsquema(errado), "");
    errado = valido;
    errado["execucoes"].push_back({{"banco", "X"}});
    EXPECT_NE(zolvek::teste::ViolacoesDoEsquema(errado), "");
}

TEST_F(RelatorioDaLinhaDeComando, FalhaAoConectarTambemTemRelatorio) {
    const Execucao e = zolvek::teste::RodarCli(
        banco.Pasta(), "liberar --sim --conexao " + Aspas(banco.Cadeia("NAO_EXISTE")) +
                           " --relatorio " + Aspas(Arquivo("f.json")));
    EXPECT_EQ(e.status, 1);
    const auto r = LerRelatorio(Arquivo("f.json"));
    EXPECT_EQ(r["saida"], 1);
    const auto x = r["execucoes"][0];
    EXPECT_EQ(x["classe"], "falhou");
    EXPECT_EQ(x["banco"], "NAO_EXISTE");
    EXPECT_EQ(x["desfecho"].get<std::string>() + "\n", e.saida);
    EXPECT_TRUE(x["operador"].is_null());
}

// A report or script that cannot be written stops the run before it connects.
TEST_F(RelatorioDaLinhaDeComando, ArquivoQueNaoPodeSerGravadoImpedeOInicio) {
    Execucao e = Rodar("analisar", "--relatorio /nao/existe/r.json");
    EXPECT_EQ(e.status, 2);
    EXPECT_NE(e.erros.find("Não é possível gravar o arquivo '/nao/existe/r.json'"),
              std::string::npos)
        << e.erros;
    e = Rodar("analisar", "--simular --script /nao/existe/s.sql");
    EXPECT_EQ(e.status, 2);
    EXPECT_EQ(Rodar("analisar", "--script " + Aspas(Arquivo("s.sql"))).status, 2);
    EXPECT_EQ(Rodar("importar", "--origem x --relatorio /nao/existe/r.json").status, 2);
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects where name = 'StatusBD'"),
              std::vector<std::string>{"0"});
}

TEST_F(RelatorioDaLinhaDeComando, SimulacaoComScriptNaoMudaNada) {
    const Execucao e = Rodar("analisar", "--simular --script " + Aspas(Arquivo("s.sql")) +
                                             " --relatorio " + Aspas(Arquivo("s.json")));
    EXPECT_EQ(e.status, 0) << e.saida << e.erros;
    EXPECT_EQ(e.saida.rfind("Simulação da análise do banco de dados EMPRESA_DEMO (dicionário de "
                            "dados revisão 12)\nTabelas a criar: ",
                            0),
              0u)
        << e.saida;
    EXPECT_NE(e.saida.find("\nA execução registraria: " + kAnaliseComSucesso + "\n"),
              std::string::npos);
    EXPECT_NE(e.saida.find("\nScript: " + Arquivo("s.sql") + "\n"), std::string::npos);
    const auto x = LerRelatorio(Arquivo("s.json"))["execucoes"][0];
    EXPECT_EQ(x["classe"], "sucesso");
    EXPECT_EQ(x["simulacao"]["script"], Arquivo("s.sql"));
    EXPECT_EQ(x["simulacao"]["naoEnviados"][0],
              "ALTER DATABASE [EMPRESA_DEMO] SET SINGLE_USER -- o SQL Server não aceita ALTER "
              "DATABASE dentro de uma transação");
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects"), std::vector<std::string>{"1"});
    EXPECT_EQ(banco.Coluna("select RAZAO_SOC from PEMPRESA"), std::vector<std::string>{"Molvena"});

    // The script does what the run does: applied to the database, the run that follows
    // finds the structure in place (only the parameter rows, the programmed objects and
    // the foreign keys are made again, as every run makes them).
    const std::string script = zolvek::teste::LerArquivo(Arquivo("s.sql"));
    EXPECT_EQ(script.rfind("-- Simulação de \"Analisar\" no banco de dados EMPRESA_DEMO", 0), 0u);
    const Execucao sql = zolvek::teste::RodarCli(
        banco.Pasta(), "sql --conexao " + Aspas(banco.Cadeia()) + " " + Aspas(Arquivo("s.sql")));
    ASSERT_EQ(sql.status, 0) << sql.saida;
    const Execucao depois = Rodar("analisar", "--relatorio " + Aspas(Arquivo("d.json")));
    EXPECT_EQ(depois.status, 0) << depois.saida;
    const auto d = LerRelatorio(Arquivo("d.json"))["execucoes"][0];
    EXPECT_EQ(d["contagens"]["tabelasCriadas"], 0);
    EXPECT_EQ(d["contagens"]["tabelasAlteradas"], 0);
}

TEST_F(RelatorioDaLinhaDeComando, CopiaAntesQueFalhaNaoIniciaAAnalise) {
    const Execucao e = Rodar(
        "analisar", "--copia-antes /nao/existe/antes.bak --relatorio " + Aspas(Arquivo("c.json")));
    EXPECT_EQ(e.status, 1) << e.saida;
    EXPECT_EQ(e.saida.rfind("Não foi possível fazer a cópia de segurança de EMPRESA_DEMO em "
                            "'/nao/existe/antes.bak': ",
                            0),
              0u)
        << e.saida;
    const auto x = LerRelatorio(Arquivo("c.json"))["execucoes"][0];
    EXPECT_EQ(x["classe"], "falhou");
    EXPECT_EQ(x["copiaDeSeguranca"], "/nao/existe/antes.bak");
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects"), std::vector<std::string>{"1"});

    const Execucao boa = Rodar("analisar", "--copia-antes antes.bak");
    EXPECT_EQ(boa.status, 0) << boa.saida;
    EXPECT_TRUE(std::filesystem::exists(banco.Pasta() / "Backup" / "antes.bak"));
}

// analisar --bancos: one line per database and the total, the worst exit status, one
// report entry per database in the list's order.
TEST_F(RelatorioDaLinhaDeComando, VariosBancos) {
    banco.Executar("CREATE DATABASE OUTRA", "master");
    std::ofstream(Arquivo("bancos.txt")) << "# as empresas\n"
                                         << banco.Cadeia() << "\n\nnão é conexão\n"
                                         << banco.Cadeia("OUTRA") << "\n";
    const Execucao e = zolvek::teste::RodarCli(
        banco.Pasta(), "analisar --bancos " + Aspas(Arquivo("bancos.txt")) +
                           " --paralelo 2 --relatorio " + Aspas(Arquivo("b.json")));
    EXPECT_EQ(e.status, 1) << e.saida << e.erros;
    const std::string servidor = " (" + banco.Pasta().string() + "): ";
    EXPECT_EQ(
        e.saida,
        "EMPRESA_DEMO" + servidor + "[sucesso] " + kAnaliseComSucesso + "\n" +
            ": [falhou] Linha 4 da lista: " +
            LerRelatorio(Arquivo("b.json"))["execucoes"][1]["desfecho"].get<std::string>().substr(
                18) +
            "\nOUTRA" + servidor + "[sucesso] " + kAnaliseComSucesso +
            "\nTotal: 3 banco(s): 1 falhou, 2 sucesso\n");
    const auto r = LerRelatorio(Arquivo("b.json"));
    EXPECT_EQ(r["saida"], 1);
    ASSERT_EQ(r["execucoes"].size(), 3u);
    EXPECT_EQ(r["execucoes"][2]["banco"], "OUTRA");
    EXPECT_NE(e.erros.find("Iniciando a linha 5 da lista..."), std::string::npos) << e.erros;
    EXPECT_EQ(zolvek::teste::RodarCli(banco.Pasta(), "analisar --bancos x --conexao y").status, 2);
    EXPECT_EQ(Rodar("analisar", "--paralelo 2").status, 2);
}

}  // namespace
