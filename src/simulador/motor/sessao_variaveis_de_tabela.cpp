// The session's table variables (DECLARE @t TABLE): tables of SQLite's temp schema,
// which no other connection sees and no catalog view shows, known to the statements
// through the catalog's in-memory copy. SQL Server does not roll a table variable back
// with its transaction: a ROLLBACK keeps their rows.

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/materializacao.hpp"
#include "simulador/motor/nomes_do_motor.hpp"
#include "simulador/motor/sessao.hpp"
#include "simulador/motor/sqlite.hpp"

namespace zolvek::simulador {

void Sessao::CriarVariavelDeTabela(Tabela t) {
    const std::string chave = Dobrar(t.nome);
    // a procedure's @t while its caller's @t lives would need both under one name
    if (variaveisDeTabela_.count(chave))
        throw ErroDeBanco("O simulador de SQL Server não aceita a variável de tabela " + t.nome +
                          " num procedimento chamado enquanto outra de mesmo nome existe.");
    t.id = --ultimaVariavelDeTabela_;
    CriarTabelaTemporariaSqlite(db_, t);
    if (catalogoEmDia_) catalogo_.AnotarTabela(t);
    variaveisDeTabela_.emplace(chave, std::move(t));
}

void Sessao::ExcluirVariavelDeTabela(const std::string& nome) noexcept {
    auto it = variaveisDeTabela_.find(Dobrar(nome));
    if (it == variaveisDeTabela_.end()) return;
    sqlite3_exec(db_,
                 ("DROP TABLE IF EXISTS temp." + IdentificadorNoSqlite(it->second.nome)).c_str(),
                 nullptr, nullptr, nullptr);
    if (catalogoEmDia_) catalogo_.EsquecerTabela(nome);
    variaveisDeTabela_.erase(it);
    EsquecerPreparadas();  // a statement prepared on the table would keep it
}

std::vector<std::vector<sqlite3_value*>> Sessao::LinhasDaVariavel(const Tabela& t) {
    std::vector<std::vector<sqlite3_value*>> linhas;
    std::string colunas;
    for (const auto& c : t.colunas)
        colunas += (colunas.empty() ? "" : ", ") + ComoIdentificador(c.nome);
    Instrucao q(db_, "SELECT " + colunas + " FROM temp." + IdentificadorNoSqlite(t.nome));
    while (q.Passo()) {
        std::vector<sqlite3_value*> linha;
        for (int k = 0; k < static_cast<int>(t.colunas.size()); ++k)
            linha.push_back(sqlite3_value_dup(sqlite3_column_value(q.Bruta(), k)));
        linhas.push_back(std::move(linha));
    }
    return linhas;
}

void Sessao::DesfazerGuardandoVariaveis(const std::function<void()>& desfazer) {
    if (variaveisDeTabela_.empty()) return desfazer();
    std::vector<std::pair<const Tabela*, std::vector<std::vector<sqlite3_value*>>>> copias;
    struct Liberar {
        decltype(copias)& c;
        ~Liberar() {
            for (auto& [t, linhas] : c)
                for (auto& l : linhas)
                    for (sqlite3_value* v : l) sqlite3_value_free(v);
        }
    } liberar{copias};
    for (const auto& [nome, t] : variaveisDeTabela_) copias.emplace_back(&t, LinhasDaVariavel(t));
    desfazer();
    // tables the transaction made or dropped come back as they were before it ended
    std::vector<std::string> sobras;
    {
        Instrucao q(db_,
                    "SELECT name FROM temp.sqlite_master WHERE type = 'table' AND name LIKE '@%'");
        while (q.Passo()) sobras.push_back(q.Texto(0));
    }
    for (const auto& nome : sobras) ExecutarSql(db_, "DROP TABLE temp." + ComoIdentificador(nome));
    for (const auto& [t, linhas] : copias) {
        CriarTabelaTemporariaSqlite(db_, *t);
        std::string marcas;
        for (std::size_t k = 0; k < t->colunas.size(); ++k) marcas += k ? ", ?" : "?";
        Instrucao inserir(
            db_, "INSERT INTO temp." + IdentificadorNoSqlite(t->nome) + " VALUES (" + marcas + ")");
        for (const auto& linha : linhas) {
            for (std::size_t k = 0; k < linha.size(); ++k)
                sqlite3_bind_value(inserir.Bruta(), static_cast<int>(k + 1), linha[k]);
            inserir.Executar();
            sqlite3_reset(inserir.Bruta());
        }
    }
}

}  // namespace zolvek::simulador
