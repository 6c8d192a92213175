// The TDS listener's cost beside the in-process connector: a "select 1" round trip, a
// parameterized single-row INSERT (10 000 of them), and 50 connections each running
// 1 000 small queries at once. The listener runs in this process, on a loopback port.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

#include "db/odbc/conector_odbc.hpp"
#include "servidor_de_bench.hpp"
#include "simulador/tds/servidor_tds.hpp"

namespace {

using zolvek::bench::ServidorDeBench;
namespace db = zolvek::db;
namespace tds = zolvek::simulador::tds;

struct ComServidorTds {
    ServidorDeBench base;
    tds::ServidorTds servidor;

    explicit ComServidorTds(const std::string& nome) : base(nome), servidor(Opcoes(base)) {
        servidor.Iniciar();
    }
    static tds::OpcoesDoServidorTds Opcoes(const ServidorDeBench& b) {
        tds::OpcoesDoServidorTds o;
        o.pasta = b.pasta.string();
        o.porta = 0;
        return o;
    }
    std::unique_ptr<db::Conector> PeloOdbc() {
        auto c = db::odbc::CriarConector("Provider=SQLOLEDB.1;Data Source=127.0.0.1," +
                                         std::to_string(servidor.Porta()) +
                                         ";Initial Catalog=Bench;User ID=sa;Password=");
        c->Abrir();
        return c;
    }
};

void SelectUm(benchmark::State& estado, bool peloOdbc) {
    ComServidorTds s(peloOdbc ? "tds_um_odbc" : "tds_um");
    auto odbc = peloOdbc ? s.PeloOdbc() : nullptr;
    db::Conector& c = peloOdbc ? *odbc : *s.base.c;
    for (auto _ : estado) benchmark::DoNotOptimize(c.Executar("select 1", {}, 0));
}
BENCHMARK_CAPTURE(SelectUm, em_processo, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SelectUm, pelo_odbc, true)->Unit(benchmark::kMicrosecond);

void InsercaoComParametros(benchmark::State& estado, bool peloOdbc) {
    ComServidorTds s(peloOdbc ? "tds_ins_odbc" : "tds_ins");
    s.base.c->Executar(
        "CREATE TABLE Item (id int PRIMARY KEY, nome nvarchar(40), preco decimal(12,2))", {}, 0);
    auto odbc = peloOdbc ? s.PeloOdbc() : nullptr;
    db::Conector& c = peloOdbc ? *odbc : *s.base.c;
    std::int64_t id = 0;
    for (auto _ : estado) {
        ++id;
        c.Executar("INSERT INTO Item (id, nome, preco) VALUES (?, ?, ?)",
                   {id, std::string("item ") + std::to_string(id), db::Decimal{"12.34"}}, 0);
    }
}
BENCHMARK_CAPTURE(InsercaoComParametros, em_processo, false)
    ->Iterations(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(InsercaoComParametros, pelo_odbc, true)
    ->Iterations(10000)
    ->Unit(benchmark::kMicrosecond);

// 50 connections, 1 000 small queries each, all at once; an error fails the benchmark.
void ConexoesConcorrentes(benchmark::State& estado) {
    ComServidorTds s("tds_concorrentes");
    s.base.c->Executar("CREATE TABLE Par (k int PRIMARY KEY, v int)", {}, 0);
    s.base.c->Executar("INSERT INTO Par VALUES (1, 10), (2, 20), (3, 30)", {}, 0);
    constexpr int kConexoes = 50, kConsultas = 1000;
    for (auto _ : estado) {
        std::atomic<int> erros{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kConexoes; ++t)
            threads.emplace_back([&, t] {
                try {
                    auto c = s.PeloOdbc();
                    for (int i = 0; i < kConsultas; ++i)
                        c->Executar("SELECT v FROM Par WHERE k = ?",
                                    {std::int64_t{1 + (t + i) % 3}}, 0);
                } catch (const std::exception&) {
                    ++erros;
                }
            });
        for (auto& t : threads) t.join();
        if (erros)
            estado.SkipWithError((std::to_string(erros.load()) + " conexões falharam").c_str());
    }
    estado.counters["consultas/s"] = benchmark::Counter(
        static_cast<double>(kConexoes * kConsultas) * static_cast<double>(estado.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(ConexoesConcorrentes)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
