#include "simulador/motor/funcoes/funcoes_resumos.hpp"

#include <nettle/md2.h>
#include <nettle/md4.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>
#include <sqlite3.h>

#include <string>

#include "comum/biblioteca_dinamica.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/funcoes/falhas.hpp"
#include "simulador/motor/funcoes/funcoes_comuns.hpp"
#include "simulador/motor/funcoes/funcoes_texto.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"

#ifndef ZOLVEK_BIBLIOTECA_NETTLE
#define ZOLVEK_BIBLIOTECA_NETTLE "libnettle.so.8"
#endif

namespace zolvek::simulador {

namespace {

// Nettle is opened at the first digest, not linked: loading it probes the processor
// (CPUID, which traps to the hypervisor in a virtual machine) at the start of every
// program, and only HASHBYTES needs it.
struct FuncoesDoNettle {
    decltype(&nettle_md2_init) md2Init;
    decltype(&nettle_md2_update) md2Update;
    decltype(&nettle_md2_digest) md2Digest;
    decltype(&nettle_md4_init) md4Init;
    decltype(&nettle_md4_update) md4Update;
    decltype(&nettle_md4_digest) md4Digest;
    decltype(&nettle_md5_init) md5Init;
    decltype(&nettle_md5_update) md5Update;
    decltype(&nettle_md5_digest) md5Digest;
    decltype(&nettle_sha1_init) sha1Init;
    decltype(&nettle_sha1_update) sha1Update;
    decltype(&nettle_sha1_digest) sha1Digest;
    decltype(&nettle_sha256_init) sha256Init;
    decltype(&nettle_sha256_update) sha256Update;
    decltype(&nettle_sha256_digest) sha256Digest;
    decltype(&nettle_sha512_init) sha512Init;
    decltype(&nettle_sha512_update) sha512Update;
    decltype(&nettle_sha512_digest) sha512Digest;
};

FuncoesDoNettle CarregarNettle() {
    const BibliotecaDinamica b(ZOLVEK_BIBLIOTECA_NETTLE);
    FuncoesDoNettle f{};
#define ZOLVEK_LER(algoritmo, campo) \
    b.Ler(f.algoritmo##Init, "nettle_" #campo "_init"); \
    b.Ler(f.algoritmo##Update, "nettle_" #campo "_update"); \
    b.Ler(f.algoritmo##Digest, "nettle_" #campo "_digest")
    ZOLVEK_LER(md2, md2);
    ZOLVEK_LER(md4, md4);
    ZOLVEK_LER(md5, md5);
    ZOLVEK_LER(sha1, sha1);
    ZOLVEK_LER(sha256, sha256);
    ZOLVEK_LER(sha512, sha512);
#undef ZOLVEK_LER
    return f;
}

// Erro with the loader's reason when the library cannot be used (asked again next time).
const FuncoesDoNettle& Nettle() {
    static const FuncoesDoNettle funcoes = CarregarNettle();
    return funcoes;
}

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
    const bool conhecido = n == "md2" || n == "md4" || n == "md5" || n == "sha" || n == "sha1" ||
                           n == "sha2_256" || n == "sha2_512";
    if (!conhecido) return false;
    const FuncoesDoNettle& f = Nettle();
    if (n == "md2")
        r = Resumir<md2_ctx, MD2_DIGEST_SIZE>(f.md2Init, f.md2Update, f.md2Digest, bytes);
    else if (n == "md4")
        r = Resumir<md4_ctx, MD4_DIGEST_SIZE>(f.md4Init, f.md4Update, f.md4Digest, bytes);
    else if (n == "md5")
        r = Resumir<md5_ctx, MD5_DIGEST_SIZE>(f.md5Init, f.md5Update, f.md5Digest, bytes);
    else if (n == "sha" || n == "sha1")
        r = Resumir<sha1_ctx, SHA1_DIGEST_SIZE>(f.sha1Init, f.sha1Update, f.sha1Digest, bytes);
    else if (n == "sha2_256")
        r = Resumir<sha256_ctx, SHA256_DIGEST_SIZE>(f.sha256Init, f.sha256Update, f.sha256Digest,
                                                    bytes);
    else
        r = Resumir<sha512_ctx, SHA512_DIGEST_SIZE>(f.sha512Init, f.sha512Update, f.sha512Digest,
                                                    bytes);
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
    try {
        if (!ResumoPeloAlgoritmo(TextoDe(a[0]), bytes, r)) return sqlite3_result_null(c);
    } catch (const Erro& e) {
        return FalharNaFuncao(
            c, ErroDeBanco("O simulador de SQL Server não conseguiu calcular HASHBYTES: " +
                           std::string(e.what()) + "."));
    }
    sqlite3_result_blob(c, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

}  // namespace

void RegistrarFuncoesDeResumo(sqlite3* db) {
    sqlite3_create_function(db, "zv_hashbytes", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            FnHashBytes, nullptr, nullptr);
}

}  // namespace zolvek::simulador
