// Structure work through the stand-in beside raw SQLite in the same run:
// - ALTER COLUMN on each of N tables of 20 columns (N = 100, 200, 300): the time per
//   table must not grow with N; raw SQLite rebuilds each table as its documentation
//   says (new table, copy, drop, rename).
// - 300 syscolumns/systypes lookups by object_id on a 300-table database, against the
//   same question asked of raw SQLite's own metadata (pragma_table_info).
// The counter "razao" is the stand-in's time over raw SQLite's ("razao_cpu" the same in CPU
// time of the thread, steadier on a shared machine).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "servidor_de_bench.hpp"

namespace {

using zolvek::bench::PastaNova;

constexpr int kColunas = 20;

std::string Colunas(bool tsql) {
    std::string s = tsql ? "[Id] INT NOT NULL PRIMARY KEY" : "Id INTEGER NOT NULL PRIMARY KEY";
    for (int c = 1; c < kColunas; ++c)
        s += tsql ? ", [C" + std::to_string(c) + "] VARCHAR(20) NULL"
                  : ", C" + std::to_string(c) + " TEXT";
    return s;
}

struct Simulador : zolvek::bench::ServidorDeBench {
    explicit Simulador(int tabelas) : ServidorDeBench("simulador_" + std::to_string(tabelas)) {
        for (int t = 0; t < tabelas; ++t) {
            const std::string nome = "[T" + std::to_string(t) + "]";
            c->Executar("CREATE TABLE " + nome + " (" + Colunas(true) + ")", {}, 0);
            c->Executar("INSERT INTO " + nome + " ([Id], [C1]) VALUES (1, 'a')", {}, 0);
        }
    }
    void AlterarColunas(int tabelas, int vez) {
        const std::string tamanho = std::to_string(30 + vez);
        for (int t = 0; t < tabelas; ++t)
            c->Executar("ALTER TABLE [T" + std::to_string(t) + "] ALTER COLUMN [C1] VARCHAR(" +
                            tamanho + ") NULL",
                        {}, 0);
    }
    void LerCatalogo(int tabelas) {
        for (int t = 0; t < tabelas; ++t) {
            auto r = c->Executar(
                "select c.name, t.name, c.length from syscolumns c join systypes t on t.xusertype "
                "= c.xusertype where c.id = object_id(?) order by c.colid",
                {std::string("T") + std::to_string(t)}, 0);
            benchmark::DoNotOptimize(r);
        }
    }
};

struct SqliteBruto {
    std::filesystem::path pasta;
    sqlite3* db = nullptr;

    explicit SqliteBruto(int tabelas) : pasta(PastaNova("sqlite_" + std::to_string(tabelas))) {
        sqlite3_open((pasta / "bench.sqlite").string().c_str(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                     nullptr);
        for (int t = 0; t < tabelas; ++t) {
            const std::string nome = "T" + std::to_string(t);
            Rodar("CREATE TABLE " + nome + " (" + Colunas(false) + ")");
            Rodar("INSERT INTO " + nome + " (Id, C1) VALUES (1, 'a')");
        }
    }
    ~SqliteBruto() {
        sqlite3_close(db);
        std::filesystem::remove_all(pasta);
    }
    void Rodar(const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }
    void AlterarColunas(int tabelas, int) {
        for (int t = 0; t < tabelas; ++t) {
            const std::string nome = "T" + std::to_string(t);
            Rodar("BEGIN");
            Rodar("CREATE TABLE nova (" + Colunas(false) + ")");
            Rodar("INSERT INTO nova SELECT * FROM " + nome);
            Rodar("DROP TABLE " + nome);
            Rodar("ALTER TABLE nova RENAME TO " + nome);
            Rodar("COMMIT");
        }
    }
    void LerCatalogo(int tabelas) {
        for (int t = 0; t < tabelas; ++t) {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, "select name, type, cid from pragma_table_info(?) order by cid",
                               -1, &s, nullptr);
            const std::string nome = "T" + std::to_string(t);
            sqlite3_bind_text(s, 1, nome.c_str(), -1, SQLITE_TRANSIENT);
            while (sqlite3_step(s) == SQLITE_ROW)
                benchmark::DoNotOptimize(sqlite3_column_text(s, 0));
            sqlite3_finalize(s);
        }
    }
};

double TempoDeCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <typename Trabalho>
void Comparar(benchmark::State& estado, int tabelas, Trabalho trabalho) {
    Simulador simulador(tabelas);
    SqliteBruto bruto(tabelas);
    double tSimulador = 0, tBruto = 0, cpuSimulador = 0, cpuBruto = 0;
    int vez = 0;
    for (auto _ : estado) {
        const double cpuA = TempoDeCpu();
        auto a = std::chrono::steady_clock::now();
        trabalho(simulador, tabelas, vez);
        auto b = std::chrono::steady_clock::now();
        const double cpuB = TempoDeCpu();
        trabalho(bruto, tabelas, vez);
        auto c = std::chrono::steady_clock::now();
        cpuSimulador += cpuB - cpuA;
        cpuBruto += TempoDeCpu() - cpuB;
        tSimulador += std::chrono::duration<double>(b - a).count();
        tBruto += std::chrono::duration<double>(c - b).count();
        ++vez;
    }
    const double n = static_cast<double>(estado.iterations());
    estado.counters["simulador_ms"] = 1000 * tSimulador / n;
    estado.counters["sqlite_ms"] = 1000 * tBruto / n;
    estado.counters["simulador_ms_por_tabela"] = 1000 * tSimulador / n / tabelas;
    estado.counters["simulador_cpu_ms_por_tabela"] = 1000 * cpuSimulador / n / tabelas;
    estado.counters["razao"] = tSimulador / tBruto;
    estado.counters["razao_cpu"] = cpuSimulador / cpuBruto;
}

void AlterarColunas(benchmark::State& estado) {
    Comparar(estado, static_cast<int>(estado.range(0)),
             [](auto& alvo, int tabelas, int vez) { alvo.AlterarColunas(tabelas, vez); });
}

void LerCatalogo(benchmark::State& estado) {
    Comparar(estado, static_cast<int>(estado.range(0)),
             [](auto& alvo, int tabelas, int) { alvo.LerCatalogo(tabelas); });
}

}  // namespace

BENCHMARK(AlterarColunas)
    ->Arg(100)
    ->Arg(200)
    ->Arg(300)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(LerCatalogo)->Arg(300)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
