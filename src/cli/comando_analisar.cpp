#include <unistd.h>

#include <fstream>
#include <iostream>

#include "analysis/analisar.hpp"
#include "cli/analise_de_varios_bancos.hpp"
#include "cli/argumentos.hpp"
#include "cli/erros_em_csv.hpp"
#include "cli/registro.hpp"
#include "cli/relatorio_do_comando.hpp"
#include "cli/sessao_cli.hpp"
#include "cli/terminal_da_analise.hpp"
#include "comum/texto.hpp"
#include "dictionary/dicionario.hpp"
#include "execucao/analise_de_um_banco.hpp"
#include "execucao/arquivos_de_saida.hpp"

namespace zolvek::cli {

namespace {

using analysis::OpcoesDaAnalise;

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

// A file option whose path is emptied now: one that cannot be written is bad usage.
std::filesystem::path ArquivoPreparado(const Argumentos& a, const std::string& opcao) {
    const auto arquivo = ArquivoDaOpcao(a, opcao);
    if (!arquivo) return {};
    try {
        execucao::PrepararArquivoDeSaida(*arquivo);
    } catch (const Erro& e) {
        throw ErroDeUso(e.what());
    }
    return *arquivo;
}

// What every run asks, from the flags (the connection string apart).
execucao::PedidoDeAnalise LerPedido(const Argumentos& a) {
    execucao::PedidoDeAnalise p;
    p.arquivoDoDicionario = ArquivoDoDicionario(a);
    p.opcoes = LerOpcoes(a, OpcoesDaAnalise().GrupoParaAcesso);
    p.grupo = a.Valor("--grupo");
    p.extras.simular = a.Marcado("--simular");
    if (const auto copia = ArquivoDaOpcao(a, "--copia-antes"))
        p.extras.copiaAntes = copia->string();
    if (ArquivoDaOpcao(a, "--script") && !p.extras.simular)
        throw ErroDeUso("A opção --script só vale com --simular");
    return p;
}

int RodarUmBanco(const Argumentos& a, execucao::PedidoDeAnalise pedido,
                 const RelatorioDoComando& relatorio) {
    pedido.cadeia = CadeiaDeConexao(a);
    pedido.arquivoDoScript = ArquivoPreparado(a, "--script");
    ConfigurarLogPeloAmbiente();
    TerminalDaAnalise terminal(a.Marcado("--sim-para-todos"), isatty(STDIN_FILENO) != 0,
                               isatty(STDERR_FILENO) != 0);
    pedido.aoConectar = [&](db::TModuloDados& modulo) { terminal.DefinirConexao(&modulo.Banco); };
    std::cerr << "Conectando..." << std::endl;
    const auto r = execucao::AnalisarBanco(pedido, terminal, dicionario::DicionarioDoPrograma());
    terminal.DefinirConexao(nullptr);
    relatorio.Gravar({r.relato});
    if (!r.resultado) {
        std::cout << r.relato.desfecho << std::endl;
    } else if (r.resultado->simulada) {
        ImprimirLinhas(std::cout, r.resultado->relatorio);
        if (!pedido.arquivoDoScript.empty())
            std::cout << "Script: " << pedido.arquivoDoScript.string() << std::endl;
    } else {
        std::cout << r.resultado->Complemento << std::endl;
        ImprimirErros(std::cout, r.resultado->erros);
    }
    if (auto arquivo = a.Valor("--erros"); arquivo && r.resultado)
        GravarErrosEmCsv(*arquivo, r.resultado->erros);
    return execucao::SaidaDaClasse(r.relato.classe);
}

void ExigirCombinacoes(const Argumentos& a) {
    if (!a.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + a.Posicionais().front());
    if (auto arquivo = a.Valor("--erros"); arquivo && arquivo->empty())
        throw ErroDeUso("A opção --erros precisa de um arquivo");
    if (a.Valor("--paralelo") && !a.Valor("--bancos"))
        throw ErroDeUso("A opção --paralelo só vale com --bancos");
    if (!a.Valor("--bancos")) return;
    if (a.Valor("--conexao"))
        throw ErroDeUso("--bancos e --conexao não vão juntas: cada linha da lista é uma conexão");
    if (a.Valor("--erros"))
        throw ErroDeUso(
            "--erros não vale com --bancos: use --relatorio, que traz os erros de "
            "cada banco");
}

int ExecutarAnalisar(const std::vector<std::string>& parametros) {
    auto comValor = OpcoesDeSessao();
    comValor.insert({"--sem", "--grupo", "--erros", "--script", "--copia-antes", kOpcaoRelatorio,
                     "--bancos", "--paralelo"});
    const Argumentos argumentos(
        parametros, comValor,
        {"--confirmar", "--nao-bloquear", "--integridade", "--sim-para-todos", "--simular"});
    ExigirCombinacoes(argumentos);
    // Bad --sem names and paths are usage errors before anything connects.
    const execucao::PedidoDeAnalise pedido = LerPedido(argumentos);
    const RelatorioDoComando relatorio(argumentos, "analisar");
    if (argumentos.Valor("--bancos")) return RodarVariosBancos(argumentos, pedido, relatorio);
    return RodarUmBanco(argumentos, pedido, relatorio);
}

const RegistrarComando registroAnalisar({
    "analisar",
    "analisa o banco de dados e o atualiza para a estrutura do dicionário",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli analisar [--conexao TEXTO] [--dicionario ARQUIVO] [OPÇÕES]\n"
                   "     zolvek-cli analisar --bancos ARQUIVO [--paralelo N] [OPÇÕES]\n"
                   "Executa o \"Analisar\" do programa com janelas: coloca o banco em acesso "
                   "único, cria\n"
                   "e altera tabelas e colunas, recria valores padrão, índices, validações,\n"
                   "relacionamentos, procedimentos e o versionamento, e registra a execução.\n"
                   "As opções começam como a janela de opções as mostra.\n"
                   "\n"
                   "Opções da análise:\n"
                   "  --confirmar          perguntar antes de alterar ou criar cada tabela\n"
                   "                       (Confirmar alteração e criação de novos campos e "
                   "tabelas)\n"
                   "  --sem OPCAO          desmarca a opção (repetível); OPCAO é o nome da caixa "
                   "sem\n"
                   "                       \"cbx\": VerificarEstrutura, RemoverIndices, "
                   "GerarIndices,\n"
                   "                       RemoverChecks, CriarChecks, RemoverDefault, "
                   "CriarDefault,\n"
                   "                       RemoverRelacionamentos, CriarRelacionamentos,\n"
                   "                       RemoverProcedimentos, CriarProcedimentos. Uma opção\n"
                   "                       \"Remover...\" só pode ser desmarcada com a sua "
                   "\"Criar...\"\n"
                   "  --grupo TEXTO        grupo para acesso (padrão: o guardado no banco, ou "
                   "PUBLIC);\n"
                   "                       fica guardado para a próxima vez\n"
                   "  --nao-bloquear       não bloquear outros acessos durante todo o processo\n"
                   "  --integridade        executar verificação completa da integridade dos dados\n"
                   "  --sim-para-todos     responde \"Sim para todos\" a todas as perguntas\n"
                   "  --erros ARQUIVO      grava os erros em CSV "
                   "(\"Tabela\",\"Campo\",\"Função\",\n"
                   "                       \"Descrição\",\"Comando\")\n"
                   "\n"
                   "Antes de alterar o banco de produção:\n"
                   "  --simular            executa a análise inteira numa transação desfeita no "
                   "fim, em\n"
                   "                       vez do acesso único: nada fica no banco e nada é "
                   "registrado\n"
                   "                       (RegMov, StatusBD, revisão). Mostra, tabela por tabela, "
                   "o que\n"
                   "                       seria criado, acrescentado, alterado (tipo de -> para, "
                   "com as\n"
                   "                       linhas que não convertem), recriado, inserido e "
                   "concedido, e\n"
                   "                       os erros que a execução teria\n"
                   "  --script ARQUIVO     (com --simular) grava os comandos que a análise "
                   "enviaria, na\n"
                   "                       ordem, cada lote terminado por GO; os que o SQL Server "
                   "não\n"
                   "                       aceita dentro de uma transação ficam comentados\n"
                   "  --copia-antes ARQUIVO\n"
                   "                       faz BACKUP DATABASE ... WITH INIT, CHECKSUM no arquivo "
                   "(do\n"
                   "                       servidor) e o verifica com RESTORE VERIFYONLY antes da "
                   "primeira\n"
                   "                       alteração; se falhar, a análise não começa\n"
                   "  --relatorio ARQUIVO  grava o relatório da execução em JSON (o esquema está "
                   "no\n"
                   "                       README)\n"
                   "\n"
                   "Vários bancos:\n"
                   "  --bancos ARQUIVO     uma cadeia de conexão por linha (linhas vazias e "
                   "começadas\n"
                   "                       por # são puladas); cada banco tem a sua conexão e a "
                   "sua\n"
                   "                       execução, e a falha de um não para os outros. "
                   "--simular,\n"
                   "                       --copia-antes e --script valem para todos (os arquivos "
                   "levam\n"
                   "                       a linha e o nome do banco: script.3.EMPRESA.sql). "
                   "Imprime uma\n"
                   "                       linha por banco e o total; a saída é a pior de todas\n"
                   "  --paralelo N         até N bancos ao mesmo tempo (padrão 1). Ctrl+C cancela "
                   "os\n"
                   "                       que estão em andamento e não inicia os que faltam\n"
                   "\n"
                   "As perguntas são feitas no terminal (Sim, Sim para todos, Não, Cancelar); sem\n"
                   "terminal e sem --sim-para-todos elas são respondidas \"Cancelar\". O progresso "
                   "vai\n"
                   "para a saída de erros; Ctrl+C cancela a análise na próxima verificação. No "
                   "fim, a\n"
                   "saída padrão recebe o resultado registrado e os erros.\n"
                   "\n"
                   "Quando a análise anterior não registrou o seu fim (interrompida no meio), "
                   "esta\n"
                   "avisa na saída padrão e processa todas as tabelas, para refazer as chaves,\n"
                   "índices, valores padrão e validações que tenham ficado removidos.\n"
                   "\n"
                   "Saída 0: executado com sucesso; 1: executado fora do padrão mínimo, com erros, "
                   "ou\n"
                   "falha ao conectar ou na cópia de segurança; 2: uso incorreto (também um "
                   "arquivo\n"
                   "de saída que não pode ser gravado); 3: análise interrompida (pergunta "
                   "cancelada,\n"
                   "acesso único recusado, erro inesperado) ou cancelada com Ctrl+C. Uma "
                   "simulação\n"
                   "sai como sairia a execução.\n"
                   "\n"
                   "Opções:\n") +
               kAjudaDaSessao;
    },
    ExecutarAnalisar,
});

}  // namespace

}  // namespace zolvek::cli
