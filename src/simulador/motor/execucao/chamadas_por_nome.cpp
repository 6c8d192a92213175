// EXEC of a procedure by its name: the system procedures' tables first, then the
// database's procedures (executor_chamadas.cpp runs their bodies).

#include <set>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/instrucoes_do_servidor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/execucao/procedimentos_da_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server's own procedures the engine does not have: refused by name, not as unknown.
bool ProcedimentoDeSistema(const std::string& chave) {
    static const std::set<std::string> nomes = {"sp_helpconstraint",
                                                "sp_depends",
                                                "sp_addextendedproperty",
                                                "sp_updateextendedproperty",
                                                "sp_dropextendedproperty",
                                                "sp_db_vardecimal_storage_format",
                                                "sp_fulltext_database",
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

void Interpretador::Executar(const instrucao::ExecutarProcedimento& c) {
    Argumentos args;
    ChamadaDeProcedimento chamada = LerChamada(c);
    for (const auto& a : c.argumentos) {
        if (a.valor.Vazia()) continue;
        args.emplace_back(a.nome, a.padrao ? db::Valor{} : execucao_.Avaliar(a.valor));
    }
    e_.chamada_ = &chamada;
    struct Fim {
        const ChamadaDeProcedimento*& c;
        ~Fim() { c = nullptr; }
    } fim{e_.chamada_};
    std::string nome = c.objeto.Nome();
    // sp_executesql takes its texts as Unicode only
    if (IguaisCiAs(nome, "sp_executesql"))
        for (std::size_t k = 0; k < 2 && k < c.argumentos.size(); ++k) {
            if (c.argumentos[k].textoSemN)
                throw ErroDoServidor(214, k == 0 ? 2 : 3, {(k == 0 ? "@statement" : "@params")});
        }
    Procedimento(nome, args);
}

void Interpretador::Procedimento(const std::string& nomeCompleto, const Argumentos& args) {
    std::string nome = nomeCompleto;
    auto ponto = nome.rfind('.');
    if (ponto != std::string::npos) nome = nome.substr(ponto + 1);
    if (nome.size() > 2 && nome.front() == '[' && nome.back() == ']')
        nome = nome.substr(1, nome.size() - 2);
    std::string chave = Dobrar(nome);
    if (e_.chamada_ && (!e_.chamada_->retorno.empty() || e_.chamada_->temSaidas))
        ChamadaDeSistema(nome, *e_.chamada_);
    if (ProcedimentoDaExecucao(execucao_, chave, nome, args)) return;
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome);
    if ((!o || o->tipo != "P") && ProcedimentoDeSistema(chave))
        throw Recusa("O simulador de SQL Server não tem o procedimento de sistema " + nome + ".");
    if (!o || o->tipo != "P") throw ErroDoServidor(2812, {nome});
    if (!s_.EmCadeiaDeDono() && !s_.Direitos().Permite("EXECUTE", o->id))
        throw PermissaoNegada("EXECUTE", o->nome, s_.Banco());
    if (chave == "matarprocesso") {
        InstrucoesDoServidor(execucao_).MatarSessoes(args);
        e_.resultados_.push_back(db::Resultado{});  // the engine does its work itself
        return;
    }
    if (e_.chamada_) return RodarProcedimento(*o, args, *e_.chamada_);
    // the provider's call gives its parameters in the procedure's order, as ODBC's does
    Argumentos posicionais;
    for (const auto& [n, v] : args) posicionais.emplace_back("", v);
    RodarProcedimento(*o, posicionais, ChamadaDeProcedimento{});
}

}  // namespace zolvek::simulador
