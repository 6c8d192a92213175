#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"

namespace zolvek::simulador {

class Executor;

// EXEC of a system procedure: first those that run as statements of their run (the
// definitions they make, sp_rename, sp_executesql), then those that need only the session
// (ProcedimentosDoSistema). `nome` is the procedure's name as the call wrote it; `chave`,
// folded. False when there is none of that name.
bool ProcedimentoDaExecucao(Executor& execucao, const std::string& chave, const std::string& nome,
                            const std::vector<std::pair<std::string, db::Valor>>& args);

}  // namespace zolvek::simulador
