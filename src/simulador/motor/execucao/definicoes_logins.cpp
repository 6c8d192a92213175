// Logins and the server role sysadmin: ALTER LOGIN, ALTER SERVER ROLE, sp_password,
// sp_addsrvrolemember and sp_dropsrvrolemember.

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

// The fixed server roles of SQL Server; the engine keeps the members of sysadmin only.
bool PapelFixoDoServidor(const std::string& papel) {
    for (const char* p : {"sysadmin", "serveradmin", "setupadmin", "securityadmin", "processadmin",
                          "dbcreator", "diskadmin", "bulkadmin"})
        if (IguaisCiAs(papel, p)) return true;
    return false;
}

}  // namespace

void Definicoes::ComandoDeServidor(const instrucao::AlterarLogin& c) {
    AlteracaoDeLogin a;
    a.senha = c.senha;
    a.senhaAntiga = c.senhaAntiga;
    a.bancoPadrao = c.bancoPadrao;
    a.desabilitado = c.desabilitado;
    s_.ServidorAtual().AlterarLogin(c.login, a, Login{s_.NomeDoLogin(), s_.Sysadmin()});
}

// ALTER SERVER ROLE came with SQL Server 2012.
void Definicoes::ComandoDeServidor(const instrucao::AlterarPapelDoServidor& c) {
    if (s_.ServidorAtual().Versao().maior < 11) throw ErroDoServidor(102, {"'ROLE'"});
    MudarMembroDoServidor(c);
}

void Definicoes::MudarMembroDoServidor(const instrucao::AlterarPapelDoServidor& c) {
    if (!PapelFixoDoServidor(c.papel) || !s_.Sysadmin())
        throw ErroDoServidor(15151, {"alter", "server role", c.papel});
    if (!IguaisCiAs(c.papel, "sysadmin"))
        throw Recusa(
            "O simulador de SQL Server só guarda os membros do papel de servidor "
            "sysadmin.");
    Servidor& srv = s_.ServidorAtual();
    if (!srv.AcharLogin(c.membro))
        throw ErroDoServidor(
            15151, {std::string(c.adicionarMembro ? "add" : "drop"), "principal", c.membro});
    srv.DefinirSysadmin(c.membro, c.adicionarMembro);
}

// sp_addsrvrolemember / sp_dropsrvrolemember @loginame, @rolename.
void Definicoes::MembroDoPapelDoServidor(const Argumentos& args, bool adicionar) {
    const std::string login = ArgumentoDoSistema(args, 0, "loginame").value_or("");
    const std::string papel = ArgumentoDoSistema(args, 1, "rolename").value_or("");
    if (!PapelFixoDoServidor(papel)) throw ErroDoServidor(15412, {papel});
    if (!s_.ServidorAtual().AcharLogin(login)) throw ErroDoServidor(15007, {login});
    instrucao::AlterarPapelDoServidor c;
    c.papel = papel;
    c.membro = login;
    c.adicionarMembro = adicionar;
    MudarMembroDoServidor(c);
    resultados_.push_back(db::Resultado{});
}

void Definicoes::AdicionarAoPapelDoServidor(const Argumentos& args) {
    MembroDoPapelDoServidor(args, true);
}

void Definicoes::RemoverDoPapelDoServidor(const Argumentos& args) {
    MembroDoPapelDoServidor(args, false);
}

// sp_password @old, @new [, @loginame]: ALTER LOGIN ... WITH PASSWORD, of the caller's own
// login when none is named.
void Definicoes::TrocarSenha(const Argumentos& args) {
    const std::string login = ArgumentoDoSistema(args, 2, "loginame").value_or(s_.NomeDoLogin());
    const auto l = s_.ServidorAtual().AcharLogin(login);
    if (!l || l->integrado) throw ErroDoServidor(15007, {login});
    instrucao::AlterarLogin c;
    c.login = login;
    c.senha = ArgumentoDoSistema(args, 1, "new").value_or("");
    c.senhaAntiga = ArgumentoDoSistema(args, 0, "old");
    ComandoDeServidor(c);
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
