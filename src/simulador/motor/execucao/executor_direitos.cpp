#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

// The rights a statement needs, checked before it runs.
namespace zolvek::simulador {

namespace {

const char* TipoDoObjeto(const std::string& tipo) {
    return tipo == "P" ? "PROCEDURE" : tipo == "TR" ? "TRIGGER" : tipo == "V" ? "VIEW" : "FUNCTION";
}

}  // namespace

void Executor::ExigirDireitos(const Comando& c) {
    const DireitosDoUsuario& d = s_.Direitos();
    if (d.irrestrito) return;
    const std::string& banco = s_.Banco();
    auto semObjeto = [](const std::string& nome) { return ErroDoServidor(4902, {nome}); };
    auto primeiro = [](const std::vector<std::string>& nomes) {
        return nomes.empty() ? std::string() : nomes.front();
    };
    std::visit(Visitante{
                   [&](const instrucao::Selecionar& x) {  // SELECT ... INTO
                       if (x.para && !d.PermiteDdl("CREATE TABLE"))
                           throw ErroDoServidor(262, {"CREATE TABLE", banco});
                   },
                   [&](const instrucao::CriarTabela&) {
                       if (!d.PermiteDdl("CREATE TABLE"))
                           throw ErroDoServidor(262, {"CREATE TABLE", banco});
                   },
                   [&](const instrucao::AlterarTabela& x) {
                       if (!d.PermiteDdl("ALTER"))
                           throw ErroDoServidor(15151, {"alter", "table", x.objeto.Nome()});
                   },
                   [&](const instrucao::ExcluirTabela& x) {
                       if (!d.PermiteDdl("ALTER"))
                           throw ErroDoServidor(3701, {"table", primeiro(x.nomes)});
                   },
                   [&](const instrucao::CriarIndice& x) {
                       if (!d.PermiteDdl("ALTER")) throw semObjeto(x.objeto.Nome());
                   },
                   [&](const instrucao::ExcluirIndice& x) {
                       if (!d.PermiteDdl("ALTER"))
                           throw semObjeto(x.indices.empty() ? std::string() : x.indices[0].second);
                   },
                   [&](const instrucao::AtualizarEstatisticas& x) {
                       if (!d.PermiteDdl("ALTER")) throw ErroDoServidor(1088, {x.objeto.Nome()});
                   },
                   [&](const instrucao::Excluir& x) {
                       // TRUNCATE TABLE needs ALTER on the table, not DELETE.
                       if (x.truncar && !d.PermiteDdl("ALTER")) throw semObjeto(x.objeto.Nome());
                   },
                   [&](const instrucao::CriarObjeto& x) {
                       const std::string tipo = TipoDoObjeto(x.tipoDeObjeto);
                       const bool alterar =
                           x.alterar ||
                           (x.ouAlterar && s_.CatalogoAtual().AcharObjeto(x.objeto.Nome()));
                       if (alterar && !d.PermiteDdl("ALTER"))
                           throw ErroDoServidor(15151, {"alter", Dobrar(tipo), x.objeto.Nome()});
                       if (!alterar && !d.PermiteDdl("CREATE " + tipo))
                           throw ErroDoServidor(262, {std::string("CREATE ") + tipo, banco});
                   },
                   [&](const instrucao::ExcluirObjeto& x) {
                       if (!d.PermiteDdl("ALTER"))
                           throw ErroDoServidor(
                               3701, {Dobrar(TipoDoObjeto(x.tipoDeObjeto)), primeiro(x.nomes)});
                   },
                   [&](const instrucao::Conceder& x) {
                       if (!d.Membro("db_securityadmin"))
                           throw ErroDoServidor(15151, {"find", "object", x.objeto.Nome()});
                   },
                   [](const auto&) {},
               },
               c.instrucao);
}

bool Executor::DonoDoBanco() {
    return s_.Sysadmin() || s_.EhMembro("db_owner") == 1;
}

}  // namespace zolvek::simulador
