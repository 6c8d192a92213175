#include <sqlite3.h>

#include <set>
#include <utility>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/processos.hpp"
#include "simulador/servidor/servidor.hpp"
#include "simulador/servidor/sinal.hpp"

namespace zolvek::simulador {

using namespace interno;

namespace {

// User sessions are numbered from 51, as on SQL Server (lower spids are the system's).
constexpr int kPrimeiroSpid = 51;

ErroDeBanco UsuarioUnicoOcupado(const std::string& banco) {
    return ErroDoServidor(924, {banco});
}

InfoDaSessao LerSessao(const Comando& ler) {
    InfoDaSessao s;
    s.spid = static_cast<int>(ler.Inteiro(0));
    s.login = ler.Texto(1);
    s.host = ler.Texto(2);
    s.programa = ler.Texto(3);
    s.banco = ler.Texto(4);
    s.idDoBanco = static_cast<int>(ler.Inteiro(5));
    s.pid = ler.Inteiro(6);
    s.horaDoLogin = LerDataHora(ler.Texto(7));
    s.ultimoLote = LerDataHora(ler.Texto(8));
    s.status = ler.Texto(9);
    return s;
}

constexpr const char* kSelecaoDeSessoes =
    "SELECT s.spid, s.login, s.host, s.programa, coalesce(b.nome, ''), s.banco, s.pid, "
    "s.hora_login, s.ultimo_lote, s.status FROM srv_sessoes s "
    "LEFT JOIN srv_bancos b ON b.id = s.banco ";

// Whether the process `pid` that started at `inicio` is gone, or its pid was taken by a
// newer process.
bool ProcessoMorto(std::int64_t pid, const std::string& inicio) {
    if (!ProcessoVivo(pid)) return true;
    if (inicio.empty()) return false;
    const std::string atual = InicioDoProcesso(pid);
    return !atual.empty() && atual != inicio;
}

// What tells this row from any other a session of the same spid ever had, here or in
// another process: a random 63-bit number, drawn anew for each session, so that a session
// killed and followed by another of its number never reads as alive again.
std::int64_t NovaChaveDeSessao() {
    std::uint64_t bits = 0;
    sqlite3_randomness(sizeof bits, &bits);
    return static_cast<std::int64_t>(bits >> 1);
}

}  // namespace

std::set<int> Servidor::LimparSessoesMortas() {
    // every row, read once: the spids the live ones hold are what a new session picks from
    Comando ler(master_, "SELECT spid, pid, inicio_processo, maquina = ? FROM srv_sessoes");
    ler.Ligar(1, maquina_);
    std::set<int> vivas;
    std::set<std::pair<std::int64_t, std::string>> mortos, vistos;
    while (ler.Passo()) {
        const int spid = static_cast<int>(ler.Inteiro(0));
        const std::int64_t pid = ler.Inteiro(1);
        const std::string inicio = ler.Texto(2);
        const bool daMaquina = ler.Inteiro(3) != 0;
        if (daMaquina && !(pid == pid_ && inicio == inicioDoProcesso_) &&
            vistos.emplace(pid, inicio).second && ProcessoMorto(pid, inicio))
            mortos.emplace(pid, inicio);
        if (!daMaquina || !mortos.count({pid, inicio})) vivas.insert(spid);
    }
    if (mortos.empty()) return vivas;
    Comando apagar(master_,
                   "DELETE FROM srv_sessoes WHERE maquina = ? AND pid = ? AND inicio_processo = ?");
    for (const auto& [pid, inicio] : mortos) {
        apagar.Ligar(1, maquina_).Ligar(2, pid).Ligar(3, inicio).Executar();
        apagar.Reiniciar();
    }
    return vivas;
}

int Servidor::ContarSessoesNoBanco(int idDoBanco, int excetoSpid) {
    Comando contar(master_, "SELECT count(*) FROM srv_sessoes WHERE banco = ? AND spid <> ?");
    contar.Ligar(1, std::int64_t{idDoBanco}).Ligar(2, std::int64_t{excetoSpid});
    contar.Passo();
    return static_cast<int>(contar.Inteiro(0));
}

SessaoAberta Servidor::AbrirSessao(const Login& login, const std::string& banco,
                                   const std::string& host, const std::string& programa,
                                   std::int64_t pid) {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    std::set<int> usados = LimparSessoesMortas();
    const bool padrao = ChaveDeNome(banco).empty();
    const std::string nomeDoBanco = !padrao                     ? banco
                                    : login.bancoPadrao.empty() ? "master"
                                                                : login.bancoPadrao;
    auto info = AcharLinhaDoBanco(nomeDoBanco);
    if (padrao && (!info || info->estado != "ONLINE")) throw ErroDoServidor(4064);
    if (!info || info->estado != "ONLINE") throw BancoNaoAbre(nomeDoBanco);
    if (info->usuarioUnico && ContarSessoesNoBanco(info->id, 0) > 0)
        throw UsuarioUnicoOcupado(info->nome);

    // The lowest free number, as SQL Server does; a number this object handed out
    // stays taken until closed, so that a killed session never reads as alive again.
    for (const auto& [numero, chave] : minhasSessoes_) usados.insert(numero);
    int spid = kPrimeiroSpid;
    while (usados.count(spid)) ++spid;
    const std::int64_t pidDaSessao = pid > 0 ? pid : pid_;
    const std::string inicio = pidDaSessao == pid_ ? inicioDoProcesso_ : InicioDoProcesso(pid);
    const std::string agora = AgoraComoTexto();
    const std::int64_t chaveDaSessao = NovaChaveDeSessao();
    Comando inserir(
        master_,
        "INSERT INTO srv_sessoes (spid, login, chave_login, host, chave_host, programa, "
        "banco, pid, maquina, inicio_processo, hora_login, ultimo_lote, status, chave) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'sleeping', ?)");
    inserir.Ligar(1, std::int64_t{spid})
        .Ligar(2, login.nome)
        .Ligar(3, ChaveDeNome(login.nome))
        .Ligar(4, host)
        .Ligar(5, ChaveDeNome(host))
        .Ligar(6, programa)
        .Ligar(7, std::int64_t{info->id})
        .Ligar(8, pidDaSessao)
        .Ligar(9, maquina_)
        .Ligar(10, inicio)
        .Ligar(11, agora)
        .Ligar(12, agora)
        .Ligar(13, chaveDaSessao)
        .Executar();
    transacao.Confirmar();
    minhasSessoes_[spid] = chaveDaSessao;
    return SessaoAberta{spid, info->arquivoSqlite, info->nome};
}

std::filesystem::path Servidor::TrocarBanco(int spid, const std::string& banco) {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    LimparSessoesMortas();
    if (!SessaoViva(spid)) throw ErroDoServidor(596);
    const auto info = AcharBancoOnline(banco);
    if (info.usuarioUnico && ContarSessoesNoBanco(info.id, spid) > 0)
        throw UsuarioUnicoOcupado(info.nome);
    Comando mudar(master_, "UPDATE srv_sessoes SET banco = ? WHERE spid = ?");
    mudar.Ligar(1, std::int64_t{info.id}).Ligar(2, std::int64_t{spid}).Executar();
    transacao.Confirmar();
    return info.arquivoSqlite;
}

void Servidor::FecharSessao(int spid) noexcept {
    try {
        std::lock_guard trava(mutex_);
        auto minha = minhasSessoes_.find(spid);
        if (minha != minhasSessoes_.end()) {
            Comando apagar(master_, "DELETE FROM srv_sessoes WHERE spid = ? AND chave = ?");
            apagar.Ligar(1, std::int64_t{spid}).Ligar(2, minha->second).Executar();
            minhasSessoes_.erase(minha);
        } else {
            Comando apagar(master_, "DELETE FROM srv_sessoes WHERE spid = ?");
            apagar.Ligar(1, std::int64_t{spid}).Executar();
            AvisarMudanca();
        }
    } catch (...) {
        // A session left behind is removed with its process.
    }
}

std::uint64_t Servidor::Sinal() {
    return sinal_->Ler();
}

std::uint64_t Servidor::AvisarMudanca() {
    return sinal_->Avisar();
}

bool Servidor::SessaoViva(int spid) {
    std::lock_guard trava(mutex_);
    auto minha = minhasSessoes_.find(spid);
    if (minha != minhasSessoes_.end()) {
        Comando ler(master_, "SELECT 1 FROM srv_sessoes WHERE spid = ? AND chave = ?");
        ler.Ligar(1, std::int64_t{spid}).Ligar(2, minha->second);
        return ler.Passo();
    }
    Comando ler(master_, "SELECT 1 FROM srv_sessoes WHERE spid = ?");
    ler.Ligar(1, std::int64_t{spid});
    return ler.Passo();
}

// last_batch is when the last batch began (sys.dm_exec_sessions' last_request_start_time):
// its end only changes the status.
void Servidor::MarcarLote(int spid, bool emExecucao) {
    std::lock_guard trava(mutex_);
    Comando marcar(master_,
                   emExecucao ? "UPDATE srv_sessoes SET status = ?, ultimo_lote = ? WHERE spid = ?"
                              : "UPDATE srv_sessoes SET status = ? WHERE spid = ?");
    marcar.Ligar(1, std::string(emExecucao ? "runnable" : "sleeping"));
    if (emExecucao) marcar.Ligar(2, AgoraComoTexto());
    marcar.Ligar(emExecucao ? 3 : 2, std::int64_t{spid}).Executar();
}

std::vector<InfoDaSessao> Servidor::ListarSessoes() {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    LimparSessoesMortas();
    Comando ler(master_, (std::string(kSelecaoDeSessoes) + "ORDER BY s.spid").c_str());
    std::vector<InfoDaSessao> sessoes;
    while (ler.Passo()) sessoes.push_back(LerSessao(ler));
    transacao.Confirmar();
    return sessoes;
}

std::optional<InfoDaSessao> Servidor::AcharSessao(int spid) {
    std::lock_guard trava(mutex_);
    Comando ler(master_, (std::string(kSelecaoDeSessoes) + "WHERE s.spid = ?").c_str());
    ler.Ligar(1, std::int64_t{spid});
    if (!ler.Passo()) return std::nullopt;
    return LerSessao(ler);
}

int Servidor::MatarSessoes(const std::string& login, const std::string& host) {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    Comando contar(master_,
                   "SELECT count(*) FROM srv_sessoes WHERE chave_login = ? AND chave_host = ?");
    contar.Ligar(1, ChaveDeNome(login)).Ligar(2, ChaveDeNome(host));
    contar.Passo();
    const int quantas = static_cast<int>(contar.Inteiro(0));
    Comando apagar(master_, "DELETE FROM srv_sessoes WHERE chave_login = ? AND chave_host = ?");
    apagar.Ligar(1, ChaveDeNome(login)).Ligar(2, ChaveDeNome(host)).Executar();
    transacao.Confirmar();
    AvisarMudanca();
    return quantas;
}

void Servidor::MatarSessao(int spid, int spidQuePede) {
    std::lock_guard trava(mutex_);
    if (spid == spidQuePede) throw ErroDoServidor(6104);
    Transacao transacao(master_);
    Comando apagar(master_, "DELETE FROM srv_sessoes WHERE spid = ?");
    apagar.Ligar(1, std::int64_t{spid}).Executar();
    Comando mudancas(master_, "SELECT changes()");
    mudancas.Passo();
    if (mudancas.Inteiro(0) == 0) throw ErroDoServidor(6106, {std::to_string(spid)});
    transacao.Confirmar();
    AvisarMudanca();
}

}  // namespace zolvek::simulador
