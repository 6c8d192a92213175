#include <unistd.h>

#include <iostream>

#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/relatorio_do_comando.hpp"
#include "cli/sessao_cli.hpp"
#include "cli/terminal_da_manutencao.hpp"
#include "dictionary/dicionario.hpp"
#include "maintenance/atualizar_impostos_dos_itens.hpp"
#include "maintenance/importar_outro_banco.hpp"

// zolvek-cli atualizar-tributos and zolvek-cli importar.
namespace zolvek::cli {

namespace {

void ExigirSemPosicionais(const Argumentos& a) {
    if (!a.Posicionais().empty()) throw ErroDeUso("Argumento inesperado: " + a.Posicionais()[0]);
    if (auto arquivo = a.Valor("--erros"); arquivo && arquivo->empty())
        throw ErroDeUso("A opção --erros precisa de um arquivo");
}

std::string ArquivoDeErros(const Argumentos& a) {
    return a.Valor("--erros").value_or("");
}

using execucao::ClasseDoDesfecho;
using execucao::ExecucaoRelatada;

// The outcome of a finished maintenance run, as the report tells it.
ClasseDoDesfecho ClasseDaManutencao(bool cancelada, int erros) {
    if (cancelada) return ClasseDoDesfecho::Cancelada;
    return erros == 0 ? ClasseDoDesfecho::Sucesso : ClasseDoDesfecho::ComErros;
}

int RodarAtualizacao(const Argumentos& argumentos, db::TModuloDados& modulo, ExecucaoRelatada& e) {
    TerminalDaManutencao terminal(argumentos.Marcado("--sim"), isatty(STDIN_FILENO) != 0);
    terminal.DefinirConexao(&modulo.Banco);
    e.opcoes = {{"sim", argumentos.Marcado("--sim") ? "Sim" : "Não"}};
    if (terminal.Perguntar(manutencao::kTituloDaConfirmacao, manutencao::kTextoDaConfirmacao,
                           Botoes::OkCancelar, Resposta::Cancelar) != Resposta::Ok) {
        e.desfecho = "Atualização não iniciada";
        e.classe = ClasseDoDesfecho::NaoConfirmada;
        std::cout << e.desfecho << std::endl;
        return kSaidaInterrompidaManutencao;
    }
    manutencao::ResultadoDaAtualizacao r;
    e.classe = ClasseDoDesfecho::Interrompida;
    try {
        r = manutencao::AtualizarImpostosDosItens(modulo.Banco, terminal);
    } catch (const Cancelamento&) {
        e.desfecho = "Atualização interrompida: nada foi registrado";
        std::cout << e.desfecho << std::endl;
        return kSaidaInterrompidaManutencao;
    } catch (const Erro& x) {
        e.desfecho = std::string(x.what()) + "\nAtualização interrompida: nada foi registrado";
        std::cout << e.desfecho << std::endl;
        return kSaidaInterrompidaManutencao;
    }
    e.desfecho = r.desfecho;
    e.classe = ClasseDaManutencao(r.cancelada, r.erros);
    e.erros = terminal.Erros();
    e.contagens.itens = r.itens;
    std::cout << r.desfecho << std::endl;
    terminal.ImprimirErros(ArquivoDeErros(argumentos));
    return execucao::SaidaDaClasse(e.classe);
}

int ExecutarAtualizarTributos(const std::vector<std::string>& parametros) {
    auto comValor = OpcoesDeSessao();
    comValor.insert({"--erros", kOpcaoRelatorio});
    const Argumentos argumentos(parametros, comValor, {"--sim"});
    ExigirSemPosicionais(argumentos);
    if (!argumentos.Marcado("--sim") && isatty(STDIN_FILENO) == 0)
        throw ErroDeUso("Sem terminal para confirmar a atualização: use --sim");
    return ExecutarComRelatorio(argumentos, "atualizar-tributos",
                                [&](db::TModuloDados& modulo, ExecucaoRelatada& e) {
                                    return RodarAtualizacao(argumentos, modulo, e);
                                });
}

int RodarImportacao(const Argumentos& argumentos, db::TModuloDados& modulo, ExecucaoRelatada& e) {
    TerminalDaManutencao terminal(true, false);
    e.opcoes = {{"acrescentar", argumentos.Marcado("--acrescentar") ? "Sim" : "Não"}};
    manutencao::ResultadoDaImportacao r;
    try {
        r = manutencao::ImportarDeOutroBanco(modulo.Banco, dicionario::DicionarioDoPrograma(),
                                             *argumentos.Valor("--origem"),
                                             argumentos.Marcado("--acrescentar"), terminal);
    } catch (const Erro& x) {
        e.classe = ClasseDoDesfecho::Interrompida;
        e.desfecho = std::string(x.what()) + "\nImportação interrompida";
        e.erros = terminal.Erros();
        std::cout << e.desfecho << std::endl;
        return kSaidaInterrompidaManutencao;
    }
    e.desfecho = std::string(r.cancelada ? "Importação cancelada, " : "Importação concluída, ") +
                 std::to_string(r.erros) + " erro(s)";
    e.classe = ClasseDaManutencao(r.cancelada, r.erros);
    e.erros = terminal.Erros();
    e.contagens.linhas = r.linhas;
    std::cout << e.desfecho << std::endl;
    terminal.ImprimirErros(ArquivoDeErros(argumentos));
    return execucao::SaidaDaClasse(e.classe);
}

int ExecutarImportar(const std::vector<std::string>& parametros) {
    auto comValor = OpcoesDeSessao();
    comValor.insert({"--erros", "--origem", kOpcaoRelatorio});
    const Argumentos argumentos(parametros, comValor, {"--acrescentar"});
    ExigirSemPosicionais(argumentos);
    const auto origem = argumentos.Valor("--origem");
    if (!origem || origem->empty())
        throw ErroDeUso("Informe a conexão do banco de dados origem com --origem");
    return ExecutarComRelatorio(argumentos, "importar",
                                [&](db::TModuloDados& modulo, ExecucaoRelatada& e) {
                                    return RodarImportacao(argumentos, modulo, e);
                                });
}

const char* const kSaidas =
    "Saída 0: executado sem erros; 1: executado até o fim com erros (ou falha ao\n"
    "conectar); 2: uso incorreto; 3: interrompido ou cancelado (Ctrl+C).\n";

const RegistrarComando registroAtualizar({
    "atualizar-tributos",
    "preenche os tributos que faltam nos itens das entradas e saídas",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli atualizar-tributos [--conexao TEXTO] [--sim] [--erros "
                   "ARQUIVO]\n"
                   "Executa o \"Atualizar tributos dos itens...\" do programa com janelas: coloca "
                   "o\n"
                   "banco em acesso único e calcula ICMS, substituição, IPI e os valores dos "
                   "livros\n"
                   "fiscais dos itens de DOCRECIT e DOCPAGIT em que BASECALC ou BASEIPI está "
                   "vazio,\n"
                   "gravando só as colunas vazias, um item por transação. O banco fica em acesso\n"
                   "único (use \"Liberar\" depois). Ctrl+C cancela entre um item e outro.\n"
                   "\n") +
               kSaidas +
               "\n"
               "Opções:\n"
               "  --sim                inicia sem perguntar (sem ela, pergunta no terminal)\n"
               "  --erros ARQUIVO      grava a lista de erros em CSV (Tabela, Campo, Função,\n"
               "                       Descrição, Comando)\n" +
               kAjudaDoRelatorio + kAjudaDaSessao;
    },
    ExecutarAtualizarTributos,
});

const RegistrarComando registroImportar({
    "importar",
    "copia as linhas das tabelas do dicionário de outro banco de dados",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli importar [--conexao DESTINO] --origem ORIGEM [--acrescentar]\n"
                   "                        [--erros ARQUIVO]\n"
                   "Executa o \"Importar dados...\" do programa com janelas: para cada tabela do\n"
                   "dicionário copia as linhas do banco ORIGEM para o banco da conexão, casando "
                   "as\n"
                   "colunas pelo nome e mantendo os valores de identidade. Sem --acrescentar, uma\n"
                   "tabela só é copiada se no destino estiver vazia ou tiver uma única linha (que "
                   "é\n"
                   "apagada antes). Nada é feito em transação: o que foi copiado fica.\n"
                   "\n") +
               kSaidas +
               "\n"
               "Opções:\n"
               "  --origem TEXTO       cadeia de conexão OLE DB do banco de dados origem\n"
               "  --acrescentar        acrescenta às linhas que o destino já tem\n"
               "  --erros ARQUIVO      grava a lista de erros em CSV (Tabela, Campo, Função,\n"
               "                       Descrição, Comando)\n" +
               kAjudaDoRelatorio + kAjudaDaSessao;
    },
    ExecutarImportar,
});

}  // namespace

}  // namespace zolvek::cli
