#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fstream>

#include "comum/erros.hpp"
#include "simulador/servidor_apoio.hpp"

using zolvek::simulador::ArquivoDoBanco;
using zolvek::simulador::DefinicaoDeBanco;
using zolvek::simulador::Movimento;
using zolvek::simulador::Servidor;

namespace {

// The files a "Novo banco de dados" creation asks for.
DefinicaoDeBanco DefinicaoComArquivos(const std::string& nome, const std::string& pasta) {
    DefinicaoDeBanco d;
    d.nome = nome;
    d.dados.push_back(
        ArquivoDoBanco{nome + "_dat", pasta + nome + "_dat.mdf", 'D', "", 0, 10240, -1, 10, true});
    d.log.push_back(ArquivoDoBanco{nome + "_log", pasta + nome + "_log.ldf", 'L', "", 0, 5120,
                                   102400, 10, true});
    return d;
}

// Runs SQL straight on a database file, as the engine would.
std::string ExecutarNoArquivo(const std::filesystem::path& arquivo, const std::string& sql) {
    sqlite3* banco = nullptr;
    sqlite3_open(arquivo.string().c_str(), &banco);
    std::string resultado;
    sqlite3_exec(
        banco, sql.c_str(),
        [](void* saida, int colunas, char** valores, char**) {
            for (int i = 0; i < colunas; ++i)
                *static_cast<std::string*>(saida) +=
                    std::string(valores[i] ? valores[i] : "") + ";";
            return 0;
        },
        &resultado, nullptr);
    sqlite3_close(banco);
    return resultado;
}

}  // namespace

using Bancos = PastaDeServidor;

TEST_F(Bancos, CriaComOsArquivosPedidosEExcluiQuandoLivre) {
    Servidor servidor(pasta_);
    auto info = servidor.CriarBanco(DefinicaoComArquivos("EMPRESA", "C:\\Dados\\"));
    EXPECT_GE(info.id, 5);
    EXPECT_EQ(info.estado, "ONLINE");
    EXPECT_FALSE(info.usuarioUnico);
    ASSERT_EQ(info.arquivos.size(), 2u);
    EXPECT_EQ(info.arquivos[0].nomeLogico, "EMPRESA_dat");
    EXPECT_EQ(info.arquivos[0].nomeFisico, "C:\\Dados\\EMPRESA_dat.mdf");
    EXPECT_EQ(info.arquivos[0].tipo, 'D');
    EXPECT_EQ(info.arquivos[0].grupo, "PRIMARY");
    EXPECT_EQ(info.arquivos[0].id, 1);
    EXPECT_EQ(info.arquivos[1].nomeLogico, "EMPRESA_log");
    EXPECT_EQ(info.arquivos[1].tipo, 'L');
    EXPECT_EQ(info.arquivos[1].id, 2);
    EXPECT_EQ(info.arquivos[1].tamanhoMaximoKb, 102400);
    EXPECT_TRUE(std::filesystem::exists(info.arquivoSqlite));
    EXPECT_EQ(info.arquivoSqlite.parent_path(), pasta_);

    EXPECT_EQ(MensagemDe([&] {
                  servidor.CriarBanco(DefinicaoDeBanco{" empresa ", {}, {}});
              }),
              "Database 'empresa' already exists. Choose a different database name.");
    EXPECT_EQ(MensagemDe([&] {
                  auto outra = DefinicaoComArquivos("OUTRA", "c:\\dados\\");
                  outra.dados[0].nomeFisico = "c:\\dados\\empresa_dat.mdf";
                  servidor.CriarBanco(outra);
              }),
              "Cannot create file 'c:\\dados\\empresa_dat.mdf' because it already exists. Change "
              "the file path or the file name, and retry the operation.");
    EXPECT_FALSE(servidor.AcharBanco("OUTRA"));

    auto sessao = servidor.AbrirSessao(servidor.Autenticar("sa", ""), "EMPRESA", "PC1", "Zolvek");
    EXPECT_EQ(MensagemDe([&] { servidor.ExcluirBanco("EMPRESA"); }),
              "Cannot drop database \"EMPRESA\" because it is currently in use.");
    servidor.FecharSessao(sessao.spid);
    servidor.ExcluirBanco("empresa");
    EXPECT_FALSE(servidor.AcharBanco("EMPRESA"));
    EXPECT_FALSE(std::filesystem::exists(info.arquivoSqlite));
    EXPECT_EQ(MensagemDe([&] { servidor.ExcluirBanco("master"); }),
              "Cannot drop the database 'master' because it is a system database.");
}

TEST_F(Bancos, SemArquivosGanhaOsPadroes) {
    Servidor servidor(pasta_);
    auto info = servidor.CriarBanco(DefinicaoDeBanco{"Vendas", {}, {}});
    ASSERT_EQ(info.arquivos.size(), 2u);
    EXPECT_EQ(info.arquivos[0].nomeLogico, "Vendas");
    EXPECT_EQ(info.arquivos[1].nomeLogico, "Vendas_log");
    EXPECT_NE(info.arquivos[1].nomeFisico.find("Vendas_log.ldf"), std::string::npos);
}

TEST_F(Bancos, OpcoesDoSpDboption) {
    Servidor servidor(pasta_);
    servidor.CriarBanco(DefinicaoDeBanco{"EMPRESA", {}, {}});
    servidor.DefinirOpcao("EMPRESA", "select into/bulkcopy", "True", 0);
    servidor.DefinirOpcao("EMPRESA", "trunc.", "TRUE", 0);
    servidor.DefinirOpcao("EMPRESA", "autoshrink", "on", 0);
    EXPECT_TRUE(servidor.LerOpcao("empresa", "SELECT INTO/BULKCOPY"));
    EXPECT_TRUE(servidor.LerOpcao("EMPRESA", "trunc. log on chkpt."));
    EXPECT_FALSE(servidor.LerOpcao("EMPRESA", "read only"));
    servidor.DefinirOpcao("EMPRESA", "autoshrink", "false", 0);
    EXPECT_FALSE(servidor.LerOpcao("EMPRESA", "autoshrink"));
    // Options come back in sp_dboption's order.
    auto ligadas = servidor.AcharBanco("EMPRESA")->opcoesLigadas;
    EXPECT_EQ(ligadas, (std::vector<std::string>{"auto create statistics", "auto update statistics",
                                                 "select into/bulkcopy", "trunc. log on chkpt."}));

    EXPECT_EQ(MensagemDe([&] { servidor.LerOpcao("EMPRESA", "nada"); }),
              "Database option 'nada' does not exist. Specify a valid database option.");
    EXPECT_EQ(MensagemDe([&] { servidor.LerOpcao("EMPRESA", "a"); }),
              "Database option 'a' is not unique.");
    EXPECT_EQ(MensagemDe([&] { servidor.LerOpcao("NADA", "single user"); }),
              "The database 'NADA' does not exist. Supply a valid database name. To see available "
              "databases, use sys.databases.");
    EXPECT_EQ(MensagemDe([&] { servidor.DefinirOpcao("EMPRESA", "autoshrink", "talvez", 0); }),
              "Usage: sp_dboption [dbname [,optname [,'true' | 'false']]]");
    // 'single user' is the database's user access.
    servidor.DefinirOpcao("EMPRESA", "single user", "true", 0);
    EXPECT_TRUE(servidor.AcharBanco("EMPRESA")->usuarioUnico);
}

TEST_F(Bancos, BackupERestauracaoComMoveEReplace) {
    Servidor servidor(pasta_);
    auto origem = servidor.CriarBanco(DefinicaoComArquivos("ORIGEM", "C:\\Dados\\"));
    ExecutarNoArquivo(origem.arquivoSqlite,
                      "CREATE TABLE Clientes (Nome TEXT); INSERT INTO Clientes VALUES ('Ana');");
    servidor.DefinirOpcao("ORIGEM", "trunc. log on chkpt.", "true", 0);
    servidor.FazerBackup("ORIGEM", "origem.bak");
    EXPECT_TRUE(std::filesystem::exists(pasta_ / "Backup" / "origem.bak"));
    EXPECT_EQ(servidor.BancoDoBackup("origem.bak"), "ORIGEM");

    auto lista = servidor.ListarArquivosDoBackup("origem.bak");
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0].nomeLogico, "ORIGEM_dat");
    EXPECT_EQ(lista[0].tipo, 'D');
    EXPECT_EQ(lista[1].nomeLogico, "ORIGEM_log");
    EXPECT_EQ(lista[1].nomeFisico, "C:\\Dados\\ORIGEM_log.ldf");
    EXPECT_EQ(lista[1].tipo, 'L');

    auto destino = servidor.CriarBanco(DefinicaoComArquivos("DESTINO", "D:\\Outros\\"));
    ExecutarNoArquivo(destino.arquivoSqlite, "CREATE TABLE Velha (x);");
    const std::vector<Movimento> mover = {{"ORIGEM_dat", destino.arquivos[0].nomeFisico},
                                          {"ORIGEM_log", destino.arquivos[1].nomeFisico}};
    EXPECT_EQ(MensagemDe([&] { servidor.Restaurar("DESTINO", "origem.bak", mover, false); }),
              "The backup set holds a backup of a database other than the existing 'DESTINO' "
              "database.");
    // Without MOVE the backup's files belong to ORIGEM.
    EXPECT_EQ(MensagemDe([&] { servidor.Restaurar("DESTINO", "origem.bak", {}, true); }),
              "The file 'C:\\Dados\\ORIGEM_dat.mdf' cannot be overwritten.  It is being used by "
              "database 'ORIGEM'.");
    EXPECT_EQ(MensagemDe([&] {
                  servidor.Restaurar("DESTINO", "origem.bak", {{"Outro", "x.mdf"}}, true);
              }),
              "Logical file 'Outro' is not part of database 'DESTINO'. Use RESTORE FILELISTONLY "
              "to list the logical file names.");
    auto sessao = servidor.AbrirSessao(servidor.Autenticar("sa", ""), "DESTINO", "PC1", "ERP");
    EXPECT_EQ(MensagemDe([&] { servidor.Restaurar("DESTINO", "origem.bak", mover, true); }),
              "Exclusive access could not be obtained because the database is in use.");
    servidor.FecharSessao(sessao.spid);

    servidor.Restaurar("DESTINO", "origem.bak", mover, true);
    auto restaurado = servidor.AcharBanco("DESTINO");
    ASSERT_TRUE(restaurado);
    EXPECT_EQ(restaurado->estado, "ONLINE");
    EXPECT_EQ(restaurado->id, destino.id);
    ASSERT_EQ(restaurado->arquivos.size(), 2u);
    EXPECT_EQ(restaurado->arquivos[0].nomeLogico, "ORIGEM_dat");
    EXPECT_EQ(restaurado->arquivos[0].nomeFisico, "D:\\Outros\\DESTINO_dat.mdf");
    EXPECT_EQ(restaurado->arquivos[1].nomeFisico, "D:\\Outros\\DESTINO_log.ldf");
    EXPECT_TRUE(servidor.LerOpcao("DESTINO", "trunc. log on chkpt."));
    EXPECT_EQ(ExecutarNoArquivo(restaurado->arquivoSqlite, "SELECT Nome FROM Clientes"), "Ana;");
    EXPECT_EQ(ExecutarNoArquivo(restaurado->arquivoSqlite,
                                "SELECT group_concat(name) FROM sqlite_master"),
              "Clientes;");
    EXPECT_FALSE(std::filesystem::exists(destino.arquivoSqlite));
    // The source is untouched.
    EXPECT_EQ(ExecutarNoArquivo(origem.arquivoSqlite, "SELECT Nome FROM Clientes"), "Ana;");
}

TEST_F(Bancos, RestauracaoCriaBancoQueNaoExiste) {
    Servidor servidor(pasta_);
    servidor.CriarBanco(DefinicaoComArquivos("ORIGEM", "C:\\Dados\\"));
    const auto copia = pasta_ / "fora" / "copia.bak";
    std::filesystem::create_directories(copia.parent_path());
    servidor.FazerBackup("ORIGEM", copia.string());
    servidor.Restaurar(
        "NOVO", copia.string(),
        {{"ORIGEM_dat", "C:\\Dados\\NOVO.mdf"}, {"ORIGEM_log", "C:\\Dados\\NOVO.ldf"}}, false);
    auto novo = servidor.AcharBanco("NOVO");
    ASSERT_TRUE(novo);
    EXPECT_EQ(novo->estado, "ONLINE");
    EXPECT_TRUE(std::filesystem::exists(novo->arquivoSqlite));
}

TEST_F(Bancos, CopiaInexistenteOuEstragada) {
    Servidor servidor(pasta_);
    EXPECT_EQ(MensagemDe([&] { servidor.ListarArquivosDoBackup("nada.bak"); }),
              "Cannot open backup device 'nada.bak'. Operating system error 2(The system cannot "
              "find the file specified.).");
    std::filesystem::create_directories(pasta_ / "Backup");
    { std::ofstream(pasta_ / "Backup" / "lixo.bak") << "isto não é uma cópia"; }
    EXPECT_EQ(MensagemDe([&] { servidor.ListarArquivosDoBackup("lixo.bak"); }),
              "The media family on device 'lixo.bak' is incorrectly formed. SQL Server cannot "
              "process this media family.");
    EXPECT_EQ(MensagemDe([&] { servidor.FazerBackup("NADA", "x.bak"); }),
              "Database 'NADA' does not exist. Make sure that the name is entered correctly.");
    servidor.CriarBanco(DefinicaoDeBanco{"EMPRESA", {}, {}});
    EXPECT_EQ(
        MensagemDe([&] { servidor.FazerBackup("EMPRESA", "C:\\nao\\existe\\..\\..\\..\\x.bak"); }),
        "Cannot open backup device 'C:\\nao\\existe\\..\\..\\..\\x.bak'. Operating system "
        "error 3(The system cannot find the path specified.).");
    // Never over a live database file.
    const auto vivo = servidor.AcharBanco("EMPRESA")->arquivoSqlite.string();
    EXPECT_EQ(MensagemDe([&] { servidor.FazerBackup("EMPRESA", vivo); }),
              "Cannot open backup device '" + vivo +
                  "'. Operating system error 32(The process cannot access the file because it is "
                  "being used by another process.).");
}
