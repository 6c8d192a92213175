#pragma once

#include <string>

#include "db/conjunto.hpp"

namespace zolvek::admin {

// The step that closes a maintenance cycle, shared by "Validar", "Liberar" and the end
// of a fully successful analysis. With a revision above 0 it writes it into
// PEMPRESA.RevisaoDoBD (inserting a row of defaults when the table is empty); then,
// in every case, returns the database to multi-user mode. The query belongs to the
// caller and is bound to the open connection; the name is written in brackets, so
// names with blanks, hyphens or apostrophes work. Database errors propagate.
void AtualizarRevisaoDoBanco(db::Consulta& consulta, int revisao, const std::string& nomeDoBanco);

// "ALTER DATABASE [nome] SET MULTI_USER"
std::string ComandoDeMultiplosUsuarios(const std::string& nomeDoBanco);

}  // namespace zolvek::admin
