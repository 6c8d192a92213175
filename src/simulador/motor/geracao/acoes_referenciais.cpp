#include "simulador/motor/geracao/acoes_referenciais.hpp"

#include <functional>
#include <set>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

const std::string& Acao(const Restricao& r, bool exclusao) {
    return exclusao ? r.aoExcluir : r.aoAtualizar;
}

// The tables a change of `tabela` reaches by cascades (of DELETE or of UPDATE), itself
// not included unless a cycle leads back to it. `t` stands for the catalog's table of
// its name.
void Alcancadas(Catalogo& cat, const Tabela& t, const std::string& tabela, bool exclusao,
                std::set<std::string>& r) {
    auto filhas = [&](const Tabela& x) {
        for (const auto& f : x.restricoes)
            if (f.tipo == "F" && !Acao(f, exclusao).empty() &&
                IguaisCiAs(f.tabelaReferida, tabela) && r.insert(Dobrar(x.nome)).second)
                Alcancadas(cat, t, x.nome, exclusao, r);
    };
    for (Tabela* x : cat.Tabelas())
        if (!IguaisCiAs(x->nome, t.nome)) filhas(*x);
    filhas(t);
}

void ExigirCaminhoUnico(Catalogo& cat, const Tabela& t, const Restricao& r, bool exclusao) {
    if (Acao(r, exclusao).empty()) return;
    auto recusar = [&] { throw ComMensagemSeguinte(ErroDoServidor(1785, {r.nome, t.nome}), 1750); };
    if (IguaisCiAs(r.tabelaReferida, t.nome)) recusar();
    // the tables whose cascades already reach the referenced one, and it
    std::set<std::string> antes{Dobrar(r.tabelaReferida)};
    for (Tabela* x : cat.Tabelas()) {
        std::set<std::string> delas;
        Alcancadas(cat, t, x->nome, exclusao, delas);
        if (delas.count(Dobrar(r.tabelaReferida))) antes.insert(Dobrar(x->nome));
    }
    for (const auto& a : antes) {
        std::set<std::string> delas;
        Alcancadas(cat, t, a, exclusao, delas);
        if (delas.count(Dobrar(t.nome)) || a == Dobrar(t.nome)) recusar();
    }
}

std::string Cond(const Restricao& r, const std::string& linha) {
    std::string s;
    for (std::size_t k = 0; k < r.colunas.size(); ++k)
        s += (k ? " AND " : "") + ComoIdentificador(r.colunas[k].nome) + " = " + linha + "." +
             ComoIdentificador(r.colunasReferidas[k]);
    return s;
}

// "a = v, b = w" of the referencing columns: NULL, their defaults, or the new key.
std::string NovosValores(const Tabela& filha, const Restricao& r, const std::string& acao) {
    std::string s;
    for (std::size_t k = 0; k < r.colunas.size(); ++k) {
        const ColunaDaTabela* col = filha.Coluna(r.colunas[k].nome);
        std::string v = "NULL";
        if (acao == "CASCADE") v = "NEW." + ComoIdentificador(r.colunasReferidas[k]);
        if (const Restricao* d = filha.PadraoDaColuna(col->nome); acao == "SET DEFAULT" && d)
            v = ChamadaDeConversao(ExpressaoParaSqlite(d->texto), col->tipo);
        s += (k ? ", " : "") + ComoIdentificador(col->nome) + " = " + v;
    }
    return s;
}

}  // namespace

void ExigirAcoesValidas(Catalogo& catalogo, const Tabela& t, const Restricao& r) {
    if (r.aoExcluir == "SET NULL" || r.aoAtualizar == "SET NULL")
        for (const auto& c : r.colunas)
            if (const ColunaDaTabela* col = t.Coluna(c.nome); col && !col->anulavel)
                throw ComMensagemSeguinte(ErroDoServidor(1761, {r.nome}), 1750);
    ExigirCaminhoUnico(catalogo, t, r, true);
    ExigirCaminhoUnico(catalogo, t, r, false);
}

void CriarGatilhosDasAcoes(sqlite3* db, const Tabela& pai, const Tabela& filha, const Restricao& r,
                           const std::function<std::string()>& nome) {
    const std::string tabela = IdentificadorNoSqlite(pai.nome);
    const std::string dela = IdentificadorNoSqlite(filha.nome);
    if (!r.aoExcluir.empty())
        ExecutarSql(
            db, "CREATE TRIGGER " + nome() + " AFTER DELETE ON " + tabela + " FOR EACH ROW BEGIN " +
                    (r.aoExcluir == "CASCADE"
                         ? "DELETE FROM " + dela
                         : "UPDATE " + dela + " SET " + NovosValores(filha, r, r.aoExcluir)) +
                    " WHERE " + Cond(r, "OLD") + "; END");
    if (r.aoAtualizar.empty()) return;
    std::string colunas, mudou;
    for (const auto& c : r.colunasReferidas) {
        colunas += (colunas.empty() ? "" : ", ") + ComoIdentificador(c);
        mudou += (mudou.empty() ? "" : " OR ") + std::string("OLD.") + ComoIdentificador(c) +
                 " IS NOT NEW." + ComoIdentificador(c);
    }
    ExecutarSql(db, "CREATE TRIGGER " + nome() + " AFTER UPDATE OF " + colunas + " ON " + tabela +
                        " FOR EACH ROW WHEN " + mudou + " BEGIN UPDATE " + dela + " SET " +
                        NovosValores(filha, r, r.aoAtualizar) + " WHERE " + Cond(r, "OLD") +
                        "; END");
}

void ExigirCascataSemGatilhos(Catalogo& catalogo, const Tabela& t, const std::string& evento) {
    if (!catalogo.AlgumGatilho()) return;
    const bool exclusao = evento == "DELETE";
    std::set<std::string> alcancadas;
    Alcancadas(catalogo, t, t.nome, exclusao, alcancadas);
    for (const auto& nome : alcancadas) {
        Tabela* x = catalogo.AcharTabela(nome);
        if (!x || !catalogo.TemGatilhos(x->id)) continue;
        throw Recusa("O simulador de SQL Server não dispara as triggers de '" + x->nome +
                     "' nas linhas que as ações em cascata mudam.");
    }
}

}  // namespace zolvek::simulador
