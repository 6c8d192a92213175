// Logins and database principals: CREATE LOGIN, CREATE and DROP USER, CREATE ROLE,
// ALTER ROLE (also sp_grantdbaccess, sp_adduser, sp_addrolemember, sp_droprolemember).

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

// The role of every database (a fixed role or public) the name gives, as it is spelled;
// null for another name.
const char* PapelDeTodoBanco(const std::string& p) {
    return IguaisCiAs(p, "public") ? "public" : NomeDoPapelFixo(p);
}

}  // namespace

void Definicoes::ComandoDeUsuario(const instrucao::CriarLogin& c) {
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin()) throw ErroDoServidor(15247);
    if (c.bancoPadrao && !srv.AcharBanco(*c.bancoPadrao))
        throw BancoPadraoInexistente(*c.bancoPadrao);
    if (c.semLogin)
        srv.CriarLoginIntegrado(c.objeto.Nome());
    else
        srv.CriarLogin(c.objeto.Nome(), c.senha);
    if (c.bancoPadrao) {
        AlteracaoDeLogin a;
        a.bancoPadrao = c.bancoPadrao;
        srv.AlterarLogin(c.objeto.Nome(), a, Login{s_.NomeDoLogin(), true});
    }
}

void Definicoes::ComandoDeUsuario(const instrucao::CriarUsuario& c) {
    s_.GarantirEscrita();  // sp_grantdbaccess and sp_adduser come here too
    sqlite3* db = s_.Conexao();
    Servidor& srv = s_.ServidorAtual();
    if (!DonoDoBanco()) throw ErroDoServidor(15247);
    if (!c.semLogin && !srv.AcharLogin(c.login)) throw ErroDoServidor(15007, {c.login});
    if (ExisteUsuario(c.objeto.Nome(), -1) || PapelDeTodoBanco(c.objeto.Nome()) ||
        IguaisCiAs(c.objeto.Nome(), "dbo"))
        throw ErroDoServidor(15023, {c.objeto.Nome()});
    if (!c.semLogin) {
        Instrucao q(db, "SELECT nome FROM zv_usuarios WHERE login=?");
        q.Ligar(1, c.login);
        if (q.Passo()) throw ErroDoServidor(15063);
    }
    Instrucao ins(db, "INSERT INTO zv_usuarios(nome, login, papel) VALUES (?,?,0)");
    ins.Ligar(1, c.objeto.Nome());
    if (c.semLogin)
        ins.LigarNulo(2);
    else
        ins.Ligar(2, c.login);
    ins.Executar();
}

void Definicoes::ComandoDeUsuario(const instrucao::ExcluirUsuario& c) {
    s_.GarantirEscrita();
    sqlite3* db = s_.Conexao();
    if (!DonoDoBanco()) throw ErroDoServidor(15247);
    if (!ExisteUsuario(c.objeto.Nome(), 0)) {
        if (c.seExistir) return;
        throw ErroDoServidor(15151, {"drop", "user", c.objeto.Nome()});
    }
    Instrucao(db, "DELETE FROM zv_membros WHERE membro=?").Ligar(1, c.objeto.Nome()).Executar();
    Instrucao(db, "DELETE FROM zv_usuarios WHERE nome=?").Ligar(1, c.objeto.Nome()).Executar();
}

void Definicoes::ComandoDeUsuario(const instrucao::CriarPapel& c) {
    s_.GarantirEscrita();
    sqlite3* db = s_.Conexao();
    if (!DonoDoBanco()) throw ErroDoServidor(15247);
    if (ExisteUsuario(c.objeto.Nome(), -1) || PapelDeTodoBanco(c.objeto.Nome()))
        throw ErroDoServidor(15023, {c.objeto.Nome()});
    Instrucao(db, "INSERT INTO zv_usuarios(nome, login, papel) VALUES (?,NULL,1)")
        .Ligar(1, c.objeto.Nome())
        .Executar();
}

void Definicoes::ComandoDeUsuario(const instrucao::AlterarPapel& c) {
    s_.GarantirEscrita();  // sp_addrolemember and sp_droprolemember too
    sqlite3* db = s_.Conexao();
    if (!DonoDoBanco()) throw ErroDoServidor(15151, {"alter", "role", c.papel});
    if (!PapelDeTodoBanco(c.papel) && !ExisteUsuario(c.papel, 1))
        throw ErroDoServidor(15151, {"alter", "role", c.papel});
    if (!ExisteUsuario(c.membro, -1)) throw ErroDoServidor(15151, {"add", "principal", c.membro});
    const char* fixo = PapelDeTodoBanco(c.papel);
    const std::string papel = fixo ? fixo : c.papel;
    if (c.adicionarMembro)
        Instrucao(db, "INSERT OR IGNORE INTO zv_membros(papel, membro) VALUES (?,?)")
            .Ligar(1, papel)
            .Ligar(2, c.membro)
            .Executar();
    else
        Instrucao(db, "DELETE FROM zv_membros WHERE papel=? AND membro=?")
            .Ligar(1, papel)
            .Ligar(2, c.membro)
            .Executar();
}

bool Definicoes::ExisteUsuario(const std::string& nome, int papel) {
    Instrucao q(s_.Conexao(), papel < 0 ? "SELECT 1 FROM zv_usuarios WHERE nome=?"
                                        : "SELECT 1 FROM zv_usuarios WHERE nome=? AND papel=?");
    q.Ligar(1, nome);
    if (papel >= 0) q.Ligar(2, papel);
    return q.Passo();
}

// sp_addrolemember / sp_droprolemember 'papel', 'membro'.
void Definicoes::MembroDoPapel(const Argumentos& args, bool adicionar) {
    instrucao::AlterarPapel c;
    c.papel = ArgumentoDoSistema(args, 0, "rolename").value_or("");
    c.membro = ArgumentoDoSistema(args, 1, "membername").value_or("");
    c.adicionarMembro = adicionar;
    ComandoDeUsuario(c);
    resultados_.push_back(db::Resultado{});
}

// sp_grantdbaccess / sp_adduser 'login' [, 'nome no banco'].
void Definicoes::DarAcessoAoBanco(const Argumentos& args) {
    instrucao::CriarUsuario c;
    c.login = ArgumentoDoSistema(args, 0, "loginame").value_or("");
    c.objeto.partes.push_back(ArgumentoDoSistema(args, 1, "name_in_db").value_or(c.login));
    ComandoDeUsuario(c);
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
