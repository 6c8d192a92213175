#include "simulador/motor/funcoes/funcoes_resumos.hpp"

#include <nettle/md2.h>
#include <nettle/md4.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>
#include <sqlite3.h>

#include <string>

#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_texto.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

template <class Contexto, std::size_t Tamanho>
std::string Resumir(void (*iniciar)(Contexto*),
                    void (*atualizar)(Contexto*, std::size_t, const std::uint8_t*),
                    void (*concluir)(Contexto*, std::size_t, std::uint8_t*),
                    const std::string& bytes) {
    Contexto ctx;
    iniciar(&ctx);
    atualizar(&ctx, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    std::uint8_t saida[Tamanho];
    concluir(&ctx, Tamanho, saida);
    return std::string(reinterpret_cast<char*>(saida), Tamanho);
}

// The digest of `bytes` by SQL Server 2012's algorithm `nome`; false for another name.
bool ResumoPeloAlgoritmo(const std::string& nome, const std::string& bytes, std::string& r) {
    const std::string n = Dobrar(nome);
    if (n == "md2")
        r = Resumir<md2_ctx, MD2_DIGEST_SIZE>(md2_init, md2_update, md2_digest, bytes);
    else if (n == "md4")
        r = Resumir<md4_ctx, MD4_DIGEST_SIZE>(md4_init, md4_update, md4_digest, bytes);
    else if (n == "md5")
        r = Resumir<md5_ctx, MD5_DIGEST_SIZE>(md5_init, md5_update, md5_digest, bytes);
    else if (n == "sha" || n == "sha1")
        r = Resumir<sha1_ctx, SHA1_DIGEST_SIZE>(sha1_init, sha1_update, sha1_digest, bytes);
    else if (n == "sha2_256")
        r = Resumir<sha256_ctx, SHA256_DIGEST_SIZE>(sha256_init, sha256_update, sha256_digest,
                                                    bytes);
    else if (n == "sha2_512")
        r = Resumir<sha512_ctx, SHA512_DIGEST_SIZE>(sha512_init, sha512_update, sha512_digest,
                                                    bytes);
    else
        return false;
    return true;
}

// zv_hashbytes(algoritmo, valor, nacional): `nacional` 1 for an nvarchar value.
void FnHashBytes(sqlite3_context* c, int, sqlite3_value** a) {
    if (sqlite3_value_type(a[0]) == SQLITE_NULL || sqlite3_value_type(a[1]) == SQLITE_NULL)
        return sqlite3_result_null(c);
    std::string bytes;
    if (sqlite3_value_type(a[1]) == SQLITE_BLOB)
        bytes = TextoDe(a[1]);
    else if (sqlite3_value_type(a[1]) == SQLITE_TEXT)
        bytes = sqlite3_value_int(a[2]) ? BytesDeNvarchar(TextoDe(a[1]))
                                        : BytesDeVarchar(TextoDe(a[1]));
    else
        return FalharNaFuncao(c, ErroDoServidor(8116, {"int", "2", "hashbytes"}));
    // SQL Server 2012 takes at most 8 000 bytes
    if (bytes.size() > 8000) return FalharNaFuncao(c, ErroDoServidor(8152));
    std::string r;
    if (!ResumoPeloAlgoritmo(TextoDe(a[0]), bytes, r)) return sqlite3_result_null(c);
    sqlite3_result_blob(c, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

}  // namespace

void RegistrarFuncoesDeResumo(sqlite3* db) {
    sqlite3_create_function(db, "zv_hashbytes", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            FnHashBytes, nullptr, nullptr);
}

}  // namespace zolvek::simulador
