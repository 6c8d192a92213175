// "Analisar" over ten company databases of one stand-in server, as `analisar --bancos`
// runs them: one after another and four at a time. Each database starts as the demo
// installation leaves it and is brought to the demo dictionary's structure. Reports the
// time of the whole list and how many runs did not end in success.
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/conjunto.hpp"
#include "dictionary/escritor.hpp"
#include "execucao/analise_de_varios_bancos.hpp"
#include "servidor_de_bench.hpp"

namespace {

constexpr int kBancos = 10;

std::string TextoDoArquivo(const char* arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    return texto.str();
}

void Executar(const std::string& cadeia, const std::string& sql) {
    zolvek::db::Conexao conexao;
    conexao.DefinirStringDeConexao(cadeia);
    conexao.Abrir();
    zolvek::db::Consulta consulta(&conexao);
    consulta.DefinirSQL(sql);
    consulta.Executar();
}

// A new company database with the demo installation's tables and rows.
void CriarEmpresa(const std::string& base, const std::string& nome, const std::string& script) {
    Executar(base + "master", "CREATE DATABASE " + nome);
    std::istringstream linhas(script);
    std::string linha, lote;
    while (std::getline(linhas, linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (linha == "GO") {
            Executar(base + nome, lote);
            lote.clear();
        } else {
            lote += linha + "\n";
        }
    }
}

void BM_VariosBancos(benchmark::State& state) {
    const std::string script = TextoDoArquivo(ZOLVEK_EMPRESA_DEMO);
    std::size_t semSucesso = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::filesystem::path pasta = zolvek::bench::PastaNova("varios_bancos");
        const std::string base = "Provider=Simulador;Data Source=" + pasta.string() +
                                 ";User ID=sa;Password=;Initial Catalog=";
        zolvek::execucao::PedidoDeVariosBancos pedido;
        pedido.paralelo = static_cast<int>(state.range(0));
        pedido.modelo.arquivoDoDicionario = pasta / "ZAV_Molvena.DicD";
        std::ofstream(pedido.modelo.arquivoDoDicionario, std::ios::binary)
            << zolvek::dicionario::CodificarTexto(TextoDoArquivo(ZOLVEK_DICIONARIO_DEMO));
        std::string falha;
        try {
            for (int i = 0; i < kBancos; ++i) {
                const std::string nome = "EMPRESA" + std::to_string(i);
                CriarEmpresa(base, nome, script);
                pedido.bancos.push_back({i + 1, base + nome, ""});
            }
            state.ResumeTiming();
            const auto execucoes = zolvek::execucao::AnalisarVariosBancos(pedido);
            state.PauseTiming();
            semSucesso = 0;
            for (const auto& e : execucoes)
                if (e.classe != zolvek::execucao::ClasseDoDesfecho::Sucesso) ++semSucesso;
        } catch (const std::exception& e) {
            falha = e.what();
        }
        std::filesystem::remove_all(pasta);
        if (!falha.empty()) {
            state.SkipWithError(("a preparação não terminou: " + falha).c_str());
            break;
        }
        state.ResumeTiming();
    }
    state.counters["bancos"] = kBancos;
    state.counters["sem_sucesso"] = static_cast<double>(semSucesso);
}

}  // namespace

BENCHMARK(BM_VariosBancos)
    ->Arg(1)
    ->Arg(4)
    ->ArgName("paralelo")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
