// CREATE, DROP and ALTER DATABASE, USE and KILL.

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/instrucoes_do_servidor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

InstrucoesDoServidor::InstrucoesDoServidor(Executor& execucao)
    : execucao_(execucao), s_(execucao.Sessao()) {}

void InstrucoesDoServidor::RecusarDentroDeTransacao(const std::string& instrucao) {
    if (!s_.EmTransacao()) return;
    if (instrucao == "CREATE DATABASE" || instrucao == "ALTER DATABASE")
        throw ErroDoServidor(226, {instrucao});
    if (instrucao == "DROP DATABASE") throw ErroDoServidor(574);
    throw ComMensagemSeguinte(ErroDoServidor(3021), 3013, {instrucao});
}

void InstrucoesDoServidor::RecusarKillDentroDeTransacao() {
    if (s_.EmTransacao()) throw ErroDoServidor(6615);
}

bool InstrucoesDoServidor::DonoDoBanco() {
    return execucao_.DonoDoBanco();
}

void InstrucoesDoServidor::Informar(std::string texto, int numero) {
    Interpretador(execucao_).Informar(std::move(texto), numero, 10);
}

void InstrucoesDoServidor::Rodar(const instrucao::CriarBanco& c) {
    RecusarDentroDeTransacao("CREATE DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin()) throw ErroDoServidor(262, {"CREATE DATABASE", "master"});
    DefinicaoDeBanco def;
    def.nome = c.objeto.Nome();
    auto converter = [](const ArquivoDeclarado& a, char tipo) {
        ArquivoDoBanco r;
        r.nomeLogico = a.nomeLogico;
        r.nomeFisico = a.nomeFisico;
        r.tipo = tipo;
        r.grupo = tipo == 'D' ? "PRIMARY" : "";
        r.tamanhoKb = a.tamanhoKb;
        r.tamanhoMaximoKb = a.maximoKb;
        r.crescimento = a.crescimento;
        r.crescimentoEmPorcentagem = a.emPorcentagem;
        return r;
    };
    for (const auto& a : c.arquivosDeDados) def.dados.push_back(converter(a, 'D'));
    for (const auto& a : c.arquivosDeLog) def.log.push_back(converter(a, 'L'));
    InfoDoBanco info = srv.CriarBanco(def);
    s_.PrepararBanco(info.arquivoSqlite.string(), s_.NomeDoLogin());
}

void InstrucoesDoServidor::Rodar(const instrucao::ExcluirBanco& c) {
    RecusarDentroDeTransacao("DROP DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (c.seExistir && !srv.AcharBanco(c.objeto.Nome())) return;
    if (!s_.Sysadmin()) throw ErroDoServidor(262, {"DROP DATABASE", c.objeto.Nome()});
    srv.ExcluirBanco(c.objeto.Nome());
}

void InstrucoesDoServidor::Rodar(const instrucao::AlterarBanco& c) {
    Servidor& srv = s_.ServidorAtual();
    if (c.versaoMinima > srv.Versao().maior) throw ErroDoServidor(102, {"'" + c.valor + "'"});
    RecusarDentroDeTransacao("ALTER DATABASE");
    auto b = srv.AcharBanco(c.objeto.Nome());
    // a database that does not exist is told as one the login may not alter
    if (!b ||
        (!s_.Sysadmin() && !(IguaisCiAs(b->nome, s_.Banco()) && s_.EhMembro("db_owner") == 1)))
        throw ComMensagemSeguinte(ErroDoServidor(5011, {(b ? b->nome : c.objeto.Nome())}), 5069);
    if (c.modo == "SINGLE_USER") {
        srv.DefinirUsuarioUnico(b->nome, true, s_.Spid(), c.comRollback);
    } else if (c.modo == "MULTI_USER") {
        srv.DefinirUsuarioUnico(b->nome, false, s_.Spid(), c.comRollback);
    } else if (c.modo == "RECOVERY") {
        // the recovery model is kept as the two sp_dboption flags it stands for
        const bool simples = c.valor == "SIMPLE";
        srv.DefinirOpcao(b->nome, "trunc. log on chkpt.", simples ? "true" : "false", s_.Spid());
        srv.DefinirOpcao(b->nome, "select into/bulkcopy",
                         c.valor == "BULK_LOGGED" ? "true" : "false", s_.Spid());
    } else if (c.modo == "AUTO_SHRINK") {
        srv.DefinirOpcao(b->nome, "autoshrink", c.valor == "ON" ? "true" : "false", s_.Spid());
    } else if (c.modo == "COMPATIBILITY_LEVEL") {
        const int nivel = srv.Versao().nivelDeCompatibilidade;
        if (c.valor != std::to_string(nivel))
            throw Recusa(
                "O simulador de SQL Server não interpreta outro nível de compatibilidade "
                "que o do servidor (" +
                std::to_string(nivel) + ").");
    }
}

void InstrucoesDoServidor::Rodar(const instrucao::Usar& c) {
    s_.Usar(c.objeto.Nome());
}

void InstrucoesDoServidor::Rodar(const instrucao::Matar& c) {
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin()) throw ErroDoServidor(6102);
    RecusarKillDentroDeTransacao();
    if (!c.sessao)
        throw Recusa("O simulador de SQL Server não encerra unidades de trabalho (KILL 'UOW').");
    if (*c.sessao > 2147483647) throw ErroDoServidor(6106, {std::to_string(*c.sessao)});
    srv.MatarSessao(static_cast<int>(*c.sessao), s_.Spid());
}

void InstrucoesDoServidor::MatarSessoes(const Argumentos& args) {
    auto login = ArgumentoDoSistema(args, 0, "NOME"), host = ArgumentoDoSistema(args, 1, "HOST");
    if (!DonoDoBanco()) throw ErroDoServidor(6102);
    RecusarKillDentroDeTransacao();  // the procedure's own KILL would be refused
    s_.ServidorAtual().MatarSessoes(login.value_or(""), host.value_or(""));
}

}  // namespace zolvek::simulador
