#include <iostream>

#include "admin/liberar_e_validar.hpp"
#include "cli/argumentos.hpp"
#include "cli/interface_do_terminal.hpp"
#include "cli/registro.hpp"
#include "cli/relatorio_do_comando.hpp"
#include "cli/sessao_cli.hpp"
#include "dictionary/dicionario.hpp"

namespace zolvek::cli {

namespace {

using execucao::ClasseDoDesfecho;
using execucao::ExecucaoRelatada;

Argumentos LerArgumentos(const std::vector<std::string>& parametros) {
    auto comValor = OpcoesDeSessao();
    comValor.insert(kOpcaoRelatorio);
    Argumentos argumentos(parametros, comValor, {"--sim"});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    return argumentos;
}

void AnotarConfirmacao(ExecucaoRelatada& e, const Argumentos& argumentos) {
    e.opcoes = {{"sim", argumentos.Marcado("--sim") ? "Sim" : "Não"}};
}

int ExecutarLiberar(const std::vector<std::string>& parametros) {
    const Argumentos argumentos = LerArgumentos(parametros);
    InterfaceDoTerminal interface(argumentos.Marcado("--sim"), EntradaInterativa());
    return ExecutarComRelatorio(argumentos, "liberar",
                                [&](db::TModuloDados& modulo, ExecucaoRelatada& e) {
                                    AnotarConfirmacao(e, argumentos);
                                    switch (admin::Liberar(modulo, interface)) {
                                        case admin::ResultadoDaLiberacao::JaLiberado:
                                            e.desfecho = admin::kMensagemJaLiberado;
                                            break;
                                        case admin::ResultadoDaLiberacao::NaoConfirmado:
                                            e.desfecho = "Liberação não confirmada";
                                            e.classe = ClasseDoDesfecho::NaoConfirmada;
                                            return kSaidaFalha;
                                        case admin::ResultadoDaLiberacao::Liberado:
                                            e.desfecho = admin::kMensagemLiberado;
                                            break;
                                    }
                                    e.classe = ClasseDoDesfecho::Sucesso;
                                    return kSaidaSucesso;
                                });
}

int ExecutarValidar(const std::vector<std::string>& parametros) {
    const Argumentos argumentos = LerArgumentos(parametros);
    InterfaceDoTerminal interface(argumentos.Marcado("--sim"), EntradaInterativa());
    return ExecutarComRelatorio(
        argumentos, "validar", [&](db::TModuloDados& modulo, ExecucaoRelatada& e) {
            AnotarConfirmacao(e, argumentos);
            const int revisao = dicionario::DicionarioDoPrograma().RevisaoDoDicionario();
            if (!admin::PrecisaValidar(modulo, revisao, interface)) {
                e.desfecho = admin::kMensagemJaValidado;
                e.classe = ClasseDoDesfecho::Sucesso;
                return kSaidaSucesso;
            }
            if (interface.Perguntar("Validar BD", admin::TextoDaValidacao(revisao), Botoes::SimNao,
                                    Resposta::Nao) != Resposta::Sim) {
                e.desfecho = "Validação não confirmada";
                e.classe = ClasseDoDesfecho::NaoConfirmada;
                return kSaidaFalha;
            }
            db::Consulta qryComando(&modulo.Banco);
            admin::ValidarBanco(modulo, qryComando, revisao, interface);
            interface.Mostrar(TipoDeMensagem::Informacao, admin::kMensagemValidado);
            e.desfecho = admin::kMensagemValidado;
            e.classe = ClasseDoDesfecho::Sucesso;
            return kSaidaSucesso;
        });
}

const char* const kAjudaDaConfirmacao =
    "Num terminal interativo a confirmação é perguntada; sem terminal, só --sim\n"
    "confirma.\n"
    "\n"
    "Opções:\n"
    "  --sim                confirma sem perguntar\n";

std::string AjudaDaConfirmacao() {
    return std::string(kAjudaDaConfirmacao) + kAjudaDoRelatorio;
}

const RegistrarComando registroLiberar({
    "liberar",
    "tira o banco de dados da manutenção (modo de usuário único)",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli liberar [--sim] [--conexao TEXTO] [--dicionario ARQUIVO]\n"
                   "Volta o banco de dados da conexão ao modo de vários usuários, registra a\n"
                   "liberação em RegMov (Tipo 'Liberar') e no registro de status (StatusBD).\n"
                   "\n"
                   "Saída 0: banco liberado, ou já estava liberado (só a mensagem); 1: liberação\n"
                   "não confirmada ou falha, com a mensagem na saída padrão.\n") +
               AjudaDaConfirmacao() + kAjudaDaSessao;
    },
    ExecutarLiberar,
});

const RegistrarComando registroValidar({
    "validar",
    "marca o banco de dados como validado para a revisão do dicionário",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli validar [--sim] [--conexao TEXTO] [--dicionario ARQUIVO]\n"
                   "Grava a revisão do dicionário de dados em PEMPRESA.RevisaoDoBD, volta o banco\n"
                   "ao modo de vários usuários, registra a validação em RegMov (Tipo 'Validar') e\n"
                   "no registro de status (StatusBD).\n"
                   "\n"
                   "Saída 0: banco validado, ou já estava na revisão do dicionário (só a\n"
                   "mensagem); 1: validação não confirmada ou falha, com a mensagem na saída\n"
                   "padrão.\n") +
               AjudaDaConfirmacao() + kAjudaDaSessao;
    },
    ExecutarValidar,
});

}  // namespace

}  // namespace zolvek::cli
