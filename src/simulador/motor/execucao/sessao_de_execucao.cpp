#include "simulador/motor/execucao/sessao_de_execucao.hpp"

#include <sqlite3.h>

namespace zolvek::simulador {

Preparada::~Preparada() {
    if (propria_) sqlite3_finalize(st_);
}

Preparada& Preparada::operator=(Preparada&& o) noexcept {
    if (this != &o) {
        if (propria_) sqlite3_finalize(st_);
        st_ = std::exchange(o.st_, nullptr);
        propria_ = std::exchange(o.propria_, false);
    }
    return *this;
}

}  // namespace zolvek::simulador
