#include <sqlite3.h>

#include <atomic>
#include <cctype>
#include <cstdint>
#include <system_error>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/midia.hpp"
#include "simulador/servidor/processos.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

using namespace interno;

namespace {

// Closes a SQLite handle on every path.
struct ArquivoAberto {
    sqlite3* banco;
    ~ArquivoAberto() { FecharArquivoSqlite(banco); }
};

// Removes a scratch file on every path unless it was handed on.
struct ArquivoTemporario {
    std::filesystem::path caminho;
    ~ArquivoTemporario() {
        if (!caminho.empty()) RemoverArquivoSqlite(caminho);
    }
};

// The parts of a path with "." dropped and ".." applied; false when a ".." climbs above
// the first part.
bool Normalizar(const std::string& caminho, std::vector<std::string>& partes) {
    std::string parte;
    for (std::size_t i = 0; i <= caminho.size(); ++i) {
        if (i < caminho.size() && caminho[i] != '/') {
            parte += caminho[i];
            continue;
        }
        if (parte == "..") {
            if (partes.empty()) return false;
            partes.pop_back();
        } else if (!parte.empty() && parte != ".") {
            partes.push_back(parte);
        }
        parte.clear();
    }
    return true;
}

std::filesystem::path Juntar(std::filesystem::path base, const std::vector<std::string>& partes) {
    for (const auto& p : partes) base /= p;
    return base;
}

// Longer paths and names no file system takes (SQL Server's error 206).
constexpr std::size_t kMaiorCaminho = 4096;
constexpr std::size_t kMaiorNomeDeArquivo = 255;

// A scratch file of the server folder that no other restore of any process shares.
std::filesystem::path ArquivoDeTrabalho(const std::filesystem::path& pasta, const char* nome) {
    static std::atomic<int> contador{0};
    return pasta / (std::string(nome) + "-" + std::to_string(PidAtual()) + "-" +
                    std::to_string(contador++) + ".tmp");
}

// A consistent copy of a database's file, read as of one moment: it waits for no writer.
// A failure of the disk is told as SQL Server tells it; any other is the stand-in's own.
void CopiarBanco(const InfoDoBanco& info, const std::filesystem::path& copia,
                 const std::string& disco) {
    RemoverArquivoSqlite(copia);
    ArquivoAberto origem{AbrirBancoDoMotor(info.arquivoSqlite.string(), false)};
    sqlite3_stmt* copiar = nullptr;
    int codigo = sqlite3_prepare_v2(origem.banco, "VACUUM INTO ?", -1, &copiar, nullptr);
    if (codigo == SQLITE_OK) {
        const std::string destino = copia.string();
        sqlite3_bind_text(copiar, 1, destino.c_str(), -1, SQLITE_TRANSIENT);
        codigo = sqlite3_step(copiar);
        if (codigo == SQLITE_DONE) codigo = SQLITE_OK;
    }
    if (codigo != SQLITE_OK) codigo = sqlite3_extended_errcode(origem.banco);
    sqlite3_finalize(copiar);
    if (codigo == SQLITE_OK) return;
    RemoverArquivoSqlite(copia);
    switch (codigo & 0xff) {
        case SQLITE_FULL:
            throw ErroDoServidor(3202, {disco, "112(There is not enough space on the disk.)"});
        case SQLITE_IOERR:
            throw ErroDoServidor(
                3202, {disco,
                       "1117(The request could not be performed because of an I/O device error.)"});
        default:
            throw ComMensagemSeguinte(
                ErroDeBanco("O simulador de SQL Server não conseguiu copiar o banco de dados '" +
                            info.nome + "' (código " + std::to_string(codigo) + " do SQLite)."),
                3013, {"BACKUP DATABASE"});
    }
}

}  // namespace

std::filesystem::path Servidor::CaminhoDeDisco(const std::string& disco) const {
    std::string texto = texto::Aparar(disco);
    const auto semCaminho = [&] { return DispositivoInacessivel(disco, 3); };
    if (texto.size() > kMaiorCaminho) throw DispositivoInacessivel(disco, 206);
    std::vector<std::string> partes;
    std::filesystem::path base = pasta_;
#ifndef _WIN32
    for (char& c : texto)
        if (c == '\\') c = '/';
    // A network path (\\server\share) names no folder of this machine.
    if (texto.rfind("//", 0) == 0) throw semCaminho();
    // A Windows path ("D:\Copias\x.bak") lands under the folder "discos/D" of the server
    // and may not climb out of it.
    if (texto.size() >= 2 && std::isalpha(static_cast<unsigned char>(texto[0])) &&
        texto[1] == ':') {
        if (!Normalizar(texto.substr(2), partes)) throw semCaminho();
        const char letra = static_cast<char>(std::toupper(static_cast<unsigned char>(texto[0])));
        base = pasta_ / "discos" / std::string(1, letra);
        return SemLigacoes(Juntar(base, partes), disco);
    }
#endif
    if (std::filesystem::path(texto).is_absolute()) {
        // A path of this machine: only inside the server folder.
        if (!Normalizar(texto, partes) || !DentroDaPasta(partes))
            throw ComNota(DispositivoInacessivel(disco, 5),
                          "O simulador de SQL Server só lê e grava cópias de segurança dentro da "
                          "pasta do servidor: use um caminho relativo (pasta Backup) ou de disco "
                          "(C:\\...).");
        return SemLigacoes(Juntar(pasta_, partes), disco);
    }
    // A relative path starts in "Backup" and may not leave the server folder.
    partes.push_back("Backup");
    if (!Normalizar(texto, partes)) throw semCaminho();
    return SemLigacoes(Juntar(pasta_, partes), disco);
}

// `partes`, the parts of an absolute path, name a place inside the server folder: the
// folder's own parts are taken off.
bool Servidor::DentroDaPasta(std::vector<std::string>& partes) const {
    std::vector<std::string> daPasta;
    Normalizar(pasta_.generic_string(), daPasta);
    if (partes.size() <= daPasta.size() ||
        !std::equal(daPasta.begin(), daPasta.end(), partes.begin()))
        return false;
    partes.erase(partes.begin(), partes.begin() + static_cast<std::ptrdiff_t>(daPasta.size()));
    return true;
}

// A symbolic link inside the folder would lead out of it: a path through one is refused.
std::filesystem::path Servidor::SemLigacoes(const std::filesystem::path& caminho,
                                            const std::string& disco) const {
    std::filesystem::path ate = pasta_;
    for (const auto& parte : caminho.lexically_relative(pasta_)) {
        if (parte.string().size() > kMaiorNomeDeArquivo) throw DispositivoInacessivel(disco, 206);
        ate /= parte;
        std::error_code erro;
        const auto estado = std::filesystem::symlink_status(ate, erro);
        if (erro || !std::filesystem::exists(estado)) break;
        if (std::filesystem::is_symlink(estado)) throw DispositivoInacessivel(disco, 5);
    }
    return caminho;
}

void Servidor::FazerBackup(const std::string& banco, const std::string& disco, ModoDaMidia modo) {
    const auto info = AcharBancoOnline(banco);
    const auto destino = CaminhoDeDisco(disco);
    std::error_code erro;
    // The server's own folders are made on demand; any other folder must exist.
    const auto pastaDoDestino = destino.parent_path();
    const std::string relativo = pastaDoDestino.lexically_relative(pasta_).string();
    if (!relativo.empty() && relativo.rfind("..", 0) != 0 && pastaDoDestino != pasta_)
        std::filesystem::create_directories(pastaDoDestino, erro);
    if (!std::filesystem::is_directory(pastaDoDestino, erro))
        throw DispositivoInacessivel(disco, 3);
    // The top of the server folder holds the live database files and the server's own.
    if (std::filesystem::equivalent(pastaDoDestino, pasta_, erro)) {
        for (const auto& b : ListarBancos())
            if (std::filesystem::equivalent(b.arquivoSqlite, destino, erro))
                throw DispositivoInacessivel(disco, 32);
        throw ComNota(DispositivoInacessivel(disco, 5),
                      "O simulador de SQL Server não grava cópias de segurança no nível superior "
                      "da pasta do servidor, reservado aos arquivos dos bancos de dados: use a "
                      "pasta Backup ou um caminho de disco.");
    }

    // A consistent copy of the database first; it becomes the set's pages.
    ArquivoTemporario copia{ArquivoDeTrabalho(pasta_, "copia")};
    CopiarBanco(info, copia.caminho, disco);
    ConjuntoDeBackup conjunto;
    conjunto.banco = info.nome;
    conjunto.usuarioUnico = info.usuarioUnico;
    conjunto.data = AgoraComoTexto();
    conjunto.arquivos = info.arquivos;
    for (const auto& o : info.opcoesLigadas)
        if (o != "single user") conjunto.opcoes.push_back(o);
    GravarConjunto(destino, disco, modo, conjunto, copia.caminho);
}

std::vector<ArquivoDoBanco> Servidor::ListarArquivosDoBackup(const std::string& disco,
                                                             int conjunto) {
    return EscolherConjunto(LerMidia(CaminhoDeDisco(disco), disco), conjunto, disco).arquivos;
}

std::string Servidor::BancoDoBackup(const std::string& disco, int conjunto) {
    return EscolherConjunto(LerMidia(CaminhoDeDisco(disco), disco), conjunto, disco).banco;
}

void Servidor::VerificarBackup(const std::string& disco, int conjunto) {
    const auto origem = CaminhoDeDisco(disco);
    const auto escolhido = EscolherConjunto(LerMidia(origem, disco), conjunto, disco);
    ArquivoTemporario verificado{ArquivoDeTrabalho(pasta_, "verificacao")};
    ExtrairConjunto(origem, disco, escolhido, verificado.caminho);
}

void Servidor::Restaurar(const std::string& banco, const std::string& disco,
                         const std::vector<Movimento>& movimentos, bool substituir, int conjunto) {
    const std::string nome = texto::Aparar(banco);
    const auto origem = CaminhoDeDisco(disco);
    ConjuntoDeBackup copia = EscolherConjunto(LerMidia(origem, disco), conjunto, disco);
    for (const auto& m : movimentos) {
        bool achado = false;
        for (auto& a : copia.arquivos)
            if (ChaveDeNome(a.nomeLogico) == ChaveDeNome(m.nomeLogico)) {
                a.nomeFisico = m.nomeFisico;
                achado = true;
            }
        if (!achado) throw ErroDoServidor(3234, {m.nomeLogico, nome});
    }

    // The set is checked whole on a scratch copy before anything is replaced.
    ArquivoTemporario restaurado{ArquivoDeTrabalho(pasta_, "restauracao")};
    ExtrairConjunto(origem, disco, copia, restaurado.caminho);

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
            if (destino->id == 1) throw ErroDoServidor(3108);
            if (ContarSessoesNoBanco(destino->id, 0) > 0) throw ErroDoServidor(3101);
            if (!substituir && ChaveDeNome(destino->nome) != ChaveDeNome(copia.banco))
                throw ErroDoServidor(3154, {destino->nome});
            id = destino->id;
            anterior = destino->arquivoSqlite;
        } else {
            if (nome.empty()) throw ErroDoServidor(102, {"'DATABASE'"});
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

    // Then the checked copy becomes the new file, so that the old one stays whole until
    // master points at the new one.
    const auto caminhoNovo = CaminhoSqlite(novoArquivo);
    std::error_code erroAoMover;
    std::filesystem::rename(restaurado.caminho, caminhoNovo, erroAoMover);
    if (!erroAoMover) {
        restaurado.caminho.clear();
    } else {
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
        throw ComMensagemSeguinte(
            ErroDeBanco("O simulador de SQL Server não conseguiu pôr a cópia restaurada no lugar "
                        "do banco de dados (erro " +
                        std::to_string(erroAoMover.value()) + " do sistema)."),
            3013, {"RESTORE DATABASE"});
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
