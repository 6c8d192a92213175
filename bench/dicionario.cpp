// Loading a large dictionary (1 000 tables, 20 000 fields) against only reading and
// decoding the same file, to show what the line grammar and the model cost.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "dictionary/arquivo.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/escritor.hpp"

namespace {

namespace dic = zolvek::dicionario;

const std::filesystem::path& ArquivoGrande() {
    static const std::filesystem::path caminho = [] {
        dic::ConteudoDoDicionario conteudo;
        conteudo.revisao = 12;
        conteudo.comentario = "Dicionário gerado para medição";
        for (int t = 0; t < 1000; ++t) {
            dic::TabelaDic tabela;
            tabela.Nome = "TABELA_" + std::to_string(t);
            tabela.Descricao = "Tabela de medição número " + std::to_string(t);
            tabela.Classe = t % 50 == 0 ? "P" : "N";
            tabela.Sistemas = "ZVZFZR";
            for (int c = 0; c < 20; ++c) {
                dic::CampoDic campo;
                campo.Nome = c == 0 ? "id" : "CAMPO_" + std::to_string(c);
                campo.Tipo = c == 0 ? 'S' : "CNDMIcLF"[c % 8];
                campo.Tamanho = 10 + c;
                campo.Decimais = c % 3;
                campo.Titulo = "Descrição do campo " + std::to_string(c);
                if (c % 7 == 3) campo.ValoresValidos = "Sim,Não,\"Talvez sim\"";
                if (c % 9 == 4) {
                    campo.TabelaReferenciada = "TABELA_" + std::to_string(t / 2);
                    campo.CampoReferenciado = "id";
                }
                if (c % 5 == 2) campo.Validacao = "[CAMPO_" + std::to_string(c) + "] >= 0";
                if (c % 6 == 1) campo.ValorPadrao = "getdate()";
                campo.Obrigatorio = c % 4 == 0;
                campo.Sistemas = "ZVZF";
                tabela.Campos.push_back(std::move(campo));
            }
            tabela.Indices.push_back({"Chvpr_" + tabela.Nome, "id", true, true});
            tabela.Indices.push_back({"IX_" + tabela.Nome, "[CAMPO_2] DESC,CAMPO_3", false, false});
            conteudo.tabelas.push_back(std::move(tabela));
        }
        dic::BlocoDeScript bloco;
        bloco.descricao = "Procedimentos";
        for (int i = 0; i < 500; ++i) {
            bloco.corpo.push_back("IF EXISTS (SELECT * FROM sysobjects WHERE id = object_id('P" +
                                  std::to_string(i) + "')) DROP PROCEDURE P" + std::to_string(i));
            bloco.corpo.push_back("GO");
        }
        conteudo.scripts.push_back(std::move(bloco));
        auto caminho = std::filesystem::temp_directory_path() /
                       ("zolvek_bench_dicionario_" + std::to_string(::getpid()) + ".DicD");
        dic::GravarDicionario(caminho, conteudo);
        return caminho;
    }();
    return caminho;
}

void CarregarDicionario(benchmark::State& estado) {
    const auto& caminho = ArquivoGrande();
    dic::DicionarioDeDados dicionario;
    for (auto _ : estado) {
        std::vector<std::string> script, parametros;
        dicionario.CarregarDicionario(caminho, dic::TipoDeServidor::SqlServer, &script,
                                      &parametros);
        benchmark::DoNotOptimize(dicionario.Tabelas().data());
    }
    estado.counters["tabelas"] = static_cast<double>(dicionario.Tabelas().size());
    estado.counters["bytes"] = static_cast<double>(std::filesystem::file_size(caminho));
}
BENCHMARK(CarregarDicionario)->Unit(benchmark::kMillisecond);

// Reading the file and undoing the XOR and hexadecimal layers only.
void LerEDecodificar(benchmark::State& estado) {
    const auto& caminho = ArquivoGrande();
    for (auto _ : estado) {
        auto conteudo = dic::ConteudoDoArquivo(dic::LerArquivoDoDicionario(caminho), "bench");
        benchmark::DoNotOptimize(conteudo.data());
    }
}
BENCHMARK(LerEDecodificar)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignorado;
    std::filesystem::remove(ArquivoGrande(), ignorado);
    return 0;
}
