// The names of tables, catalog views and columns as SQLite knows them, and the names SQL
// Server refuses.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// Two tables of one FROM without an alias are told apart by nothing: SQL Server refuses
// them (SQLite would take both and fail on, or pick one for, each column they share).
void GeradorSqlite::ExigirNomesExpostosDistintos(const Selecao& s) {
    auto escrito = [](const std::vector<std::string>& partes) {
        std::string nome;
        for (const auto& p : partes) nome += (nome.empty() ? "" : ".") + p;
        return nome;
    };
    std::vector<const Fonte*> fontes;
    ParaCadaFonte(s.de, [&](const Fonte& f) { fontes.push_back(&f); });
    for (std::size_t a = 0; a < fontes.size(); ++a) {
        const Fonte& x = *fontes[a];
        if (x.nome.empty() || !x.apelido.empty()) continue;
        for (std::size_t b = a + 1; b < fontes.size(); ++b) {
            const Fonte& y = *fontes[b];
            if (!y.nome.empty() && y.apelido.empty() && IguaisCiAs(x.nome.back(), y.nome.back()))
                throw ErroDoServidor(1013, {escrito(x.nome), escrito(y.nome)});
        }
    }
}

namespace {

// The catalog views filled from the server before a statement reads them (by their last
// name part): the server's tables they read, and whether they show the whole server, so
// that any database's name may go before them.
struct VisaoDoServidor {
    const char* nome;
    int tabelas;
    bool todoOServidor;
};

const VisaoDoServidor* VisaoDoServidorDe(const std::string& ultimo) {
    using C = ContextoDeReescrita;
    static const VisaoDoServidor visoes[] = {
        {"sysprocesses", C::kProcessos, true},     {"dm_exec_sessions", C::kProcessos, true},
        {"dm_exec_requests", C::kProcessos, true}, {"sysdatabases", C::kBancos, true},
        {"databases", C::kBancos, true},           {"sysaltfiles", C::kBancos, true},
        {"master_files", C::kBancos, true},        {"sysfiles", C::kBancos, false},
        {"database_files", C::kBancos, false},     {"syslogins", C::kLogins, true},
        {"server_principals", C::kLogins, true},   {"sql_logins", C::kLogins, true},
        {"server_role_members", C::kLogins, true}};
    for (const auto& v : visoes)
        if (ultimo == v.nome) return &v;
    return nullptr;
}

}  // namespace

// The SQLite name of a catalog view or table named with several parts. dbo.T names a
// table of this database, DB.dbo.T and DB..T one of DB (this one or another, attached
// under its own schema). The catalog views show this database's catalog: another
// database's is refused rather than shown wrong.
std::string GeradorSqlite::NomeDeTabela(const std::vector<std::string>& partes) {
    if (ctx_.gatilho && partes.size() == 1) {
        if (IguaisCiAs(partes[0], "inserted")) return ctx_.gatilho->inseridas;
        if (IguaisCiAs(partes[0], "deleted")) return ctx_.gatilho->excluidas;
    }
    if (std::string catalogo = NomeDeCatalogo(partes); !catalogo.empty()) {
        const std::string ultimo = Dobrar(partes.back());
        const VisaoDoServidor* v = VisaoDoServidorDe(ultimo);
        const bool doServidor = v && v->todoOServidor;
        const std::string banco = partes.size() >= 3 ? partes[partes.size() - 3] : "";
        if (!doServidor && !banco.empty() && ctx_.esquemaDoBanco &&
            !ctx_.esquemaDoBanco(banco).empty())
            throw Recusa("O simulador de SQL Server não lê o catálogo de outro banco ('" + banco +
                         "." + partes[partes.size() - 2] + "." + partes.back() + "'); use USE " +
                         banco + ".");
        return catalogo;
    }
    const std::size_t n = partes.size();
    if (n == 1 && !partes[0].empty() && partes[0][0] == '@' &&
        !(ctx_.catalogo && ctx_.catalogo()->AcharTabela(partes[0])))
        throw ErroDoServidor(1087, {partes[0]});
    // SQLite's schemas are no names of SQL Server's, and the engine's own tables are
    // reached by none: a name of the engine's is a user's object or unknown.
    bool desconhecido = n == 2 && Dobrar(partes[0]) != "dbo";
    if (!desconhecido && EhTabelaDoMotor(partes.back()) && BancoDoNome(partes).empty())
        desconhecido = !ObjetoDoUsuario(partes);
    if (desconhecido) {
        std::string nome;
        for (const auto& p : partes) nome += (nome.empty() ? "" : ".") + p;
        throw ErroDoServidor(208, {nome});
    }
    const std::string banco = BancoDoNome(partes);
    // sysobjects is the catalog's (or a WITH query's); dbo.sysobjects the user's table,
    // if there is one
    const std::string visao = Dobrar(partes.back());
    if (banco.empty() && visao.rfind("zv_", 0) != 0 && EhVisaoDoCatalogo(visao)) {
        const bool daConsulta =
            n == 1 && std::any_of(nomeadas_.begin(), nomeadas_.end(),
                                  [&](const auto& c) { return IguaisCiAs(c.first, visao); });
        if (!daConsulta && (n == 1 || !ObjetoDoUsuario(partes))) return visao;
    }
    std::string esquema;
    if (!banco.empty() && ctx_.esquemaDoBanco) esquema = ctx_.esquemaDoBanco(banco);
    const std::string nome = IdentificadorNoSqlite(partes.back());
    return esquema.empty() ? nome : esquema + "." + nome;
}

// A table, view or WITH query of this database has that name.
bool GeradorSqlite::ObjetoDoUsuario(const std::vector<std::string>& partes) {
    if (partes.size() == 1)
        for (const auto& [nome, tabela] : nomeadas_)
            if (IguaisCiAs(nome, partes[0])) return true;
    Catalogo* catalogo = ctx_.catalogo ? ctx_.catalogo() : nullptr;
    return catalogo &&
           (catalogo->AcharTabela(partes.back()) || catalogo->AcharObjeto(partes.back()));
}

// The SQLite name of a catalog view; "" for any other name.
std::string GeradorSqlite::NomeDeCatalogo(const std::vector<std::string>& partes) {
    const std::string escrito = Dobrar(partes.back());
    // systypes and the views of columns read the alias types, put there as the catalog loads
    if (ctx_.catalogo && (escrito == "systypes" || escrito == "types" || escrito == "syscolumns" ||
                          escrito == "columns"))
        ctx_.catalogo();
    std::vector<std::string> p;
    for (const auto& s : partes) p.push_back(Dobrar(s));
    const std::string& ultimo = p.back();
    const VisaoDoServidor* doServidor = VisaoDoServidorDe(ultimo);
    if (doServidor && ultimo.rfind("sys", 0) == 0) {  // sysprocesses, syslogins ...
        ctx_.tabelasDoServidor |= doServidor->tabelas;
        return "zv_" + ultimo;
    }
    std::string nome;
    if (p.size() >= 2 && p[p.size() - 2] == "sys") {
        if (doServidor) ctx_.tabelasDoServidor |= doServidor->tabelas;
        // sys.sysobjects is sysobjects
        nome =
            EhVisaoDoCatalogo(ultimo) && ultimo.rfind("sys", 0) == 0 ? ultimo : "zv_sys_" + ultimo;
    } else if (p.size() >= 2 && p[p.size() - 2] == "information_schema") {
        nome = "zv_is_" + ultimo;
    } else {
        return "";
    }
    if (!EhVisaoDoCatalogo(nome)) {
        std::string escrito;
        for (const auto& s : partes) escrito += (escrito.empty() ? "" : ".") + s;
        throw ErroDoServidor(208, {escrito});
    }
    return nome;
}

// SQLite's hidden rowid, oid and _rowid_ are no columns of SQL Server's: such a name is
// a column the tables in scope declare (as far as the generator knows them all), or none.
bool GeradorSqlite::ColunaOcultaDoSqlite(const Coluna& c) const {
    const std::string nome = Dobrar(c.partes.back());
    if ((nome != "rowid" && nome != "oid" && nome != "_rowid_") || escopos_.empty() ||
        ColunaDoEscopo(c))
        return false;
    const std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    bool donoNoEscopo = dono.empty();
    for (const auto& escopo : escopos_)
        for (const auto& [apelido, tabela] : escopo) {
            if (!TabelaDoBanco(tabela)) return false;
            if (!dono.empty() && IguaisCiAs(apelido, dono)) donoNoEscopo = true;
        }
    return donoNoEscopo;
}

std::string GeradorSqlite::NomeDeColuna(const Coluna& c) {
    if (auto aplicada = ColunaAplicada(c)) return *aplicada;
    if (ColunaOcultaDoSqlite(c)) throw ErroDoServidor(207, {c.partes.back()});
    const auto& p = c.partes;
    if (p.size() == 1) {
        if (p[0] == "*") return "*";
        return c.citada ? ComoIdentificador(p[0]) : p[0];
    }
    std::size_t primeiro = p.size() >= 3 ? p.size() - 1 : (Dobrar(p[0]) == "dbo" ? 1 : 0);
    if (p.size() >= 3 && p.back() == "*") primeiro = p.size() - 2;
    std::string nome;
    // the parts before the column's name a table's or an alias's
    for (std::size_t k = primeiro; k < p.size(); ++k)
        nome += (nome.empty() ? "" : ".") + (p[k] == "*"        ? "*"
                                             : k + 1 < p.size() ? IdentificadorNoSqlite(p[k])
                                                                : ComoIdentificador(p[k]));
    return nome;
}

}  // namespace zolvek::simulador
