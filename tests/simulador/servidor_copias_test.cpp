#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "comum/erros.hpp"
#include "simulador/servidor_apoio.hpp"

using zolvek::simulador::DefinicaoDeBanco;
using zolvek::simulador::ModoDaMidia;
using zolvek::simulador::Servidor;

namespace {

std::string Consultar(const std::filesystem::path& arquivo, const std::string& sql) {
    sqlite3* banco = nullptr;
    sqlite3_open(arquivo.string().c_str(), &banco);
    std::string resultado;
    char* erro = nullptr;
    sqlite3_exec(
        banco, sql.c_str(),
        [](void* saida, int colunas, char** valores, char**) {
            for (int i = 0; i < colunas; ++i)
                *static_cast<std::string*>(saida) +=
                    std::string(valores[i] ? valores[i] : "") + ";";
            return 0;
        },
        &resultado, &erro);
    if (erro) resultado = std::string("erro: ") + erro;
    sqlite3_free(erro);
    sqlite3_close(banco);
    return resultado;
}

std::string LerArquivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Overwrites 4 bytes of every 4 KB block past `inicio`, as a failing disk would.
void Estragar(const std::filesystem::path& arquivo, std::uint64_t inicio) {
    std::fstream f(arquivo, std::ios::binary | std::ios::in | std::ios::out);
    const auto tamanho = std::filesystem::file_size(arquivo);
    for (std::uint64_t p = inicio; p + 4 <= tamanho; p += 4096) {
        f.seekp(static_cast<std::streamoff>(p));
        f.write("\xde\xad\xbe\xef", 4);
    }
}

std::vector<std::string> ArquivosTemporarios(const std::filesystem::path& pasta) {
    std::vector<std::string> r;
    for (const auto& e : std::filesystem::recursive_directory_iterator(pasta))
        if (e.path().string().find(".tmp") != std::string::npos ||
            e.path().string().find(".copia") != std::string::npos)
            r.push_back(e.path().string());
    return r;
}

class Copias : public PastaDeServidor {
  protected:
    // A database with one row in T.
    std::filesystem::path CriarComLinha(Servidor& servidor, const std::string& banco,
                                        const std::string& valor) {
        auto info = servidor.CriarBanco(DefinicaoDeBanco{banco, {}, {}});
        Consultar(info.arquivoSqlite,
                  "CREATE TABLE T (x TEXT); INSERT INTO T VALUES ('" + valor + "');");
        return info.arquivoSqlite;
    }
};

}  // namespace

TEST_F(Copias, CopiaEstragadaNaoTocaODestino) {
    Servidor servidor(pasta_);
    CriarComLinha(servidor, "ORIGEM", "copiada");
    const auto destino = CriarComLinha(servidor, "DESTINO", "preciosa");
    servidor.FazerBackup("ORIGEM", "origem.bak");
    servidor.VerificarBackup("origem.bak");
    const auto copia = pasta_ / "Backup" / "origem.bak";
    const auto tamanho = std::filesystem::file_size(copia);
    Estragar(copia, tamanho / 2);

    const std::string esperado = "as read from the backup set.";
    const auto falha = MensagemDe([&] { servidor.Restaurar("DESTINO", "origem.bak", {}, true); });
    EXPECT_EQ(falha.rfind("RESTORE detected an error on page (1:", 0), 0u) << falha;
    EXPECT_NE(falha.find(") in database \"ORIGEM\" as read from the backup set."),
              std::string::npos)
        << falha;
    EXPECT_EQ(MensagemDe([&] { servidor.VerificarBackup("origem.bak"); }), falha);
    // The destination is as it was: online, same file, same row; nothing left behind.
    auto info = servidor.AcharBanco("DESTINO");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->estado, "ONLINE");
    EXPECT_EQ(info->arquivoSqlite, destino);
    EXPECT_EQ(Consultar(destino, "SELECT x FROM T"), "preciosa;");
    EXPECT_EQ(ArquivosTemporarios(pasta_), std::vector<std::string>{});
    EXPECT_FALSE(servidor.AcharBanco("NOVO"));
    MensagemDe([&] { servidor.Restaurar("NOVO", "origem.bak", {}, false); });
    EXPECT_FALSE(servidor.AcharBanco("NOVO"));

    // A damaged description is a malformed media family.
    servidor.FazerBackup("ORIGEM", "origem.bak", ModoDaMidia::Formatar);
    Estragar(copia, 20);
    EXPECT_EQ(MensagemDe([&] { servidor.VerificarBackup("origem.bak"); }),
              "The media family on device 'origem.bak' is incorrectly formed. SQL Server cannot "
              "process this media family.");
}

// Rows that break a CHECK constraint SQL Server no longer trusts are data: they back up
// and restore as they are. A constraint or default that calls one of the engine's
// functions backs up too, and damage no page accounts for is not blamed on page 1.
TEST_F(Copias, RestricoesNaoConfiaveisEFuncoesVoltamDaCopia) {
    Servidor servidor(pasta_);
    const auto origem = CriarComLinha(servidor, "ORIGEM", "x");
    EXPECT_EQ(Consultar(origem,
                        "CREATE TABLE C (a INT, t TEXT); INSERT INTO C VALUES (0, ''); PRAGMA "
                        "writable_schema = ON; UPDATE sqlite_master SET sql = 'CREATE TABLE C (a "
                        "INT CHECK (a > 0), t TEXT CHECK (zv_len(t) > 0) DEFAULT "
                        "(zv_upper(''x'')))' WHERE name = 'C';"),
              "");
    servidor.FazerBackup("ORIGEM", "c.bak");
    EXPECT_EQ(MensagemDe([&] { servidor.VerificarBackup("c.bak"); }), "");
    servidor.Restaurar("VOLTA", "c.bak", {{"ORIGEM", "volta.mdf"}, {"ORIGEM_log", "volta.ldf"}},
                       false);
    EXPECT_EQ(Consultar(servidor.AcharBanco("VOLTA")->arquivoSqlite, "SELECT a, t FROM C"), "0;;");

    // A NOT NULL column holding a NULL: damage SQLite names no page for.
    Consultar(origem,
              "CREATE TABLE N (x TEXT); INSERT INTO N VALUES (NULL); PRAGMA writable_schema = ON; "
              "UPDATE sqlite_master SET sql = 'CREATE TABLE N (x TEXT NOT NULL)' WHERE name = "
              "'N';");
    servidor.FazerBackup("ORIGEM", "n.bak");
    EXPECT_EQ(MensagemDe([&] { servidor.VerificarBackup("n.bak"); }),
              "Damage to the backup set was detected.");
    EXPECT_EQ(ArquivosTemporarios(pasta_), std::vector<std::string>{});
}

// A restore killed in the middle leaves its scratch file; the next process to open the
// folder removes it, and leaves those of live processes alone.
TEST_F(Copias, SobrasDeProcessosMortosSaoRemovidas) {
    { Servidor servidor(pasta_); }
    const pid_t filho = fork();
    if (filho == 0) _exit(0);
    waitpid(filho, nullptr, 0);
    const auto morta = pasta_ / ("restauracao-" + std::to_string(filho) + "-0.tmp");
    const auto viva = pasta_ / ("restauracao-" + std::to_string(getpid()) + "-7.tmp");
    for (const auto& p : {morta, viva, pasta_ / ("copia-" + std::to_string(filho) + "-1.tmp-wal")})
        std::ofstream(p) << "sobra";
    { Servidor servidor(pasta_); }
    EXPECT_FALSE(std::filesystem::exists(morta));
    EXPECT_FALSE(
        std::filesystem::exists(pasta_ / ("copia-" + std::to_string(filho) + "-1.tmp-wal")));
    EXPECT_TRUE(std::filesystem::exists(viva));
}

TEST_F(Copias, ConjuntosDaMidia) {
    Servidor servidor(pasta_);
    const auto origem = CriarComLinha(servidor, "ORIGEM", "primeira");
    servidor.FazerBackup("ORIGEM", "m.bak");
    Consultar(origem, "UPDATE T SET x = 'segunda'");
    servidor.FazerBackup("ORIGEM", "m.bak");  // NOINIT: appended
    EXPECT_EQ(servidor.ListarArquivosDoBackup("m.bak", 2).size(), 2u);
    EXPECT_EQ(MensagemDe([&] { servidor.ListarArquivosDoBackup("m.bak", 3); }),
              "Cannot find file ID 3 on device 'm.bak'.");
    servidor.Restaurar("UM", "m.bak", {{"ORIGEM", "um.mdf"}, {"ORIGEM_log", "um.ldf"}}, false, 1);
    servidor.Restaurar("DOIS", "m.bak", {{"ORIGEM", "dois.mdf"}, {"ORIGEM_log", "dois.ldf"}}, false,
                       2);
    EXPECT_EQ(Consultar(servidor.AcharBanco("UM")->arquivoSqlite, "SELECT x FROM T"), "primeira;");
    EXPECT_EQ(Consultar(servidor.AcharBanco("DOIS")->arquivoSqlite, "SELECT x FROM T"), "segunda;");

    servidor.FazerBackup("ORIGEM", "m.bak", ModoDaMidia::Iniciar);  // the sets are replaced
    EXPECT_EQ(MensagemDe([&] { servidor.BancoDoBackup("m.bak", 2); }),
              "Cannot find file ID 2 on device 'm.bak'.");

    // A file that is no media set is written over only WITH FORMAT.
    const auto texto = pasta_ / "Backup" / "notas.txt";
    { std::ofstream(texto) << "notas importantes"; }
    const std::string malFormada =
        "The media family on device 'notas.txt' is incorrectly formed. SQL Server cannot process "
        "this media family.";
    EXPECT_EQ(MensagemDe([&] { servidor.FazerBackup("ORIGEM", "notas.txt"); }), malFormada);
    EXPECT_EQ(
        MensagemDe([&] { servidor.FazerBackup("ORIGEM", "notas.txt", ModoDaMidia::Iniciar); }),
        malFormada);
    EXPECT_EQ(LerArquivo(texto), "notas importantes");
    servidor.FazerBackup("ORIGEM", "notas.txt", ModoDaMidia::Formatar);
    EXPECT_EQ(servidor.BancoDoBackup("notas.txt"), "ORIGEM");
}

TEST_F(Copias, NuncaGravaEmDispositivoOuLigacao) {
    Servidor servidor(pasta_);
    CriarComLinha(servidor, "ORIGEM", "x");
    EXPECT_EQ(
        MensagemDe([&] { servidor.FazerBackup("ORIGEM", "/dev/null", ModoDaMidia::Formatar); })
            .rfind("Cannot open backup device '/dev/null'. Operating system error 5(Access is "
                   "denied.).\n",
                   0),
        0u);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(MensagemDe([&] {
                  servidor.ListarArquivosDoBackup("/dev/zero");
              }).rfind("Cannot open backup device '/dev/zero'. Operating system error 5", 0),
              0u);
    std::filesystem::create_directories(pasta_ / "Backup");
    const auto alvo = pasta_ / "alvo.txt";
    { std::ofstream(alvo) << "alvo"; }
    std::filesystem::create_symlink(alvo, pasta_ / "Backup" / "ligacao.bak");
    EXPECT_NE(MensagemDe([&] {
                  servidor.FazerBackup("ORIGEM", "ligacao.bak", ModoDaMidia::Formatar);
              }).find("Operating system error 5"),
              std::string::npos);
    EXPECT_EQ(LerArquivo(alvo), "alvo");
}

TEST_F(Copias, CaminhosFicamNaPastaDoServidor) {
    Servidor servidor(pasta_);
    CriarComLinha(servidor, "ORIGEM", "x");
    const auto semCaminho = [](const std::string& d) {
        return "Cannot open backup device '" + d +
               "'. Operating system error 3(The system cannot find the path specified.).";
    };
    for (std::string d :
         {"C:\\..\\..\\..\\Backup\\..\\..\\srv\\master.sqlite", "C:\\Copias\\..\\..\\x.bak",
          "..\\..\\x.bak", "../Backup/../../x.bak", "\\\\servidor\\c$\\x.bak"})
        EXPECT_EQ(MensagemDe([&] { servidor.FazerBackup("ORIGEM", d); }), semCaminho(d)) << d;
    EXPECT_FALSE(std::filesystem::exists(pasta_.parent_path() / "x.bak"));
    EXPECT_FALSE(std::filesystem::exists(pasta_ / "discos" / "srv"));

    EXPECT_EQ(servidor.CaminhoDeDisco("c:\\Copias\\.\\Velhas\\..\\a.bak"),
              pasta_ / "discos" / "C" / "Copias" / "a.bak");
    EXPECT_EQ(servidor.CaminhoDeDisco("sub/../b.bak"), pasta_ / "Backup" / "b.bak");
    servidor.FazerBackup("ORIGEM", "C:\\Copias\\..\\a.bak");
    EXPECT_TRUE(std::filesystem::is_regular_file(pasta_ / "discos" / "C" / "a.bak"));

    // An absolute path outside the folder is refused, whatever is there; inside, it is taken.
    const auto fora = pasta_.parent_path() / (pasta_.filename().string() + "_fora.txt");
    { std::ofstream(fora) << "de outro"; }
    for (auto modo : {ModoDaMidia::Acrescentar, ModoDaMidia::Formatar}) {
        const auto falha = MensagemDe([&] { servidor.FazerBackup("ORIGEM", fora.string(), modo); });
        EXPECT_EQ(falha.rfind("Cannot open backup device '" + fora.string() +
                                  "'. Operating system error 5(Access is denied.).\nO simulador",
                              0),
                  0u)
            << falha;
    }
    EXPECT_EQ(LerArquivo(fora), "de outro");
    std::filesystem::remove(fora);
    EXPECT_EQ(servidor.CaminhoDeDisco((pasta_ / "Backup" / "." / "c.bak").string()),
              pasta_ / "Backup" / "c.bak");
    EXPECT_NE(MensagemDe([&] {
                  servidor.CaminhoDeDisco((pasta_ / ".." / "x.bak").string());
              }).find("Operating system error 5"),
              std::string::npos);
    // A link inside the folder leads nowhere, nor does a name too long for any disk.
    const auto alvo = pasta_.parent_path() / (pasta_.filename().string() + "_alvo");
    std::filesystem::create_directories(alvo);
    std::filesystem::create_directories(pasta_ / "Backup");
    std::filesystem::create_symlink(alvo, pasta_ / "Backup" / "saida");
    EXPECT_NE(MensagemDe([&] {
                  servidor.FazerBackup("ORIGEM", "saida/x.bak");
              }).find("Operating system error 5(Access is denied.)"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(alvo));
    std::filesystem::remove_all(alvo);
    const std::string longo(100000, 'a');
    EXPECT_EQ(MensagemDe([&] { servidor.FazerBackup("ORIGEM", longo); }),
              "Cannot open backup device '" + longo +
                  "'. Operating system error 206(The filename or extension is too long.).");
    EXPECT_EQ(MensagemDe([&] { servidor.FazerBackup("ORIGEM", std::string(300, 'b')); }),
              "Cannot open backup device '" + std::string(300, 'b') +
                  "'. Operating system error 206(The filename or extension is too long.).");

    // The top level of the folder holds the databases: the refusal says so.
    const std::string topo = (pasta_ / "nova.bak").string();
    const auto falha = MensagemDe([&] { servidor.FazerBackup("ORIGEM", topo); });
    EXPECT_EQ(falha.rfind("Cannot open backup device '" + topo +
                              "'. Operating system error 5(Access is denied.).\n",
                          0),
              0u)
        << falha;
    EXPECT_NE(falha.find("nível superior da pasta do servidor"), std::string::npos);
    try {  // the note goes with SQL Server's error, its number kept
        servidor.FazerBackup("ORIGEM", topo);
    } catch (const zolvek::ErroDeBanco& e) {
        EXPECT_EQ(e.Numero(), 3201);
    }
    EXPECT_FALSE(std::filesystem::exists(topo));
}
