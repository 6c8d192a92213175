#include "simulador/tds/servidor_tds.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/servidor/servidor.hpp"
#include "simulador/tds/conexao_tds.hpp"
#include "simulador/tds/tls.hpp"
#include "simulador/tds/vigia_de_atencao.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr int kEsperaDoLaco = 200;  // ms between looks at the stop flag
// How long a request waits for the sessions of connections already hung up to end (one
// still running a batch finishes it first).
constexpr auto kEsperaPorDesconexao = std::chrono::seconds(2);

std::string Endereco(const sockaddr_in& a) {
    char b[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a.sin_addr, b, sizeof b);
    return std::string(b) + ":" + std::to_string(ntohs(a.sin_port));
}

}  // namespace

ServidorTds::ServidorTds(OpcoesDoServidorTds opcoes) : opcoes_(std::move(opcoes)) {}

ServidorTds::~ServidorTds() {
    Parar();
}

void ServidorTds::Registrar(const std::string& linha) {
    std::lock_guard trava(mutex_);
    if (opcoes_.registrar) opcoes_.registrar(linha);
}

void ServidorTds::Iniciar() {
    // A client that goes away mid-answer must not end the process.
    signal(SIGPIPE, SIG_IGN);
    versao_ = Servidor(opcoes_.pasta, opcoes_.versaoDoSimulador).Versao().produto;
    if (!opcoes_.certificado.empty() || !opcoes_.chave.empty()) {
        if (opcoes_.certificado.empty() || opcoes_.chave.empty())
            throw ErroDeEntrada("--certificado e --chave vão juntos");
        tls_ = std::make_unique<ContextoTls>(opcoes_.certificado, opcoes_.chave);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(opcoes_.porta));
    if (inet_pton(AF_INET, opcoes_.endereco.c_str(), &a.sin_addr) != 1)
        throw ErroDeEntrada("Endereço IPv4 inválido: " + opcoes_.endereco);
    escuta_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int um = 1;
    setsockopt(escuta_, SOL_SOCKET, SO_REUSEADDR, &um, sizeof um);
    if (::bind(escuta_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(escuta_, 128) != 0) {
        const std::string erro = std::strerror(errno);
        ::close(escuta_);
        escuta_ = -1;
        throw ErroDeEntrada("Não foi possível escutar em " + opcoes_.endereco + ":" +
                            std::to_string(opcoes_.porta) + ": " + erro);
    }
    socklen_t tamanho = sizeof a;
    getsockname(escuta_, reinterpret_cast<sockaddr*>(&a), &tamanho);
    porta_ = ntohs(a.sin_port);
    vigia_ = std::make_unique<VigiaDeAtencao>();
    aceitacao_ = std::thread([this] { Aceitar(); });
    Registrar("escutando em " + opcoes_.endereco + ":" + std::to_string(porta_) + " (pasta " +
              opcoes_.pasta + ", SQL Server " + versao_ + (tls_ ? ", com TLS)" : ")"));
}

void ServidorTds::Aceitar() {
    ConfiguracaoDaConexao c{opcoes_.pasta,
                            versao_,
                            tls_.get(),
                            opcoes_.limiteDaMensagem,
                            [this](const std::string& l) { Registrar(l); },
                            [this](int s) { EsperarDesconexoes(s); },
                            vigia_.get()};
    while (!parando_) {
        pollfd p{escuta_, POLLIN, 0};
        if (::poll(&p, 1, kEsperaDoLaco) <= 0) {
            Recolher(false);
            continue;
        }
        sockaddr_in cliente{};
        socklen_t tamanho = sizeof cliente;
        const int s =
            ::accept4(escuta_, reinterpret_cast<sockaddr*>(&cliente), &tamanho, SOCK_CLOEXEC);
        if (s < 0) continue;
        const int um = 1;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &um, sizeof um);
        std::lock_guard trava(mutex_);
        Conexao& nova = conexoes_.emplace_back();
        nova.socket = s;
        nova.thread = std::thread([this, c, s, &nova, quem = Endereco(cliente)] {
            AtenderConexao(s, quem, c);
            {
                std::lock_guard fim(mutex_);
                ::close(s);
                nova.terminada = true;
            }
            terminou_.notify_all();
        });
    }
}

// Joins the threads of connections that ended (all of them when `todas`).
void ServidorTds::Recolher(bool todas) {
    std::list<Conexao> fim;
    {
        std::lock_guard trava(mutex_);
        for (auto it = conexoes_.begin(); it != conexoes_.end();) {
            if (todas || it->terminada) {
                if (todas && !it->terminada) ::shutdown(it->socket, SHUT_RDWR);
                auto proximo = std::next(it);
                fim.splice(fim.end(), conexoes_, it);
                it = proximo;
            } else {
                ++it;
            }
        }
    }
    for (auto& c : fim) c.thread.join();
}

void ServidorTds::EsperarDesconexoes(int socketDoPedido) {
    const auto limite = std::chrono::steady_clock::now() + kEsperaPorDesconexao;
    std::unique_lock trava(mutex_);
    while (true) {
        std::vector<pollfd> abertas;
        for (const auto& c : conexoes_)
            if (!c.terminada && c.socket != socketDoPedido)
                abertas.push_back({c.socket, POLLRDHUP, 0});
        if (abertas.empty() || ::poll(abertas.data(), abertas.size(), 0) <= 0) return;
        const bool desligada = std::any_of(abertas.begin(), abertas.end(), [](const pollfd& p) {
            return (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
        });
        if (!desligada || terminou_.wait_until(trava, limite) == std::cv_status::timeout) return;
    }
}

void ServidorTds::Parar() {
    if (parando_.exchange(true)) return;
    if (aceitacao_.joinable()) aceitacao_.join();
    Recolher(true);
    if (escuta_ >= 0) ::close(escuta_);
    escuta_ = -1;
}

void ServidorTds::Esperar(const std::atomic<bool>& parar) {
    while (!parar && !parando_) ::usleep(kEsperaDoLaco * 1000);
}

}  // namespace zolvek::simulador::tds
