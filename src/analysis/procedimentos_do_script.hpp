#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "comum/comando.hpp"
#include "db/conexao.hpp"

// The integrity-procedure scripts (the dictionary's script lines and the local script
// of PARFN), run batch by batch.
namespace zolvek::analysis {

// Receives the error row of a batch that failed; the run goes on with the next one.
using AdicionarErroDoLote = std::function<void(const LinhaDeErro&)>;

// The texts of the script's batches: lines between "GO" lines (any letter case, nothing
// else on the line), joined with line ends. Blank batches are left out: they hold
// nothing to run.
std::vector<std::string> LotesDoScript(const std::vector<std::string>& linhas);

// The batch with every "TabelasZAV.." (any letter case) removed, so that the tables are
// those of the connected database.
std::string SemPrefixoTabelasZAV(std::string_view lote);

// Runs only the batches that drop objects (those whose upper-case text contains
// "IF EXISTS (SELECT"); a failure adds ("", "", "Remover procedimento", message, batch).
void RemoverProcedimentosDoScript(db::Conexao& conexao, const std::vector<std::string>& linhas,
                                  const AdicionarErroDoLote& adicionarErro);

// Runs every batch, drops included, without "TabelasZAV.."; ":name" markers are sent
// as they are. A failure adds ("", "", "Criar procedimento", message, batch).
void CriarProcedimentosDoScript(db::Conexao& conexao, const std::vector<std::string>& linhas,
                                const AdicionarErroDoLote& adicionarErro);

}  // namespace zolvek::analysis
