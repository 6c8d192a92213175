// What the stand-in server costs the engine: a login (open and close a session), the
// liveness check made before every batch, and the session list behind sysprocesses.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "simulador/servidor/servidor.hpp"

namespace {

using zolvek::simulador::DefinicaoDeBanco;
using zolvek::simulador::Servidor;

struct ServidorTemporario {
    std::filesystem::path pasta;
    std::unique_ptr<Servidor> servidor;

    explicit ServidorTemporario(const char* nome)
        : pasta(std::filesystem::temp_directory_path() /
                ("zolvek_bench_" + std::string(nome) + "_" + std::to_string(getpid()))) {
        std::filesystem::remove_all(pasta);
        servidor = std::make_unique<Servidor>(pasta);
        servidor->CriarBanco(DefinicaoDeBanco{"EMPRESA", {}, {}});
    }
    ~ServidorTemporario() {
        servidor.reset();
        std::filesystem::remove_all(pasta);
    }
};

void AbrirEFecharSessao(benchmark::State& estado) {
    ServidorTemporario t("login");
    auto sa = t.servidor->Autenticar("sa", "");
    for (int i = 0; i < estado.range(0); ++i) t.servidor->AbrirSessao(sa, "EMPRESA", "PC", "ERP");
    for (auto _ : estado) {
        auto sessao = t.servidor->AbrirSessao(sa, "EMPRESA", "PC1", "Zolvek");
        t.servidor->FecharSessao(sessao.spid);
    }
}
BENCHMARK(AbrirEFecharSessao)->Arg(0)->Arg(50);

void SessaoViva(benchmark::State& estado) {
    ServidorTemporario t("viva");
    auto sessao = t.servidor->AbrirSessao(t.servidor->Autenticar("sa", ""), "EMPRESA", "PC1", "Z");
    for (auto _ : estado) benchmark::DoNotOptimize(t.servidor->SessaoViva(sessao.spid));
}
BENCHMARK(SessaoViva);

void ListarSessoes(benchmark::State& estado) {
    ServidorTemporario t("lista");
    auto sa = t.servidor->Autenticar("sa", "");
    for (int i = 0; i < estado.range(0); ++i) t.servidor->AbrirSessao(sa, "EMPRESA", "PC", "ERP");
    for (auto _ : estado) benchmark::DoNotOptimize(t.servidor->ListarSessoes());
}
BENCHMARK(ListarSessoes)->Arg(1)->Arg(50);

}  // namespace

BENCHMARK_MAIN();
