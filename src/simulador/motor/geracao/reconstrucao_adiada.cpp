#include "simulador/motor/geracao/reconstrucao_adiada.hpp"

#include <map>

#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

bool MesmaColunaSqlite(const ColunaDaTabela& a, const ColunaDaTabela& b) {
    return a.nome == b.nome && a.tipo == b.tipo && a.identidade == b.identidade &&
           a.calculo == b.calculo && a.persistida == b.persistida;
}

bool Vazia(sqlite3* db, const Tabela& t) {
    Instrucao q(db, "SELECT 1 FROM main." + IdentificadorNoSqlite(t.nome) + " LIMIT 1");
    return !q.Passo();
}

}  // namespace

bool MesmaTabelaSqlite(const Tabela& nova, const Tabela& antiga) {
    if (nova.nome != antiga.nome || nova.colunas.size() != antiga.colunas.size()) return false;
    for (std::size_t k = 0; k < nova.colunas.size(); ++k)
        if (!MesmaColunaSqlite(nova.colunas[k], antiga.colunas[k])) return false;
    const ColunaDaTabela* a = ChaveNaLinha(nova);
    const ColunaDaTabela* b = ChaveNaLinha(antiga);
    return (a == nullptr) == (b == nullptr) && (!a || a->nome == b->nome);
}

bool PodeAdiarReconstrucao(sqlite3* db, const Tabela& nova, const Tabela& antiga) {
    // a table whose rebuild waits has no rows: its first one would have made it
    return MesmaTabelaSqlite(nova, antiga) && (antiga.reconstrucaoAdiada || Vazia(db, antiga));
}

bool ConsolidarTabela(sqlite3* db, Catalogo& catalogo, const std::string& nome) {
    const Tabela* atual = catalogo.AcharTabela(nome);
    if (!atual || !atual->reconstrucaoAdiada) return false;
    Tabela t = *atual;
    t.reconstrucaoAdiada = false;
    catalogo.GravarTabela(db, t);
    std::map<std::string, std::string> origem;
    for (const auto& c : t.colunas) origem[Dobrar(c.nome)] = c.nome;
    ReconstruirTabela(db, catalogo, *catalogo.AcharTabela(nome), t, origem);
    // the other side of its foreign keys, not made while it had no rows to refer
    for (const auto& r : t.restricoes)
        if (r.tipo == "F" && !IguaisCiAs(r.tabelaReferida, t.nome))
            AtualizarGatilhosDaChave(db, catalogo, t.nome, r, LadosDaChave::Referida);
    return true;
}

}  // namespace zolvek::simulador
