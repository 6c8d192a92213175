// The system procedures of a table of name and handler that need only the session:
// xp_msver, sp_dboption, sp_helpfile, sp_addlogin and sp_helptext, then the catalog's
// (procedimentos_de_catalogo.cpp). A handler reads its arguments by position or as @name.

#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"

#include <string_view>

#include "comum/erros.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/procedimentos_do_servidor.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

bool ProcedimentosDoSistema::Executar(const std::string& chave, const std::string& nome,
                                      const Argumentos& args) {
    using Manipulador = void (*)(ProcedimentosDoSistema&, const std::string&, const Argumentos&);
    struct ProcedimentoDaTabela {
        std::string_view nome;
        Manipulador executar;
    };
    static const ProcedimentoDaTabela kProcedimentos[] = {
        {"xp_msver",
         [](ProcedimentosDoSistema& e, const std::string&, const Argumentos& a) {
             e.resultados_.push_back(VersaoDoProduto(e.s_, a));
         }},
        {"sp_dboption",
         [](ProcedimentosDoSistema& e, const std::string& n, const Argumentos& a) {
             e.resultados_.push_back(OpcaoDoBanco(e.s_, n, a));
         }},
        {"sp_helpfile",
         [](ProcedimentosDoSistema& e, const std::string&, const Argumentos& a) {
             auto info = e.s_.ServidorAtual().AcharBanco(e.s_.Banco());
             e.resultados_.push_back(
                 ArquivosDoBanco(info ? *info : InfoDoBanco{},
                                 info ? ArgumentoDoSistema(a, 0, "filename") : std::nullopt));
         }},
        {"sp_addlogin", [](ProcedimentosDoSistema& e, const std::string&,
                           const Argumentos& a) { e.AdicionarLogin(a); }},
        {"sp_helptext",
         [](ProcedimentosDoSistema& e, const std::string&, const Argumentos& a) {
             e.TextoDoObjeto(ArgumentoDoSistema(a, 0, "objname").value_or(""));
         }},
    };
    for (const auto& p : kProcedimentos)
        if (chave == p.nome) {
            p.executar(*this, nome, args);
            return true;
        }
    return ProcedimentoDeCatalogo(chave, args);
}

// sp_addlogin 'login', 'senha'.
void ProcedimentosDoSistema::AdicionarLogin(const Argumentos& args) {
    if (!s_.Sysadmin()) throw ErroDoServidor(15247);
    s_.ServidorAtual().CriarLogin(ArgumentoDoSistema(args, 0, "loginame").value_or(""),
                                  ArgumentoDoSistema(args, 1, "passwd").value_or(""));
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
