// The system procedures that run as statements of their run, a table of name and handler:
// those that make definitions (Definicoes) and sp_executesql (Interpretador); the others
// in ProcedimentosDoSistema (procedimentos_do_sistema.hpp). A handler reads its
// arguments by position or as @name.

#include <string_view>

#include "simulador/motor/execucao/procedimentos_da_execucao.hpp"

#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"

namespace zolvek::simulador {

namespace {

using Argumentos = Executor::Argumentos;

}  // namespace

bool ProcedimentoDaExecucao(Executor& execucao, const std::string& chave, const std::string& nome,
                            const Argumentos& args) {
    using Manipulador = void (*)(Executor&, const Argumentos&);
    struct ProcedimentoDaTabela {
        std::string_view nome;
        Manipulador executar;
    };
    static const ProcedimentoDaTabela kProcedimentos[] = {
        {"sp_addrolemember",
         [](Executor& e, const Argumentos& a) { Definicoes(e).MembroDoPapel(a, true); }},
        {"sp_droprolemember",
         [](Executor& e, const Argumentos& a) { Definicoes(e).MembroDoPapel(a, false); }},
        {"sp_grantdbaccess",
         [](Executor& e, const Argumentos& a) { Definicoes(e).DarAcessoAoBanco(a); }},
        {"sp_adduser", [](Executor& e, const Argumentos& a) { Definicoes(e).DarAcessoAoBanco(a); }},
        {"sp_addtype", [](Executor& e, const Argumentos& a) { Definicoes(e).AdicionarTipo(a); }},
        {"sp_droptype", [](Executor& e, const Argumentos& a) { Definicoes(e).RemoverTipo(a); }},
        {"sp_addsrvrolemember",
         [](Executor& e, const Argumentos& a) { Definicoes(e).AdicionarAoPapelDoServidor(a); }},
        {"sp_dropsrvrolemember",
         [](Executor& e, const Argumentos& a) { Definicoes(e).RemoverDoPapelDoServidor(a); }},
        {"sp_password", [](Executor& e, const Argumentos& a) { Definicoes(e).TrocarSenha(a); }},
        {"sp_executesql",
         [](Executor& e, const Argumentos& a) { Interpretador(e).ExecutarSqlDinamico(a); }},
        {"sp_rename", [](Executor& e, const Argumentos& a) { Definicoes(e).Renomear(a); }},
    };
    for (const auto& p : kProcedimentos)
        if (chave == p.nome) {
            p.executar(execucao, args);
            return true;
        }
    return ProcedimentosDoSistema(execucao.Sessao(), execucao.Resultados())
        .Executar(chave, nome, args);
}

}  // namespace zolvek::simulador
