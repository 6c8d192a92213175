// The session's table variables (DECLARE @t TABLE): tables of SQLite's temp schema,
// which no other connection sees and no catalog view shows, known to the statements
// through the catalog's in-memory copy. SQL Server does not roll a table variable back
// with its transaction: a ROLLBACK keeps their rows.

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/sessao/sessao.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void Sessao::CriarVariavelDeTabela(Tabela t) {
    const std::string chave = Dobrar(t.nome);
    // a procedure's @t while its caller's @t lives would need both under one name
    if (variaveisDeTabela_.count(chave))
        throw Recusa("O simulador de SQL Server não aceita a variável de tabela " + t.nome +
                     " num procedimento chamado enquanto outra de mesmo nome existe.");
    t.id = --ultimaVariavelDeTabela_;
    CriarTabelaTemporariaSqlite(db_, t);
    tabelasDeRetorno_.erase(chave);  // a table function's left there is gone
    if (catalogoEmDia_) catalogo_.AnotarTabela(t);
    variaveisDeTabela_.emplace(chave, std::move(t));
}

const Tabela& Sessao::EmprestarVariavelDeTabela(Tabela t, const std::string& definicao) {
    const std::string chave = Dobrar(t.nome);
    if (variaveisDeTabela_.count(chave))
        throw Recusa(
            "O simulador de SQL Server não chama uma função cuja tabela de retorno tem o nome "
            "de uma variável de tabela que já existe (" +
            t.nome + ").");
    t.id = --ultimaVariavelDeTabela_;
    bool existe = false;
    {
        Instrucao q(db_, "SELECT 1 FROM temp.sqlite_master WHERE type = 'table' AND name = ?");
        q.Ligar(1, NomeNoSqlite(t.nome));
        existe = q.Passo();
    }
    auto it = tabelasDeRetorno_.find(chave);
    if (existe && it != tabelasDeRetorno_.end() && it->second == definicao) {
        ExecutarSql(db_, "DELETE FROM temp." + IdentificadorNoSqlite(t.nome));
        if (const ColunaDaTabela* id = t.Identidade()) {
            Instrucao(db_, "DELETE FROM temp.sqlite_sequence WHERE name = ?")
                .Ligar(1, NomeNoSqlite(t.nome))
                .Executar();
            if (id->semente != 1)
                Instrucao(db_, "INSERT INTO temp.sqlite_sequence(name, seq) VALUES (?, ?)")
                    .Ligar(1, NomeNoSqlite(t.nome))
                    .Ligar(2, id->semente - 1)
                    .Executar();
        }
    } else {
        // another function's table, of other columns: SQLite drops no table while a
        // statement runs, but renames one (dropped later)
        tabelasDeRetorno_.erase(chave);
        if (existe)
            ExecutarSql(db_,
                        "ALTER TABLE temp." + IdentificadorNoSqlite(t.nome) + " RENAME TO " +
                            ComoIdentificador(std::string(kDescartada) + std::to_string(-t.id)));
        CriarTabelaTemporariaSqlite(db_, t);
    }
    tabelasDeRetorno_[chave] = definicao;
    if (catalogoEmDia_) catalogo_.AnotarTabela(t);
    return variaveisDeTabela_.emplace(chave, std::move(t)).first->second;
}

void Sessao::DevolverVariavelDeTabela(const std::string& nome) noexcept {
    auto it = variaveisDeTabela_.find(Dobrar(nome));
    if (it == variaveisDeTabela_.end()) return;
    sqlite3_exec(db_, ("DELETE FROM temp." + IdentificadorNoSqlite(it->second.nome)).c_str(),
                 nullptr, nullptr, nullptr);
    if (catalogoEmDia_) catalogo_.EsquecerTabela(nome);
    variaveisDeTabela_.erase(it);
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
