#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"

// System procedures about the server and its databases that need only the session:
// xp_msver and sp_dboption.
namespace zolvek::simulador {

class SessaoDeExecucao;

using ArgumentosDoSistema = std::vector<std::pair<std::string, db::Valor>>;

// xp_msver ['optname']: the server's product, version, language and platform rows.
db::Resultado VersaoDoProduto(SessaoDeExecucao& s, const ArgumentosDoSistema& args);

// sp_dboption [dbname [, optname [, optvalue]]]: the settable options, those set, one's
// setting, or a new setting (an empty result). Gone from SQL Server 2012 on: `nome` is
// the name as the call wrote it, for 2812.
db::Resultado OpcaoDoBanco(SessaoDeExecucao& s, const std::string& nome,
                           const ArgumentosDoSistema& args);

}  // namespace zolvek::simulador
