#include <sqlite3.h>
#include <set>

#include <algorithm>
#include <set>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

std::string ComoTextoDeValor(const db::Valor& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return "";
            else if constexpr (std::is_same_v<T, bool>)
                return x ? "1" : "0";
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return std::to_string(x);
            else if constexpr (std::is_same_v<T, double>)
                return std::to_string(x);
            else if constexpr (std::is_same_v<T, db::Decimal>)
                return x.texto;
            else if constexpr (std::is_same_v<T, std::string>)
                return x;
            else if constexpr (std::is_same_v<T, db::Bytes>)
                return std::string(x.begin(), x.end());
            else
                return FormatarDataHora(x);
        },
        v);
}

namespace {

// A file's UniqueId: the same for the same database and logical name.
std::string GuidDoArquivo(const std::string& banco, const std::string& nomeLogico) {
    std::uint64_t h = 1469598103934665603ull;
    for (char ch : Dobrar(banco) + "|" + Dobrar(nomeLogico)) {
        h ^= static_cast<unsigned char>(ch);
        h *= 1099511628211ull;
    }
    static const char* digitos = "0123456789ABCDEF";
    std::string x;
    for (int i = 0; i < 32; ++i) x += digitos[(h >> ((i * 2) % 64)) & 15];
    return "{" + x.substr(0, 8) + "-" + x.substr(8, 4) + "-" + x.substr(12, 4) + "-" +
           x.substr(16, 4) + "-" + x.substr(20, 12) + "}";
}

// SQL Server refuses these inside a user transaction (BEGIN TRAN, or the provider's).
void RecusarDentroDeTransacao(SessaoDeExecucao& s, const std::string& instrucao) {
    if (!s.EmTransacao()) return;
    if (instrucao == "CREATE DATABASE" || instrucao == "ALTER DATABASE")
        throw ErroDoServidor(226, {instrucao});
    if (instrucao == "DROP DATABASE") throw ErroDoServidor(574);
    throw ComMensagemSeguinte(ErroDoServidor(3021), 3013, {instrucao});
}

void RecusarKillDentroDeTransacao(const SessaoDeExecucao& s) {
    if (s.EmTransacao()) throw ErroDoServidor(6615);
}

}  // namespace

// WITH FILE = n of RESTORE: the backup set, counted from 1.
int Executor::ConjuntoPedido(const ExpressaoLida& conjunto) {
    if (conjunto.Vazia()) return 1;
    const std::string texto = ComoTextoDeValor(Avaliar(conjunto));
    try {
        std::size_t fim = 0;
        const long long n = std::stoll(texto, &fim);
        if (fim == texto.size() && n >= 0 && n <= 2147483647) return static_cast<int>(n);
    } catch (const std::exception&) {
    }
    throw ErroDoServidor(245, {"varchar", texto, "int"});
}

// RESTORE FILELISTONLY: one row per file of the set, with SQL Server's columns.
db::Resultado Executor::ListaDoBackup(const std::string& disco, int conjunto) {
    db::Resultado r;
    db::Coluna numerico;
    numerico.tipo = db::TipoDeCampo::Float;
    numerico.precisao = 25;
    auto lsn = [&](const char* nome) {
        db::Coluna c = numerico;
        c.nome = nome;
        return c;
    };
    auto guid = [](const char* nome) {
        db::Coluna c;
        c.nome = nome;
        c.tipo = db::TipoDeCampo::Guid;
        return c;
    };
    auto bit = [](const char* nome) {
        db::Coluna c;
        c.nome = nome;
        c.tipo = db::TipoDeCampo::Boolean;
        return c;
    };
    db::Coluna impressao;
    impressao.nome = "TDEThumbprint";
    impressao.tipo = db::TipoDeCampo::Blob;
    impressao.tamanho = 32;
    r.colunas = {TextoDoSistema("LogicalName"),
                 TextoDoSistema("PhysicalName", 260),
                 TextoDoSistema("Type", 1),
                 TextoDoSistema("FileGroupName"),
                 ColunaDoSistema("Size", db::TipoDeCampo::LargeInt),
                 ColunaDoSistema("MaxSize", db::TipoDeCampo::LargeInt),
                 ColunaDoSistema("FileId", db::TipoDeCampo::LargeInt),
                 lsn("CreateLSN"),
                 lsn("DropLSN"),
                 guid("UniqueId"),
                 lsn("ReadOnlyLSN"),
                 lsn("ReadWriteLSN"),
                 ColunaDoSistema("BackupSizeInBytes", db::TipoDeCampo::LargeInt),
                 InteiroDoSistema("SourceBlockSize"),
                 InteiroDoSistema("FileGroupId"),
                 guid("LogGroupGUID"),
                 lsn("DifferentialBaseLSN"),
                 guid("DifferentialBaseGUID"),
                 bit("IsReadOnly"),
                 bit("IsPresent"),
                 impressao};
    Servidor& srv = s_.ServidorAtual();
    const std::string banco = srv.BancoDoBackup(disco, conjunto);
    for (const auto& a : srv.ListarArquivosDoBackup(disco, conjunto)) {
        const bool dados = a.tipo == 'D';
        r.linhas.push_back(
            {a.nomeLogico,
             a.nomeFisico,
             std::string(1, a.tipo),
             a.grupo.empty() ? db::Valor{} : db::Valor{a.grupo},
             static_cast<std::int64_t>(a.tamanhoKb * 1024),
             static_cast<std::int64_t>(a.tamanhoMaximoKb < 0 ? 35184372080640LL
                                                             : a.tamanhoMaximoKb * 1024),
             static_cast<std::int64_t>(a.id),
             db::Decimal{"0"},
             db::Decimal{"0"},
             GuidDoArquivo(banco, a.nomeLogico),
             db::Decimal{"0"},
             db::Decimal{"0"},
             static_cast<std::int64_t>(dados ? a.tamanhoKb * 1024 : 0),
             std::int64_t{512},
             std::int64_t{dados ? 1 : 0},
             db::Valor{},
             db::Decimal{"0"},
             std::string("{00000000-0000-0000-0000-000000000000}"),
             false,
             true,
             db::Valor{}});
    }
    return r;
}

void Executor::ComandoDeServidor(const instrucao::CriarBanco& c) {
    RecusarDentroDeTransacao(s_, "CREATE DATABASE");
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

void Executor::ComandoDeServidor(const instrucao::ExcluirBanco& c) {
    RecusarDentroDeTransacao(s_, "DROP DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (c.seExistir && !srv.AcharBanco(c.objeto.Nome())) return;
    if (!s_.Sysadmin()) throw ErroDoServidor(262, {"DROP DATABASE", c.objeto.Nome()});
    srv.ExcluirBanco(c.objeto.Nome());
}

void Executor::ComandoDeServidor(const instrucao::AlterarBanco& c) {
    RecusarDentroDeTransacao(s_, "ALTER DATABASE");
    Servidor& srv = s_.ServidorAtual();
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
    }
}

void Executor::ComandoDeServidor(const instrucao::Backup& c) {
    RecusarDentroDeTransacao(s_, "BACKUP DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin() && s_.EhMembro("db_owner") != 1)
        throw ErroDoServidor(262, {"BACKUP DATABASE", c.objeto.Nome()});
    const auto modo = c.formatar  ? ModoDaMidia::Formatar
                      : c.iniciar ? ModoDaMidia::Iniciar
                                  : ModoDaMidia::Acrescentar;
    srv.FazerBackup(c.objeto.Nome(), ComoTextoDeValor(Avaliar(c.disco)), modo);
}

void Executor::ComandoDeServidor(const instrucao::RestaurarLista& c) {
    RecusarDentroDeTransacao(s_, "RESTORE FILELIST");
    resultados_.push_back(
        ListaDoBackup(ComoTextoDeValor(Avaliar(c.disco)), ConjuntoPedido(c.conjunto)));
}

void Executor::ComandoDeServidor(const instrucao::VerificarBackup& c) {
    RecusarDentroDeTransacao(s_, "RESTORE VERIFYONLY");
    s_.ServidorAtual().VerificarBackup(ComoTextoDeValor(Avaliar(c.disco)),
                                       ConjuntoPedido(c.conjunto));
}

void Executor::ComandoDeServidor(const instrucao::Restaurar& c) {
    RecusarDentroDeTransacao(s_, "RESTORE DATABASE");
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin())
        throw ComMensagemSeguinte(ErroDoServidor(262, {"CREATE DATABASE", "master"}), 3013,
                                  {"RESTORE DATABASE"});
    std::vector<Movimento> movs;
    for (const auto& [a, b] : c.movimentos)
        movs.push_back({ComoTextoDeValor(Avaliar(a)), ComoTextoDeValor(Avaliar(b))});
    srv.Restaurar(c.objeto.Nome(), ComoTextoDeValor(Avaliar(c.disco)), movs, c.substituir,
                  ConjuntoPedido(c.conjunto));
}

void Executor::ComandoDeServidor(const instrucao::Usar& c) {
    s_.Usar(c.objeto.Nome());
}

void Executor::ComandoDeServidor(const instrucao::Matar& c) {
    Servidor& srv = s_.ServidorAtual();
    if (!s_.Sysadmin()) throw ErroDoServidor(6102);
    RecusarKillDentroDeTransacao(s_);
    if (!c.sessao)
        throw Recusa("O simulador de SQL Server não encerra unidades de trabalho (KILL 'UOW').");
    if (*c.sessao > 2147483647) throw ErroDoServidor(6106, {std::to_string(*c.sessao)});
    srv.MatarSessao(static_cast<int>(*c.sessao), s_.Spid());
}

bool Executor::DonoDoBanco() {
    return s_.Sysadmin() || s_.EhMembro("db_owner") == 1;
}

namespace {

// SQL Server's own procedures the engine does not have: refused by name, not as unknown.
bool ProcedimentoDeSistema(const std::string& chave) {
    static const std::set<std::string> nomes = {"sp_helpconstraint",
                                                "sp_depends",
                                                "sp_helpuser",
                                                "sp_helplogins",
                                                "sp_lock",
                                                "sp_configure",
                                                "sp_droplogin",
                                                "sp_dropuser",
                                                "sp_changedbowner",
                                                "sp_defaultdb",
                                                "sp_attach_db",
                                                "sp_detach_db",
                                                "sp_msforeachtable",
                                                "sp_msforeachdb",
                                                "sp_refreshview",
                                                "sp_recompile",
                                                "sp_updatestats",
                                                "sp_addtype",
                                                "sp_droptype",
                                                "sp_bindefault",
                                                "sp_unbindefault",
                                                "sp_bindrule",
                                                "sp_unbindrule",
                                                "sp_settriggerorder",
                                                "sp_helprotect",
                                                "sp_statistics",
                                                "sp_special_columns",
                                                "sp_server_info",
                                                "sp_addmessage",
                                                "sp_dropmessage",
                                                "sp_helpfilegroup",
                                                "sp_addumpdevice",
                                                "sp_dropdevice",
                                                "sp_grantdbaccess",
                                                "sp_revokedbaccess",
                                                "sp_addrole",
                                                "sp_droprole",
                                                "sp_helprole",
                                                "sp_helprolemember",
                                                "sp_helpsrvrolemember",
                                                "sp_change_users_login",
                                                "sp_validatelogins",
                                                "sp_procoption",
                                                "sp_serveroption",
                                                "sp_addlinkedserver",
                                                "sp_helpserver",
                                                "sp_describe_first_result_set",
                                                "sp_getapplock",
                                                "sp_releaseapplock",
                                                "sp_xml_preparedocument",
                                                "sp_xml_removedocument",
                                                "sp_cycle_errorlog",
                                                "sp_readerrorlog",
                                                "sp_monitor",
                                                "sp_resetstatus",
                                                "sp_tableoption",
                                                "sp_indexoption",
                                                "sp_autostats",
                                                "sp_createstats",
                                                "sp_helpstats",
                                                "sp_send_dbmail",
                                                "xp_cmdshell",
                                                "xp_fixeddrives",
                                                "xp_regread",
                                                "xp_readerrorlog",
                                                "xp_logininfo"};
    return nomes.count(chave) > 0;
}

}  // namespace

void Executor::ExecutarComando(const instrucao::ExecutarProcedimento& c) {
    std::vector<std::pair<std::string, db::Valor>> args;
    ChamadaDeProcedimento chamada = LerChamada(c);
    for (const auto& a : c.argumentos) {
        if (a.valor.Vazia()) continue;
        args.emplace_back(a.nome, a.padrao ? db::Valor{} : Avaliar(a.valor));
    }
    chamada_ = &chamada;
    struct Fim {
        const ChamadaDeProcedimento*& c;
        ~Fim() { c = nullptr; }
    } fim{chamada_};
    std::string nome = c.objeto.Nome();
    // sp_executesql takes its texts as Unicode only
    if (IguaisCiAs(nome, "sp_executesql"))
        for (std::size_t k = 0; k < 2 && k < c.argumentos.size(); ++k) {
            if (c.argumentos[k].textoSemN)
                throw ErroDoServidor(214, k == 0 ? 2 : 3, {(k == 0 ? "@statement" : "@params")});
        }
    Procedimento(nome, args);
}

void Executor::Procedimento(const std::string& nomeCompleto,
                            const std::vector<std::pair<std::string, db::Valor>>& args) {
    std::string nome = nomeCompleto;
    auto ponto = nome.rfind('.');
    if (ponto != std::string::npos) nome = nome.substr(ponto + 1);
    if (nome.size() > 2 && nome.front() == '[' && nome.back() == ']')
        nome = nome.substr(1, nome.size() - 2);
    std::string chave = Dobrar(nome);
    if (chamada_ && (!chamada_->retorno.empty() || chamada_->temSaidas))
        ChamadaDeSistema(nome, *chamada_);
    if (ProcedimentoEmTabela(chave, nome, args)) return;
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome);
    if ((!o || o->tipo != "P") && ProcedimentoDeSistema(chave))
        throw Recusa("O simulador de SQL Server não tem o procedimento de sistema " + nome + ".");
    if (!o || o->tipo != "P") throw ErroDoServidor(2812, {nome});
    if (!s_.EmCadeiaDeDono() && !s_.Direitos().Permite("EXECUTE", o->id))
        throw PermissaoNegada("EXECUTE", o->nome, s_.Banco());
    if (chave == "matarprocesso") {
        auto login = ArgumentoDoSistema(args, 0, "NOME"),
             host = ArgumentoDoSistema(args, 1, "HOST");
        if (!s_.Sysadmin() && s_.EhMembro("db_owner") != 1) throw ErroDoServidor(6102);
        RecusarKillDentroDeTransacao(s_);  // the procedure's own KILL would be refused
        s_.ServidorAtual().MatarSessoes(login.value_or(""), host.value_or(""));
        resultados_.push_back(db::Resultado{});  // the engine does its work itself
        return;
    }
    if (chamada_) return RodarProcedimento(*o, args, *chamada_);
    // the provider's call gives its parameters in the procedure's order, as ODBC's does
    Argumentos posicionais;
    for (const auto& [n, v] : args) posicionais.emplace_back("", v);
    RodarProcedimento(*o, posicionais, ChamadaDeProcedimento{});
}

// EXEC sp_helptext 'V': the text a view, procedure, function or trigger was made with,
// a row per line.
void Executor::TextoDoObjeto(const std::string& nome) {
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome);
    if (!o) {
        if (s_.CatalogoAtual().AcharTabela(nome)) throw ErroDoServidor(15197, {nome});
        throw ErroDoServidor(15009, {nome, s_.Banco()});
    }
    db::Resultado r;
    r.colunas = {TextoDoSistema("Text", 255)};
    std::size_t inicio = 0;
    while (inicio < o->texto.size()) {
        std::size_t fim = o->texto.find('\n', inicio);
        fim = fim == std::string::npos ? o->texto.size() : fim + 1;
        r.linhas.push_back({o->texto.substr(inicio, fim - inicio)});
        inicio = fim;
    }
    resultados_.push_back(std::move(r));
}

}  // namespace zolvek::simulador
