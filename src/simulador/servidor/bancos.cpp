#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/servidor/banco_sqlite.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

using namespace interno;

ArquivoDoBanco interno::LerArquivoDoBanco(const Comando& linha) {
    ArquivoDoBanco a;
    a.nomeLogico = linha.Texto(0);
    a.nomeFisico = linha.Texto(1);
    a.tipo = linha.Texto(2) == "L" ? 'L' : 'D';
    a.grupo = linha.Texto(3);
    a.id = static_cast<int>(linha.Inteiro(4));
    a.tamanhoKb = linha.Inteiro(5);
    a.tamanhoMaximoKb = linha.Inteiro(6);
    a.crescimento = linha.Inteiro(7);
    a.crescimentoEmPorcentagem = linha.Inteiro(8) != 0;
    return a;
}

InfoDoBanco Servidor::AcharBancoOnline(const std::string& nome) {
    auto info = AcharBanco(nome);
    if (!info) throw ErroDoServidor(911, {nome});
    if (info->estado != "ONLINE") throw ErroDoServidor(927, {info->nome});
    return *info;
}

namespace {

// The options sp_dboption knows, in its own spelling and order.
const std::vector<std::string> kOpcoes = {"ANSI null default",
                                          "ANSI nulls",
                                          "ANSI padding",
                                          "ANSI warnings",
                                          "arithabort",
                                          "auto create statistics",
                                          "auto update statistics",
                                          "autoclose",
                                          "autoshrink",
                                          "concat null yields null",
                                          "cursor close on commit",
                                          "db chaining",
                                          "dbo use only",
                                          "default to local cursor",
                                          "merge publish",
                                          "numeric roundabort",
                                          "offline",
                                          "published",
                                          "quoted identifier",
                                          "read only",
                                          "recursive triggers",
                                          "select into/bulkcopy",
                                          "single user",
                                          "subscribed",
                                          "torn page detection",
                                          "trunc. log on chkpt."};

// What a new database starts with, as the model database of a fresh server.
const std::vector<std::string> kOpcoesIniciais = {"auto create statistics",
                                                  "auto update statistics"};

constexpr const char* kOpcaoUsuarioUnico = "single user";

ErroDeBanco BancoInexistenteNoSpDboption(const std::string& banco) {
    return ErroDoServidor(
        15010,
        {banco, "Supply a valid database name. To see available databases, use sys.databases."});
}

ErroDeBanco BancoInexistenteNoAlter(const std::string& banco) {
    return ErroDoServidor(5011, {banco});
}

// The folder part of a physical file name (up to and including the last separator).
std::string PastaDe(const std::string& nomeFisico) {
    auto fim = nomeFisico.find_last_of("\\/");
    return fim == std::string::npos ? std::string() : nomeFisico.substr(0, fim + 1);
}

}  // namespace

// ---- reading -------------------------------------------------------------------------

std::optional<InfoDoBanco> Servidor::AcharBanco(const std::string& nome) {
    std::lock_guard trava(mutex_);
    auto info = AcharLinhaDoBanco(nome);
    if (info) LerArquivosEOpcoes(*info);
    return info;
}

std::optional<InfoDoBanco> Servidor::AcharBancoPorId(int id) {
    std::lock_guard trava(mutex_);
    Comando ler(master_,
                "SELECT id, nome, arquivo, criacao, usuario_unico, estado FROM srv_bancos "
                "WHERE id = ?");
    ler.Ligar(1, std::int64_t{id});
    if (!ler.Passo()) return std::nullopt;
    InfoDoBanco info = LinhaDoBanco(ler);
    LerArquivosEOpcoes(info);
    return info;
}

std::optional<InfoDoBanco> Servidor::AcharLinhaDoBanco(const std::string& nome) {
    std::lock_guard trava(mutex_);
    Comando ler(master_,
                "SELECT id, nome, arquivo, criacao, usuario_unico, estado FROM srv_bancos "
                "WHERE chave = ?");
    ler.Ligar(1, ChaveDeNome(nome));
    if (!ler.Passo()) return std::nullopt;
    return LinhaDoBanco(ler);
}

InfoDoBanco Servidor::LinhaDoBanco(const Comando& ler) const {
    InfoDoBanco info;
    info.id = static_cast<int>(ler.Inteiro(0));
    info.nome = ler.Texto(1);
    info.arquivoSqlite = CaminhoSqlite(ler.Texto(2));
    info.criacao = LerDataHora(ler.Texto(3));
    info.usuarioUnico = ler.Inteiro(4) != 0;
    info.estado = ler.Texto(5);
    return info;
}

void Servidor::LerArquivosEOpcoes(InfoDoBanco& info) {
    const int id = info.id;
    Comando arquivos(master_,
                     "SELECT nome_logico, nome_fisico, tipo, grupo, id, tamanho_kb, "
                     "tamanho_maximo_kb, crescimento, em_porcentagem FROM srv_arquivos "
                     "WHERE banco = ? ORDER BY id");
    arquivos.Ligar(1, std::int64_t{id});
    while (arquivos.Passo()) {
        info.arquivos.push_back(LerArquivoDoBanco(arquivos));
    }
    Comando opcoes(master_, "SELECT opcao FROM srv_opcoes WHERE banco = ?");
    opcoes.Ligar(1, std::int64_t{id});
    std::set<std::string> ligadas;
    while (opcoes.Passo()) ligadas.insert(opcoes.Texto(0));
    if (info.usuarioUnico) ligadas.insert(kOpcaoUsuarioUnico);
    for (const auto& opcao : kOpcoes)
        if (ligadas.count(opcao)) info.opcoesLigadas.push_back(opcao);
}

std::vector<InfoDoBanco> Servidor::ListarBancos() {
    std::lock_guard trava(mutex_);
    std::vector<int> ids;
    {
        Comando ler(master_, "SELECT id FROM srv_bancos ORDER BY id");
        while (ler.Passo()) ids.push_back(static_cast<int>(ler.Inteiro(0)));
    }
    std::vector<InfoDoBanco> bancos;
    for (int id : ids)
        if (auto info = AcharBancoPorId(id)) bancos.push_back(std::move(*info));
    return bancos;
}

// ---- files ---------------------------------------------------------------------------

std::string Servidor::NovoNomeDeArquivo(const std::string& banco) {
    std::string base;
    for (unsigned char c : banco) {
        if (base.size() >= 40) break;
        base += (std::isalnum(c) && c < 0x80) || c == '_' || c == '-' ? static_cast<char>(c) : '_';
    }
    Comando ler(master_, "SELECT valor FROM srv_parametros WHERE nome = 'proximo_arquivo'");
    std::int64_t numero = ler.Passo() ? std::stoll(ler.Texto(0)) : 1;
    std::string nome;
    do {
        nome = base + "_" + std::to_string(numero++) + ".sqlite";
    } while (std::filesystem::exists(CaminhoSqlite(nome)));
    Comando gravar(
        master_,
        "INSERT OR REPLACE INTO srv_parametros (nome, valor) VALUES ('proximo_arquivo', ?)");
    gravar.Ligar(1, std::to_string(numero)).Executar();
    return nome;
}

void Servidor::GravarArquivos(int idDoBanco, const std::vector<ArquivoDoBanco>& arquivos) {
    Comando apagar(master_, "DELETE FROM srv_arquivos WHERE banco = ?");
    apagar.Ligar(1, std::int64_t{idDoBanco}).Executar();
    Comando inserir(master_,
                    "INSERT INTO srv_arquivos (banco, id, nome_logico, nome_fisico, chave_fisica, "
                    "tipo, grupo, tamanho_kb, tamanho_maximo_kb, crescimento, em_porcentagem) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& a : arquivos) {
        inserir.Ligar(1, std::int64_t{idDoBanco})
            .Ligar(2, std::int64_t{a.id})
            .Ligar(3, a.nomeLogico)
            .Ligar(4, a.nomeFisico)
            .Ligar(5, ChaveDeNome(a.nomeFisico))
            .Ligar(6, std::string(1, a.tipo))
            .Ligar(7, a.grupo)
            .Ligar(8, a.tamanhoKb)
            .Ligar(9, a.tamanhoMaximoKb)
            .Ligar(10, a.crescimento)
            .Ligar(11, std::int64_t{a.crescimentoEmPorcentagem})
            .Executar();
        inserir.Reiniciar();
    }
}

// A physical file may belong to one database only (names compare as Windows does).
void Servidor::ExigirArquivosLivres(const std::vector<ArquivoDoBanco>& arquivos, int idDoBanco,
                                    bool criando) {
    std::set<std::string> logicos;
    std::map<std::string, const ArquivoDoBanco*> fisicos;
    for (const auto& a : arquivos) {
        if (!logicos.insert(ChaveDeNome(a.nomeLogico)).second)
            throw ErroDoServidor(1828, {a.nomeLogico});
        if (const auto [outro, novo] = fisicos.emplace(ChaveDeNome(a.nomeFisico), &a); !novo) {
            const ArquivoDoBanco& b = *outro->second;
            if (!criando)
                throw ErroDoServidor(3176, {a.nomeFisico, b.nomeLogico, std::to_string(b.id),
                                            a.nomeLogico, std::to_string(a.id)});
            throw ErroDeBanco("File '" + a.nomeFisico +
                              "' is claimed by more than one file of the database.");
        }
        Comando dono(master_,
                     "SELECT b.nome FROM srv_arquivos a JOIN srv_bancos b ON b.id = a.banco "
                     "WHERE a.chave_fisica = ? AND a.banco <> ?");
        dono.Ligar(1, ChaveDeNome(a.nomeFisico)).Ligar(2, std::int64_t{idDoBanco});
        if (dono.Passo()) {
            if (criando) throw ErroDoServidor(5170, {a.nomeFisico});
            throw ErroDoServidor(1834, {a.nomeFisico, dono.Texto(0)});
        }
    }
}

// ---- create and drop -----------------------------------------------------------------

namespace {

// The files a new database gets: those it names, or a data and a log file of its name in
// the default folder; numbered as SQL Server numbers them.
std::vector<ArquivoDoBanco> ArquivosDoNovoBanco(const std::string& nome,
                                                const DefinicaoDeBanco& definicao) {
    std::vector<ArquivoDoBanco> arquivos;
    std::vector<ArquivoDoBanco> dados = definicao.dados;
    std::vector<ArquivoDoBanco> log = definicao.log;
    if (dados.empty()) {
        ArquivoDoBanco a;
        a.nomeLogico = nome;
        a.nomeFisico = std::string(kPastaDeDadosPadrao) + nome + ".mdf";
        a.tamanhoKb = 3072;
        a.crescimento = 1024;
        a.crescimentoEmPorcentagem = false;
        dados.push_back(a);
    }
    if (log.empty()) {
        ArquivoDoBanco a;
        a.nomeLogico = nome + "_log";
        std::string pasta = PastaDe(dados.front().nomeFisico);
        a.nomeFisico =
            (pasta.empty() ? std::string(kPastaDeDadosPadrao) : pasta) + nome + "_log.ldf";
        a.tamanhoKb = 1024;
        log.push_back(a);
    }
    // File ids: the primary data file 1, the first log file 2, then the others in order.
    int proximoId = 3;
    for (std::size_t i = 0; i < dados.size(); ++i) {
        ArquivoDoBanco a = dados[i];
        a.tipo = 'D';
        if (a.grupo.empty()) a.grupo = "PRIMARY";
        if (a.tamanhoKb <= 0) a.tamanhoKb = 3072;
        a.id = i == 0 ? 1 : proximoId++;
        arquivos.push_back(a);
    }
    for (std::size_t i = 0; i < log.size(); ++i) {
        ArquivoDoBanco a = log[i];
        a.tipo = 'L';
        a.grupo.clear();
        if (a.tamanhoKb <= 0) a.tamanhoKb = 1024;
        a.id = i == 0 ? 2 : proximoId++;
        arquivos.push_back(a);
    }
    std::sort(arquivos.begin(), arquivos.end(),
              [](const ArquivoDoBanco& x, const ArquivoDoBanco& y) { return x.id < y.id; });
    return arquivos;
}

}  // namespace

InfoDoBanco Servidor::CriarBanco(const DefinicaoDeBanco& definicao) {
    const std::string nome = texto::Aparar(definicao.nome);
    if (nome.empty()) throw ErroDoServidor(102, {"'DATABASE'"});
    if (nome.size() > 128) throw ErroDoServidor(103, {nome.substr(0, 128)});

    const std::vector<ArquivoDoBanco> arquivos = ArquivosDoNovoBanco(nome, definicao);

    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    const std::string chave = ChaveDeNome(nome);
    if (AcharBanco(nome) || chave == "TEMPDB" || chave == "MODEL" || chave == "MSDB")
        throw ErroDoServidor(1801, {nome});
    ExigirArquivosLivres(arquivos, 0, true);

    Comando proximo(master_, "SELECT max(5, coalesce(max(id) + 1, 5)) FROM srv_bancos");
    proximo.Passo();
    const int id = static_cast<int>(proximo.Inteiro(0));
    const std::string arquivo = NovoNomeDeArquivo(nome);
    const auto caminho = CaminhoSqlite(arquivo);
    try {
        // An empty file: the engine lays out its catalog when it first opens it.
        FecharArquivoSqlite(AbrirArquivoSqlite(caminho.string(), false, true));
        Comando inserir(master_,
                        "INSERT INTO srv_bancos (id, chave, nome, arquivo, criacao) "
                        "VALUES (?, ?, ?, ?, ?)");
        inserir.Ligar(1, std::int64_t{id})
            .Ligar(2, chave)
            .Ligar(3, nome)
            .Ligar(4, arquivo)
            .Ligar(5, AgoraComoTexto())
            .Executar();
        GravarArquivos(id, arquivos);
        Comando opcao(master_, "INSERT INTO srv_opcoes (banco, opcao) VALUES (?, ?)");
        for (const auto& o : kOpcoesIniciais) {
            opcao.Ligar(1, std::int64_t{id}).Ligar(2, o).Executar();
            opcao.Reiniciar();
        }
        transacao.Confirmar();
    } catch (...) {
        RemoverArquivoSqlite(caminho);
        throw;
    }
    return *AcharBancoPorId(id);
}

void Servidor::ExcluirBanco(const std::string& nome) {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    LimparSessoesMortas();
    auto info = AcharBanco(nome);
    if (!info) throw ErroDoServidor(3701, {"database", nome});
    if (info->id == 1) throw ErroDoServidor(3708, {"drop", "database", info->nome, "database"});
    if (ContarSessoesNoBanco(info->id, 0) > 0) throw ErroDoServidor(3702, {info->nome});
    Comando apagar(master_, "DELETE FROM srv_bancos WHERE id = ?");
    apagar.Ligar(1, std::int64_t{info->id}).Executar();
    transacao.Confirmar();
    RemoverArquivoSqlite(info->arquivoSqlite);
}

// ---- options -------------------------------------------------------------------------

std::vector<std::string> Servidor::OpcoesValidas() {
    return kOpcoes;
}

std::string Servidor::NomeDaOpcao(const std::string& opcao) {
    const std::string procurada = ChaveDeNome(opcao);
    std::vector<std::string> achadas;
    for (const auto& o : kOpcoes) {
        const std::string chave = ChaveDeNome(o);
        if (chave == procurada) return o;
        if (!procurada.empty() && chave.rfind(procurada, 0) == 0) achadas.push_back(o);
    }
    if (achadas.size() == 1) return achadas.front();
    if (achadas.size() > 1) throw ErroDoServidor(15242, {opcao});
    throw ErroDoServidor(15011, {opcao});
}

bool Servidor::LerOpcao(const std::string& banco, const std::string& opcao) {
    const std::string nome = NomeDaOpcao(opcao);
    auto info = AcharBanco(banco);
    if (!info) throw BancoInexistenteNoSpDboption(banco);
    return std::find(info->opcoesLigadas.begin(), info->opcoesLigadas.end(), nome) !=
           info->opcoesLigadas.end();
}

void Servidor::DefinirOpcao(const std::string& banco, const std::string& opcao,
                            const std::string& valor, int spidQuePede) {
    const std::string nome = NomeDaOpcao(opcao);
    const std::string chaveDoValor = ChaveDeNome(texto::Aparar(valor));
    bool ligar;
    if (chaveDoValor == "TRUE" || chaveDoValor == "ON")
        ligar = true;
    else if (chaveDoValor == "FALSE" || chaveDoValor == "OFF")
        ligar = false;
    else
        throw ErroDoServidor(15241);

    std::lock_guard trava(mutex_);
    auto info = AcharBanco(banco);
    if (!info) throw BancoInexistenteNoSpDboption(banco);
    if (nome == kOpcaoUsuarioUnico) {
        DefinirUsuarioUnico(info->nome, ligar, spidQuePede);
        return;
    }
    Comando mudar(master_, ligar ? "INSERT OR IGNORE INTO srv_opcoes (banco, opcao) VALUES (?, ?)"
                                 : "DELETE FROM srv_opcoes WHERE banco = ? AND opcao = ?");
    mudar.Ligar(1, std::int64_t{info->id}).Ligar(2, nome).Executar();
}

void Servidor::DefinirUsuarioUnico(const std::string& banco, bool usuarioUnico, int spidQuePede,
                                   bool encerrarOutras) {
    std::lock_guard trava(mutex_);
    Transacao transacao(master_);
    LimparSessoesMortas();
    auto info = AcharBanco(banco);
    if (!info || info->estado != "ONLINE") throw BancoInexistenteNoAlter(banco);
    if (info->id == 1)
        throw ErroDoServidor(5058, {(usuarioUnico ? "SINGLE_USER" : "MULTI_USER"), "master"});
    if (usuarioUnico && ContarSessoesNoBanco(info->id, spidQuePede) > 0) {
        if (!encerrarOutras) throw ErroDoServidor(5061, {info->nome});
        Comando encerrar(master_, "DELETE FROM srv_sessoes WHERE banco = ? AND spid <> ?");
        encerrar.Ligar(1, std::int64_t{info->id}).Ligar(2, std::int64_t{spidQuePede}).Executar();
    }
    Comando mudar(master_, "UPDATE srv_bancos SET usuario_unico = ? WHERE id = ?");
    mudar.Ligar(1, std::int64_t{usuarioUnico}).Ligar(2, std::int64_t{info->id}).Executar();
    transacao.Confirmar();
    AvisarMudanca();  // the sessions it ended learn of it
}

}  // namespace zolvek::simulador
