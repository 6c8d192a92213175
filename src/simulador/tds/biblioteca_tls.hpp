#pragma once

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <string>

namespace zolvek::simulador::tds {

// The OpenSSL functions the listener's TLS calls. The library is opened when a listener
// starts with a certificate, not at the program's start: the other commands never pay
// for loading it.
struct FuncoesTls {
    decltype(&::TLS_server_method) TLS_server_method;
    decltype(&::SSL_CTX_new) SSL_CTX_new;
    decltype(&::SSL_CTX_free) SSL_CTX_free;
    decltype(&::SSL_CTX_ctrl) SSL_CTX_ctrl;
    decltype(&::SSL_CTX_set_options) SSL_CTX_set_options;
    decltype(&::SSL_CTX_use_certificate_chain_file) SSL_CTX_use_certificate_chain_file;
    decltype(&::SSL_CTX_use_PrivateKey_file) SSL_CTX_use_PrivateKey_file;
    decltype(&::SSL_CTX_check_private_key) SSL_CTX_check_private_key;
    decltype(&::SSL_new) SSL_new;
    decltype(&::SSL_free) SSL_free;
    decltype(&::SSL_set_bio) SSL_set_bio;
    decltype(&::SSL_set_accept_state) SSL_set_accept_state;
    decltype(&::SSL_do_handshake) SSL_do_handshake;
    decltype(&::SSL_get_error) SSL_get_error;
    decltype(&::SSL_read) SSL_read;
    decltype(&::SSL_write) SSL_write;
    decltype(&::SSL_pending) SSL_pending;
    decltype(&::BIO_new) BIO_new;
    decltype(&::BIO_s_mem) BIO_s_mem;
    decltype(&::BIO_new_socket) BIO_new_socket;
    decltype(&::BIO_read) BIO_read;
    decltype(&::BIO_write) BIO_write;
    decltype(&::ERR_get_error) ERR_get_error;
    decltype(&::ERR_peek_error) ERR_peek_error;
    decltype(&::ERR_error_string_n) ERR_error_string_n;
    decltype(&::ERR_clear_error) ERR_clear_error;
};

// The functions of the library `nome` (libssl, which brings libcrypto with it);
// ErroDeEntrada, saying which library and why, when it cannot be loaded or lacks one.
FuncoesTls CarregarFuncoesTls(const std::string& nome);

// The functions of the system's OpenSSL, loaded at the first call.
const FuncoesTls& Tls();

}  // namespace zolvek::simulador::tds
