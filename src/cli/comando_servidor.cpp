#include <atomic>
#include <csignal>
#include <iostream>

#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "db/conector/valor.hpp"
#include "simulador/tds/servidor_tds.hpp"

namespace zolvek::cli {

namespace {

std::atomic<bool> pedidoDeParada{false};

void PedirParada(int) {
    pedidoDeParada = true;
}

int Porta(const std::string& texto) {
    std::size_t fim = 0;
    int porta = -1;
    try {
        porta = std::stoi(texto, &fim);
    } catch (const std::exception&) {
    }
    if (texto.empty() || fim != texto.size() || porta < 0 || porta > 65535)
        throw ErroDeUso("--porta precisa de um número de 0 a 65535: " + texto);
    return porta;
}

// "dd/mm/yyyy hh:nn:ss linha", one line per event, straight to standard error.
void Registrar(const std::string& linha) {
    std::cerr << db::DataHora::Agora().Texto() << " " << linha << std::endl;
}

int ExecutarServidor(const std::vector<std::string>& parametros) {
    const Argumentos argumentos(
        parametros,
        {"--pasta", "--porta", "--endereco", "--certificado", "--chave", "--versao-do-simulador"},
        {});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    simulador::tds::OpcoesDoServidorTds opcoes;
    const auto pasta = argumentos.Valor("--pasta");
    if (!pasta || pasta->empty()) throw ErroDeUso("Falta a opção --pasta");
    opcoes.pasta = *pasta;
    if (auto porta = argumentos.Valor("--porta")) opcoes.porta = Porta(*porta);
    opcoes.endereco = argumentos.Valor("--endereco").value_or(opcoes.endereco);
    opcoes.certificado = argumentos.Valor("--certificado").value_or("");
    opcoes.chave = argumentos.Valor("--chave").value_or("");
    opcoes.versaoDoSimulador = argumentos.Valor("--versao-do-simulador").value_or("");
    opcoes.registrar = Registrar;
    std::signal(SIGINT, PedirParada);
    std::signal(SIGTERM, PedirParada);
    simulador::tds::ServidorTds servidor(opcoes);
    servidor.Iniciar();
    servidor.Esperar(pedidoDeParada);
    Registrar("parando: as conexões abertas serão encerradas");
    servidor.Parar();
    return kSaidaSucesso;
}

const RegistrarComando registro({
    "servidor",
    "serve uma pasta do simulador pelo protocolo do SQL Server (TDS)",
    []() -> std::string {
        return "Uso: zolvek-cli servidor --pasta PASTA [--porta 1433] [--endereco 127.0.0.1]\n"
               "                         [--certificado ARQUIVO --chave ARQUIVO]\n"
               "                         [--versao-do-simulador VERSAO]\n"
               "Serve a pasta de um servidor simulado pela rede com o protocolo do SQL Server\n"
               "(TDS 7.4), até Ctrl+C ou SIGTERM. Qualquer cliente de SQL Server conecta com um\n"
               "login da pasta: o programa (Provider=SQLOLEDB.1;Data Source=127.0.0.1,PORTA;...),\n"
               "o tsql do FreeTDS, drivers ODBC, tedious, pymssql. Cada conexão é uma sessão do\n"
               "simulador; uma conexão que cai desfaz a transação que deixou aberta.\n"
               "Cada conexão, login recusado e erro de protocolo é uma linha na saída de erro.\n"
               "Autenticação do Windows, MARS, cursores do servidor e carga em massa (BCP) são\n"
               "recusados.\n"
               "\n"
               "Opções:\n"
               "  --pasta PASTA           a pasta do servidor simulado (criada se não existe)\n"
               "  --porta N               a porta TCP (padrão 1433; 0 escolhe uma livre)\n"
               "  --endereco IP           o endereço IPv4 de escuta (padrão 127.0.0.1, só esta\n"
               "                          máquina; 0.0.0.0 aceita conexões de outras)\n"
               "  --certificado ARQUIVO   certificado PEM para criptografia TLS\n"
               "  --chave ARQUIVO         chave privada PEM do certificado\n"
               "  --versao-do-simulador VERSAO\n"
               "                          a versão de SQL Server de uma pasta nova (10.50 a 16.0)\n"
               "\n"
               "Saída 0: parado por Ctrl+C ou SIGTERM; 1: não foi possível escutar; 2: uso\n"
               "incorreto.\n";
    },
    ExecutarServidor,
});

}  // namespace

}  // namespace zolvek::cli
