#include "simulador/tds/login.hpp"

#include <algorithm>

#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/simulador.hpp"
#include "simulador/tds/resposta.hpp"

namespace zolvek::simulador::tds {

namespace {

constexpr std::size_t kPacoteMinimo = 512;
constexpr std::size_t kPacoteMaximo = 32767;
constexpr std::size_t kPacotePadrao = 4096;

// An entry of the stand-in's connection string, in braces so that any text passes.
std::string Entrada(const std::string& chave, const std::string& valor) {
    std::string r = ";" + chave + "={";
    for (char c : valor) {
        r += c;
        if (c == '}') r += '}';
    }
    return r + "}";
}

std::string CadeiaDoLogin(const Login7& l, const std::string& pasta) {
    std::string c = "Provider=Simulador" + Entrada("Data Source", pasta) +
                    Entrada("User ID", l.usuario) + Entrada("Password", l.senha);
    if (!l.banco.empty()) c += Entrada("Initial Catalog", l.banco);
    if (!l.host.empty()) c += Entrada("Workstation ID", l.host);
    if (!l.aplicacao.empty()) c += Entrada("Application Name", l.aplicacao);
    return c;
}

void Recusar(SessaoTds& s, const std::string& usuario, const ErroDeBanco& e) {
    Resposta r(s.canal, s.servidor);
    MensagemDoServidor m = MensagemDoErro(e, s.servidor);
    if (e.Numero() == 0) {  // the stand-in's own refusal of the login
        m.numero = 18456;
        m.classe = 14;
    }
    EscreverMensagem(r.Corpo(), m);
    if (m.numero == 4060) r.Erro(ErroDoServidor(18456, {usuario}));
    r.Fim(kFim, kFimErro);
    r.Concluir();
    s.registrar("login recusado de " + s.cliente + " para '" + usuario + "': " + e.what());
}

// What the answer to the login tells: the session's database, spid, language and the
// server's name and version.
void LerSessao(SessaoTds& s) {
    const auto r = s.conector->Executar(
        "SELECT DB_NAME(), @@SPID, @@LANGUAGE, @@SERVERNAME, "
        "CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion'))",
        {}, 0);
    const auto& linha = r.back().linhas.at(0);
    s.banco = db::ValorComoTexto(linha[0]);
    s.spid = static_cast<int>(db::ValorComoInteiro(linha[1]));
    s.idioma = db::ValorComoTexto(linha[2]);
    s.servidor = db::ValorComoTexto(linha[3]);
    s.versao = db::ValorComoTexto(linha[4]);
}

}  // namespace

bool Entrar(SessaoTds& s, const Login7& login, const std::string& pasta) {
    if (login.segurancaIntegrada) {
        Recusar(s, login.usuario,
                ErroDeBanco("O servidor TDS do simulador não aceita autenticação do Windows "
                            "(SSPI): use um login do SQL Server com senha.",
                            18452, 14, 1));
        return false;
    }
    if (login.mudarSenha) {
        Recusar(s, login.usuario,
                ErroDeBanco("O servidor TDS do simulador não muda senhas no login: use ALTER "
                            "LOGIN depois de conectar.",
                            18456, 14, 1));
        return false;
    }
    s.login = login.usuario;
    s.cadeia = CadeiaDoLogin(login, pasta);
    try {
        s.conector = CriarConector(s.cadeia);
        s.conector->Abrir();
        if (!login.idioma.empty())
            s.conector->Executar("SET LANGUAGE [" + login.idioma + "]", {}, 0);
        LerSessao(s);
    } catch (const ErroDeBanco& e) {
        s.conector.reset();
        Recusar(s, login.usuario, e);
        return false;
    }
    std::size_t pacote = login.tamanhoDoPacote == 0 ? kPacotePadrao : login.tamanhoDoPacote;
    pacote = std::clamp(pacote, kPacoteMinimo, kPacoteMaximo);
    Resposta r(s.canal, s.servidor);
    EscreverAmbiente(r.Corpo(), kAmbienteBanco, s.banco, "master");
    r.Info(5701, 0, "Changed database context to '" + s.banco + "'.");
    EscreverAmbienteBinario(r.Corpo(), kAmbienteColacao, kColacao, {});
    EscreverAmbiente(r.Corpo(), kAmbienteIdioma, s.idioma, "");
    r.Info(5703, 0, "Changed language setting to " + s.idioma + ".");
    EscreverLoginAck(r.Corpo(), s.versao);
    EscreverAmbiente(r.Corpo(), kAmbienteTamanhoDoPacote, std::to_string(pacote),
                     std::to_string(s.canal.TamanhoDoPacote()));
    r.Fim(kFim, 0);
    r.Concluir();
    s.canal.DefinirTamanhoDoPacote(pacote);
    s.canal.DefinirSpid(static_cast<std::uint16_t>(s.spid));
    s.registrar("conexão de " + s.cliente + ": login '" + login.usuario + "', banco '" + s.banco +
                "', programa '" + login.aplicacao + "', sessão " + std::to_string(s.spid));
    return true;
}

}  // namespace zolvek::simulador::tds
