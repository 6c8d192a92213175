#pragma once

#include <array>
#include <string>
#include <vector>

#include "db/conjunto.hpp"

// The maintenance history of the connected database: the RegMov rows of the analyses
// and releases, newest first ("Validar" rows are not shown).
namespace zolvek::admin {

// A column of the history grid.
struct ColunaDoHistorico {
    const char* campo;
    int largura;  // in characters
    const char* titulo;
};

// Operador, Hora, Tipo, Complemento, in grid order.
const std::array<ColunaDoHistorico, 4>& ColunasDoHistorico();

// Gives `qryRegmov` the history query ("select * from regmov where" / "tipo='Analisar'
// or tipo='Liberar' order by hora desc"), read-only, and opens it. A database
// without RegMov raises the server's error.
void AbrirHistorico(db::Consulta& qryRegmov);

// The open history as text rows: the field values of the grid's columns, in its order.
std::vector<std::vector<std::string>> LinhasDoHistorico(db::Consulta& qryRegmov);

}  // namespace zolvek::admin
