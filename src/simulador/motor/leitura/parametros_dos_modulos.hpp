#pragma once

#include <string>
#include <vector>

#include "simulador/motor/tipos/tipos.hpp"

// The parameters of procedures and functions, read again from the text they were made
// with: sys.parameters, INFORMATION_SCHEMA.PARAMETERS and sp_help show them.
namespace zolvek::simulador {

struct ParametroDoModulo {
    int ordem = 0;     // 1, 2 ...; 0 the return value of a scalar function
    std::string nome;  // with its @; empty for the return value
    TipoSql tipo;
    bool saida = false;  // OUTPUT (the return value too)
};

// Raises ErroDeBanco when the text does not read as a CREATE of a module.
std::vector<ParametroDoModulo> ParametrosDoModulo(const std::string& texto);

// The same as a JSON array of objects, for the catalog views to walk with json_each:
// ordem, nome, tipo, xtype, tamanho, comprimento, prec, escala, prec_num, escala_num, saida.
std::string ParametrosComoJson(const std::string& texto);

}  // namespace zolvek::simulador
