// Reading and writing through the session layer over the SQLite ODBC driver, and the
// parsing of `:name` parameters.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "db/texto_sql.hpp"

namespace {

using namespace zolvek::db;

std::string Biblioteca() {
    std::error_code erro;
    for (const auto& item : std::filesystem::directory_iterator("/usr/lib", erro)) {
        const auto caminho = item.path() / "odbc" / "libsqlite3odbc.so";
        std::error_code e2;
        if (std::filesystem::exists(caminho, e2)) return caminho.string();
    }
    return "";
}

struct BancoTemporario {
    std::filesystem::path arquivo = std::filesystem::temp_directory_path() /
                                    ("zolvek_bench_" + std::to_string(::getpid()) + ".sqlite");
    Conexao banco;
    explicit BancoTemporario(int linhas) {
        banco.DefinirStringDeConexao("Driver=" + Biblioteca() + ";Database=" + arquivo.string());
        banco.Abrir();
        Consulta q(&banco);
        q.DefinirSQL(
            "create table t (id int primary key, nome varchar(50), valor decimal(12,2), obs text)");
        q.Executar();
        banco.IniciarTransacao();
        q.DefinirSQL("insert into t values (:id, :nome, :valor, :obs)");
        for (int i = 0; i < linhas; ++i) {
            q.ParametroPorNome("id").DefinirInteiro(i);
            q.ParametroPorNome("nome").DefinirTexto("Opção " + std::to_string(i));
            q.ParametroPorNome("valor").DefinirValor(Decimal{std::to_string(i) + ".25"});
            q.ParametroPorNome("obs").DefinirTexto(std::string(200, 'x'));
            q.Executar();
        }
        banco.Confirmar();
    }
    ~BancoTemporario() {
        banco.Fechar();
        std::error_code erro;
        std::filesystem::remove(arquivo, erro);
    }
};

void LerLinhas(benchmark::State& estado) {
    if (Biblioteca().empty()) {
        estado.SkipWithError("driver ODBC do SQLite não instalado");
        return;
    }
    BancoTemporario b(static_cast<int>(estado.range(0)));
    Consulta q(&b.banco);
    q.DefinirSQL("select * from t");
    for (auto _ : estado) {
        q.Fechar();
        q.Abrir();
        benchmark::DoNotOptimize(q.QuantidadeDeRegistros());
    }
    estado.SetItemsProcessed(estado.iterations() * estado.range(0));
}
BENCHMARK(LerLinhas)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void GravarAlteracao(benchmark::State& estado) {
    if (Biblioteca().empty()) {
        estado.SkipWithError("driver ODBC do SQLite não instalado");
        return;
    }
    BancoTemporario b(100);
    Consulta q(&b.banco);
    q.DefinirSQL("select * from t where id = 7");
    q.Abrir();
    int n = 0;
    for (auto _ : estado) {
        q.Editar();
        q.CampoPorNome("nome").DefinirTexto("novo " + std::to_string(n++));
        q.Gravar();
    }
}
BENCHMARK(GravarAlteracao)->Unit(benchmark::kMicrosecond);

void TraduzirParametrosDeTexto(benchmark::State& estado) {
    std::string sql = "select * from [Tabela] where ";
    for (int i = 0; i < 50; ++i)
        sql += "campo" + std::to_string(i) + " = :p" + std::to_string(i) +
               " and 'texto :x' <> [a:b] and ";
    sql += "1=1 -- :fim";
    for (auto _ : estado) benchmark::DoNotOptimize(TraduzirParametros(sql));
    estado.SetBytesProcessed(estado.iterations() * static_cast<std::int64_t>(sql.size()));
}
BENCHMARK(TraduzirParametrosDeTexto);

}  // namespace

BENCHMARK_MAIN();
