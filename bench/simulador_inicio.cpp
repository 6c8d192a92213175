// A whole short process through the stand-in beside the sqlite3 shell, in one run: each
// round starts `zolvek-cli sql` running "select 1" on a database of a server folder, and
// the sqlite3 shell running "select 1" on a SQLite file, in turn. "razao" is the CLI's
// wall time over the shell's, "razao_cpu" the same in the CPU time of the children (user
// and system), steadier on a shared machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "servidor_de_bench.hpp"

extern char** environ;

namespace {

double Segundos(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

struct Tempo {
    double parede = 0, cpu = 0;
    bool falhou = false;
};

// Runs a program with its output thrown away; the wall and CPU time of the child.
Tempo Rodar(const std::vector<std::string>& argumentos) {
    std::vector<char*> argv;
    for (const auto& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&acoes, 2, "/dev/null", O_WRONLY, 0);
    Tempo t;
    const auto inicio = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &acoes, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&acoes);
        t.falhou = true;
        return t;
    }
    int estado = 0;
    rusage uso{};
    wait4(pid, &estado, 0, &uso);
    t.parede = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    t.cpu = Segundos(uso.ru_utime) + Segundos(uso.ru_stime);
    t.falhou = !WIFEXITED(estado) || WEXITSTATUS(estado) != 0;
    posix_spawn_file_actions_destroy(&acoes);
    return t;
}

void SelectUmEmProcessoNovo(benchmark::State& estado) {
    zolvek::bench::ServidorDeBench servidor("inicio");
    servidor.c.reset();  // the folder is left as a finished program leaves it
    const auto script = servidor.pasta / "select1.sql";
    std::ofstream(script) << "select 1\n";
    const auto arquivo = servidor.pasta / "bruto.sqlite";
    sqlite3* db = nullptr;
    sqlite3_open(arquivo.string().c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t (x INTEGER)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::vector<std::string> cli = {
        ZOLVEK_CLI, "sql", "--conexao",
        "Provider=Simulador;Data Source=" + servidor.pasta.string() +
            ";Initial Catalog=Bench;User ID=sa;Password=",
        script.string()};
    const std::vector<std::string> shell = {"sqlite3", arquivo.string(), "select 1"};
    Rodar(cli);  // the first start reads the program from disk
    Rodar(shell);
    Tempo doCli, doShell;
    for (auto _ : estado) {
        const Tempo a = Rodar(cli), b = Rodar(shell);
        if (a.falhou || b.falhou) {
            estado.SkipWithError(a.falhou ? "zolvek-cli falhou" : "sqlite3 não rodou");
            return;
        }
        doCli.parede += a.parede;
        doCli.cpu += a.cpu;
        doShell.parede += b.parede;
        doShell.cpu += b.cpu;
    }
    const double n = static_cast<double>(estado.iterations());
    estado.counters["cli_ms"] = 1000 * doCli.parede / n;
    estado.counters["sqlite3_ms"] = 1000 * doShell.parede / n;
    estado.counters["razao"] = doCli.parede / doShell.parede;
    estado.counters["razao_cpu"] = doCli.cpu / doShell.cpu;
}

}  // namespace

BENCHMARK(SelectUmEmProcessoNovo)->Unit(benchmark::kMillisecond)->Iterations(100);

BENCHMARK_MAIN();
