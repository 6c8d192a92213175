// System procedures that need the executor, a table of name and handler: those that make
// definitions (Definicoes), sp_executesql, sp_rename and sp_helptext; the others in
// ProcedimentosDoSistema (procedimentos_do_sistema.hpp). A handler reads its
// arguments by position or as @name.

#include <string_view>

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

using Argumentos = Executor::Argumentos;

constexpr auto Arg = ArgumentoDoSistema;

}  // namespace

// `nome` is the procedure's name as the call wrote it; `chave`, folded.
bool Executor::ProcedimentoEmTabela(const std::string& chave, const std::string& nome,
                                    const Argumentos& args) {
    using Manipulador = void (*)(Executor&, const std::string&, const Argumentos&);
    struct ProcedimentoDaTabela {
        std::string_view nome;
        Manipulador executar;
    };
    static const ProcedimentoDaTabela kProcedimentos[] = {
        {"sp_addrolemember", [](Executor& e, const std::string&,
                                const Argumentos& a) { Definicoes(e).MembroDoPapel(a, true); }},
        {"sp_droprolemember", [](Executor& e, const std::string&,
                                 const Argumentos& a) { Definicoes(e).MembroDoPapel(a, false); }},
        {"sp_grantdbaccess", [](Executor& e, const std::string&,
                                const Argumentos& a) { Definicoes(e).DarAcessoAoBanco(a); }},
        {"sp_adduser", [](Executor& e, const std::string&,
                          const Argumentos& a) { Definicoes(e).DarAcessoAoBanco(a); }},
        {"sp_addtype", [](Executor& e, const std::string&,
                          const Argumentos& a) { Definicoes(e).AdicionarTipo(a); }},
        {"sp_droptype", [](Executor& e, const std::string&,
                           const Argumentos& a) { Definicoes(e).RemoverTipo(a); }},
        {"sp_addsrvrolemember",
         [](Executor& e, const std::string&, const Argumentos& a) {
             Definicoes(e).AdicionarAoPapelDoServidor(a);
         }},
        {"sp_dropsrvrolemember",
         [](Executor& e, const std::string&, const Argumentos& a) {
             Definicoes(e).RemoverDoPapelDoServidor(a);
         }},
        {"sp_password", [](Executor& e, const std::string&,
                           const Argumentos& a) { Definicoes(e).TrocarSenha(a); }},
        {"sp_executesql",
         [](Executor& e, const std::string&, const Argumentos& a) { e.ExecutarSqlDinamico(a); }},
        {"sp_rename", [](Executor& e, const std::string&, const Argumentos& a) { e.Renomear(a); }},
        {"sp_helptext",
         [](Executor& e, const std::string&, const Argumentos& a) {
             e.TextoDoObjeto(Arg(a, 0, "objname").value_or(""));
         }},
    };
    for (const auto& p : kProcedimentos)
        if (chave == p.nome) {
            p.executar(*this, nome, args);
            return true;
        }
    return ProcedimentosDoSistema(s_, resultados_).Executar(chave, nome, args);
}

}  // namespace zolvek::simulador
