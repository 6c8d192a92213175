#include "simulador/tds/tls.hpp"

#include "comum/erros.hpp"
#include "simulador/tds/biblioteca_tls.hpp"
#include "simulador/tds/canal.hpp"

namespace zolvek::simulador::tds {

namespace {

std::string ErroDoOpenSsl() {
    const unsigned long e = Tls().ERR_get_error();
    if (e == 0) return "erro desconhecido";
    char b[256];
    Tls().ERR_error_string_n(e, b, sizeof b);
    Tls().ERR_clear_error();
    return b;
}

}  // namespace

ContextoTls::ContextoTls(const std::string& certificado, const std::string& chave) {
    ctx_ = Tls().SSL_CTX_new(Tls().TLS_server_method());
    if (!ctx_) throw ErroDeEntrada("Não foi possível iniciar o TLS: " + ErroDoOpenSsl());
    // TDS 7.x clients speak TLS 1.2 inside PRELOGIN; session tickets would come after
    // the client has left the wrapping.
    Tls().SSL_CTX_ctrl(ctx_, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
    Tls().SSL_CTX_ctrl(ctx_, SSL_CTRL_SET_MAX_PROTO_VERSION, TLS1_2_VERSION, nullptr);
    Tls().SSL_CTX_set_options(
        ctx_, SSL_OP_NO_TICKET | SSL_OP_IGNORE_UNEXPECTED_EOF);  // a client may just close
    if (Tls().SSL_CTX_use_certificate_chain_file(ctx_, certificado.c_str()) != 1) {
        const std::string m = ErroDoOpenSsl();
        Tls().SSL_CTX_free(ctx_);
        throw ErroDeEntrada("Não foi possível ler o certificado " + certificado + ": " + m);
    }
    if (Tls().SSL_CTX_use_PrivateKey_file(ctx_, chave.c_str(), SSL_FILETYPE_PEM) != 1 ||
        Tls().SSL_CTX_check_private_key(ctx_) != 1) {
        const std::string m = ErroDoOpenSsl();
        Tls().SSL_CTX_free(ctx_);
        throw ErroDeEntrada("Não foi possível usar a chave " + chave + ": " + m);
    }
}

ContextoTls::~ContextoTls() {
    Tls().SSL_CTX_free(ctx_);
}

CamadaTls::CamadaTls(const ContextoTls& contexto) {
    ssl_ = Tls().SSL_new(contexto.Bruto());
    entrada_ = Tls().BIO_new(Tls().BIO_s_mem());
    saida_ = Tls().BIO_new(Tls().BIO_s_mem());
    if (!ssl_ || !entrada_ || !saida_) throw ErroDeProtocolo("sem memória para o TLS");
    Tls().SSL_set_bio(ssl_, entrada_, saida_);  // the session owns them now
    Tls().SSL_set_accept_state(ssl_);
}

CamadaTls::~CamadaTls() {
    Tls().SSL_free(ssl_);
}

void CamadaTls::Negociar(Canal& canal, std::size_t limite) {
    while (true) {
        MensagemTds m;
        if (!canal.Ler(m, limite))
            throw ErroDeProtocolo("o cliente fechou a conexão durante o TLS");
        if (m.tipo != kPrelogin) throw ErroDeProtocolo("pacote fora do aperto de mãos do TLS");
        Tls().BIO_write(entrada_, m.dados.data(), static_cast<int>(m.dados.size()));
        const int r = Tls().SSL_do_handshake(ssl_);
        Bytes resposta;
        char b[4096];
        int n;
        while ((n = Tls().BIO_read(saida_, b, sizeof b)) > 0)
            resposta.insert(resposta.end(), b, b + n);
        if (!resposta.empty()) canal.Enviar(kPrelogin, resposta);
        if (r == 1) break;
        if (Tls().SSL_get_error(ssl_, r) != SSL_ERROR_WANT_READ)
            throw ErroDeProtocolo("o aperto de mãos do TLS falhou: " + ErroDoOpenSsl());
    }
    // From here the records go straight over the socket.
    BIO* socket = Tls().BIO_new_socket(canal.Socket(), BIO_NOCLOSE);
    Tls().SSL_set_bio(ssl_, socket, socket);
    entrada_ = saida_ = nullptr;
}

std::size_t CamadaTls::Ler(std::uint8_t* dados, std::size_t n) {
    const int r = Tls().SSL_read(ssl_, dados, static_cast<int>(std::min<std::size_t>(n, 1 << 30)));
    if (r > 0) return static_cast<std::size_t>(r);
    const int e = Tls().SSL_get_error(ssl_, r);
    if (e == SSL_ERROR_ZERO_RETURN) return 0;
    if (e == SSL_ERROR_SYSCALL && Tls().ERR_peek_error() == 0) return 0;  // closed without notice
    throw ErroDeProtocolo("falha do TLS ao ler: " + ErroDoOpenSsl());
}

void CamadaTls::Escrever(const std::uint8_t* dados, std::size_t n) {
    if (n == 0) return;
    if (Tls().SSL_write(ssl_, dados, static_cast<int>(n)) <= 0)
        throw ErroDeProtocolo("o cliente desconectou durante a resposta (TLS): " + ErroDoOpenSsl());
}

bool CamadaTls::Pendente() const {
    return Tls().SSL_pending(ssl_) > 0;
}

}  // namespace zolvek::simulador::tds
