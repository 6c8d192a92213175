#include "simulador/servidor/resumo.hpp"

#include <sodium.h>

namespace zolvek::simulador::interno {

std::string ResumoSha256(std::string_view dados) {
    unsigned char resumo[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(resumo, reinterpret_cast<const unsigned char*>(dados.data()), dados.size());
    char hex[crypto_hash_sha256_BYTES * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, resumo, sizeof resumo);
    return hex;
}

}  // namespace zolvek::simulador::interno
