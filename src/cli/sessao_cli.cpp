#include "cli/sessao_cli.hpp"

#include <cstdlib>
#include <iostream>

#include "admin/conexao_do_programa.hpp"
#include "comum/erros.hpp"
#include "comum/log.hpp"

namespace zolvek::cli {

const char* const kAjudaDaSessao =
    "  --conexao TEXTO      cadeia de conexão OLE DB (key=valor;...); sem ela, a variável\n"
    "                       de ambiente ZOLVEK_CONEXAO\n"
    "  --dicionario ARQUIVO arquivo do dicionário de dados (padrão: ZAV_Molvena.DicD na\n"
    "                       pasta do programa)\n"
    "  --versao-do-simulador VERSAO\n"
    "                       versão do SQL Server (10.50, 11.0 ... 16.0) de uma pasta de\n"
    "                       servidor do simulador criada por esta conexão\n"
    "  --help               mostra esta ajuda e termina\n"
    "\n"
    "Só um usuário com atributo de 'db_owner' pode conectar.\n"
    "Mensagens e resultados vão para a saída padrão; progresso e diagnósticos para a\n"
    "saída de erros. Saída 2: uso incorreto.\n"
    "\n"
    "Variáveis de ambiente:\n"
    "  ZOLVEK_CONEXAO       cadeia de conexão quando --conexao não é dada\n"
    "  ZOLVEK_LOG           um número diferente de 0 (por exemplo 1) habilita o log\n"
    "                       (HabilitarLogZAV do programa com janelas)\n"
    "  ZOLVEK_PASTA_LOG     pasta do arquivo LogZAV.txt (PastaLogZAV); sem ela,\n"
    "                       USERPROFILE ou a pasta pessoal\n";

std::set<std::string> OpcoesDeSessao() {
    return {"--conexao", "--dicionario", "--versao-do-simulador"};
}

std::filesystem::path ArquivoDoDicionario(const Argumentos& argumentos) {
    if (auto arquivo = argumentos.Valor("--dicionario")) {
        if (arquivo->empty()) throw ErroDeUso("A opção --dicionario precisa de um arquivo");
        return *arquivo;
    }
    return admin::CaminhoDoDicionarioPadrao();
}

void ConfigurarLogPeloAmbiente() {
    log::ConfiguracaoDoLog configuracao;
    if (const char* habilitar = std::getenv("ZOLVEK_LOG"))
        configuracao.habilitarLogZAV = std::atoi(habilitar) != 0;  // non-zero is on
    if (const char* pasta = std::getenv("ZOLVEK_PASTA_LOG")) configuracao.pastaLogZAV = pasta;
    log::DefinirConfiguracaoDoLog(configuracao);
}

std::unique_ptr<db::TModuloDados> AbrirSessao(const Argumentos& argumentos,
                                              std::ostream& progresso) {
    const std::string cadeia = CadeiaDeConexao(argumentos);
    const auto dicionario = ArquivoDoDicionario(argumentos);
    ConfigurarLogPeloAmbiente();
    auto modulo = std::make_unique<db::TModuloDados>();
    progresso << "Conectando..." << std::endl;
    admin::ConectarBanco(*modulo, cadeia, dicionario);
    return modulo;
}

int ExecutarComMensagens(std::ostream& saida, const std::function<int()>& corpo) {
    try {
        return corpo();
    } catch (const ErroDeUso&) {
        throw;
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        saida << e.what() << std::endl;
        return kSaidaFalha;
    }
}

void ImprimirLinhas(std::ostream& saida, const std::vector<std::string>& linhas) {
    for (const std::string& linha : linhas) {
        std::string texto;
        for (std::size_t i = 0; i < linha.size(); ++i) {
            if (linha[i] == '\r') {
                texto += '\n';
                if (i + 1 < linha.size() && linha[i + 1] == '\n') ++i;
            } else {
                texto += linha[i];
            }
        }
        saida << texto << '\n';
    }
    saida.flush();
}

}  // namespace zolvek::cli
