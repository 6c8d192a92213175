#include "simulador/tds/canal.hpp"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace zolvek::simulador::tds {

namespace {

constexpr std::size_t kCabecalho = 8;
constexpr std::uint8_t kFimDaMensagem = 0x01;
constexpr std::uint8_t kReiniciarConexao = 0x08;
constexpr std::uint8_t kReiniciarSemTransacao = 0x10;

bool TipoConhecido(std::uint8_t tipo) {
    switch (tipo) {
        case kLoteSql:
        case kRpc:
        case kAtencao:
        case kCargaEmMassa:
        case kTransacao:
        case kLogin7:
        case kSspi:
        case kPrelogin:
            return true;
        default:
            return false;
    }
}

}  // namespace

Canal::Canal(int socket) : socket_(socket) {}

Canal::~Canal() {
    tls_.reset();
}

void Canal::LigarTls(std::unique_ptr<Cifra> tls) {
    tls_ = std::move(tls);
}

void Canal::DesligarTls() {
    tls_.reset();
}

bool Canal::ReceberBruto(std::uint8_t* dados, std::size_t n) {
    std::size_t lidos = 0;
    while (lidos < n) {
        std::size_t r;
        if (tls_) {
            r = tls_->Ler(dados + lidos, n - lidos);
        } else {
            const ssize_t k = ::recv(socket_, dados + lidos, n - lidos, 0);
            if (k < 0 && errno == EINTR) continue;
            if (k < 0)
                throw ErroDeProtocolo(std::string("falha ao ler do cliente: ") +
                                      std::strerror(errno));
            r = static_cast<std::size_t>(k);
        }
        if (r == 0) {
            if (lidos == 0) return false;
            throw ErroDeProtocolo("o cliente fechou a conexão no meio de um pacote");
        }
        lidos += r;
    }
    return true;
}

void Canal::EnviarBruto(const std::uint8_t* dados, std::size_t n) {
    if (tls_) return tls_->Escrever(dados, n);
    std::size_t enviados = 0;
    while (enviados < n) {
        const ssize_t k = ::send(socket_, dados + enviados, n - enviados, MSG_NOSIGNAL);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0)
            throw ErroDeProtocolo(std::string("o cliente desconectou durante a resposta: ") +
                                  std::strerror(errno));
        enviados += static_cast<std::size_t>(k);
    }
}

bool Canal::Ler(MensagemTds& m, std::size_t limite) {
    m.dados.clear();
    m.reiniciarConexao = false;
    bool primeiro = true;
    while (true) {
        std::uint8_t cab[kCabecalho];
        if (!ReceberBruto(cab, 1)) {
            if (primeiro) return false;
            throw ErroDeProtocolo("o cliente fechou a conexão no meio de uma mensagem");
        }
        if (!ReceberBruto(cab + 1, kCabecalho - 1))
            throw ErroDeProtocolo("o cliente fechou a conexão no meio de um cabeçalho");
        const std::uint8_t tipo = cab[0];
        const std::size_t tamanho = static_cast<std::size_t>(cab[2] << 8 | cab[3]);
        if (!TipoConhecido(tipo))
            throw ErroDeProtocolo("pacote de tipo desconhecido 0x" + std::to_string(tipo));
        if (tamanho < kCabecalho)
            throw ErroDeProtocolo("pacote com tamanho inválido (" + std::to_string(tamanho) + ")");
        if (primeiro) {
            m.tipo = tipo;
            m.reiniciarConexao = (cab[1] & (kReiniciarConexao | kReiniciarSemTransacao)) != 0;
        } else if (tipo != m.tipo) {
            throw ErroDeProtocolo("pacotes de tipos diferentes na mesma mensagem");
        }
        const std::size_t corpo = tamanho - kCabecalho;
        if (m.dados.size() + corpo > limite)
            throw ErroDeProtocolo("mensagem maior que o limite de " + std::to_string(limite) +
                                  " bytes");
        const std::size_t antes = m.dados.size();
        m.dados.resize(antes + corpo);
        if (corpo > 0 && !ReceberBruto(m.dados.data() + antes, corpo))
            throw ErroDeProtocolo("o cliente fechou a conexão no meio de um pacote");
        primeiro = false;
        if (cab[1] & kFimDaMensagem) return true;
    }
}

bool Canal::TemDadosPendentes(int esperaMs) const {
    if (tls_ && tls_->Pendente()) return true;
    pollfd p{socket_, POLLIN, 0};
    const int r = ::poll(&p, 1, esperaMs);
    return r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR));
}

void Canal::EnviarPacote(std::uint8_t tipo, const std::uint8_t* dados, std::size_t n, bool ultimo) {
    Bytes pacote(kCabecalho + n);
    pacote[0] = tipo;
    pacote[1] = ultimo ? kFimDaMensagem : 0;
    pacote[2] = static_cast<std::uint8_t>((kCabecalho + n) >> 8);
    pacote[3] = static_cast<std::uint8_t>(kCabecalho + n);
    pacote[4] = static_cast<std::uint8_t>(spid_ >> 8);
    pacote[5] = static_cast<std::uint8_t>(spid_);
    pacote[6] = numeroDoPacote_++;
    pacote[7] = 0;
    if (n) std::memcpy(pacote.data() + kCabecalho, dados, n);
    EnviarBruto(pacote.data(), pacote.size());
}

void Canal::Acumular(std::uint8_t tipo, Bytes& dados, bool ultimo) {
    const std::size_t carga = tamanhoDoPacote_ - kCabecalho;
    std::size_t enviado = 0;
    while (dados.size() - enviado > carga || (ultimo && enviado < dados.size())) {
        const std::size_t n = std::min(carga, dados.size() - enviado);
        const bool fim = ultimo && enviado + n == dados.size();
        EnviarPacote(tipo, dados.data() + enviado, n, fim);
        enviado += n;
        if (fim) break;
    }
    if (ultimo && dados.empty()) EnviarPacote(tipo, nullptr, 0, true);
    dados.erase(dados.begin(), dados.begin() + static_cast<std::ptrdiff_t>(enviado));
    if (ultimo) numeroDoPacote_ = 1;
}

void Canal::Enviar(std::uint8_t tipo, const Bytes& dados) {
    Bytes copia = dados;
    Acumular(tipo, copia, true);
}

}  // namespace zolvek::simulador::tds
