#include "simulador/motor/catalogo/direitos.hpp"

#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

const char* NomeDoPapelFixo(const std::string& nome) {
    for (const char* p :
         {"db_owner", "db_accessadmin", "db_securityadmin", "db_ddladmin", "db_backupoperator",
          "db_datareader", "db_datawriter", "db_denydatareader", "db_denydatawriter"})
        if (IguaisCiAs(nome, p)) return p;
    return nullptr;
}

bool DireitosDoUsuario::Membro(const std::string& papel) const {
    return papeis.count(Dobrar(papel)) > 0;
}

bool DireitosDoUsuario::Permite(const std::string& permissao, std::int64_t objeto) const {
    if (irrestrito) return true;
    const std::string p = Dobrar(permissao);
    const bool leitura = p == "select";
    const bool escrita = p == "insert" || p == "update" || p == "delete";
    if ((leitura && Membro("db_denydatareader")) || (escrita && Membro("db_denydatawriter")))
        return false;
    // a DENY on the object or on what holds it wins over every GRANT
    bool concedida = false;
    for (const std::int64_t nivel : {objeto, kEsquemaDbo, std::int64_t{0}}) {
        const auto o = porObjeto.find(nivel);
        if (o == porObjeto.end()) continue;
        if (auto q = o->second.find(p); q != o->second.end()) {
            if (!q->second) return false;
            concedida = true;
        }
    }
    if (concedida) return true;
    return (leitura && Membro("db_datareader")) || (escrita && Membro("db_datawriter"));
}

bool DireitosDoUsuario::PermiteDdl(const std::string& permissaoNoBanco) const {
    if (irrestrito || Membro("db_ddladmin")) return true;
    if (auto o = porObjeto.find(0); o != porObjeto.end())
        if (auto q = o->second.find(Dobrar(permissaoNoBanco)); q != o->second.end())
            return q->second;
    return false;
}

DireitosDoUsuario LerDireitos(sqlite3* db, const std::string& usuario) {
    DireitosDoUsuario d;
    if (IguaisCiAs(usuario, "dbo")) return d;
    // The user's roles, through roles that belong to other roles too.
    std::vector<std::string> pendentes{usuario};
    std::set<std::string> principais{Dobrar(usuario), "public"};
    Instrucao papeis(db, "SELECT papel FROM zv_membros WHERE membro = ?");
    while (!pendentes.empty()) {
        const std::string membro = pendentes.back();
        pendentes.pop_back();
        sqlite3_reset(papeis.Bruta());
        papeis.Ligar(1, membro);
        while (papeis.Passo()) {
            const std::string papel = papeis.Texto(0);
            if (principais.insert(Dobrar(papel)).second) pendentes.push_back(papel);
        }
    }
    d.papeis = principais;
    d.irrestrito = d.Membro("db_owner");
    if (d.irrestrito) return d;
    Instrucao concedidas(db, "SELECT objeto, principal, permissao, estado FROM zv_permissoes");
    while (concedidas.Passo()) {
        if (!principais.count(Dobrar(concedidas.Texto(1)))) continue;
        auto& estado = d.porObjeto[concedidas.Inteiro(0)];
        std::string permissao = Dobrar(concedidas.Texto(2));
        std::vector<std::string> permissoes{permissao == "exec" ? "execute" : permissao};
        // on the database ALL stands for rights to create, which grant no data
        if ((permissao == "all" || permissao == "all privileges") && concedidas.Inteiro(0) != 0)
            permissoes = {"select", "insert", "update", "delete", "execute"};
        const bool concedida = concedidas.Texto(3) != "DENY";
        // A DENY to any of the user's principals wins over every GRANT.
        for (const auto& p : permissoes) {
            auto [it, novo] = estado.emplace(p, concedida);
            if (!novo) it->second = it->second && concedida;
        }
    }
    return d;
}

ErroDeBanco PermissaoNegada(const std::string& permissao, const std::string& objeto,
                            const std::string& banco) {
    return ErroDoServidor(229, {permissao, objeto, banco});
}

}  // namespace zolvek::simulador
