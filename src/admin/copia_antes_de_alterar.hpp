#pragma once

#include <string>

#include "comum/erros.hpp"
#include "db/conexao.hpp"

// A backup of the database taken and verified before a command changes it: with
// "--copia-antes" (or the check box of the options dialog) the analysis does not start
// unless the copy was written and reads back whole.
namespace zolvek::admin {

// The copy failed: its message says which step, the file and the server's reason.
class ErroDaCopiaAntes : public Erro {
  public:
    using Erro::Erro;
};

// "BACKUP DATABASE [nome] TO DISK = N'arquivo' WITH INIT, CHECKSUM", then "RESTORE
// VERIFYONLY FROM DISK = N'arquivo' WITH CHECKSUM", outside any transaction. The file is
// the server's (a relative name lands in its backup folder). Raises ErroDaCopiaAntes.
void FazerCopiaAntesDeAlterar(db::Conexao& conexao, const std::string& nomeDoBanco,
                              const std::string& arquivo);

// The two statements, in order.
std::string ComandoDaCopia(const std::string& nomeDoBanco, const std::string& arquivo);
std::string ComandoDaVerificacao(const std::string& arquivo);

}  // namespace zolvek::admin
