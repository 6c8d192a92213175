#pragma once

#include "db/conector/valor.hpp"
#include "simulador/tds/bytes.hpp"

// sql_variant on the wire: the value with its own base type inside.
namespace zolvek::simulador::tds {

db::Valor LerVariante(Leitor& l);
// The base type follows the value: int, bigint, float, decimal, nvarchar, varbinary,
// datetime2, bit.
void EscreverVariante(Escritor& e, const db::Valor& v);

}  // namespace zolvek::simulador::tds
