#include "simulador/tds/biblioteca_tls.hpp"

#include "comum/biblioteca_dinamica.hpp"
#include "comum/erros.hpp"

#ifndef ZOLVEK_BIBLIOTECA_TLS
#define ZOLVEK_BIBLIOTECA_TLS "libssl.so.3"
#endif

namespace zolvek::simulador::tds {

FuncoesTls CarregarFuncoesTls(const std::string& nome) {
    try {
        // libcrypto's functions are found through libssl, which depends on it.
        const BibliotecaDinamica b(nome);
        FuncoesTls f{};
#define ZOLVEK_LER(funcao) b.Ler(f.funcao, #funcao)
        ZOLVEK_LER(TLS_server_method);
        ZOLVEK_LER(SSL_CTX_new);
        ZOLVEK_LER(SSL_CTX_free);
        ZOLVEK_LER(SSL_CTX_ctrl);
        ZOLVEK_LER(SSL_CTX_set_options);
        ZOLVEK_LER(SSL_CTX_use_certificate_chain_file);
        ZOLVEK_LER(SSL_CTX_use_PrivateKey_file);
        ZOLVEK_LER(SSL_CTX_check_private_key);
        ZOLVEK_LER(SSL_new);
        ZOLVEK_LER(SSL_free);
        ZOLVEK_LER(SSL_set_bio);
        ZOLVEK_LER(SSL_set_accept_state);
        ZOLVEK_LER(SSL_do_handshake);
        ZOLVEK_LER(SSL_get_error);
        ZOLVEK_LER(SSL_read);
        ZOLVEK_LER(SSL_write);
        ZOLVEK_LER(SSL_pending);
        ZOLVEK_LER(BIO_new);
        ZOLVEK_LER(BIO_s_mem);
        ZOLVEK_LER(BIO_new_socket);
        ZOLVEK_LER(BIO_read);
        ZOLVEK_LER(BIO_write);
        ZOLVEK_LER(ERR_get_error);
        ZOLVEK_LER(ERR_peek_error);
        ZOLVEK_LER(ERR_error_string_n);
        ZOLVEK_LER(ERR_clear_error);
#undef ZOLVEK_LER
        return f;
    } catch (const Erro& e) {  // the loader's reason, told as this backend's failure
        throw ErroDeEntrada("Não foi possível iniciar o TLS: " + std::string(e.what()));
    }
}

const FuncoesTls& Tls() {
    static const FuncoesTls funcoes = CarregarFuncoesTls(ZOLVEK_BIBLIOTECA_TLS);
    return funcoes;
}

}  // namespace zolvek::simulador::tds
