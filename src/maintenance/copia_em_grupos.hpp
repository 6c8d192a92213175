#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

// The row copy of the import. A durable commit per row is the import's cost, so rows
// are committed in groups; a group in which anything fails is rolled back and copied
// again row by row, so that what is copied, the error rows and their order are those
// of a row-by-row copy, and a row reported as copied is committed.
namespace zolvek::manutencao {

// A group ends after this many rows or this long, whichever comes first.
inline constexpr int kLinhasPorGrupo = 500;
inline constexpr std::chrono::milliseconds kDuracaoDoGrupo{100};

struct AvisosDaCopia {
    // Asked before each row; once true the copy stops (what is committed stays).
    std::function<bool()> cancelou;
    // A row that could not be copied: the destination column being set when it failed
    // ("" when the insert itself failed) and the message.
    std::function<void(const std::string& campo, const std::string& descricao)> erro;
    // How many origin rows are done (copied or listed as errors), once committed.
    std::function<void(int feitas)> progresso;
};

// Appends every row of `origem` (from the first) to `destino`, a dataset open over the
// destination table on `conexao`; destination columns take the origin column of the
// same name. Errors of the connection itself (a rollback that fails) propagate.
// Returns how many rows were copied (committed).
int CopiarLinhasEmGrupos(db::Conexao& conexao, db::ConjuntoDeDados& origem,
                         db::ConjuntoDeDados& destino, const AvisosDaCopia& avisos);

}  // namespace zolvek::manutencao
