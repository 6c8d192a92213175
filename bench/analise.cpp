// "Analisar" on a generated dictionary of 300 tables and 6 000 fields on the stand-in:
// the first run creates everything, the second finds nothing to change. Reports the
// time of each run and the statements it sent (read from the log).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "analysis/analisar.hpp"
#include "comum/comando.hpp"
#include "comum/log.hpp"
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

void GerarDicionario(const std::filesystem::path& arquivo) {
    dic::ConteudoDoDicionario conteudo;
    conteudo.revisao = 12;
    conteudo.comentario = "Dicionário gerado para medição";
    // A successful run writes the revision into the company table, so it exists here too.
    dic::TabelaDic empresa;
    empresa.Nome = "PEMPRESA";
    empresa.Descricao = "Dados da empresa";
    empresa.Classe = "N";
    empresa.Sistemas = "ZVZFZR";
    for (const char* nome : {"id", "RevisaoDoBD"}) {
        dic::CampoDic campo;
        campo.Nome = nome;
        campo.Tipo = campo.Nome == "id" ? 'S' : 'N';
        campo.Tamanho = 9;
        campo.Titulo = nome;
        campo.Sistemas = "ZVZF";
        empresa.Campos.push_back(std::move(campo));
    }
    conteudo.tabelas.push_back(std::move(empresa));
    for (int t = 0; t < 300; ++t) {
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

std::size_t ComandosEnviados() {
    std::size_t n = 0;
    for (const auto& entrada : zolvek::log::EntradasDoLog())
        if (entrada.find("/ComandoDaAnalise,") != std::string::npos) ++n;
    return n;
}

// Runs one analysis and returns how many statements it sent.
std::size_t Analisar(zolvek::db::TModuloDados& modulo, const std::filesystem::path& arquivo) {
    zolvek::log::DescartarLog();
    zolvek::log::DefinirConfiguracaoDoLog({true, ""});
    dic::DicionarioDeDados dicionario;
    Silenciosa interface;
    const auto r =
        zolvek::analysis::Analisar(modulo, dicionario, arquivo, OpcoesDaAnalise(), interface);
    // The generated dictionary has no bookkeeping tables (RegMov, StatusBD): their rows
    // are the only errors a run may list.
    for (const auto& erro : r.erros)
        if (erro.tabela != "REGMOV" && erro.tabela != "StatusBD")
            throw std::runtime_error(erro.descricao + " " + erro.comando);
    return ComandosEnviados();
}

void BM_Analisar(benchmark::State& state) {
    const bool segunda = state.range(0) == 1;
    std::size_t comandos = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_bench_XXXXXX").string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
        const std::filesystem::path pasta = modelo;
        const auto cadeia = "Provider=Simulador;Data Source=" + pasta.string() +
                            ";User ID=sa;Password=;Initial Catalog=";
        {
            zolvek::db::Conexao master;
            master.DefinirStringDeConexao(cadeia + "master");
            master.Abrir();
            zolvek::db::Consulta criar(&master);
            criar.DefinirSQL("CREATE DATABASE MEDICAO");
            criar.Executar();
        }
        GerarDicionario(pasta / "medicao.DicD");
        zolvek::db::TModuloDados modulo;
        modulo.Banco.DefinirStringDeConexao(cadeia + "MEDICAO");
        modulo.Conectar();
        if (segunda) Analisar(modulo, pasta / "medicao.DicD");
        state.ResumeTiming();
        comandos = Analisar(modulo, pasta / "medicao.DicD");
        state.PauseTiming();
        modulo.Banco.Fechar();
        std::filesystem::remove_all(pasta);
        state.ResumeTiming();
    }
    state.counters["comandos"] = static_cast<double>(comandos);
}

}  // namespace

BENCHMARK(BM_Analisar)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("segunda")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
