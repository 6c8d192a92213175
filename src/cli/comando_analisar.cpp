#include <unistd.h>

#include <fstream>
#include <iostream>

#include "analysis/analisar.hpp"
#include "analysis/grupo_para_acesso.hpp"
#include "cli/argumentos.hpp"
#include "cli/erros_em_csv.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"
#include "cli/terminal_da_analise.hpp"
#include "comum/texto.hpp"
#include "dictionary/dicionario.hpp"

namespace zolvek::cli {

namespace {

using analysis::ClassificacaoDaAnalise;
using analysis::OpcoesDaAnalise;

// Aborted (a question answered "Cancelar", the single-user switch refused, an error
// that ended the run) or cancelled with Ctrl+C.
constexpr int kSaidaInterrompida = 3;

// The removal box that the dialog ticks and disables while its creation box is ticked.
const char* CaixaQueExige(const std::string& nome) {
    static const std::pair<const char*, const char*> kPares[] = {
        {"RemoverIndices", "GerarIndices"},
        {"RemoverRelacionamentos", "CriarRelacionamentos"},
        {"RemoverChecks", "CriarChecks"},
        {"RemoverDefault", "CriarDefault"},
    };
    for (const auto& [remover, criar] : kPares)
        if (texto::IguaisSemCaixa(nome, remover)) return criar;
    return nullptr;
}

// The options: the dialog's initial states changed by the flags.
OpcoesDaAnalise LerOpcoes(const Argumentos& a, const std::string& grupoGuardado) {
    OpcoesDaAnalise o;
    o.GrupoParaAcesso = grupoGuardado;
    if (a.Marcado("--confirmar")) o.ConfirmarAlteracao = true;
    if (a.Marcado("--nao-bloquear")) o.NaoBloquear = true;
    if (a.Marcado("--integridade")) o.VerificarIntegridade = true;
    if (auto grupo = a.Valor("--grupo")) o.GrupoParaAcesso = *grupo;
    const auto sem = a.Valores("--sem");
    for (const std::string& nome : sem) {
        bool* caixa = analysis::OpcaoPeloNome(o, nome);
        if (!caixa) throw ErroDeUso("Opção da análise desconhecida em --sem: " + nome);
        *caixa = false;
    }
    for (const std::string& nome : sem)
        if (const char* criar = CaixaQueExige(nome); criar && *analysis::OpcaoPeloNome(o, criar))
            throw ErroDeUso("--sem " + nome + " exige também --sem " + criar +
                            ": criar um objeto sempre o remove antes");
    o.AplicarAcoplamento();
    return o;
}

void ImprimirErros(std::ostream& saida, const std::vector<LinhaDeErro>& erros) {
    for (std::size_t i = 0; i < erros.size(); ++i) {
        const LinhaDeErro& e = erros[i];
        saida << "Erro " << i + 1 << "\n"
              << "  Tabela=" << e.tabela << "\n  Campo=" << e.campo << "\n  Função=" << e.funcao
              << "\n  Descrição=" << e.descricao << "\n  Comando=" << e.comando << "\n";
    }
    saida.flush();
}

int Saida(ClassificacaoDaAnalise c) {
    switch (c) {
        case ClassificacaoDaAnalise::Sucesso:
            return kSaidaSucesso;
        case ClassificacaoDaAnalise::Cancelada:
            return kSaidaInterrompida;
        case ClassificacaoDaAnalise::ForaDoPadrao:
        case ClassificacaoDaAnalise::ComErros:
            break;
    }
    return kSaidaFalha;
}

int RodarAnalise(const Argumentos& argumentos, db::TModuloDados& modulo) {
    const OpcoesDaAnalise opcoes = LerOpcoes(argumentos, analysis::LerGrupoParaAcesso(modulo));
    if (argumentos.Valor("--grupo"))
        analysis::GravarGrupoParaAcesso(modulo, opcoes.GrupoParaAcesso);
    TerminalDaAnalise terminal(modulo.Banco, argumentos.Marcado("--sim-para-todos"),
                               isatty(STDIN_FILENO) != 0, isatty(STDERR_FILENO) != 0);
    analysis::ResultadoDaAnalise resultado;
    try {
        resultado = analysis::Analisar(modulo, dicionario::DicionarioDoPrograma(),
                                       ArquivoDoDicionario(argumentos), opcoes, terminal);
    } catch (const Cancelamento&) {
        std::cout << "Análise interrompida: nada foi registrado" << std::endl;
        return kSaidaInterrompida;
    } catch (const Erro& e) {
        std::cout << e.what() << "\nAnálise interrompida: nada foi registrado" << std::endl;
        return kSaidaInterrompida;
    }
    std::cout << resultado.Complemento << std::endl;
    ImprimirErros(std::cout, resultado.erros);
    if (auto arquivo = argumentos.Valor("--erros")) GravarErrosEmCsv(*arquivo, resultado.erros);
    return Saida(resultado.classificacao);
}

int ExecutarAnalisar(const std::vector<std::string>& parametros) {
    auto comValor = OpcoesDeSessao();
    comValor.insert({"--sem", "--grupo", "--erros"});
    const Argumentos argumentos(
        parametros, comValor,
        {"--confirmar", "--nao-bloquear", "--integridade", "--sim-para-todos"});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    if (auto arquivo = argumentos.Valor("--erros"); arquivo && arquivo->empty())
        throw ErroDeUso("A opção --erros precisa de um arquivo");
    {
        OpcoesDaAnalise teste;  // bad --sem names are usage errors before connecting
        LerOpcoes(argumentos, teste.GrupoParaAcesso);
    }
    return ExecutarComMensagens(std::cout, [&] {
        auto modulo = AbrirSessao(argumentos, std::cerr);
        return RodarAnalise(argumentos, *modulo);
    });
}

const RegistrarComando registro({
    "analisar",
    "analisa o banco de dados e o atualiza para a estrutura do dicionário",
    std::string(
        "Uso: zolvek-cli analisar [--conexao TEXTO] [--dicionario ARQUIVO] [OPÇÕES]\n"
        "Executa o \"Analisar\" do programa com janelas: coloca o banco em acesso único, cria\n"
        "e altera tabelas e colunas, recria valores padrão, índices, validações,\n"
        "relacionamentos, procedimentos e o versionamento, e registra a execução.\n"
        "As opções começam como a janela de opções as mostra.\n"
        "\n"
        "Opções da análise:\n"
        "  --confirmar          perguntar antes de alterar ou criar cada tabela\n"
        "                       (Confirmar alteração e criação de novos campos e tabelas)\n"
        "  --sem OPCAO          desmarca a opção (repetível); OPCAO é o nome da caixa sem\n"
        "                       \"cbx\": VerificarEstrutura, RemoverIndices, GerarIndices,\n"
        "                       RemoverChecks, CriarChecks, RemoverDefault, CriarDefault,\n"
        "                       RemoverRelacionamentos, CriarRelacionamentos,\n"
        "                       RemoverProcedimentos, CriarProcedimentos. Uma opção\n"
        "                       \"Remover...\" só pode ser desmarcada com a sua \"Criar...\"\n"
        "  --grupo TEXTO        grupo para acesso (padrão: o guardado no banco, ou PUBLIC);\n"
        "                       fica guardado para a próxima vez\n"
        "  --nao-bloquear       não bloquear outros acessos durante todo o processo\n"
        "  --integridade        executar verificação completa da integridade dos dados\n"
        "  --sim-para-todos     responde \"Sim para todos\" a todas as perguntas\n"
        "  --erros ARQUIVO      grava os erros em CSV (\"Tabela\",\"Campo\",\"Função\",\n"
        "                       \"Descrição\",\"Comando\")\n"
        "\n"
        "As perguntas são feitas no terminal (Sim, Sim para todos, Não, Cancelar); sem\n"
        "terminal e sem --sim-para-todos elas são respondidas \"Cancelar\". O progresso vai\n"
        "para a saída de erros; Ctrl+C cancela a análise na próxima verificação. No fim, a\n"
        "saída padrão recebe o resultado registrado e os erros.\n"
        "\n"
        "Quando a análise anterior não registrou o seu fim (interrompida no meio), esta\n"
        "avisa na saída padrão e processa todas as tabelas, para refazer as chaves,\n"
        "índices, valores padrão e validações que tenham ficado removidos.\n"
        "\n"
        "Saída 0: executado com sucesso; 1: executado fora do padrão mínimo, com erros, ou\n"
        "falha ao conectar; 3: análise interrompida (pergunta cancelada, acesso único\n"
        "recusado, erro inesperado) ou cancelada com Ctrl+C.\n"
        "\n"
        "Opções:\n") +
        kAjudaDaSessao,
    ExecutarAnalisar,
});

}  // namespace

}  // namespace zolvek::cli
