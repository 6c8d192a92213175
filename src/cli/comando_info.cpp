#include <iostream>

#include "admin/informacoes_do_sistema.hpp"
#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"

namespace zolvek::cli {

namespace {

int ExecutarInfo(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(parametros, OpcoesDeSessao(), {});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    return ExecutarComMensagens(std::cout, [&] {
        auto modulo = AbrirSessao(argumentos, std::cerr);
        const auto painel = admin::AtualizarInformacoes(*modulo);
        ImprimirLinhas(std::cout, painel.linhas);
        return painel.textoNormal ? kSaidaSucesso : kSaidaFalha;
    });
}

const RegistrarComando registroInfo({
    "info",
    "mostra as informações do sistema e o estado do banco de dados",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli info [--conexao TEXTO] [--dicionario ARQUIVO]\n"
                   "Conecta ao banco de dados como o programa com janelas e mostra o texto do\n"
                   "painel de informações: a versão do programa, o banco, o servidor, o usuário,\n"
                   "se o banco está liberado ou em manutenção e o registro da última análise.\n"
                   "\n"
                   "Saída 0: painel sem problemas; 1: painel com problema (em vermelho no\n"
                   "programa: revisão do banco ausente, registro de análise ilegível ou ausente)\n"
                   "ou falha ao conectar, com a mensagem na saída padrão.\n"
                   "\n"
                   "Opções:\n") +
               kAjudaDaSessao;
    },
    ExecutarInfo,
});

}  // namespace

}  // namespace zolvek::cli
