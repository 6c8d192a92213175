#include "cli/relatorio_do_comando.hpp"

#include <chrono>
#include <iostream>

#include "cli/sessao_cli.hpp"
#include "dictionary/dicionario.hpp"
#include "execucao/arquivos_de_saida.hpp"

namespace zolvek::cli {

const char* const kAjudaDoRelatorio =
    "  --relatorio ARQUIVO  grava o relatório da execução em JSON (o esquema está no\n"
    "                       README); um caminho que não pode ser gravado impede o início\n";

std::optional<std::filesystem::path> ArquivoDaOpcao(const Argumentos& a, const std::string& opcao) {
    const auto valor = a.Valor(opcao);
    if (!valor) return std::nullopt;
    if (valor->empty()) throw ErroDeUso("A opção " + opcao + " precisa de um arquivo");
    return std::filesystem::path(*valor);
}

RelatorioDoComando::RelatorioDoComando(const Argumentos& a, std::string comando)
    : arquivo_(ArquivoDaOpcao(a, kOpcaoRelatorio)), comando_(std::move(comando)) {
    if (!arquivo_) return;
    try {
        execucao::PrepararArquivoDeSaida(*arquivo_);
    } catch (const Erro& e) {
        throw ErroDeUso(e.what());
    }
}

void RelatorioDoComando::Gravar(const std::vector<execucao::ExecucaoRelatada>& execucoes) const {
    if (!arquivo_) return;
    execucao::GravarArquivoDeSaida(*arquivo_, execucao::RelatorioEmJson({comando_, execucoes}));
}

int ExecutarComRelatorio(
    const Argumentos& argumentos, const std::string& comando,
    const std::function<int(db::TModuloDados&, execucao::ExecucaoRelatada&)>& corpo) {
    const RelatorioDoComando relatorio(argumentos, comando);
    execucao::ExecucaoRelatada e = execucao::NovaExecucao(CadeiaDeConexao(argumentos));
    int saida = kSaidaFalha;
    try {
        auto modulo = AbrirSessao(argumentos, std::cerr);
        execucao::AnotarSessao(e, *modulo,
                               dicionario::DicionarioDoPrograma().RevisaoDoDicionario());
        saida = corpo(*modulo, e);
    } catch (const ErroDeUso&) {
        throw;
    } catch (const Cancelamento&) {
        e.classe = execucao::ClasseDoDesfecho::Interrompida;
        e.fim = std::chrono::system_clock::now();
        relatorio.Gravar({e});
        throw;
    } catch (const Erro& x) {
        std::cout << x.what() << std::endl;
        e.desfecho = e.desfecho.empty() ? x.what() : e.desfecho + "\n" + x.what();
        saida = kSaidaFalha;
    }
    e.fim = std::chrono::system_clock::now();
    relatorio.Gravar({e});
    return saida;
}

}  // namespace zolvek::cli
