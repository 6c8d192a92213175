#pragma once

#include <string>

namespace zolvek::simulador {

// A column of an index or key as its statement declares it, and as the catalog keeps it.
struct ColunaDeIndice {
    std::string nome;
    bool decrescente = false;
};

}  // namespace zolvek::simulador
