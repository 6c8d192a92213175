#pragma once

#include <string>

#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/geracao/materializacao.hpp"

// What the executor's UPDATE, DELETE and INSTEAD OF code shares (executor_alteracoes.cpp,
// executor_em_vez_de.cpp).
namespace zolvek::simulador {

// The rows of the target an UPDATE or DELETE picks by a query: with a FROM of its own,
// through a view or WITH query, or only so many of them (TOP, SET ROWCOUNT).
struct Executor::LinhasEscolhidas {
    std::string de;      // the query's sources, SQLite's text
    std::string chave;   // the target row's key among them
    std::string onde;    // its condition, "" for none
    std::string limite;  // " LIMIT n", "" for none
    // " WHERE key IN (SELECT ...)": the target's rows the query picks
    std::string Filtro(const Tabela& t) const {
        return " WHERE " + ColunaDaLinha(t) + " IN (SELECT " + chave + " FROM " + de +
               (onde.empty() ? "" : " WHERE " + onde) + limite + ")";
    }
};

// The tables the clauses of an UPDATE or DELETE read, while it is compiled: the target
// (a view's or WITH query's columns, through one), or those of its own FROM.
struct Executor::EscopoDaAlteracao {
    Executor& x;
    Tabela visiveis;
    EscopoDaAlteracao(Executor& executor, const Tabela& t, const AlvoAlteravel* alvo,
                      const NomeComposto& objeto, const ClausulasLidas& resto);
    ~EscopoDaAlteracao();
    EscopoDaAlteracao(const EscopoDaAlteracao&) = delete;
    EscopoDaAlteracao& operator=(const EscopoDaAlteracao&) = delete;
};

}  // namespace zolvek::simulador
