// What the catalog's first tables do not hold, kept in zv_atributos (made the first time a
// table has any): a column's computed expression and alias type, a foreign key's
// referential actions, an index's filter, a table's rebuild still to make. A file without that
// table has none of them.

#include <map>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"

namespace zolvek::simulador {

namespace {

constexpr const char* kAtributos =
    "CREATE TABLE IF NOT EXISTS main.zv_atributos(dono INTEGER NOT NULL, parte INTEGER NOT "
    "NULL, chave TEXT NOT NULL, valor TEXT, PRIMARY KEY(dono, parte, chave))";

struct Atributo {
    std::int64_t dono;
    std::int64_t parte;
    const char* chave;
    std::string valor;
};

// A table's attributes: whether its rebuild waits (part 0), its columns' by colid, its indexes' by
// indid, its foreign keys' by their own ids.
std::vector<Atributo> AtributosDe(const Tabela& t) {
    std::vector<Atributo> r;
    if (t.reconstrucaoAdiada) r.push_back({t.id, 0, "reconstrucao", "adiada"});
    for (std::size_t k = 0; k < t.colunas.size(); ++k) {
        const ColunaDaTabela& c = t.colunas[k];
        const auto colid = static_cast<std::int64_t>(k + 1);
        if (!c.calculo.empty()) r.push_back({t.id, colid, "calculo", c.calculo});
        if (c.persistida) r.push_back({t.id, colid, "persistida", "1"});
        if (!c.tipoDoUsuario.empty()) r.push_back({t.id, colid, "tipo", c.tipoDoUsuario});
    }
    for (const auto& i : t.indices)
        if (!i.filtro.empty()) r.push_back({t.id, i.indid, "filtro", i.filtro});
    for (const auto& f : t.restricoes) {
        if (!f.aoExcluir.empty()) r.push_back({f.id, 0, "ao_excluir", f.aoExcluir});
        if (!f.aoAtualizar.empty()) r.push_back({f.id, 0, "ao_atualizar", f.aoAtualizar});
    }
    return r;
}

void AplicarAtributo(Tabela& t, std::int64_t parte, const std::string& chave,
                     const std::string& valor) {
    if (chave == "reconstrucao") {
        t.reconstrucaoAdiada = true;
        return;
    }
    if (chave == "filtro") {
        for (auto& i : t.indices)
            if (i.indid == parte) i.filtro = valor;
        return;
    }
    if (parte < 1 || parte > static_cast<std::int64_t>(t.colunas.size())) return;
    ColunaDaTabela& c = t.colunas[static_cast<std::size_t>(parte - 1)];
    if (chave == "calculo") c.calculo = valor;
    if (chave == "persistida") c.persistida = true;
    if (chave == "tipo") c.tipoDoUsuario = valor;
}

}  // namespace

void Catalogo::CarregarAtributos(sqlite3* db, const std::string& esquema) {
    if (!ExisteTabelaNoSqlite(db, esquema, "zv_atributos")) return;
    std::map<std::int64_t, Tabela*> tabelas;
    std::map<std::int64_t, Restricao*> restricoes;
    for (auto& [chave, t] : tabelas_) {
        tabelas[t.id] = &t;
        for (auto& r : t.restricoes) restricoes[r.id] = &r;
    }
    Instrucao q(db, "SELECT dono, parte, chave, valor FROM " + esquema + ".zv_atributos");
    while (q.Passo()) {
        const std::int64_t dono = q.Inteiro(0);
        const std::string chave = q.Texto(2), valor = q.Texto(3);
        if (auto t = tabelas.find(dono); t != tabelas.end()) {
            AplicarAtributo(*t->second, q.Inteiro(1), chave, valor);
        } else if (auto r = restricoes.find(dono); r != restricoes.end()) {
            if (chave == "ao_excluir") r->second->aoExcluir = valor;
            if (chave == "ao_atualizar") r->second->aoAtualizar = valor;
        }
    }
}

// Forgets a table's attributes; runs before its constraints' rows go.
void Catalogo::ApagarAtributos(sqlite3* db, std::int64_t tabela) {
    if (!ExisteTabelaNoSqlite(db, "main", "zv_atributos")) return;
    Instrucao(db,
              "DELETE FROM zv_atributos WHERE dono = ?1 OR dono IN (SELECT id FROM zv_objetos "
              "WHERE pai = ?1)")
        .Ligar(1, tabela)
        .Executar();
}

void Catalogo::GravarAtributos(sqlite3* db, const Tabela& t) {
    const std::vector<Atributo> atributos = AtributosDe(t);
    if (atributos.empty()) return;
    ExecutarSql(db, kAtributos);
    Instrucao ins(db, "INSERT INTO zv_atributos(dono, parte, chave, valor) VALUES (?,?,?,?)");
    for (const auto& a : atributos) {
        sqlite3_reset(ins.Bruta());
        ins.Ligar(1, a.dono).Ligar(2, a.parte).Ligar(3, a.chave).Ligar(4, a.valor);
        ins.Executar();
    }
}

}  // namespace zolvek::simulador
