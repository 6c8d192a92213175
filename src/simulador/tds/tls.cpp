#include "simulador/tds/tls.hpp"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include "comum/erros.hpp"
#include "simulador/tds/canal.hpp"

namespace zolvek::simulador::tds {

namespace {

std::string ErroDoOpenSsl() {
    const unsigned long e = ERR_get_error();
    if (e == 0) return "erro desconhecido";
    char b[256];
    ERR_error_string_n(e, b, sizeof b);
    ERR_clear_error();
    return b;
}

}  // namespace

ContextoTls::ContextoTls(const std::string& certificado, const std::string& chave) {
    ctx_ = SSL_CTX_new(TLS_server_method());
    if (!ctx_) throw ErroDeEntrada("Não foi possível iniciar o TLS: " + ErroDoOpenSsl());
    // TDS 7.x clients speak TLS 1.2 inside PRELOGIN; session tickets would come after
    // the client has left the wrapping.
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_options(
        ctx_, SSL_OP_NO_TICKET | SSL_OP_IGNORE_UNEXPECTED_EOF);  // a client may just close
    if (SSL_CTX_use_certificate_chain_file(ctx_, certificado.c_str()) != 1) {
        const std::string m = ErroDoOpenSsl();
        SSL_CTX_free(ctx_);
        throw ErroDeEntrada("Não foi possível ler o certificado " + certificado + ": " + m);
    }
    if (SSL_CTX_use_PrivateKey_file(ctx_, chave.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(ctx_) != 1) {
        const std::string m = ErroDoOpenSsl();
        SSL_CTX_free(ctx_);
        throw ErroDeEntrada("Não foi possível usar a chave " + chave + ": " + m);
    }
}

ContextoTls::~ContextoTls() {
    SSL_CTX_free(ctx_);
}

CamadaTls::CamadaTls(const ContextoTls& contexto) {
    ssl_ = SSL_new(contexto.Bruto());
    entrada_ = BIO_new(BIO_s_mem());
    saida_ = BIO_new(BIO_s_mem());
    if (!ssl_ || !entrada_ || !saida_) throw ErroDeProtocolo("sem memória para o TLS");
    SSL_set_bio(ssl_, entrada_, saida_);  // the session owns them now
    SSL_set_accept_state(ssl_);
}

CamadaTls::~CamadaTls() {
    SSL_free(ssl_);
}

void CamadaTls::Negociar(Canal& canal, std::size_t limite) {
    while (true) {
        MensagemTds m;
        if (!canal.Ler(m, limite))
            throw ErroDeProtocolo("o cliente fechou a conexão durante o TLS");
        if (m.tipo != kPrelogin) throw ErroDeProtocolo("pacote fora do aperto de mãos do TLS");
        BIO_write(entrada_, m.dados.data(), static_cast<int>(m.dados.size()));
        const int r = SSL_do_handshake(ssl_);
        Bytes resposta;
        char b[4096];
        int n;
        while ((n = BIO_read(saida_, b, sizeof b)) > 0) resposta.insert(resposta.end(), b, b + n);
        if (!resposta.empty()) canal.Enviar(kPrelogin, resposta);
        if (r == 1) break;
        if (SSL_get_error(ssl_, r) != SSL_ERROR_WANT_READ)
            throw ErroDeProtocolo("o aperto de mãos do TLS falhou: " + ErroDoOpenSsl());
    }
    // From here the records go straight over the socket.
    BIO* socket = BIO_new_socket(canal.Socket(), BIO_NOCLOSE);
    SSL_set_bio(ssl_, socket, socket);
    entrada_ = saida_ = nullptr;
}

std::size_t CamadaTls::Ler(std::uint8_t* dados, std::size_t n) {
    const int r = SSL_read(ssl_, dados, static_cast<int>(std::min<std::size_t>(n, 1 << 30)));
    if (r > 0) return static_cast<std::size_t>(r);
    const int e = SSL_get_error(ssl_, r);
    if (e == SSL_ERROR_ZERO_RETURN) return 0;
    if (e == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) return 0;  // closed without notice
    throw ErroDeProtocolo("falha do TLS ao ler: " + ErroDoOpenSsl());
}

void CamadaTls::Escrever(const std::uint8_t* dados, std::size_t n) {
    if (n == 0) return;
    if (SSL_write(ssl_, dados, static_cast<int>(n)) <= 0)
        throw ErroDeProtocolo("o cliente desconectou durante a resposta (TLS): " + ErroDoOpenSsl());
}

bool CamadaTls::Pendente() const {
    return SSL_pending(ssl_) > 0;
}

}  // namespace zolvek::simulador::tds
