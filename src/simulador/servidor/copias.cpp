#include <sqlite3.h>

#include <cctype>
#include <cstdint>
#include <system_error>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/processos.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

using namespace interno;

namespace {

// A backup is a SQLite copy of the database with these tables added: what the database
// was called, its files and its options. They are dropped again when it is restored.
constexpr const char* kTabelasDaCopia = R"(
CREATE TABLE zolvek_copia_de_seguranca (chave TEXT PRIMARY KEY, valor TEXT NOT NULL);
CREATE TABLE zolvek_copia_de_seguranca_arquivos (
    id INTEGER PRIMARY KEY, nome_logico TEXT NOT NULL, nome_fisico TEXT NOT NULL,
    tipo TEXT NOT NULL, grupo TEXT NOT NULL, tamanho_kb INTEGER NOT NULL,
    tamanho_maximo_kb INTEGER NOT NULL, crescimento INTEGER NOT NULL,
    em_porcentagem INTEGER NOT NULL);
CREATE TABLE zolvek_copia_de_seguranca_opcoes (opcao TEXT PRIMARY KEY);
)";

constexpr const char* kRemoverTabelasDaCopia = R"(
DROP TABLE IF EXISTS zolvek_copia_de_seguranca;
DROP TABLE IF EXISTS zolvek_copia_de_seguranca_arquivos;
DROP TABLE IF EXISTS zolvek_copia_de_seguranca_opcoes;
)";

struct Copia {
    std::string banco;
    bool usuarioUnico = false;
    std::vector<ArquivoDoBanco> arquivos;
    std::vector<std::string> opcoes;
};

// Closes a SQLite handle on every path.
struct ArquivoAberto {
    sqlite3* banco;
    ~ArquivoAberto() { FecharArquivoSqlite(banco); }
};

std::string DispositivoInacessivel(const std::string& disco, int erro) {
    const char* causa = erro == 2    ? "(The system cannot find the file specified.)."
                        : erro == 32 ? "(The process cannot access the file because it is being "
                                       "used by another process.)."
                                     : "(The system cannot find the path specified.).";
    return "Cannot open backup device '" + disco + "'. Operating system error " +
           std::to_string(erro) + causa;
}

void GravarDescricao(sqlite3* copia, const InfoDoBanco& info) {
    ExecutarSql(copia, kRemoverTabelasDaCopia);
    ExecutarSql(copia, kTabelasDaCopia);
    Comando chave(copia, "INSERT INTO zolvek_copia_de_seguranca (chave, valor) VALUES (?, ?)");
    for (const auto& [nome, valor] : {std::pair<std::string, std::string>{"banco", info.nome},
                                      {"usuario_unico", info.usuarioUnico ? "1" : "0"},
                                      {"data", AgoraComoTexto()},
                                      {"versao", kVersaoDoProduto}}) {
        chave.Ligar(1, nome).Ligar(2, valor).Executar();
        chave.Reiniciar();
    }
    Comando arquivo(copia,
                    "INSERT INTO zolvek_copia_de_seguranca_arquivos (id, nome_logico, nome_fisico, "
                    "tipo, grupo, tamanho_kb, tamanho_maximo_kb, crescimento, em_porcentagem) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& a : info.arquivos) {
        arquivo.Ligar(1, std::int64_t{a.id})
            .Ligar(2, a.nomeLogico)
            .Ligar(3, a.nomeFisico)
            .Ligar(4, std::string(1, a.tipo))
            .Ligar(5, a.grupo)
            .Ligar(6, a.tamanhoKb)
            .Ligar(7, a.tamanhoMaximoKb)
            .Ligar(8, a.crescimento)
            .Ligar(9, std::int64_t{a.crescimentoEmPorcentagem})
            .Executar();
        arquivo.Reiniciar();
    }
    Comando opcao(copia, "INSERT INTO zolvek_copia_de_seguranca_opcoes (opcao) VALUES (?)");
    for (const auto& o : info.opcoesLigadas) {
        if (o == "single user") continue;
        opcao.Ligar(1, o).Executar();
        opcao.Reiniciar();
    }
}

Copia LerCopia(const std::filesystem::path& caminho, const std::string& disco) {
    std::error_code erro;
    if (!std::filesystem::is_regular_file(caminho, erro))
        throw ErroDeBanco(DispositivoInacessivel(disco, 2));
    const std::string malFormada = "The media family on device '" + disco +
                                   "' is incorrectly formed. SQL Server cannot process this "
                                   "media family.";
    Copia copia;
    try {
        ArquivoAberto arquivo{AbrirArquivoSqlite(caminho.string(), true, false)};
        Comando chaves(arquivo.banco, "SELECT chave, valor FROM zolvek_copia_de_seguranca");
        while (chaves.Passo()) {
            if (chaves.Texto(0) == "banco") copia.banco = chaves.Texto(1);
            if (chaves.Texto(0) == "usuario_unico") copia.usuarioUnico = chaves.Texto(1) == "1";
        }
        Comando arquivos(arquivo.banco,
                         "SELECT nome_logico, nome_fisico, tipo, grupo, id, tamanho_kb, "
                         "tamanho_maximo_kb, crescimento, em_porcentagem "
                         "FROM zolvek_copia_de_seguranca_arquivos ORDER BY id");
        while (arquivos.Passo()) {
            copia.arquivos.push_back(LerArquivoDoBanco(arquivos));
        }
        Comando opcoes(arquivo.banco, "SELECT opcao FROM zolvek_copia_de_seguranca_opcoes");
        while (opcoes.Passo()) copia.opcoes.push_back(opcoes.Texto(0));
    } catch (const ErroDeBanco&) {
        throw ErroDeBanco(malFormada);
    }
    if (copia.banco.empty() || copia.arquivos.empty()) throw ErroDeBanco(malFormada);
    return copia;
}

}  // namespace

std::filesystem::path Servidor::CaminhoDeDisco(const std::string& disco) const {
    std::string texto = texto::Aparar(disco);
#ifndef _WIN32
    // A Windows path ("D:\Copias\x.bak") lands under the folder "discos/D" of the server.
    for (char& c : texto)
        if (c == '\\') c = '/';
    if (texto.size() >= 2 && std::isalpha(static_cast<unsigned char>(texto[0])) &&
        texto[1] == ':') {
        std::string resto = texto.substr(2);
        while (!resto.empty() && resto.front() == '/') resto.erase(0, 1);
        return pasta_ / "discos" /
               std::string(1,
                           static_cast<char>(std::toupper(static_cast<unsigned char>(texto[0])))) /
               resto;
    }
#endif
    std::filesystem::path caminho(texto);
    if (caminho.is_absolute()) return caminho;
    return pasta_ / "Backup" / caminho;
}

void Servidor::FazerBackup(const std::string& banco, const std::string& disco) {
    const auto info = AcharBancoOnline(banco);
    const auto destino = CaminhoDeDisco(disco);
    std::error_code erro;
    // The server's own folders are made on demand; any other folder must exist.
    const auto pastaDoDestino = destino.parent_path();
    const std::string relativo = pastaDoDestino.lexically_relative(pasta_).string();
    if (!relativo.empty() && relativo.rfind("..", 0) != 0 && pastaDoDestino != pasta_)
        std::filesystem::create_directories(pastaDoDestino, erro);
    if (!std::filesystem::is_directory(pastaDoDestino, erro))
        throw ErroDeBanco(DispositivoInacessivel(disco, 3));
    // The top of the server folder holds the live database files: a backup written there
    // could replace one of them.
    if (std::filesystem::equivalent(pastaDoDestino, pasta_, erro))
        throw ErroDeBanco(DispositivoInacessivel(disco, 32));

    // Written beside the target and renamed over it, so that a failure never leaves a
    // half-written backup under the name asked for.
    const auto temporario =
        std::filesystem::path(destino.string() + ".tmp" + std::to_string(PidAtual()) + "-" +
                              std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::remove(temporario, erro);
    try {
        {
            ArquivoAberto origem{AbrirArquivoSqlite(info.arquivoSqlite.string(), false, false)};
            Comando copiar(origem.banco, "VACUUM INTO ?");
            copiar.Ligar(1, temporario.string()).Executar();
        }
        {
            ArquivoAberto copia{AbrirArquivoSqlite(temporario.string(), false, false)};
            ExecutarSql(copia.banco, "BEGIN");
            GravarDescricao(copia.banco, info);
            ExecutarSql(copia.banco, "COMMIT");
        }
        std::filesystem::rename(temporario, destino);
    } catch (const std::filesystem::filesystem_error&) {
        RemoverArquivoSqlite(temporario);
        throw ErroDeBanco(DispositivoInacessivel(disco, 3));
    } catch (...) {
        RemoverArquivoSqlite(temporario);
        throw;
    }
}

std::vector<ArquivoDoBanco> Servidor::ListarArquivosDoBackup(const std::string& disco) {
    return LerCopia(CaminhoDeDisco(disco), disco).arquivos;
}

std::string Servidor::BancoDoBackup(const std::string& disco) {
    return LerCopia(CaminhoDeDisco(disco), disco).banco;
}

void Servidor::Restaurar(const std::string& banco, const std::string& disco,
                         const std::vector<Movimento>& movimentos, bool substituir) {
    const std::string nome = texto::Aparar(banco);
    const auto origem = CaminhoDeDisco(disco);
    Copia copia = LerCopia(origem, disco);
    for (const auto& m : movimentos) {
        bool achado = false;
        for (auto& a : copia.arquivos)
            if (ChaveDeNome(a.nomeLogico) == ChaveDeNome(m.nomeLogico)) {
                a.nomeFisico = m.nomeFisico;
                achado = true;
            }
        if (!achado)
            throw ErroDeBanco("Logical file '" + m.nomeLogico + "' is not part of database '" +
                              nome + "'. Use RESTORE FILELISTONLY to list the logical file names.");
    }

    std::lock_guard trava(mutex_);
    // First the database is marked as being restored, which keeps every session out.
    int id = 0;
    bool criado = false;
    std::filesystem::path anterior;
    std::string novoArquivo;
    {
        Transacao transacao(master_);
        LimparSessoesMortas();
        auto destino = AcharBanco(nome);
        if (destino) {
            if (destino->id == 1)
                throw ErroDeBanco("The master database cannot be restored on this server.");
            if (ContarSessoesNoBanco(destino->id, 0) > 0)
                throw ErroDeBanco(
                    "Exclusive access could not be obtained because the database is in use.");
            if (!substituir && ChaveDeNome(destino->nome) != ChaveDeNome(copia.banco))
                throw ErroDeBanco(
                    "The backup set holds a backup of a database other than the "
                    "existing '" +
                    destino->nome + "' database.");
            id = destino->id;
            anterior = destino->arquivoSqlite;
        } else {
            if (nome.empty()) throw ErroDeBanco("Incorrect syntax near 'DATABASE'.");
            Comando proximo(master_, "SELECT max(5, coalesce(max(id) + 1, 5)) FROM srv_bancos");
            proximo.Passo();
            id = static_cast<int>(proximo.Inteiro(0));
            criado = true;
        }
        ExigirArquivosLivres(copia.arquivos, id, false);
        novoArquivo = NovoNomeDeArquivo(nome);
        if (criado) {
            Comando inserir(master_,
                            "INSERT INTO srv_bancos (id, chave, nome, arquivo, criacao, estado) "
                            "VALUES (?, ?, ?, ?, ?, 'RESTORING')");
            inserir.Ligar(1, std::int64_t{id})
                .Ligar(2, ChaveDeNome(nome))
                .Ligar(3, nome)
                .Ligar(4, novoArquivo)
                .Ligar(5, AgoraComoTexto())
                .Executar();
        } else {
            Comando marcar(master_, "UPDATE srv_bancos SET estado = 'RESTORING' WHERE id = ?");
            marcar.Ligar(1, std::int64_t{id}).Executar();
        }
        transacao.Confirmar();
    }

    // Then the data lands in a new file, so that the old one stays whole until master
    // points at the new one.
    const auto caminhoNovo = CaminhoSqlite(novoArquivo);
    try {
        std::filesystem::copy_file(origem, caminhoNovo,
                                   std::filesystem::copy_options::overwrite_existing);
        ArquivoAberto restaurado{AbrirArquivoSqlite(caminhoNovo.string(), false, false)};
        ExecutarSql(restaurado.banco, kRemoverTabelasDaCopia);
    } catch (const std::exception& e) {
        RemoverArquivoSqlite(caminhoNovo);
        try {
            Transacao desfazer(master_);
            Comando voltar(master_, criado
                                        ? "DELETE FROM srv_bancos WHERE id = ?"
                                        : "UPDATE srv_bancos SET estado = 'ONLINE' WHERE id = ?");
            voltar.Ligar(1, std::int64_t{id}).Executar();
            desfazer.Confirmar();
        } catch (...) {
            // The database stays marked as restoring; a new restore repairs it.
        }
        throw ErroDeBanco(std::string("RESTORE DATABASE is terminating abnormally. ") + e.what());
    }

    {
        Transacao transacao(master_);
        Comando concluir(master_,
                         "UPDATE srv_bancos SET arquivo = ?, estado = 'ONLINE', usuario_unico = ? "
                         "WHERE id = ?");
        concluir.Ligar(1, novoArquivo)
            .Ligar(2, std::int64_t{copia.usuarioUnico})
            .Ligar(3, std::int64_t{id})
            .Executar();
        GravarArquivos(id, copia.arquivos);
        Comando limpar(master_, "DELETE FROM srv_opcoes WHERE banco = ?");
        limpar.Ligar(1, std::int64_t{id}).Executar();
        Comando opcao(master_, "INSERT OR IGNORE INTO srv_opcoes (banco, opcao) VALUES (?, ?)");
        for (const auto& o : copia.opcoes) {
            opcao.Ligar(1, std::int64_t{id}).Ligar(2, o).Executar();
            opcao.Reiniciar();
        }
        transacao.Confirmar();
    }
    if (!anterior.empty() && anterior != caminhoNovo) RemoverArquivoSqlite(anterior);
}

}  // namespace zolvek::simulador
