#include "analysis/sql_da_analise.hpp"

#include "db/texto_sql.hpp"

namespace zolvek::analysis {

std::string Literal(std::string_view texto) {
    std::string saida = "'";
    for (char c : texto) {
        if (c == '\'') saida += '\'';
        saida += c;
    }
    return saida + "'";
}

std::string NomeDoBancoEntreColchetes(std::string_view nome) {
    return db::EntreColchetes(nome);
}

}  // namespace zolvek::analysis
