#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/arvores/expressao.hpp"

// INSERT, UPDATE and DELETE through a view or a WITH query reach the rows of one base
// table. The statement writes each view it goes through as a WITH query of its own, under
// the view's name, with one more column, zv_linha: the key of the base row each of the
// view's rows shows; the change then reaches the base rows whose keys the view gives.
namespace zolvek::simulador {

// A view or a WITH query a change names or reads.
struct ConsultaAlteravel {
    std::string nome;  // as created or written
    bool visao = true;  // false: a WITH query of the statement
    const Consulta* consulta = nullptr;
    std::vector<std::string> colunas;  // the names its column list gives, if it has one
    bool comVerificacao = false;       // WITH CHECK OPTION
    std::shared_ptr<const void> dono;  // keeps `consulta` alive
};

// Where a change through a view or WITH query lands.
struct AlvoAlteravel {
    std::string nome;          // the view or WITH query, as the statement names it
    Tabela* tabela = nullptr;  // the base table whose rows change
    // the view's columns, in order, and the base column each shows (null: another table's,
    // or derived)
    std::vector<std::pair<std::string, const ColunaDaTabela*>> colunas;
    // the SELECTs that give the base row's key as zv_linha, and its SQLite text in each
    std::map<const Selecao*, std::string> chaves;
    // the views on the way to the base table, innermost first: each becomes a WITH query
    std::vector<ConsultaAlteravel> visoes;
    bool comVerificacao = false;  // a view on the way has WITH CHECK OPTION

    // The base column a column of the view shows; raises 207 or 4406 when it shows none.
    const ColunaDaTabela& ColunaBase(const std::string& coluna) const;
};

// Reads a view of the database by name: nothing when there is no view of that name.
using LeitorDeVisoes = std::function<std::optional<ConsultaAlteravel>(const std::string&)>;

// The change `operacao` ('I', 'U' or 'D') through `nome` (as written), writing `colunas`
// (their names in the view; an INSERT without a column list: empty, all of them). Nothing
// when `nome` names neither a WITH query of `com` nor a view. Raises SQL Server's refusals
// (4403, 4405, 4406, 4426...).
std::optional<AlvoAlteravel> ResolverAlvo(const std::vector<std::string>& nome, char operacao,
                                          const std::vector<std::string>& colunas,
                                          Catalogo& catalogo,
                                          const std::vector<ConsultaNomeada>* com,
                                          const LeitorDeVisoes& lerVisao);

}  // namespace zolvek::simulador
