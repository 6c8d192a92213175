// Procedural T-SQL through the stand-in: a WHILE loop of 2 000 turns that sets
// variables and inserts a row each turn, the same rows written by a procedure called
// 2 000 times from one batch, and a cursor that walks 2 000 rows into variables.
#include <benchmark/benchmark.h>

#include <string>

#include "servidor_de_bench.hpp"

namespace {

constexpr int kVoltas = 2000;

struct Servidor : zolvek::bench::ServidorDeBench {
    explicit Servidor(const std::string& nome) : ServidorDeBench("procedural_" + nome) {
        c->Executar("CREATE TABLE Linhas (id int, nome varchar(20))", {}, 0);
    }
    void Rodar(const std::string& sql) { benchmark::DoNotOptimize(c->Executar(sql, {}, 0)); }
};

void LacoComVariaveis(benchmark::State& estado) {
    Servidor s("laco");
    for (auto _ : estado)
        s.Rodar(
            "SET NOCOUNT ON; DECLARE @i int = 0, @nome varchar(20)\n"
            "WHILE @i < " +
            std::to_string(kVoltas) +
            " BEGIN\n"
            "  SET @i += 1; SET @nome = 'linha ' + CAST(@i AS varchar(10))\n"
            "  INSERT Linhas VALUES (@i, @nome)\n"
            "END");
}

void ChamadasDeProcedimento(benchmark::State& estado) {
    Servidor s("chamadas");
    s.Rodar(
        "CREATE PROCEDURE Gravar @id int, @nome varchar(20) AS INSERT Linhas VALUES (@id, "
        "@nome)");
    std::string lote = "SET NOCOUNT ON\n";
    for (int k = 0; k < kVoltas; ++k) lote += "EXEC Gravar " + std::to_string(k) + ", 'x'\n";
    for (auto _ : estado) s.Rodar(lote);
}

void CursorSobreAsLinhas(benchmark::State& estado) {
    Servidor s("cursor");
    s.Rodar("SET NOCOUNT ON; DECLARE @i int = 0 WHILE @i < " + std::to_string(kVoltas) +
            " BEGIN SET @i += 1 INSERT Linhas VALUES (@i, 'x') END");
    for (auto _ : estado)
        s.Rodar(
            "DECLARE @id int, @nome varchar(20), @soma int = 0\n"
            "DECLARE c CURSOR LOCAL FAST_FORWARD FOR SELECT id, nome FROM Linhas\n"
            "OPEN c FETCH NEXT FROM c INTO @id, @nome\n"
            "WHILE @@FETCH_STATUS = 0 BEGIN\n"
            "  SET @soma += @id FETCH NEXT FROM c INTO @id, @nome\n"
            "END\n"
            "CLOSE c DEALLOCATE c SELECT @soma");
}

}  // namespace

BENCHMARK(LacoComVariaveis)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(ChamadasDeProcedimento)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(CursorSobreAsLinhas)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
