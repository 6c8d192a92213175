#include <charconv>
#include <iostream>

#include "admin/novo_banco.hpp"
#include "admin/restaurar_copia.hpp"
#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"

namespace zolvek::cli {

namespace {

std::string Exigir(const Argumentos& argumentos, const std::string& opcao) {
    auto valor = argumentos.Valor(opcao);
    if (!valor) throw ErroDeUso("Falta a opção " + opcao);
    return *valor;
}

int TamanhoMaximoDoLog(const std::string& texto) {
    int valor = 0;
    const auto fim = texto.data() + texto.size();
    const auto [resto, erro] = std::from_chars(texto.data(), fim, valor);
    if (texto.empty() || erro != std::errc() || resto != fim || valor < 5 || valor > 500)
        throw ErroDeUso("--log-maximo precisa de um número inteiro de 5 a 500: " + texto);
    return valor;
}

void RecusarPosicionais(const Argumentos& argumentos) {
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
}

int ExecutarNovo(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(
        parametros, {"--servidor", "--nome", "--pasta", "--log-maximo", "--login", "--senha"}, {});
    RecusarPosicionais(argumentos);
    admin::DadosDoNovoBanco dados;
    dados.servidor = Exigir(argumentos, "--servidor");
    dados.nome = Exigir(argumentos, "--nome");
    dados.pasta = argumentos.Valor("--pasta").value_or(dados.pasta);
    if (auto log = argumentos.Valor("--log-maximo"))
        dados.tamanhoMaximoDoLog = TamanhoMaximoDoLog(*log);
    dados.login = argumentos.Valor("--login").value_or(dados.login);
    dados.senha = argumentos.Valor("--senha").value_or("");
    if (!admin::PodeCriarBanco(dados.nome, dados.servidor))
        throw ErroDeUso("O nome do banco de dados e o servidor não podem ficar em branco");
    return ExecutarComMensagens(std::cout, [&] {
        admin::CriarNovoBanco(dados);
        std::cout << admin::kMensagemBancoCriado << std::endl;
        return kSaidaSucesso;
    });
}

int ExecutarRestaurar(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(parametros,
                                {"--arquivo", "--destino", "--servidor", "--login", "--senha"}, {});
    RecusarPosicionais(argumentos);
    admin::DadosDaRestauracao dados;
    dados.arquivo = Exigir(argumentos, "--arquivo");
    dados.destino = Exigir(argumentos, "--destino");
    dados.servidor = Exigir(argumentos, "--servidor");
    dados.login = argumentos.Valor("--login").value_or(dados.login);
    dados.senha = argumentos.Valor("--senha").value_or("");
    if (!admin::PodeRestaurar(dados.arquivo, dados.destino, dados.servidor))
        throw ErroDeUso(
            "O arquivo origem, o banco de dados destino e o servidor não podem ficar "
            "em branco");
    return ExecutarComMensagens(std::cout, [&] {
        admin::RestaurarCopia(dados);
        std::cout << admin::kMensagemCopiaRestaurada << std::endl;
        return kSaidaSucesso;
    });
}

const char* const kAjudaDoServidor =
    "Para o simulador, SERVIDOR é a pasta do servidor simulado.\n"
    "\n"
    "Saída 0: sucesso; 1: recusado pelo servidor ou pelo programa, com a mensagem na\n"
    "saída padrão; 2: uso incorreto.\n";

const RegistrarComando registroNovo({
    "novo",
    "cria um banco de dados vazio num servidor",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli novo --servidor SERVIDOR --nome NOME [--pasta PASTA]\n"
                   "                      [--log-maximo MB] [--login LOGIN] [--senha SENHA]\n"
                   "Cria o banco de dados NOME no servidor (conectando ao banco master), com o\n"
                   "arquivo de dados PASTA\\NOME_dat.mdf (10 MB, sem limite) e o de 'log'\n"
                   "PASTA\\NOME_log.ldf (5 MB, até MB megabytes), e liga as opções \"select\n"
                   "into/bulkcopy\", \"trunc. log on chkpt.\" e \"autoshrink\" (a partir do SQL\n"
                   "Server 2012: RECOVERY SIMPLE e AUTO_SHRINK ON).\n"
                   "\n"
                   "Opções:\n"
                   "  --servidor SERVIDOR  o servidor SQL Server\n"
                   "  --nome NOME          o nome do novo banco de dados\n"
                   "  --pasta PASTA        pasta dos arquivos no servidor (padrão: ") +
               admin::kPastaPadraoDoNovoBanco +
               ")\n"
               "  --log-maximo MB      tamanho máximo do arquivo de 'log', 5 a 500 (padrão: 100)\n"
               "  --login LOGIN        login do administrador (padrão: sa; vazio: autenticação\n"
               "                       do Windows)\n"
               "  --senha SENHA        senha do administrador\n"
               "  --help               mostra esta ajuda e termina\n\n" +
               kAjudaDoServidor;
    },
    ExecutarNovo,
});

const RegistrarComando registroRestaurar({
    "restaurar",
    "restaura uma cópia de segurança sobre um banco de dados existente",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli restaurar --arquivo ARQUIVO --destino BANCO --servidor "
                   "SERVIDOR\n"
                   "                          [--login LOGIN] [--senha SENHA]\n"
                   "Restaura a cópia de segurança ARQUIVO (caminho como o servidor o vê) sobre o\n"
                   "banco de dados BANCO, que já precisa existir: todas as informações dele são\n"
                   "perdidas. O arquivo de dados da cópia vai para o arquivo de dados atual do\n"
                   "destino e o de 'log' para o de 'log'; uma cópia ou um destino com mais de um\n"
                   "arquivo de um tipo é recusado antes de qualquer restauração.\n"
                   "\n"
                   "Opções:\n"
                   "  --arquivo ARQUIVO    a cópia de segurança\n"
                   "  --destino BANCO      o banco de dados destino\n"
                   "  --servidor SERVIDOR  o servidor SQL Server\n"
                   "  --login LOGIN        login do administrador (padrão: sa)\n"
                   "  --senha SENHA        senha do administrador\n"
                   "  --help               mostra esta ajuda e termina\n\n") +
               kAjudaDoServidor;
    },
    ExecutarRestaurar,
});

}  // namespace

}  // namespace zolvek::cli
