#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/materializacao.hpp"
#include "simulador/motor/execucao/dados.hpp"

// What the data changes' files share (dados_*.cpp).
namespace zolvek::simulador {

// INSERT and UPDATE write no computed column (271).
void ExigirColunaGravavel(const ColunaDaTabela& c);

// The rows of the target an UPDATE or DELETE picks by a query: with a FROM of its own,
// through a view or WITH query, or only so many of them (TOP, SET ROWCOUNT).
struct AlteracoesDeDados::LinhasEscolhidas {
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
struct AlteracoesDeDados::EscopoDaAlteracao {
    AlteracoesDeDados& x;
    Tabela visiveis;
    EscopoDaAlteracao(AlteracoesDeDados& dados, const Tabela& t, const AlvoAlteravel* alvo,
                      const NomeComposto& objeto, const ClausulasLidas& resto);
    ~EscopoDaAlteracao();
    EscopoDaAlteracao(const EscopoDaAlteracao&) = delete;
    EscopoDaAlteracao& operator=(const EscopoDaAlteracao&) = delete;
};

// An UPDATE in SQLite's text, in parts.
struct AlteracoesDeDados::PartesDaAtualizacao {
    std::string prefixo;                                       // WITH ..., or ""
    std::string alvo;                                          // T, or T AS zv_alvo
    std::vector<std::pair<std::string, std::string>> valores;  // column, new value
    std::string onde;
};

// The INSTEAD OF trigger a change fires (dados_em_vez_de.cpp).
struct AlteracoesDeDados::EmVezDe {
    std::shared_ptr<PlanoDeLote> plano;
    std::int64_t id = 0;
    bool visao = false;
    Tabela linhas;  // the columns of inserted and deleted
};

}  // namespace zolvek::simulador
