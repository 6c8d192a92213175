// "Analisar" on a generated dictionary of 100, 300, 600 and 1 500 tables of 20 fields each
// (and the demo dictionary's bookkeeping tables) on the stand-in: the first run creates
// everything, the second finds nothing to change; the cost of a table should not grow
// with their number. The 300 tables are also simulated (the whole run in one transaction
// rolled back at the end). Reports the time of each run, the statements it
// sent and the error rows it listed; a run that cannot finish is reported as skipped,
// with the reason, and the others still run.
#include <benchmark/benchmark.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <stdlib.h>
#include <time.h>

#include <chrono>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "analysis/analisar.hpp"
#include "comum/comando.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/escritor.hpp"

namespace {

namespace dic = zolvek::dicionario;
using zolvek::analysis::OpcoesDaAnalise;

class Silenciosa : public zolvek::InterfaceDoComando {
  public:
    void MostrarProgresso(const std::string&) override {}
    void DefinirBarra(int, int) override {}
    zolvek::Resposta Perguntar(const std::string&, const std::string&, zolvek::Botoes,
                               zolvek::Resposta padrao) override {
        return padrao;
    }
    void Mostrar(zolvek::TipoDeMensagem, const std::string&) override {}
    bool CancelamentoPedido() override { return false; }
    void AdicionarErro(const zolvek::LinhaDeErro&) override {}
};

// The tables every run writes to (the company and its parameters, the status row, the
// run register and the two history tables), as the demo dictionary defines them.
std::vector<dic::TabelaDic> TabelasDeRegistro() {
    std::ifstream entrada(ZOLVEK_DICIONARIO_DEMO, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    dic::DicionarioDeDados demo;
    demo.CarregarDeBytes(dic::CodificarTexto(texto.str()), ZOLVEK_DICIONARIO_DEMO,
                         dic::TipoDeServidor::SqlServer);
    std::vector<dic::TabelaDic> tabelas;
    for (const char* nome : {"PEMPRESA", "PARFN", "StatusBD", "RegMov", "RegTab", "RegVer"})
        if (const dic::TabelaDic* t = demo.ObterTabelaDic(nome)) tabelas.push_back(*t);
    return tabelas;
}

void GerarDicionario(const std::filesystem::path& arquivo, int quantasTabelas) {
    dic::ConteudoDoDicionario conteudo;
    conteudo.revisao = 12;
    conteudo.comentario = "Dicionário gerado para medição";
    conteudo.tabelas = TabelasDeRegistro();
    for (int t = 0; t < quantasTabelas; ++t) {
        dic::TabelaDic tabela;
        tabela.Nome = "TABELA_" + std::to_string(t);
        tabela.Descricao = "Tabela de medição número " + std::to_string(t);
        tabela.Classe = "N";
        tabela.Sistemas = "ZVZFZR";
        for (int c = 0; c < 20; ++c) {
            dic::CampoDic campo;
            campo.Nome = c == 0 ? "id" : "CAMPO_" + std::to_string(c);
            campo.Tipo = c == 0 ? 'S' : "CNDMIcNC"[c % 8];
            campo.Tamanho = campo.Tipo == 'N' ? (c % 3 == 0 ? 9 : 12) : 10 + c;
            campo.Decimais = campo.Tipo == 'N' && c % 3 != 0 ? 2 : 0;
            campo.Titulo = "Campo " + std::to_string(c);
            if (campo.Tipo == 'C' && c % 7 == 0) campo.ValoresValidos = "S,N";
            if (c == 3) {  // a reference to the key of an earlier table
                campo.Tipo = 'N';
                campo.Tamanho = 9;
                campo.Decimais = 0;
                campo.TabelaReferenciada = "TABELA_" + std::to_string(t / 2);
                campo.CampoReferenciado = "id";
            }
            if (campo.Tipo == 'N' && c % 3 != 0) campo.Validacao = "[" + campo.Nome + "] >= 0";
            if (campo.Tipo == 'D') campo.ValorPadrao = "getdate()";
            campo.Obrigatorio = c % 5 == 0;
            campo.Sistemas = "ZVZF";
            tabela.Campos.push_back(std::move(campo));
        }
        tabela.Indices.push_back({"Chvpr_" + tabela.Nome, "id", true, true});
        tabela.Indices.push_back({"IX_" + tabela.Nome, "CAMPO_1,CAMPO_2", false, false});
        conteudo.tabelas.push_back(std::move(tabela));
    }
    dic::GravarDicionario(arquivo, conteudo);
}

struct Medida {
    std::size_t comandos = 0;
    zolvek::analysis::ResultadoDaAnalise resultado;
};

// Runs one analysis, counting the statements it sends.
Medida Analisar(zolvek::db::TModuloDados& modulo, const std::filesystem::path& arquivo,
                bool simular = false) {
    Medida medida;
    zolvek::analysis::ExtrasDaAnalise extras;
    extras.simular = simular;
    modulo.Banco.DefinirObservadorDeComandos([&](std::string_view) { ++medida.comandos; });
    dic::DicionarioDeDados dicionario;
    Silenciosa interface;
    medida.resultado = zolvek::analysis::Analisar(modulo, dicionario, arquivo, OpcoesDaAnalise(),
                                                  interface, extras);
    modulo.Banco.DefinirObservadorDeComandos({});
    return medida;
}

// A run that listed errors is measured all the same; what failed is told on standard
// error, and the outcome goes into the report's label.
void RelatarErros(benchmark::State& state, const char* qual, const Medida& medida) {
    const auto& erros = medida.resultado.erros;
    if (erros.empty()) return;
    std::cerr << "bench_analise: a " << qual << " execução listou " << erros.size()
              << " erro(s):\n";
    for (const auto& e : erros)
        std::cerr << "  " << e.tabela << ": " << e.descricao << " [" << e.comando << "]\n";
    state.SetLabel(medida.resultado.Complemento);
}

// The company database as a new installation leaves it: the company row in place.
void PrepararBanco(const std::string& cadeia) {
    zolvek::db::Conexao master;
    master.DefinirStringDeConexao(cadeia + "master");
    master.Abrir();
    zolvek::db::Consulta criar(&master);
    criar.DefinirSQL("CREATE DATABASE MEDICAO");
    criar.Executar();
    zolvek::db::Conexao banco;
    banco.DefinirStringDeConexao(cadeia + "MEDICAO");
    banco.Abrir();
    zolvek::db::Consulta empresa(&banco);
    empresa.DefinirSQL(
        "CREATE TABLE PEMPRESA (idEmpresa INT IDENTITY(1,1), RAZAO_SOC NVARCHAR(60) NOT NULL)");
    empresa.Executar();
    empresa.DefinirSQL("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('Medição')");
    empresa.Executar();
}

double CpuDoProcesso() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_Analisar(benchmark::State& state) {
    const int tabelas = static_cast<int>(state.range(0));
    const bool segunda = state.range(1) == 1;
    const bool simular = state.range(2) == 1;
    Medida medida;
    double cpu = 0, parede = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_bench_XXXXXX").string();
        if (!mkdtemp(modelo.data())) {
            state.SkipWithError("não foi possível criar a pasta do servidor");
            break;
        }
        const std::filesystem::path pasta = modelo;
        const auto cadeia = "Provider=Simulador;Data Source=" + pasta.string() +
                            ";User ID=sa;Password=;Initial Catalog=";
        std::string falha;
        try {
            PrepararBanco(cadeia);
            GerarDicionario(pasta / "medicao.DicD", tabelas);
            zolvek::db::TModuloDados modulo;
            modulo.Banco.DefinirStringDeConexao(cadeia + "MEDICAO");
            modulo.Conectar();
            if (segunda) {
                RelatarErros(state, "primeira", Analisar(modulo, pasta / "medicao.DicD"));
                // the second run is a new program's, as the user's next one is: a new
                // connection, and the memory the first one left given back
                modulo.Banco.Fechar();
#ifdef __GLIBC__
                malloc_trim(0);
#endif
                modulo.Conectar();
            }
            state.ResumeTiming();
            const auto inicio = std::chrono::steady_clock::now();
            const double cpuAntes = CpuDoProcesso();
            medida = Analisar(modulo, pasta / "medicao.DicD", simular);
            cpu = CpuDoProcesso() - cpuAntes;
            parede =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
            state.PauseTiming();
            modulo.Banco.Fechar();
        } catch (const std::exception& e) {
            falha = e.what();
        }
        std::filesystem::remove_all(pasta);
        if (!falha.empty()) {
            // Skipped, with the reason; the other run still measures.
            state.SkipWithError(("a análise não terminou: " + falha).c_str());
            break;
        }
        state.ResumeTiming();
    }
    RelatarErros(state, segunda ? "segunda" : "primeira", medida);
    state.counters["comandos"] = static_cast<double>(medida.comandos);
    state.counters["erros"] = static_cast<double>(medida.resultado.erros.size());
    // the machine may be shared: the process's CPU time tells the cost more steadily
    state.counters["cpu_s"] = cpu;
    state.counters["cpu_ms_por_tabela"] = 1000 * cpu / tabelas;
    state.counters["ms_por_tabela"] = 1000 * parede / tabelas;
}

}  // namespace

BENCHMARK(BM_Analisar)
    ->ArgsProduct({{100, 300, 600, 1500}, {0, 1}, {0}})
    ->ArgsProduct({{300}, {0, 1}, {1}})
    ->ArgNames({"tabelas", "segunda", "simular"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
