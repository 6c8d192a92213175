// Whole batches through the stand-in beside the same work on raw SQLite, in one run:
// 20 000 single-row INSERTs in one batch, 100 000 rows in 500-row VALUES statements,
// and a join filtered on a datetime column. "razao" is the stand-in's time over raw
// SQLite's ("razao_cpu" the same in CPU time of the thread); "pico_mib" the peak memory the
// stand-in's work adds to what the process held before.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "servidor_de_bench.hpp"

namespace {

using zolvek::bench::PastaNova;

// A figure of /proc/self/status (VmHWM, VmRSS), in MiB.
double MemoriaDoProcesso(const std::string& figura) {
    std::ifstream f("/proc/self/status");
    std::string chave;
    while (f >> chave) {
        if (chave == figura + ":") {
            double kb = 0;
            f >> kb;
            return kb / 1024.0;
        }
        f.ignore(1 << 12, '\n');
    }
    return 0;
}

// The CPU time of this thread, in seconds: on a shared machine, steadier than the clock.
double TempoDeCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The peak from here on starts at the memory in use now (not at an earlier benchmark's).
double ZerarPico() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return MemoriaDoProcesso("VmRSS");
}

struct Simulador : zolvek::bench::ServidorDeBench {
    explicit Simulador(const std::string& nome) : ServidorDeBench("simulador_" + nome) {}
    void Rodar(const std::string& sql) { benchmark::DoNotOptimize(c->Executar(sql, {}, 0)); }
};

struct SqliteBruto {
    std::filesystem::path pasta;
    sqlite3* db = nullptr;

    explicit SqliteBruto(const std::string& nome) : pasta(PastaNova("sqlite_" + nome)) {
        sqlite3_open((pasta / "bench.sqlite").string().c_str(), &db);
        Rodar("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;");
    }
    ~SqliteBruto() {
        sqlite3_close(db);
        std::filesystem::remove_all(pasta);
    }
    // Each statement prepared from its text and stepped through its rows, as a client does.
    // The text is read up to its NUL: given a length, SQLite copies the whole rest of
    // the batch for each statement.
    void Rodar(const std::string& sql) {
        const char* resto = sql.c_str();
        while (resto && *resto) {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, resto, -1, &s, &resto) != SQLITE_OK) break;
            if (!s) continue;
            while (sqlite3_step(s) == SQLITE_ROW)
                benchmark::DoNotOptimize(sqlite3_column_int(s, 0));
            sqlite3_finalize(s);
        }
    }
};

struct Caso {
    std::string preparoTsql, preparoSqlite;
    std::function<std::string(int rodada, bool tsql)> trabalho;
};

void Comparar(benchmark::State& estado, const Caso& caso, const std::string& nome) {
    Simulador simulador(nome);
    SqliteBruto bruto(nome);
    simulador.Rodar(caso.preparoTsql);
    bruto.Rodar(caso.preparoSqlite);
    double tSimulador = 0, tBruto = 0, cpuSimulador = 0, cpuBruto = 0, pico = 0;
    int rodada = 0;
    for (auto _ : estado) {
        std::string tsql = caso.trabalho(rodada, true), sql = caso.trabalho(rodada, false);
        double antes = ZerarPico();
        const double cpuA = TempoDeCpu();
        auto a = std::chrono::steady_clock::now();
        simulador.Rodar(tsql);
        auto b = std::chrono::steady_clock::now();
        const double cpuB = TempoDeCpu();
        pico = std::max(pico, MemoriaDoProcesso("VmHWM") - antes);
        bruto.Rodar(sql);
        auto c = std::chrono::steady_clock::now();
        cpuSimulador += cpuB - cpuA;
        cpuBruto += TempoDeCpu() - cpuB;
        tSimulador += std::chrono::duration<double>(b - a).count();
        tBruto += std::chrono::duration<double>(c - b).count();
        ++rodada;
    }
    auto n = static_cast<double>(estado.iterations());
    estado.counters["simulador_ms"] = 1000 * tSimulador / n;
    estado.counters["sqlite_ms"] = 1000 * tBruto / n;
    estado.counters["razao"] = tSimulador / tBruto;
    estado.counters["razao_cpu"] = cpuSimulador / cpuBruto;
    estado.counters["pico_mib"] = pico;
}

void InsertsDeUmaLinha(benchmark::State& estado) {
    const int linhas = static_cast<int>(estado.range(0));
    Caso caso{"CREATE TABLE Itens (Id int NOT NULL PRIMARY KEY, Nome nvarchar(40), Qtd int)",
              "CREATE TABLE Itens (Id INTEGER NOT NULL PRIMARY KEY, Nome TEXT, Qtd INTEGER)",
              [linhas](int rodada, bool tsql) {
                  std::string s = tsql ? "" : "BEGIN;";
                  for (int i = 0; i < linhas; ++i) {
                      std::string id = std::to_string(rodada * linhas + i);
                      s += "INSERT INTO Itens (Id, Nome, Qtd) VALUES (" + id + ", " +
                           (tsql ? "N'Item " : "'Item ") + id + "', " + std::to_string(i % 7) +
                           ");\n";
                  }
                  return tsql ? s : s + "COMMIT;";
              }};
    Comparar(estado, caso, "inserts_" + std::to_string(linhas));
}

void ValoresDe500Linhas(benchmark::State& estado) {
    Caso caso{"CREATE TABLE Itens (Id int NOT NULL PRIMARY KEY, Nome nvarchar(40), Qtd int)",
              "CREATE TABLE Itens (Id INTEGER NOT NULL PRIMARY KEY, Nome TEXT, Qtd INTEGER)",
              [](int rodada, bool tsql) {
                  std::string s = tsql ? "" : "BEGIN;";
                  for (int bloco = 0; bloco < 200; ++bloco) {
                      s += "INSERT INTO Itens (Id, Nome, Qtd) VALUES ";
                      for (int i = 0; i < 500; ++i) {
                          std::string id = std::to_string(rodada * 100000 + bloco * 500 + i);
                          s += (i ? ", (" : "(") + id + ", 'Item " + id + "', " +
                               std::to_string(i % 7) + ")";
                      }
                      s += ";\n";
                  }
                  return tsql ? s : s + "COMMIT;";
              }};
    Comparar(estado, caso, "valores");
}

void JuncaoPorData(benchmark::State& estado) {
    std::string carga;
    for (int bloco = 0; bloco < 20; ++bloco) {
        carga += "INSERT INTO Pedidos (Id, Cliente, Data) VALUES ";
        for (int i = 0; i < 500; ++i) {
            int id = bloco * 500 + i;
            char data[32];
            std::snprintf(data, sizeof data, "2024-%02d-%02d 10:00:00.000", 1 + id % 12,
                          1 + id % 28);
            carga += (i ? ", (" : "(") + std::to_string(id) + ", " + std::to_string(id % 100) +
                     ", '" + data + "')";
        }
        carga += ";\n";
    }
    std::string clientes = "INSERT INTO Clientes (Id, Nome) VALUES ";
    for (int i = 0; i < 100; ++i)
        clientes +=
            (i ? ", (" : "(") + std::to_string(i) + ", 'Cliente " + std::to_string(i) + "')";
    Caso caso{
        "CREATE TABLE Clientes (Id int NOT NULL PRIMARY KEY, Nome varchar(40)); CREATE TABLE "
        "Pedidos (Id int NOT NULL PRIMARY KEY, Cliente int, Data datetime); " +
            clientes + "; " + carga,
        "CREATE TABLE Clientes (Id INTEGER NOT NULL PRIMARY KEY, Nome TEXT); CREATE TABLE "
        "Pedidos (Id INTEGER NOT NULL PRIMARY KEY, Cliente INTEGER, Data TEXT); " +
            clientes + "; " + carga,
        [](int, bool tsql) {
            // the product writes dates as 'yyyymmdd'; raw SQLite gets its stored form
            return std::string(
                       "SELECT count(*) FROM Pedidos p JOIN Clientes c ON c.Id = "
                       "p.Cliente WHERE p.Data >= ") +
                   (tsql ? "'20240301' AND p.Data < '20240901'"
                         : "'2024-03-01 00:00:00.000' AND p.Data < '2024-09-01 00:00:00.000'");
        }};
    Comparar(estado, caso, "juncao");
}

}  // namespace

BENCHMARK(InsertsDeUmaLinha)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(ValoresDe500Linhas)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(JuncaoPorData)->Unit(benchmark::kMillisecond)->Iterations(200);

BENCHMARK_MAIN();
