#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/conector/valor.hpp"
#include "simulador/motor/arvores/arvore.hpp"

// INSERT ... VALUES statements that differ only in their literals (the thousands of
// single-row INSERTs of a script) share one compiled form: the SQLite text with the
// literals as parameters, made by the first of them. The next ones only take their
// literals from their values and bind them.
namespace zolvek::simulador {

// Where a bound literal of the form is in a statement: its row and column of VALUES.
struct LiteralDaForma {
    std::size_t linha = 0;
    std::size_t coluna = 0;
};

struct FormaDeInsercao {
    bool reutilizavel = false;  // false: some literal is written into the text itself
    std::string sql;
    std::vector<LiteralDaForma> literais;  // in the order of :zvl1, :zvl2...
};

// The key of an INSERT's form (leitura/chave_da_forma.hpp) with IDENTITY_INSERT on.
std::string ComIdentidadeLigada(std::string chave);

// The form of an INSERT just compiled to `sql`, whose values `ligados` says which
// literal of `literais` each one was bound to (-1: written into the text). Reusable
// only when each value is a lone literal (signed or not) that was bound to exactly the
// value its token gives, or NULL or DEFAULT.
FormaDeInsercao FormaCompilada(const instrucao::Inserir& c, std::string sql,
                               const std::vector<db::Valor>& literais,
                               const std::vector<int>& ligados);

// The literals a statement of that form binds, taken from its values.
std::vector<db::Valor> LiteraisDaForma(const FormaDeInsercao& forma, const instrucao::Inserir& c);

}  // namespace zolvek::simulador
