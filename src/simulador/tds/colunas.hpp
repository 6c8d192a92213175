#pragma once

#include <string>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/tds/tipos_tds.hpp"

// A result set on the wire: COLMETADATA, then ROW or NBCROW for each row.
namespace zolvek::simulador::tds {

struct ColunaDeSaida {
    std::string nome;
    TipoTds tipo;
    bool anulavel = true;
    bool identidade = false;
    bool somenteLeitura = false;
};

// The wire type of each column: from the stand-in's category, size, precision and
// scale, and from the values themselves where the category leaves it open (a text
// longer than nvarchar(4000) takes nvarchar(max); a "Float" column of exact values is
// a decimal).
std::vector<ColunaDeSaida> DescreverColunas(const db::Resultado& r);

void EscreverMetadados(Escritor& e, const std::vector<ColunaDeSaida>& colunas);
// ErroDeEntrada when a value cannot be written as its column's type.
void EscreverLinha(Escritor& e, const std::vector<ColunaDeSaida>& colunas,
                   const std::vector<db::Valor>& linha);

// RETURNVALUE of an OUTPUT parameter: its position in the call, name, type and value.
void EscreverValorDeRetorno(Escritor& e, std::uint16_t ordinal, const std::string& nome,
                            const TipoTds& tipo, const db::Valor& valor);

}  // namespace zolvek::simulador::tds
