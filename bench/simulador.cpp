// Single-row inserts and point selects through the stand-in's connector, and the same
// work on raw SQLite (each statement prepared from its text, as a client sends it) in
// the same run. The counter "razao" is the stand-in's time over raw SQLite's.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "servidor_de_bench.hpp"

namespace {

using zolvek::bench::PastaNova;

constexpr int kLinhas = 10000;

struct Simulador : zolvek::bench::ServidorDeBench {
    Simulador() : ServidorDeBench("simulador") {
        c->Executar(
            "CREATE TABLE [Itens]([Id] INT NOT NULL,[Nome] NVARCHAR(40) NULL,[Valor] DEC(15,2) "
            "NULL)",
            {}, 0);
        c->Executar("ALTER TABLE [Itens] ADD CONSTRAINT [Chvpr_Itens] PRIMARY KEY ([Id])", {}, 0);
    }
    void Trabalho(std::int64_t base) {
        c->IniciarTransacao();
        for (int i = 0; i < kLinhas; ++i)
            c->Executar("insert into [Itens] ([Id], [Nome], [Valor]) values (?, ?, ?)",
                        {base + i, std::string("Item"), 1.5}, 0);
        c->Confirmar();
        for (int i = 0; i < kLinhas; ++i) {
            auto r =
                c->Executar("select [Nome], [Valor] from [Itens] where [Id] = ?", {base + i}, 0);
            benchmark::DoNotOptimize(r);
        }
    }
};

struct SqliteBruto {
    std::filesystem::path pasta = PastaNova("sqlite");
    sqlite3* db = nullptr;

    SqliteBruto() {
        sqlite3_open((pasta / "bench.sqlite").string().c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE Itens(Id "
                     "INTEGER NOT NULL, "
                     "Nome TEXT, Valor REAL); CREATE UNIQUE INDEX ix ON Itens(Id);",
                     nullptr, nullptr, nullptr);
    }
    ~SqliteBruto() {
        sqlite3_close(db);
        std::filesystem::remove_all(pasta);
    }
    void Trabalho(std::int64_t base) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < kLinhas; ++i) {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, "insert into Itens (Id, Nome, Valor) values (?, ?, ?)", -1, &s,
                               nullptr);
            sqlite3_bind_int64(s, 1, base + i);
            sqlite3_bind_text(s, 2, "Item", -1, SQLITE_STATIC);
            sqlite3_bind_double(s, 3, 1.5);
            sqlite3_step(s);
            sqlite3_finalize(s);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        for (int i = 0; i < kLinhas; ++i) {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, "select Nome, Valor from Itens where Id = ?", -1, &s, nullptr);
            sqlite3_bind_int64(s, 1, base + i);
            while (sqlite3_step(s) == SQLITE_ROW) {
                std::string nome = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                double valor = sqlite3_column_double(s, 1);
                benchmark::DoNotOptimize(nome);
                benchmark::DoNotOptimize(valor);
            }
            sqlite3_finalize(s);
        }
    }
};

template <typename T>
void Medir(benchmark::State& estado) {
    T alvo;
    std::int64_t base = 0;
    for (auto _ : estado) {
        alvo.Trabalho(base);
        base += kLinhas;
    }
}

void Razao(benchmark::State& estado) {
    Simulador simulador;
    SqliteBruto bruto;
    double tSimulador = 0, tBruto = 0;
    std::int64_t base = 0;
    for (auto _ : estado) {
        auto a = std::chrono::steady_clock::now();
        simulador.Trabalho(base);
        auto b = std::chrono::steady_clock::now();
        bruto.Trabalho(base);
        auto c = std::chrono::steady_clock::now();
        tSimulador += std::chrono::duration<double>(b - a).count();
        tBruto += std::chrono::duration<double>(c - b).count();
        base += kLinhas;
    }
    estado.counters["simulador_ms"] = 1000 * tSimulador / static_cast<double>(estado.iterations());
    estado.counters["sqlite_ms"] = 1000 * tBruto / static_cast<double>(estado.iterations());
    estado.counters["razao"] = tSimulador / tBruto;
}

}  // namespace

BENCHMARK_TEMPLATE(Medir, Simulador)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(Medir, SqliteBruto)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Razao)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
