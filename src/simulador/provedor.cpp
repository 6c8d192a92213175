#include "db/conector/provedores.hpp"
#include "simulador/simulador.hpp"

namespace zolvek::simulador {

void RegistrarProvedor() {
    db::RegistrarProvedor("Simulador", &CriarConector);
}

}  // namespace zolvek::simulador
