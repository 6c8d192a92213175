#include <iostream>

#include "admin/historico.hpp"
#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"

namespace zolvek::cli {

namespace {

int ExecutarHistorico(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(parametros, OpcoesDeSessao(), {});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    return ExecutarComMensagens(std::cout, [&] {
        auto modulo = AbrirSessao(argumentos, std::cerr);
        db::Consulta qryRegmov(&modulo->Banco);
        admin::AbrirHistorico(qryRegmov);
        std::string cabecalho;
        for (const auto& coluna : admin::ColunasDoHistorico())
            cabecalho += (cabecalho.empty() ? "" : "\t") + std::string(coluna.titulo);
        std::cout << cabecalho << '\n';
        for (const auto& linha : admin::LinhasDoHistorico(qryRegmov)) {
            for (std::size_t i = 0; i < linha.size(); ++i) std::cout << (i ? "\t" : "") << linha[i];
            std::cout << '\n';
        }
        std::cout.flush();
        return kSaidaSucesso;
    });
}

const RegistrarComando registroHistorico({
    "historico",
    "mostra o histórico de manutenção do banco de dados",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli historico [--conexao TEXTO] [--dicionario ARQUIVO]\n"
                   "Mostra os registros de RegMov das análises e liberações, do mais recente ao\n"
                   "mais antigo: uma linha de títulos (Operador, Hora, Tipo, Complemento) e uma\n"
                   "linha por registro, separadas por tabulação.\n"
                   "\n"
                   "Saída 0: histórico mostrado; 1: falha (por exemplo um banco sem RegMov), com "
                   "a\n"
                   "mensagem na saída padrão.\n"
                   "\n"
                   "Opções:\n") +
               kAjudaDaSessao;
    },
    ExecutarHistorico,
});

}  // namespace

}  // namespace zolvek::cli
