#include <gtest/gtest.h>
#include <sodium.h>
#include <sqlite3.h>

#include <string>

#include "comum/erros.hpp"
#include "simulador/servidor_apoio.hpp"

using zolvek::simulador::Servidor;

using SenhasDosLogins = PastaDeServidor;

namespace {

// The stored hash of a login, read straight from the folder's state file.
std::string SenhaGuardada(const std::filesystem::path& pasta, const std::string& chave) {
    sqlite3* db = nullptr;
    sqlite3_open((pasta / "servidor.sqlite").string().c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT senha FROM srv_logins WHERE chave = ?", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, chave.c_str(), -1, SQLITE_TRANSIENT);
    std::string r;
    if (sqlite3_step(st) == SQLITE_ROW)
        r = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return r;
}

void GuardarSenha(const std::filesystem::path& pasta, const std::string& chave,
                  const std::string& senha) {
    sqlite3* db = nullptr;
    sqlite3_open((pasta / "servidor.sqlite").string().c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "UPDATE srv_logins SET senha = ? WHERE chave = ?", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, senha.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, chave.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

}  // namespace

TEST_F(SenhasDosLogins, GuardadasComArgon2idESalDiferente) {
    Servidor servidor(pasta_);
    servidor.CriarLogin("Um", "segredo");
    servidor.CriarLogin("Dois", "segredo");
    const std::string um = SenhaGuardada(pasta_, "UM"), dois = SenhaGuardada(pasta_, "DOIS");
    EXPECT_EQ(um.rfind("$argon2id$", 0), 0u) << um;
    EXPECT_NE(um, dois);  // each with its own salt
    EXPECT_EQ(servidor.Autenticar("um", "segredo").nome, "Um");
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("um", "Segredo"); }),
              "Login failed for user 'um'.");
}

// A folder from before keeps "salt$sha256-hex": it still opens, and the login's hash
// becomes Argon2id.
TEST_F(SenhasDosLogins, HashAntigoAindaConfereEEhTrocado) {
    {
        Servidor servidor(pasta_);
        servidor.CriarLogin("Velho", "x");
    }
    GuardarSenha(
        pasta_, "VELHO",
        "0123456789abcdef$ebdca20eac13d0e8696cd729ae9843ae0c3d804d1de8b92230956aae430d392d");
    Servidor servidor(pasta_);
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("velho", "errada"); }),
              "Login failed for user 'velho'.");
    EXPECT_EQ(SenhaGuardada(pasta_, "VELHO").rfind("0123456789abcdef$", 0), 0u);
    EXPECT_EQ(servidor.Autenticar("velho", "segredo").nome, "Velho");
    EXPECT_EQ(SenhaGuardada(pasta_, "VELHO").rfind("$argon2id$", 0), 0u);
    EXPECT_EQ(servidor.Autenticar("velho", "segredo").nome, "Velho");
}

// An Argon2id hash of other limits (two passes, as folders from before keep) still opens
// and is made again with the server's own: one pass over 1 MiB.
TEST_F(SenhasDosLogins, HashDeOutrosLimitesConfereEEhRefeito) {
    {
        Servidor servidor(pasta_);
        servidor.CriarLogin("Velho", "x");
    }
    ASSERT_GE(sodium_init(), 0);
    char antiga[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(antiga, "segredo", 7, 2, 1 << 20), 0);
    GuardarSenha(pasta_, "VELHO", antiga);
    Servidor servidor(pasta_);
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("velho", "errada"); }),
              "Login failed for user 'velho'.");
    EXPECT_EQ(SenhaGuardada(pasta_, "VELHO"), antiga);
    EXPECT_EQ(servidor.Autenticar("velho", "segredo").nome, "Velho");
    const std::string nova = SenhaGuardada(pasta_, "VELHO");
    EXPECT_EQ(nova.rfind("$argon2id$v=19$m=1024,t=1,p=1$", 0), 0u) << nova;
    EXPECT_EQ(servidor.Autenticar("velho", "segredo").nome, "Velho");
    EXPECT_EQ(SenhaGuardada(pasta_, "VELHO"), nova);
}

// An empty password (the one "sa" starts with) is kept as a salted SHA-256: a hash of it
// hides nothing, and every connection pays for verifying it. It still opens only with the
// empty password, and an Argon2id hash of it from before is replaced at that login.
TEST_F(SenhasDosLogins, SenhaVaziaGuardadaComSalEConfereSoVazia) {
    {
        Servidor servidor(pasta_);
        servidor.CriarLogin("Vazio", "");
    }
    const std::string sa = SenhaGuardada(pasta_, "SA"), vazio = SenhaGuardada(pasta_, "VAZIO");
    ASSERT_EQ(sa.size(), 32u + 1 + 64) << sa;
    EXPECT_EQ(sa[32], '$');
    EXPECT_NE(sa.substr(0, 32), vazio.substr(0, 32));  // each with its own salt
    Servidor servidor(pasta_);
    EXPECT_EQ(servidor.Autenticar("SA", "").nome, "sa");
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("vazio", " "); }),
              "Login failed for user 'vazio'.");
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("sa", "x"); }), "Login failed for user 'sa'.");
    EXPECT_EQ(SenhaGuardada(pasta_, "SA"), sa);

    ASSERT_GE(sodium_init(), 0);
    char antiga[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(antiga, "", 0, 1, 1 << 20), 0);
    GuardarSenha(pasta_, "VAZIO", antiga);
    EXPECT_EQ(MensagemDe([&] { servidor.Autenticar("vazio", "x"); }),
              "Login failed for user 'vazio'.");
    EXPECT_EQ(SenhaGuardada(pasta_, "VAZIO"), antiga);
    EXPECT_EQ(servidor.Autenticar("vazio", "").nome, "Vazio");
    const std::string nova = SenhaGuardada(pasta_, "VAZIO");
    EXPECT_EQ(nova.size(), 32u + 1 + 64) << nova;
    EXPECT_EQ(servidor.Autenticar("vazio", "").nome, "Vazio");
}
